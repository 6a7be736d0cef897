// Tests for the .ico reductions of snapshots and for reading icon groups out of executables.
#include "iconset/IconFileTrim.h"

#include "common/Prompter.h"
#include "common/TestSupport.h"
#include "iconset/IconSources.h"
#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

using test::DataPath;
using test::ReadFileBytes;
using test::ReadFileText;
using test::ScratchDir;
using test::View;
using test::WriteFileText;

struct Image {
    int size;      // width and height; 256 is written as 0
    int bits;      // the DIB's bit count
    int entryBits; // what the directory entry says
    std::uint8_t fill;
};

// An image as the directory points at it: a 40-byte BITMAPINFOHEADER and 24 bytes of `fill`
// that tell the images apart.
std::vector<std::uint8_t> Dib(const Image& image) {
    test::DibFields header{
        .width = image.size, .height = image.size * 2, .bitCount = std::uint16_t(image.bits)};
    return test::DibBytes(header, {}, test::Bytes(24, image.fill));
}

// An .ico file written field by field: header, 16-byte entries, then the images in order.
std::vector<std::uint8_t> IcoFile(const std::vector<Image>& images) {
    std::vector<test::IcoFileImage> entries;
    for (const Image& image : images)
        entries.push_back(
            {.width = std::uint8_t(image.size & 0xFF),
             .height = std::uint8_t(image.size & 0xFF),
             .colours = image.bits < 8 ? std::uint8_t(1 << image.bits) : std::uint8_t(0),
             .bitCount = std::uint16_t(image.entryBits),
             .image = Dib(image)});
    return test::IconFileBytes(test::kIconType, entries);
}

// (size, bit count, fill) of each image, read back from the directory and the image bytes.
std::vector<std::tuple<int, int, int>> Shapes(const std::vector<std::uint8_t>& file) {
    std::vector<std::tuple<int, int, int>> shapes;
    std::optional<std::vector<IconFileImage>> images = ReadIconFile(View(file));
    EXPECT_TRUE(images);
    for (const IconFileImage& image : images.value_or(std::vector<IconFileImage>{}))
        shapes.emplace_back(image.height, image.bitCount, image.image.U8(63));
    return shapes;
}

TEST(IconFileTrim, KeepsTheDeepestImageOfEachHeight) {
    // 16x16 and 32x32 at 4, 8 and 32 bits; the 32-bit 16x16 entry states no bit count, as many
    // files do, so its depth has to come from the image.
    std::vector<std::uint8_t> file = IcoFile({{16, 4, 4, 0xA1},
                                              {32, 4, 4, 0xA2},
                                              {16, 8, 8, 0xA3},
                                              {32, 8, 8, 0xA4},
                                              {16, 32, 0, 0xA5},
                                              {32, 32, 32, 0xA6}});
    std::optional<std::vector<std::uint8_t>> kept = KeepMostColors(View(file));
    ASSERT_TRUE(kept);
    std::optional<std::vector<std::uint8_t>> limited = RemoveLargerImages(View(*kept), 32);
    ASSERT_TRUE(limited);
    using Shape = std::tuple<int, int, int>;
    EXPECT_EQ(Shapes(*limited), (std::vector<Shape>{{16, 32, 0xA5}, {32, 32, 0xA6}}));
    ASSERT_EQ(limited->size(), 6u + 2 * 16 + 2 * 64) << "images packed behind the directory";
    EXPECT_EQ(View(*limited).U32(6 + 12), 38u);
    EXPECT_EQ(View(*limited).U32(22 + 12), 102u);

    std::vector<std::uint8_t> tie = IcoFile({{16, 8, 8, 0xB1}, {16, 8, 8, 0xB2}});
    EXPECT_EQ(Shapes(KeepMostColors(View(tie)).value()), (std::vector<Shape>{{16, 8, 0xB1}}))
        << "the first of equally deep images";
}

TEST(IconFileTrim, SizeLimitRemovesOnlyLargerImages) {
    std::vector<std::uint8_t> file =
        IcoFile({{256, 32, 32, 0xC1}, {48, 32, 32, 0xC2}, {16, 8, 8, 0xC3}});
    EXPECT_EQ(RemoveLargerImages(View(file), 256).value(), file) << "256 removes nothing";
    using Shape = std::tuple<int, int, int>;
    EXPECT_EQ(Shapes(RemoveLargerImages(View(file), 128).value()),
              (std::vector<Shape>{{48, 32, 0xC2}, {16, 8, 0xC3}}))
        << "a size byte of 0 is 256 pixels";
    EXPECT_EQ(Shapes(RemoveLargerImages(View(file), 48).value()),
              (std::vector<Shape>{{48, 32, 0xC2}, {16, 8, 0xC3}}));

    std::vector<std::uint8_t> large = IcoFile({{64, 32, 32, 0xD1}});
    EXPECT_EQ(RemoveLargerImages(View(large), 32).value(), large)
        << "an icon never loses its last image";
}

