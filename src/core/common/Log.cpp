#include "Log.h"

#include "Strings.h"
#include "common/LocalTime.h"

#include <cstdarg>
#include <ctime>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vellum {

namespace {

constexpr unsigned kRetries = 4;
constexpr std::size_t kMaxFormatted = 2048;

void DefaultWait(unsigned) {
    auto ticks = static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch() /
                                            std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(500 + ticks % 777));
}

#ifndef _WIN32
// Opens the log exclusively: the descriptor is open and holds an exclusive lock, or -1.
int OpenLocked(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, const char* data, std::size_t size, off_t at) {
    while (size > 0) {
        ssize_t n = ::pwrite(fd, data, size, at);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
        at += n;
    }
    return true;
}

// Moves the last limit/2 bytes to the start of the file and cuts it there.
bool ShrinkTo(int fd, std::uint64_t fileSize, std::uint64_t limit) {
    std::uint64_t keep = limit / 2;
    std::vector<char> tail(static_cast<std::size_t>(keep));
    off_t from = static_cast<off_t>(fileSize - keep);
    if (keep && ::pread(fd, tail.data(), tail.size(), from) != static_cast<ssize_t>(tail.size()))
        return false;
    return WriteAll(fd, tail.data(), tail.size(), 0) &&
           ::ftruncate(fd, static_cast<off_t>(keep)) == 0;
}
#endif

} // namespace

std::string Log::FormatLine(const std::string& text, const std::tm& t) {
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n'))
        --end;
    return Format("%02d/%02d/%04d %02d:%02d:%02d -- ", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900,
                  t.tm_hour, t.tm_min, t.tm_sec) +
           text.substr(0, end) + "\r\n";
}

void Log::Write(const std::string& text) {
    std::tm local = LocalTimeNow();
    std::string line = FormatLine(text, local);
    if (holdBack_ == 0) {
        Append(line);
        return;
    }
    heldText_ += line;
    if (++held_ >= holdBack_)
        Flush();
}

void Log::WriteF(const char* format, ...) {
    char text[kMaxFormatted];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Write(text);
}

void Log::Flush() {
    if (heldText_.empty())
        return;
    Append(heldText_);
    heldText_.clear();
    held_ = 0;
}

bool Log::Append(const std::string& text) {
    if (path_.empty())
        return false;
#ifdef _WIN32
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt <= kRetries; ++attempt) {
        if (attempt)
            (wait_ ? wait_ : DefaultWait)(attempt);
        file = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            break;
    }
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    if (sizeLimit_ && static_cast<std::uint64_t>(size.QuadPart) > sizeLimit_) {
        std::vector<char> tail(static_cast<std::size_t>(sizeLimit_ / 2));
        LARGE_INTEGER from{};
        from.QuadPart = size.QuadPart - static_cast<LONGLONG>(tail.size());
        DWORD n = 0;
        SetFilePointerEx(file, from, nullptr, FILE_BEGIN);
        ReadFile(file, tail.data(), static_cast<DWORD>(tail.size()), &n, nullptr);
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        WriteFile(file, tail.data(), n, &n, nullptr);
        SetEndOfFile(file);
    }
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
#else
    int fd = -1;
    for (unsigned attempt = 0; attempt <= kRetries && fd < 0; ++attempt) {
        if (attempt)
            (wait_ ? wait_ : DefaultWait)(attempt);
        fd = OpenLocked(path_);
    }
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    std::uint64_t size = ok ? static_cast<std::uint64_t>(st.st_size) : 0;
    if (ok && sizeLimit_ && size > sizeLimit_) {
        ok = ShrinkTo(fd, size, sizeLimit_);
        size = sizeLimit_ / 2;
    }
    ok = ok && WriteAll(fd, text.data(), text.size(), static_cast<off_t>(size));
    ::close(fd);
    return ok;
#endif
}

} // namespace vellum
