// Resource > Import: the dialog proposes a folder, refuses what cannot be imported while keeping
// its fields, and an accepted import opens the new project in the window.
#include "GuiFixture.h"
#include "dialogs/ImportDialog.h"

#include <QLineEdit>
#include <filesystem>

namespace vellum::test {

namespace {

using gui::ImportDialog;

class ImportTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        StartApp();
    }
    std::string LastMessage() const {
        return prompter_.Shown().empty() ? "" : prompter_.Shown().back().message;
    }
};

TEST_F(ImportTest, AFixtureImportedIntoANewFolderOpensInTheWindow) {
    std::string source = scratch_ / "resources.dll";
    std::filesystem::copy_file(DataPath("resources.dll"), source);
    ImportDialog dialog(app_->Services());
    dialog.ChooseFile(QString::fromStdString(source));
    // The proposal: the data folder (no DefaultImport setting yet) and the file's title.
    std::string data = dataFolder_.substr(0, dataFolder_.size() - 1);
    EXPECT_EQ(dialog.FolderEdit()->text().toStdString(), data + "/resources");

    std::string folder = scratch_ / "imports/resources";
    dialog.FolderEdit()->setText(QString::fromStdString(folder));
    prompter_.Answer(IDYES); // create the missing folder, parents included
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted) << LastMessage();
    EXPECT_EQ(dialog.Folder(), folder + "/");

    ASSERT_TRUE(Window().Import(dialog.File(), dialog.Folder()));
    EXPECT_TRUE(TopLabels().contains("Bitmap"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/pe.xml"));
    // The project opened is the one made in the folder; saving builds the imported file.
    EXPECT_EQ(Doc().PathName(), source);
}

TEST_F(ImportTest, RefusalsKeepTheDialogOpenWithItsFields) {
    ImportDialog dialog(app_->Services());
    std::string plain = scratch_ / "plain";
    WriteFileText(plain, "not a folder");
    dialog.ChooseFile(QString::fromStdString(DataPath("resources.dll")));
    dialog.FolderEdit()->setText(QString::fromStdString(plain));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(LastMessage(), plain + "/ is not a directory");
    EXPECT_EQ(dialog.FolderEdit()->text().toStdString(), plain);

    // A good folder and a file that holds nothing to extract.
    dialog.FolderEdit()->setText(QString::fromStdString(scratch_.Path()));
    dialog.FileEdit()->setText(QString::fromStdString(plain));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(LastMessage(),
              "The '" + plain + "' file contains no resources that Vellum can extract.");
}

// The dialog's checks let through what it can see; a decompile that fails afterwards is shown and
// logged, and the open project stays.
TEST_F(ImportTest, AFailedImportIsShownAndLoggedAndKeepsTheProject) {
    OpenFixture("resources.dll");
    std::string opened = Doc().PathName();
    std::string text = scratch_ / "notes.txt";
    WriteFileText(text, "not an executable");
    std::size_t shown = prompter_.Shown().size();
    EXPECT_FALSE(Window().Import(text, scratch_ / "out/"));
    EXPECT_EQ(prompter_.Shown().size(), shown + 1); // the error trail
    EXPECT_NE(ReadFileText(dataFolder_ + "vellum.log").find("Import " + text + " failed"),
              std::string::npos);
    EXPECT_EQ(Doc().PathName(), opened);
    EXPECT_TRUE(TopLabels().contains("Bitmap"));
}

TEST_F(ImportTest, AFolderHoldingAProjectIsTakenOnlyOnNo) {
    ImportDialog dialog(app_->Services());
    std::string taken = scratch_ / "taken";
    std::filesystem::create_directories(taken);
    WriteFileText(taken + "/old.vellum", "");
    dialog.FolderEdit()->setText("before");

    prompter_.Answer(IDYES); // pick a different destination
    EXPECT_FALSE(dialog.ChooseFolder(QString::fromStdString(taken)));
    EXPECT_EQ(dialog.FolderEdit()->text(), "before");
    EXPECT_EQ(LastMessage(), "A vellum file already exists in the directory you have chosen.\r\n"
                             "\r\nDo you want to pick a different destination?");

    prompter_.Answer(IDCANCEL); // keep the old choice
    EXPECT_TRUE(dialog.ChooseFolder(QString::fromStdString(taken)));
    EXPECT_EQ(dialog.FolderEdit()->text(), "before");

    prompter_.Answer(IDNO); // take it
    EXPECT_TRUE(dialog.ChooseFolder(QString::fromStdString(taken)));
    EXPECT_EQ(dialog.FolderEdit()->text().toStdString(), taken);
}

} // namespace

} // namespace vellum::test
