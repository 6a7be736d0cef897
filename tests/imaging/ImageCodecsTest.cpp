// Tests of the image codecs: PNGs made with libpng's writer, bitmaps and icons checked byte by
// byte.
#include "imaging/ImageCodecs.h"

#include "common/Prompter.h"
#include "common/TestSupport.h"
#include "support/ByteBuilder.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <png.h>
#include <zlib.h>

using namespace vellum;
using vellum::test::Bytes;
using vellum::test::ScratchDir;
using vellum::test::View;

namespace {

struct PngRecipe {
    PngRecipe(std::uint32_t width, std::uint32_t height, int colourType, int bitDepth,
              std::vector<png_color> palette = {}, Bytes paletteAlpha = {})
        : width(width), height(height), colourType(colourType), bitDepth(bitDepth),
          palette(std::move(palette)), paletteAlpha(std::move(paletteAlpha)) {}

    std::uint32_t width;
    std::uint32_t height;
    int colourType;
    int bitDepth;
    std::vector<png_color> palette;
    Bytes paletteAlpha; // tRNS of a palette image
    bool interlaced = false;
    std::optional<png_color_16> transparentColour; // tRNS of a grey or RGB image
};

void AppendToBytes(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

// A PNG written by libpng. Rows are in PNG layout (red first, samples big-endian), top row first;
// when fewer rows than the height are given they repeat.
Bytes MakePng(const PngRecipe& recipe, const std::vector<Bytes>& rows) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendToBytes, nullptr);
    png_set_IHDR(png, info, recipe.width, recipe.height, recipe.bitDepth, recipe.colourType,
                 recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!recipe.palette.empty())
        png_set_PLTE(png, info, recipe.palette.data(), int(recipe.palette.size()));
    if (!recipe.paletteAlpha.empty())
        png_set_tRNS(png, info, recipe.paletteAlpha.data(), int(recipe.paletteAlpha.size()),
                     nullptr);
    if (recipe.transparentColour)
        png_set_tRNS(png, info, nullptr, 0, &*recipe.transparentColour);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_write_info(png, info);
    for (int pass = png_set_interlace_handling(png); pass > 0; --pass)
        for (std::uint32_t y = 0; y < recipe.height; ++y)
            png_write_row(png, rows[y % rows.size()].data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes PixelsOf(const ImageRecord& record) {
    return Bytes(record.pixels.begin(), record.pixels.end());
}

std::size_t FileCount(const std::string& folder) {
    return std::size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// A bitmap file: file header, 40-byte info header (colours used as given), colour table, rows.
Bytes MakeBmp(std::int32_t width, std::int32_t height, std::uint16_t bitCount, const Bytes& colours,
              const Bytes& rows, std::uint32_t compression = 0, std::uint32_t coloursUsed = 0) {
    return test::BmpFileBytes({.width = width,
                               .height = height,
                               .bitCount = bitCount,
                               .compression = compression,
                               .coloursUsed = coloursUsed},
                              colours, rows);
}

const std::vector<png_color> kTwoColours = {{10, 20, 30}, {40, 50, 60}};
const std::vector<png_color> kFourColours = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {1, 2, 3}};

// 2x2 RGBA, top row first: opaque red, half-transparent green; blue, clear white.
const Bytes kRgbaTop = {255, 0, 0, 255, 0, 255, 0, 128};
const Bytes kRgbaBottom = {0, 0, 255, 7, 255, 255, 255, 0};
Bytes RgbaPng() {
    return MakePng({2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8}, {kRgbaTop, kRgbaBottom});
}
// The same pixels as BMP rows: blue, green, red, alpha, bottom row first.
const Bytes kRgbaBmpRows = {255, 0, 0, 7, 255, 255, 255, 0, 0, 0, 255, 255, 0, 255, 0, 128};

} // namespace

TEST(ReadPng, TwoBitPaletteWidensToFourBitsInterlacedOrNot) {
    // 5x2; top row indices 0 1 2 3 1, bottom row 3 3 2 1 0.
    std::vector<Bytes> rows = {{0x1B, 0x40}, {0xF9, 0x00}};
    for (bool interlaced : {false, true}) {
        PngRecipe recipe(5, 2, PNG_COLOR_TYPE_PALETTE, 2, kFourColours);
        recipe.interlaced = interlaced;
        ImageRecord record;
        ASSERT_TRUE(ReadPngBytes(View(MakePng(recipe, rows)), record)) << interlaced;
        EXPECT_EQ(record.bitCount, 4);
        EXPECT_EQ(record.stride, 4u);
        EXPECT_EQ(PixelsOf(record), (Bytes{0x33, 0x21, 0x00, 0, 0x01, 0x23, 0x10, 0}));
        ASSERT_EQ(record.palette.size(), 16u);
        EXPECT_EQ(record.palette[1], (ImageRecord::Rgb{40, 50, 60}));
        EXPECT_EQ(record.palette[3], (ImageRecord::Rgb{1, 2, 3}));
        EXPECT_EQ(record.palette[4], (ImageRecord::Rgb{0, 0, 0}));
    }
}

TEST(ReadPng, SixteenBitsAreStrippedAndGreyGetsARampOverItsOwnDepth) {
    ImageRecord record;
    // RGB 16: (0x1234, 0x5678, 0x9ABC) and (0xFF00, 0x0100, 0x0000).
    Bytes rgb16 = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xFF, 0x00, 0x01, 0x00, 0x00, 0x00};
    ASSERT_TRUE(ReadPngBytes(View(MakePng({2, 1, PNG_COLOR_TYPE_RGB, 16}, {rgb16})), record));
    EXPECT_EQ(record.bitCount, 24);
    EXPECT_TRUE(record.palette.empty());
    EXPECT_EQ(PixelsOf(record), (Bytes{0x9A, 0x56, 0x12, 0x00, 0x01, 0xFF, 0, 0}));

