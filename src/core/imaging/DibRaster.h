// Packed DIBs turned into plain pixels for the screen: decoding, nearest-neighbour stretching and
// the checkerboard composite that makes transparency visible.
#pragma once

#include "common/ByteView.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vellum {

// Pixels as 0xAARRGGBB words, top row first (the layout of a 32-bit screen image).
struct Raster {
    int width = 0;
    int height = 0;
    // The DIB stored its bottom row first; the checkerboard counts rows in the DIB's order.
    bool bottomUp = true;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

// The largest width or height an image may claim; larger values mark the image invalid.
constexpr std::int32_t kMaxImageSide = 65535;

// Decodes an uncompressed DIB of 1, 4, 8, 16, 24 or 32 bits per pixel (16 and 32 also with bit
// fields). Pixels without alpha get 255; colour indexes past the table read black. Nothing when
// the header is of another kind, a side is 0 or beyond kMaxImageSide, or the colour table and
// rows do not all lie inside the bytes.
std::optional<Raster> DecodeDib(ByteView dib);

// Nearest-neighbour scaling to width x height: destination column x reads source column
// x * source width / width (whole numbers), rows likewise. Both sizes at least 1.
Raster StretchNearest(const Raster& source, int width, int height);

// The same sampling, laid over white and silver 6-pixel squares. With alpha a: 255 keeps the
// pixel, 0 shows the square, otherwise each channel is (c * w + (256 - w) * B + 127) >> 8 with
// w = a below 128 and a + 1 from 128 on, B 255 on white squares and 192 on silver ones. A square
// is white when (x mod 12 < 6) equals (y mod 12 < 6), counting rows in the DIB's own order.
Raster CompositeOnCheckerboard(const Raster& source, int width, int height);

// One channel of the composite, for background B (255 or 192).
constexpr std::uint8_t BlendOverBackground(unsigned channel, unsigned alpha, unsigned background) {
    if (alpha == 255)
        return std::uint8_t(channel);
    if (alpha == 0)
        return std::uint8_t(background);
    unsigned w = alpha <= 127 ? alpha : alpha + 1;
    return std::uint8_t((channel * w + (256 - w) * background + 127) >> 8);
}

} // namespace vellum
