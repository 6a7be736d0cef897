// Decoding, stretching and compositing DIB pixels.
#include "imaging/DibRaster.h"

#include "formats/DibShape.h"

#include <array>
#include <bit>
#include <cstring>

namespace vellum {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::uint8_t kWhite = 255;
constexpr std::uint8_t kSilver = 192;
constexpr int kSquare = 6;

struct Palette {
    std::vector<std::uint32_t> colours;
    std::uint32_t operator[](std::uint32_t index) const {
        return index < colours.size() ? colours[index] : kOpaque;
    }
};

// RGBQUADs (blue, green, red, reserved) or, after a core header, RGBTRIPLEs.
Palette ReadPalette(ByteView dib, const DibHeader& header) {
    Palette palette;
    std::uint32_t entry = header.IsCore() ? 3 : 4;
    ByteView table = dib.Sub(header.ColourTableOffset(), header.ColourTableBytes());
    for (std::uint64_t at = 0; at + entry <= table.Size(); at += entry)
        palette.colours.push_back(kOpaque | std::uint32_t(table.U8(at + 2)) << 16 |
                                  std::uint32_t(table.U8(at + 1)) << 8 | table.U8(at));
    return palette;
}

// A colour field of a 16-bit pixel widened to 8 bits.
std::uint32_t Field(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!(mask >> shift & 1))
        ++shift;
    std::uint32_t max = mask >> shift;
    return ((pixel & mask) >> shift) * 255 / max;
}

struct RowDecoder {
    const DibHeader& header;
    Palette palette;
    std::array<std::uint32_t, 3> masks; // red, green, blue of 16-bit pixels

    std::uint32_t Pixel(const std::uint8_t* row, int x) const {
        switch (header.bitCount) {
        case 1:
            return palette[row[x / 8] >> (7 - x % 8) & 1];
        case 4:
            return palette[row[x / 2] >> (x % 2 ? 0 : 4) & 15];
        case 8:
            return palette[row[x]];
        case 16: {
            std::uint32_t v = row[2 * x] | row[2 * x + 1] << 8;
            return kOpaque | Field(v, masks[0]) << 16 | Field(v, masks[1]) << 8 |
                   Field(v, masks[2]);
        }
        case 24:
            return kOpaque | std::uint32_t(row[3 * x + 2]) << 16 | row[3 * x + 1] << 8 | row[3 * x];
        default:
            return std::uint32_t(row[4 * x + 3]) << 24 | std::uint32_t(row[4 * x + 2]) << 16 |
                   row[4 * x + 1] << 8 | row[4 * x];
        }
    }
};

bool DecodableDepth(const DibHeader& header) {
    switch (header.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        return header.compression == kDibRgb;
    case 16:
    case 32:
        return header.compression == kDibRgb || header.compression == kDibBitFields;
    default:
        return false;
    }
}

std::array<std::uint32_t, 3> SixteenBitMasks(const DibHeader& header) {
    if (header.compression == kDibBitFields)
        return {header.redMask, header.greenMask, header.blueMask};
    return {0x7C00, 0x03E0, 0x001F}; // 5 bits each
}

// Source row (in the DIB's storage order) of destination row y, and the same for columns.
int SourceIndex(int destination, int sourceSize, int destinationSize) {
    return int(std::int64_t(destination) * sourceSize / destinationSize);
}

// The source column of every destination column, worked out once per picture.
std::vector<int> SourceColumns(int sourceWidth, int width) {
    std::vector<int> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[std::size_t(x)] = SourceIndex(x, sourceWidth, width);
    return columns;
}

// Little-endian blue, green, red, alpha bytes are already the 0xAARRGGBB word.
void CopyRow32(const std::uint8_t* row, std::uint32_t* out, int width) {
    std::memcpy(out, row, std::size_t(width) * 4);
    if constexpr (std::endian::native == std::endian::big)
        for (int x = 0; x < width; ++x)
            out[x] =
                out[x] >> 24 | (out[x] >> 8 & 0xFF00u) | (out[x] << 8 & 0xFF0000u) | out[x] << 24;
}

} // namespace

