#include "formats/ResourceFiles.h"

#include "common/ByteWriter.h"

#include <algorithm>
#include <cstring>

namespace vellum {

namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kBitFields = 3;

void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}
std::uint32_t BigEndian32(ByteView b, std::uint64_t at) {
    return std::uint32_t(b.U8(at)) << 24 | std::uint32_t(b.U8(at + 1)) << 16 |
           std::uint32_t(b.U8(at + 2)) << 8 | b.U8(at + 3);
}

bool IsCoreHeader(ByteView dib) {
    return dib.U32(0) == kCoreHeaderSize;
}

// Colours in the palette of an icon image: the used count, or 2 to the bit count, and 0 when
// there are 256 or more (the directory entry's byte cannot say more).
std::uint8_t ColourCount(ByteView dib) {
    std::uint32_t used = IsCoreHeader(dib) ? 0 : dib.U32(32);
    std::uint16_t bits = BitmapBitCount(dib);
    std::uint32_t colours = used ? used : bits < 8 ? (1u << bits) : 256;
    return colours >= 256 ? 0 : std::uint8_t(colours);
}

} // namespace

std::uint32_t BitmapCompression(ByteView dib) {
    return IsCoreHeader(dib) ? 0 : dib.U32(16);
}

std::uint16_t BitmapBitCount(ByteView dib) {
    return IsCoreHeader(dib) ? dib.U16(10) : dib.U16(14);
}

std::uint32_t BitmapPaletteBytes(ByteView dib) {
    std::uint16_t bits = BitmapBitCount(dib);
    if (IsCoreHeader(dib))
        return bits <= 8 ? 3u << bits : 0;
    if (std::uint32_t used = dib.U32(32))
        return 4 * std::min<std::uint32_t>(used, 1u << 24);
    switch (bits) {
    case 8:
        return 1024;
    case 4:
        return 64;
    case 2:
        return 16;
    case 1:
        return 8;
    default:
        return 0;
    }
}

std::array<std::uint8_t, 14> BitmapFileHeader(ByteView dib) {
    std::uint32_t headerSize = dib.Size() >= 4 ? dib.U32(0) : 40;
    std::uint32_t masks = (headerSize == 40 && BitmapCompression(dib) == kBitFields) ? 12 : 0;
    std::array<std::uint8_t, 14> header{};
    header[0] = 'B';
    header[1] = 'M';
    Put32(&header[2], std::uint32_t(dib.Size() + 14));
    Put32(&header[10], 14 + headerSize + masks + BitmapPaletteBytes(dib));
    return header;
}

bool PngDimensions(ByteView bytes, std::uint32_t& width, std::uint32_t& height) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!bytes.Has(0, 24) || std::memcmp(bytes.Data(), kSignature, 8) != 0 ||
        std::memcmp(bytes.Data() + 12, "IHDR", 4) != 0)
        return false;
    width = BigEndian32(bytes, 16);
    height = BigEndian32(bytes, 20);
    return true;
}

namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV5HeaderSize = 124; // the largest header version
constexpr std::uint32_t kColourMasksSize = 12;
constexpr std::uint32_t kRgb = 0;
// Far beyond any icon; keeps every product below within 64 bits with room to spare.
constexpr std::int64_t kMaxIconSide = 1 << 16;
constexpr std::uint64_t kPngSignatureSize = 8;
constexpr std::uint64_t kPngChunkFraming = 12; // length, type, CRC
constexpr std::uint64_t kPngMaxChunkLength = 0x7FFFFFFF;

// Bytes of one stored row: `bits` per pixel, padded to a multiple of 4 bytes.
std::uint64_t RowBytes(std::uint64_t width, unsigned bits) {
    return (width * bits + 31) / 32 * 4;
}

bool IsDepth(unsigned bits, bool core) {
    switch (bits) {
    case 1:
    case 4:
    case 8:
    case 24:
        return true;
    case 16:
    case 32:
        return !core;
    default:
        return false;
    }
}

std::optional<std::uint64_t> DibImageSize(ByteView dib) {
    std::uint32_t headerSize = dib.U32(0);
    bool core = headerSize == kCoreHeaderSize;
    if (!core && (headerSize < kInfoHeaderSize || headerSize > kV5HeaderSize))
        return std::nullopt;
    if (!dib.Has(0, core ? kCoreHeaderSize : kInfoHeaderSize))
        return std::nullopt;
    std::int64_t width = core ? dib.U16(4) : std::int32_t(dib.U32(4));
    std::int64_t height = core ? dib.U16(6) : std::int32_t(dib.U32(8));
    std::int64_t rows = height / 2; // XOR rows, and as many AND rows
    unsigned bits = BitmapBitCount(dib);
    if (width < 1 || width > kMaxIconSide || rows < 1 || rows > kMaxIconSide ||
        !IsDepth(bits, core))
        return std::nullopt;
    std::uint32_t compression = BitmapCompression(dib);
    bool bitFields = compression == kBitFields && (bits == 16 || bits == 32);
    if (compression != kRgb && !bitFields)
        return std::nullopt; // run-length or embedded pixels: no size follows from the header
    // A colour table larger than the depth can address describes no image a reader would take.
    std::uint32_t used = core ? 0 : dib.U32(32);
    if (used > (bits <= 8 ? 1u << bits : 256u))
        return std::nullopt;
    std::uint64_t size = headerSize;
    if (bitFields && headerSize == kInfoHeaderSize)
        size += kColourMasksSize;
    size += BitmapPaletteBytes(dib);
    size += (RowBytes(std::uint64_t(width), bits) + RowBytes(std::uint64_t(width), 1)) *
            std::uint64_t(rows);
    return size;
}

