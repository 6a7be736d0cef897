// The version pane: edits reach the compiled file (read back by python3-pefile), every string of
// the first table is shown and written, and what the form does not show is kept as it was.
#include "views/VersionView.h"

#include "GuiFixture.h"
#include "common/CodePage.h"
#include "support/ByteBuilder.h"
#include "views/TextView.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <cstdlib>

namespace vellum::test {

namespace {

using gui::VersionView;

VersionNode Text(std::u16string key, std::u16string value) {
    VersionNode node;
    node.key = std::move(key);
    node.SetText(value);
    return node;
}

VersionNode Parent(std::u16string key, std::vector<VersionNode> children) {
    VersionNode node;
    node.key = std::move(key);
    node.children = std::move(children);
    return node;
}

// Thirteen strings in the first table, a second table, and a Var beside Translation; a static
// library (FILETYPE 7) for an OS the lists do not name.
VersionInfo ThirteenStrings() {
    VersionInfo info;
    info.root.key = u"VS_VERSION_INFO";
    info.root.type = kVersionValueBinary;
    FixedFileInfo fixed;
    fixed.fileVersionMs = 0x00010002;
    fixed.fileVersionLs = 0x00030004;
    fixed.os = 0x90000;
    fixed.type = 7;
    info.SetFixed(fixed);
    std::vector<VersionNode> strings;
    for (int i = 1; i <= 13; ++i)
        strings.push_back(Text(u"Key" + Utf8ToUtf16(std::to_string(i)),
                               i == 5 ? u"" : u"Value " + Utf8ToUtf16(std::to_string(i))));
    VersionNode translation;
    translation.key = u"Translation";
    translation.type = kVersionValueBinary;
    translation.SetBinary(TranslationBytes({{0x0409, 0x04E4}}));
    VersionNode extra = translation;
    extra.key = u"Extra";
    info.root.children = {
        Parent(u"StringFileInfo", {Parent(u"040904E4", strings),
                                   Parent(u"040704B0", {Text(u"Comments", u"Zweite Tabelle")})}),
        Parent(u"VarFileInfo", {translation, extra})};
    return info;
}

bool PefileInstalled() {
    return std::system("/usr/bin/python3 -c 'import pefile' 2>/dev/null") == 0;
}

// python3-pefile's reading of `dll`: the file version and the first string table's strings.
std::string PefileVersion(const std::string& dll) {
    const char* script = R"(
import pefile, sys
pe = pefile.PE(sys.argv[1])
f = pe.VS_FIXEDFILEINFO[0]
print('%d.%d.%d.%d' % (f.FileVersionMS >> 16, f.FileVersionMS & 0xFFFF,
                       f.FileVersionLS >> 16, f.FileVersionLS & 0xFFFF))
for info in pe.FileInfo[0]:
    if info.Key == b'StringFileInfo':
        for key, value in info.StringTable[0].entries.items():
            print(key.decode() + '=' + value.decode())
)";
    std::string scriptPath = dll + ".py";
    WriteFileText(scriptPath, script);
    std::string out = dll + ".txt";
    std::string command = "/usr/bin/python3 '" + scriptPath + "' '" + dll + "' > '" + out + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return ReadFileText(out);
}

VersionInfo ReadBlock(const std::string& path) {
    Bytes bytes = ReadFileBytes(path);
    std::optional<VersionInfo> info = VersionInfo::Parse(ByteView(bytes.data(), bytes.size()));
    EXPECT_TRUE(info.has_value()) << path;
    return info.value_or(VersionInfo{});
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text) {
    grid->setItem(row, column, new QTableWidgetItem(text));
}

} // namespace

class VersionViewTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        StartApp();
    }
    // Shows the first version resource of the open project.
    void ShowProjectVersion(VersionView& view) {
        Project& project = *Doc().GetProject();
        XmlNode* file = Project::FileOf(project.ResourcesOf(project.FindType(16)).at(0));
        view.ShowVersion(project.DataFilePath(file), &project, file);
    }
    std::string Write(const VersionInfo& info) {
        std::string path = scratch_ / "version.bin";
        WriteFileBytes(path, info.Serialize().value());
        return path;
    }
};

