// The image view with its real widgets: zoom and True Size, the checkerboard as drawn on screen,
// groups, the dispatcher's choices in the window, the invalid-image question, hostile files,
// the Paint cursor warning, clipboard, drags, previews, the file watch and the colorizer hooks.
#include "views/ImageView.h"

#include "GuiFixture.h"
#include "ScriptedFallbacks.h"
#include "application/Settings.h"
#include "decompiler/ExeDumper.h"
#include "imaging/Colorizer.h"
#include "imaging/ImageCodecs.h"
#include "platform/DragShortcut.h"
#include "support/ByteBuilder.h"
#include "views/EditorButton.h"
#include "views/ImageRender.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <cstring>
#include <map>
#include <set>

namespace vellum::test {

namespace {

using gui::ImageView;

// Client size whose area below the toolbar and the info band (37) is 500 x 300; the toolbar is
// as tall as its buttons need.
constexpr int kClientWidth = 500;
constexpr int kAreaHeight = 300;

Bytes Bitmap24(int width, int height, std::uint8_t fill = 0x40) {
    std::size_t rowBytes = (std::size_t(width) * 3 + 3) / 4 * 4;
    return BmpFileBytes({width, height, 24}, {}, Bytes(rowBytes * std::size_t(height), fill));
}

// A one-image icon file of size x size pixels at 32 bits, every pixel opaque `rgb` (0xRRGGBB).
Bytes OpaqueIcon(int size, std::uint32_t rgb) {
    Bytes pixels;
    for (int i = 0; i < size * size; ++i)
        pixels =
            pixels + Bytes{std::uint8_t(rgb), std::uint8_t(rgb >> 8), std::uint8_t(rgb >> 16), 255};
    Bytes mask(std::size_t(size) * 4, 0);
    Bytes dib = DibBytes({size, 2 * size, 32}, {}, pixels, mask);
    return IconFileBytes(kIconType, {{std::uint8_t(size), std::uint8_t(size), 0, 1, 32, dib}});
}

QRgb PixelAt(QWidget& widget, int x, int y) {
    return widget.grab().toImage().pixel(x, y);
}

std::map<std::string, Bytes> FolderBytes(const std::string& folder) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().string()] = ReadFileBytes(entry.path().string());
    return files;
}

} // namespace

class ImageViewTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        StartApp();
    }

    // A view of its own, not in the window: `path` shown at the client size.
    std::unique_ptr<ImageView> StandaloneView(const std::string& path,
                                              ImageRequest request = ImageRequest::Plain) {
        auto view = std::make_unique<ImageView>(app_->Services());
        view->resize(kClientWidth, kAreaHeight + view->ToolbarBand() + kInfoBand);
        view->show();
        view->Show(path, nullptr, nullptr, request);
        QCoreApplication::processEvents();
        return view;
    }

    ImageView& ShowInWindow(const QString& type, const QString& label) {
        EXPECT_NE(Select(type, label), nullptr);
        EXPECT_NE(Host().Image(), nullptr);
        return *Host().Image();
    }

    std::size_t Asked(const std::string& title) const {
        return std::count_if(prompter_.Shown().begin(), prompter_.Shown().end(),
                             [&](const MessageDialog& shown) { return shown.title == title; });
    }
};

TEST_F(ImageViewTest, TheToolbarHasItsSixButtonsWithTextUnderIcons) {
    ImageView view(app_->Services());
    QStringList labels;
    for (QAction* action : view.Toolbar()->actions()) {
        auto* button = qobject_cast<QToolButton*>(view.Toolbar()->widgetForAction(action));
        ASSERT_NE(button, nullptr);
        labels << button->text();
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    }
    EXPECT_EQ(labels, QStringList({"Edit", "Replace...", "View Hex", "True Size",
                                   "Copy to Clipboard", "Memory Replace..."}));
    QAction* memory = view.Toolbar()->actions().back();
    EXPECT_FALSE(memory->isEnabled());
    EXPECT_TRUE(memory->toolTip().contains("Linux"));
    EXPECT_TRUE(view.Toolbar()->actions()[3]->isCheckable());
}

