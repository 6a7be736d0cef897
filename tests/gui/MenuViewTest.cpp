// The menu and accelerator panes: the Qt menus built from plain and extended templates, the first
// drop-down opening, damaged templates and the script of the fixture's resources.
#include "views/MenuView.h"

#include "GuiFixture.h"
#include "views/AcceleratorView.h"

#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

namespace vellum::test {

namespace {

MenuItem Item(std::uint16_t flags, std::uint32_t id, std::u16string text,
              std::vector<MenuItem> children = {}) {
    MenuItem item;
    item.flags = flags;
    item.id = id;
    item.text = std::move(text);
    item.children = std::move(children);
    return item;
}

// &File: &Open (Ctrl+O), a separator, a checked item, a grayed item, an inactive item and a
// &Recent drop-down; then a top-level command and &Help with MF_HELP.
MenuTemplate PlainMenu() {
    MenuTemplate menu;
    menu.items = {
        Item(0x10, 0, u"&File",
             {Item(0, 100, u"&Open...\tCtrl+O"), Item(0, 0, u""), Item(0x8, 101, u"&Toolbar"),
              Item(0x1, 102, u"&Print"), Item(0x2, 103, u"Inactive"),
              Item(0x10, 0, u"&Recent", {Item(0, 104, u"one.txt")})}),
        Item(0, 200, u"&Run!"),
        Item(0x4010, 0, u"&Help", {Item(0, 300, u"&About")}),
    };
    return menu;
}

QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* action : actions)
        texts << (action->isSeparator() ? "--" : action->text());
    return texts;
}

} // namespace

class MenuViewTest : public ::testing::Test {
protected:
    void ShowBytes(const std::vector<std::uint8_t>& bytes) {
        path_ = scratch_ / "menu.mnu";
        WriteFileBytes(path_, bytes);
        view_.Show(path_, nullptr, nullptr);
    }

    ScratchDir scratch_;
    std::string path_;
    gui::MenuView view_;
};

TEST_F(MenuViewTest, APlainMenuBuildsTheMenuBarAndItsDropDowns) {
    ShowBytes(*PlainMenu().Serialize());
    QMenuBar* bar = view_.MenuBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Texts(bar->actions()), QStringList({"&File", "&Run!", "&Help"}));
    QMenu* file = view_.FirstMenu();
    ASSERT_NE(file, nullptr);
    QList<QAction*> items = file->actions();
    EXPECT_EQ(Texts(items),
              QStringList({"&Open...\tCtrl+O", "--", "&Toolbar", "&Print", "Inactive", "&Recent"}));
    EXPECT_TRUE(items[0]->isEnabled());
    EXPECT_FALSE(items[0]->isChecked());
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_TRUE(items[2]->isCheckable() && items[2]->isChecked());
    EXPECT_FALSE(items[3]->isEnabled());
    EXPECT_FALSE(items[4]->isEnabled());
    ASSERT_NE(items[5]->menu(), nullptr);
    EXPECT_EQ(Texts(items[5]->menu()->actions()), QStringList({"one.txt"}));
    EXPECT_EQ(bar->actions()[1]->menu(), nullptr);
}

// The fixture's menu 200: MFS_DEFAULT, MFT_SEPARATOR, MFS_GRAYED, MFS_CHECKED, MFT_RIGHTJUSTIFY;
// and an MFT_RADIOCHECK item shows a bullet through an exclusive group.
TEST_F(MenuViewTest, AnExtendedMenuTakesItsTypeAndStateBits) {
    MenuTemplate menu;
    menu.extended = true;
    MenuItem file;
    file.flags = kMenuExPopup;
    file.text = u"&View";
    MenuItem large;
    large.type = 0x200; // MFT_RADIOCHECK
    large.state = 0x8;  // MFS_CHECKED
    large.id = 10;
    large.text = u"&Large\tCtrl+L";
    MenuItem line;
    line.type = 0x800;
    MenuItem open;
    open.state = 0x1000 | 0x3; // MFS_DEFAULT | MFS_GRAYED
    open.id = 11;
    open.text = u"&Open";
    file.children = {large, line, open};
    menu.items = {file};
    ShowBytes(*menu.Serialize());
    QMenu* view = view_.FirstMenu();
    ASSERT_NE(view, nullptr);
    QList<QAction*> items = view->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text().section('\t', 1), "Ctrl+L");
    EXPECT_TRUE(items[0]->isChecked());
    ASSERT_NE(items[0]->actionGroup(), nullptr);
    EXPECT_TRUE(items[0]->actionGroup()->isExclusive());
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_TRUE(items[2]->font().bold());
    EXPECT_FALSE(items[2]->isEnabled());
}

