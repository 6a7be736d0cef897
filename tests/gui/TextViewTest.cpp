// The text pane driven as a user would: files come back in the encoding they were read in and are
// not rewritten unless the text changed; the font-size cycle; Find Text and its replacements;
// the read-only script mode.
#include "views/TextView.h"

#include "GuiFixture.h"
#include "support/ByteBuilder.h"
#include "views/FindTextDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace vellum::test {

namespace {

using gui::TextView;

class TextViewTest : public ::testing::Test {
protected:
    // Writes `bytes` as a file of the scratch folder and shows it.
    std::string Show(const std::string& name, const Bytes& bytes) {
        std::string path = dir_ / name;
        WriteFileBytes(path, bytes);
        view_.ShowText(path, nullptr, nullptr);
        return path;
    }
    void Type(const QString& text) {
        view_.Editor()->moveCursor(QTextCursor::End);
        view_.Editor()->insertPlainText(text);
    }
    QString Text() const { return view_.Editor()->toPlainText(); }
    bool Said(const std::string& message) const {
        for (const MessageDialog& shown : prompter_.Shown())
            if (shown.message == message)
                return true;
        return false;
    }
    gui::FindTextDialog* Find(const QString& what, const QString& with) {
        gui::FindTextDialog* dialog = view_.OpenFind();
        dialog->What()->setText(what);
        dialog->With()->setText(with);
        return dialog;
    }

    ScratchDir dir_;
    ScriptedPrompter prompter_;
    ErrorBox errorBox_;
    gui::AppServices app_{prompter_, errorBox_, {}, true, {}, 0, nullptr};
    TextView view_{app_};
};

Bytes Utf16(const std::u16string& text) {
    Bytes bytes;
    for (char16_t c : text)
        bytes.insert(bytes.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
    return bytes;
}

} // namespace

// An .ini file is UTF-16 both ways and keeps its CR LF breaks; a .xml file is 8-bit text.
TEST_F(TextViewTest, IniIsSavedAsUtf16AndXmlAsEightBit) {
    std::string ini = Show("setup.ini", Utf16(u"[Section]\r\nKey=\u0416"));
    EXPECT_EQ(Text(), QString::fromStdU16String(u"[Section]\nKey=\u0416"));
    Type("!");
    EXPECT_TRUE(view_.HasPendingEdits());
    int written = 0;
    QObject::connect(&view_, &TextView::FileChanged, [&written] { ++written; });
    ASSERT_TRUE(view_.SavePendingEdits());
    EXPECT_EQ(ReadFileBytes(ini), Utf16(u"[Section]\r\nKey=\u0416!"));
    EXPECT_EQ(written, 1);
    EXPECT_FALSE(view_.HasPendingEdits());

    std::string xml = Show("a.xml", {'<', 'a', '/', '>'});
    EXPECT_FALSE(view_.Status()->isVisibleTo(&view_)) << "UTF-8 needs no word";
    Type(QString::fromStdU16String(u"\u00e9"));
    ASSERT_TRUE(view_.SavePendingEdits());
    EXPECT_EQ(ReadFileBytes(xml), (Bytes{'<', 'a', '/', '>', 0xC3, 0xA9}));
}

// Nothing the file held is lost: an .ini that is not UTF-16 opens as 8-bit text with a note and
// Latin-1 bytes are kept one for one. A file the user did not change is never rewritten, not
// even when an edit was undone by hand.
TEST_F(TextViewTest, BytesSurviveAndUnchangedFilesAreNotRewritten) {
    Bytes odd = {'[', 'a', ']', '\r', '\n', 'k', '=', 0xE9, '!'}; // odd length, Latin-1 e-acute
    std::string ini = Show("odd.ini", odd);
    EXPECT_TRUE(view_.Status()->isVisibleTo(&view_));
    EXPECT_NE(view_.Status()->text().indexOf("not UTF-16"), -1)
        << view_.Status()->text().toStdString();
    EXPECT_EQ(Text(), QString::fromStdU16String(u"[a]\nk=\u00e9!"));
    Type("1");
    ASSERT_TRUE(view_.SavePendingEdits());
    Bytes expected = odd;
    expected.push_back('1');
    EXPECT_EQ(ReadFileBytes(ini), expected);

    Bytes latin = {'c', 'a', 'f', 0xE9, 0xA0, 'x'}; // a no-break space among them
    std::string htm = Show("page.htm", latin);
    EXPECT_NE(view_.Status()->text().indexOf("Latin-1"), -1)
        << view_.Status()->text().toStdString();
    auto before = std::filesystem::last_write_time(htm);
    Type("y");
    view_.Editor()->textCursor().deletePreviousChar();
    QTextCursor cursor = view_.Editor()->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.deletePreviousChar();
    cursor.insertText("x");
    EXPECT_TRUE(view_.HasPendingEdits());
    std::filesystem::last_write_time(htm, before - std::chrono::hours(1));
    ASSERT_TRUE(view_.SavePendingEdits());
    EXPECT_EQ(std::filesystem::last_write_time(htm), before - std::chrono::hours(1))
        << "the same bytes were written again";
    EXPECT_EQ(ReadFileBytes(htm), latin);

    Type(QString::fromStdU16String(u"\u20ac"));
    EXPECT_FALSE(view_.SavePendingEdits()) << "the euro sign has no Latin-1 byte";
    EXPECT_EQ(ReadFileBytes(htm), latin);
}

TEST_F(TextViewTest, FontSizeCyclesBackToNineAfterSixPresses) {
    Show("a.txt", {'a'});
    while (view_.FontHeight() != 9)
        view_.NextFontSize();
    std::vector<int> heights;
    for (int i = 0; i < 6; ++i) {
        view_.NextFontSize();
        heights.push_back(view_.FontHeight());
        EXPECT_EQ(view_.Editor()->font().pixelSize(), view_.FontHeight());
    }
    EXPECT_EQ(heights, (std::vector<int>{11, 16, 20, 24, 30, 9}));
    EXPECT_EQ(TextView::FontHeightAfter(13), 20);
    EXPECT_EQ(TextView::FontHeightAfter(25), 9);
}

TEST_F(TextViewTest, FindNextReplaceAndTextNotFound) {
    Show("a.txt", {'c', 'a', 't', ' ', 'C', 'a', 't', ' ', 'c', 'a', 't', 's'});
    gui::FindTextDialog* dialog = Find("cat", "dog");
    dialog->MatchCase()->setChecked(true);
    dialog->WholeWord()->setChecked(true);
    QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
    EXPECT_EQ(view_.Editor()->textCursor().selectionStart(), 0);
    QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
    EXPECT_TRUE(Said("Text not found")) << "neither 'Cat' nor 'cats' is the whole word 'cat'";
    EXPECT_EQ(view_.Editor()->textCursor().selectedText(), "cat") << "the selection stays";

    Find("Cat", "mouse");
    QTest::mouseClick(dialog->ReplaceButton(), Qt::LeftButton);
    EXPECT_EQ(Text(), "cat mouse cats");
    view_.Undo();
    EXPECT_EQ(Text(), "cat Cat cats");
}

// The replacement holds the text searched for: Replace All goes on behind what it inserted, so it
// ends, and a single Undo takes every replacement back.
TEST_F(TextViewTest, ReplaceAllContinuesAfterTheInsertedText) {
    Show("a.txt", {'a', ' ', 'a', 'b', ' ', 'A'});
    gui::FindTextDialog* dialog = Find("a", "aa");
    QTest::mouseClick(dialog->ReplaceAllButton(), Qt::LeftButton);
    EXPECT_EQ(Text(), "aa aab aa");
    EXPECT_FALSE(Said("Text not found"));
    view_.Undo();
    EXPECT_EQ(Text(), "a ab A");
    dialog = Find("zebra", "x");
    QTest::mouseClick(dialog->ReplaceAllButton(), Qt::LeftButton);
    EXPECT_TRUE(Said("Text not found"));
}

// Another program changes the file: the next watch tick shows the new text.
TEST_F(TextViewTest, WatchReloadsAChangedFile) {
    std::string path = Show("a.txt", {'o', 'l', 'd'});
    WriteFileBytes(path, {'n', 'e', 'w'});
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() +
                                               std::chrono::seconds(5));
    view_.CheckFile();
    EXPECT_EQ(Text(), "new");
}