TEST_F(ImageViewTest, ZoomFillsTheFreeAreaAndTrueSizeShowsPixelsAsTheyAre) {
    std::string path = scratch_ / "two.bmp";
    WriteFileBytes(path, Bitmap24(2, 2));
    auto view = StandaloneView(path);
    // Free width min(484, 260) = 260, free height 284: zoom min(130, 142) = 130.
    EXPECT_EQ(view->Zoom(), 130);
    int top = view->ToolbarBand() + kInfoBand + 8;
    EXPECT_EQ(view->DrawnRects().at(0), (PixelRect{8, top, 260, 260}));
    EXPECT_EQ(view->InfoTexts().imageSize, "Image Size: 2x2");

    view->SetTrueSize(true);
    EXPECT_EQ(view->Zoom(), 1);
    EXPECT_EQ(gui::ReadSetting(gui::kScaleToFitKey), "0");
    view->resize(1200, 900);
    EXPECT_EQ(view->Zoom(), 1);
    // The next view starts as the setting says.
    EXPECT_TRUE(StandaloneView(path)->TrueSize());
}

// Three pixels of one row: alpha 0, 128 (red 200, green 100, blue 0) and 255 (10, 20, 30).
// Zoom min(260 / 3, 284 / 1) = 86 puts them at columns 8-93, 94-179 and 180-265, 86 rows from 8
// below the bands; the DIB is bottom-up, so the squares are counted from the image's bottom row.
//   alpha 0:   white 255, silver 192
//   alpha 128: weight 129; white (200*129 + 127*255 + 127) >> 8 = 227, 177, 127;
//              silver (200*129 + 127*192 + 127) >> 8 = 196, 146, 95
TEST_F(ImageViewTest, APngsAlphaShowsTheCheckerboardByTheWeights) {
    ImageRecord record;
    ASSERT_TRUE(record.Allocate(3, 1, 32, 0, false));
    const std::uint8_t pixels[12] = {30, 20, 10, 0, 0, 100, 200, 128, 30, 20, 10, 255};
    std::memcpy(record.rows[0], pixels, sizeof pixels);
    std::string path = scratch_ / "alpha.png";
    ASSERT_TRUE(WritePng(path, record));
    auto view = StandaloneView(path);
    ASSERT_EQ(view->Zoom(), 86);
    int bottom = view->ToolbarBand() + kInfoBand + 8 + 85;
    EXPECT_EQ(PixelAt(*view, 8 + 3, bottom), qRgb(255, 255, 255));
    EXPECT_EQ(PixelAt(*view, 8 + 10, bottom), qRgb(192, 192, 192));
    EXPECT_EQ(PixelAt(*view, 8 + 3, bottom - 6), qRgb(192, 192, 192)) << "DIB row 6";
    EXPECT_EQ(PixelAt(*view, 8 + 96, bottom), qRgb(227, 177, 127));
    EXPECT_EQ(PixelAt(*view, 8 + 102, bottom), qRgb(196, 146, 95));
    EXPECT_EQ(PixelAt(*view, 8 + 200, bottom), qRgb(10, 20, 30));
    EXPECT_EQ(view->InfoTexts().pixelDepth, "Pixel Depth/Colors: 24+8Alpha/16m");
}

TEST_F(ImageViewTest, AThreeMemberIconGroupListsThreeLinesAndStacksThreeImages) {
    WriteFileBytes(scratch_ / "GROUP", GroupBytes(kIconType, {{16, 16, 0, 1, 32, 1128, 1},
                                                              {24, 24, 0, 1, 32, 2440, 2},
                                                              {8, 8, 0, 1, 32, 296, 3}}));
    WriteFileBytes(scratch_ / "Icon00001.ICO", OpaqueIcon(16, 0xFF0000));
    WriteFileBytes(scratch_ / "Icon00002.ICO", OpaqueIcon(24, 0x00FF00));
    WriteFileBytes(scratch_ / "Icon00003.ICO", OpaqueIcon(8, 0x0000FF));
    auto view = StandaloneView(scratch_ / "GROUP", ImageRequest::IconGroup);
    EXPECT_EQ(view->ListingText(), " Images: 3\n"
                                   " ID     Size    BPP  Bytes\n"
                                   "   1   16 x 16   32   1128\n"
                                   "   2   24 x 24   32   2440\n"
                                   "   3    8 x  8   32    296\n");
    const auto& rects = view->DrawnRects();
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[1].y, rects[0].Bottom() + 4);
    EXPECT_EQ(rects[2].y, rects[1].Bottom() + 4);
    EXPECT_EQ(PixelAt(*view, rects[0].x + 1, rects[0].y + 1), qRgb(255, 0, 0));
    EXPECT_EQ(PixelAt(*view, rects[1].x + 1, rects[1].y + 1), qRgb(0, 255, 0));
    EXPECT_EQ(PixelAt(*view, rects[2].x + 7, rects[2].y + 7), qRgb(0, 0, 255));
    for (QAction* action : view->Toolbar()->actions())
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
}