TEST_F(MenuViewTest, TheFirstDropDownOpensWhenShownAndOnAClick) {
    ShowBytes(*PlainMenu().Serialize());
    view_.resize(500, 300);
    view_.show();
    QMenu* file = view_.FirstMenu();
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }, 2000));
    // Just under its title in the menu bar, at the pane's left edge.
    QRect titleRect = view_.MenuBar()->actionGeometry(file->menuAction());
    QPoint title = view_.MenuBar()->mapToGlobal(QPoint(titleRect.left(), titleRect.bottom() + 1));
    EXPECT_EQ(file->pos(), title);
    file->hide();
    QTest::mouseClick(&view_, Qt::LeftButton, {}, QPoint(250, 250));
    EXPECT_TRUE(file->isVisible());
    file->hide();
    view_.hide();
}

TEST_F(MenuViewTest, ADamagedMenuSaysSo) {
    std::vector<std::uint8_t> bytes = *PlainMenu().Serialize();
    bytes.resize(bytes.size() - 6);
    ShowBytes(bytes);
    EXPECT_EQ(view_.MenuBar(), nullptr);
    EXPECT_TRUE(view_.Message()->text().startsWith("This menu template cannot be read: "));
    EXPECT_FALSE(view_.OpenFirstMenu());
    QSignalSpy hex(&view_, &gui::MenuView::HexRequested);
    view_.findChild<QToolBar*>()->actions()[0]->trigger();
    EXPECT_EQ(hex.count(), 1);

    ShowBytes({0x02, 0x00, 0x00, 0x00}); // a version no menu has
    EXPECT_EQ(view_.MenuBar(), nullptr);
    ShowBytes(*PlainMenu().Serialize());
    ASSERT_NE(view_.MenuBar(), nullptr);
    EXPECT_TRUE(view_.Message()->isHidden());
}

// Both panes on the fixture DLL: menu 201 and accelerator table 300, with their scripts.
TEST_F(GuiTest, MenuAndAcceleratorPanesOnTheFixture) {
    StartApp();
    OpenFixture("resources.dll");
    Project& project = *Doc().GetProject();
    XmlNode* menuFile = ResourceFile(4, 201);
    ASSERT_NE(menuFile, nullptr);
    gui::MenuView menu;
    menu.Show(project.DataFilePath(menuFile), &project, menuFile);
    ASSERT_NE(menu.FirstMenu(), nullptr);
    EXPECT_EQ(Texts(menu.FirstMenu()->actions()), QStringList({"&Copy\tCtrl+C", "--", "&Paste"}));
    EXPECT_TRUE(menu.ScriptText().contains("201 MENU"));

    XmlNode* keysFile = ResourceFile(9, 300);
    ASSERT_NE(keysFile, nullptr);
    gui::AcceleratorView keys;
    keys.Show(project.DataFilePath(keysFile), &project, keysFile);
    QTableWidget* table = keys.Table();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 0)->text(), "O");
    EXPECT_EQ(table->item(0, 1)->text(), "Ctrl");
    EXPECT_EQ(table->item(0, 2)->text(), "300");
    EXPECT_EQ(table->item(1, 0)->text(), "F1");
    EXPECT_EQ(table->item(1, 1)->text(), "");
    QSignalSpy script(&keys, &gui::AcceleratorView::ScriptRequested);
    keys.findChild<QToolBar*>()->actions()[1]->trigger();
    ASSERT_EQ(script.count(), 1);
    EXPECT_TRUE(script[0][0].toString().contains("300 ACCELERATORS"));
}

} // namespace vellum::test
