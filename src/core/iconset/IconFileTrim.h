// Reductions of .ico files (formats/IconDirectory.h) for icon snapshots: keeping one image per
// height (the one with the most colours) and removing images larger than a size limit.
//
// Every function works on the bytes of a whole file and gives nothing when the bytes are not an
// icon file whose images all lie inside it. A rewritten file has its images packed behind the
// directory in the order of its entries.
#pragma once

#include "common/ByteView.h"
#include "formats/IconDirectory.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vellum {

// One image of an icon file, with its size and depth as the directory entry states them; a bit
// count of 0 in the entry is taken from the image itself (its DIB header, or 32 for PNG).
struct IconFileImage {
    int width = 0;  // 1 to 256
    int height = 0; // 1 to 256
    int bitCount = 0;
    IconDirEntry entry;
    ByteView image;
};

// The images of an icon file, or nothing when it is not one.
std::optional<std::vector<IconFileImage>> ReadIconFile(ByteView file);

// An icon file made of these images (entries copied, offsets recomputed); nothing for no images
// or a file of more than kMaxGroupFileSize bytes.
std::optional<std::vector<std::uint8_t>> WriteIconFile(const std::vector<IconFileImage>& images);

// One image per height: for each height in the order it first appears, the image of that height
// with the greatest bit count (the first of them on a tie).
std::optional<std::vector<std::uint8_t>> KeepMostColors(ByteView file);

// Only the images whose width and height are both at most `limit`. When no image is that small
// the file is left as it was, so that an icon never ends up without images.
std::optional<std::vector<std::uint8_t>> RemoveLargerImages(ByteView file, int limit);

} // namespace vellum
