// Icon and cursor directories: the header and entries of .ico and .cur files, the group
// resources that list the images of an icon or cursor, and the one-image files a project keeps
// for each icon and cursor resource.
//
//   ICONDIR          0 u16 reserved (0)   2 u16 type (1 icon, 2 cursor)   4 u16 count   (6 bytes)
//   ICONDIRENTRY     0 u8 width   1 u8 height (0 stands for 256)   2 u8 colour count (0 for 256
//                    or more)   3 u8 reserved   4 u16 planes (a cursor file: hot-spot x)
//                    6 u16 bit count (a cursor file: hot-spot y)   8 u32 bytes of the image
//                   12 u32 offset of the image in the file                                (16
//                   bytes)
//
//   GRPICONDIR       the 6 bytes of ICONDIR, then count entries of 14 bytes
//   GRPICONDIRENTRY  0 u8 width   1 u8 height   2 u8 colour count   3 u8 reserved
//                    4 u16 planes   6 u16 bit count   8 u32 bytes   12 u16 resource ID
//   cursor entry     0 u16 width   2 u16 height (the DIB's, both blocks of rows)   4 u16 planes
//                    6 u16 bit count   8 u32 bytes (the hot spot's 4 included)   12 u16 resource ID
//
//   cursor resource  0 u16 hot-spot x   2 u16 hot-spot y   4 the image
#pragma once

#include "common/ByteView.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vellum {

constexpr std::uint16_t kIconDirIcon = 1;
constexpr std::uint16_t kIconDirCursor = 2;
constexpr std::uint64_t kIconDirSize = 6;
constexpr std::uint64_t kIconDirEntrySize = 16;
constexpr std::uint64_t kGroupEntrySize = 14;
constexpr std::uint32_t kHotSpotSize = 4;
// Where the image of a one-image file starts: behind its header and its one entry.
constexpr std::uint32_t kSingleImageOffset = std::uint32_t(kIconDirSize + kIconDirEntrySize);
// Larger .ico or .cur files are refused rather than assembled: no icon comes near it.
constexpr std::uint64_t kMaxGroupFileSize = 64ull << 20;

// ICONDIR, and the header of a group resource, which has the same layout.
struct IconDirHeader {
    std::uint16_t reserved = 0;
    std::uint16_t type = 0;
    std::uint16_t count = 0;

    static IconDirHeader Read(ByteView bytes);
    void Append(std::vector<std::uint8_t>& out) const;
    bool IsIconOrCursor() const {
        return reserved == 0 && (type == kIconDirIcon || type == kIconDirCursor);
    }
    bool operator==(const IconDirHeader&) const = default;
};

// ICONDIRENTRY.
struct IconDirEntry {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint8_t colours = 0;
    std::uint8_t reserved = 0;
    std::uint16_t planes = 0;   // hot-spot x in a cursor file
    std::uint16_t bitCount = 0; // hot-spot y in a cursor file
    std::uint32_t bytes = 0;
    std::uint32_t offset = 0;

    static IconDirEntry Read(ByteView entry);
    void Append(std::vector<std::uint8_t>& out) const;
    bool operator==(const IconDirEntry&) const = default;
};

// An entry of a group resource. Icon groups store width, height, colour count and a reserved
// byte in the first four bytes; cursor groups store width and height as words there, and no
// colour count.
struct GroupEntry {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t colours = 0;  // icon groups only
    std::uint8_t reserved = 0; // icon groups only
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t bytes = 0;
    std::uint16_t id = 0;

    static GroupEntry Read(ByteView entry, bool cursor);
    void Append(std::vector<std::uint8_t>& out, bool cursor) const;
    bool operator==(const GroupEntry&) const = default;
};

// A group resource: its header as stored and the entries its bytes hold (no more than the
// header's count; fewer when the bytes end early).
struct GroupDirectory {
    IconDirHeader header;
    std::vector<GroupEntry> entries;

    static GroupDirectory Read(ByteView group, bool cursor);
    // The bytes a group of `count` entries takes.
    static std::uint64_t SizeFor(std::uint64_t count) {
        return kIconDirSize + kGroupEntrySize * count;
    }
    // True when the bytes hold every entry the header counts.
    bool Complete() const { return entries.size() == header.count; }
    // The header (its count set to the entries') and the entries.
    std::vector<std::uint8_t> Write(bool cursor) const;
};

// One image of an .ico or .cur file: its directory entry and its bytes.
struct IconDirImage {
    IconDirEntry entry;
    ByteView image;
};

// An .ico or .cur file whose entries and images all lie inside it.
struct IconFile {
    IconDirHeader header;
    std::vector<IconDirImage> images;

    // Nothing unless the header is an icon's or a cursor's, it counts at least one image, and
    // every entry and every image (at least one byte, behind the directory) lies inside the file.
    static std::optional<IconFile> Read(ByteView file);
    // The header (count set), the entries with their byte counts and offsets recomputed, and the
    // images packed behind the directory in the order of the entries.
    std::vector<std::uint8_t> Write() const;
};

// The entries of an .ico or .cur file that its bytes hold, at most the header's count; no image
// is checked. For readers that need only the first entry or two.
std::vector<IconDirEntry> ReadIconDirEntries(ByteView file);

// A cursor's hot spot: the first four bytes of a cursor resource, the planes and bit-count
// words of a cursor file's entry.
struct HotSpot {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
};

// A cursor resource split into its hot spot and image; an icon resource is all image.
struct IconResource {
    HotSpot hotSpot;
    ByteView image;

    static IconResource Read(ByteView resource, bool cursor);
};

// The directory entry a one-image file gives its image: width, height and colours from the
// image's own header, the byte count and kSingleImageOffset, and for a cursor the hot spot.
IconDirEntry SingleImageEntry(ByteView image, bool cursor, HotSpot hotSpot);

// An .ico or .cur file holding one image.
std::vector<std::uint8_t> SingleImageFile(ByteView image, bool cursor, HotSpot hotSpot);
// The same for an icon or cursor resource, whose hot spot (a cursor's) goes into the entry.
std::vector<std::uint8_t> SingleImageFileOfResource(ByteView resource, bool cursor);

// The entry of a one-image file, when its bytes hold one; the header's count is not looked at.
std::optional<IconDirEntry> SingleImageFileEntry(ByteView file);

// The resource a one-image file stands for: for a cursor the hot spot from its entry, then
// everything from kSingleImageOffset on. Nothing when the file is shorter than that.
std::optional<std::vector<std::uint8_t>> ResourceOfSingleImageFile(ByteView file, bool cursor);

// `bytes` bytes of the image in a one-image file, from the offset its entry gives; what the file
// lacks is zero-filled.
std::vector<std::uint8_t> ImageOfSingleImageFile(ByteView file, std::uint32_t bytes);

} // namespace vellum