TEST_F(ImageViewTest, TheWindowPicksTheViewerByTypeAndExtension) {
    OpenFixture("resources.dll");
    ImageView& group = ShowInWindow("Icon Group", "1 (1033)");
    EXPECT_EQ(Host().Kind(), gui::ViewKind::ImageIconGroup);
    EXPECT_EQ(group.DrawnRects().size(), 5u);
    EXPECT_FALSE(Host().CanCopy()) << "a group has no one picture to copy";
    EXPECT_FALSE(Window().Action("edit.copy")->isEnabled());
    ShowInWindow("Cursor Group", "1 (1033)");
    EXPECT_EQ(Host().Kind(), gui::ViewKind::ImageCursorGroup);
    ImageView& bitmap = ShowInWindow("Bitmap", "BANNER.BMP (1033)");
    EXPECT_EQ(&bitmap, &group) << "one image view for all of them";
    EXPECT_EQ(Host().Kind(), gui::ViewKind::Image);
    EXPECT_TRUE(Host().CanCopy());
    EXPECT_TRUE(Window().Action("edit.copy")->isEnabled());
    EXPECT_FALSE(Host().CanCut() || Host().CanPaste() || Host().CanUndo());
    EXPECT_EQ(bitmap.InfoTexts().imageSize, "Image Size: 20x8");
    ShowInWindow("Cursor", "2 (1033)");
    EXPECT_EQ(Host().Kind(), gui::ViewKind::Image);
    // Version information, dialogs and menus have their own panes.
    Select("Version Info", "1 (1033)");
    EXPECT_EQ(Host().Kind(), gui::ViewKind::Version);
    Select("Dialog", "100 (1033)");
    EXPECT_EQ(Host().Kind(), gui::ViewKind::Dialog);
    EXPECT_FALSE(Host().CanCopy());
    Select("Menu", "200 (1033)");
    EXPECT_EQ(Host().Kind(), gui::ViewKind::Menu);
}

TEST_F(ImageViewTest, AZeroWideBitmapAsksAndYesDeletesTheResource) {
    OpenFixture("resources.dll");
    WriteFileBytes(Doc().GetProject()->Folder() + "BANNER.BMP",
                   BmpFileBytes({0, 5, 24}, {}, Bytes(20, 0)));
    prompter_.Answer(IDYES); // delete the invalid resource
    prompter_.Answer(IDYES); // Delete Resource's own confirmation, if it asks
    Select("Bitmap", "BANNER.BMP (1033)");
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    ASSERT_EQ(Asked("Invalid Resource"), 1u);
    const MessageDialog& question = prompter_.Shown().front();
    EXPECT_EQ(question.message, "This image resource appears to be invalid. Delete resource?");
    EXPECT_EQ(question.buttons.size(), 2u);
    EXPECT_EQ(question.icon, DialogIcon::Exclamation);
    EXPECT_FALSE(ChildLabels("Bitmap").contains("BANNER.BMP (1033)"));
}

