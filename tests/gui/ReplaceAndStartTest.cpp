// Replacing a resource's file from the viewers, and the start document chosen from the recent
// file.
#include "GuiFixture.h"
#include "application/StartDocument.h"
#include "views/ReplaceFile.h"

namespace vellum::test {

class ReplaceTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        StartApp();
        OpenFixture("resources.dll");
        Select("Bitmap", "BANNER.BMP (1033)");
        project_ = Doc().GetProject();
        fileNode_ = Project::FileOfLanguage(SelectedNode());
        current_ = project_->Folder() + "BANNER.BMP";
    }

    XmlNode* SelectedNode() { return gui::ResourceTreeWidget::NodeOf(Tree().currentItem()); }

    Project* project_ = nullptr;
    XmlNode* fileNode_ = nullptr;
    std::string current_;
};

TEST_F(ReplaceTest, ADifferentExtensionAsksAndNoLeavesEverythingAlone) {
    std::string chosen = scratch_ / "other.png";
    WriteFileText(chosen, "png bytes");
    prompter_.Answer(IDNO);
    EXPECT_FALSE(gui::ReplaceResourceFile(current_, chosen, *project_, fileNode_, prompter_));
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    EXPECT_EQ(project_->Text(fileNode_, "Name"), "BANNER.BMP");
    EXPECT_FALSE(std::filesystem::exists(project_->Folder() + "other.png"));
}

TEST_F(ReplaceTest, YesCopiesIntoTheProjectAndRenamesAPngAsABitmap) {
    std::string chosen = scratch_ / "other.png";
    WriteFileText(chosen, "png bytes");
    prompter_.Answer(IDYES);
    auto target = gui::ReplaceResourceFile(current_, chosen, *project_, fileNode_, prompter_);
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, project_->Folder() + "other.png");
    EXPECT_EQ(ReadFileText(*target), "png bytes");
    EXPECT_EQ(project_->Text(fileNode_, "Name"), "other.BMP");
    EXPECT_EQ(project_->Int(fileNode_, "Png"), 1) << "the compiler reads other.png";
}

TEST_F(ReplaceTest, AResourceOtherThanABitmapKeepsThePngName) {
    Select("RC Data", "CONFIG (1033)");
    XmlNode* file = Project::FileOfLanguage(SelectedNode());
    std::string current = project_->DataFilePath(file);
    std::string chosen = scratch_ / "blob.png";
    WriteFileText(chosen, "png bytes");
    prompter_.Answer(IDYES);
    auto target = gui::ReplaceResourceFile(current, chosen, *project_, file, prompter_);
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, project_->Folder() + "blob.png");
    EXPECT_EQ(project_->Text(file, "Name"), "blob.png");
    EXPECT_EQ(file->FindAttribute("Png"), nullptr);
}

TEST_F(ReplaceTest, TheSameExtensionReplacesWithoutAskingAndTheSameFileDoesNothing) {
    std::string chosen = scratch_ / "banner2.bmp";
    WriteFileText(chosen, "BM");
    EXPECT_TRUE(gui::ReplaceResourceFile(current_, chosen, *project_, fileNode_, prompter_));
    EXPECT_TRUE(prompter_.Shown().empty());
    EXPECT_FALSE(gui::ReplaceResourceFile(current_, current_, *project_, fileNode_, prompter_));
}

// A file from another project may carry the name of one of this project's files; copying it
// over that file would silently change another resource or the manifest.
TEST_F(ReplaceTest, AChosenNameThatAnotherProjectFileHasIsToldApart) {
    std::string bitmap1 = project_->Folder() + "Bitmap00001.BMP";
    std::string before = ReadFileText(bitmap1);
    std::string chosen = scratch_ / "Bitmap00001.BMP";
    WriteFileText(chosen, "BM from elsewhere");
    auto target = gui::ReplaceResourceFile(current_, chosen, *project_, fileNode_, prompter_);
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, project_->Folder() + "Bitmap00001-2.BMP");
    EXPECT_EQ(project_->Text(fileNode_, "Name"), "Bitmap00001-2.BMP");
    EXPECT_EQ(ReadFileText(bitmap1), before) << "bitmap 1 keeps its own file";

    Select("RC Data", "CONFIG (1033)");
    XmlNode* file = Project::FileOfLanguage(SelectedNode());
    std::string manifest = ReadFileText(project_->Folder() + "pe.xml");
    std::string named = scratch_ / "pe.xml";
    WriteFileText(named, "not a manifest");
    prompter_.Answer(IDYES);
    target =
        gui::ReplaceResourceFile(project_->DataFilePath(file), named, *project_, file, prompter_);
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, project_->Folder() + "pe-2.xml");
    EXPECT_EQ(ReadFileText(project_->Folder() + "pe.xml"), manifest);

    // Replacing a resource's file by a file of the same name again overwrites its own file.
    WriteFileText(named, "newer");
    target = gui::ReplaceResourceFile(*target, named, *project_, file, prompter_);
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, project_->Folder() + "pe-2.xml");
    EXPECT_EQ(ReadFileText(*target), "newer");
}

TEST(StartDocumentTest, TheRecentFilesProjectInTheWorkFolderElseTheBlankTemplate) {
    ScratchDir data;
    std::filesystem::create_directories(gui::WorkFolder(data.Path()));
    gui::StartDocument start = gui::ChooseStartDocument("C:\\x\\theme.msstyles", data.Path());
    EXPECT_TRUE(start.blank);
    EXPECT_EQ(start.path, data.Path() + "blank.dll");

    WriteFileText(gui::WorkFolder(data.Path()) + "theme.vellum", "<ROOT/>");
    start = gui::ChooseStartDocument("C:\\x\\theme.msstyles", data.Path());
    EXPECT_FALSE(start.blank);
    EXPECT_EQ(start.path, gui::WorkFolder(data.Path()) + "theme.vellum");
    EXPECT_TRUE(gui::ChooseStartDocument("", data.Path()).blank);
}

} // namespace vellum::test
