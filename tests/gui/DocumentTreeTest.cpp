// Opening an executable in the window: the tree the manifest gives, and what the document keeps.
#include "GuiFixture.h"
#include "application/StartDocument.h"

#include <QSignalSpy>

namespace vellum::test {

TEST_F(GuiTest, OpeningADllFillsTheTreeWithTypesResourcesAndLanguages) {
    StartApp();
    std::string dll = OpenFixture("resources.dll");
    EXPECT_EQ(Doc().PathName(), dll);
    EXPECT_FALSE(Doc().IsBlank());
    EXPECT_TRUE(std::filesystem::exists(gui::WorkFolder(dataFolder_) + "resources.vellum"));

    QStringList types = TopLabels();
    for (const char* label : {"DOSHEADER", "NTHEADER", "MYTYPE", "Cursor", "Bitmap", "Icon",
                              "String Table", "Icon Group", "Version Info"})
        EXPECT_TRUE(types.contains(label)) << label;
    // Manifest order, not sorted: the header pseudo-types come first.
    EXPECT_EQ(types.first(), "DOSHEADER");

    QStringList bitmaps = ChildLabels("Bitmap");
    EXPECT_EQ(bitmaps.first(), "BANNER.BMP (1033)");
    EXPECT_TRUE(bitmaps.contains("1 (1033)"));
    EXPECT_TRUE(ChildLabels("Icon Group").contains("APP (1033)"));
    // One child per language of the string blocks, in block order; 1049 is only a block's second
    // language.
    EXPECT_EQ(ChildLabels("String Table"), QStringList({"1031", "1033", "1049"}));
}

TEST_F(GuiTest, ReopeningReplacesTheTreeAndAFailedOpenKeepsTheTargetForTheNextSave) {
    StartApp();
    std::string dll = OpenFixture("resources.dll");
    std::string text = scratch_ / "notes.txt";
    WriteFileText(text, "not an executable");
    prompter_.Answer(IDOK);
    // The blank template replaces the project; compiling will create the requested file. The
    // views hear of it once: the blank template's load inside the failed one is no second load.
    QSignalSpy released(&Doc(), &gui::ProjectDocument::AboutToRelease);
    QSignalSpy loaded(&Doc(), &gui::ProjectDocument::Loaded);
    EXPECT_TRUE(Doc().Load(text));
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_GE(released.count(), 1);
    ASSERT_FALSE(prompter_.Shown().empty());
    EXPECT_EQ(Doc().SourcePath(), text);
    EXPECT_FALSE(TopLabels().contains("MYTYPE"));
    EXPECT_FALSE(TopLabels().isEmpty());
}

TEST_F(GuiTest, InsertedResourcesGoToTheirSortedPlace) {
    StartApp();
    OpenFixture("resources.dll");
    XmlNode* node = Doc().GetProject()->RootDirectory();
    Tree().InsertResourceItem("Font", "ABC (1033)", node);
    Tree().InsertResourceItem("Font", "10 (1033)", node);
    Tree().InsertResourceItem("Font", "2 (1033)", node);
    EXPECT_EQ(ChildLabels("Font"), QStringList({"ABC (1033)", "2 (1033)", "10 (1033)"}));
    // Type 8 goes between the string tables (6) and the accelerators (9).
    QStringList types = TopLabels();
    EXPECT_EQ(types.indexOf("Font"), types.indexOf("String Table") + 1);
    EXPECT_EQ(types.indexOf("Accelerators"), types.indexOf("Font") + 1);
}

} // namespace vellum::test
