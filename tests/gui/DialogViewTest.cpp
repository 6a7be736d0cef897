// The dialog pane on templates made for the test and on the fixture DLL's dialogs: where each
// control lands, which widget stands for each class, hidden and disabled controls, the window
// frame, damaged templates and the toolbar's requests.
#include "views/DialogView.h"

#include "GuiFixture.h"
#include "views/DialogPreview.h"
#include "views/MenuView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>

namespace vellum::test {

namespace {

// WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
constexpr std::uint32_t kDialogStyle = 0x80C800C0;
constexpr std::uint32_t kChild = 0x50000000; // WS_CHILD | WS_VISIBLE
// The classic units of MS Sans Serif 8, fixed so that the numbers below do not depend on fonts.
constexpr DialogBaseUnits kUnits{6, 13};

DialogItem Item(NameOrOrdinal windowClass, std::uint32_t style, std::int16_t x, std::int16_t y,
                std::int16_t cx, std::int16_t cy, std::u16string title = {}) {
    DialogItem item;
    item.windowClass = std::move(windowClass);
    item.style = kChild | style;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.title = NameOrOrdinal::Name(title);
    return item;
}

DialogItem Atom(std::uint16_t atom, std::uint32_t style, std::int16_t x, std::int16_t y,
                std::int16_t cx, std::int16_t cy, std::u16string title = {}) {
    return Item(NameOrOrdinal::Ordinal(atom), style, x, y, cx, cy, std::move(title));
}

DialogTemplate Dialog(std::vector<DialogItem> items, bool extended = false) {
    DialogTemplate d;
    d.extended = extended;
    d.style = kDialogStyle;
    d.cx = 250;
    d.cy = 120;
    d.title = u"Test Dialog";
    d.font.pointSize = 8;
    d.font.typeface = u"MS Shell Dlg";
    d.items = std::move(items);
    return d;
}

// One control of each predefined class, in this order.
std::vector<DialogItem> StandardControls() {
    return {
        Atom(0x80, 0x1, 7, 7, 50, 14, u"OK"),          // BS_DEFPUSHBUTTON
        Atom(0x81, 0x00800000 | 0x80, 7, 30, 100, 12), // WS_BORDER | ES_AUTOHSCROLL
        Atom(0x82, 0x0, 7, 50, 60, 8, u"&Name:"),      // SS_LEFT
        Atom(0x83, 0x00800000, 120, 7, 60, 40),        // WS_BORDER list box
        Atom(0x84, 0x1, 190, 7, 10, 40),               // SBS_VERT
        Atom(0x85, 0x3, 120, 60, 80, 60),              // CBS_DROPDOWNLIST
        Atom(0x80, 0x3, 7, 70, 80, 10, u"&Remember"),  // BS_AUTOCHECKBOX
        Atom(0x80, 0x9, 7, 84, 80, 10, u"Radio"),      // BS_AUTORADIOBUTTON
        Atom(0x80, 0x7, 100, 70, 100, 40, u"Group"),   // BS_GROUPBOX
    };
}

QRect Geometry(gui::DialogPreview& preview, std::size_t index) {
    return preview.Control(index)->geometry();
}

} // namespace

class DialogViewTest : public ::testing::Test {
protected:
    // Writes the template to a file and shows it with fixed base units.
    gui::DialogPreview* ShowTemplate(const DialogTemplate& dialog) {
        std::optional<std::vector<std::uint8_t>> bytes = dialog.Serialize();
        EXPECT_TRUE(bytes.has_value());
        return ShowBytes(bytes.value_or(std::vector<std::uint8_t>()));
    }
    gui::DialogPreview* ShowBytes(const std::vector<std::uint8_t>& bytes) {
        path_ = scratch_ / "dialog.dlg";
        WriteFileBytes(path_, bytes);
        view_.resize(600, 400);
        view_.SetBaseUnits(kUnits);
        view_.Show(path_, nullptr, nullptr);
        return view_.Preview();
    }

