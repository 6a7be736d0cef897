// The files a project keeps for image resources, besides the one-image icon and cursor files
// (IconDirectory.h): bitmap files, which put a file header in front of a bitmap resource's DIB,
// and the .ico or .cur files assembled from a group resource and its members.
//
//   BITMAPFILEHEADER  0 u16 type "BM"   2 u32 file size   6 u16 reserved   8 u16 reserved
//                    10 u32 offset of the pixels from the start of the file   (14 bytes, then the
//                    DIB)
#pragma once

#include "common/ByteView.h"
#include "formats/DibShape.h"
#include "formats/IconDirectory.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vellum {

constexpr std::uint16_t kBitmapFileType = 0x4D42; // "BM"

struct BitmapFileHeader {
    static constexpr std::uint64_t kSize = 14;

    std::uint16_t type = kBitmapFileType;
    std::uint32_t fileSize = 0;
    std::uint16_t reserved1 = 0;
    std::uint16_t reserved2 = 0;
    std::uint32_t pixelOffset = 0;

    static BitmapFileHeader Read(ByteView file);
    void Append(std::vector<std::uint8_t>& out) const;
    bool IsBitmap() const { return type == kBitmapFileType; }
};

// The file header in front of a packed DIB: the pixels start after the DIB's header, its colour
// masks and its colour table. Bytes too few for a header size count as a 40-byte header.
BitmapFileHeader BitmapFileHeaderFor(ByteView dib);

// An .ico or .cur file assembled from a group resource and its members' one-image files
// (`memberFile(id)`; empty when a member is missing). An icon's directory entry is its group
// entry with the image offset, its image the group entry's byte count from the member file. A
// cursor's entry comes from the member's own file, which knows the hot spot the group entry
// lacks, and its image is the member's whole image. A missing member is zero-filled so that the
// offsets of the later images stay right. `lastImage` receives the last image's byte count.
// Nothing when the images would need more than kMaxGroupFileSize bytes.
using MemberFileSource = std::function<std::vector<std::uint8_t>(unsigned id)>;
std::optional<std::vector<std::uint8_t>> GroupFile(ByteView group, bool cursor,
                                                   const MemberFileSource& memberFile,
                                                   std::uint32_t& lastImage);

} // namespace vellum