TEST_F(VersionViewTest, EditedVersionAndStringReachTheCompiledFile) {
    std::string dll = OpenFixture("resources.dll");
    VersionView view(app_->Services());
    ShowProjectVersion(view);
    ASSERT_FALSE(view.ReadOnly()) << view.Status()->text().toStdString();
    int row = 0;
    while (row < view.Strings()->rowCount() &&
           view.Strings()->item(row, 0)->text() != "FileDescription")
        ++row;
    ASSERT_LT(row, view.Strings()->rowCount() - 1) << "the fixture describes its file";
    for (int i = 0; i < 4; ++i)
        view.FileVersion()[i]->setValue(7 - i);
    SetCell(view.Strings(), row, 1, QString::fromStdU16String(u"Edited \u00e9"));
    ASSERT_TRUE(view.HasPendingEdits());
    ASSERT_TRUE(view.SavePendingEdits());

    prompter_.Answer(IDYES); // copy the compiled file over resources.dll
    ASSERT_TRUE(Doc().SaveTo(dll));
    if (!PefileInstalled())
        GTEST_SKIP() << "python3-pefile is not installed";
    std::string read = PefileVersion(dll);
    EXPECT_EQ(read.substr(0, 8), "7.6.5.4\n") << read;
    EXPECT_NE(read.find("FileDescription=Edited \xC3\xA9\n"), std::string::npos) << read;

    view.resize(760, 420);
    view.show();
    ASSERT_TRUE(view.grab().save(QString::fromStdString(ScreenshotPath("version-view.png"))));

    // View as Script, shown the way the window shows it: in the text pane's script mode.
    gui::TextView scriptView(app_->Services());
    QObject::connect(&view, &VersionView::ScriptRequested, &scriptView, &gui::TextView::ShowScript);
    view.ViewScriptButton()->click();
    EXPECT_TRUE(scriptView.ScriptMode());
    EXPECT_EQ(view.ScriptFileName(), "Version_1_1033.rc");
    EXPECT_NE(scriptView.Editor()->toPlainText().indexOf("FILEVERSION 7, 6, 5, 4"), -1);
    scriptView.resize(760, 520);
    scriptView.show();
    ASSERT_TRUE(scriptView.grab().save(QString::fromStdString(ScreenshotPath("script-view.png"))));
}

// All thirteen strings are shown and written; the second table and the Extra Var stay as they
// were; FILETYPE 7 is VFT_STATIC_LIB and an OS the list does not name keeps its value.
TEST_F(VersionViewTest, ThirteenStringsAndWhatTheFormDoesNotShowAreKept) {
    VersionInfo original = ThirteenStrings();
    std::string path = Write(original);
    VersionView view(app_->Services());
    view.ShowVersion(path, nullptr, nullptr);
    ASSERT_FALSE(view.ReadOnly());
    EXPECT_EQ(view.Strings()->rowCount(), 14) << "thirteen strings and a row for a new one";
    EXPECT_EQ(view.Strings()->item(12, 0)->text(), "Key13");
    EXPECT_EQ(view.FileType()->currentText(), "VFT_STATIC_LIB");
    EXPECT_EQ(view.FileOs()->currentText(), "0x00090000");
    EXPECT_EQ(view.Translations()->item(0, 0)->text(), "1033,1252");

    SetCell(view.Strings(), 12, 1, "Thirteen");
    SetCell(view.Strings(), 13, 0, "Key14"); // typed into the empty row
    SetCell(view.Translations(), 0, 0, "1033,1200");
    ASSERT_TRUE(view.SavePendingEdits());
    VersionInfo written = ReadBlock(path);
    std::vector<const VersionNode*> tables = written.StringTables();
    ASSERT_EQ(tables.size(), 2u);
    ASSERT_EQ(tables[0]->children.size(), 14u);
    EXPECT_EQ(tables[0]->children[12].Text(), u"Thirteen");
    EXPECT_EQ(tables[0]->children[4].valueLength, 0) << "an empty value has no value part";
    EXPECT_EQ(tables[0]->children[13].key, u"Key14");
    EXPECT_EQ(*tables[1], *original.StringTables()[1]);
    std::vector<const VersionNode*> vars = written.Vars();
    ASSERT_EQ(vars.size(), 2u);
    EXPECT_EQ(vars[0]->value, (Bytes{0x09, 0x04, 0xB0, 0x04}));
    EXPECT_EQ(*vars[1], *original.Vars()[1]);
    EXPECT_EQ(written.Fixed()->type, 7u);
    EXPECT_EQ(written.Fixed()->os, 0x90000u);
    EXPECT_EQ(written.Fixed()->fileVersionLs, 0x00030004u);
}

