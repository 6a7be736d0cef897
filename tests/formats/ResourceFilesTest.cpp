// Bitmap file headers and .ico or .cur files assembled from groups, against bytes written by hand.
#include "formats/ResourceFiles.h"

#include "support/ByteBuilder.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

using namespace vellum;
using namespace vellum::test;

namespace {

// A 1x1 DIB header of `size` bytes.
Bytes InfoHeader(std::uint16_t bits, std::uint32_t compression = 0,
                 std::uint32_t size = kBitmapInfoHeader) {
    return DibHeaderBytes({.width = 1, .height = 1, .bitCount = bits, .compression = compression},
                          size);
}

TEST(BitmapFileHeader, PixelsStartBehindHeaderMasksAndColourTable) {
    struct Case {
        Bytes dib;
        Bytes header;
        const char* what;
    };
    Bytes core = {12, 0, 0, 0, 1, 0, 1, 0, 1, 0, 4, 0};
    const Case cases[] = {
        // "BM", file size (DIB + 14), two reserved words, pixel offset.
        {InfoHeader(8), {'B', 'M', 54, 0, 0, 0, 0, 0, 0, 0, 0x36, 0x04, 0, 0}, "14 + 40 + 1024"},
        {InfoHeader(32, 3), {'B', 'M', 54, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0}, "14 + 40 + masks"},
        {InfoHeader(16, 3, 124), {'B', 'M', 138, 0, 0, 0, 0, 0, 0, 0, 138, 0, 0, 0}, "V5"},
        {core, {'B', 'M', 26, 0, 0, 0, 0, 0, 0, 0, 74, 0, 0, 0}, "14 + 12 + 16 RGBTRIPLEs"},
        {Bytes{1, 2}, {'B', 'M', 16, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0}, "too short: 40 bytes"},
    };
    for (const Case& c : cases) {
        Bytes out;
        BitmapFileHeaderFor(View(c.dib)).Append(out);
        EXPECT_EQ(out, c.header) << c.what;
    }

    Bytes file = {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    BitmapFileHeader read = BitmapFileHeader::Read(View(file));
    EXPECT_TRUE(read.IsBitmap());
    EXPECT_EQ(read.fileSize, 0x04030201u);
    EXPECT_EQ(read.reserved1, 0x0605);
    EXPECT_EQ(read.reserved2, 0x0807);
    EXPECT_EQ(read.pixelOffset, 0x0C0B0A09u);
    Bytes back;
    read.Append(back);
    EXPECT_EQ(back, file);
    EXPECT_FALSE(BitmapFileHeader::Read(View(Bytes{'M', 'B'})).IsBitmap());
}

// Member files by ID; a missing ID gives no bytes.
MemberFileSource Members(std::map<unsigned, Bytes> files) {
    return [files](unsigned id) {
        auto it = files.find(id);
        return it == files.end() ? Bytes{} : it->second;
    };
}

TEST(GroupFile, IconEntriesComeFromTheGroupAndMissingImagesAreZeroFilled) {
    // Two icons: ID 1 (3 bytes, 16x16) and ID 2 (2 bytes, missing).
    Bytes group = {0,  0,  1, 0, 2, 0,                           //
                   16, 16, 0, 0, 1, 0, 8,  0, 3, 0, 0, 0, 1, 0,  //
                   32, 32, 0, 0, 1, 0, 32, 0, 2, 0, 0, 0, 2, 0}; //
    Bytes member = {0, 0, 1, 0, 1, 0, 9, 9, 9, 0, 0, 0, 0, 0, 3, 0, 0, 0, 22, 0, 0, 0, 7, 8, 9};
    std::uint32_t last = 0;
    auto file = GroupFile(View(group), false, Members({{1, member}}), last);
    Bytes expected = {0,  0,  1, 0, 2, 0,                                 //
                      16, 16, 0, 0, 1, 0, 8,  0, 3, 0, 0, 0, 38, 0, 0, 0, //
                      32, 32, 0, 0, 1, 0, 32, 0, 2, 0, 0, 0, 41, 0, 0, 0, //
                      7,  8,  9, 0, 0};
    EXPECT_EQ(file, expected);
    EXPECT_EQ(last, 2u);
}

TEST(GroupFile, CursorEntriesComeFromTheMembersFile) {
    // Cursor 3 is there with its hot spot (5, 9); cursor 4 is missing, so its entry is made from
    // the group's: width, one block's height, the bytes less the hot spot's, no hot spot.
    Bytes group = {0,  0, 2,  0, 2, 0,                          //
                   32, 0, 64, 0, 1, 0, 1, 0, 6, 0, 0, 0, 3, 0,  //
                   48, 0, 96, 0, 1, 0, 4, 0, 7, 0, 0, 0, 4, 0}; //
    Bytes member = {0, 0, 2, 0, 1, 0, 32, 32, 2, 0, 5, 0, 9, 0, 2, 0, 0, 0, 22, 0, 0, 0, 1, 2};
    std::uint32_t last = 0;
    auto file = GroupFile(View(group), true, Members({{3, member}}), last);
    Bytes expected = {0,  0,  2, 0, 2, 0,                                //
                      32, 32, 2, 0, 5, 0, 9, 0, 2, 0, 0, 0, 38, 0, 0, 0, //
                      48, 48, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 40, 0, 0, 0, //
                      1,  2,  0, 0, 0};
    EXPECT_EQ(file, expected);
    EXPECT_EQ(last, 3u);
}

TEST(GroupFile, GroupsClaimingMoreThanAnyFileCanHoldAreRefused) {
    Bytes group = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 8, 0, 0, 0, 0, 0x08, 1, 0}; // 128 MB
    std::uint32_t last = 0;
    EXPECT_FALSE(GroupFile(View(group), false, Members({}), last));
}

} // namespace
