// What the image view loads and draws, without a window: loading with its checks on hostile
// files, the info texts and group listing, decoding and the checkerboard composite, and the
// geometry of zoom, rectangles and columns. Expected values are worked out by hand.
#include "imaging/ImageFile.h"

#include "common/TestSupport.h"
#include "imaging/DibRaster.h"
#include "imaging/ImageLayout.h"
#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

// A bottom-up 32-bit DIB whose rows are given top row first as blue, green, red, alpha.
Bytes Dib32(int width, const std::vector<Bytes>& rowsTopFirst) {
    Bytes rows;
    for (auto row = rowsTopFirst.rbegin(); row != rowsTopFirst.rend(); ++row)
        rows = rows + *row;
    return DibBytes({width, int(rowsTopFirst.size()), 32}, {}, rows);
}

Bytes OneIconFile(const Bytes& dib, std::uint16_t type = kIconType) {
    return IconFileBytes(type, {{16, 16, 0, 1, 32, dib}});
}

} // namespace

// ---- loading ---------------------------------------------------------------------------------

TEST(ImageFileTest, KindsComeFromTheRequestThenTheExtension) {
    EXPECT_EQ(KindOfImageFile("a/B.BMP", ImageRequest::Plain), ImageKind::Bitmap);
    EXPECT_EQ(KindOfImageFile("x.Png", ImageRequest::Plain), ImageKind::Png);
    EXPECT_EQ(KindOfImageFile("x.ani", ImageRequest::Plain), ImageKind::AnimatedCursor);
    EXPECT_EQ(KindOfImageFile("x.jpeg", ImageRequest::Plain), ImageKind::None);
    EXPECT_EQ(KindOfImageFile("Icon00001.ico", ImageRequest::IconGroup), ImageKind::IconGroup);
    EXPECT_EQ(KindOfImageFile("x", ImageRequest::CursorGroup), ImageKind::CursorGroup);
}

TEST(ImageFileTest, BitmapsAndIconsGiveTheirDibWithTheIconHeightHalved) {
    Bytes dib = DibBytes({2, 2, 24}, {}, Bytes(16, 0x40));
    LoadedDib bitmap =
        LoadDib(View(BmpFileBytes({2, 2, 24}, {}, Bytes(16, 0x40))), ImageKind::Bitmap);
    EXPECT_EQ(bitmap.status, LoadStatus::Ok);
    EXPECT_EQ(bitmap.dib, dib);
    EXPECT_EQ(bitmap.bitCount, 24);

    // 2 x 2 at 32 bits: 16 bytes of colour rows and two 4-byte mask rows; height 4 counts both.
    Bytes iconDib = DibBytes({2, 4, 32}, {}, Bytes(16, 0x80), Bytes(8, 0));
    LoadedDib icon = LoadDib(View(OneIconFile(iconDib)), ImageKind::Icon);
    EXPECT_EQ(icon.status, LoadStatus::Ok);
    EXPECT_EQ(icon.height, 2);
    EXPECT_EQ(icon.dib.size(), iconDib.size());
    EXPECT_EQ(icon.dib[8], 2) << "the header's height is halved in the DIB itself";
    ImageInfoTexts texts = InfoTextsFor("/p/Icon00001.ICO", ImageKind::Icon, icon);
    EXPECT_EQ(texts.fileName, "File Name: Icon00001.ICO");
    EXPECT_EQ(texts.fileSize, "File Size: 64 Bytes");
    EXPECT_EQ(texts.imageSize, "Image Size: 2x2");
    EXPECT_EQ(texts.pixelDepth, "Pixel Depth/Colors: 24+8Alpha/16m");
}

TEST(ImageFileTest, PixelDepthTextsAndTheUnusualDepths) {
    EXPECT_EQ(PixelDepthText(1), "Pixel Depth/Colors: 1/2");
    EXPECT_EQ(PixelDepthText(4), "Pixel Depth/Colors: 4/16");
    EXPECT_EQ(PixelDepthText(8), "Pixel Depth/Colors: 8/256");
    EXPECT_EQ(PixelDepthText(16), "Pixel Depth/Colors: 16/65536");
    EXPECT_EQ(PixelDepthText(24), "Pixel Depth/Colors: 24/16m");
    EXPECT_EQ(PixelDepthText(2), "");
    EXPECT_EQ(PixelDepthText(0), "");
}

