// Whole-file and streaming output with HRESULT results, and folder creation.
#pragma once

#include "Result.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// Creates the folder and every missing parent; an existing folder is not an error.
HRESULT CreateFolders(const std::string& path);

// Reads the whole file into `out`. For the many small files of a project this is cheaper than
// mapping each one.
HRESULT ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out);

// Creates (or truncates) the file and writes the bytes.
HRESULT WriteWholeFile(const std::string& path, const void* data, std::size_t size);
inline HRESULT WriteWholeFile(const std::string& path, std::string_view text) {
    return WriteWholeFile(path, text.data(), text.size());
}

// Writes the bytes to a temporary file beside `path` and renames it over `path`, so that a
// failure leaves the old file as it was.
HRESULT ReplaceFileContents(const std::string& path, const void* data, std::size_t size);

// Creates a new folder named `prefix` plus a unique suffix inside `parent` (which must exist) and
// returns its path with a trailing separator; never an existing folder.
HRESULT CreateUniqueFolder(const std::string& parent, const std::string& prefix,
                           std::string* folder);

// The unique temporary name used beside `path` while a replacement is written.
std::string TemporaryNameBeside(const std::string& path);

// True when the stream writes to the null device, so that text nobody will read need not be
// produced (the way GNU tar skips work for /dev/null).
bool IsNullDevice(std::FILE* stream);

// A file being written: created anew or opened for appending, closed on destruction.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { Close(); }

    HRESULT Create(const std::string& path) { return Open(path, "wb"); }
    HRESULT OpenAppend(const std::string& path) { return Open(path, "ab"); }
    HRESULT Write(const void* data, std::size_t size);
    HRESULT Write(std::string_view text) { return Write(text.data(), text.size()); }
    HRESULT Close();
    bool IsOpen() const { return file_ != nullptr; }

private:
    HRESULT Open(const std::string& path, const char* mode);
    std::FILE* file_ = nullptr;
};

} // namespace vellum
