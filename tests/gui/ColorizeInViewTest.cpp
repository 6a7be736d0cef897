// The colorizer panel beside a bitmap in the window: every change previews on the picture without
// touching the file; Save Colorization writes exactly the shown file, as the engine would.
#include "GuiFixture.h"
#include "imaging/Colorizer.h"
#include "views/ColorizerPanel.h"
#include "views/ImageView.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSlider>
#include <filesystem>
#include <map>

namespace vellum::test {

namespace {

namespace fs = std::filesystem;

std::map<std::string, std::vector<std::uint8_t>> FolderBytes(const std::string& folder) {
    std::map<std::string, std::vector<std::uint8_t>> bytes;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            bytes[entry.path().string()] = ReadFileBytes(entry.path().string());
    return bytes;
}

} // namespace

class ColorizeInViewTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        StartApp();
        Window().setGeometry(0, 0, 1200, 760);
        OpenFixture("resources.dll");
        Tree().expandAll();
        EXPECT_NE(Select("Bitmap", "BANNER.BMP (1033)"), nullptr);
    }
    gui::ColorizerPanel& Panel() { return *Host().ColorPanel(); }
    std::string Shown() { return Host().Image()->Path(); }
};

TEST_F(ColorizeInViewTest, PreviewLeavesFilesAndSaveWritesOnlyTheShownFile) {
    ASSERT_EQ(Host().Kind(), gui::ViewKind::Image);
    ASSERT_NE(Host().ColorPanel(), nullptr);
    EXPECT_TRUE(Panel().isVisible());
    std::string folder = Doc().GetProject()->Folder();
    auto before = FolderBytes(folder);

    Panel().HueSlider()->setValue(256);
    EXPECT_EQ(Panel().HueText()->text(), "Hue +33%");
    EXPECT_EQ(FolderBytes(folder), before); // a preview only

    // The engine's result for the same settings, on a copy of the shown file.
    std::string expected = scratch_ / "expected.bmp";
    fs::copy_file(Shown(), expected);
    ASSERT_EQ(ColorizeFile(Panel().CurrentColorizer(), expected), S_OK);

    prompter_.Answer(IDYES); // "Warning:  Applying will overwrite the file ..."
    Panel().Button("Save Colorization...")->click();
    EXPECT_EQ(
        prompter_.Shown().back().message.rfind("Warning:  Applying will overwrite the file", 0),
        0u);
    auto after = FolderBytes(folder);
    for (const auto& [path, bytes] : before) {
        if (path != Shown()) {
            EXPECT_EQ(after[path], bytes) << path;
        }
    }
    EXPECT_EQ(after[Shown()], ReadFileBytes(expected));
    EXPECT_NE(after[Shown()], before[Shown()]);
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(ColorizeInViewTest, ScreenshotOfABitmapWithTheColorizerAfterAHueChange) {
    Panel().HueSlider()->setValue(512);
    std::string path = ScreenshotPath("image-colorizer.png");
    ASSERT_TRUE(Window().grab().save(QString::fromStdString(path)));
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(1200, 760));
}

} // namespace vellum::test
