// Bitmaps kept as PNG files (Png='1'): the window shows and edits the PNG the compiler reads, and
// replacing a bitmap keeps the Png flag in step with the file it copied, so the next compile
// builds the resource from the replacement.
#include "GuiFixture.h"
#include "common/Strings.h"
#include "decompiler/ExeDumper.h"
#include "imaging/ImageCodecs.h"
#include "views/HexEdit.h"
#include "views/HexView.h"
#include "views/ImageView.h"

#include <QAction>
#include <QTest>
#include <QToolBar>
#include <cstdlib>
#include <cstring>
#include <set>

namespace vellum::test {

namespace {

constexpr int kWidth = 4;
constexpr int kHeight = 3;

// Pixels that all differ, top row first: blue, green, red (and alpha) each. One pixel is half
// transparent, so the PNG keeps its alpha channel and compiles to a 32-bit bitmap.
std::vector<std::uint8_t> TestPixels(int bytesPerPixel) {
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t pixel[4] = {std::uint8_t(40 * x + 1), std::uint8_t(70 * y + 2),
                                     std::uint8_t(250 - 20 * x * y),
                                     std::uint8_t(x == 1 && y == 2 ? 128 : 255)};
            pixels.insert(pixels.end(), pixel, pixel + bytesPerPixel);
        }
    }
    return pixels;
}

void WriteTestImage(const std::string& path, int bitCount, bool png) {
    ImageRecord image;
    ASSERT_TRUE(image.Allocate(kWidth, kHeight, std::uint16_t(bitCount), 0, false));
    std::vector<std::uint8_t> pixels = TestPixels(bitCount / 8);
    std::size_t rowBytes = pixels.size() / kHeight;
    for (int y = 0; y < kHeight; ++y)
        std::memcpy(image.rows[y], pixels.data() + y * rowBytes, rowBytes);
    ASSERT_TRUE(png ? WritePng(path, image) : WriteBmp(path, image));
}

std::vector<std::uint8_t> PixelsOf(const ImageRecord& image) {
    std::vector<std::uint8_t> pixels;
    std::size_t rowBytes = std::size_t(image.width) * image.bitCount / 8;
    for (std::uint8_t* row : image.rows)
        pixels.insert(pixels.end(), row, row + rowBytes);
    return pixels;
}

std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        names.insert(entry.path().lexically_relative(folder).string());
    return names;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::uint8_t byte : bytes)
        text += Format("%02x", byte);
    return text;
}

// python3-pefile reads bitmap BANNER.BMP of `dll`: 4 x 3 pixels at 32 bits, rows as expected.
int PefileBannerCheck(const std::string& dll, const std::vector<std::uint8_t>& expected) {
    const char* script = R"(
import pefile, struct, sys
pe = pefile.PE(sys.argv[1])
want = bytes.fromhex(sys.argv[2])
for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    if kind.id != 2:
        continue
    for entry in kind.directory.entries:
        if entry.name is None or str(entry.name) != 'BANNER.BMP':
            continue
        data = entry.directory.entries[0].data.struct
        dib = pe.get_data(data.OffsetToData, data.Size)
        size, width, height, planes, bits = struct.unpack_from('<IiiHH', dib, 0)
        stride = width * 4
        rows = [dib[size + r * stride:size + (r + 1) * stride] for r in range(abs(height))]
        if height > 0:
            rows.reverse()
        ok = (width, abs(height), bits) == (4, 3, 32) and b''.join(rows) == want
        sys.exit(0 if ok else 1)
sys.exit(2)
)";
    std::string scriptPath = dll + ".py";
    WriteFileText(scriptPath, script);
    std::string command = "/usr/bin/python3 '" + scriptPath + "' '" + dll + "' " + Hex(expected);
    return std::system(command.c_str());
}

bool PefileInstalled() {
    return std::system("/usr/bin/python3 -c 'import pefile' 2>/dev/null") == 0;
}

} // namespace

class PngBitmapTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        StartApp();
        dll_ = OpenFixture("resources.dll");
    }

    // Bitmaps open in the image view; its View Hex shows the same file as hex.
    gui::HexView& ShowBitmap(const QString& label) {
        EXPECT_NE(Select("Bitmap", label), nullptr);
        EXPECT_EQ(Host().Kind(), gui::ViewKind::Image);
        for (QAction* action : Host().Image()->Toolbar()->actions())
            if (action->text() == "View Hex")
                action->trigger();
        EXPECT_EQ(Host().Kind(), gui::ViewKind::Hex);
        return *Host().Hex();
    }
    XmlNode* SelectedFile() {
        return Project::FileOfLanguage(gui::ResourceTreeWidget::NodeOf(Tree().currentItem()));
    }
    std::string Folder() { return Doc().GetProject()->Folder(); }
    bool AnyFileMissing() const {
        for (const MessageDialog& shown : prompter_.Shown())
            if (shown.title == "FAILED TO OPEN")
                return true;
        return false;
    }

    // Saves, then reads BANNER.BMP of the compiled file back: a 32-bit bitmap kept as PNG with
    // the test pixels, and the same for python3-pefile when it is installed.
    void ExpectBannerCompilesToTestPixels() {
        prompter_.Answer(IDYES); // copy the compiled file over resources.dll
        ASSERT_TRUE(Doc().SaveTo(dll_));
        EXPECT_FALSE(AnyFileMissing());
        EXPECT_FALSE(Doc().IsModified());

        // The document shows the compiled file: its BANNER.BMP is a 32-bit bitmap, kept as PNG.
        gui::HexView& shown = ShowBitmap("BANNER.BMP (1033)");
        EXPECT_EQ(shown.Path(), Folder() + "BANNER.png");
        ImageRecord image;
        ASSERT_TRUE(ReadPng(shown.Path(), image));
        EXPECT_EQ(image.width, kWidth);
        EXPECT_EQ(image.height, kHeight);
        ASSERT_EQ(image.bitCount, 32);
        EXPECT_EQ(PixelsOf(image), TestPixels(4));

        if (!PefileInstalled())
            GTEST_SKIP() << "python3-pefile is not installed";
        EXPECT_EQ(PefileBannerCheck(dll_, TestPixels(4)), 0);
    }

    std::string dll_;
};

TEST_F(PngBitmapTest, ThePngIsShownAndHexEditsGoIntoIt) {
    // Bitmap 3 is kept as Bitmap00003.png; LOGO (no extension of its own) as LOGO.png.
    for (auto [label, file] :
         {std::pair{"3 (1033)", "Bitmap00003.png"}, std::pair{"LOGO.BMP (1033)", "LOGO.png"}}) {
        gui::HexView& hex = ShowBitmap(label);
        EXPECT_EQ(hex.Path(), Folder() + file);
        std::vector<std::uint8_t> png = ReadFileBytes(Folder() + file);
        ASSERT_GT(png.size(), 8u);
        EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
        EXPECT_EQ(hex.Edit()->Buffer().Data(), png) << label;
    }
    // View Image goes back.
    for (QAction* action : Host().Hex()->findChildren<QAction*>())
        if (action->text() == "View Image")
            action->trigger();
    EXPECT_EQ(Host().Kind(), gui::ViewKind::Image);
    EXPECT_EQ(Host().Image()->Path(), Folder() + "LOGO.png");
    ShowBitmap("LOGO.BMP (1033)");

    std::set<std::string> files = FilesIn(Folder());
    gui::HexView& hex = *Host().Hex();
    hex.Edit()->setFocus();
    QTest::keyClick(hex.Edit(), Qt::Key_F);
    QTest::keyClick(hex.Edit(), Qt::Key_F);
    ShowBitmap("BANNER.BMP (1033)");
    EXPECT_EQ(ReadFileBytes(Folder() + "LOGO.png")[0], 0xFF);
    files.insert(kUncompiledMarkerFile); // the window's own note that changes were made
    EXPECT_EQ(FilesIn(Folder()), files) << "no file the manifest does not name";
}

