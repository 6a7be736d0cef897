// Reading, reducing and rewriting .ico files for icon snapshots.
#include "iconset/IconFileTrim.h"

#include "common/ByteWriter.h"
#include "formats/ResourceFiles.h"

namespace vellum {

namespace {

constexpr std::uint64_t kHeaderSize = 6;
constexpr std::uint64_t kEntrySize = 16;
constexpr std::uint16_t kIconType = 1;

// A size byte of 0 stands for 256 pixels.
int SizeOf(std::uint8_t byte) {
    return byte == 0 ? 256 : byte;
}

int BitCountOf(ByteView entry, ByteView image) {
    if (std::uint16_t stated = entry.U16(6))
        return stated;
    std::uint32_t width = 0, height = 0;
    if (PngDimensions(image, width, height))
        return 32;
    return BitmapBitCount(image);
}

} // namespace

std::optional<std::vector<IconFileImage>> ReadIconFile(ByteView file) {
    std::uint16_t count = file.U16(4);
    std::uint64_t directoryEnd = kHeaderSize + kEntrySize * count;
    if (file.U16(0) != 0 || file.U16(2) != kIconType || count == 0 || !file.Has(0, directoryEnd))
        return std::nullopt;
    std::vector<IconFileImage> images;
    images.reserve(count);
    for (std::uint16_t i = 0; i < count; ++i) {
        ByteView entry = file.Sub(kHeaderSize + kEntrySize * i, kEntrySize);
        std::uint32_t bytes = entry.U32(8), offset = entry.U32(12);
        if (bytes == 0 || offset < directoryEnd || !file.Has(offset, bytes))
            return std::nullopt;
        IconFileImage image;
        image.width = SizeOf(entry.U8(0));
        image.height = SizeOf(entry.U8(1));
        image.entry = entry;
        image.image = file.Sub(offset, bytes);
        image.bitCount = BitCountOf(entry, image.image);
        images.push_back(image);
    }
    return images;
}

std::optional<std::vector<std::uint8_t>> WriteIconFile(const std::vector<IconFileImage>& images) {
    // Entries may share one image, so the result can be far larger than the file read.
    std::uint64_t total = kHeaderSize + kEntrySize * images.size();
    for (const IconFileImage& image : images)
        total += image.image.Size();
    if (images.empty() || total > kMaxGroupFileSize)
        return std::nullopt;
    std::vector<std::uint8_t> out;
    out.reserve(std::size_t(total));
    AppendU16(out, 0);
    AppendU16(out, kIconType);
    AppendU16(out, std::uint32_t(images.size()));
    std::uint64_t offset = kHeaderSize + kEntrySize * images.size();
    for (const IconFileImage& image : images) {
        out.insert(out.end(), image.entry.Data(), image.entry.Data() + 8);
        AppendU32(out, std::uint32_t(image.image.Size()));
        AppendU32(out, std::uint32_t(offset));
        offset += image.image.Size();
    }
    for (const IconFileImage& image : images)
        out.insert(out.end(), image.image.Data(), image.image.Data() + image.image.Size());
    return out;
}

std::optional<std::vector<std::uint8_t>> KeepMostColors(ByteView file) {
    std::optional<std::vector<IconFileImage>> images = ReadIconFile(file);
    if (!images)
        return std::nullopt;
    std::vector<IconFileImage> kept;
    for (const IconFileImage& candidate : *images) {
        bool seen = false;
        for (const IconFileImage& k : kept)
            seen = seen || k.height == candidate.height;
        if (seen)
            continue;
        const IconFileImage* best = &candidate;
        for (const IconFileImage& other : *images)
            if (other.height == candidate.height && other.bitCount > best->bitCount)
                best = &other;
        kept.push_back(*best);
    }
    return WriteIconFile(kept);
}

std::optional<std::vector<std::uint8_t>> RemoveLargerImages(ByteView file, int limit) {
    std::optional<std::vector<IconFileImage>> images = ReadIconFile(file);
    if (!images)
        return std::nullopt;
    std::vector<IconFileImage> kept;
    for (const IconFileImage& image : *images)
        if (image.width <= limit && image.height <= limit)
            kept.push_back(image);
    if (kept.empty())
        kept = *images;
    return WriteIconFile(kept);
}

} // namespace vellum