    ScratchDir scratch_;
    std::string path_;
    gui::DialogView view_;
};

// x = MulDiv(x, 6, 4) and y = MulDiv(y, 13, 8), each value on its own: (7, 7, 50, 14) gives
// (11, 11, 75, 23); (7, 30, 100, 12) gives (11, 49, 150, 20); (120, 7, 60, 40) gives
// (180, 11, 90, 65); (190, 7, 10, 40) gives (285, 11, 15, 65).
TEST_F(DialogViewTest, EachStandardClassIsPlacedWhereTheDialogUnitsSay) {
    gui::DialogPreview* preview = ShowTemplate(Dialog(StandardControls()));
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->Units(), kUnits);
    ASSERT_EQ(preview->ControlCount(), 9u);
    auto* ok = qobject_cast<QPushButton*>(preview->Control(0));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_EQ(Geometry(*preview, 0), QRect(11, 11, 75, 23));
    ASSERT_NE(qobject_cast<QLineEdit*>(preview->Control(1)), nullptr);
    EXPECT_EQ(Geometry(*preview, 1), QRect(11, 49, 150, 20));
    auto* label = qobject_cast<QLabel*>(preview->Control(2));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "<u>N</u>ame:");
    ASSERT_NE(qobject_cast<QListWidget*>(preview->Control(3)), nullptr);
    EXPECT_EQ(Geometry(*preview, 3), QRect(180, 11, 90, 65));
    auto* scroll = qobject_cast<QScrollBar*>(preview->Control(4));
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->orientation(), Qt::Vertical);
    EXPECT_EQ(Geometry(*preview, 4), QRect(285, 11, 15, 65));
    auto* combo = qobject_cast<QComboBox*>(preview->Control(5));
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    // The closed drop-down list is one line high, not the 98 pixels the template's 60 give.
    EXPECT_EQ(Geometry(*preview, 5).topLeft(), QPoint(180, 98));
    EXPECT_LT(Geometry(*preview, 5).height(), 40);
    EXPECT_NE(qobject_cast<QCheckBox*>(preview->Control(6)), nullptr);
    EXPECT_NE(qobject_cast<QRadioButton*>(preview->Control(7)), nullptr);
    EXPECT_NE(qobject_cast<QGroupBox*>(preview->Control(8)), nullptr);
}

// A caption with the system menu and a modal frame: 3-pixel borders and a 23-pixel title bar
// around the 375 by 195 client area, at the pane's left edge 33 pixels from its top.
TEST_F(DialogViewTest, TheDialogIsAFramedWindowBelowTheToolbarBand) {
    gui::DialogPreview* preview = ShowTemplate(Dialog(StandardControls()));
    ASSERT_NE(preview, nullptr);
    view_.show();
    EXPECT_EQ(preview->Client()->geometry(), QRect(3, 26, 375, 195));
    EXPECT_EQ(preview->size(), QSize(381, 224));
    EXPECT_TRUE(preview->HasTitleBar());
    EXPECT_EQ(preview->Caption(), "Test Dialog");
    EXPECT_EQ(preview->mapTo(&view_, QPoint(0, 0)), QPoint(0, 33));

    DialogTemplate child = Dialog({});
    child.style = 0x40000000 | 0x40; // WS_CHILD | DS_SETFONT: a property page, no frame
    preview = ShowTemplate(child);
    EXPECT_FALSE(preview->HasTitleBar());
    EXPECT_EQ(preview->Client()->geometry(), QRect(0, 0, 375, 195));
}

