// Unsaved changes: what marks the document modified, the title's "*", and the "Save changes"
// question before opening, New and Exit drop the work folder's project.
#include "GuiFixture.h"
#include "application/StartDocument.h"
#include "views/HexEdit.h"
#include "views/HexView.h"

#include <QAction>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <map>

namespace vellum::test {

namespace {

// Every file below the folder with its bytes.
std::map<std::string, std::vector<std::uint8_t>> FolderContents(const std::string& folder) {
    std::map<std::string, std::vector<std::uint8_t>> contents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            contents[entry.path().lexically_relative(folder).string()] =
                ReadFileBytes(entry.path().string());
    return contents;
}

} // namespace

class UnsavedChangesTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        StartApp();
        dll_ = OpenFixture("resources.dll");
        other_ = scratch_ / "resonly.dll";
        std::filesystem::copy_file(DataPath("resonly.dll"), other_);
    }

    // Deletes the version resource, answering Yes.
    void DeleteVersion() {
        ASSERT_NE(Select("Version Info", "1 (1033)"), nullptr);
        prompter_.Answer(IDYES);
        ASSERT_TRUE(View().DeleteResource());
    }

    // Types "41" over the first byte of MYTYPE/DATA, leaving the edit pending in the hex view.
    gui::HexView& TypePendingEdit() {
        EXPECT_NE(Select("MYTYPE", "DATA (0)"), nullptr);
        gui::HexView& hex = *Host().Hex();
        hex.Edit()->setFocus();
        QTest::keyClick(hex.Edit(), Qt::Key_4);
        QTest::keyClick(hex.Edit(), Qt::Key_1);
        EXPECT_TRUE(hex.Modified());
        return hex;
    }

    std::size_t Asked(const std::string& message) const {
        return std::count_if(prompter_.Shown().begin(), prompter_.Shown().end(),
                             [&](const MessageDialog& shown) { return shown.message == message; });
    }

    QString ShownTitle() { return Window().windowHandle()->title(); }

    std::string dll_;
    std::string other_;
};

TEST_F(UnsavedChangesTest, ASavedHexEditStarsTheTitleAndSavingClearsIt) {
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(ShownTitle(), "resources.dll - Vellum");

    TypePendingEdit();
    EXPECT_FALSE(Doc().IsModified()) << "still only in the hex view";
    Select("MYTYPE", "1 (1033)");
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_TRUE(Window().isWindowModified());
    EXPECT_EQ(ShownTitle(), "resources.dll* - Vellum");

    prompter_.Answer(IDYES); // copy the compiled file over resources.dll
    Window().Action("file.save")->trigger();
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(ShownTitle(), "resources.dll - Vellum");
    EXPECT_NE(ReadFileText(dll_).find("Aeutral custom resource"), std::string::npos)
        << "the compiled file replaced the original";
}

TEST_F(UnsavedChangesTest, OpeningAfterADeleteAsksAndCancelKeepsTreeAndWorkFolder) {
    DeleteVersion();
    ASSERT_TRUE(Doc().IsModified());
    QStringList types = TopLabels();
    std::string work = gui::WorkFolder(dataFolder_);
    auto before = FolderContents(work);
    auto original = ReadFileBytes(dll_);

    prompter_.Answer(IDCANCEL);
    Window().OpenPath(QString::fromStdString(other_));
    const MessageDialog& question = prompter_.Shown().back();
    EXPECT_EQ(question.message, "Save changes to resources.dll?");
    EXPECT_EQ(question.title, "Vellum");
    EXPECT_EQ(question.buttons.size(), 3u);
    EXPECT_EQ(question.icon, DialogIcon::Exclamation);
    EXPECT_EQ(Doc().PathName(), dll_);
    EXPECT_EQ(TopLabels(), types);
    EXPECT_EQ(FolderContents(work), before);
    EXPECT_TRUE(Doc().IsModified());

    // Yes, then declining to copy the compiled file over the original: the save did not happen,
    // so the open does not go on either.
    prompter_.Answer(IDYES);
    prompter_.Answer(IDNO);
    Window().OpenPath(QString::fromStdString(other_));
    EXPECT_EQ(Doc().PathName(), dll_);
    EXPECT_FALSE(TopLabels().contains("Version Info"));
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(ReadFileBytes(dll_), original);

    prompter_.Answer(IDNO);
    Window().OpenPath(QString::fromStdString(other_));
    EXPECT_EQ(Doc().PathName(), other_);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(ReadFileBytes(dll_), original) << "No discards";
}

