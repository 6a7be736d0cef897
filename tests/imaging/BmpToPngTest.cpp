// Tests of the BMP to PNG converter: bitmaps made byte by byte, PNGs checked through libpng.
#include "imaging/BmpToPng.h"

#include "common/TestSupport.h"
#include "support/ByteBuilder.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <new>
#include <png.h>
#include <unistd.h>

// Every allocation of this test program goes through here, so that a test can see the largest
// block the converter asked for.
namespace {
std::atomic<std::size_t> g_largestAllocation{0};

void* TrackedAlloc(std::size_t size) noexcept {
    std::size_t seen = g_largestAllocation.load();
    while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size)) {
    }
    return std::malloc(size ? size : 1);
}

void* TrackedAllocOrThrow(std::size_t size) {
    if (void* p = TrackedAlloc(size))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) {
    return TrackedAllocOrThrow(size);
}
void* operator new[](std::size_t size) {
    return TrackedAllocOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return TrackedAlloc(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return TrackedAlloc(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace vellum;
using vellum::test::ScratchDir;

namespace {

using test::Bytes;

// File header and 40-byte info header (fields after the compression stay 0), then the colour
// table and the pixel rows as given.
Bytes InfoBmp(std::int32_t width, std::int32_t height, std::uint16_t bitCount, const Bytes& colours,
              const Bytes& rows, std::uint32_t compression = 0) {
    return test::BmpFileBytes({width, height, bitCount, compression}, colours, rows);
}

struct Diagnostics {
    std::vector<std::string> lines;
    DiagnosticsHook Hook() {
        return [this](const std::string& line) { lines.push_back(line); };
    }
    std::string Last() const { return lines.empty() ? "" : lines.back(); }
};

// Decodes a PNG into 8-bit samples of the given libpng format (PNG_FORMAT_RGB, _RGBA).
Bytes DecodePng(const std::string& path, png_uint_32 format) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
    image.format = format;
    Bytes pixels(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
    return pixels;
}

struct Chunk {
    std::string type;
    Bytes data;
};

// The chunks of a PNG file in order (libpng checks their CRCs when the tests decode them).
std::vector<Chunk> ChunksOf(const Bytes& png) {
    EXPECT_EQ(Bytes(png.begin(), png.begin() + 8),
              (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    std::vector<Chunk> chunks;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        std::uint32_t length =
            std::uint32_t(png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]);
        if (at + 12 + length > png.size())
            break;
        chunks.push_back({std::string(png.begin() + at + 4, png.begin() + at + 8),
                          Bytes(png.begin() + at + 8, png.begin() + at + 8 + length)});
        at += 12 + length;
    }
    return chunks;
}

std::vector<std::string> TypesOf(const std::vector<Chunk>& chunks) {
    std::vector<std::string> types;
    for (const Chunk& chunk : chunks)
        if (types.empty() || types.back() != chunk.type)
            types.push_back(chunk.type);
    return types;
}

std::size_t FileCount(const std::string& folder) {
    return std::size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// A 24-bit 3x2 picture, rows padded to 12 bytes. Top row red, green, blue; bottom row white,
// black, grey. Stored bottom row first, as usual, or top row first.
const Bytes kRows24BottomUp = {255, 255, 255, 0, 0,   0, 128, 128, 128, 0, 0, 0, //
                               0,   0,   255, 0, 255, 0, 255, 0,   0,   0, 0, 0};
const Bytes kRows24TopDown = {0,   0,   255, 0, 255, 0, 255, 0,   0,   0, 0, 0, //
                              255, 255, 255, 0, 0,   0, 128, 128, 128, 0, 0, 0};

} // namespace

TEST(BmpToPng, ThirtyTwoBitsGiveRgbaWithTheFourthByteAsAlpha) {
    ScratchDir dir;
    // 2x2, bottom row stored first; each pixel blue, green, red, alpha.
    Bytes rows = {1, 2, 3, 0, 4, 5, 6, 128, 7, 8, 9, 255, 10, 11, 12, 77};
    test::WriteFileBytes(dir / "x.bmp", InfoBmp(2, 2, 32, {}, rows));
    Diagnostics diag;
    ASSERT_TRUE(ConvertBmpToPng(dir / "x.bmp", diag.Hook()));
    EXPECT_EQ(diag.lines,
              (std::vector<std::string>{"Reading " + dir / "x.bmp", "Read OK " + dir / "x.bmp",
                                        "Writing " + dir / "x.png", "OK      " + dir / "x.png"}));

    auto chunks = ChunksOf(test::ReadFileBytes(dir / "x.png"));
    EXPECT_EQ(TypesOf(chunks), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[0].data, (Bytes{0, 0, 0, 2, 0, 0, 0, 2, 8, 6, 0, 0, 0}));
    EXPECT_EQ(DecodePng(dir / "x.png", PNG_FORMAT_RGBA),
              (Bytes{9, 8, 7, 255, 12, 11, 10, 77, 3, 2, 1, 0, 6, 5, 4, 128}));
}

TEST(BmpToPng, BottomUpAndTopDownGiveIdenticalFiles) {
    ScratchDir dir;
    test::WriteFileBytes(dir / "up.bmp", InfoBmp(3, 2, 24, {}, kRows24BottomUp));
    test::WriteFileBytes(dir / "down.bmp", InfoBmp(3, -2, 24, {}, kRows24TopDown));
    ASSERT_TRUE(ConvertBmpToPng(dir / "up.bmp"));
    ASSERT_TRUE(ConvertBmpToPng(dir / "down.bmp"));

    EXPECT_EQ(test::ReadFileBytes(dir / "up.png"), test::ReadFileBytes(dir / "down.png"));
    EXPECT_EQ(ChunksOf(test::ReadFileBytes(dir / "up.png"))[0].data[9], 2) << "RGB";
    EXPECT_EQ(DecodePng(dir / "up.png", PNG_FORMAT_RGB),
              (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128}));
}

TEST(BmpToPng, OneMacBinaryHeaderIsSkippedTwoAreNot) {
    ScratchDir dir;
    Bytes bmp = InfoBmp(3, 2, 24, {}, kRows24BottomUp);
    Bytes macBinary(128, 0x20);
    test::WriteFileBytes(dir / "plain.bmp", bmp);
    bmp.insert(bmp.begin(), macBinary.begin(), macBinary.end());
    test::WriteFileBytes(dir / "mac1.bmp", bmp);
    bmp.insert(bmp.begin(), macBinary.begin(), macBinary.end());
    test::WriteFileBytes(dir / "mac2.bmp", bmp);

    ASSERT_TRUE(ConvertBmpToPng(dir / "plain.bmp"));
    ASSERT_TRUE(ConvertBmpToPng(dir / "mac1.bmp"));
    EXPECT_EQ(test::ReadFileBytes(dir / "mac1.png"), test::ReadFileBytes(dir / "plain.png"));
    Diagnostics diag;
    EXPECT_FALSE(ConvertBmpToPng(dir / "mac2.bmp", diag.Hook()));
    EXPECT_EQ(diag.Last(), "SKIPPED: Not a BMP file - " + dir / "mac2.bmp" + "\n");
}

TEST(BmpToPng, RefusedBitmapsNameTheReasonAndWriteNothing) {
    Bytes good = InfoBmp(3, 2, 24, {}, kRows24BottomUp);
    auto patched = [&](std::size_t at, std::uint8_t value) {
        Bytes out = good;
        out[at] = value;
        return out;
    };
    struct Case {
        const char* name;
        Bytes bmp;
        const char* reason;
    } cases[] = {
        {"16 bits", InfoBmp(2, 2, 16, {}, Bytes(16)), "16 or 32 bits/pixel BMP"},
        {"RLE8", InfoBmp(2, 2, 8, Bytes(8), Bytes(8), 1), "Compressed or bitfield BMP"},
        {"bit fields", InfoBmp(2, 2, 32, Bytes(12), Bytes(16), 3), "Compressed or bitfield BMP"},
        // The checks run in a fixed order: size, then compression, then depth.
        {"16-bit bit fields", InfoBmp(2, 2, 16, Bytes(12), Bytes(8), 3),
         "Compressed or bitfield BMP"},
        {"width 0", InfoBmp(0, 2, 24, {}, kRows24BottomUp, 1),
         "Invalid image size (width is less than one)"},
        {"height 0", InfoBmp(3, 0, 24, {}, kRows24BottomUp),
         "Invalid image size (height is less than one)"},
        {"height -2^31", InfoBmp(3, INT32_MIN, 24, {}, kRows24BottomUp),
         "Invalid image size (height is less than one)"},
        {"2 bits", InfoBmp(2, 2, 2, Bytes(16), Bytes(8)), "Invalid bit depth in BMP file"},
        {"info size 11", patched(14, 11), "Invalid header size in BMP file"},
        {"info size 125", patched(14, 125), "Invalid header size in BMP file"},
        {"pixels inside header", patched(10, 53), "Invalid header size in BMP file"},
        {"truncated pixels", Bytes(good.begin(), good.end() - 1), "Premature end of BMP file"},
        {"truncated header", Bytes(good.begin(), good.begin() + 30), "Premature end of BMP file"},
        {"palette past the end", patched(12, 1), "Premature end of BMP file"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        test::WriteFileBytes(dir / "r.bmp", c.bmp);
        Diagnostics diag;
        EXPECT_FALSE(ConvertBmpToPng(dir / "r.bmp", diag.Hook())) << c.name;
        EXPECT_EQ(diag.Last(), std::string("SKIPPED: ") + c.reason + " - " + dir / "r.bmp\n")
            << c.name;
        EXPECT_EQ(FileCount(dir.Path()), 1u) << c.name;
    }
    Diagnostics diag;
    EXPECT_FALSE(ConvertBmpToPng("/nonexistent/m.bmp", diag.Hook()));
    EXPECT_EQ(diag.Last(), "SKIPPED: No such file or directory - /nonexistent/m.bmp\n");
}

TEST(BmpToPng, HugeClaimedSizeIsRefusedBeforeAllocating) {
    ScratchDir dir;
    // 100000 x 100000 at 32 bits would be 40 GB; the file holds 16 bytes of pixels.
    test::WriteFileBytes(dir / "huge.bmp", InfoBmp(100000, 100000, 32, {}, Bytes(16)));
    Diagnostics diag;
    g_largestAllocation = 0;
    EXPECT_FALSE(ConvertBmpToPng(dir / "huge.bmp", diag.Hook()));
    EXPECT_LT(g_largestAllocation.load(), 1u << 20);
    EXPECT_EQ(diag.Last(), "SKIPPED: Premature end of BMP file - " + dir / "huge.bmp\n");
}

TEST(BmpToPng, FourBitPaletteWithStrayBytesBeforeThePixels) {
    ScratchDir dir;
    Bytes colours;
    for (std::uint8_t i = 0; i < 16; ++i)
        colours.insert(colours.end(), {std::uint8_t(i * 16), std::uint8_t(i), 0xEE, 0});
    colours.insert(colours.end(), {0xAA, 0xBB, 0xCC}); // stray bytes up to the pixel offset
    // 3x2; bottom row indices 0 1 2, top row 15 14 13 (each row padded to 4 bytes).
    test::WriteFileBytes(dir / "p.bmp",
                         InfoBmp(3, 2, 4, colours, {0x01, 0x20, 0, 0, 0xFE, 0xD0, 0, 0}));
    ASSERT_TRUE(ConvertBmpToPng(dir / "p.bmp"));

    auto chunks = ChunksOf(test::ReadFileBytes(dir / "p.png"));
    EXPECT_EQ(TypesOf(chunks), (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[0].data, (Bytes{0, 0, 0, 3, 0, 0, 0, 2, 4, 3, 0, 0, 0}));
    ASSERT_EQ(chunks[1].data.size(), 48u);
    EXPECT_EQ(Bytes(chunks[1].data.end() - 3, chunks[1].data.end()), (Bytes{0xEE, 15, 0xF0}));
    EXPECT_EQ(DecodePng(dir / "p.png", PNG_FORMAT_RGB),
              (Bytes{0xEE, 15, 0xF0, 0xEE, 14, 0xE0, 0xEE, 13, 0xD0, //
                     0xEE, 0, 0x00, 0xEE, 1, 0x10, 0xEE, 2, 0x20}));
}

TEST(BmpToPng, CoreHeaderBitmapGivesTheExpectedHeaderAndPalette) {
    ScratchDir dir;
    const Bytes bmp = {
        'B',  'M',  40,   0,    0,    0,    0, 0, 0, 0, 32, 0, 0, 0, // file header, pixels at 32
        12,   0,    0,    0,    3,    0,    2, 0, 1, 0, 1,  0, // core header: 3x2, 1 plane, 1 bit
        0x10, 0x20, 0x30, 0xF0, 0xE0, 0xD0,                    // two RGBTRIPLEs (blue, green, red)
        0xA0, 0,    0,    0,    0x40, 0,    0, 0,              // bottom row 1 0 1, top row 0 1 0
    };
    test::WriteFileBytes(dir / "c.bmp", bmp);
    ASSERT_TRUE(ConvertBmpToPng(dir / "c.bmp"));

    auto chunks = ChunksOf(test::ReadFileBytes(dir / "c.png"));
    EXPECT_EQ(TypesOf(chunks), (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[0].data, (Bytes{0, 0, 0, 3, 0, 0, 0, 2, 1, 3, 0, 0, 0}));
    EXPECT_EQ(chunks[1].data, (Bytes{0x30, 0x20, 0x10, 0xD0, 0xE0, 0xF0}));
    EXPECT_EQ(DecodePng(dir / "c.png", PNG_FORMAT_RGB),
              (Bytes{0x30, 0x20, 0x10, 0xD0, 0xE0, 0xF0, 0x30, 0x20, 0x10, //
                     0xD0, 0xE0, 0xF0, 0x30, 0x20, 0x10, 0xD0, 0xE0, 0xF0}));
}

TEST(BmpToPng, PaletteIsFittedToTheDepthAndThePixels) {
    ScratchDir dir;
    // 8 bits, two colours, but the second pixel uses index 5: black entries fill the gap.
    test::WriteFileBytes(dir / "gap.bmp", InfoBmp(2, 1, 8, {1, 2, 3, 0, 4, 5, 6, 0}, {1, 5, 0, 0}));
    // 8 bits and no colour table at all.
    test::WriteFileBytes(dir / "none.bmp", InfoBmp(1, 1, 8, {}, {0, 0, 0, 0}));
    // 1 bit with four colours: only two can be addressed.
    test::WriteFileBytes(dir / "many.bmp", InfoBmp(1, 1, 1, Bytes(16, 9), {0x80, 0, 0, 0}));
    for (const char* name : {"gap", "none", "many"})
        ASSERT_TRUE(ConvertBmpToPng(dir / (std::string(name) + ".bmp"))) << name;

    EXPECT_EQ(ChunksOf(test::ReadFileBytes(dir / "gap.png"))[1].data,
              (Bytes{3, 2, 1, 6, 5, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(DecodePng(dir / "gap.png", PNG_FORMAT_RGB), (Bytes{6, 5, 4, 0, 0, 0}));
    EXPECT_EQ(ChunksOf(test::ReadFileBytes(dir / "none.png"))[1].data, (Bytes{0, 0, 0}));
    EXPECT_EQ(ChunksOf(test::ReadFileBytes(dir / "many.png"))[1].data.size(), 6u);
}

TEST(BmpToPng, ShortPathsInTheCurrentFolder) {
    ScratchDir dir;
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    Bytes bmp = InfoBmp(3, 2, 24, {}, kRows24BottomUp);
    test::WriteFileBytes("a.bmp", bmp);
    test::WriteFileBytes("abmp", bmp);
    test::WriteFileBytes("bad", Bytes(60, 0));

    EXPECT_TRUE(ConvertBmpToPng("a.bmp"));
    EXPECT_TRUE(std::filesystem::exists("a.png"));
    EXPECT_TRUE(ConvertBmpToPng("abmp")) << "read, but not written";
    EXPECT_FALSE(ConvertBmpToPng("bad"));
    EXPECT_EQ(FileCount("."), 4u);
    std::filesystem::current_path(previous);
}

TEST(BmpToPng, FailedWriteKeepsTheExistingPng) {
    ScratchDir dir;
    // One row 1000001 pixels wide: past libpng's default width limit, so the encoder fails.
    Bytes wide = InfoBmp(1000001, 1, 1, Bytes(8), Bytes(125004));
    test::WriteFileBytes(dir / "w.bmp", wide);
    test::WriteFileText(dir / "w.png", "precious");
    Diagnostics diag;
    EXPECT_FALSE(ConvertBmpToPng(dir / "w.bmp", diag.Hook()));
    EXPECT_EQ(diag.Last().rfind("SKIPPED: PNG error (", 0), 0u) << diag.Last();
    EXPECT_EQ(test::ReadFileText(dir / "w.png"), "precious");
    EXPECT_EQ(FileCount(dir.Path()), 2u) << "no temporary file left behind";

    // A folder in the way of the output cannot be replaced.
    test::WriteFileBytes(dir / "d.bmp", InfoBmp(3, 2, 24, {}, kRows24BottomUp));
    std::filesystem::create_directory(dir / "d.png");
    EXPECT_FALSE(ConvertBmpToPng(dir / "d.bmp", diag.Hook()));
    EXPECT_EQ(diag.Last(), "SKIPPED: Cannot create - " + dir / "d.png\n");
    EXPECT_EQ(FileCount(dir.Path()), 4u);

    // A good conversion does replace an existing file.
    std::filesystem::remove(dir / "d.png");
    test::WriteFileText(dir / "d.png", "old");
    EXPECT_TRUE(ConvertBmpToPng(dir / "d.bmp"));
    EXPECT_NE(test::ReadFileText(dir / "d.png"), "old");
}