// A template that names a menu gets the menu bar between its title bar and its client area, which
// keeps its size; a menu the resources lack leaves the window without one.
TEST(DialogPreviewTest, TheWindowMenuSitsAboveTheClientArea) {
    DialogTemplate dialog = Dialog({Atom(0x80, 0, 7, 7, 50, 14, u"OK")});
    dialog.menu = NameOrOrdinal::Ordinal(7);
    MenuTemplate menu;
    MenuItem file;
    file.flags = kMfPopup;
    file.text = u"&File";
    MenuItem exit;
    exit.id = 1;
    exit.text = u"E&xit";
    file.children = {exit};
    menu.items = {file};
    gui::DialogResources resources;
    resources.menu = [&](const NameOrOrdinal& name) -> std::optional<MenuTemplate> {
        return name == NameOrOrdinal::Ordinal(7) ? std::optional(menu) : std::nullopt;
    };
    gui::DialogPreview preview(dialog, resources, kUnits);
    ASSERT_NE(preview.MenuBar(), nullptr);
    ASSERT_EQ(preview.MenuBar()->actions().size(), 1);
    EXPECT_EQ(preview.MenuBar()->actions()[0]->text(), "&File");
    int bar = preview.MenuBar()->height();
    EXPECT_EQ(preview.MenuBar()->geometry(), QRect(3, 26, 375, bar));
    EXPECT_EQ(preview.Client()->geometry(), QRect(3, 26 + bar, 375, 195));
    EXPECT_EQ(preview.height(), 26 + bar + 195 + 3);

    dialog.menu = NameOrOrdinal::Ordinal(8);
    gui::DialogPreview without(dialog, resources, kUnits);
    EXPECT_EQ(without.MenuBar(), nullptr);
    EXPECT_EQ(without.Client()->geometry(), QRect(3, 26, 375, 195));
}

TEST_F(DialogViewTest, AnExtendedTemplateRendersLikeAPlainOne) {
    std::vector<DialogItem> items = StandardControls();
    items[0].id = 0x12345; // extended templates have 32-bit IDs
    DialogTemplate dialog = Dialog(items, true);
    dialog.font.weight = 700;
    dialog.font.italic = 1;
    gui::DialogPreview* preview = ShowTemplate(dialog);
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(view_.Template() && view_.Template()->extended);
    ASSERT_EQ(preview->ControlCount(), 9u);
    EXPECT_EQ(Geometry(*preview, 0), QRect(11, 11, 75, 23));
    EXPECT_EQ(Geometry(*preview, 3), QRect(180, 11, 90, 65));
    EXPECT_EQ(preview->Control(0)->property("controlId").toUInt(), 0x12345u);
    EXPECT_TRUE(preview->Client()->font().bold());
    EXPECT_TRUE(preview->Client()->font().italic());
}

TEST_F(DialogViewTest, HiddenControlsAreNotShownAndDisabledOnesAreGray) {
    DialogItem hidden = Atom(0x80, 0, 7, 7, 50, 14, u"Hidden");
    hidden.style &= ~0x10000000u;
    DialogItem disabled = Atom(0x81, 0x08000000, 7, 30, 50, 12);
    gui::DialogPreview* preview = ShowTemplate(Dialog({hidden, disabled}));
    ASSERT_NE(preview, nullptr);
    view_.show();
    EXPECT_TRUE(preview->Control(0)->isHidden());
    EXPECT_FALSE(preview->Control(1)->isHidden());
    EXPECT_FALSE(preview->Control(1)->isEnabled());
    EXPECT_TRUE(preview->Control(0)->isEnabled());
}

