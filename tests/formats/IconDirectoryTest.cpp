// Icon and cursor files, group resources and one-image files, against bytes written by hand from
// the published layouts.
#include "formats/IconDirectory.h"

#include "support/ByteBuilder.h"

#include <gtest/gtest.h>
#include <string>

using namespace vellum;
using namespace vellum::test;

namespace {

// An .ico file of two images: 16x16 with 16 colours (3 bytes at 38), 32x32 at 32 bits (2 bytes
// at 41).
const Bytes kTwoImageIcon = {
    0,    0,    1,    0,    2,   0,                                 // ICONDIR: icon, 2 images
    16,   16,   16,   0,    1,   0, 4,  0, 3, 0, 0, 0, 38, 0, 0, 0, // entry 1
    32,   32,   0,    0,    1,   0, 32, 0, 2, 0, 0, 0, 41, 0, 0, 0, // entry 2
    0xAA, 0xBB, 0xCC, 0xDD, 0xEE};

// An icon group: 16x16 4 bpp (744 bytes, ID 1) and 32x32 32 bpp (4264 bytes, ID 7).
const Bytes kIconGroup = {0,  0,  1,  0, 2, 0,                                 // GRPICONDIR
                          16, 16, 16, 0, 1, 0, 4,  0, 0xE8, 0x02, 0, 0, 1, 0,  // entry 1
                          32, 32, 0,  0, 1, 0, 32, 0, 0xA8, 0x10, 0, 0, 7, 0}; // entry 2

// A cursor group: 32 wide, 64 high (both blocks), 1 bpp, 308 bytes with the hot spot, ID 5.
const Bytes kCursorGroup = {0, 0, 2, 0, 1, 0, 32, 0, 64, 0, 1, 0, 1, 0, 0x34, 0x01, 0, 0, 5, 0};

// An info header for 16x16 at 4 bpp (height 32: both blocks), then 4 bytes of colour table.
Bytes Dib16x16() {
    return DibHeaderBytes({.width = 16, .height = 32, .bitCount = 4}) + Bytes(4, 0);
}

// A core header for 32x32 at 1 bpp (height 64), then 6 bytes of colour table.
Bytes CoreDib32x32() {
    return {12, 0, 0, 0, 32, 0, 64, 0, 1, 0, 1, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF};
}

// ---- .ico and .cur files ----------------------------------------------------------------------

TEST(IconFile, ReadsEntriesAndImages) {
    std::optional<IconFile> icon = IconFile::Read(View(kTwoImageIcon));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->header.type, kIconDirIcon);
    ASSERT_EQ(icon->images.size(), 2u);
    // width, height, colours, reserved, planes, bit count, bytes, offset
    EXPECT_EQ(icon->images[0].entry, (IconDirEntry{16, 16, 16, 0, 1, 4, 3, 38}));
    EXPECT_EQ(icon->images[1].entry, (IconDirEntry{32, 32, 0, 0, 1, 32, 2, 41}));
    EXPECT_EQ(icon->images[0].image.Data(), kTwoImageIcon.data() + 38);
    EXPECT_EQ(icon->images[0].image.Size(), 3u);
    EXPECT_EQ(icon->images[1].image.Data(), kTwoImageIcon.data() + 41);
    EXPECT_EQ(icon->images[1].image.Size(), 2u);

    Bytes cursor = kTwoImageIcon;
    cursor[2] = 2;
    ASSERT_TRUE(IconFile::Read(View(cursor)));
    EXPECT_EQ(IconFile::Read(View(cursor))->header.type, kIconDirCursor);
}

TEST(IconFile, RefusesFilesWhoseDirectoryOrImagesDoNotFit) {
    auto with = [](std::size_t at, std::uint8_t value) {
        Bytes b = kTwoImageIcon;
        b[at] = value;
        return b;
    };
    const std::pair<Bytes, const char*> cases[] = {
        {with(0, 1), "reserved word not 0"},
        {with(2, 3), "type 3"},
        {with(4, 0), "no images"},
        {with(4, 3), "a third entry the file does not hold"},
        {with(30, 3), "the second image runs past the end"},
        {with(34, 20), "the second image lies inside the directory"},
        {with(14, 0), "an image of no bytes"},
        {Bytes(kTwoImageIcon.begin(), kTwoImageIcon.begin() + 30), "the directory cut short"},
    };
    for (const auto& [bytes, what] : cases)
        EXPECT_FALSE(IconFile::Read(View(bytes))) << what;
}

TEST(IconFile, WritePacksTheImagesBehindRecomputedEntries) {
    IconFile icon = IconFile::Read(View(kTwoImageIcon)).value();
    std::swap(icon.images[0], icon.images[1]);
    Bytes expected = {0,    0,    1,    0,    2,   0,                                 //
                      32,   32,   0,    0,    1,   0, 32, 0, 2, 0, 0, 0, 38, 0, 0, 0, //
                      16,   16,   16,   0,    1,   0, 4,  0, 3, 0, 0, 0, 40, 0, 0, 0, //
                      0xDD, 0xEE, 0xAA, 0xBB, 0xCC};
    EXPECT_EQ(icon.Write(), expected);

    icon.images.pop_back();
    Bytes one = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0, 2, 0, 0, 0, 22, 0, 0, 0, 0xDD, 0xEE};
    EXPECT_EQ(icon.Write(), one) << "the count follows the images";
}

