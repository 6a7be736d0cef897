// The tree's Delete command and saving: the questions asked, the manifest edits, and a compiled
// file another PE reader accepts.
#include "GuiFixture.h"
#include "project/GroupEditor.h"
#include "project/Project.h"

#include <cstdlib>

namespace vellum::test {

namespace {

XmlNode* IconGroup(Project& project, const std::string& name) {
    for (XmlNode* group : project.ResourcesOf(project.FindType(kResourceIconGroup)))
        if (project.ResourceLabel(group) == name)
            return group;
    return nullptr;
}

} // namespace

TEST_F(GuiTest, DeletingAGroupMemberAnsweringNoShrinksTheGroup) {
    StartApp();
    OpenFixture("resources.dll");
    Project& project = *Doc().GetProject();
    GroupEditor groups(project);
    ASSERT_EQ(groups.GroupMembers(IconGroup(project, "1 (1033)")).size(), 5u);

    ASSERT_NE(Select("Icon", "3 (1033)"), nullptr);
    prompter_.Answer(IDNO);
    ASSERT_TRUE(View().DeleteResource());
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    EXPECT_EQ(prompter_.Shown()[0].title, "Remove Resource");
    EXPECT_EQ(prompter_.Shown()[0].buttons.size(), 3u);

    EXPECT_EQ(groups.GroupMembers(IconGroup(project, "1 (1033)")), std::vector<int>({1, 2, 4, 5}));
    EXPECT_FALSE(ChildLabels("Icon").contains("3 (1033)"));
    EXPECT_TRUE(ChildLabels("Icon Group").contains("1 (1033)"));
    // The item after the removed one is selected.
    EXPECT_EQ(Tree().currentItem()->text(0), "4 (1033)");
}

TEST_F(GuiTest, DeletingTheLastResourceOfATypeRemovesTheTypeAndCancelKeepsIt) {
    StartApp();
    OpenFixture("resources.dll");
    ASSERT_NE(Select("Version Info", "1 (1033)"), nullptr);
    prompter_.Answer(IDNO);
    EXPECT_FALSE(View().DeleteResource());
    EXPECT_TRUE(TopLabels().contains("Version Info"));

    prompter_.Answer(IDYES);
    EXPECT_TRUE(View().DeleteResource());
    EXPECT_FALSE(TopLabels().contains("Version Info"));
    EXPECT_EQ(prompter_.Shown().back().message, "Remove resource \"1 (1033)\"\n");
}

TEST_F(GuiTest, SavingCompilesAFileThatPefileReads) {
    StartApp();
    std::string dll = OpenFixture("resources.dll");
    ASSERT_NE(Select("Version Info", "1 (1033)"), nullptr);
    prompter_.Answer(IDYES);
    ASSERT_TRUE(View().DeleteResource());

    std::string target = scratch_ / "saved.dll";
    Doc().chooseSavePath = [&](const std::string& proposed) {
        EXPECT_EQ(proposed, "resources.dll");
        return target;
    };
    prompter_.Answer(IDYES); // copy the compiled file to the chosen place
    ASSERT_TRUE(Doc().SaveAs());
    ASSERT_TRUE(std::filesystem::exists(target));
    EXPECT_EQ(Doc().PathName(), target);
    EXPECT_FALSE(TopLabels().contains("Version Info")) << "the document shows the compiled file";

    std::string script = "import pefile,sys; pe=pefile.PE(sys.argv[1]); "
                         "ids=[e.id for e in pe.DIRECTORY_ENTRY_RESOURCE.entries]; "
                         "sys.exit(0 if 3 in ids and 16 not in ids else 1)";
    std::string command = "/usr/bin/python3 -c '" + script + "' '" + target + "'";
    if (std::system("/usr/bin/python3 -c 'import pefile' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-pefile is not installed";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

} // namespace vellum::test

namespace vellum::test {

// Every language of a resource is an item of its own: it can be selected, Delete takes only that
// language, and the saved file keeps the others.
TEST_F(GuiTest, EachLanguageIsAnItemAndDeleteTakesOnlyThatLanguage) {
    StartApp();
    OpenFixture("localized.dll");
    EXPECT_EQ(ChildLabels("Bitmap"), QStringList({"DUO.BMP (1031)", "DUO.BMP (1041)"}));
    EXPECT_EQ(ChildLabels("Dialog"), QStringList({"100 (1031)", "100 (1041)"}));
    EXPECT_EQ(ChildLabels("String Table"), QStringList({"1031", "1041"}));
    QTreeWidgetItem* japanese = Select("Dialog", "100 (1041)");
    ASSERT_NE(japanese, nullptr);
    XmlNode* language = gui::ResourceTreeWidget::NodeOf(japanese);
    EXPECT_EQ(Project::Int(language, "ID"), 1041) << "the item holds its own language";

    prompter_.Answer(IDYES);
    ASSERT_TRUE(View().DeleteResource());
    EXPECT_EQ(prompter_.Shown().back().message, "Remove resource \"100 (1041)\"\n");
    EXPECT_EQ(ChildLabels("Dialog"), QStringList({"100 (1031)"}));
    EXPECT_EQ(Tree().currentItem()->text(0), "String Table") << "the next item is selected";

    std::string target = scratch_ / "saved.dll";
    Doc().chooseSavePath = [&](const std::string&) { return target; };
    prompter_.Answer(IDYES);
    ASSERT_TRUE(Doc().SaveAs());
    EXPECT_EQ(ChildLabels("Dialog"), QStringList({"100 (1031)"}));
    EXPECT_EQ(ChildLabels("Bitmap"), QStringList({"DUO.BMP (1031)", "DUO.BMP (1041)"}));
    if (std::system("/usr/bin/python3 -c 'import pefile' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-pefile is not installed";
    std::string script = "import pefile,sys; pe=pefile.PE(sys.argv[1]); "
                         "langs=lambda t: sorted(l.id for e in pe.DIRECTORY_ENTRY_RESOURCE.entries "
                         "if e.id==t for n in e.directory.entries for l in n.directory.entries); "
                         "sys.exit(0 if langs(5)==[1031] and langs(2)==[1031,1041] else 1)";
    EXPECT_EQ(std::system(("/usr/bin/python3 -c '" + script + "' '" + target + "'").c_str()), 0);
}

} // namespace vellum::test
