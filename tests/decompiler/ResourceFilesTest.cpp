#include "formats/ResourceFiles.h"

#include "decompiler/PeBuilder.h"

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
           std::uint32_t compression = 0, std::uint32_t headerSize = 40) {
    Bytes b(headerSize, 0);
    Put32(b, 0, headerSize);
    Put32(b, 4, std::uint32_t(width));
    Put32(b, 8, std::uint32_t(height));
    Put16(b, 12, 1);
    Put16(b, 14, bits);
    Put32(b, 16, compression);
    Put32(b, 32, used);
    return b;
}

Bytes Core(std::uint16_t width, std::uint16_t height, std::uint16_t bits) {
    Bytes b(12, 0);
    Put32(b, 0, 12);
    Put16(b, 4, width);
    Put16(b, 6, height);
    Put16(b, 8, 1);
    Put16(b, 10, bits);
    return b;
}

// A PNG chunk: big-endian length, type, data and a CRC (not checked by the size, so zero).
Bytes Chunk(const char (&type)[5], std::size_t length) {
    Bytes c(12 + length, 0x33);
    for (std::size_t i = 0; i < 4; ++i) {
        c[i] = std::uint8_t(length >> (24 - 8 * i));
        c[4 + i] = std::uint8_t(type[i]);
    }
    return c;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Signature and a 32x32 IHDR (8 + 25 bytes), then `chunks`.
Bytes Png(const Bytes& chunks) {
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr = Chunk("IHDR", 13);
    ihdr[8 + 3] = 32;
    ihdr[12 + 3] = 32;
    return png + ihdr + chunks;
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

} // namespace