TEST(IconFileTrim, RefusesWhatIsNotAnIconFile) {
    std::vector<std::uint8_t> good = IcoFile({{16, 8, 8, 1}, {32, 8, 8, 2}});
    auto refused = [](std::vector<std::uint8_t> bytes) {
        return !ReadIconFile(View(bytes)) && !KeepMostColors(View(bytes)) &&
               !RemoveLargerImages(View(bytes), 16);
    };
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused(std::vector<std::uint8_t>(good.begin(), good.begin() + 30)))
        << "directory cut short";
    EXPECT_TRUE(refused(std::vector<std::uint8_t>(good.begin(), good.end() - 1)))
        << "last image cut short";
    std::vector<std::uint8_t> cursor = good;
    cursor[2] = 2;
    EXPECT_TRUE(refused(cursor));
    std::vector<std::uint8_t> none = good;
    none[4] = 0;
    EXPECT_TRUE(refused(none));
    std::vector<std::uint8_t> intoDirectory = good;
    intoDirectory[6 + 12] = 6; // the first image would start inside the directory
    EXPECT_TRUE(refused(intoDirectory));
    std::vector<std::uint8_t> huge = good;
    huge[6 + 8 + 3] = 0x7F; // the first image's byte count runs far past the end
    EXPECT_TRUE(refused(huge));
}

// resources.dll lists its icon groups as APP (icons 6 and 7) and 1 (icons 1 to 5).
TEST(IconSources, PeGroupsByPositionOrIdentifier) {
    std::vector<std::uint8_t> dll = ReadFileBytes(DataPath("resources.dll"));
    auto count = [&](int index) -> int {
        std::optional<std::vector<std::uint8_t>> icon = PeIconGroupFile(View(dll), index);
        return icon ? int(ReadIconFile(View(*icon)).value().size()) : -1;
    };
    EXPECT_EQ(count(0), 2) << "the named group comes first";
    EXPECT_EQ(count(1), 5);
    EXPECT_EQ(count(-1), 5) << "a negative index is a group ID";
    EXPECT_EQ(count(2), -1);
    EXPECT_EQ(count(-6), -1) << "an icon ID is not a group ID";
    std::vector<std::uint8_t> icon = PeIconGroupFile(View(dll), 0).value();
    EXPECT_EQ(ReadIconFile(View(icon)).value()[0].bitCount, 32);

    std::vector<std::uint8_t> cut(dll.begin(), dll.begin() + dll.size() / 2);
    EXPECT_FALSE(PeIconGroupFile(View(cut), 0)) << "the resource section lies past the end";
}

TEST(IconSources, IconLibraryGroupsAndIcoFiles) {
    ScriptedPrompter prompter;
    std::vector<std::uint8_t> icon;
    ASSERT_EQ(ReadIconSource(DataPath("icons.icl"), 0, prompter, icon), S_OK);
    EXPECT_EQ(ReadIconFile(View(icon)).value().size(), 3u);
    EXPECT_EQ(ReadIconSource(DataPath("icons.icl"), -1, prompter, icon), S_OK);
    EXPECT_EQ(ReadIconSource(DataPath("icons.icl"), 1, prompter, icon), E_FAIL);
    ASSERT_EQ(ReadIconSource(DataPath("src/img/app.ico"), 7, prompter, icon), S_OK)
        << "an .ico file is taken whole, whatever the index";
    EXPECT_EQ(icon, ReadFileBytes(DataPath("src/img/app.ico")));
    EXPECT_EQ(ReadIconSource(DataPath("src/img/b8.bmp"), 0, prompter, icon), E_FAIL);
    ScratchDir dir;
    WriteFileText(dir / "cursor.ico", ReadFileText(DataPath("src/img/arrow.cur")));
    EXPECT_EQ(ReadIconSource(dir / "cursor.ico", 0, prompter, icon), E_FAIL)
        << "a cursor is not an icon, whatever its name";
}

} // namespace
} // namespace vellum