TEST_F(UnsavedChangesTest, YesCompilesBeforeTheOtherFileOpens) {
    DeleteVersion();
    prompter_.Answer(IDYES); // save changes
    prompter_.Answer(IDYES); // copy over resources.dll
    Window().OpenPath(QString::fromStdString(other_));
    EXPECT_EQ(Doc().PathName(), other_);
    EXPECT_EQ(Asked("Save changes to resources.dll?"), 1u);

    // No question now: nothing changed since the open.
    std::size_t questions = prompter_.Shown().size();
    Window().OpenPath(QString::fromStdString(dll_));
    EXPECT_EQ(prompter_.Shown().size(), questions);
    EXPECT_FALSE(TopLabels().contains("Version Info"));
    EXPECT_TRUE(TopLabels().contains("MYTYPE"));
}

TEST_F(UnsavedChangesTest, PendingHexEditsAskOnExitCancelKeepsTheWindowAndNoDropsThem) {
    gui::HexView& hex = TypePendingEdit();
    std::string path = hex.Path();
    auto onDisk = ReadFileBytes(path);

    prompter_.Answer(IDCANCEL);
    EXPECT_FALSE(Window().close());
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(Asked("Save changes to resources.dll?"), 1u);
    EXPECT_TRUE(hex.Modified()) << "the edit is still there";
    EXPECT_EQ(hex.Edit()->Buffer().Data()[0], 0x41);

    prompter_.Answer(IDNO);
    EXPECT_TRUE(Window().close());
    EXPECT_EQ(ReadFileBytes(path), onDisk);
}

// Changes left uncompiled at Exit stay in the work folder, whose project the next start opens
// again: it comes back marked modified, and opening another file still asks first.
TEST_F(UnsavedChangesTest, ChangesLeftAtExitComeBackModifiedAtTheNextStart) {
    DeleteVersion();
    prompter_.Answer(IDNO);
    EXPECT_TRUE(Window().close());
    app_.reset();

    StartApp();
    EXPECT_EQ(Doc().PathName(), dll_);
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_TRUE(Window().isWindowModified());
    EXPECT_EQ(Tree().FindTypeItem("Version Info"), nullptr) << "the delete is still there";
    prompter_.Answer(IDCANCEL);
    Window().OpenPath(QString::fromStdString(other_));
    EXPECT_EQ(Asked("Save changes to resources.dll?"), 2u);
    EXPECT_EQ(Doc().PathName(), dll_);

    // Opening another executable replaces the work folder's project, marker and all.
    prompter_.Answer(IDNO);
    Window().OpenPath(QString::fromStdString(other_));
    EXPECT_FALSE(Doc().IsModified());
    app_.reset();
    StartApp();
    EXPECT_EQ(Doc().PathName(), other_);
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(UnsavedChangesTest, NewAsksItsOwnQuestionOnlyAndItsNoDiscards) {
    DeleteVersion();
    prompter_.Answer(IDCANCEL);
    Window().Action("file.new")->trigger();
    EXPECT_EQ(Doc().PathName(), dll_);
    EXPECT_TRUE(Doc().IsModified());

    prompter_.Answer(IDNO);
    Window().Action("file.new")->trigger();
    EXPECT_TRUE(Doc().IsBlank());
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(Asked("Save current resource file?"), 2u);
    EXPECT_EQ(Asked("Save changes to resources.dll?"), 0u);
}

TEST_F(UnsavedChangesTest, FailedOpensAndSavesGoToTheLog) {
    std::string log = dataFolder_ + "vellum.log";
    std::string text = scratch_ / "notes.txt";
    WriteFileText(text, "not an executable");
    prompter_.Answer(IDOK);
    Window().OpenPath(QString::fromStdString(text));
    ASSERT_TRUE(std::filesystem::exists(log));
    EXPECT_NE(ReadFileText(log).find("Open " + text + " failed"), std::string::npos);

    // The blank template now stands for notes.txt; without its header file the compile fails.
    std::filesystem::remove(gui::WorkFolder(dataFolder_) + "DOSHEADER.BIN");
    EXPECT_FALSE(Doc().SaveTo(text));
    EXPECT_NE(ReadFileText(log).find("Save " + text + " failed"), std::string::npos);
}

} // namespace vellum::test
