// Reading, reducing and rewriting .ico files for icon snapshots.
#include "iconset/IconFileTrim.h"

#include "formats/DibShape.h"

namespace vellum {

namespace {

// A size byte of 0 stands for 256 pixels.
int SizeOf(std::uint8_t byte) {
    return byte == 0 ? 256 : byte;
}

int BitCountOf(const IconDirEntry& entry, ByteView image) {
    return entry.bitCount ? entry.bitCount : ShapeOfIconImage(image).bitCount;
}

} // namespace

std::optional<std::vector<IconFileImage>> ReadIconFile(ByteView file) {
    std::optional<IconFile> icon = IconFile::Read(file);
    if (!icon || icon->header.type != kIconDirIcon)
        return std::nullopt;
    std::vector<IconFileImage> images;
    images.reserve(icon->images.size());
    for (const IconDirImage& read : icon->images) {
        IconFileImage image;
        image.width = SizeOf(read.entry.width);
        image.height = SizeOf(read.entry.height);
        image.entry = read.entry;
        image.image = read.image;
        image.bitCount = BitCountOf(read.entry, read.image);
        images.push_back(image);
    }
    return images;
}

std::optional<std::vector<std::uint8_t>> WriteIconFile(const std::vector<IconFileImage>& images) {
    // Entries may share one image, so the result can be far larger than the file read.
    std::uint64_t total = kIconDirSize + kIconDirEntrySize * images.size();
    for (const IconFileImage& image : images)
        total += image.image.Size();
    if (images.empty() || total > kMaxGroupFileSize)
        return std::nullopt;
    IconFile file{{0, kIconDirIcon, 0}, {}};
    for (const IconFileImage& image : images)
        file.images.push_back({image.entry, image.image});
    return file.Write();
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
