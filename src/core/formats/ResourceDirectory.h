// The resource directory of a PE image: a tree of directories, three levels deep by convention
// (type, name or ID, language), whose leaves are data entries that point at the resource bytes
// by RVA. Every offset inside the tree counts from the start of the resource data.
//
//   IMAGE_RESOURCE_DIRECTORY        0 u32 characteristics   4 u32 time stamp   8 u16 major version
//                                  10 u16 minor version   12 u16 named entries   14 u16 ID entries
//                                  (16 bytes), then the entries: the named ones first
//   IMAGE_RESOURCE_DIRECTORY_ENTRY  0 u32 name: high bit set, the offset of a name string; clear,
//                                    an ID
//                                   4 u32 offset: high bit set, of a subdirectory; clear, of a
//                                    data entry                                         (8 bytes)
//   IMAGE_RESOURCE_DATA_ENTRY       0 u32 RVA of the data   4 u32 size   8 u32 code page
//                                  12 u32 reserved (0)                                 (16 bytes)
//   IMAGE_RESOURCE_DIR_STRING_U     0 u16 length in UTF-16 code units, then the code units (no
//                                    terminator)
#pragma once

#include "common/ByteView.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vellum {

constexpr std::uint32_t kResourceDirectorySize = 16;
constexpr std::uint32_t kResourceDirectoryEntrySize = 8;
constexpr std::uint32_t kResourceDataEntrySize = 16;
// In an entry's name field: the name is a string; in its offset field: a subdirectory follows.
constexpr std::uint32_t kResourceHighBit = 0x80000000u;
constexpr std::uint32_t kResourceOffsetMask = 0x7FFFFFFFu;

// The predefined type IDs that get files or viewers of their own kind.
namespace rt {
constexpr std::uint32_t kCursor = 1;
constexpr std::uint32_t kBitmap = 2;
constexpr std::uint32_t kIcon = 3;
constexpr std::uint32_t kMenu = 4;
constexpr std::uint32_t kDialog = 5;
constexpr std::uint32_t kStringTable = 6;
constexpr std::uint32_t kAccelerators = 9;
constexpr std::uint32_t kCursorGroup = 12;
constexpr std::uint32_t kIconGroup = 14;
constexpr std::uint32_t kVersion = 16;
constexpr std::uint32_t kHtml = 23;
constexpr std::uint32_t kManifest = 24;
} // namespace rt

// IMAGE_RESOURCE_DIRECTORY_ENTRY, its two fields as stored.
struct ResourceDirectoryEntry {
    std::uint32_t name = 0;
    std::uint32_t offset = 0;

    bool Named() const { return (name & kResourceHighBit) != 0; }
    std::uint32_t Id() const { return name; } // of an entry that is not Named()
    std::uint32_t NameOffset() const { return name & kResourceOffsetMask; }
    bool IsDirectory() const { return (offset & kResourceHighBit) != 0; }
    // The subdirectory's or the data entry's offset.
    std::uint32_t Target() const { return offset & kResourceOffsetMask; }
};

// IMAGE_RESOURCE_DIRECTORY: the entry counts, and the entries' bytes behind the header.
struct ResourceDirectoryTable {
    std::uint16_t namedEntries = 0;
    std::uint16_t idEntries = 0;
    ByteView entries;

    unsigned Count() const { return unsigned(namedEntries) + idEntries; }
    // Entry `index` (below Count()), in stored order.
    ResourceDirectoryEntry Entry(unsigned index) const;
};

// IMAGE_RESOURCE_DATA_ENTRY.
struct ResourceDataEntry {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
    std::uint32_t codePage = 0;
    std::uint32_t reserved = 0;
};

// A read-only view over the resource data; nothing it returns reaches past its bytes.
class ResourceDirectory {
public:
    ResourceDirectory() = default;
    explicit ResourceDirectory(ByteView data) : data_(data) {}

    ByteView Bytes() const { return data_; }
    // Whether the 16-byte header of a directory at `offset` lies inside.
    bool HasDirectory(std::uint32_t offset) const {
        return data_.Has(offset, kResourceDirectorySize);
    }
    // The directory at `offset`; nothing when its header or its entries run past the end.
    std::optional<ResourceDirectoryTable> Directory(std::uint32_t offset) const;
    // The data entry at `offset`; nothing when its 16 bytes run past the end.
    std::optional<ResourceDataEntry> DataEntry(std::uint32_t offset) const;
    // Whether the length word of a name string at `offset` lies inside.
    bool HasName(std::uint32_t offset) const { return data_.Has(offset, 2); }
    // The name string at `offset`; nothing when its length word or its characters run past the
    // end.
    std::optional<std::u16string> Name(std::uint32_t offset) const;

private:
    ByteView data_;
};

} // namespace vellum
