// DIB headers and the sizes that follow from them, and the PNG streams that may stand in for an
// icon image. A packed DIB (a bitmap resource, an icon or cursor image, a .bmp file behind its
// 14-byte file header) starts with one of these headers:
//
//   BITMAPCOREHEADER (12)  0 u32 size          4 u16 width         6 u16 height
//                          8 u16 planes       10 u16 bit count
//   BITMAPINFOHEADER (40)  0 u32 size          4 i32 width         8 i32 height (< 0: top row
//   first)
//                         12 u16 planes       14 u16 bit count    16 u32 compression
//                         20 u32 image bytes  24 i32 x pixels per metre   28 i32 y pixels per metre
//                         32 u32 colours used 36 u32 colours important
//   BITMAPV4HEADER (108)   the info header, then 40 u32 red mask  44 u32 green mask
//                         48 u32 blue mask    52 u32 alpha mask   56 u32 colour space
//                         60 end points (36 bytes)   96 u32 gamma red, green, blue
//   BITMAPV5HEADER (124)   the V4 header, then 108 u32 intent   112 u32 profile offset
//                        116 u32 profile bytes   120 u32 reserved
//
// Other sizes (OS/2 uses 16 to 64 bytes) share the info header's fields as far as they reach.
// After a 40-byte header with compression 3 (bit fields) the red, green and blue masks follow
// it, at the offsets the later headers hold them at. Then comes the colour table, 3-byte
// RGBTRIPLEs after a core header and 4-byte RGBQUADs after the others, and then the pixel rows,
// each padded to 4 bytes. An icon or cursor image holds two blocks of rows, the colour (XOR)
// rows and a 1-bit AND mask, and its header's height counts the rows of both.
//
//   PNG stream   signature 89 'P' 'N' 'G' 0D 0A 1A 0A, then chunks: u32 big-endian data length,
//                4-letter type, data, u32 CRC. The first is IHDR (u32 big-endian width, u32
//                big-endian height, ...), the last IEND.
#pragma once

#include "common/ByteView.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vellum {

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::uint32_t kV5HeaderSize = 124;
constexpr std::uint32_t kColourMasksSize = 12; // red, green and blue after a 40-byte header

// Compression values.
constexpr std::uint32_t kDibRgb = 0;
constexpr std::uint32_t kDibBitFields = 3;

// The fields of a DIB header, whichever of the four it is.
struct DibHeader {
    std::uint32_t size = 0; // the header's own size field
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageBytes = 0;
    std::int32_t xPixelsPerMetre = 0;
    std::int32_t yPixelsPerMetre = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t coloursImportant = 0;
    // Bit-field masks, inside a later header or after a 40-byte one; 0 unless compression is 3.
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;

    // The header at the start of `dib`. A core header's words widen into the same fields; a field
    // that lies beyond the header's size, or beyond the bytes, reads 0.
    static DibHeader Read(ByteView dib);
    // Appends the fields as a 40-byte BITMAPINFOHEADER, whatever size they were read from.
    void AppendInfoHeader(std::vector<std::uint8_t>& out) const;

    bool IsCore() const { return size == kCoreHeaderSize; }
    // Bytes of the colour masks that follow the header: 12 after a 40-byte header with bit
    // fields, where the later headers hold them inside.
    std::uint32_t MasksAfterHeader() const;
    // Bytes of the colour table: the used count's entries, or for a count of 0 every colour
    // 1, 2, 4 or 8 bits per pixel address (3-byte entries after a core header, which has no used
    // count). Counts beyond 2^24 entries count as 2^24, which keeps the sum within 32 bits.
    std::uint32_t ColourTableBytes() const;
    // Where the colour table and the pixel rows start, from the start of the DIB.
    std::uint64_t ColourTableOffset() const { return std::uint64_t(size) + MasksAfterHeader(); }
    std::uint64_t PixelOffset() const { return ColourTableOffset() + ColourTableBytes(); }
};

// Bytes of one stored row of `width` pixels at `bits` per pixel: padded to a multiple of 4.
std::uint64_t DibRowBytes(std::uint64_t width, unsigned bits);

// Width and height from a PNG stream's IHDR.
struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The IHDR of a PNG stream; nothing when the bytes do not start with the signature and IHDR.
std::optional<PngHeader> ReadPngHeader(ByteView bytes);
inline bool IsPngStream(ByteView bytes) {
    return ReadPngHeader(bytes).has_value();
}

// What an icon or cursor directory entry says about an image, taken from the image itself.
struct IconImageShape {
    std::uint32_t width = 0;
    std::uint32_t height = 0;   // the rows of one block (a DIB's header height halved)
    std::uint8_t colours = 0;   // palette colours; 0 for 256 or more, and for PNG
    std::uint16_t bitCount = 0; // 32 for PNG
    bool png = false;
};
IconImageShape ShapeOfIconImage(ByteView image);

// Bytes of an icon image's colour (XOR) rows and of its AND mask, for a header whose height
// counts both blocks.
std::uint64_t IconXorBytes(const DibHeader& header);
std::uint64_t IconMaskBytes(const DibHeader& header);

// The bytes an icon or cursor image occupies (a cursor resource's hot spot not included), as its
// own header tells, so that whatever follows it (alignment padding, say) can be told apart: a
// DIB's header, masks, colour table, XOR rows and AND rows; a PNG stream up to and including
// IEND. The size may exceed `image` when the image is cut short: a DIB's size comes from its
// header alone, and a PNG stream cut inside a chunk counts to that chunk's end (at least its 12
// bytes of framing). Nothing when the bytes are neither, the header is of a kind whose pixel bytes
// cannot be counted (compressed, unknown size or depth), or the sizes are absurd.
std::optional<std::uint64_t> IconImageSize(ByteView image);

} // namespace vellum