// A file that cannot be read is reported; the text shown before stays, but is never saved over
// the file that failed.
TEST_F(TextViewTest, UnreadableFileIsReportedAndNotWritten) {
    Show("a.txt", {'o', 'l', 'd'});
    Type("!");
    std::string missing = dir_ / "missing.txt";
    view_.ShowText(missing, nullptr, nullptr);
    bool reported = false;
    for (const MessageDialog& shown : prompter_.Shown())
        reported |=
            (shown.message + shown.details).find("Failed to open file") != std::string::npos;
    EXPECT_TRUE(reported);
    EXPECT_EQ(Text(), "old!");
    EXPECT_FALSE(view_.HasPendingEdits());
    EXPECT_TRUE(view_.SavePendingEdits());
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(TextViewTest, ScriptModeIsReadOnlyAndSavesTheScript) {
    // A no-break space (C2 A0) in a value must reach the file as it is.
    std::string script = "#pragma code_page(65001)\n#include <windows.h>\n\nLANGUAGE 9, 1\n"
                         "STRINGTABLE\nBEGIN\n    1, \"a\xC2\xA0"
                         "b\"\nEND\n";
    view_.ShowScript(script, "version.rc");
    EXPECT_TRUE(view_.Editor()->isReadOnly());
    EXPECT_FALSE(view_.HasPendingEdits());
    EXPECT_FALSE(view_.CanPaste());
    ASSERT_TRUE(view_.SaveScriptTo(dir_ / "out.rc"));
    EXPECT_EQ(ReadFileText(dir_ / "out.rc"), script);
}

TEST_F(TextViewTest, Screenshot) {
    Show("setup.ini", Utf16(u"; Setup settings\r\n[Setup]\r\nTitle=Sample Application\r\n"
                            u"Version=1.2.3.4\r\n\r\n[Files]\r\nMain=app.exe\r\nHelp=app.chm\r\n"));
    view_.resize(640, 360);
    view_.show();
    gui::FindTextDialog* dialog = Find("Version", "");
    QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
    QCoreApplication::processEvents(); // the scroll range follows the new size
    ASSERT_TRUE(view_.grab().save(QString::fromStdString(ScreenshotPath("text-view.png"))));
}

} // namespace vellum::test
