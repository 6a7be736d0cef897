// The outside editors in the window: kept in the settings across a run, and edited on the
// Options dialog's pages through their own buttons and fields.
#include "dialogs/OptionsDialog.h"

#include "GuiFixture.h"
#include "ScriptedFallbacks.h"
#include "dialogs/EditorListPage.h"
#include "views/EditorButton.h"
#include "views/HexView.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

namespace vellum::test {

namespace {

using gui::EditorListPage;
using gui::OptionsDialog;

void StoreEditor(const QString& section, int index, const QString& name) {
    QSettings settings("Quillon", "Vellum");
    QString n = QString::number(index);
    settings.setValue(section + "/CmdName" + n, name);
    settings.setValue(section + "/CmdCommand" + n, "/usr/bin/" + name.toLower());
    settings.setValue(section + "/CmdArgs" + n, "--new");
    settings.setValue(section + "/CmdInitialDir" + n, "");
}

QStringList StoredKeys(const QString& section) {
    QSettings settings("Quillon", "Vellum");
    settings.beginGroup(section);
    QStringList keys = settings.childKeys();
    keys.sort();
    return keys;
}

QStringList Names(EditorListPage& page) {
    QStringList names;
    for (const EditorEntry& entry : page.Entries())
        names << QString::fromStdString(entry.name);
    return names;
}

void Click(EditorListPage& page, const QString& button) {
    ASSERT_NE(page.Button(button), nullptr) << button.toStdString();
    QTest::mouseClick(page.Button(button), Qt::LeftButton);
}

// The list commits an edited name after the key press, through the event queue.
void PressReturn(QLineEdit* editor) {
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The line edit the list opens over an item whose name is being edited.
QLineEdit* NameEditor(EditorListPage& page) {
    return page.Names()->viewport()->findChild<QLineEdit*>();
}

// Runs `step` on the modal dialog `open` shows, once it is up.
template <typename Dialog>
void WhileModal(const std::function<void()>& open, const std::function<void(Dialog&)>& step) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        ran = true;
        step(*dialog);
    });
    open();
    EXPECT_TRUE(ran);
}

QStringList MenuTexts(gui::EditorButton& button) {
    emit button.menu()->aboutToShow();
    QStringList texts;
    for (QAction* action : button.menu()->actions())
        texts << (action->isSeparator() ? "---" : action->text());
    return texts;
}

std::vector<EditorEntry> ThreeEditors() {
    return {{"One", "/bin/one", "", ""}, {"Two", "/bin/two", "", ""}, {"Three", "/bin/3", "", ""}};
}

} // namespace

TEST_F(GuiTest, EditorListsAreLoadedAtStartAndSavedAtExit) {
    for (int i = 1; i <= 3; ++i)
        StoreEditor("ImageEditors", i, QString("Paint%1").arg(i));
    StoreEditor("TextEditors", 1, "Kate");
    StoreEditor("HexEditors", 1, "Okteta");
    StartApp();
    EditorLists& lists = app_->Services().editors;
    ASSERT_EQ(lists.List(EditorKind::Image).size(), 3u);
    EXPECT_EQ(lists.List(EditorKind::Image)[2].command, "/usr/bin/paint3");
    EXPECT_EQ(lists.List(EditorKind::Text).size(), 1u);

    {
        OptionsDialog dialog(app_->Services(), &Window());
        EditorListPage& images = *dialog.Page(EditorKind::Image);
        images.Names()->setCurrentRow(2);
        Click(images, "Delete");
        dialog.Page(EditorKind::Hex)->Names()->setCurrentRow(0);
        Click(*dialog.Page(EditorKind::Hex), "Delete");
        dialog.accept();
    }
    app_.reset();

    EXPECT_EQ(StoredKeys("ImageEditors"),
              QStringList({"CmdArgs1", "CmdArgs2", "CmdCommand1", "CmdCommand2", "CmdInitialDir1",
                           "CmdInitialDir2", "CmdName1", "CmdName2"}));
    EXPECT_EQ(QSettings("Quillon", "Vellum").value("ImageEditors/CmdName2").toString(), "Paint2");
    EXPECT_EQ(StoredKeys("TextEditors").size(), 4);
    EXPECT_TRUE(StoredKeys("HexEditors").isEmpty()) << "an empty list removes its section";
}

// A settings file that cannot be read: the failure is shown and the window starts all the same.
TEST_F(GuiTest, UnreadableEditorSettingsAreShownAndStartUpGoesOn) {
    std::filesystem::create_directories(scratch_ / "settings/Quillon/Vellum.conf");
    StartApp();
    ASSERT_FALSE(prompter_.Shown().empty());
    EXPECT_NE(prompter_.Shown()[0].details.find(
                  "Cannot read CmdName1 of the settings section ImageEditors"),
              std::string::npos);
    EXPECT_TRUE(Window().isVisible());
    EXPECT_TRUE(app_->Services().editors.List(EditorKind::Image).empty());
}

