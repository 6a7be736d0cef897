// Adding plain resources, and where new types and resources go in the manifest and the tree.
#include "project/AddResource.h"

#include "project/ProjectFixture.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace vellum::test {
namespace {

std::vector<std::string> RootTypes(Project& project) {
    std::vector<std::string> types;
    for (XmlNode* e = project.RootDirectory()->firstChild; e; e = e->next)
        if (project.Int(e, "Ignore") != 1)
            types.push_back(e->FindAttribute("ID") ? project.Text(e, "ID")
                                                   : project.Text(e, "Name"));
    return types;
}

std::vector<std::string> ResourceKeys(Project& project, XmlNode* type) {
    std::vector<std::string> keys;
    for (XmlNode* e : project.ResourcesOf(type))
        keys.push_back(e->FindAttribute("ID") ? project.Text(e, "ID") : project.Text(e, "Name"));
    return keys;
}

TEST(AddResource, PngBitmapIsCopiedAndRecordedAsBmpWithPngFlag) {
    ProjectFixture f(ManifestXml(0, 0, ""));
    ScratchDir source;
    WriteFileText(source / "logo.png", "first");
    ASSERT_EQ(AddResource(f.project, ClassifyResource(source / "logo.png", "LOGO", "Bitmap", "")),
              S_OK);
    EXPECT_EQ(ReadFileText(f.Path("LOGO.png")), "first");
    XmlNode* bitmap = f.project.ResourcesOf(f.project.FindType(2))[0];
    EXPECT_EQ(f.project.Text(bitmap, "Name"), "LOGO_BMP");
    XmlNode* file = Project::FileOf(bitmap);
    EXPECT_EQ(f.project.Text(file, "Name"), "LOGO.BMP");
    EXPECT_EQ(f.project.Int(file, "Png"), 1);
    EXPECT_EQ(f.project.Int(file, "Size"), 5);
    EXPECT_EQ(f.project.Int(bitmap->firstChild, "Named_Entries"), 0);
    EXPECT_EQ(f.project.Int(f.project.FindType(2)->firstChild, "Named_Entries"), 1);
    EXPECT_EQ(f.tree.ItemLabels("Bitmap"), (std::vector<std::string>{"LOGO_BMP (1033)"}));

    // The same add again is refused before anything is copied.
    WriteFileText(source / "logo.png", "second");
    std::string manifest = f.ManifestNow();
    EXPECT_TRUE(FAILED(
        AddResource(f.project, ClassifyResource(source / "logo.png", "logo", "Bitmap", "1031"))));
    EXPECT_EQ(ReadFileText(f.Path("LOGO.png")), "first");
    EXPECT_EQ(f.ManifestNow(), manifest);
}

TEST(AddResource, LanguageTextAndTypeLabels) {
    EXPECT_EQ(ClassifyResource("a.bmp", "A", "Bitmap", "").language, 1033);
    EXPECT_EQ(ClassifyResource("a.bmp", "A", "Bitmap", "1031").language, 1031);
    ResourceToAdd named = ClassifyResource("a.ini", "A", "THEMES", "");
    EXPECT_TRUE(named.namedType);
    EXPECT_FALSE(named.groupLogic);
    ResourceToAdd icon = ClassifyResource("a.ico", "A", "icon group", "");
    EXPECT_EQ(icon.type, 14);
    EXPECT_TRUE(icon.groupLogic);
    EXPECT_EQ(TypeOfAddLabel("ACCELERATOR"), 9);
}

TEST(AddResource, RefusesMissingSourcesAndNamesAndLeavesNoCopy) {
    ProjectFixture f(ManifestXml(0, 0, ""));
    ScratchDir source;
    WriteFileText(source / "x.txt", "x");
    std::string manifest = f.ManifestNow();
    EXPECT_TRUE(
        FAILED(AddResource(f.project, ClassifyResource(source / "no.txt", "X", "TXT", ""))));
    EXPECT_TRUE(FAILED(AddResource(f.project, ClassifyResource(source / "x.txt", "", "TXT", ""))));
    EXPECT_TRUE(FAILED(AddResource(f.project, ClassifyResource(source / "x.txt", "X", "", ""))));
    // A copy target that escapes the folder is made safe, never written outside it.
    ASSERT_EQ(AddResource(f.project, ClassifyResource(source / "x.txt", "../X", "TXT", "")), S_OK);
    EXPECT_EQ(f.FilesInFolder(), (std::vector<std::string>{".._X.txt", "pe.xml"}));
    EXPECT_NE(f.ManifestNow(), manifest);
}

TEST(AddResource, VisualStyleNamesGoIntoThePrefixSubfolder) {
    ProjectFixture f(ManifestXml(0, 0, ""));
    ScratchDir source;
    WriteFileText(source / "normal.ini", "ini");
    WriteFileText(source / "logo.png", "png");
    ASSERT_EQ(AddResource(f.project, ClassifyResource(source / "normal.ini", "BLUE_NORMAL",
                                                      "TEXTFILE", "", "", true)),
              S_OK);
    ASSERT_EQ(AddResource(f.project, ClassifyResource(source / "logo.png", "BLUE_LOGO", "Bitmap",
                                                      "", "", true)),
              S_OK);
    ASSERT_EQ(AddResource(f.project, ClassifyResource(source / "normal.ini", "PLAIN", "TEXTFILE",
                                                      "", "", true)),
              S_OK);
    EXPECT_EQ(ReadFileText(f.Path("BLUE/NORMAL.INI")), "ini");
    EXPECT_EQ(ReadFileText(f.Path("BLUE/LOGO.png")), "png");
    EXPECT_EQ(ReadFileText(f.Path("PLAIN.ini")), "ini");
    std::vector<std::string> stored;
    for (XmlNode* type : {f.project.FindNamedType("TEXTFILE"), f.project.FindType(2)})
        for (XmlNode* e : f.project.ResourcesOf(type))
            stored.push_back(f.project.Text(e, "Name") + " " +
                             f.project.Text(Project::FileOf(e), "Name"));
    EXPECT_EQ(stored,
              (std::vector<std::string>{"BLUE_NORMAL_INI BLUE\\NORMAL.INI", "PLAIN_INI PLAIN.ini",
                                        "BLUE_LOGO_BMP BLUE\\LOGO.BMP"}));
}

TEST(AddResource, DestinationFolderMustLieInsideTheProject) {
    ProjectFixture f(ManifestXml(0, 0, ""));
    ScratchDir source, outside;
    WriteFileText(source / "x.txt", "x");
    ASSERT_EQ(AddResource(f.project,
                          ClassifyResource(source / "x.txt", "A", "TXT", "", f.dir / "sub/deep")),
              S_OK);
    EXPECT_EQ(ReadFileText(f.Path("sub/deep/A.txt")), "x");
    EXPECT_EQ(
        f.project.Text(Project::FileOf(f.project.ResourcesOf(f.project.FindNamedType("TXT"))[0]),
                       "Name"),
        "sub\\deep\\A.txt");
    ASSERT_EQ(
        AddResource(f.project, ClassifyResource(source / "x.txt", "B", "TXT", "", f.dir / "")),
        S_OK);
    EXPECT_EQ(ReadFileText(f.Path("B.txt")), "x");

    std::string manifest = f.ManifestNow();
    std::vector<std::string> files = f.FilesInFolder();
    for (std::string destination : {outside.Path(), f.dir / "sub/../../elsewhere"})
        EXPECT_TRUE(FAILED(AddResource(
            f.project, ClassifyResource(source / "x.txt", "C", "TXT", "", destination))));
    EXPECT_EQ(f.ManifestNow(), manifest);
    EXPECT_EQ(f.FilesInFolder(), files);
    EXPECT_TRUE(std::filesystem::is_empty(outside.Path()));
}

TEST(AddResource, NewTypesAndNamesGoToTheirSortedPlaces) {
    ProjectFixture f(ManifestXml(1, 2, TypeXml("Name", "PNG", 0, 0, "") + IconTypesXml({1}, {1})));
    f.tree.AppendType("Icon");
    f.tree.AppendType("Icon Group");
    f.tree.AppendType("PNG");
    ScratchDir source;
    WriteFileText(source / "b.bmp", "BM");
    WriteFileText(source / "t.txt", "t");
    ASSERT_EQ(AddResource(f.project, ClassifyResource(source / "b.bmp", "B", "Bitmap", "")), S_OK);
    EXPECT_EQ(f.tree.TypeLabels(),
              (std::vector<std::string>{"Bitmap", "Icon", "Icon Group", "PNG"}));
    for (const char* type : {"ABC", "zz", "Mid"})
        ASSERT_EQ(AddResource(f.project, ClassifyResource(source / "t.txt", type, type, "")), S_OK);
    ASSERT_EQ(AddResource(f.project, ClassifyResource(source / "t.txt", "QQ", "PNG", "")), S_OK);
    ASSERT_EQ(AddResource(f.project, ClassifyResource(source / "b.bmp", "AB", "png", "")), S_OK);
    // Named types by upper-case name, then ID types ascending; the counts follow.
    EXPECT_EQ(RootTypes(f.project),
              (std::vector<std::string>{"ABC", "Mid", "PNG", "zz", "2", "3", "14"}));
    EXPECT_EQ(f.project.Int(f.project.RootDirectory(), "Named_Entries"), 2 + 4);
    EXPECT_EQ(f.project.Int(f.project.RootDirectory(), "ID_Entries"), 3);
    EXPECT_EQ(ResourceKeys(f.project, f.project.FindNamedType("PNG")),
              (std::vector<std::string>{"AB_BMP", "QQ_TXT"}));
    EXPECT_EQ(f.project.Int(f.project.FindNamedType("PNG")->firstChild, "Named_Entries"), 2);

    ASSERT_EQ(AddResource(f.project, ClassifyResource(source / "t.txt", "N", "Menu", "")), S_OK);
    EXPECT_EQ(ResourceKeys(f.project, f.project.FindType(4)), (std::vector<std::string>{"N_TXT"}));
}

TEST(AddResource, NamedResourcesPrecedeIdsInTheirType) {
    ProjectFixture f(ManifestXml(
        0, 1, TypeXml("ID", "10", 0, 2, IdResourceXml(2, "a") + IdResourceXml(10, "b"))));
    XmlNode* type = f.project.FindType(10);
    XmlNode* named = f.project.InsertNamedResource(type, "ABC", 1033, "ABC.bin", 1, false);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(ResourceKeys(f.project, type), (std::vector<std::string>{"ABC", "2", "10"}));
    EXPECT_EQ(f.project.Int(type->firstChild, "Named_Entries"), 1);
    EXPECT_EQ(f.project.Int(type->firstChild, "ID_Entries"), 2);
}

TEST(TreeOrder, TypesByNumberAndResourcesTextFirst) {
    EXPECT_TRUE(TypeLabelSortsBefore("Bitmap", "Icon"));
    EXPECT_TRUE(TypeLabelSortsBefore("PNG", "Bitmap"));
    EXPECT_TRUE(TypeLabelSortsBefore("ABC", "PNG"));
    EXPECT_FALSE(TypeLabelSortsBefore("Icon", "Icon"));
    EXPECT_EQ(TypeInsertPosition({"Icon", "Icon Group", "PNG"}, "Bitmap"), 0u);
    EXPECT_EQ(TypeItemLabel("14"), "Icon Group");
    EXPECT_EQ(TypeItemLabel("24"), "Manifest");
    EXPECT_EQ(TypeItemLabel("THEMES"), "THEMES");
    EXPECT_EQ(TypeItemLabel("13"), "13");

    RecordingTreeSink tree;
    for (const char* label : {"10 (1033)", "ABC (1033)", "2 (1033)", "2 (1031)", "9x (1033)"})
        tree.InsertResourceItem("RC Data", label, nullptr);
    EXPECT_EQ(
        tree.ItemLabels("RC Data"),
        (std::vector<std::string>{"ABC (1033)", "2 (1031)", "2 (1033)", "9x (1033)", "10 (1033)"}));
}

} // namespace
} // namespace vellum::test