    ASSERT_TRUE(ReadPngBytes(View(MakePng({2, 1, PNG_COLOR_TYPE_GRAY, 8}, {{0, 0x80}})), record));
    EXPECT_EQ(record.bitCount, 8);
    EXPECT_EQ(PixelsOf(record), (Bytes{0, 0x80, 0, 0}));
    ASSERT_EQ(record.palette.size(), 256u);
    for (unsigned i = 0; i < 256; ++i)
        ASSERT_EQ(record.palette[i],
                  (ImageRecord::Rgb{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)}));

    ASSERT_TRUE(
        ReadPngBytes(View(MakePng({1, 1, PNG_COLOR_TYPE_GRAY, 16}, {{0xAB, 0xCD}})), record));
    EXPECT_EQ(record.bitCount, 8);
    EXPECT_EQ(PixelsOf(record), (Bytes{0xAB, 0, 0, 0}));

    // 2-bit grey 0 1 3: widened to 4 bits, and index 3 is still white.
    ASSERT_TRUE(ReadPngBytes(View(MakePng({3, 1, PNG_COLOR_TYPE_GRAY, 2}, {{0x1C}})), record));
    EXPECT_EQ(record.bitCount, 4);
    EXPECT_EQ(PixelsOf(record), (Bytes{0x01, 0x30, 0, 0}));
    ASSERT_EQ(record.palette.size(), 16u);
    EXPECT_EQ(record.palette[1], (ImageRecord::Rgb{85, 85, 85}));
    EXPECT_EQ(record.palette[3], (ImageRecord::Rgb{255, 255, 255}));
}

TEST(ReadPng, TransparencyOfAnyKindGivesBgraRecords) {
    PngRecipe greyAlpha{2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8};
    PngRecipe paletteAlpha{2, 1, PNG_COLOR_TYPE_PALETTE, 4, kFourColours, {0x80}};
    PngRecipe rgba16{1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16};
    PngRecipe rgbKey{2, 1, PNG_COLOR_TYPE_RGB, 8};
    rgbKey.transparentColour = png_color_16{0, 1, 2, 3, 0};
    struct Case {
        const char* name;
        Bytes png;
        Bytes pixels;
    } cases[] = {
        {"grey+alpha",
         MakePng(greyAlpha, {{0x40, 0x00, 0xC0, 0xFF}}),
         {0x40, 0x40, 0x40, 0x00, 0xC0, 0xC0, 0xC0, 0xFF}},
        {"palette+tRNS", MakePng(paletteAlpha, {{0x01}}), {30, 20, 10, 0x80, 60, 50, 40, 0xFF}},
        {"RGBA 16",
         MakePng(rgba16, {{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}}),
         {0x55, 0x33, 0x11, 0x77}},
        {"RGB+tRNS", MakePng(rgbKey, {{1, 2, 3, 4, 5, 6}}), {3, 2, 1, 0, 6, 5, 4, 0xFF}},
    };
    for (const Case& c : cases) {
        ImageRecord record;
        ASSERT_TRUE(ReadPngBytes(View(c.png), record)) << c.name;
        EXPECT_EQ(record.bitCount, 32) << c.name;
        EXPECT_TRUE(record.palette.empty()) << c.name;
        EXPECT_EQ(PixelsOf(record), c.pixels) << c.name;
    }
}