TEST_F(GuiTest, OptionsDialogHasTheThreeEditorPagesWithTheirHelp) {
    StartApp();
    app_->Services().editors.List(EditorKind::Text) = ThreeEditors();
    OptionsDialog dialog(app_->Services(), &Window());
    EXPECT_EQ(dialog.windowTitle(), "Options");
    ASSERT_EQ(dialog.Tabs()->count(), 3);
    EXPECT_EQ(dialog.Tabs()->tabText(0), "Image Editors");
    EXPECT_EQ(dialog.Tabs()->tabText(1), "Text Editors");
    EXPECT_EQ(dialog.Tabs()->tabText(2), "Hex Editors");
    auto help = [&](EditorKind kind) {
        return dialog.Page(kind)->findChild<QLabel*>()->text().toStdString();
    };
    EXPECT_EQ(help(EditorKind::Image), "Add programs for editing your images.\nThe first entry in "
                                       "the list will be the default program.");
    EXPECT_EQ(help(EditorKind::Text), "Add programs for editing your text.\nThe first entry in "
                                      "the list will be the default program.");
    EXPECT_EQ(help(EditorKind::Hex), help(EditorKind::Text));

    EditorListPage& text = *dialog.Page(EditorKind::Text);
    EXPECT_EQ(text.Names()->currentRow(), 0) << "the first row starts selected";
    EXPECT_EQ(text.CommandField()->text(), "/bin/one");
    EditorListPage& image = *dialog.Page(EditorKind::Image);
    EXPECT_EQ(image.Names()->currentRow(), -1);
    EXPECT_FALSE(image.CommandField()->isEnabled());
    EXPECT_FALSE(image.Button("Delete")->isEnabled());
}

TEST(EditorListPageTest, NewItemIsAddedSelectedAndNamedInPlace) {
    EditorListPage page("help", ThreeEditors());
    page.show();
    Click(page, "New Item");
    EXPECT_EQ(Names(page), QStringList({"One", "Two", "Three", "New Item"}));
    EXPECT_EQ(page.Names()->currentRow(), 3);
    QLineEdit* editor = NameEditor(page);
    ASSERT_NE(editor, nullptr) << "the new name is open for editing";
    editor->selectAll();
    QTest::keyClicks(editor, "GIMP");
    PressReturn(editor);
    EXPECT_EQ(Names(page).last(), "GIMP");

    // A list in the settings ends at its first empty name, so an empty name is not taken.
    page.Names()->editItem(page.Names()->item(1));
    editor = NameEditor(page);
    ASSERT_NE(editor, nullptr);
    editor->clear();
    PressReturn(editor);
    EXPECT_EQ(Names(page)[1], "Two");
    EXPECT_EQ(page.Names()->item(1)->text(), "Two");

    QTest::keyClicks(page.CommandField(), "/opt/gimp");
    QTest::keyClicks(page.ArgumentsField(), "-n");
    QTest::keyClicks(page.FolderField(), "/tmp");
    EXPECT_EQ(page.Entries()[3], (EditorEntry{"GIMP", "/opt/gimp", "-n", "/tmp"}));
    EXPECT_EQ(page.Entries()[1].command, "/bin/two") << "only the selected entry changes";
}

TEST(EditorListPageTest, DeleteSelectsTheNextThenThePreviousThenNothing) {
    EditorListPage page("help", ThreeEditors());
    page.Names()->setCurrentRow(1);
    Click(page, "Delete");
    EXPECT_EQ(Names(page), QStringList({"One", "Three"}));
    EXPECT_EQ(page.Names()->currentRow(), 1);
    EXPECT_EQ(page.CommandField()->text(), "/bin/3");
    Click(page, "Delete");
    EXPECT_EQ(page.Names()->currentRow(), 0);
    EXPECT_EQ(page.CommandField()->text(), "/bin/one");
    Click(page, "Delete");
    EXPECT_TRUE(page.Entries().empty());
    EXPECT_EQ(page.Names()->currentRow(), -1);
    EXPECT_TRUE(page.CommandField()->text().isEmpty());
    EXPECT_FALSE(page.CommandField()->isEnabled());
    EXPECT_FALSE(page.Button("Delete")->isEnabled());
}

TEST(EditorListPageTest, MoveUpAndDownSwapWithTheNeighbourAndStopAtTheEnds) {
    EditorListPage page("help", ThreeEditors());
    EXPECT_FALSE(page.Button("Move Up")->isEnabled());
    Click(page, "Move Down");
    EXPECT_EQ(Names(page), QStringList({"Two", "One", "Three"}));
    EXPECT_EQ(page.Names()->currentRow(), 1);
    EXPECT_EQ(page.Names()->item(0)->text(), "Two");
    Click(page, "Move Down");
    EXPECT_EQ(Names(page), QStringList({"Two", "Three", "One"}));
    EXPECT_FALSE(page.Button("Move Down")->isEnabled());
    page.MoveDown();
    EXPECT_EQ(Names(page), QStringList({"Two", "Three", "One"}));
    Click(page, "Move Up");
    EXPECT_EQ(Names(page), QStringList({"Two", "One", "Three"}));
    EXPECT_EQ(page.CommandField()->text(), "/bin/one") << "the fields follow the moved entry";
}

