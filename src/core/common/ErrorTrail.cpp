#include "ErrorTrail.h"

#include "Strings.h"

#include <cstdarg>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vellum {

namespace {

thread_local std::optional<std::string> t_trail;

constexpr std::size_t kMaxMessage = 2048;

struct KnownText {
    HRESULT code;
    const char* text;
};

// The Windows texts of the codes the engine produces, so that batch output on any system reads
// the same as on Windows.
const KnownText kKnownTexts[] = {
    {E_FAIL, "Unspecified error\r\n"},
    {E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation.\r\n"},
    {E_POINTER, "Invalid pointer\r\n"},
    {E_INVALIDARG, "The parameter is incorrect.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), "The system cannot find the path specified.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_TOO_MANY_OPEN_FILES), "The system cannot open the file.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), "Access is denied.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE), "The handle is invalid.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_WRITE_PROTECT), "The media is write protected.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_READ_FAULT), "The system cannot read from the specified device.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_GEN_FAILURE),
     "A device attached to the system is not functioning.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION),
     "The process cannot access the file because it is being used by another process.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_LOCK_VIOLATION), "The process cannot access the file because "
                                               "another process has locked a portion of the "
                                               "file.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED), "The request is not supported.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_DISK_FULL), "There is not enough space on the disk.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_INVALID_NAME),
     "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY), "The directory is not empty.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS),
     "Cannot create a file when that file already exists.\r\n"},
    {HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE), "The filename or extension is too long.\r\n"},
};

} // namespace

void ReportError(const char* module, int line, HRESULT hr, const char* format, ...) {
    char message[kMaxMessage];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    std::string record =
        Format("%s(%4d) : 0x%08X\r\n\r\n", module ? module : "", line, static_cast<unsigned>(hr));
    record += message;
    if (t_trail)
        *t_trail += record;
    else
        t_trail = std::move(record);
}

std::optional<std::string> PeekErrorTrail() {
    return t_trail;
}

std::optional<std::string> TakeErrorTrail() {
    std::optional<std::string> trail = std::move(t_trail);
    t_trail.reset();
    return trail;
}

void ClearErrorTrail() {
    t_trail.reset();
}

void AppendErrorTrail(const std::optional<std::string>& trail) {
    if (!trail)
        return;
    if (t_trail)
        *t_trail += *trail;
    else
        t_trail = trail;
}

std::string ErrorText(const char* module, HRESULT code) {
#ifdef _WIN32
    char* buffer = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE source = module ? GetModuleHandleA(module) : nullptr;
    DWORD n = source ? FormatMessageA(flags | FORMAT_MESSAGE_FROM_HMODULE, source, code,
                                      MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                      reinterpret_cast<char*>(&buffer), 0, nullptr)
                     : 0;
    if (n == 0)
        n = FormatMessageA(flags | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                           MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                           reinterpret_cast<char*>(&buffer), 0, nullptr);
    if (n != 0) {
        std::string text(buffer, n);
        LocalFree(buffer);
        return text;
    }
#else
    (void)module;
#endif
    for (const KnownText& known : kKnownTexts)
        if (known.code == code)
            return known.text;
    return Format("Unknown error 0x%08X\r\n", static_cast<unsigned>(code));
}

} // namespace vellum