TEST(ImageFileTest, HostileDibsAreInvalidAndNothingIsReadBeyondThem) {
    // Rows claimed but not there: 100 x 100 at 24 bits needs 30,000 bytes.
    Bytes shortRows = BmpFileBytes({100, 100, 24}, {}, Bytes(64, 0));
    EXPECT_EQ(LoadDib(View(shortRows), ImageKind::Bitmap).status, LoadStatus::Invalid);
    // A side of 0, and sides beyond 65,535.
    EXPECT_EQ(LoadDib(View(BmpFileBytes({0, 5, 24}, {}, {})), ImageKind::Bitmap).status,
              LoadStatus::Invalid);
    EXPECT_EQ(
        LoadDib(View(BmpFileBytes({65536, 1, 1}, {}, Bytes(8192, 0))), ImageKind::Bitmap).status,
        LoadStatus::Invalid);
    EXPECT_EQ(LoadDib(View(BmpFileBytes({1, -70000, 1}, {}, {})), ImageKind::Bitmap).status,
              LoadStatus::Invalid);
    // A header size past the bytes; a file no longer than its file header; an icon file with no
    // image behind its directory.
    Bytes header = DibHeaderBytes({1, 1, 24});
    Put32(header, 0, 0x7FFFFFFF);
    EXPECT_EQ(LoadDib(View(BitmapFileHeaderBytes(54, 54) + header), ImageKind::Bitmap).status,
              LoadStatus::Invalid);
    EXPECT_EQ(LoadDib(View(Bytes(14, 0)), ImageKind::Bitmap).status, LoadStatus::Invalid);
    EXPECT_EQ(LoadDib(View(Bytes(22, 0)), ImageKind::Icon).status, LoadStatus::Invalid);
    EXPECT_FALSE(DecodeDib(View(DibBytes({100, 100, 24}, {}, Bytes(64, 0)))));
}

TEST(ImageFileTest, HostilePngsAreInvalid) {
    // 65,535 x 65,535 pixels cannot come out of a 60-byte stream.
    Bytes huge = kPngSignature + PngChunk("IHDR", PngHeaderData(65535, 65535, 8, 6)) +
                 PngChunk("IDAT", Bytes(4, 0)) + PngChunk("IEND", {});
    EXPECT_EQ(LoadDib(View(huge), ImageKind::Png).status, LoadStatus::Invalid);
    // A small image whose data libpng rejects.
    Bytes broken = kPngSignature + PngChunk("IHDR", PngHeaderData(4, 4, 8, 6)) +
                   PngChunk("IDAT", Bytes(20, 0xEE)) + PngChunk("IEND", {});
    EXPECT_EQ(LoadDib(View(broken), ImageKind::Png).status, LoadStatus::Invalid);
    EXPECT_EQ(LoadDibFile("/nonexistent/x.png", ImageKind::Png).status, LoadStatus::Unreadable);
}

TEST(ImageFileTest, GroupsListTheirEntriesAndLoadTheMembersBesideThem) {
    ScratchDir dir;
    Bytes group = GroupBytes(
        kIconType,
        {{16, 16, 0, 1, 32, 1128, 1}, {32, 32, 16, 1, 4, 744, 2}, {48, 48, 0, 1, 8, 3752, 7}});
    WriteFileBytes(dir / "GROUP.ICO", group);
    WriteFileBytes(dir / "Icon00001.ICO", OneIconFile(DibBytes({2, 4, 32}, {}, Bytes(24, 9))));
    WriteFileBytes(dir / "icon00002.ico", OneIconFile(DibBytes({3, 6, 32}, {}, Bytes(48, 9))));
    // Icon00007.ICO is missing.
    LoadedGroup loaded = LoadGroupFile(dir / "GROUP.ICO", false);
    ASSERT_EQ(loaded.status, LoadStatus::Ok);
    ASSERT_EQ(loaded.members.size(), 3u);
    EXPECT_EQ(loaded.members[0].status, LoadStatus::Ok);
    EXPECT_EQ(loaded.members[1].width, 3);
    EXPECT_EQ(loaded.members[2].status, LoadStatus::Unreadable);
    EXPECT_EQ(GroupListingText(loaded.directory), " Images: 3\n"
                                                  " ID     Size    BPP  Bytes\n"
                                                  "   1   16 x 16   32   1128\n"
                                                  "   2   32 x 32    4    744\n"
                                                  "   7   48 x 48    8   3752\n");
    EXPECT_EQ(GroupMemberFileName(7, false), "Icon00007.ICO");
    EXPECT_EQ(GroupMemberFileName(12, true), "Cursor00012.CUR");
}

