// The viewer host picks the text, version, dialog and menu panes for their resources, saves a
// text edit when another resource is selected, and shows "View as Script" in the text view.
#include "GuiFixture.h"
#include "views/DialogView.h"
#include "views/TextView.h"

#include <QAction>
#include <QPlainTextEdit>

namespace vellum::test {

namespace {

QAction* ActionNamed(QWidget* pane, const QString& text) {
    for (QAction* action : pane->findChildren<QAction*>())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

TEST_F(GuiTest, TextEditsAreSavedWhenAnotherResourceIsSelected) {
    StartApp();
    OpenFixture("theme.msstyles");
    ASSERT_NE(Select("TEXTFILE", "THEMES_INI (1033)"), nullptr);
    ASSERT_EQ(Host().Kind(), gui::ViewKind::Text);
    gui::TextView* text = Host().Text();
    std::string path = text->Path();
    std::vector<std::uint8_t> before = ReadFileBytes(path);
    text->Editor()->moveCursor(QTextCursor::End);
    text->Editor()->insertPlainText("; added\r\n");
    EXPECT_TRUE(Host().HasPendingEdits());
    EXPECT_TRUE(Window().Action("edit.undo")->isEnabled());

    ASSERT_NE(Select("UIFILE", "1000 (1033)"), nullptr); // no extension, named UIFILE: text
    EXPECT_EQ(Host().Kind(), gui::ViewKind::Text);
    std::vector<std::uint8_t> after = ReadFileBytes(path);
    EXPECT_NE(after, before);
    EXPECT_EQ(after.size(), before.size() + 2 * std::string("; added\r\n").size()) << "UTF-16";
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(GuiTest, DialogsMenusAndVersionsGetTheirPanesAndScriptShowsInTheTextView) {
    StartApp();
    OpenFixture("resources.dll");
    ASSERT_NE(Select("Version Info", "1 (1033)"), nullptr);
    EXPECT_EQ(Host().Kind(), gui::ViewKind::Version);
    ASSERT_NE(Select("Menu", "200 (1033)"), nullptr);
    EXPECT_EQ(Host().Kind(), gui::ViewKind::Menu);
    ASSERT_NE(Select("Dialog", "100 (1033)"), nullptr);
    ASSERT_EQ(Host().Kind(), gui::ViewKind::Dialog);
    EXPECT_FALSE(Window().Action("edit.copy")->isEnabled());

    auto* dialog = Host().findChild<gui::DialogView*>();
    ASSERT_NE(dialog, nullptr);
    QAction* script = ActionNamed(dialog, "View as Script");
    ASSERT_NE(script, nullptr);
    script->trigger();
    ASSERT_EQ(Host().Kind(), gui::ViewKind::Text);
    EXPECT_TRUE(Host().Text()->ScriptMode());
    QString shown = Host().Text()->Editor()->toPlainText();
    EXPECT_TRUE(shown.contains("DIALOG")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("LANGUAGE")) << shown.toStdString();
    EXPECT_FALSE(Host().HasPendingEdits());
}

} // namespace vellum::test

namespace vellum::test {

// String tables share STRINGS.XML; View as Script shows the blocks of the selected language.
TEST_F(GuiTest, AStringTableLanguageShowsAsScript) {
    StartApp();
    OpenFixture("resources.dll");
    ASSERT_NE(Select("String Table", "1031"), nullptr);
    ASSERT_EQ(Host().Kind(), gui::ViewKind::Text);
    QAction* script = ActionNamed(Host().Text(), "View as Script");
    ASSERT_NE(script, nullptr);
    EXPECT_TRUE(script->isVisible());
    script->trigger();
    ASSERT_TRUE(Host().Text()->ScriptMode());
    QString shown = Host().Text()->Editor()->toPlainText();
    EXPECT_TRUE(shown.contains("STRINGTABLE")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("LANGUAGE 7, 1")) << shown.toStdString(); // 1031: German
    EXPECT_TRUE(shown.contains(QString::fromUtf8("\"Grüße <Größe>\""))) << shown.toStdString();
    EXPECT_FALSE(shown.contains("LANGUAGE 9, 1")) << shown.toStdString(); // no English blocks

    // A file that is not a string table offers no script.
    OpenFixture("theme.msstyles");
    ASSERT_NE(Select("TEXTFILE", "THEMES_INI (1033)"), nullptr);
    EXPECT_FALSE(ActionNamed(Host().Text(), "View as Script")->isVisible());
}

} // namespace vellum::test
