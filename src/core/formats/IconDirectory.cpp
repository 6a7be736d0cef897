// Reading and writing icon and cursor directories, group resources and one-image files.
#include "formats/IconDirectory.h"

#include "common/ByteWriter.h"
#include "formats/DibShape.h"

#include <algorithm>
#include <cstring>

namespace vellum {

namespace {

// ICONDIR and GRPICONDIR fields.
constexpr std::uint64_t kDirReserved = 0;
constexpr std::uint64_t kDirType = 2;
constexpr std::uint64_t kDirCount = 4;
// ICONDIRENTRY fields; a group entry shares the first twelve bytes' places.
constexpr std::uint64_t kEntryWidth = 0;
constexpr std::uint64_t kEntryHeight = 1;
constexpr std::uint64_t kEntryColours = 2;
constexpr std::uint64_t kEntryReserved = 3;
constexpr std::uint64_t kEntryPlanes = 4;
constexpr std::uint64_t kEntryBitCount = 6;
constexpr std::uint64_t kEntryBytes = 8;
constexpr std::uint64_t kEntryOffset = 12;
// A cursor group entry's words in the place of the four bytes.
constexpr std::uint64_t kCursorEntryWidth = 0;
constexpr std::uint64_t kCursorEntryHeight = 2;
constexpr std::uint64_t kGroupEntryId = 12;
// A cursor resource's hot spot.
constexpr std::uint64_t kHotSpotX = 0;
constexpr std::uint64_t kHotSpotY = 2;

} // namespace

IconDirHeader IconDirHeader::Read(ByteView bytes) {
    return {bytes.U16(kDirReserved), bytes.U16(kDirType), bytes.U16(kDirCount)};
}

void IconDirHeader::Append(std::vector<std::uint8_t>& out) const {
    AppendU16(out, reserved);
    AppendU16(out, type);
    AppendU16(out, count);
}

namespace {

// The size bytes an ICONDIRENTRY and an icon group entry share: width, height, colour count and
// the reserved byte.
template <class Entry> void ReadSizeBytes(ByteView entry, Entry& e) {
    e.width = entry.U8(kEntryWidth);
    e.height = entry.U8(kEntryHeight);
    e.colours = entry.U8(kEntryColours);
    e.reserved = entry.U8(kEntryReserved);
}

template <class Entry> void AppendSizeBytes(std::vector<std::uint8_t>& out, const Entry& e) {
    out.insert(out.end(), {std::uint8_t(e.width), std::uint8_t(e.height), e.colours, e.reserved});
}

// The planes, bit count and byte count every kind of entry keeps at the same places.
template <class Entry> void ReadCounts(ByteView entry, Entry& e) {
    e.planes = entry.U16(kEntryPlanes);
    e.bitCount = entry.U16(kEntryBitCount);
    e.bytes = entry.U32(kEntryBytes);
}

template <class Entry> void AppendCounts(std::vector<std::uint8_t>& out, const Entry& e) {
    AppendU16(out, e.planes);
    AppendU16(out, e.bitCount);
    AppendU32(out, e.bytes);
}

} // namespace

IconDirEntry IconDirEntry::Read(ByteView entry) {
    IconDirEntry e;
    ReadSizeBytes(entry, e);
    ReadCounts(entry, e);
    e.offset = entry.U32(kEntryOffset);
    return e;
}

void IconDirEntry::Append(std::vector<std::uint8_t>& out) const {
    AppendSizeBytes(out, *this);
    AppendCounts(out, *this);
    AppendU32(out, offset);
}

GroupEntry GroupEntry::Read(ByteView entry, bool cursor) {
    GroupEntry e;
    if (cursor) {
        e.width = entry.U16(kCursorEntryWidth);
        e.height = entry.U16(kCursorEntryHeight);
    } else {
        ReadSizeBytes(entry, e);
    }
    ReadCounts(entry, e);
    e.id = entry.U16(kGroupEntryId);
    return e;
}

void GroupEntry::Append(std::vector<std::uint8_t>& out, bool cursor) const {
    if (cursor) {
        AppendU16(out, width);
        AppendU16(out, height);
    } else {
        AppendSizeBytes(out, *this);
    }
    AppendCounts(out, *this);
    AppendU16(out, id);
}

GroupDirectory GroupDirectory::Read(ByteView group, bool cursor) {
    GroupDirectory directory;
    directory.header = IconDirHeader::Read(group);
    for (std::uint64_t i = 0; i < directory.header.count; ++i) {
        ByteView entry = group.Sub(SizeFor(i), kGroupEntrySize);
        if (entry.Empty())
            break;
        directory.entries.push_back(GroupEntry::Read(entry, cursor));
    }
    return directory;
}

std::vector<std::uint8_t> GroupDirectory::Write(bool cursor) const {
    std::vector<std::uint8_t> out;
    out.reserve(std::size_t(SizeFor(entries.size())));
    IconDirHeader counted = header;
    counted.count = std::uint16_t(entries.size());
    counted.Append(out);
    for (const GroupEntry& entry : entries)
        entry.Append(out, cursor);
    return out;
}

std::vector<IconDirEntry> ReadIconDirEntries(ByteView file) {
    std::vector<IconDirEntry> entries;
    std::uint16_t count = IconDirHeader::Read(file).count;
    for (std::uint64_t i = 0; i < count; ++i) {
        ByteView entry = file.Sub(kIconDirSize + kIconDirEntrySize * i, kIconDirEntrySize);
        if (entry.Empty())
            break;
        entries.push_back(IconDirEntry::Read(entry));
    }
    return entries;
}

std::optional<IconFile> IconFile::Read(ByteView file) {
    IconFile icon;
    icon.header = IconDirHeader::Read(file);
    std::uint64_t directoryEnd = kIconDirSize + kIconDirEntrySize * icon.header.count;
    if (!icon.header.IsIconOrCursor() || icon.header.count == 0 || !file.Has(0, directoryEnd))
        return std::nullopt;
    for (const IconDirEntry& entry : ReadIconDirEntries(file)) {
        if (entry.bytes == 0 || entry.offset < directoryEnd || !file.Has(entry.offset, entry.bytes))
            return std::nullopt;
        icon.images.push_back({entry, file.Sub(entry.offset, entry.bytes)});
    }
    return icon;
}

std::vector<std::uint8_t> IconFile::Write() const {
    std::uint64_t offset = kIconDirSize + kIconDirEntrySize * images.size();
    std::uint64_t total = offset;
    for (const IconDirImage& image : images)
        total += image.image.Size();
    std::vector<std::uint8_t> out;
    out.reserve(std::size_t(total));
    IconDirHeader counted = header;
    counted.count = std::uint16_t(images.size());
    counted.Append(out);
    for (const IconDirImage& image : images) {
        IconDirEntry entry = image.entry;
        entry.bytes = std::uint32_t(image.image.Size());
        entry.offset = std::uint32_t(offset);
        entry.Append(out);
        offset += image.image.Size();
    }
    for (const IconDirImage& image : images)
        out.insert(out.end(), image.image.Data(), image.image.Data() + image.image.Size());
    return out;
}

IconResource IconResource::Read(ByteView resource, bool cursor) {
    if (!cursor)
        return {{}, resource};
    return {{resource.U16(kHotSpotX), resource.U16(kHotSpotY)}, resource.From(kHotSpotSize)};
}

IconDirEntry SingleImageEntry(ByteView image, bool cursor, HotSpot hotSpot) {
    IconImageShape shape = ShapeOfIconImage(image);
    IconDirEntry entry;
    entry.width = std::uint8_t(shape.width);
    entry.height = std::uint8_t(shape.height);
    entry.colours = shape.colours;
    entry.planes = cursor ? hotSpot.x : 0;
    entry.bitCount = cursor ? hotSpot.y : 0;
    entry.bytes = std::uint32_t(image.Size());
    entry.offset = kSingleImageOffset;
    return entry;
}

std::vector<std::uint8_t> SingleImageFile(ByteView image, bool cursor, HotSpot hotSpot) {
    std::vector<std::uint8_t> file;
    file.reserve(kSingleImageOffset + image.Size());
    IconDirHeader{0, cursor ? kIconDirCursor : kIconDirIcon, 1}.Append(file);
    SingleImageEntry(image, cursor, hotSpot).Append(file);
    file.insert(file.end(), image.Data(), image.Data() + image.Size());
    return file;
}

std::vector<std::uint8_t> SingleImageFileOfResource(ByteView resource, bool cursor) {
    IconResource parts = IconResource::Read(resource, cursor);
    return SingleImageFile(parts.image, cursor, parts.hotSpot);
}

std::optional<IconDirEntry> SingleImageFileEntry(ByteView file) {
    ByteView entry = file.Sub(kIconDirSize, kIconDirEntrySize);
    if (entry.Empty())
        return std::nullopt;
    return IconDirEntry::Read(entry);
}

std::optional<std::vector<std::uint8_t>> ResourceOfSingleImageFile(ByteView file, bool cursor) {
    if (!file.Has(0, kSingleImageOffset))
        return std::nullopt;
    std::vector<std::uint8_t> resource;
    if (cursor) {
        IconDirEntry entry = SingleImageFileEntry(file).value();
        AppendU16(resource, entry.planes);   // hot-spot x
        AppendU16(resource, entry.bitCount); // hot-spot y
    }
    ByteView image = file.From(kSingleImageOffset);
    resource.insert(resource.end(), image.Data(), image.Data() + image.Size());
    return resource;
}

std::vector<std::uint8_t> ImageOfSingleImageFile(ByteView file, std::uint32_t bytes) {
    std::vector<std::uint8_t> image(bytes, 0);
    // A file too short for its entry reads as offset 0.
    ByteView stored = file.From(IconDirEntry::Read(file.From(kIconDirSize)).offset);
    std::size_t present = std::min<std::size_t>(bytes, stored.Size());
    if (present)
        std::memcpy(image.data(), stored.Data(), present);
    return image;
}

} // namespace vellum
