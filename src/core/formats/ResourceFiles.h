// The files a project keeps for image resources: bitmap files, single-image icon and cursor
// files, and icon or cursor group files.
//
//   BITMAPFILEHEADER  "BM", u32 file size, u16 0, u16 0, u32 offset of the pixels  (14 bytes)
//   ICONDIR           u16 0, u16 type (1 icon, 2 cursor), u16 count               (6 bytes)
//   ICONDIRENTRY      u8 width, u8 height, u8 colours, u8 0, u16 planes or hot-spot x,
//                     u16 bit count or hot-spot y, u32 bytes, u32 offset           (16 bytes)
//   GRPICONDIRENTRY   the first 12 bytes of ICONDIRENTRY and a u16 resource ID      (14 bytes)
//   cursor resource   u16 hot-spot x, u16 hot-spot y, then the image
#pragma once

#include "common/ByteView.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vellum {

// Header fields of a packed DIB (core or info header); 0 when the header is too short.
std::uint32_t BitmapCompression(ByteView dib);
std::uint16_t BitmapBitCount(ByteView dib);
// Bytes of colour table that follow the header: 4 per used colour, or for a used count of 0
// 8, 16, 64 or 1024 for 1, 2, 4 or 8 bits per pixel (3-byte entries for core headers).
std::uint32_t BitmapPaletteBytes(ByteView dib);

// The 14-byte file header in front of a packed DIB: the pixels start after the info header, the
// colour masks of a bit-field bitmap and the colour table.
std::array<std::uint8_t, 14> BitmapFileHeader(ByteView dib);

// An icon (or cursor) file holding one image of a resource. For cursors the resource starts
// with the hot spot, which goes into the directory entry.
std::vector<std::uint8_t> SingleImageFile(ByteView resource, bool cursor);

// `bytes` bytes of the image in a single-image file, from the offset its directory entry gives;
// what the file lacks is zero-filled.
std::vector<std::uint8_t> ImageOfSingleImageFile(ByteView file, std::uint32_t bytes);

// An .ico or .cur file assembled from a group resource and its members' single-image files
// (`memberFile(id)`; empty when a member is missing). An icon's directory entry is the group
// entry's first 12 bytes and the image offset, its image the group entry's byte count from the
// member file. A cursor's entry comes from the member's own file, which knows the hot spot the
// group entry lacks, and its image is the member's whole image. A missing member is zero-filled
// so that the offsets of the later images stay right. `lastImage` receives the last image's
// byte count. Nothing when the images would need more than kMaxGroupFileSize bytes.
using MemberFileSource = std::function<std::vector<std::uint8_t>(unsigned id)>;
constexpr std::uint64_t kMaxGroupFileSize = 64ull << 20;
std::optional<std::vector<std::uint8_t>> GroupFile(ByteView group, bool cursor,
                                                   const MemberFileSource& memberFile,
                                                   std::uint32_t& lastImage);

// Width and height of a PNG stream (from IHDR), when the bytes are one.
bool PngDimensions(ByteView bytes, std::uint32_t& width, std::uint32_t& height);

// The bytes an icon or cursor image occupies (a cursor resource's hot spot not included), as its
// own header tells, so that whatever follows it (alignment padding, say) can be told apart:
//
//   BITMAPCOREHEADER  u32 size (12), u16 width, u16 height, u16 planes, u16 bit count
//   BITMAPINFOHEADER  u32 size (40; 52 to 124 for its later versions), i32 width, i32 height,
//                     u16 planes, u16 bit count, u32 compression, u32 image bytes,
//                     i32 x and y pixels per metre, u32 colours used, u32 colours important
//   DIB image         the header; three u32 colour masks after a 40-byte header with
//                     compression 3 (later headers hold them); the colour table (3-byte
//                     entries after a core header); the XOR rows; the AND rows (1 bpp). Rows
//                     are padded to 4 bytes; the header's height counts XOR and AND rows.
//   PNG stream        8-byte signature, then chunks (u32 big-endian data length, 4-letter
//                     type, data, u32 CRC) up to and including IEND
//
// The size may exceed `image` when the image is cut short: a DIB's size comes from its header
// alone, and a PNG stream cut inside a chunk counts to that chunk's end (at least its 12 bytes
// of framing). Nothing when the bytes are neither, the header is of a kind whose pixel bytes
// cannot be counted (compressed, unknown size or depth), or the sizes are absurd.
std::optional<std::uint64_t> IconImageSize(ByteView image);

} // namespace vellum