TEST_F(GuiTest, ToolsOptionsCommitsOnOkDiscardsOnCancelAndReopensOnTheLastPage) {
    StartApp();
    EditorLists& lists = app_->Services().editors;
    lists.List(EditorKind::Hex) = ThreeEditors();
    QAction* options = Window().Action("tools.options");
    ASSERT_TRUE(options->isEnabled());

    WhileModal<OptionsDialog>([&] { options->trigger(); },
                              [](OptionsDialog& dialog) {
                                  EXPECT_EQ(dialog.Tabs()->currentIndex(), 0);
                                  dialog.Tabs()->setCurrentIndex(2);
                                  Click(*dialog.Page(EditorKind::Hex), "Delete");
                                  Click(*dialog.Page(EditorKind::Image), "New Item");
                                  dialog.reject();
                              });
    EXPECT_EQ(lists.List(EditorKind::Hex), ThreeEditors());
    EXPECT_TRUE(lists.List(EditorKind::Image).empty());

    WhileModal<OptionsDialog>([&] { options->trigger(); },
                              [](OptionsDialog& dialog) {
                                  EXPECT_EQ(dialog.Tabs()->currentIndex(), 2)
                                      << "the page shown last";
                                  EditorListPage& hex = *dialog.Page(EditorKind::Hex);
                                  Click(hex, "Move Down");
                                  QTest::keyClicks(hex.ArgumentsField(), "-r");
                                  dialog.accept();
                              });
    ASSERT_EQ(lists.List(EditorKind::Hex).size(), 3u);
    EXPECT_EQ(lists.List(EditorKind::Hex)[0].name, "Two");
    EXPECT_EQ(lists.List(EditorKind::Hex)[1], (EditorEntry{"One", "/bin/one", "-r", ""}));
}

TEST_F(GuiTest, BrowseTakesAnExecutableFromTheFileDialog) {
    std::string program = scratch_ / "editor.sh";
    std::string notes = scratch_ / "notes.txt";
    WriteFileText(program, "#!/bin/sh\n");
    WriteFileText(notes, "text\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    EditorListPage page("help", ThreeEditors());

    auto choose = [&](const std::string& file) {
        WhileModal<QFileDialog>([&] { Click(page, "Browse"); },
                                [&](QFileDialog& dialog) {
                                    EXPECT_EQ(dialog.windowTitle(), "Browse");
                                    EXPECT_EQ(dialog.nameFilters(),
                                              QStringList({"Executables (*)"}));
                                    dialog.selectFile(QString::fromStdString(file));
                                    static_cast<QDialog&>(dialog).accept();
                                });
    };
    choose(notes);
    EXPECT_EQ(page.Entries()[0].command, "/bin/one") << "a file that cannot run is not taken";
    choose(program);
    EXPECT_EQ(page.CommandField()->text().toStdString(), program);
    EXPECT_EQ(page.Entries()[0].command, program);
}

// The hex pane's Edit button: a click starts the first hex editor, the drop-down any of them.
TEST_F(GuiTest, HexEditButtonStartsTheConfiguredEditorsOnTheShownFile) {
    StartApp();
    ScriptedFallbacks fallbacks;
    app_->Services().editorFallbacks = &fallbacks;
    app_->Services().editors.List(EditorKind::Hex) = {{"Okteta", "/usr/bin/okteta", "-x", ""},
                                                      {"Bless", "/usr/bin/bless", "", "/srv"}};
    OpenFixture("resources.dll");
    ASSERT_NE(Select("MYTYPE", "DATA (0)"), nullptr);
    gui::HexView& hex = *Host().Hex();
    gui::EditorButton& button = *hex.EditButton();
    ASSERT_TRUE(button.isEnabled());
    const std::string file = "\"" + hex.Path() + "\"";

    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(fallbacks.launches.size(), 1u);
    EXPECT_EQ(fallbacks.launches[0], "\"/usr/bin/okteta\" " + file + " -x in []");

    ASSERT_EQ(MenuTexts(button), QStringList({"Okteta", "Bless", "---", "Customize Editors ..."}));
    button.menu()->actions()[1]->trigger();
    ASSERT_EQ(fallbacks.launches.size(), 2u);
    EXPECT_EQ(fallbacks.launches[1], "\"/usr/bin/bless\" " + file + " in [/srv]");
    EXPECT_TRUE(prompter_.Shown().empty());

    WhileModal<OptionsDialog>([&] { button.menu()->actions().last()->trigger(); },
                              [](OptionsDialog& dialog) {
                                  Click(*dialog.Page(EditorKind::Hex), "Delete");
                                  Click(*dialog.Page(EditorKind::Hex), "Delete");
                                  dialog.accept();
                              });
    EXPECT_EQ(MenuTexts(button), QStringList({"Customize Editors ..."}));

    // With no editor the desktop's program is asked for; when it has none, the user is told.
    fallbacks.shellResult = E_FAIL;
    button.click();
    EXPECT_EQ(fallbacks.shellEdits, std::vector<std::string>{hex.Path()});
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    EXPECT_NE(prompter_.Shown()[0].details.find("There is no default editor"), std::string::npos);
}

} // namespace vellum::test
