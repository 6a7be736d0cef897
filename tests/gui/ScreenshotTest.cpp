// Pictures of the main window with a project open, written into the build folder for the
// documentation and for looking at what the offscreen run drew.
#include "GuiFixture.h"
#include "dialogs/ImportDialog.h"
#include "dialogs/InsertResourceDialog.h"
#include "dialogs/OptionsDialog.h"

#include <QComboBox>
#include <QPixmap>
#include <QTabWidget>
#include <tuple>

namespace vellum::test {

TEST_F(GuiTest, ScreenshotsOfTheTreeWithTheHexViewAndTheHeaderTable) {
    StartApp();
    Window().setGeometry(0, 0, 1100, 700);
    OpenFixture("resources.dll");
    Tree().expandAll();

    ASSERT_NE(Select("Bitmap", "BANNER.BMP (1033)"), nullptr);
    std::string hex = ScreenshotPath("main-hex.png");
    ASSERT_TRUE(Window().grab().save(QString::fromStdString(hex)));

    ASSERT_NE(Select("NTHEADER", "NTHeader (1033)"), nullptr);
    std::string table = ScreenshotPath("main-header-table.png");
    ASSERT_TRUE(Window().grab().save(QString::fromStdString(table)));

    QImage image(QString::fromStdString(table));
    EXPECT_EQ(image.size(), QSize(1100, 700));
    EXPECT_GT(std::filesystem::file_size(hex), 10000u);
}

// LOGO is a 32-bit bitmap kept as LOGO.png: the hex view shows the PNG's bytes.
TEST_F(GuiTest, ScreenshotOfABitmapKeptAsPng) {
    StartApp();
    Window().setGeometry(0, 0, 1100, 700);
    OpenFixture("resources.dll");
    Tree().expandAll();
    ASSERT_NE(Select("Bitmap", "LOGO.BMP (1033)"), nullptr);
    std::string path = ScreenshotPath("main-png-bitmap.png");
    ASSERT_TRUE(Window().grab().save(QString::fromStdString(path)));
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(1100, 700));
}

// The image view: a 32-bit icon with alpha over the checkerboard, an icon group's listing and
// members, and a bitmap zoomed to the free area.
TEST_F(GuiTest, ScreenshotsOfTheImageView) {
    StartApp();
    Window().setGeometry(0, 0, 1100, 700);
    OpenFixture("resources.dll");
    Tree().expandAll();
    const std::tuple<const char*, const char*, const char*> shots[] = {
        {"Icon", "6 (1033)", "image-icon.png"},
        {"Icon Group", "1 (1033)", "image-group.png"},
        {"Bitmap", "BANNER.BMP (1033)", "image-bitmap.png"},
    };
    for (const auto& [type, label, file] : shots) {
        ASSERT_NE(Select(type, label), nullptr) << label;
        std::string path = ScreenshotPath(file);
        ASSERT_TRUE(Window().grab().save(QString::fromStdString(path)));
        EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(1100, 700));
    }
}

// A real system library, when Wine is installed: Wine's own comctl32.dll with its bitmaps,
// cursors, dialogs and string tables in many languages.
TEST_F(GuiTest, ScreenshotOfARealLibrary) {
    const std::string real = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/comctl32.dll";
    if (!std::filesystem::exists(real))
        GTEST_SKIP() << "Wine's comctl32.dll is not installed";
    StartApp();
    Window().setGeometry(0, 0, 1100, 700);
    std::string copy = scratch_ / "comctl32.dll";
    std::filesystem::copy_file(real, copy);
    ASSERT_TRUE(Doc().Open(copy));
    QTreeWidgetItem* bitmaps = Tree().FindTypeItem("Bitmap");
    ASSERT_NE(bitmaps, nullptr);
    ASSERT_GT(bitmaps->childCount(), 0);
    bitmaps->setExpanded(true);
    Tree().setCurrentItem(bitmaps->child(0));
    std::string path = ScreenshotPath("real-comctl32.png");
    ASSERT_TRUE(Window().grab().save(QString::fromStdString(path)));
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(1100, 700));
}

// The Options dialog on its image editors, two of them configured.
TEST_F(GuiTest, ScreenshotOfTheOptionsDialog) {
    StartApp();
    app_->Services().editors.List(EditorKind::Image) = {
        {"GIMP", "/usr/bin/gimp", "--new-instance", ""},
        {"Krita", "/usr/bin/krita", "", "/home/user/Pictures"}};
    gui::OptionsDialog dialog(app_->Services(), &Window());
    dialog.show();
    std::string path = ScreenshotPath("options-editors.png");
    ASSERT_TRUE(dialog.grab().save(QString::fromStdString(path)));
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), dialog.size());
}

// The Import dialog with a file chosen and its proposed folder.
TEST_F(GuiTest, ScreenshotOfTheImportDialog) {
    StartApp();
    gui::ImportDialog dialog(app_->Services(), &Window());
    dialog.ChooseFile("/home/user/Downloads/shell32.dll");
    dialog.show();
    std::string path = ScreenshotPath("import.png");
    ASSERT_TRUE(dialog.grab().save(QString::fromStdString(path)));
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), dialog.size());
}

// The Insert New Resource dialog with a PNG chosen as a bitmap.
TEST_F(GuiTest, ScreenshotOfTheInsertNewResourceDialog) {
    StartApp();
    OpenFixture("resources.dll");
    gui::InsertResourceDialog dialog(app_->Services(), *Doc().GetProject(), {}, &Window());
    dialog.ChooseFile("/home/user/Pictures/logo.png");
    dialog.TypeBox()->setCurrentText("Bitmap");
    dialog.show();
    std::string path = ScreenshotPath("insert-resource.png");
    ASSERT_TRUE(dialog.grab().save(QString::fromStdString(path)));
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), dialog.size());
}

} // namespace vellum::test