// An untouched view writes nothing; FILEOS maps back by its published values.
TEST_F(VersionViewTest, UnchangedIsNotWrittenAndListsMapBack) {
    std::string path = Write(ThirteenStrings());
    VersionView view(app_->Services());
    view.ShowVersion(path, nullptr, nullptr);
    EXPECT_FALSE(view.HasPendingEdits());
    view.FileOs()->setCurrentIndex(view.FileOs()->findText("VOS_NT_WINDOWS32"));
    view.FileType()->setCurrentIndex(view.FileType()->findText("VFT_DRV"));
    view.FileSubtype()->setCurrentIndex(view.FileSubtype()->findText("VFT2_DRV_SOUND"));
    ASSERT_TRUE(view.SavePendingEdits());
    FixedFileInfo fixed = ReadBlock(path).Fixed().value_or(FixedFileInfo{});
    EXPECT_EQ(fixed.os, 0x40004u);
    EXPECT_EQ(fixed.type, 3u);
    EXPECT_EQ(fixed.subtype, 9u);
}

// A block whose root length runs past the file opens read-only, says so, and is never written.
TEST_F(VersionViewTest, UnreadableBlockIsReadOnlyAndNeverWritten) {
    Bytes bytes = ThirteenStrings().Serialize().value();
    bytes.resize(bytes.size() / 2);
    std::string path = scratch_ / "broken.bin";
    WriteFileBytes(path, bytes);
    VersionView view(app_->Services());
    view.ShowVersion(path, nullptr, nullptr);
    EXPECT_TRUE(view.ReadOnly());
    EXPECT_TRUE(view.Status()->isVisibleTo(&view));
    EXPECT_FALSE(view.FileVersion()[0]->isEnabled());
    view.FileVersion()[0]->setValue(9);
    EXPECT_FALSE(view.HasPendingEdits());
    EXPECT_TRUE(view.SavePendingEdits());
    EXPECT_EQ(ReadFileBytes(path), bytes);
}

// View as Script hands the block, as edited, to whoever shows scripts; Undo takes the edit back.
TEST_F(VersionViewTest, ViewAsScriptSendsTheEditedBlock) {
    VersionView view(app_->Services());
    view.ShowVersion(Write(ThirteenStrings()), nullptr, nullptr);
    view.FileVersion()[3]->setValue(99);
    std::string script;
    QObject::connect(&view, &VersionView::ScriptRequested,
                     [&script](const std::string& text, const std::string&) { script = text; });
    view.ViewScriptButton()->click();
    EXPECT_NE(script.find("FILEVERSION 1, 2, 3, 99"), std::string::npos) << script;
    EXPECT_NE(script.find("VALUE \"Key13\", \"Value 13\""), std::string::npos) << script;

    EXPECT_TRUE(view.CanUndo());
    view.Undo();
    EXPECT_EQ(view.FileVersion()[3]->value(), 4) << "Undo goes back to the file's contents";
    EXPECT_FALSE(view.CanUndo());
}

} // namespace vellum::test
