// Pictures of the main window with a project open, written into the build folder for the
// documentation and for looking at what the offscreen run drew.
#include "GuiFixture.h"
#include "dialogs/ImportDialog.h"
#include "dialogs/InsertResourceDialog.h"
#include "dialogs/OptionsDialog.h"
#include "formats/DialogTemplate.h"
#include "views/DialogPreview.h"
#include "views/DialogView.h"
#include "views/MenuView.h"

#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QTest>
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

// Wine's comdlg32.dll, decompiled by the program: its "Open" dialog drawn in the dialog pane.
TEST_F(GuiTest, ScreenshotOfTheOpenDialogOfARealLibrary) {
    const std::string real = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/comdlg32.dll";
    if (!std::filesystem::exists(real))
        GTEST_SKIP() << "Wine's comdlg32.dll is not installed";
    StartApp();
    std::string copy = scratch_ / "comdlg32.dll";
    std::filesystem::copy_file(real, copy);
    ASSERT_TRUE(Doc().Open(copy));
    Project& project = *Doc().GetProject();
    // The classic Open dialog, OPEN_FILE, in US English.
    XmlNode* best = nullptr;
    for (XmlNode* entry : project.ResourcesOf(project.FindType(5)))
        if (project.EntryLabel(entry) == "OPEN_FILE")
            for (XmlNode* language : Project::ChildrenOf(entry->firstChild))
                if (Project::Int(language, "ID") == 1033)
                    best = Project::FileOfLanguage(language);
    ASSERT_NE(best, nullptr);
    gui::DialogView view;
    view.resize(640, 420);
    view.Show(project.DataFilePath(best), &project, best);
    ASSERT_NE(view.Preview(), nullptr);
    view.show();
    std::string path = ScreenshotPath("dialog-comdlg32.png");
    ASSERT_TRUE(view.grab().save(QString::fromStdString(path)));
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(640, 420));
}

// A menu with its first drop-down open: the pane and the pop-up, which is a window of its own,
// painted together where they stand on the screen.
TEST_F(GuiTest, ScreenshotOfAMenuWithItsFirstDropDownOpen) {
    StartApp();
    OpenFixture("resources.dll");
    Project& project = *Doc().GetProject();
    XmlNode* file = ResourceFile(4, 200);
    ASSERT_NE(file, nullptr);
    gui::MenuView view;
    view.resize(480, 260);
    view.Show(project.DataFilePath(file), &project, file);
    view.show();
    QMenu* first = view.FirstMenu();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->isVisible(); }, 2000));
    QPixmap picture = view.grab();
    {
        QPainter painter(&picture);
        painter.drawPixmap(view.mapFromGlobal(first->pos()), first->grab());
    }
    first->hide();
    std::string path = ScreenshotPath("menu-view.png");
    ASSERT_TRUE(picture.save(QString::fromStdString(path)));
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(480, 260));
}

} // namespace vellum::test
