// Read-only file mappings: the C-style record used across the engine and an RAII owner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Result.h"

namespace vellum {

// The record MapFileReadOnly hands out. `view`/`size` and the second pair start equal; readers
// may advance the second pair while the first stays what UnmapFile releases. An empty file maps
// to a null view of size 0.
struct MappedFileRecord {
    const std::uint8_t* view = nullptr;
    std::intptr_t mapping = -1; // mapping handle (Win32) or unused (POSIX)
    std::intptr_t file = -1;    // file handle or descriptor
    std::uint64_t size = 0;
    const std::uint8_t* view2 = nullptr;
    std::uint64_t size2 = 0;
};

// Maps the whole file read-only. On failure nothing stays open and *out is null.
HRESULT MapFileReadOnly(const std::string& path, MappedFileRecord** out);
// Releases everything MapFileReadOnly opened and frees the record; E_POINTER for null.
HRESULT UnmapFile(MappedFileRecord* record);

class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile(MappedFile&& other) noexcept : record_(other.record_) { other.record_ = nullptr; }
    MappedFile& operator=(MappedFile&& other) noexcept;
    ~MappedFile() { Close(); }

    HRESULT Open(const std::string& path);
    void Close();

    bool IsOpen() const { return record_ != nullptr; }
    const std::uint8_t* Data() const { return record_ ? record_->view : nullptr; }
    std::size_t Size() const { return record_ ? static_cast<std::size_t>(record_->size) : 0; }
    std::span<const std::uint8_t> Bytes() const { return {Data(), Size()}; }

private:
    MappedFileRecord* record_ = nullptr;
};

} // namespace vellum