TEST(ReadPng, DamagedInputFailsAndLeavesTheTargetAlone) {
    std::vector<Bytes> rows;
    for (std::uint8_t y = 0; y < 8; ++y)
        rows.push_back(Bytes(24, std::uint8_t(y * 31)));
    const Bytes good = MakePng({8, 8, PNG_COLOR_TYPE_RGB, 8}, rows);
    // libpng writes IHDR (8..33) and then the IDAT: length, type, data, CRC.
    ASSERT_EQ(std::string(good.begin() + 37, good.begin() + 41), "IDAT");
    auto flipped = [&](std::size_t at) {
        Bytes out = good;
        out[at] ^= 0xFF;
        return out;
    };
    Bytes badDeflate = good; // garbage in the IDAT, but with a correct CRC
    std::size_t idatLength = std::size_t(good[35]) << 8 | good[36];
    ASSERT_GT(idatLength, 12u);
    std::fill(badDeflate.begin() + 41, badDeflate.begin() + 41 + idatLength, 0xFF);
    std::uint32_t crc = std::uint32_t(crc32(0, &badDeflate[37], uInt(4 + idatLength)));
    for (int i = 0; i < 4; ++i)
        badDeflate[41 + idatLength + i] = std::uint8_t(crc >> (24 - 8 * i));

    struct Case {
        const char* name;
        Bytes png;
    } cases[] = {
        {"empty", {}},
        {"not a PNG", Bytes(64, 'x')},
        {"cut in the IDAT", Bytes(good.begin(), good.begin() + 50)},
        {"no IEND", Bytes(good.begin(), good.end() - 12)},
        {"IHDR CRC", flipped(20)},
        {"IDAT CRC", flipped(45)},
        {"bad deflate data", badDeflate},
    };
    for (const Case& c : cases) {
        ImageRecord record;
        ASSERT_TRUE(ReadPngBytes(View(good), record));
        EXPECT_FALSE(ReadPngBytes(View(c.png), record)) << c.name;
        EXPECT_TRUE(record.pixels.Empty() && record.rows.empty()) << c.name;
        EXPECT_FALSE(PngToBmpBytes(View(c.png))) << c.name;

        ScratchDir dir;
        test::WriteFileBytes(dir / "r.png", c.png);
        test::WriteFileText(dir / "r.bmp", "precious");
        EXPECT_FALSE(PngToBmp(dir / "r.bmp")) << c.name;
        EXPECT_TRUE(PngToDib(dir / "r.bmp").Empty()) << c.name;
        EXPECT_EQ(test::ReadFileText(dir / "r.bmp"), "precious") << c.name;
        EXPECT_EQ(FileCount(dir.Path()), 2u) << c.name;
    }
    ScratchDir dir;
    EXPECT_FALSE(PngToBmp(dir / "missing.bmp"));
    EXPECT_EQ(FileCount(dir.Path()), 0u);
}

TEST(ReadPng, PictureOverHalfAGigabyteIsRefused) {
    // A valid 1-bit palette PNG with a transparent entry: 17 MB of PNG rows, but as a 32-bit
    // record 1000000 x 135 pixels would take 540 MB.
    PngRecipe recipe{1000000, 135, PNG_COLOR_TYPE_PALETTE, 1, {{0, 0, 0}, {9, 9, 9}}, {0}};
    ImageRecord record;
    EXPECT_FALSE(ReadPngBytes(View(MakePng(recipe, {Bytes(125000, 0)})), record));
    recipe.height = 1;
    EXPECT_TRUE(ReadPngBytes(View(MakePng(recipe, {Bytes(125000, 0)})), record));
}