// Nothing shown, or the invalid-image question; never a crash or a read past the file (the
// engine's part runs under the sanitizers in imaging_tests).
TEST_F(ImageViewTest, HostileImagesShowNothingOrAsk) {
    Bytes hugePng = kPngSignature + PngChunk("IHDR", PngHeaderData(65535, 65535, 8, 6)) +
                    PngChunk("IDAT", Bytes(8, 0)) + PngChunk("IEND", {});
    Bytes brokenPng = kPngSignature + PngChunk("IHDR", PngHeaderData(4, 4, 8, 6)) +
                      PngChunk("IDAT", Bytes(30, 0xEE)) + PngChunk("IEND", {});
    const std::pair<const char*, Bytes> asking[] = {
        {"rows.bmp", BmpFileBytes({400, 400, 32}, {}, Bytes(100, 0))},
        {"zero.bmp", BmpFileBytes({4, 0, 24}, {}, {})},
        {"wide.bmp", BmpFileBytes({70000, 1, 1}, {}, Bytes(8752, 0))},
        {"huge.png", hugePng},
        {"broken.png", brokenPng},
        {"short.ico", Bytes{0, 0, 1, 0, 1, 0, 16, 16}},
    };
    for (const auto& [name, bytes] : asking) {
        WriteFileBytes(scratch_ / name, bytes);
        std::size_t before = Asked("Invalid Resource");
        auto view = StandaloneView(scratch_ / name);
        QCoreApplication::processEvents();
        EXPECT_EQ(Asked("Invalid Resource"), before + 1) << name;
        EXPECT_NE(view->Dib().status, LoadStatus::Ok) << name;
    }
    // A group whose members are missing lists them and draws nothing; a missing file shows
    // nothing and asks nothing.
    WriteFileBytes(scratch_ / "LONELY",
                   GroupBytes(kIconType, {{16, 16, 0, 1, 32, 1, 41}, {16, 16, 0, 1, 32, 1, 42}}));
    std::size_t before = prompter_.Shown().size();
    auto group = StandaloneView(scratch_ / "LONELY", ImageRequest::IconGroup);
    EXPECT_TRUE(group->ListingText().contains("  41   16 x 16"));
    for (const PixelRect& rect : group->DrawnRects())
        EXPECT_EQ(rect.width, 0);
    auto missing = StandaloneView(scratch_ / "missing.bmp");
    EXPECT_TRUE(missing->DrawnRects().empty());
    EXPECT_EQ(prompter_.Shown().size(), before);
}