TEST_F(PngBitmapTest, ABitmapReplacedByAPngCompilesWithThePngsPixels) {
    gui::HexView& hex = ShowBitmap("BANNER.BMP (1033)");
    std::string png = scratch_ / "pixels.png";
    WriteTestImage(png, 32, true);
    prompter_.Answer(IDYES); // a different extension
    ASSERT_TRUE(hex.ReplaceWith(png));
    Project& project = *Doc().GetProject();
    EXPECT_EQ(project.Text(SelectedFile(), "Name"), "pixels.BMP");
    EXPECT_EQ(project.Int(SelectedFile(), "Png"), 1);
    EXPECT_EQ(hex.Path(), Folder() + "pixels.png");
    EXPECT_TRUE(Doc().IsModified());

    ExpectBannerCompilesToTestPixels();
}

// The image view's Replace...: the same copy and manifest line, from a PNG in another folder.
TEST_F(PngBitmapTest, ABitmapReplacedFromTheImageViewByAPngCompilesWithThePngsPixels) {
    ASSERT_NE(Select("Bitmap", "BANNER.BMP (1033)"), nullptr);
    gui::ImageView& view = *Host().Image();
    std::filesystem::create_directories(scratch_ / "elsewhere");
    std::string png = scratch_ / "elsewhere/b.png";
    WriteTestImage(png, 32, true);
    prompter_.Answer(IDYES); // a different extension
    ASSERT_TRUE(view.ReplaceWith(png));
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    EXPECT_NE(prompter_.Shown()[0].message.find("different extension"), std::string::npos);
    Project& project = *Doc().GetProject();
    EXPECT_EQ(project.Text(SelectedFile(), "Name"), "b.BMP");
    EXPECT_EQ(project.Int(SelectedFile(), "Png"), 1);
    EXPECT_EQ(view.Path(), Folder() + "b.png");
    EXPECT_EQ(view.Kind(), ImageKind::Png);
    EXPECT_EQ(view.InfoTexts().imageSize, "Image Size: 4x3");
    EXPECT_EQ(ReadFileBytes(Folder() + "b.png"), ReadFileBytes(png));
    EXPECT_TRUE(Doc().IsModified());
    ExpectBannerCompilesToTestPixels();
}

// The bitmap's old PNG stays in the folder; with Png 0 the compile must take the new bitmap file.
TEST_F(PngBitmapTest, APngBitmapReplacedByABmpCompilesTheBmp) {
    gui::HexView& hex = ShowBitmap("3 (1033)");
    std::string bmp = scratch_ / "opaque.bmp";
    WriteTestImage(bmp, 24, false);
    prompter_.Answer(IDYES); // a different extension
    ASSERT_TRUE(hex.ReplaceWith(bmp));
    Project& project = *Doc().GetProject();
    EXPECT_EQ(project.Text(SelectedFile(), "Name"), "opaque.bmp");
    EXPECT_EQ(project.Int(SelectedFile(), "Png", -1), 0);
    EXPECT_EQ(hex.Path(), Folder() + "opaque.bmp");
    EXPECT_TRUE(std::filesystem::exists(Folder() + "Bitmap00003.png"));

    prompter_.Answer(IDYES); // copy the compiled file over resources.dll
    ASSERT_TRUE(Doc().SaveTo(dll_));
    EXPECT_FALSE(AnyFileMissing());

    // 24 bits now, so written as a bitmap file; the data behind the file header is the one copied.
    gui::HexView& shown = ShowBitmap("3 (1033)");
    EXPECT_EQ(shown.Path(), Folder() + "Bitmap00003.BMP");
    std::vector<std::uint8_t> compiled = ReadFileBytes(shown.Path());
    std::vector<std::uint8_t> chosen = ReadFileBytes(bmp);
    EXPECT_EQ(std::vector<std::uint8_t>(compiled.begin() + 14, compiled.end()),
              std::vector<std::uint8_t>(chosen.begin() + 14, chosen.end()));
}

} // namespace vellum::test