TEST(PngToDib, RgbaGivesABottomUpThirtyTwoBitDib) {
    ScratchDir dir;
    test::WriteFileBytes(dir / "a.png", RgbaPng());
    ByteBuffer dib = PngToDib(dir / "a.bmp");
    const Bytes header = {
        40, 0, 0, 0, 2,    0,    0, 0, 2,    0,    0, 0, 1, 0, 32, 0, 0, 0, 0, 0, // to compression
        16, 0, 0, 0, 0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, // 3780 ppm
    };
    Bytes expected = header;
    expected.insert(expected.end(), kRgbaBmpRows.begin(), kRgbaBmpRows.end());
    EXPECT_EQ(Bytes(dib.begin(), dib.end()), expected);
}

TEST(PngToDib, PaletteImagesKeepTheirColoursAndPixels) {
    ScratchDir dir;
    // 3x2 1-bit: top row 1 0 1, bottom row 0 1 0.
    test::WriteFileBytes(dir / "p.png",
                         MakePng({3, 2, PNG_COLOR_TYPE_PALETTE, 1, kTwoColours}, {{0xA0}, {0x40}}));
    ByteBuffer dib = PngToDib(dir / "p.png");
    ASSERT_EQ(dib.Size(), 40u + 8 + 8);
    Bytes bytes(dib.begin(), dib.end());
    EXPECT_EQ(Bytes(bytes.begin() + 14, bytes.begin() + 24), (Bytes{1, 0, 0, 0, 0, 0, 8, 0, 0, 0}));
    EXPECT_EQ(Bytes(bytes.begin() + 32, bytes.begin() + 40), (Bytes{2, 0, 0, 0, 2, 0, 0, 0}));
    EXPECT_EQ(Bytes(bytes.begin() + 40, bytes.end()),
              (Bytes{30, 20, 10, 0, 60, 50, 40, 0, 0x40, 0, 0, 0, 0xA0, 0, 0, 0}));
}

TEST(WriteBmp, RgbaRecordGivesAThirtyTwoBitBitmapAndMatchesTheInMemoryImage) {
    ScratchDir dir;
    ImageRecord record;
    ASSERT_TRUE(ReadPngBytes(View(RgbaPng()), record));
    ASSERT_TRUE(WriteBmp(dir / "w.bmp", record));
    EXPECT_TRUE(record.pixels.Empty()) << "freed";

    Bytes expected = {'B', 'M', 70, 0, 0,  0, 0, 0, 0, 0, 54, 0, 0, 0,        // file header
                      40,  0,   0,  0, 2,  0, 0, 0, 2, 0, 0,  0, 1, 0, 32, 0, // to bit count
                      0,   0,   0,  0, 16, 0, 0, 0};                          // compression, size
    expected.resize(54);
    expected.insert(expected.end(), kRgbaBmpRows.begin(), kRgbaBmpRows.end());
    EXPECT_EQ(test::ReadFileBytes(dir / "w.bmp"), expected);
    EXPECT_EQ(PngToBmpBytes(View(RgbaPng())), expected);

    test::WriteFileBytes(dir / "c.png", RgbaPng());
    test::WriteFileText(dir / "c.bmp", "old");
    ASSERT_TRUE(PngToBmp(dir / "c.bmp"));
    EXPECT_EQ(test::ReadFileBytes(dir / "c.bmp"), expected);
    EXPECT_TRUE(BmpFileBytes(ImageRecord()).empty()) << "nothing to write";
}

