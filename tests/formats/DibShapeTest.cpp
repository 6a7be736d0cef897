// DIB headers, colour tables, row and image sizes, and PNG headers, against bytes written by hand
// from the published layouts.
#include "formats/DibShape.h"

#include "support/ByteBuilder.h"

#include <gtest/gtest.h>
#include <string>

using namespace vellum;
using namespace vellum::test;

namespace {

std::optional<std::uint64_t> SizeOf(const Bytes& image) {
    return IconImageSize(ByteView(image.data(), image.size()));
}

// A BITMAPINFOHEADER (or a later version, zero-filled beyond 40 bytes) and nothing after it: the
// size comes from the header alone.
Bytes Info(std::int32_t width, std::int32_t height, std::uint16_t bits, std::uint32_t used = 0,
           std::uint32_t compression = 0, std::uint32_t headerSize = kBitmapInfoHeader) {
    return DibHeaderBytes({.width = width,
                           .height = height,
                           .bitCount = bits,
                           .compression = compression,
                           .coloursUsed = used},
                          headerSize);
}

Bytes Core(std::uint16_t width, std::uint16_t height, std::uint16_t bits) {
    return DibHeaderBytes({.width = width, .height = height, .bitCount = bits}, kBitmapCoreHeader);
}

// A PNG chunk whose `length` data bytes and CRC are all 0x33 (the size never checks the CRC).
Bytes Chunk(const char (&type)[5], std::size_t length) {
    return PngChunk(type, Bytes(length, 0x33), 0x33333333);
}

// Signature and a 32x32 IHDR (8 + 25 bytes), then `chunks`.
Bytes Png(const Bytes& chunks) {
    Bytes ihdr = Chunk("IHDR", 13);
    ihdr[8 + 3] = 32;
    ihdr[12 + 3] = 32;
    return kPngSignature + ihdr + chunks;
}

TEST(IconImageSize, DibsCountHeaderMasksColourTableAndBothPixelBlocks) {
    struct Case {
        Bytes header;
        std::uint64_t size;
        const char* what;
    };
    // Header, colour masks, colour table, XOR rows, AND rows; the header height is doubled.
    const Case cases[] = {
        {Info(16, 32, 4), 40 + 64 + 16 * 8 + 16 * 4, "16x16 4 bpp"},
        {Info(32, 64, 1), 40 + 8 + 32 * 4 + 32 * 4, "32x32 1 bpp"},
        {Info(16, 32, 8), 40 + 1024 + 16 * 16 + 16 * 4, "16x16 8 bpp"},
        {Info(16, 32, 8, 16), 40 + 16 * 4 + 16 * 16 + 16 * 4, "8 bpp, 16 colours used"},
        {Info(13, 26, 24), 40 + 13 * 40 + 13 * 4, "13 pixels: rows of 39 bytes padded to 40"},
        {Info(48, 96, 1), 40 + 8 + 48 * 8 + 48 * 8, "48 pixels: rows of 6 bytes padded to 8"},
        {Info(16, 33, 4), 40 + 64 + 16 * 8 + 16 * 4, "odd height: 16 rows of each"},
        {Info(16, 32, 32, 0, 3), 40 + 12 + 16 * 64 + 16 * 4, "bit fields after the header"},
        {Info(16, 32, 16, 0, 3, 124), 124 + 16 * 32 + 16 * 4, "bit fields inside a V5 header"},
        {Info(16, 32, 32, 0, 0, 108), 108 + 16 * 64 + 16 * 4, "V4 header"},
        {Info(16, 32, 32, 2), 40 + 8 + 16 * 64 + 16 * 4, "32 bpp with a 2-colour table"},
        {Core(16, 32, 4), 12 + 16 * 3 + 16 * 8 + 16 * 4, "core header, 3-byte entries"},
        {Core(16, 32, 24), 12 + 16 * 48 + 16 * 4, "core header, 24 bpp"},
        // 65536 rows of 262,144 + 8,192 bytes: past 32 bits, exact in 64.
        {Info(65536, 131072, 32), 40 + 65536ull * (262144 + 8192), "the largest side"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SizeOf(c.header), std::optional<std::uint64_t>(c.size)) << c.what;
}

TEST(IconImageSize, DibsWhoseSizeCannotBeToldGiveNothing) {
    Bytes garbage(40, 'A');
    Bytes cutHeader = Info(16, 32, 4);
    cutHeader.resize(30);
    Bytes cutCore = Core(16, 32, 4);
    cutCore.resize(8);
    const std::pair<Bytes, const char*> cases[] = {
        {Bytes{}, "no bytes"},
        {garbage, "no header size"},
        {Info(16, 32, 4, 0, 0, 20), "a 20-byte header"},
        {Info(16, 32, 4, 0, 0, 128), "a header larger than V5"},
        {cutHeader, "a header cut short"},
        {cutCore, "a core header cut short"},
        {Info(0, 32, 4), "no width"},
        {Info(-16, 32, 4), "negative width"},
        {Info(65537, 32, 4), "absurd width"},
        {Info(16, 131074, 4), "absurd height"},
        {Info(16, 1, 4), "less than one row of each"},
        {Info(16, -32, 4), "top-down rows"},
        {Info(16, 32, 7), "7 bpp"},
        {Core(16, 32, 32), "32 bpp in a core header"},
        {Info(16, 32, 8, 0, 1), "run-length compression"},
        {Info(16, 32, 32, 0, 4), "embedded JPEG"},
        {Info(16, 32, 8, 0, 3), "bit fields at 8 bpp"},
        {Info(16, 32, 4, 17), "17 colours at 4 bpp"},
        {Info(16, 32, 24, 257), "257 colours at 24 bpp"},
    };
    for (const auto& [bytes, what] : cases)
        EXPECT_EQ(SizeOf(bytes), std::nullopt) << what;
}

TEST(IconImageSize, PngStreamsEndWithTheirIendChunk) {
    // Signature 8, IHDR 12 + 13, IDAT 12 + 10, IEND 12.
    Bytes png = Png(Chunk("IDAT", 10) + Chunk("IEND", 0));
    ASSERT_EQ(png.size(), 67u);
    EXPECT_EQ(SizeOf(png), 67u);
    EXPECT_EQ(SizeOf(png + Bytes(13, 0)), 67u) << "padding after IEND";
    EXPECT_EQ(SizeOf(png + Png(Chunk("IEND", 0))), 67u) << "a second stream after IEND";
    EXPECT_EQ(SizeOf(Png(Chunk("tEXt", 5) + Chunk("IDAT", 10) + Chunk("IEND", 0))), 67u + 17)
        << "an ancillary chunk";
    // Cut short, the stream needs at least the end of the chunk it is cut in.
    EXPECT_EQ(SizeOf(Bytes(png.begin(), png.begin() + 45)), 55u) << "cut inside IDAT";
    EXPECT_EQ(SizeOf(Bytes(png.begin(), png.begin() + 55)), 67u) << "no IEND";
    EXPECT_EQ(SizeOf(Bytes(png.begin(), png.begin() + 58)), 67u) << "cut inside IEND's length";
}

TEST(IconImageSize, PngStreamsWithBrokenChunksGiveNothing) {
    Bytes badType = Png(Chunk("ID@T", 10) + Chunk("IEND", 0));
    EXPECT_EQ(SizeOf(badType), std::nullopt);
    Bytes tooLong = Png(Chunk("IDAT", 10));
    tooLong[33] = 0x80; // a length of 0x8000000a
    EXPECT_EQ(SizeOf(tooLong + Chunk("IEND", 0)), std::nullopt);
    // What follows a stream without IEND (here the next resource's DIB header) is no chunk.
    EXPECT_EQ(SizeOf(Png(Chunk("IDAT", 10)) + Info(16, 32, 4)), std::nullopt);
}

// ---- headers ----------------------------------------------------------------------------------

TEST(DibHeader, ReadsTheCoreHeaderWordsIntoTheSameFields) {
    //                size         width 288  height 64  planes  bit count
    Bytes core = {12, 0, 0, 0, 0x20, 0x01, 64, 0, 1, 0, 8, 0,
                  // a colour table follows; none of it is header
                  0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                  0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                  0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    DibHeader h = DibHeader::Read(View(core));
    EXPECT_TRUE(h.IsCore());
    EXPECT_EQ(h.width, 288);
    EXPECT_EQ(h.height, 64);
    EXPECT_EQ(h.planes, 1);
    EXPECT_EQ(h.bitCount, 8);
    EXPECT_EQ(h.compression, 0u) << "a core header has no compression field";
    EXPECT_EQ(h.coloursUsed, 0u) << "nor a used count: the table behind it is not one";
    EXPECT_EQ(h.ColourTableBytes(), 3u * 256) << "RGBTRIPLEs";
    EXPECT_EQ(h.PixelOffset(), 12u + 768);
}

TEST(DibHeader, ReadsEveryInfoHeaderField) {
    Bytes info = {40,   0,    0,    0,    // size
                  16,   0,    0,    0,    // width 16
                  0xE0, 0xFF, 0xFF, 0xFF, // height -32: top row first
                  1,    0,    4,    0,    // planes 1, bit count 4
                  0,    0,    0,    0,    // compression none
                  0x80, 0,    0,    0,    // image bytes 128
                  0x13, 0x0B, 0,    0,    // 2835 pixels per metre
                  0x12, 0x0B, 0,    0,    // 2834
                  10,   0,    0,    0,    // colours used
                  5,    0,    0,    0};   // colours important
    DibHeader h = DibHeader::Read(View(info));
    EXPECT_FALSE(h.IsCore());
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.width, 16);
    EXPECT_EQ(h.height, -32);
    EXPECT_EQ(h.planes, 1);
    EXPECT_EQ(h.bitCount, 4);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(h.imageBytes, 128u);
    EXPECT_EQ(h.xPixelsPerMetre, 2835);
    EXPECT_EQ(h.yPixelsPerMetre, 2834);
    EXPECT_EQ(h.coloursUsed, 10u);
    EXPECT_EQ(h.coloursImportant, 5u);
    EXPECT_EQ(h.ColourTableBytes(), 40u) << "the used count, not the depth, sizes the table";

    // Written back as an info header, the same 40 bytes.
    Bytes out;
    h.AppendInfoHeader(out);
    EXPECT_EQ(out, info);
}

TEST(DibHeader, BitFieldMasksAfterAFortyByteHeaderOrInsideALaterOne) {
    Bytes after = Info(2, 2, 32, 0, 3);
    after = after + Bytes{0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0}; // red, green, blue
    DibHeader h = DibHeader::Read(View(after));
    EXPECT_EQ(h.redMask, 0x00FF0000u);
    EXPECT_EQ(h.greenMask, 0x0000FF00u);
    EXPECT_EQ(h.blueMask, 0x000000FFu);
    EXPECT_EQ(h.MasksAfterHeader(), 12u);
    EXPECT_EQ(h.PixelOffset(), 52u);

    for (std::uint32_t size : {108u, 124u}) {
        Bytes inside = Info(2, 2, 16, 0, 3, size);
        Put32(inside, 40, 0xF800);
        Put32(inside, 44, 0x07E0);
        Put32(inside, 48, 0x001F);
        DibHeader v = DibHeader::Read(View(inside));
        EXPECT_EQ(v.greenMask, 0x07E0u) << size;
        EXPECT_EQ(v.MasksAfterHeader(), 0u) << size;
        EXPECT_EQ(v.PixelOffset(), size) << size;
    }

    Bytes plain = Info(2, 2, 32) + Bytes(12, 0xFF);
    EXPECT_EQ(DibHeader::Read(View(plain)).greenMask, 0u) << "no masks without bit fields";
}

TEST(DibHeader, FieldsBeyondAShortHeaderReadZero) {
    // A 16-byte OS/2 header: width, height, planes and bit count, then the colour table, whose
    // bytes stand where a longer header keeps compression and colour counts.
    Bytes os2 = {16, 0, 0, 0, 32, 0, 0, 0, 64, 0, 0, 0, 1, 0, 4, 0};
    os2 = os2 + Bytes(64, 0xEE);
    DibHeader h = DibHeader::Read(View(os2));
    EXPECT_EQ(h.width, 32);
    EXPECT_EQ(h.height, 64);
    EXPECT_EQ(h.bitCount, 4);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(h.coloursUsed, 0u);
    EXPECT_EQ(h.ColourTableBytes(), 64u);

    Bytes cut = Info(16, 32, 8, 16);
    cut.resize(20);
    EXPECT_EQ(DibHeader::Read(View(cut)).bitCount, 8);
    EXPECT_EQ(DibHeader::Read(View(cut)).coloursUsed, 0u) << "bytes that are not there read 0";
}

TEST(DibHeader, ColourTablesByDepthAndUsedCount) {
    struct Case {
        Bytes header;
        std::uint32_t bytes;
        const char* what;
    };
    const Case cases[] = {
        {Info(1, 1, 1), 8, "1 bpp: 2 RGBQUADs"},
        {Info(1, 1, 2), 16, "2 bpp: 4"},
        {Info(1, 1, 4), 64, "4 bpp: 16"},
        {Info(1, 1, 8), 1024, "8 bpp: 256"},
        {Info(1, 1, 16), 0, "16 bpp: none"},
        {Info(1, 1, 24), 0, "24 bpp: none"},
        {Info(1, 1, 8, 3), 12, "8 bpp, 3 used"},
        {Info(1, 1, 24, 2), 8, "24 bpp with a 2-entry table"},
        {Info(1, 1, 8, 0xFFFFFFFF), 4u << 24, "an absurd count stops at 2^24 entries"},
        {Core(1, 1, 1), 6, "core 1 bpp: 2 RGBTRIPLEs"},
        {Core(1, 1, 4), 48, "core 4 bpp"},
        {Core(1, 1, 24), 0, "core 24 bpp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DibHeader::Read(View(c.header)).ColourTableBytes(), c.bytes) << c.what;
}

TEST(DibShape, RowsArePaddedToFourBytesAndIconsHaveTwoBlocks) {
    EXPECT_EQ(DibRowBytes(1, 1), 4u);
    EXPECT_EQ(DibRowBytes(32, 1), 4u);
    EXPECT_EQ(DibRowBytes(33, 1), 8u);
    EXPECT_EQ(DibRowBytes(13, 24), 40u);
    EXPECT_EQ(DibRowBytes(3, 32), 12u);
    DibHeader icon = DibHeader::Read(View(Info(20, 40, 4)));
    EXPECT_EQ(IconXorBytes(icon), 20u * 12) << "20 rows of 10 bytes padded to 12";
    EXPECT_EQ(IconMaskBytes(icon), 20u * 4);
}

// ---- PNG streams and icon image shapes --------------------------------------------------------

// The signature and an IHDR for 256 x 48, as the format writes it (big-endian).
const Bytes kPngHead = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0,  0, 0, 13, 'I', 'H', 'D',
                        'R',  0,   0,   1,   0,    0,    0,    0,    48, 8, 6, 0,  0,   0};

TEST(PngHeader, WidthAndHeightComeFromIhdr) {
    std::optional<PngHeader> png = ReadPngHeader(View(kPngHead));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->width, 256u);
    EXPECT_EQ(png->height, 48u);
    EXPECT_TRUE(IsPngStream(View(kPngHead)));

    Bytes notFirst = kPngHead;
    notFirst[12] = 'g'; // "gHDR": the first chunk must be IHDR
    Bytes badSignature = kPngHead;
    badSignature[1] = 'p';
    Bytes cut(kPngHead.begin(), kPngHead.begin() + 23);
    for (const Bytes* b : {&notFirst, &badSignature, &cut})
        EXPECT_FALSE(ReadPngHeader(View(*b)));
    EXPECT_FALSE(IsPngStream(View(Info(16, 32, 4))));
}

TEST(IconImageShape, ComesFromTheImagesOwnHeader) {
    IconImageShape info = ShapeOfIconImage(View(Info(16, 32, 4)));
    EXPECT_EQ(info.width, 16u);
    EXPECT_EQ(info.height, 16u) << "one block of rows";
    EXPECT_EQ(info.colours, 16);
    EXPECT_EQ(info.bitCount, 4);
    EXPECT_FALSE(info.png);

    EXPECT_EQ(ShapeOfIconImage(View(Info(16, 32, 1))).colours, 2);
    EXPECT_EQ(ShapeOfIconImage(View(Info(16, 32, 8))).colours, 0) << "256 colours";
    EXPECT_EQ(ShapeOfIconImage(View(Info(16, 32, 8, 200))).colours, 200);
    EXPECT_EQ(ShapeOfIconImage(View(Info(16, 32, 32))).colours, 0);

    IconImageShape png = ShapeOfIconImage(View(kPngHead));
    EXPECT_TRUE(png.png);
    EXPECT_EQ(png.width, 256u);
    EXPECT_EQ(png.height, 48u) << "a PNG has no mask rows";
    EXPECT_EQ(png.bitCount, 32);
    EXPECT_EQ(png.colours, 0);
}

TEST(IconImageShape, CoreHeadersGiveTheirOwnHeight) {
    // The group code once read every header as an info header; for this core header the u32 at 8
    // (planes 1, bit count 4) would have made a height of 0x40001 / 2.
    IconImageShape core = ShapeOfIconImage(View(Core(32, 64, 4)));
    EXPECT_EQ(core.width, 32u);
    EXPECT_EQ(core.height, 32u);
    EXPECT_EQ(core.colours, 16);
    EXPECT_EQ(core.bitCount, 4);
}

} // namespace