// Cursor groups keep 16-bit width and height (the height counting both row blocks).
TEST(ImageFileTest, CursorGroupListingsReadWordSizes) {
    ScratchDir dir;
    Bytes group = ByteWriter()
                      .U16(0)
                      .U16(kCursorType)
                      .U16(1)
                      .U16(300)
                      .U16(600)
                      .U16(1)
                      .U16(1)
                      .U32(308)
                      .U16(3)
                      .Take();
    WriteFileBytes(dir / "CURSORS", group);
    LoadedGroup loaded = LoadGroupFile(dir / "CURSORS", true);
    EXPECT_EQ(GroupListingText(loaded.directory), " Images: 1\n"
                                                  " ID     Size    BPP  Bytes\n"
                                                  "   3  300 x600    1    308\n");
}

// ---- decoding and compositing ------------------------------------------------------------------

TEST(DibRasterTest, DecodesPalettedSixteenAndTopDownRows) {
    // 2 x 2 at 8 bits, bottom-up: the bottom row holds indexes 0, 1, the top row 1, 0.
    Bytes palette = {0x10, 0x20, 0x30, 0, 0xA0, 0xB0, 0xC0, 0};
    Bytes rows = {0, 1, 0, 0, 1, 0, 0, 0};
    auto paletted = DecodeDib(View(DibBytes({2, 2, 8, 0, 0, 0, 0, 2}, palette, rows)));
    ASSERT_TRUE(paletted);
    EXPECT_EQ(paletted->At(0, 0), 0xFFC0B0A0u);
    EXPECT_EQ(paletted->At(0, 1), 0xFF302010u);
    EXPECT_TRUE(paletted->bottomUp);

    // 16 bits, 5-5-5: pure red 0x7C00 and white 0x7FFF; one row, padded to 4 bytes.
    auto sixteen = DecodeDib(View(DibBytes({2, 1, 16}, {}, {0x00, 0x7C, 0xFF, 0x7F})));
    ASSERT_TRUE(sixteen);
    EXPECT_EQ(sixteen->At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(sixteen->At(1, 0), 0xFFFFFFFFu);

    // Top-down 24 bits: the first stored row is the top one.
    Bytes topDown = {1, 2, 3, 0, 4, 5, 6, 0};
    auto raster = DecodeDib(View(DibBytes({1, -2, 24}, {}, topDown)));
    ASSERT_TRUE(raster);
    EXPECT_FALSE(raster->bottomUp);
    EXPECT_EQ(raster->At(0, 0), 0xFF030201u);
    EXPECT_EQ(raster->At(0, 1), 0xFF060504u);
}

TEST(DibRasterTest, NearestNeighbourStretchRepeatsPixels) {
    auto raster = DecodeDib(View(Dib32(2, {{1, 0, 0, 255, 2, 0, 0, 255}})));
    ASSERT_TRUE(raster);
    Raster wide = StretchNearest(*raster, 5, 2);
    // Column x reads source column x * 2 / 5: 0, 0, 0, 1, 1.
    EXPECT_EQ(wide.At(2, 1) & 0xFF, 1u);
    EXPECT_EQ(wide.At(3, 0) & 0xFF, 2u);
}

// One pixel, red 200, green 100, blue 0, blown up to 12 x 12. Alpha 128 weighs 129:
//   white (255): (200*129 + 127*255 + 127) >> 8 = 227, (100*129 + 32385 + 127) >> 8 = 177,
//                (0 + 32385 + 127) >> 8 = 127
//   silver (192): (25800 + 127*192 + 127) >> 8 = 196, (12900 + 24384 + 127) >> 8 = 146,
//                 (24384 + 127) >> 8 = 95
TEST(DibRasterTest, TheCheckerboardShowsThroughByTheRoundedWeights) {
    auto half = DecodeDib(View(Dib32(1, {{0, 100, 200, 128}})));
    ASSERT_TRUE(half);
    Raster out = CompositeOnCheckerboard(*half, 12, 12);
    // Bottom-up: the DIB's row 0 is the raster's last row, where squares are counted from.
    EXPECT_EQ(out.At(0, 11), 0xFFE3B17Fu) << "white square";
    EXPECT_EQ(out.At(6, 11), 0xFFC4925Fu) << "silver square";
    EXPECT_EQ(out.At(0, 5), 0xFFC4925Fu) << "DIB row 6: silver";
    EXPECT_EQ(out.At(6, 5), 0xFFE3B17Fu);

    auto clear = DecodeDib(View(Dib32(1, {{0, 100, 200, 0}})));
    Raster board = CompositeOnCheckerboard(*clear, 12, 12);
    EXPECT_EQ(board.At(5, 11), 0xFFFFFFFFu);
    EXPECT_EQ(board.At(6, 11), 0xFFC0C0C0u);

    auto opaque = DecodeDib(View(Dib32(1, {{0, 100, 200, 255}})));
    EXPECT_EQ(CompositeOnCheckerboard(*opaque, 12, 12).At(6, 0), 0xFFC86400u);

    // Alpha 127 weighs 127: on white (200*127 + 129*255 + 127) >> 8 = 58422 >> 8 = 228.
    auto low = DecodeDib(View(Dib32(1, {{0, 0, 200, 127}})));
    EXPECT_EQ(CompositeOnCheckerboard(*low, 1, 1).At(0, 0) >> 16 & 0xFF, 228u);
}

// ---- geometry -----------------------------------------------------------------------------------

TEST(ImageLayoutTest, ZoomFitsTheFreeAreaAndTrueSizeIsOne) {
    // 500 x 300 below the toolbar and the info band: free width min(484, 260) = 260, free
    // height 284; 2 x 2 pixels zoom min(130, 142) = 130.
    int clientHeight = 300 + kToolbarBand + kInfoBand;
    EXPECT_EQ(ZoomFor(2, 2, 500, clientHeight, true, false), 130);
    EXPECT_EQ(ZoomFor(2, 2, 500, clientHeight, true, true), 1);
    EXPECT_EQ(ZoomFor(1000, 10, 500, clientHeight, true, false), 1) << "too wide: at least 1";
    // A side of 0 counts as 1: min(260 / 1, 284 / 2) = 142.
    EXPECT_EQ(ZoomFor(0, 2, 500, clientHeight, true, false), 142);
    EXPECT_EQ(ImageRectFor(2, 2, 130, true), (PixelRect{8, 75, 260, 260}));
    EXPECT_EQ(ImageRectFor(3, 1, 1, false), (PixelRect{8, 38, 3, 1}));
}

TEST(ImageLayoutTest, GroupMembersStackFourPixelsApartAndThePanelStandsBeside) {
    std::vector<PixelRect> rects = StackGroupMembers({{16, 16}, {0, 0}, {32, 32}, {48, 48}});
    int top = kToolbarBand + 18 * 4 + 36 + 4;
    EXPECT_EQ(rects[0], (PixelRect{8, top, 16, 16}));
    EXPECT_EQ(rects[1].width, 0);
    EXPECT_EQ(rects[2], (PixelRect{8, top + 20, 32, 32}));
    EXPECT_EQ(rects[3], (PixelRect{8, top + 56, 48, 48}));

    // Beside the image from the image area's top (below toolbar and info band, 67) down.
    EXPECT_EQ(ColorizerPanelRect({{8, 75, 300, 300}}, false, 900, 600),
              (PixelRect{307, 67, 593, 533}));
    EXPECT_EQ(ColorizerPanelRect({{8, 75, 20, 20}}, false, 900, 600).x, 260);
    EXPECT_EQ(ColorizerPanelRect(rects, true, 900, 600).y, top - 21);
}

TEST(ImageLayoutTest, TheInfoBandsColonsLineUp) {
    InfoColumns narrow = AlignInfoColumns(150, 70, 120, 110, 200, 300);
    EXPECT_EQ(narrow.upperX + 70, narrow.lowerX + 110);
    EXPECT_GE(narrow.lowerX, 8 + 150) << "never over the left-hand column";
    InfoColumns wide = AlignInfoColumns(150, 70, 120, 110, 200, 1000);
    EXPECT_EQ(wide.upperX + 70, wide.lowerX + 110);
    EXPECT_GT(wide.lowerX, narrow.lowerX) << "towards the right edge when there is room";
    EXPECT_LE(wide.lowerX + 200, 1000);
}