TEST(IconFile, EntriesAreReadAsFarAsTheBytesGo) {
    Bytes cut(kTwoImageIcon.begin(), kTwoImageIcon.begin() + 30);
    std::vector<IconDirEntry> entries = ReadIconDirEntries(View(cut));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].offset, 38u);
    EXPECT_TRUE(ReadIconDirEntries(View(Bytes{0, 0, 1, 0, 0, 0})).empty());
}

// ---- group resources --------------------------------------------------------------------------

TEST(GroupDirectory, IconAndCursorEntriesHaveTheirOwnLayouts) {
    GroupDirectory icons = GroupDirectory::Read(View(kIconGroup), false);
    EXPECT_TRUE(icons.Complete());
    EXPECT_EQ(icons.header, (IconDirHeader{0, kIconDirIcon, 2}));
    // width, height, colours, reserved, planes, bit count, bytes, ID
    EXPECT_EQ(icons.entries, (std::vector<GroupEntry>{{16, 16, 16, 0, 1, 4, 744, 1},
                                                      {32, 32, 0, 0, 1, 32, 4264, 7}}));

    GroupDirectory cursors = GroupDirectory::Read(View(kCursorGroup), true);
    EXPECT_EQ(cursors.entries, (std::vector<GroupEntry>{{32, 64, 0, 0, 1, 1, 308, 5}}));
    // Read as an icon group, the same words are a width of 32, a height of 0 and 64 colours.
    EXPECT_EQ(GroupDirectory::Read(View(kCursorGroup), false).entries[0],
              (GroupEntry{32, 0, 64, 0, 1, 1, 308, 5}));

    EXPECT_EQ(icons.Write(false), kIconGroup);
    EXPECT_EQ(cursors.Write(true), kCursorGroup);
}

TEST(GroupDirectory, ACountPastTheBytesGivesTheEntriesThatAreThere) {
    Bytes claimsThree = kIconGroup;
    claimsThree[4] = 3;
    GroupDirectory group = GroupDirectory::Read(View(claimsThree), false);
    EXPECT_EQ(group.header.count, 3);
    EXPECT_EQ(group.entries.size(), 2u);
    EXPECT_FALSE(group.Complete());
    EXPECT_EQ(group.Write(false), kIconGroup) << "written with the count of its entries";
    EXPECT_EQ(GroupDirectory::SizeFor(3), 48u);

    GroupDirectory empty = GroupDirectory::Read(View(Bytes{0, 0, 1}), false);
    EXPECT_TRUE(empty.entries.empty());
    EXPECT_EQ(empty.header.count, 0);
}

TEST(GroupDirectory, WritesEntriesBuiltByHand) {
    // A cursor entry's words hold sizes past 255.
    GroupDirectory group{{0, kIconDirCursor, 0}, {{300, 600, 0, 0, 1, 32, 0x01020304, 0x1234}}};
    Bytes expected = {0, 0, 2,  0, 1, 0, 0x2C, 0x01, 0x58, 0x02,
                      1, 0, 32, 0, 4, 3, 2,    1,    0x34, 0x12};
    EXPECT_EQ(group.Write(true), expected);
}

// ---- one-image files --------------------------------------------------------------------------

TEST(SingleImageFile, TheEntryDescribesTheImageFromItsHeader) {
    Bytes image = Dib16x16();
    Bytes expected = {0, 0, 1, 0, 1, 0, 16, 16, 16, 0, 0, 0, 0, 0, 44, 0, 0, 0, 22, 0, 0, 0};
    EXPECT_EQ(SingleImageFile(View(image), false, {}), expected + image);
    EXPECT_EQ(SingleImageFileOfResource(View(image), false), expected + image);
}

TEST(SingleImageFile, ACursorResourceGivesItsHotSpotToTheEntry) {
    // Hot spot (5, 9), then a core-header image: 32 wide, 32 high in one block, 2 colours.
    Bytes image = CoreDib32x32();
    Bytes resource = Bytes{5, 0, 9, 0} + image;
    Bytes expected = {0, 0, 2, 0, 1, 0, 32, 32, 2, 0, 5, 0, 9, 0, 18, 0, 0, 0, 22, 0, 0, 0};
    Bytes file = SingleImageFileOfResource(View(resource), true);
    EXPECT_EQ(file, expected + image);
    EXPECT_EQ(SingleImageFile(View(image), true, {5, 9}), file);

    EXPECT_EQ(ResourceOfSingleImageFile(View(file), true), resource) << "and back";
    EXPECT_EQ(ResourceOfSingleImageFile(View(file), false), image) << "an icon has no hot spot";
    EXPECT_FALSE(ResourceOfSingleImageFile(View(Bytes(file.begin(), file.begin() + 21)), true));
}

TEST(SingleImageFile, ImagesAreTakenFromTheEntrysOffsetAndZeroFilled) {
    Bytes file = {0, 0, 1, 0, 1, 0, 1, 1, 0, 0, 1, 0, 1, 0, 3, 0, 0, 0, 24, 0, 0, 0, 0, 0, 7, 8, 9};
    EXPECT_EQ(ImageOfSingleImageFile(View(file), 3), (Bytes{7, 8, 9}));
    EXPECT_EQ(ImageOfSingleImageFile(View(file), 5), (Bytes{7, 8, 9, 0, 0}));
    file[18] = 200;
    EXPECT_EQ(ImageOfSingleImageFile(View(file), 2), (Bytes{0, 0})) << "an offset past the end";
    EXPECT_EQ(SingleImageFileEntry(View(file))->bytes, 3u);
    EXPECT_FALSE(SingleImageFileEntry(View(Bytes(file.begin(), file.begin() + 21))));
}

} // namespace