// A bitmap kept as PNG must compile to its own bytes: the resolution travels in a pHYs chunk
// (pixels per metre, unit 1), and a bitmap whose header holds more than a PNG can carry gets no
// PNG at all.
TEST(ConvertBmpToPngExactly, ThePngGivesBackTheBitmapOrIsNotWritten) {
    ScratchDir dir;
    Bytes bmp = MakeBmp(2, 2, 32, {}, kRgbaBmpRows);
    for (int i = 0; i < 4; ++i) {
        bmp[34 + i] = std::uint8_t(16 >> (8 * i)); // biSizeImage
        bmp[38 + i] = std::uint8_t(2835 >> (8 * i));
        bmp[42 + i] = std::uint8_t(3780 >> (8 * i));
    }
    test::WriteFileBytes(dir / "a.bmp", bmp);
    ASSERT_TRUE(ConvertBmpToPngExactly(dir / "a.bmp"));
    Bytes png = test::ReadFileBytes(dir / "a.png");
    const Bytes phys = {0, 0, 0, 9, 'p', 'H', 'Y', 's', 0, 0, 0x0B, 0x13, 0, 0, 0x0E, 0xC4, 1};
    EXPECT_NE(std::search(png.begin(), png.end(), phys.begin(), phys.end()), png.end());
    EXPECT_EQ(PngToBmpBytes(View(png)), bmp);

    Bytes important = bmp;
    important[50] = 1; // biClrImportant
    test::WriteFileBytes(dir / "b.bmp", important);
    EXPECT_FALSE(ConvertBmpToPngExactly(dir / "b.bmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "b.png"));
    EXPECT_EQ(test::ReadFileBytes(dir / "b.bmp"), important) << "the bitmap stays";
}

namespace {

constexpr std::uint8_t kMagenta[3] = {255, 0, 255}; // blue, green, red

// 48x48 24 bits: a one-pixel magenta frame around a (0x10, 0x20, 0x30) picture.
Bytes FramedBitmapRows() {
    Bytes rows;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            bool frame = x == 0 || y == 0 || x == 47 || y == 47;
            const std::uint8_t inner[3] = {0x10, 0x20, 0x30};
            rows.insert(rows.end(), frame ? kMagenta : inner, (frame ? kMagenta : inner) + 3);
        }
    return rows;
}

Bytes IconOf(const Bytes& bmp) {
    ScratchDir dir;
    ScriptedPrompter prompter;
    EXPECT_TRUE(BitmapToIcon(View(bmp), dir / "i.ico", prompter));
    EXPECT_TRUE(prompter.Shown().empty());
    return test::ReadFileBytes(dir / "i.ico");
}

} // namespace

TEST(BitmapToIcon, MagentaCornersBecomeTransparent) {
    Bytes rows = FramedBitmapRows();
    rows[(20 * 48 + 20) * 3 + 1] = 0x55; // one interior pixel of another colour
    Bytes icon = IconOf(MakeBmp(48, 48, 24, {}, rows));
    // Directory, entry (48x48, 24 bits, 40 + 6912 + 384 bytes at 22) and the header with twice
    // the height and the XOR image's size.
    const Bytes headers = {0, 0, 1,  0, 1,  0, 48, 48, 0, 0, 1,  0,    24, 0, 0xA8, 0x1C,
                           0, 0, 22, 0, 0,  0, 40, 0,  0, 0, 48, 0,    0,  0, 96,   0,
                           0, 0, 1,  0, 24, 0, 0,  0,  0, 0, 0,  0x1B, 0,  0};
    ASSERT_EQ(icon.size(), 22u + 40 + 6912 + 384);
    EXPECT_EQ(Bytes(icon.begin(), icon.begin() + 46), headers);
    EXPECT_EQ(Bytes(icon.begin() + 46, icon.begin() + 62), Bytes(16, 0));

    const std::size_t xorAt = 62, maskAt = xorAt + 6912;
    EXPECT_EQ(Bytes(icon.begin() + xorAt, icon.begin() + xorAt + 6), Bytes(6, 0)) << "frame black";
    std::size_t row20 = xorAt + 20 * 144;
    EXPECT_EQ(Bytes(icon.begin() + row20, icon.begin() + row20 + 6),
              (Bytes{0, 0, 0, 0x10, 0x20, 0x30}));
    EXPECT_EQ(icon[row20 + 20 * 3 + 1], 0x55);
    // Mask rows of 6 bytes padded to 8: the frame rows are all set, the others only at the ends.
    EXPECT_EQ(Bytes(icon.begin() + maskAt, icon.begin() + maskAt + 8),
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(Bytes(icon.begin() + maskAt + 8, icon.begin() + maskAt + 16),
              (Bytes{0x80, 0, 0, 0, 0, 0x01, 0, 0}));

    // The same picture stored top row first gives the same icon.
    Bytes flipped;
    for (int y = 47; y >= 0; --y)
        flipped.insert(flipped.end(), rows.begin() + y * 144, rows.begin() + (y + 1) * 144);
    EXPECT_EQ(IconOf(MakeBmp(48, -48, 24, {}, flipped)), icon);
}

TEST(BitmapToIcon, AlphaAndPaletteColoursDecideTheMask) {
    // 32 bits, 2x1: the second pixel has alpha 0 and keeps its colour in the XOR image.
    Bytes icon32 = IconOf(MakeBmp(2, 1, 32, {}, {1, 2, 3, 255, 4, 5, 6, 0}));
    ASSERT_EQ(icon32.size(), 22u + 40 + 8 + 4);
    EXPECT_EQ(Bytes(icon32.begin() + 62, icon32.end()),
              (Bytes{1, 2, 3, 255, 4, 5, 6, 0, 0x40, 0, 0, 0}));

    // 4 bits, 3x1 with two colours used: entries 1 and 2 are both magenta, so the corners
    // (pixels 0 and 2) share a colour through different indices.
    Bytes colours = {0, 0, 0, 0, 255, 0, 255, 0, 255, 0, 255, 0};
    Bytes icon4 = IconOf(MakeBmp(3, 1, 4, colours, {0x13, 0x20, 0, 0}, 0, 3));
    ASSERT_EQ(icon4.size(), 22u + 40 + 64 + 4 + 4);
    EXPECT_EQ(icon4[8], 16) << "colour count";
    EXPECT_EQ(Bytes(icon4.begin() + 62, icon4.begin() + 74), colours);
    EXPECT_EQ(Bytes(icon4.begin() + 74, icon4.begin() + 126), Bytes(52, 0)) << "unused entries";
    EXPECT_EQ(Bytes(icon4.begin() + 126, icon4.end()), (Bytes{0x03, 0x00, 0, 0, 0xA0, 0, 0, 0}));

    // 256 wide is stored as 0 in the directory.
    Bytes wide = IconOf(MakeBmp(256, 1, 1, Bytes(8), Bytes(32)));
    EXPECT_EQ(Bytes(wide.begin() + 6, wide.begin() + 9), (Bytes{0, 1, 2}));
}

TEST(BitmapToIcon, RefusedBitmapsWriteNothing) {
    Bytes good = MakeBmp(2, 2, 24, {}, Bytes(16, 7));
    Bytes inPalette = good; // pixel offset pointing into the info header
    inPalette[10] = 50;
    struct Case {
        const char* name;
        Bytes bmp;
    } cases[] = {
        {"257 wide", MakeBmp(257, 1, 1, Bytes(8), Bytes(36))},
        {"257 high", MakeBmp(1, 257, 1, Bytes(8), Bytes(4 * 257))},
        {"height -2^31", MakeBmp(1, INT32_MIN, 1, Bytes(8), Bytes(4))},
        {"16 bits", MakeBmp(2, 2, 16, {}, Bytes(8))},
        {"short pixels", Bytes(good.begin(), good.end() - 1)},
        {"pixel offset in the header", inPalette},
        {"no file header", Bytes(good.begin() + 14, good.end())},
        {"core header", {'B', 'M', 30, 0, 0, 0, 0,  0, 0, 0, 26,  0, 0, 0, 12, 0, 0, 0, //
                         1,   0,   1,  0, 1, 0, 24, 0, 0, 0, 255, 0}},
        {"compressed", MakeBmp(2, 2, 8, Bytes(8), Bytes(8), 1)},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        test::WriteFileText(dir / "i.ico", "precious");
        ScriptedPrompter prompter;
        EXPECT_FALSE(BitmapToIcon(View(c.bmp), dir / "i.ico", prompter)) << c.name;
        EXPECT_EQ(test::ReadFileText(dir / "i.ico"), "precious") << c.name;
        EXPECT_EQ(FileCount(dir.Path()), 1u) << c.name;
        EXPECT_EQ(prompter.Shown().size(), std::string(c.name) == "compressed" ? 1u : 0u) << c.name;
    }
    ScriptedPrompter prompter;
    BitmapToIcon(View(cases[8].bmp), "/nonexistent/i.ico", prompter);
    ASSERT_EQ(prompter.Shown().size(), 1u);
    EXPECT_EQ(prompter.Shown()[0].message, "Unsupported compression, can't convert\n");
    EXPECT_EQ(prompter.Shown()[0].title, "Compression Error");
}