TEST_F(DialogViewTest, CommonControlsBecomeTheirNearestWidgets) {
    auto named = [](std::u16string_view name, std::uint32_t style, std::int16_t y) {
        return Item(NameOrOrdinal::Name(name), style, 7, y, 100, 12);
    };
    DialogTemplate dialog = Dialog({
        named(u"SysListView32", 0x1, 0), // LVS_REPORT
        named(u"msctls_progress32", 0, 14),
        named(u"MSCTLS_TRACKBAR32", 0x2, 28), // TBS_VERT, class names ignore case
        named(u"SysTabControl32", 0, 42),
        named(u"SysDateTimePick32", 0, 56),
        named(u"MyOwnGrid", 0, 70),
        Atom(0x81, 0x00800000, 120, 7, 60, 14),
        Item(NameOrOrdinal::Name(u"msctls_updown32"), 0x10 | 0x4, 0, 0, 0, 0), // UDS_AUTOBUDDY |
                                                                               // UDS_ALIGNRIGHT
        named(u"msctls_statusbar32", 0, 0),
    });
    gui::DialogPreview* preview = ShowTemplate(dialog);
    ASSERT_NE(preview, nullptr);
    auto* list = qobject_cast<QTreeWidget*>(preview->Control(0));
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->isHeaderHidden());
    EXPECT_NE(qobject_cast<QProgressBar*>(preview->Control(1)), nullptr);
    auto* slider = qobject_cast<QSlider*>(preview->Control(2));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->orientation(), Qt::Vertical);
    EXPECT_NE(qobject_cast<QTabWidget*>(preview->Control(3)), nullptr);
    EXPECT_NE(qobject_cast<QDateEdit*>(preview->Control(4)), nullptr);
    auto* unknown = qobject_cast<QLabel*>(preview->Control(5));
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->text(), "MyOwnGrid");
    EXPECT_NE(unknown->frameShape(), QFrame::NoFrame);
    // The up-down sits inside the right end of the edit before it: 17 pixels of its 90.
    EXPECT_EQ(Geometry(*preview, 6), QRect(180, 11, 73, 23));
    EXPECT_EQ(Geometry(*preview, 7), QRect(253, 11, 17, 23));
    // A status bar goes to the bottom of the client area, across its width.
    QRect status = Geometry(*preview, 8);
    EXPECT_NE(qobject_cast<QStatusBar*>(preview->Control(8)), nullptr);
    EXPECT_EQ(status.bottom(), 194);
    EXPECT_EQ(status.width(), 375);
}

// Without fixed units the dialog's font is measured: 8 points are 11 pixels on a 96-dpi screen,
// and a font whose letters are all one width has that width, rounded, as its horizontal unit.
TEST_F(DialogViewTest, BaseUnitsComeFromTheDialogFont) {
    QFont mono("DejaVu Sans Mono");
    mono.setPixelSize(12);
    QFontMetrics metrics(mono);
    int advance = qRound(metrics.horizontalAdvance(QString(52, 'M')) / 52.0);
    EXPECT_EQ(gui::MeasureBaseUnits(mono), (DialogBaseUnits{advance, metrics.height()}));

    DialogTemplate dialog = Dialog(StandardControls());
    EXPECT_EQ(gui::DialogFontOf(dialog).pixelSize(), 11);
    path_ = scratch_ / "measured.dlg";
    WriteFileBytes(path_, *dialog.Serialize());
    view_.Show(path_, nullptr, nullptr);
    ASSERT_NE(view_.Preview(), nullptr);
    EXPECT_EQ(view_.Preview()->Units(), gui::MeasureBaseUnits(gui::DialogFontOf(dialog)));
}

TEST_F(DialogViewTest, ADamagedTemplateSaysSoAndStillOffersTheHexView) {
    std::vector<std::uint8_t> bytes = *Dialog(StandardControls()).Serialize();
    bytes.resize(bytes.size() - 10);
    EXPECT_EQ(ShowBytes(bytes), nullptr);
    EXPECT_FALSE(view_.Message()->isHidden());
    EXPECT_TRUE(view_.Message()->text().startsWith("This dialog template cannot be read: "));
    QSignalSpy hex(&view_, &gui::DialogView::HexRequested);
    QSignalSpy script(&view_, &gui::DialogView::ScriptRequested);
    auto* toolbar = view_.findChild<QToolBar*>();
    ASSERT_NE(toolbar, nullptr);
    ASSERT_EQ(toolbar->actions().size(), 2);
    toolbar->actions()[0]->trigger();
    ASSERT_EQ(hex.count(), 1);
    EXPECT_EQ(hex[0][0].toString().toStdString(), path_);
    toolbar->actions()[1]->trigger(); // nothing to write for a template that cannot be read
    EXPECT_EQ(script.count(), 0);

    // Too short even for the header, and then a file that is not there.
    EXPECT_EQ(ShowBytes({0x01, 0x00, 0xFF}), nullptr);
    EXPECT_FALSE(view_.Message()->isHidden());
    view_.Show(scratch_ / "missing.dlg", nullptr, nullptr);
    EXPECT_EQ(view_.Preview(), nullptr);
    EXPECT_TRUE(view_.Message()->text().contains("cannot be read"));

    // A good template afterwards hides the message again.
    EXPECT_NE(ShowTemplate(Dialog({})), nullptr);
    EXPECT_TRUE(view_.Message()->isHidden());
}

