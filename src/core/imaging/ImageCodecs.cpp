// Reads PNGs into image records and builds bitmap files, packed DIBs and icon files from them.
#include "imaging/ImageCodecs.h"

#include "common/FileIo.h"
#include "common/MappedFile.h"
#include "common/Prompter.h"
#include "formats/ResourceFiles.h"
#include "imaging/PngStructs.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <png.h>

namespace vellum {

namespace {

using Bytes = std::vector<std::uint8_t>;

// A picture whose pixel block would be larger is refused before anything is allocated for it.
constexpr std::uint64_t kMaxPixelBytes = std::uint64_t(512) << 20;

// ---------------------------------------------------------------------------------------------
// Reading PNG

// The PNG stream in memory; reading past its end is a libpng error, so the read fails.
struct MemorySource {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (length > source->size - source->position)
        png_error(png, "Unexpected end of PNG data");
    std::memcpy(out, source->data + source->position, length);
    source->position += length;
}

// What the PNG header says, and the depth of the record it becomes (0: no mapping).
struct PngLayout {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    bool transparency = false; // a tRNS chunk
    std::uint16_t bitCount = 0;
};

// Transparency of any kind (an alpha channel or a tRNS chunk) needs a fourth byte per pixel, so
// such images become 32-bit records. Palette and grey images keep their depth, except that the
// record has no 2- or 16-bit form.
std::uint16_t RecordBitCount(int colourType, int bitDepth, bool transparency) {
    switch (colourType) {
    case PNG_COLOR_TYPE_RGB_ALPHA:
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 32;
    case PNG_COLOR_TYPE_RGB:
        return transparency ? 32 : 24;
    case PNG_COLOR_TYPE_PALETTE:
    case PNG_COLOR_TYPE_GRAY:
        break;
    default:
        return 0;
    }
    if (transparency)
        return 32;
    switch (bitDepth) {
    case 1:
        return 1;
    case 2:
    case 4:
        return 4;
    case 8:
    case 16:
        return 8;
    default:
        return 0;
    }
}

PngLayout LayoutOf(png_structp png, png_infop info) {
    PngLayout layout;
    layout.width = png_get_image_width(png, info);
    layout.height = png_get_image_height(png, info);
    layout.bitDepth = png_get_bit_depth(png, info);
    layout.colourType = png_get_color_type(png, info);
    layout.transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    layout.bitCount = RecordBitCount(layout.colourType, layout.bitDepth, layout.transparency);
    return layout;
}

// libpng limits both sides to 2^31 - 1, so they fit the record's signed fields.
bool FitsInLimit(const PngLayout& layout) {
    auto size = ImageRecord::BlockSizeFor(std::int32_t(layout.width), std::int32_t(layout.height),
                                          layout.bitCount);
    return size && *size <= kMaxPixelBytes;
}

// Each nibble of a 2-bit row (two pixels) becomes one byte of a 4-bit row (the same two pixels).
constexpr std::array<std::uint8_t, 16> kTwoBitPairToFourBit = {
    0x00, 0x01, 0x02, 0x03, 0x10, 0x11, 0x12, 0x13, 0x20, 0x21, 0x22, 0x23, 0x30, 0x31, 0x32, 0x33};

// A libpng user transform: widens a row of 2-bit pixels to 4 bits in place. It works from the
// end backwards, so that every input byte is read before an output byte lands on it. libpng's
// row buffer has room for the wider row (png_set_user_transform_info announces the depth).
void WidenTwoBitPixels(png_structp, png_row_infop row, png_bytep data) {
    if (row->bit_depth != 2)
        return;
    std::size_t outBytes = (std::size_t(row->width) * 4 + 7) / 8;
    for (std::size_t i = outBytes; i-- > 0;) {
        std::uint8_t pair = data[i / 2];
        data[i] = kTwoBitPairToFourBit[i % 2 ? pair & 0x0F : pair >> 4];
    }
    row->bit_depth = 4;
    row->pixel_depth = 4;
    row->rowbytes = outBytes;
}

// True-colour records hold blue, green, red (and alpha) with 8 bits each; palette and grey
// records hold indices of their own depth.
void SetTransforms(png_structp png, const PngLayout& layout) {
    if (layout.bitCount >= 24) {
        png_set_expand(png); // palette to RGB, grey to 8 bits, tRNS to an alpha channel
        png_set_gray_to_rgb(png);
        png_set_bgr(png);
    } else if (layout.bitDepth == 2) {
        png_set_read_user_transform_fn(png, WidenTwoBitPixels);
        png_set_user_transform_info(png, nullptr, 4, 1);
    }
    if (layout.bitDepth == 16)
        png_set_strip_16(png);
    png_set_interlace_handling(png);
}

// After the transforms a row must be exactly what the record holds, or the read would overrun.
bool RowsMatchRecord(png_structp png, png_infop info, const PngLayout& layout) {
    std::uint64_t expected = (std::uint64_t(layout.width) * layout.bitCount + 7) / 8;
    return png_get_rowbytes(png, info) == expected;
}

bool AllocateFor(ImageRecord& record, const PngLayout& layout) {
    std::size_t paletteCount = layout.bitCount <= 8 ? std::size_t(1) << layout.bitCount : 0;
    return record.Allocate(std::int32_t(layout.width), std::int32_t(layout.height), layout.bitCount,
                           paletteCount, false);
}

// The file's PLTE, as far as the record's palette reaches; unused entries stay black.
void CopyPngPalette(png_structp png, png_infop info, ImageRecord& record) {
    png_colorp entries = nullptr;
    int count = 0;
    if (!png_get_PLTE(png, info, &entries, &count) || !entries)
        return;
    std::size_t used = std::min(std::size_t(std::max(count, 0)), record.palette.size());
    for (std::size_t i = 0; i < used; ++i)
        record.palette[i] = {entries[i].red, entries[i].green, entries[i].blue};
}

// Grey levels spread evenly from black to white over the file's own depth: a 2-bit grey image
// widened to 4 bits still uses indices 0-3, which must span the whole range.
void BuildGreyRamp(ImageRecord& record, int fileBitDepth) {
    std::size_t levels = std::size_t(1) << std::min(fileBitDepth, 8);
    for (std::size_t i = 0; i < levels && i < record.palette.size(); ++i) {
        auto grey = std::uint8_t(i * 255 / (levels - 1));
        record.palette[i] = {grey, grey, grey};
    }
}

void FillPalette(png_structp png, png_infop info, const PngLayout& layout, ImageRecord& record) {
    if (layout.bitCount > 8)
        return;
    if (layout.colourType == PNG_COLOR_TYPE_PALETTE)
        CopyPngPalette(png, info, record);
    else
        BuildGreyRamp(record, layout.bitDepth);
}

// libpng reports errors by a longjmp back to the setjmp here, so nothing in this frame has a
// destructor; the record belongs to the caller, which frees it on failure.
bool DecodePng(png_structp png, png_infop info, ImageRecord& record) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    PngLayout layout = LayoutOf(png, info);
    if (layout.bitCount == 0 || !FitsInLimit(layout))
        return false;
    SetTransforms(png, layout);
    png_read_update_info(png, info);
    if (!RowsMatchRecord(png, info, layout) || !AllocateFor(record, layout))
        return false;
    FillPalette(png, info, layout, record);
    png_uint_32 x = 0, y = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(png, info, &x, &y, &unit) && unit == PNG_RESOLUTION_METER) {
        record.xPixelsPerMetre = x;
        record.yPixelsPerMetre = y;
    }
    png_read_image(png, record.rows.data());
    png_read_end(png, nullptr);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Writing bitmap files and DIBs

constexpr std::uint32_t kFileHeaderSize = BitmapFileHeader::kSize;
constexpr std::uint32_t kPixelsPerMetre = 3780; // 96 dots per inch

// The info header of uncompressed rows, bottom row first, one plane; the colours it states as
// used count as the important ones too.
DibHeader InfoHeader(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                     std::uint32_t imageBytes, std::uint32_t coloursUsed = 0) {
    DibHeader header;
    header.size = kInfoHeaderSize;
    header.width = width;
    header.height = height;
    header.planes = 1;
    header.bitCount = bitCount;
    header.imageBytes = imageBytes;
    header.coloursUsed = coloursUsed;
    header.coloursImportant = coloursUsed;
    return header;
}

// The header's resolution, as a record holds it.
void SetResolution(DibHeader& header, std::uint32_t x, std::uint32_t y) {
    header.xPixelsPerMetre = std::int32_t(x);
    header.yPixelsPerMetre = std::int32_t(y);
}

// Colour-table entries are RGBQUADs: blue, green, red, 0.
void PutPalette(Bytes& out, const ImageRecord& record) {
    for (const ImageRecord::Rgb& rgb : record.palette)
        out.insert(out.end(), {rgb[2], rgb[1], rgb[0], 0});
}

// The rows bottom row first whatever order the record stores them in.
void PutRowsBottomUp(Bytes& out, const ImageRecord& record) {
    for (std::size_t i = record.rows.size(); i-- > 0;)
        out.insert(out.end(), record.rows[i], record.rows[i] + record.stride);
}

std::uint32_t BlockSize(const ImageRecord& record) {
    return std::uint32_t(record.stride * record.rows.size());
}

// A bitmap file states its size and pixel offset in 32 bits.
bool FitsInBitmapFields(const ImageRecord& record) {
    std::uint64_t size = kFileHeaderSize + kInfoHeaderSize +
                         4 * std::uint64_t(record.palette.size()) +
                         std::uint64_t(record.stride) * record.rows.size();
    return size <= UINT32_MAX;
}

// A packed DIB: info header, colour table, pixel rows.
Bytes DibBytes(const ImageRecord& record) {
    DibHeader header = InfoHeader(record.width, record.height, record.bitCount, BlockSize(record),
                                  std::uint32_t(record.palette.size()));
    SetResolution(header, kPixelsPerMetre, kPixelsPerMetre);
    Bytes out;
    out.reserve(kInfoHeaderSize + 4 * record.palette.size() + BlockSize(record));
    header.AppendInfoHeader(out);
    PutPalette(out, record);
    PutRowsBottomUp(out, record);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Bitmap to icon

// The fields of a bitmap file (an info header or a later version behind the file header) that
// an icon needs.
struct SourceDib {
    BitmapFileHeader file;
    DibHeader header;
    std::int32_t width = 0;
    std::int32_t height = 0; // rows, whatever their order
    bool topDown = false;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::size_t stride = 0;
    ByteView palette; // whole RGBQUADs only
    ByteView pixels;  // stride * height bytes
};

constexpr std::int32_t kMaxIconSide = 256;

std::optional<SourceDib> ReadDibHeader(ByteView file) {
    SourceDib dib;
    dib.file = BitmapFileHeader::Read(file);
    dib.header = DibHeader::Read(file.From(kFileHeaderSize));
    if (!dib.file.IsBitmap() || dib.header.size < kInfoHeaderSize ||
        !file.Has(kFileHeaderSize, dib.header.size))
        return std::nullopt;
    dib.width = dib.header.width;
    std::int64_t height = dib.header.height;
    dib.topDown = height < 0;
    if (dib.width < 1 || height == 0 || std::abs(height) > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    dib.height = std::int32_t(std::abs(height));
    dib.planes = dib.header.planes;
    dib.bitCount = dib.header.bitCount;
    dib.compression = dib.header.compression;
    return dib;
}

bool IsIconDepth(unsigned bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24 || bitCount == 32;
}

// Finds the colour table and the pixel rows; both must lie inside the file.
bool LocateDibData(ByteView file, SourceDib& dib) {
    if (!IsIconDepth(dib.bitCount))
        return false;
    std::uint64_t paletteStart = kFileHeaderSize + std::uint64_t(dib.header.size);
    std::uint64_t pixelOffset = dib.file.pixelOffset;
    if (pixelOffset < paletteStart)
        return false;
    if (dib.bitCount <= 8) {
        std::uint32_t used = dib.header.coloursUsed;
        std::uint64_t wanted = used ? used : 1u << dib.bitCount;
        std::uint64_t present = (pixelOffset - paletteStart) / 4;
        std::uint64_t count = std::min({wanted, present, std::uint64_t(1) << dib.bitCount});
        dib.palette = file.Sub(paletteStart, count * 4);
    }
    dib.stride = std::size_t(ImageRecord::StrideFor(dib.width, dib.bitCount));
    std::uint64_t blockSize = std::uint64_t(dib.stride) * std::uint64_t(dib.height);
    if (!file.Has(pixelOffset, blockSize))
        return false;
    dib.pixels = file.Sub(pixelOffset, blockSize);
    return true;
}

// An icon's colour table always has every entry its depth can address; missing ones are black.
Bytes IconPalette(const SourceDib& dib) {
    Bytes palette(dib.bitCount <= 8 ? std::size_t(4) << dib.bitCount : 0, 0);
    for (std::size_t at = 0; at + 4 <= dib.palette.Size(); at += 4)
        std::memcpy(&palette[at], dib.palette.Data() + at, 3);
    return palette;
}

// The pixel rows bottom row first, as an icon stores them.
Bytes XorImage(const SourceDib& dib) {
    Bytes image(dib.pixels.Size());
    std::size_t rows = std::size_t(dib.height);
    for (std::size_t y = 0; y < rows; ++y) {
        std::size_t stored = dib.topDown ? rows - 1 - y : y;
        std::memcpy(&image[y * dib.stride], dib.pixels.Data() + stored * dib.stride, dib.stride);
    }
    return image;
}

// Pixel access inside one stored row; palette pixels sit most significant bits first.
class PixelRow {
public:
    PixelRow(std::uint8_t* row, unsigned bitCount, const Bytes& palette)
        : row_(row), bitCount_(bitCount), palette_(palette) {}

    // Blue, green and red packed as 0xBBGGRR; palette pixels through their colour table.
    std::uint32_t ColourAt(std::size_t x) const {
        const std::uint8_t* p = bitCount_ >= 24 ? row_ + x * (bitCount_ / 8) : nullptr;
        if (!p) {
            std::size_t entry = std::size_t(IndexAt(x)) * 4;
            p = entry + 4 <= palette_.size() ? &palette_[entry] : nullptr;
        }
        return p ? std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2] : 0;
    }
    std::uint8_t AlphaAt(std::size_t x) const { return row_[x * 4 + 3]; }
    void Clear(std::size_t x) {
        if (bitCount_ >= 24) {
            std::memset(row_ + x * (bitCount_ / 8), 0, bitCount_ / 8);
            return;
        }
        std::size_t bit = x * bitCount_;
        unsigned shift = 8 - bitCount_ - unsigned(bit % 8);
        row_[bit / 8] &= std::uint8_t(~(((1u << bitCount_) - 1) << shift));
    }

private:
    unsigned IndexAt(std::size_t x) const {
        std::size_t bit = x * bitCount_;
        unsigned shift = 8 - bitCount_ - unsigned(bit % 8);
        return (row_[bit / 8] >> shift) & ((1u << bitCount_) - 1);
    }

    std::uint8_t* row_;
    unsigned bitCount_;
    const Bytes& palette_;
};

// The colour of the four corners when they share one: the picture's transparent colour.
std::optional<std::uint32_t> CornerKey(Bytes& xorImage, const SourceDib& dib,
                                       const Bytes& palette) {
    std::size_t right = std::size_t(dib.width) - 1;
    PixelRow bottom(&xorImage[0], dib.bitCount, palette);
    PixelRow top(&xorImage[(std::size_t(dib.height) - 1) * dib.stride], dib.bitCount, palette);
    std::uint32_t key = bottom.ColourAt(0);
    if (bottom.ColourAt(right) != key || top.ColourAt(0) != key || top.ColourAt(right) != key)
        return std::nullopt;
    return key;
}

std::size_t MaskStride(std::int32_t width) {
    return std::size_t(DibRowBytes(std::uint64_t(width), 1));
}

// The AND mask: one bit per pixel, set where the picture is transparent (alpha 0 for 32 bits,
// the corner key otherwise). Key pixels are cleared to 0 in the XOR image, so that the screen
// shows through unchanged.
Bytes MaskImage(Bytes& xorImage, const SourceDib& dib, const Bytes& palette) {
    std::size_t maskStride = MaskStride(dib.width);
    Bytes mask(maskStride * std::size_t(dib.height), 0);
    std::optional<std::uint32_t> key;
    if (dib.bitCount != 32)
        key = CornerKey(xorImage, dib, palette);
    for (std::size_t y = 0; y < std::size_t(dib.height); ++y) {
        PixelRow row(&xorImage[y * dib.stride], dib.bitCount, palette);
        for (std::size_t x = 0; x < std::size_t(dib.width); ++x) {
            bool clear = dib.bitCount == 32 ? row.AlphaAt(x) == 0 : key && row.ColourAt(x) == *key;
            if (!clear)
                continue;
            mask[y * maskStride + x / 8] |= std::uint8_t(0x80 >> (x % 8));
            if (dib.bitCount != 32)
                row.Clear(x);
        }
    }
    return mask;
}

// A one-image icon file; its size byte wraps 256 to 0, and its colour count byte is 0 for 256
// colours or more (the 8-bit depth included).
void PutIconDirectory(Bytes& out, const SourceDib& dib, std::uint32_t imageBytes) {
    IconDirHeader{0, kIconDirIcon, 1}.Append(out);
    IconDirEntry entry;
    entry.width = std::uint8_t(dib.width);
    entry.height = std::uint8_t(dib.height);
    entry.colours = dib.bitCount == 1 ? 2 : dib.bitCount == 4 ? 16 : 0;
    entry.planes = dib.planes;
    entry.bitCount = dib.bitCount;
    entry.bytes = imageBytes;
    entry.offset = kSingleImageOffset;
    entry.Append(out);
}

Bytes IconFileBytes(const SourceDib& dib) {
    Bytes palette = IconPalette(dib);
    Bytes xorImage = XorImage(dib);
    Bytes mask = MaskImage(xorImage, dib, palette);
    auto imageBytes =
        std::uint32_t(kInfoHeaderSize + palette.size() + xorImage.size() + mask.size());
    Bytes out;
    out.reserve(kSingleImageOffset + imageBytes);
    PutIconDirectory(out, dib, imageBytes);
    // XOR rows, then mask rows; the planes the bitmap states.
    DibHeader header =
        InfoHeader(dib.width, 2 * dib.height, dib.bitCount, std::uint32_t(xorImage.size()));
    header.planes = dib.planes;
    header.AppendInfoHeader(out);
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), xorImage.begin(), xorImage.end());
    out.insert(out.end(), mask.begin(), mask.end());
    return out;
}

