#include "FileIo.h"

#include "Path.h"
#include "Strings.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#else
#include <process.h>
#define getpid _getpid
#endif

namespace vellum {

namespace {

HRESULT FromErrorCode(const std::error_code& ec) {
    return ec.category() == std::generic_category() || ec.category() == std::system_category()
               ? HResultFromErrno(ec.value())
               : E_FAIL;
}

} // namespace

HRESULT CreateFolders(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec)
        return FromErrorCode(ec);
    if (!std::filesystem::is_directory(path, ec))
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    return S_OK;
}

HRESULT ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    out.clear();
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return HResultFromLastErrno();
    HRESULT hr = S_OK;
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || std::filesystem::is_directory(path, ec)) {
        hr = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    } else {
        out.resize(std::size_t(size));
        std::size_t got = size ? std::fread(out.data(), 1, out.size(), file) : 0;
        if (got != out.size())
            hr = std::ferror(file) ? HRESULT_FROM_WIN32(ERROR_READ_FAULT) : E_FAIL;
    }
    std::fclose(file);
    if (FAILED(hr))
        out.clear();
    return hr;
}

HRESULT WriteWholeFile(const std::string& path, const void* data, std::size_t size) {
    OutputFile out;
    HRESULT hr = out.Create(path);
    if (SUCCEEDED(hr))
        hr = out.Write(data, size);
    HRESULT closed = out.Close();
    return FAILED(hr) ? hr : closed;
}

std::string TemporaryNameBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return Format("%s.%d.%u.tmp", path.c_str(), int(getpid()), counter++);
}

HRESULT CreateUniqueFolder(const std::string& parent, const std::string& prefix,
                           std::string* folder) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = JoinPath(
            parent, Format("%s%d-%u-%08x", prefix.c_str(), int(getpid()), counter++, random()));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            *folder = WithTrailingSeparator(candidate);
            return S_OK;
        }
        if (ec)
            return FromErrorCode(ec);
    }
    return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
}

HRESULT ReplaceFileContents(const std::string& path, const void* data, std::size_t size) {
    std::string temp = TemporaryNameBeside(path);
    HRESULT hr = WriteWholeFile(temp, data, size);
    if (SUCCEEDED(hr)) {
        std::error_code ec;
        std::filesystem::rename(temp, path, ec);
        if (ec)
            hr = FromErrorCode(ec);
    }
    if (FAILED(hr)) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
    }
    return hr;
}

bool IsNullDevice(std::FILE* stream) {
#ifdef _WIN32
    (void)stream;
    return false;
#else
    struct stat out {
    }, null{};
    return stream && ::fstat(fileno(stream), &out) == 0 && ::stat("/dev/null", &null) == 0 &&
           S_ISCHR(out.st_mode) && out.st_rdev == null.st_rdev;
#endif
}

HRESULT OutputFile::Open(const std::string& path, const char* mode) {
    Close();
    errno = 0;
    file_ = std::fopen(path.c_str(), mode);
    if (!file_)
        return HResultFromLastErrno();
    return S_OK;
}

HRESULT OutputFile::Write(const void* data, std::size_t size) {
    if (!file_)
        return E_FAIL;
    errno = 0;
    if (size != 0 && std::fwrite(data, 1, size, file_) != size)
        return HResultFromLastErrno();
    return S_OK;
}

HRESULT OutputFile::Close() {
    if (!file_)
        return S_OK;
    errno = 0;
    int rc = std::fclose(file_);
    file_ = nullptr;
    return rc == 0 ? S_OK : HResultFromLastErrno();
}

} // namespace vellum
