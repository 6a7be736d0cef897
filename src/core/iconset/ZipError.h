// ZipError: how ZipArchiveFile reports every failure, with what kind of failure it is and the
// zlib or system code behind it.
#pragma once

#include "common/Result.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vellum {

// Every failure of ZipArchiveFile: no call reports one through its return value. `kind` says
// what went wrong; the code that goes with it, where there is one, has a field of its own.
class ZipError : public std::runtime_error {
public:
    enum class Kind {
        Io,          // a file could not be opened, created, read, written or renamed
        Format,      // not a single-disk zip archive, or records that disagree or run past its end
        Data,        // an entry's data does not match its CRC-32 or its sizes
        Zlib,        // zlib refused the stream, the level or the memory it needs
        Name,        // an entry name that is no plain file name, or one of 65536 bytes or more
        Unsupported, // an encrypted entry, or a method other than stored (0) and deflated (8)
        Full,        // 65535 entries already, or an archive or entry past 4 GiB
        Usage,       // no archive open, the wrong mode for the call, no such entry, a 0-byte buffer
    };

    ZipError(Kind kind, const std::string& message, int zlibCode = 0,
             std::uint32_t systemError = 0);

    // Format: no end record, or records that disagree or run past the end of the file.
    static ZipError DamagedArchive();
    // Data: an entry whose data does not match its CRC-32 or sizes.
    static ZipError DamagedEntry();
    // Zlib with zlib's return code; data that does not inflate reads as a damaged entry.
    static ZipError FromZlib(int code);
    // Io with a Win32 error number (0: the system gave no reason), or with errno's.
    static ZipError FromSystem(std::uint32_t win32Error);
    static ZipError FromErrno();

    // The HRESULT that stands for the failure in an error trail: the system's error for Io,
    // E_OUTOFMEMORY when zlib ran out of memory, E_INVALIDARG for a name, E_FAIL otherwise.
    HRESULT Result() const;

    const Kind kind;
    // zlib's return code (Z_DATA_ERROR, Z_STREAM_ERROR, Z_MEM_ERROR ...) for Kind::Zlib; else 0.
    const int zlibCode;
    // The Win32 error number for Kind::Io (errno mapped: ENOENT 2, EACCES 5, EEXIST 183 ...); 0
    // when the system gave no reason, and for every other kind.
    const std::uint32_t systemError;
};

} // namespace vellum
