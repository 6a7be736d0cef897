// DIB headers, colour tables, row and image sizes, and PNG streams standing in for icon images.
#include "formats/DibShape.h"

#include "common/ByteWriter.h"

#include <algorithm>
#include <cstring>

namespace vellum {

namespace {

// BITMAPCOREHEADER fields.
constexpr std::uint64_t kCoreWidth = 4;
constexpr std::uint64_t kCoreHeight = 6;
constexpr std::uint64_t kCorePlanes = 8;
constexpr std::uint64_t kCoreBitCount = 10;
// BITMAPINFOHEADER fields, kept by the later versions.
constexpr std::uint64_t kInfoWidth = 4;
constexpr std::uint64_t kInfoHeight = 8;
constexpr std::uint64_t kInfoPlanes = 12;
constexpr std::uint64_t kInfoBitCount = 14;
constexpr std::uint64_t kInfoCompression = 16;
constexpr std::uint64_t kInfoImageBytes = 20;
constexpr std::uint64_t kInfoXPixelsPerMetre = 24;
constexpr std::uint64_t kInfoYPixelsPerMetre = 28;
constexpr std::uint64_t kInfoColoursUsed = 32;
constexpr std::uint64_t kInfoColoursImportant = 36;
// The bit-field masks, in a V4 or V5 header or right after a 40-byte one.
constexpr std::uint64_t kRedMask = 40;
constexpr std::uint64_t kGreenMask = 44;
constexpr std::uint64_t kBlueMask = 48;

constexpr std::uint32_t kRgbTripleSize = 3;
constexpr std::uint32_t kRgbQuadSize = 4;
constexpr std::uint32_t kMaxColourEntries = 1u << 24;

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint64_t kPngSignatureSize = 8;
constexpr std::uint64_t kPngChunkFraming = 12; // length, type, CRC
constexpr std::uint64_t kPngChunkData = 8;     // after length and type
constexpr std::uint64_t kPngIhdrWidth = kPngSignatureSize + kPngChunkData;
constexpr std::uint64_t kPngIhdrHeight = kPngIhdrWidth + 4;
constexpr std::uint64_t kPngMaxChunkLength = 0x7FFFFFFF;

// Far beyond any icon; keeps every product below within 64 bits with room to spare.
constexpr std::int64_t kMaxIconSide = 1 << 16;

std::uint32_t BigEndian32(ByteView b, std::uint64_t at) {
    return std::uint32_t(b.U8(at)) << 24 | std::uint32_t(b.U8(at + 1)) << 16 |
           std::uint32_t(b.U8(at + 2)) << 8 | b.U8(at + 3);
}

} // namespace

DibHeader DibHeader::Read(ByteView dib) {
    DibHeader h;
    h.size = dib.U32(0);
    // Reads past the header's own size give 0, so a short header's missing fields stay 0.
    ByteView header = dib.Sub(0, std::min<std::uint64_t>(h.size, dib.Size()));
    if (h.IsCore()) {
        h.width = header.U16(kCoreWidth);
        h.height = header.U16(kCoreHeight);
        h.planes = header.U16(kCorePlanes);
        h.bitCount = header.U16(kCoreBitCount);
        return h;
    }
    h.width = std::int32_t(header.U32(kInfoWidth));
    h.height = std::int32_t(header.U32(kInfoHeight));
    h.planes = header.U16(kInfoPlanes);
    h.bitCount = header.U16(kInfoBitCount);
    h.compression = header.U32(kInfoCompression);
    h.imageBytes = header.U32(kInfoImageBytes);
    h.xPixelsPerMetre = std::int32_t(header.U32(kInfoXPixelsPerMetre));
    h.yPixelsPerMetre = std::int32_t(header.U32(kInfoYPixelsPerMetre));
    h.coloursUsed = header.U32(kInfoColoursUsed);
    h.coloursImportant = header.U32(kInfoColoursImportant);
    if (h.compression == kDibBitFields && h.size >= kInfoHeaderSize) {
        h.redMask = dib.U32(kRedMask);
        h.greenMask = dib.U32(kGreenMask);
        h.blueMask = dib.U32(kBlueMask);
    }
    return h;
}

void DibHeader::AppendInfoHeader(std::vector<std::uint8_t>& out) const {
    AppendU32(out, kInfoHeaderSize);
    AppendU32(out, std::uint32_t(width));
    AppendU32(out, std::uint32_t(height));
    AppendU16(out, planes);
    AppendU16(out, bitCount);
    AppendU32(out, compression);
    AppendU32(out, imageBytes);
    AppendU32(out, std::uint32_t(xPixelsPerMetre));
    AppendU32(out, std::uint32_t(yPixelsPerMetre));
    AppendU32(out, coloursUsed);
    AppendU32(out, coloursImportant);
}

std::uint32_t DibHeader::MasksAfterHeader() const {
    return size == kInfoHeaderSize && compression == kDibBitFields ? kColourMasksSize : 0;
}

std::uint32_t DibHeader::ColourTableBytes() const {
    if (IsCore())
        return bitCount <= 8 ? kRgbTripleSize << bitCount : 0;
    if (coloursUsed)
        return kRgbQuadSize * std::min(coloursUsed, kMaxColourEntries);
    switch (bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
        return kRgbQuadSize << bitCount;
    default:
        return 0;
    }
}

std::uint64_t DibRowBytes(std::uint64_t width, unsigned bits) {
    return (width * bits + 31) / 32 * 4;
}

std::optional<PngHeader> ReadPngHeader(ByteView bytes) {
    if (!bytes.Has(0, kPngIhdrHeight + 4) ||
        std::memcmp(bytes.Data(), kPngSignature, kPngSignatureSize) != 0 ||
        std::memcmp(bytes.Data() + kPngSignatureSize + 4, "IHDR", 4) != 0)
        return std::nullopt;
    return PngHeader{BigEndian32(bytes, kPngIhdrWidth), BigEndian32(bytes, kPngIhdrHeight)};
}

IconImageShape ShapeOfIconImage(ByteView image) {
    IconImageShape shape;
    if (std::optional<PngHeader> png = ReadPngHeader(image)) {
        shape.width = png->width;
        shape.height = png->height;
        shape.bitCount = 32;
        shape.png = true;
        return shape;
    }
    DibHeader header = DibHeader::Read(image);
    shape.width = std::uint32_t(header.width);
    shape.height = std::uint32_t(header.height / 2);
    shape.bitCount = header.bitCount;
    std::uint32_t colours = header.coloursUsed;
    if (colours == 0 && header.bitCount < 8)
        colours = 1u << header.bitCount;
    shape.colours = colours < 256 ? std::uint8_t(colours) : 0;
    return shape;
}

std::uint64_t IconXorBytes(const DibHeader& header) {
    std::uint64_t width = std::uint64_t(std::max(header.width, 0));
    return DibRowBytes(width, header.bitCount) * std::uint64_t(std::max(header.height / 2, 0));
}

std::uint64_t IconMaskBytes(const DibHeader& header) {
    std::uint64_t width = std::uint64_t(std::max(header.width, 0));
    return DibRowBytes(width, 1) * std::uint64_t(std::max(header.height / 2, 0));
}

namespace {

bool IsIconDepth(unsigned bits, bool core) {
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
    DibHeader h = DibHeader::Read(dib);
    bool core = h.IsCore();
    if (!core && (h.size < kInfoHeaderSize || h.size > kV5HeaderSize))
        return std::nullopt;
    if (!dib.Has(0, core ? kCoreHeaderSize : kInfoHeaderSize))
        return std::nullopt;
    std::int64_t rows = h.height / 2; // XOR rows, and as many AND rows
    if (h.width < 1 || h.width > kMaxIconSide || rows < 1 || rows > kMaxIconSide ||
        !IsIconDepth(h.bitCount, core))
        return std::nullopt;
    bool bitFields = h.compression == kDibBitFields && (h.bitCount == 16 || h.bitCount == 32);
    if (h.compression != kDibRgb && !bitFields)
        return std::nullopt; // run-length or embedded pixels: no size follows from the header
    // A colour table larger than the depth can address describes no image a reader would take.
    if (h.coloursUsed > (h.bitCount <= 8 ? 1u << h.bitCount : 256u))
        return std::nullopt;
    return h.PixelOffset() + IconXorBytes(h) + IconMaskBytes(h);
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
        if (!png.Has(at, kPngChunkData))
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
    if (IsPngStream(image))
        return PngStreamSize(image);
    return DibImageSize(image);
}

} // namespace vellum
