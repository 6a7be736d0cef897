// Walking the manifest through the project: the window holds manifest nodes only as handles and
// asks the project for everything around them.
#include "project/ProjectFixture.h"

#include <gtest/gtest.h>

namespace vellum::test {
namespace {

// MYTYPE holds DATA in two languages; type 3 holds icon 7.
std::string NavigationManifest() {
    std::string data = "<Entry Name='DATA' Directory='1'><Directory Type='0' Name='DATA' "
                       "Named_Entries='0' ID_Entries='2'>"
                       "<Entry ID='1033' Directory='0'><File Name='DATA.BIN' Size='1'/></Entry>"
                       "<Entry ID='1031' Directory='0'><File Name='DATA-1031.BIN' Size='1'/>"
                       "</Entry></Directory></Entry>\r\n";
    return ManifestXml(1, 1,
                       TypeXml("Name", "MYTYPE", 1, 0, data) +
                           TypeXml("ID", "3", 0, 1, IdResourceXml(7, "Icon00007.ICO")));
}

TEST(ProjectNavigation, LanguageResourceAndTypeEntriesLeadToEachOther) {
    ProjectFixture f(NavigationManifest());
    Project& p = f.project;
    XmlNode* type = p.FindNamedType("MYTYPE");
    ASSERT_NE(type, nullptr);
    XmlNode* data = p.ResourcesOf(type).at(0);
    XmlNode* english = Project::FirstLanguageOf(data);

    EXPECT_EQ(Project::FileOfLanguage(english), Project::FileOf(data));
    EXPECT_EQ(p.Text(Project::FileOfLanguage(english), "Name"), "DATA.BIN");
    EXPECT_EQ(Project::ResourceOfLanguage(english), data);
    EXPECT_EQ(Project::TypeOfResource(data), type);

    // The second language is reached through the children of the resource's Directory.
    std::vector<XmlNode*> directories = Project::ChildrenOf(data);
    ASSERT_EQ(directories.size(), 1u);
    std::vector<XmlNode*> languages = Project::ChildrenOf(directories[0]);
    ASSERT_EQ(languages.size(), 2u);
    EXPECT_EQ(languages[0], english);
    EXPECT_EQ(p.Text(Project::FileOfLanguage(languages[1]), "Name"), "DATA-1031.BIN");
    EXPECT_EQ(Project::ResourceOfLanguage(languages[1]), data);

    XmlNode* icon = p.ResourcesOf(p.FindType(3)).at(0);
    EXPECT_EQ(Project::TypeOfResource(icon), p.FindType(3));
    EXPECT_EQ(Project::ResourceOfLanguage(Project::FirstLanguageOf(icon)), icon);
}

// Tree items carry type entries and the root too: asked for what they are not, the accessors
// give nothing rather than a neighbouring element.
TEST(ProjectNavigation, NodesOfTheWrongLevelGiveNothing) {
    ProjectFixture f(NavigationManifest());
    Project& p = f.project;
    XmlNode* type = p.FindNamedType("MYTYPE");
    XmlNode* data = p.ResourcesOf(type).at(0);

    EXPECT_EQ(Project::FileOfLanguage(data), nullptr) << "its first child is a Directory";
    EXPECT_EQ(Project::FileOfLanguage(type), nullptr);
    EXPECT_EQ(Project::FileOfLanguage(Project::FileOf(data)), nullptr);
    EXPECT_EQ(Project::FileOfLanguage(nullptr), nullptr);
    EXPECT_EQ(Project::TypeOfResource(type), nullptr) << "the root Directory has no owner";
    EXPECT_EQ(Project::ResourceOfLanguage(p.RootDirectory()), nullptr);
    EXPECT_EQ(Project::ResourceOfLanguage(nullptr), nullptr);
    EXPECT_TRUE(Project::ChildrenOf(Project::FileOf(data)).empty());
    EXPECT_TRUE(Project::ChildrenOf(nullptr).empty());
}

TEST(ProjectNavigation, EntryLabelsAreNameElseIdAndOnlyForEntries) {
    ProjectFixture f(NavigationManifest());
    Project& p = f.project;
    std::vector<std::string> labels;
    for (XmlNode* child : Project::ChildrenOf(p.RootDirectory()))
        labels.push_back(p.EntryLabel(child));
    EXPECT_EQ(labels, (std::vector<std::string>{"DOSHEADER", "NTHEADER", "MYTYPE", "3"}));

    XmlNode* data = p.ResourcesOf(p.FindNamedType("MYTYPE")).at(0);
    EXPECT_EQ(p.EntryLabel(Project::FirstLanguageOf(data)), "1033");
    // A File line and a Directory carry Name attributes too, but they are no entries.
    EXPECT_EQ(p.EntryLabel(Project::FileOf(data)), "");
    EXPECT_EQ(p.EntryLabel(Project::ChildrenOf(data).at(0)), "");
    EXPECT_EQ(p.EntryLabel(nullptr), "");
}

} // namespace
} // namespace vellum::test