// Callers may name the bitmap (".bmp") that the PNG stands for.
std::string PngSourceFor(const std::string& path) {
    return path.size() > 4 ? PngPathFor(path) : path;
}

} // namespace

bool ReadPngBytes(ByteView png, ImageRecord& record) {
    record.Free();
    PngFailure failure;
    PngReadStructs structs(&failure);
    if (!structs.Created())
        return false;
    MemorySource source{png.Data(), png.Size(), 0};
    png_set_read_fn(structs.Png(), &source, ReadFromMemory);
    if (DecodePng(structs.Png(), structs.Info(), record))
        return true;
    record.Free();
    return false;
}

bool ReadPng(const std::string& path, ImageRecord& record) {
    record.Free();
    MappedFile file;
    if (FAILED(file.Open(path)))
        return false;
    return ReadPngBytes(ByteView(file.Bytes()), record);
}

std::vector<std::uint8_t> BmpFileBytes(const ImageRecord& record) {
    if (!record.IsConsistent() || !FitsInBitmapFields(record))
        return {};
    // The header claims a full colour table unless the record's is shorter than its depth allows.
    std::size_t paletteCount = record.palette.size();
    bool shortPalette = record.bitCount <= 8 && paletteCount < (std::size_t(1) << record.bitCount);
    std::uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + 4 * std::uint32_t(paletteCount);
    try {
        Bytes out;
        out.reserve(pixelOffset + BlockSize(record));
        BitmapFileHeader file;
        file.fileSize = pixelOffset + BlockSize(record);
        file.pixelOffset = pixelOffset;
        file.Append(out);
        DibHeader header =
            InfoHeader(record.width, record.height, record.bitCount, BlockSize(record),
                       shortPalette ? std::uint32_t(paletteCount) : 0);
        SetResolution(header, record.xPixelsPerMetre, record.yPixelsPerMetre);
        header.AppendInfoHeader(out);
        PutPalette(out, record);
        PutRowsBottomUp(out, record);
        return out;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool WriteBmp(const std::string& path, ImageRecord& record) {
    Bytes bytes = BmpFileBytes(record);
    record.Free();
    return !bytes.empty() && SUCCEEDED(ReplaceFileContents(path, bytes.data(), bytes.size()));
}

ByteBuffer PngToDib(const std::string& path) {
    ImageRecord record;
    if (!ReadPng(PngSourceFor(path), record))
        return {};
    try {
        Bytes dib = DibBytes(record);
        return ByteBuffer(dib.data(), dib.size());
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::optional<std::vector<std::uint8_t>> PngToBmpBytes(ByteView png) {
    ImageRecord record;
    if (!ReadPngBytes(png, record))
        return std::nullopt;
    Bytes bytes = BmpFileBytes(record);
    if (bytes.empty())
        return std::nullopt;
    return bytes;
}

bool PngToBmp(const std::string& bmpPath) {
    ImageRecord record;
    return ReadPng(PngSourceFor(bmpPath), record) && WriteBmp(bmpPath, record);
}

bool ConvertBmpToPngExactly(const std::string& bmpPath, const DiagnosticsHook& hook) {
    std::vector<std::uint8_t> original, png;
    if (FAILED(ReadWholeFile(bmpPath, original)) || !ConvertBmpToPng(bmpPath, hook))
        return false;
    std::string pngPath = PngPathFor(bmpPath);
    std::optional<std::vector<std::uint8_t>> back;
    if (SUCCEEDED(ReadWholeFile(pngPath, png)))
        back = PngToBmpBytes(ByteView(png.data(), png.size()));
    // The 14-byte file header is not part of the resource, and a decompile writes its own.
    auto sameResource = [](const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
        return a.size() == b.size() && a.size() >= 14 &&
               std::equal(a.begin() + 14, a.end(), b.begin() + 14);
    };
    if (back && sameResource(*back, original))
        return true;
    if (hook)
        hook("KEPT AS BMP: a PNG would not give back the same bitmap - " + bmpPath + "\n");
    std::error_code ignored;
    std::filesystem::remove(pngPath, ignored);
    return false;
}

bool BitmapToIcon(ByteView dibWithFileHeader, const std::string& iconPath, Prompter& prompter) {
    std::optional<SourceDib> dib = ReadDibHeader(dibWithFileHeader);
    if (!dib || dib->width > kMaxIconSide || dib->height > kMaxIconSide)
        return false;
    if (dib->compression != 0) {
        prompter.Ask("Unsupported compression, can't convert\n", "Compression Error",
                     MB_OK | MB_ICONERROR);
        return false;
    }
    if (!LocateDibData(dibWithFileHeader, *dib))
        return false;
    Bytes icon = IconFileBytes(*dib);
    return SUCCEEDED(ReplaceFileContents(iconPath, icon.data(), icon.size()));
}

} // namespace vellum
