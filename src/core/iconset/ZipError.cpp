// ZipError: the texts and result codes of zip failures.
#include "iconset/ZipError.h"

#include "common/Strings.h"

#include <cerrno>
#include <zlib.h>

namespace vellum {

ZipError::ZipError(Kind kind, const std::string& message, int zlibCode, std::uint32_t systemError)
    : std::runtime_error(message), kind(kind), zlibCode(zlibCode), systemError(systemError) {}

HRESULT ZipError::Result() const {
    switch (kind) {
    case Kind::Io:
        return systemError ? HRESULT_FROM_WIN32(systemError) : E_FAIL;
    case Kind::Zlib:
        return zlibCode == Z_MEM_ERROR ? E_OUTOFMEMORY : E_FAIL;
    case Kind::Name:
        return E_INVALIDARG;
    default:
        return E_FAIL;
    }
}

ZipError ZipError::DamagedArchive() {
    return ZipError(Kind::Format,
                    "damaged zip archive (no end of central directory, or records that disagree)");
}

ZipError ZipError::DamagedEntry() {
    return ZipError(Kind::Data, "damaged zip entry (its data does not match its CRC-32 or sizes)");
}

ZipError ZipError::FromZlib(int code) {
    if (code == Z_DATA_ERROR || code == Z_NEED_DICT)
        return ZipError(Kind::Zlib, DamagedEntry().what(), code);
    return ZipError(Kind::Zlib, Format("zlib error %d", code), code);
}

ZipError ZipError::FromSystem(std::uint32_t win32Error) {
    HRESULT hr = win32Error ? HRESULT_FROM_WIN32(win32Error) : E_FAIL;
    return ZipError(Kind::Io, Format("zip file error 0x%08X", unsigned(hr)), 0, win32Error);
}

ZipError ZipError::FromErrno() {
    return FromSystem(Win32ErrorFromErrno(errno));
}

} // namespace vellum