std::optional<Raster> DecodeDib(ByteView dib) {
    DibHeader header = DibHeader::Read(dib);
    if (header.size < kCoreHeaderSize || !dib.Has(0, header.size) || !DecodableDepth(header))
        return std::nullopt;
    std::int64_t height = header.height < 0 ? -std::int64_t(header.height) : header.height;
    if (header.width <= 0 || header.width > kMaxImageSide || height == 0 || height > kMaxImageSide)
        return std::nullopt;
    std::uint64_t rowBytes = DibRowBytes(std::uint64_t(header.width), header.bitCount);
    std::uint64_t pixelOffset = header.PixelOffset();
    if (!dib.Has(pixelOffset, rowBytes * std::uint64_t(height)) ||
        !dib.Has(header.ColourTableOffset(), header.ColourTableBytes()))
        return std::nullopt;
    RowDecoder decoder{header, ReadPalette(dib, header), SixteenBitMasks(header)};
    Raster raster;
    raster.width = header.width;
    raster.height = int(height);
    raster.bottomUp = header.height > 0;
    raster.pixels.resize(std::size_t(raster.width) * raster.height);
    for (int y = 0; y < raster.height; ++y) {
        int stored = raster.bottomUp ? raster.height - 1 - y : y;
        const std::uint8_t* row = dib.Data() + pixelOffset + rowBytes * std::uint64_t(stored);
        std::uint32_t* out = &raster.pixels[std::size_t(y) * raster.width];
        if (header.bitCount == 32 && header.compression == kDibRgb) {
            CopyRow32(row, out, raster.width);
            continue;
        }
        for (int x = 0; x < raster.width; ++x)
            out[x] = decoder.Pixel(row, x);
    }
    return raster;
}

Raster StretchNearest(const Raster& source, int width, int height) {
    Raster out{width, height, source.bottomUp, {}};
    out.pixels.resize(std::size_t(width) * height);
    std::vector<int> columns = SourceColumns(source.width, width);
    for (int y = 0; y < height; ++y) {
        int sy = SourceIndex(y, source.height, height);
        for (int x = 0; x < width; ++x)
            out.pixels[std::size_t(y) * width + x] = source.At(columns[std::size_t(x)], sy);
    }
    return out;
}

// Rows are sampled and the squares counted in the DIB's storage order, so a bottom-up DIB's
// pattern starts at its bottom row.
Raster CompositeOnCheckerboard(const Raster& source, int width, int height) {
    Raster out{width, height, source.bottomUp, {}};
    out.pixels.resize(std::size_t(width) * height);
    std::vector<int> columns = SourceColumns(source.width, width);
    for (int row = 0; row < height; ++row) {
        int y = source.bottomUp ? height - 1 - row : row;
        int sy = SourceIndex(y, source.height, height);
        int sourceRow = source.bottomUp ? source.height - 1 - sy : sy;
        bool yLow = y % (2 * kSquare) < kSquare;
        std::uint32_t* dest = &out.pixels[std::size_t(row) * width];
        const std::uint32_t* src = &source.pixels[std::size_t(sourceRow) * source.width];
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel = src[columns[std::size_t(x)]];
            unsigned alpha = pixel >> 24;
            if (alpha == 255) {
                dest[x] = pixel;
                continue;
            }
            unsigned background = ((x % (2 * kSquare) < kSquare) == yLow) ? kWhite : kSilver;
            dest[x] = kOpaque |
                      std::uint32_t(BlendOverBackground(pixel >> 16 & 255, alpha, background))
                          << 16 |
                      std::uint32_t(BlendOverBackground(pixel >> 8 & 255, alpha, background)) << 8 |
                      BlendOverBackground(pixel & 255, alpha, background);
        }
    }
    return out;
}

} // namespace vellum