// Chunk types are four ASCII letters; anything else is not a PNG stream (or not one any more).
bool IsChunkType(ByteView type) {
    for (std::uint64_t i = 0; i < 4; ++i) {
        char c = char(type.U8(i));
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

// Walks the chunks from the one after the signature; the caller has checked the signature.
std::optional<std::uint64_t> PngStreamSize(ByteView png) {
    std::uint64_t at = kPngSignatureSize;
    for (;;) {
        if (!png.Has(at, 8))
            return at + kPngChunkFraming; // cut short before this chunk's length and type
        std::uint64_t length = BigEndian32(png, at);
        ByteView type = png.Sub(at + 4, 4);
        if (length > kPngMaxChunkLength || !IsChunkType(type))
            return std::nullopt;
        std::uint64_t end = at + kPngChunkFraming + length;
        if (std::memcmp(type.Data(), "IEND", 4) == 0 || end > png.Size())
            return end;
        at = end;
    }
}

} // namespace

std::optional<std::uint64_t> IconImageSize(ByteView image) {
    std::uint32_t width = 0, height = 0;
    if (PngDimensions(image, width, height))
        return PngStreamSize(image);
    return DibImageSize(image);
}

std::vector<std::uint8_t> SingleImageFile(ByteView resource, bool cursor) {
    ByteView image = cursor ? resource.From(4) : resource;
    std::uint32_t width = 0, height = 0;
    std::uint8_t colours = 0;
    if (!PngDimensions(image, width, height)) {
        bool core = IsCoreHeader(image);
        width = core ? image.U16(4) : image.U32(4);
        height = std::uint32_t(core ? std::int32_t(image.U16(6)) : std::int32_t(image.U32(8))) / 2;
        colours = ColourCount(image);
    }
    std::vector<std::uint8_t> file;
    file.reserve(22 + image.Size());
    AppendU16(file, 0);
    AppendU16(file, cursor ? 2 : 1);
    AppendU16(file, 1);
    file.push_back(std::uint8_t(width));
    file.push_back(std::uint8_t(height));
    file.push_back(colours);
    file.push_back(0);
    AppendU16(file, cursor ? resource.U16(0) : 0);
    AppendU16(file, cursor ? resource.U16(2) : 0);
    AppendU32(file, std::uint32_t(image.Size()));
    AppendU32(file, 22);
    file.insert(file.end(), image.Data(), image.Data() + image.Size());
    return file;
}

std::vector<std::uint8_t> ImageOfSingleImageFile(ByteView file, std::uint32_t bytes) {
    std::vector<std::uint8_t> image(bytes, 0);
    ByteView stored = file.From(file.U32(18));
    std::size_t present = std::min<std::size_t>(bytes, stored.Size());
    if (present)
        std::memcpy(image.data(), stored.Data(), present);
    return image;
}

namespace {

struct GroupMember {
    std::array<std::uint8_t, 12> entry{}; // ICONDIRENTRY without its offset
    std::vector<std::uint8_t> image;
};

GroupMember MemberOf(ByteView groupEntry, bool cursor, ByteView file) {
    GroupMember member;
    std::uint32_t bytes = groupEntry.U32(8);
    if (cursor && file.Has(6, 16)) {
        std::copy(file.Data() + 6, file.Data() + 18, member.entry.begin());
        bytes = file.U32(14);
    } else {
        std::copy(groupEntry.Data(), groupEntry.Data() + 12, member.entry.begin());
        if (cursor)
            bytes = bytes >= 4 ? bytes - 4 : 0; // the group counts the hot spot the image lacks
        Put32(member.entry.data() + 8, bytes);
    }
    member.image = ImageOfSingleImageFile(file, bytes);
    return member;
}

} // namespace

std::optional<std::vector<std::uint8_t>> GroupFile(ByteView group, bool cursor,
                                                   const MemberFileSource& memberFile,
                                                   std::uint32_t& lastImage) {
    std::uint32_t count = group.U16(4);
    std::uint32_t present = group.Size() >= 6 ? std::uint32_t((group.Size() - 6) / 14) : 0;
    count = std::min(count, present);
    std::uint64_t total = 6 + 16ull * count;
    for (std::uint32_t i = 0; i < count; ++i)
        total += group.U32(6 + 14 * i + 8);
    if (total > kMaxGroupFileSize)
        return std::nullopt;
    std::vector<GroupMember> members;
    for (std::uint32_t i = 0; i < count; ++i) {
        ByteView entry = group.Sub(6 + 14 * i, 14);
        std::vector<std::uint8_t> file = memberFile(entry.U16(12));
        members.push_back(MemberOf(entry, cursor, ByteView(file.data(), file.size())));
    }
    std::vector<std::uint8_t> out;
    AppendU16(out, group.U16(0));
    AppendU16(out, group.U16(2));
    AppendU16(out, count);
    std::uint32_t offset = 6 + 16 * count;
    for (const GroupMember& m : members) {
        out.insert(out.end(), m.entry.begin(), m.entry.end());
        AppendU32(out, offset);
        offset += std::uint32_t(m.image.size());
    }
    lastImage = 0;
    for (const GroupMember& m : members) {
        out.insert(out.end(), m.image.begin(), m.image.end());
        lastImage = std::uint32_t(m.image.size());
    }
    return out;
}

} // namespace vellum