// The fixture's dialog 100: its SS_ICON static shows icon group 1 from the project at 32 pixels,
// and View as Script writes the dialog under its manifest name and language.
TEST_F(GuiTest, TheDialogViewShowsTheProjectsOwnIconAndWritesScript) {
    StartApp();
    OpenFixture("resources.dll");
    Project& project = *Doc().GetProject();
    XmlNode* file = ResourceFile(5, 100);
    ASSERT_NE(file, nullptr);
    gui::DialogView view;
    view.Show(project.DataFilePath(file), &project, file);
    ASSERT_NE(view.Preview(), nullptr);
    auto* icon = qobject_cast<QLabel*>(view.Preview()->Control(0));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(icon->size(), QSize(32, 32));

    QSignalSpy script(&view, &gui::DialogView::ScriptRequested);
    view.findChild<QToolBar*>()->actions()[1]->trigger();
    ASSERT_EQ(script.count(), 1);
    QString text = script[0][0].toString();
    EXPECT_TRUE(text.contains("100 DIALOGEX 0, 0, 200, 96")) << text.toStdString();
    EXPECT_TRUE(text.contains("CAPTION \"Fixture Dialog\""));
    EXPECT_TRUE(text.contains("LANGUAGE"));
}

// Statics that name their pictures: icon group APP by name (its 32-pixel member), bitmap 2 by
// ordinal (13 by 11), bitmap LOGO kept as PNG (24 by 24) with SS_CENTERIMAGE keeping the control's
// own size, and a bitmap the project lacks, which leaves an empty frame of the template's size.
TEST_F(GuiTest, DialogPicturesComeFromTheProjectByNameOrOrdinal) {
    StartApp();
    OpenFixture("resources.dll");
    auto picture = [](std::uint32_t style, NameOrOrdinal name, std::int16_t x) {
        DialogItem item = Atom(0x82, style, x, 7, 40, 40);
        item.title = std::move(name);
        return item;
    };
    DialogTemplate dialog = Dialog({
        picture(0x3, NameOrOrdinal::Name(u"app"), 5),
        picture(0xE, NameOrOrdinal::Ordinal(2), 50),
        picture(0xE | 0x200, NameOrOrdinal::Name(u"LOGO"), 95),
        picture(0xE, NameOrOrdinal::Ordinal(999), 140),
    });
    std::string path = scratch_ / "pictures.dlg";
    WriteFileBytes(path, *dialog.Serialize());
    gui::DialogView view;
    view.SetBaseUnits(kUnits);
    view.Show(path, Doc().GetProject(), nullptr);
    gui::DialogPreview* preview = view.Preview();
    ASSERT_NE(preview, nullptr);
    auto label = [&](std::size_t i) { return qobject_cast<QLabel*>(preview->Control(i)); };
    EXPECT_EQ(label(0)->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(label(0)->size(), QSize(32, 32));
    EXPECT_EQ(label(1)->pixmap().size(), QSize(13, 11));
    EXPECT_EQ(label(1)->geometry(), QRect(75, 11, 13, 11));
    EXPECT_EQ(label(2)->pixmap().size(), QSize(24, 24));
    EXPECT_EQ(label(2)->size(), QSize(60, 65));
    EXPECT_TRUE(label(3)->pixmap().isNull());
    EXPECT_EQ(label(3)->size(), QSize(60, 65));
    EXPECT_NE(label(3)->frameShape(), QFrame::NoFrame);
}

// A dialog with a control of every kind the pane knows, for looking at.
TEST_F(DialogViewTest, ScreenshotOfEveryKindOfControl) {
    auto named = [](std::u16string_view name, std::uint32_t style, std::int16_t x, std::int16_t y,
                    std::int16_t cx, std::int16_t cy, std::u16string title = {}) {
        return Item(NameOrOrdinal::Name(name), style, x, y, cx, cy, std::move(title));
    };
    DialogTemplate dialog = Dialog({
        Atom(0x80, 0x7, 5, 3, 115, 66, u"&Options"),
        Atom(0x80, 0x3, 12, 14, 100, 10, u"&Check box"),
        Atom(0x80, 0x6, 12, 26, 100, 10, u"&Three-state"),
        Atom(0x80, 0x9, 12, 38, 100, 10, u"&Radio button"),
        Atom(0x82, 0x0, 12, 52, 40, 8, u"&Edit:"),
        Atom(0x81, 0x00800000 | 0x80, 50, 50, 50, 12, u"text"),
        named(u"msctls_updown32", 0x10 | 0x4, 0, 0, 0, 0),
        Atom(0x82, 0x2, 125, 5, 40, 8, u"Password:"),
        Atom(0x81, 0x00800000 | 0x20, 168, 3, 77, 12, u"secret"),
        Atom(0x85, 0x3, 125, 18, 120, 60),
        Atom(0x83, 0x00800000, 125, 34, 55, 35),
        named(u"SysTreeView32", 0x00800000 | 0x7, 185, 34, 60, 35),
        named(u"msctls_progress32", 0x00800000, 5, 74, 115, 9),
        named(u"msctls_trackbar32", 0x1, 125, 72, 120, 14),
        Atom(0x82, 0x10, 5, 89, 240, 1),
        named(u"SysLink", 0, 5, 93, 120, 8, u"See <a>the manual</a> for more."),
        named(u"SysIPAddress32", 0, 125, 92, 70, 12),
        named(u"MyOwnGrid", 0, 200, 92, 45, 12),
        Atom(0x80, 0x1, 140, 103, 50, 14, u"OK"),
        Atom(0x80, 0x0, 195, 103, 50, 14, u"Cancel"),
        Atom(0x80, 0x08000000, 5, 103, 50, 14, u"Disabled"),
    });
    dialog.cy = 122;
    gui::DialogPreview* preview = ShowTemplate(dialog);
    ASSERT_NE(preview, nullptr);
    view_.resize(420, 280);
    view_.show();
    std::string path = ScreenshotPath("dialog-controls.png");
    ASSERT_TRUE(view_.grab().save(QString::fromStdString(path)));
}

// Every dialog and menu of two real libraries, when Wine is installed, in every language: each
// dialog builds one widget per control, each menu a bar with its items.
TEST_F(GuiTest, EveryDialogAndMenuOfRealLibrariesBuilds) {
    const std::string folder = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/";
    if (!std::filesystem::exists(folder + "comdlg32.dll"))
        GTEST_SKIP() << "Wine's libraries are not installed";
    StartApp();
    gui::DialogView dialogs;
    gui::MenuView menus;
    int shown = 0;
    for (const char* name : {"comdlg32.dll", "comctl32.dll", "shell32.dll"}) {
        std::string copy = scratch_ / name;
        std::filesystem::copy_file(folder + name, copy);
        ASSERT_TRUE(Doc().Open(copy));
        Project& project = *Doc().GetProject();
        for (int type : {4, 5})
            for (XmlNode* entry : project.ResourcesOf(project.FindType(type)))
                for (XmlNode* language : Project::ChildrenOf(entry->firstChild)) {
                    XmlNode* file = Project::FileOfLanguage(language);
                    std::string path = project.DataFilePath(file);
                    SCOPED_TRACE(path);
                    if (type == 5) {
                        dialogs.Show(path, &project, file);
                        ASSERT_NE(dialogs.Preview(), nullptr);
                        EXPECT_EQ(dialogs.Preview()->ControlCount(),
                                  dialogs.Template()->items.size());
                    } else {
                        menus.Show(path, &project, file);
                        ASSERT_NE(menus.MenuBar(), nullptr);
                        EXPECT_EQ(menus.MenuBar()->actions().size(),
                                  qsizetype(menus.Template()->items.size()));
                    }
                    ++shown;
                }
    }
    EXPECT_GT(shown, 100);
}

} // namespace vellum::test