TEST_F(ImageViewTest, PaintIsNotStartedOnCursorsButOnIcons) {
    ScriptedFallbacks fallbacks;
    app_->Services().editorFallbacks = &fallbacks;
    app_->Services().editors.List(EditorKind::Image) = {
        {"Paint", "C:\\Windows\\System32\\MSPaint.exe", "", ""}};
    OpenFixture("resources.dll");
    ImageView& view = ShowInWindow("Cursor", "1 (1033)");
    QTest::mouseClick(view.EditButton(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(Asked("Warning"), 1u);
    EXPECT_EQ(prompter_.Shown().back().message,
              "Microsoft Paint is not configured to handle Cursor Files\nPlease set up an editor "
              "for cursors.\n");
    EXPECT_EQ(prompter_.Shown().back().icon, DialogIcon::Exclamation);
    EXPECT_TRUE(fallbacks.launches.empty());
    EXPECT_TRUE(fallbacks.shellEdits.empty());

    ShowInWindow("Icon", "1 (1033)");
    QTest::mouseClick(view.EditButton(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(fallbacks.launches.size(), 1u);
    EXPECT_EQ(Asked("Warning"), 1u);
    // A double click on the picture edits too; beside it nothing happens.
    PixelRect rect = view.DrawnRects().at(0);
    QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(rect.x + 2, rect.y + 2));
    EXPECT_EQ(fallbacks.launches.size(), 2u);
    QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(rect.Right() + 5, rect.y + 2));
    EXPECT_EQ(fallbacks.launches.size(), 2u);
}

TEST_F(ImageViewTest, TheHandCursorStandsOverThePictureOnly) {
    std::string path = scratch_ / "two.bmp";
    WriteFileBytes(path, Bitmap24(2, 2));
    auto view = StandaloneView(path);
    PixelRect rect = view->DrawnRects().at(0);
    QTest::mouseMove(view.get(), QPoint(rect.x + 10, rect.y + 10));
    EXPECT_EQ(view->cursor().shape(), Qt::PointingHandCursor);
    // After a second's rest the tip appears.
    QTest::qWait(1300);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "Double Click Bitmap to edit.\nClick and drag to copy.");
    QTest::mouseMove(view.get(), QPoint(rect.Right() + 10, rect.y + 10));
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
}

// Qt's own readers decode the project's files as the oracle for what reaches the clipboard.
TEST_F(ImageViewTest, CopyPutsTheImageAndTheDibOnTheClipboard) {
    OpenFixture("resources.dll");
    std::string folder = Doc().GetProject()->Folder();
    for (auto [label, file] :
         {std::pair{"1 (1033)", "Bitmap00001.BMP"}, std::pair{"LOGO.BMP (1033)", "LOGO.png"}}) {
        ImageView& view = ShowInWindow("Bitmap", label);
        QApplication::clipboard()->clear();
        Host().Copy();
        const QMimeData* data = QApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        ASSERT_TRUE(data->hasImage()) << label;
        QImage copied =
            qvariant_cast<QImage>(data->imageData()).convertToFormat(QImage::Format_ARGB32);
        QImage expected =
            QImage(QString::fromStdString(folder + file)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(expected.isNull()) << file;
        EXPECT_EQ(copied, expected) << label;
        QByteArray dib = data->data("image/bmp");
        EXPECT_EQ(Bytes(dib.begin(), dib.end()), view.Dib().dib);
    }
    Bytes file = ReadFileBytes(folder + "Bitmap00001.BMP");
    ShowInWindow("Bitmap", "1 (1033)");
    Host().Copy();
    QByteArray dib = QApplication::clipboard()->mimeData()->data("image/bmp");
    EXPECT_EQ(Bytes(dib.begin(), dib.end()), Bytes(file.begin() + 14, file.end()));
}

TEST_F(ImageViewTest, ADragCarriesTheImageAndOneLinkToTheShownFile) {
    OpenFixture("resources.dll");
    ImageView& view = ShowInWindow("Bitmap", "1 (1033)");
    std::unique_ptr<QMimeData> data(view.DragData(0));
    EXPECT_TRUE(data->hasImage());
    ASSERT_EQ(data->urls().size(), 1);
    std::string link = data->urls()[0].toLocalFile().toStdString();
    EXPECT_TRUE(link.ends_with("/Bitmap00001.BMP.desktop")) << link;
    std::string text = ReadFileText(link);
    EXPECT_NE(text.find("\nURL=" + FileUrl(view.Path()) + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nName=Bitmap00001.BMP\n"), std::string::npos) << text;

    // BANNER's frame is magenta, the key colour: see-through under the pointer.
    ImageView& banner = ShowInWindow("Bitmap", "BANNER.BMP (1033)");
    QImage pixmap = gui::DragPixmap(banner.Dib(), banner.Kind()).toImage();
    ASSERT_EQ(pixmap.size(), QSize(20, 8));
    EXPECT_EQ(qAlpha(pixmap.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(pixmap.pixel(10, 4)), 255);

    // A group offers the icon file its members make.
    ImageView& group = ShowInWindow("Icon Group", "APP (1033)");
    std::unique_ptr<QMimeData> member(group.DragData(1));
    ASSERT_EQ(member->urls().size(), 1);
    std::string groupLink = ReadFileText(member->urls()[0].toLocalFile().toStdString());
    std::size_t url = groupLink.find("URL=file://");
    ASSERT_NE(url, std::string::npos);
    std::string offered = groupLink.substr(url + 11, groupLink.find('\n', url) - url - 11);
    EXPECT_TRUE(offered.ends_with(".ico")) << offered;
    Bytes icon = ReadFileBytes(offered);
    ASSERT_GE(icon.size(), 6u);
    EXPECT_EQ(icon[4], 2) << "both members of APP";
}

TEST_F(ImageViewTest, GifAndJpegArePreviewedAndOtherKindsSaySo) {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(qRgb(0, 128, 255));
    std::string jpeg = scratch_ / "photo.jpg";
    ASSERT_TRUE(picture.save(QString::fromStdString(jpeg), "JPG"));
    EXPECT_FALSE(StandaloneView(jpeg)->Preview()->pixmap().isNull());

    // One red pixel: header, logical screen, a two-colour table, image descriptor, LZW data.
    Bytes gif = BytesOf("GIF89a") + Bytes{1, 0, 1, 0, 0x80, 0, 0, 255, 0, 0, 0, 0, 0} +
                Bytes{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3B};
    WriteFileBytes(scratch_ / "dot.gif", gif);
    auto gifView = StandaloneView(scratch_ / "dot.gif");
    EXPECT_TRUE(!gifView->Preview()->pixmap().isNull() || gifView->Preview()->movie());
    EXPECT_TRUE(gifView->Preview()->hasScaledContents()) << "ScaleToFit stretches the preview";

    WriteFileBytes(scratch_ / "clip.avi", BytesOf("RIFF\4\0\0\0AVI "));
    auto avi = StandaloneView(scratch_ / "clip.avi");
    EXPECT_TRUE(avi->Preview()->text().startsWith("No preview for this file type"));
}

// Two cursor frames, red then green, a jiffy (1/60 s) each.
TEST_F(ImageViewTest, AnAnimatedCursorPlaysItsFrames) {
    auto cursorFrame = [](std::uint32_t rgb) {
        Bytes icon = OpaqueIcon(8, rgb);
        Put16(icon, 2, kCursorType);
        return icon;
    };
    WriteFileBytes(scratch_ / "busy.ani",
                   AconFile(AniHeaderChunk(2, 1) +
                            AniFramesChunk({cursorFrame(0xFF0000), cursorFrame(0x00FF00)})));
    auto view = StandaloneView(scratch_ / "busy.ani");
    ASSERT_EQ(view->Dib().status, LoadStatus::Ok);
    EXPECT_EQ(view->InfoTexts().fileName, "File Name: busy.ani");
    PixelRect rect = view->DrawnRects().at(0);
    std::set<QRgb> seen;
    for (int i = 0; i < 40 && seen.size() < 2; ++i) {
        seen.insert(PixelAt(*view, rect.x + 1, rect.y + 1));
        QTest::qWait(10);
    }
    EXPECT_EQ(seen, std::set<QRgb>({qRgb(255, 0, 0), qRgb(0, 255, 0)}));

    // Not an animated cursor after all: the invalid-image question.
    WriteFileBytes(scratch_ / "fake.ani", BytesOf("RIFF....AVI LIST"));
    StandaloneView(scratch_ / "fake.ani");
    EXPECT_EQ(Asked("Invalid Resource"), 1u);
}

TEST_F(ImageViewTest, AChangedFileIsReadAgainByTheWatch) {
    std::string path = scratch_ / "watched.bmp";
    WriteFileBytes(path, Bitmap24(2, 2));
    auto view = StandaloneView(path);
    WriteFileBytes(path, Bitmap24(3, 1));
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) +
                                               std::chrono::seconds(5));
    view->CheckFile();
    EXPECT_EQ(view->InfoTexts().imageSize, "Image Size: 3x1");
}

TEST_F(ImageViewTest, PreviewLeavesTheFileAndApplyWritesOnlyTheShownFile) {
    OpenFixture("resources.dll");
    ImageView& view = ShowInWindow("Bitmap", "2 (1033)");
    std::string folder = Doc().GetProject()->Folder();
    std::map<std::string, Bytes> before = FolderBytes(folder);
    PixelRect rect = view.DrawnRects().at(0);
    QRgb plain = PixelAt(view, rect.x + 1, rect.y + 1);

    Colorizer colorizer;
    colorizer.ConfigureFromHue(512, {});
    view.PreviewColorized(colorizer);
    EXPECT_NE(PixelAt(view, rect.x + 1, rect.y + 1), plain) << "the preview is drawn";
    EXPECT_EQ(FolderBytes(folder), before) << "and nothing is written";
    EXPECT_FALSE(Doc().IsModified());

    prompter_.Answer(IDYES);
    ASSERT_TRUE(view.ApplyColorization(colorizer, ColorizeScope::CurrentImage));
    std::map<std::string, Bytes> after = FolderBytes(folder);
    std::vector<std::string> changed;
    for (const auto& [path, bytes] : after)
        if (!path.ends_with(kUncompiledMarkerFile) && before[path] != bytes)
            changed.push_back(path);
    EXPECT_EQ(changed, std::vector<std::string>({view.Path()}));
    EXPECT_TRUE(Doc().IsModified());
}

} // namespace vellum::test
