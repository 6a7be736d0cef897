// Icon groups: adding .ico files, the IDs they get, the files written, and deleting members and
// groups through the Delete command's answers.
#include "common/FileIo.h"
#include "common/Strings.h"
#include "project/DeleteCommand.h"
#include "project/ProjectFixture.h"

#include <gtest/gtest.h>

namespace vellum::test {
namespace {

std::vector<int> Ids(Project& project, int type) {
    std::vector<int> ids;
    for (XmlNode* entry : project.ResourcesOf(project.FindType(type)))
        ids.push_back(project.Int(entry, "ID"));
    return ids;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> ids;
    for (int id = from; id <= to; ++id)
        ids.push_back(id);
    return ids;
}

std::vector<int> Concat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Three 16x16 4-bit images of 40 + 8, 40 + 9 and 40 + 10 bytes.
std::string WriteThreeImageIcon(const ScratchDir& dir) {
    std::string path = dir / "app.ico";
    std::vector<std::uint8_t> bytes =
        IconFileOf({DibImage(16, 8), DibImage(16, 9), DibImage(16, 10)});
    WriteWholeFile(path, bytes.data(), bytes.size());
    return path;
}

XmlNode* TypeDirectory(Project& project, int type) {
    XmlNode* entry = project.FindType(type);
    return entry ? entry->firstChild : nullptr;
}

TEST(FreeIds, RunsFillTheFirstGapThatIsLargeEnough) {
    EXPECT_EQ(FirstFreeId({}), 1);
    EXPECT_EQ(FirstFreeId({1, 2, 4}), 3);
    EXPECT_EQ(FirstFreeId({4, 2, 1}), 3);
    EXPECT_EQ(FirstFreeRun(Concat(Range(1, 4), Range(9, 20)), 3), 5);
    EXPECT_EQ(FirstFreeRun(Concat(Range(1, 4), Range(8, 20)), 4), 21);
    EXPECT_EQ(FirstFreeRun({5, 6}, 4), 1);
    EXPECT_EQ(FirstFreeRun(Range(1, 65534), 2), 0);
}

TEST(AddIconFile, FillsTheGapsOfAProjectWithIconsAndGroups) {
    ProjectFixture f(ManifestXml(0, 2, IconTypesXml(Concat(Range(1, 4), Range(9, 20)), {1, 2, 4})));
    GroupAdded added;
    ASSERT_EQ(f.groups.AddIconOrCursorFile(WriteThreeImageIcon(f.dir), "APP", 1033, &added), S_OK);
    EXPECT_EQ(added.groupId, 3);
    EXPECT_EQ(added.memberIds, (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(Ids(f.project, 3), Concat(Range(1, 7), Range(9, 20)));
    EXPECT_EQ(Ids(f.project, 14), Range(1, 4));
    EXPECT_EQ(f.project.Int(TypeDirectory(f.project, 3), "ID_Entries"), 19);
    EXPECT_EQ(f.project.Int(TypeDirectory(f.project, 14), "ID_Entries"), 4);
    EXPECT_EQ(f.tree.ItemLabels("Icon Group"), (std::vector<std::string>{"3 (1033)"}));
    EXPECT_EQ(f.tree.ItemLabels("Icon"),
              (std::vector<std::string>{"5 (1033)", "6 (1033)", "7 (1033)"}));
}

TEST(AddIconFile, WritesGroupAndMemberFilesByteForByte) {
    ProjectFixture f(ManifestXml(0, 0, ""));
    ASSERT_EQ(f.groups.AddIconOrCursorFile(WriteThreeImageIcon(f.dir), "APP", 1033), S_OK);
    EXPECT_EQ(Ids(f.project, 3), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Ids(f.project, 14), (std::vector<int>{1}));
    // Types were created in loader order and counted at the root.
    XmlNode* root = f.project.RootDirectory();
    EXPECT_EQ(f.project.Int(root, "ID_Entries"), 2);
    EXPECT_EQ(
        f.project.Int(f.project.FileOf(f.project.ResourcesOf(f.project.FindType(14))[0]), "Size"),
        48);
    EXPECT_LT(f.ManifestNow().find("ID=\"3\""), f.ManifestNow().find("ID=\"14\""));

    // Group: reserved, type 1, count 3; entries width 16, height 16, 16 colours, planes 1,
    // bit count 4, bytes, ID.
    std::vector<std::uint8_t> group{0, 0, 1,  0,  3,  0,  16, 16, 16, 0, 1,  0, 4,  0, 48, 0,
                                    0, 0, 1,  0,  16, 16, 16, 0,  1,  0, 4,  0, 49, 0, 0,  0,
                                    2, 0, 16, 16, 16, 0,  1,  0,  4,  0, 50, 0, 0,  0, 3,  0};
    EXPECT_EQ(ReadFileBytes(f.Path("APP_ICO")), group);
    std::vector<std::uint8_t> member{0, 0, 1, 0,  1, 0, 16, 16, 16, 0, 0,
                                     0, 0, 0, 49, 0, 0, 0,  22, 0,  0, 0};
    std::vector<std::uint8_t> image = DibImage(16, 9);
    member.insert(member.end(), image.begin(), image.end());
    EXPECT_EQ(ReadFileBytes(f.Path("Icon00002.ico")), member);
    EXPECT_EQ(f.FilesInFolder(),
              (std::vector<std::string>{"APP_ICO", "Icon00001.ico", "Icon00002.ico",
                                        "Icon00003.ico", "app.ico", "pe.xml"}));
}

TEST(AddIconFile, UnnamedGroupFileIsNamedByTypeAndId) {
    ProjectFixture f(ManifestXml(0, 2, IconTypesXml({1}, {1, 2, 3})));
    GroupAdded added;
    ASSERT_EQ(f.groups.AddIconOrCursorFile(WriteThreeImageIcon(f.dir), "", 1033, &added), S_OK);
    EXPECT_EQ(added.groupFile, "1400004_ICO");
}

TEST(AddIconFile, PngImagesTakeTheirSizeFromThePngHeader) {
    ProjectFixture f(ManifestXml(0, 0, ""));
    std::vector<std::uint8_t> ico = IconFileOf({PngImage(256, 256), PngImage(48, 32)}, false, 7);
    WriteWholeFile(f.Path("big.ico"), ico.data(), ico.size());
    ASSERT_EQ(f.groups.AddIconOrCursorFile(f.Path("big.ico"), "BIG", 1033), S_OK);
    std::vector<std::uint8_t> group = ReadFileBytes(f.Path("BIG_ICO"));
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    EXPECT_EQ(group[6], 0); // 256 is stored as 0
    EXPECT_EQ(group[7], 0);
    EXPECT_EQ(group[20], 48);
    EXPECT_EQ(group[21], 32);
    std::vector<std::uint8_t> member = ReadFileBytes(f.Path("Icon00002.ico"));
    EXPECT_EQ(member[6], 48);
    EXPECT_EQ(member[7], 32);
}

TEST(AddIconFile, CursorGroupEntriesCountTheHotSpot) {
    ProjectFixture f(ManifestXml(0, 0, ""));
    std::vector<std::uint8_t> cur = IconFileOf({DibImage(32, 4)}, true);
    WriteWholeFile(f.Path("arrow.cur"), cur.data(), cur.size());
    ASSERT_EQ(f.groups.AddIconOrCursorFile(f.Path("arrow.cur"), "ARROW", 1033), S_OK);
    EXPECT_EQ(Ids(f.project, 1), (std::vector<int>{1}));
    EXPECT_EQ(Ids(f.project, 12), (std::vector<int>{1}));
    // width 32, height 64 (both masks), planes 1, bit count 4, 44 + 4 bytes, ID 1
    std::vector<std::uint8_t> group{0, 0, 2, 0, 1, 0, 32, 0, 64, 0, 1, 0, 4, 0, 48, 0, 0, 0, 1, 0};
    EXPECT_EQ(ReadFileBytes(f.Path("ARROW_CUR")), group);
    std::vector<std::uint8_t> member = ReadFileBytes(f.Path("Cursor00001.cur"));
    EXPECT_EQ(std::vector<std::uint8_t>(member.begin() + 10, member.begin() + 14),
              (std::vector<std::uint8_t>{3, 0, 5, 0})); // the hot spot
}

TEST(AddIconFile, RefusalsChangeNothing) {
    ProjectFixture f(ManifestXml(0, 0, ""));
    ASSERT_EQ(f.groups.AddIconOrCursorFile(WriteThreeImageIcon(f.dir), "APP", 1033), S_OK);
    std::string manifest = f.ManifestNow();
    std::vector<std::string> files = f.FilesInFolder();
    std::vector<std::uint8_t> groupBefore = ReadFileBytes(f.Path("APP_ICO"));

    // The name is taken within the type (case ignored).
    EXPECT_TRUE(FAILED(f.groups.AddIconOrCursorFile(f.Path("app.ico"), "app", 1033)));
    // An image that runs past the end of the file.
    std::vector<std::uint8_t> bad = IconFileOf({DibImage(16, 8)});
    bad.resize(bad.size() - 1);
    WriteWholeFile(f.Path("bad.ico"), bad.data(), bad.size());
    EXPECT_TRUE(FAILED(f.groups.AddIconOrCursorFile(f.Path("bad.ico"), "BAD", 1033)));
    ASSERT_EQ(f.prompter.Shown().size(), 1u);
    EXPECT_EQ(f.prompter.Shown()[0].title, "ERROR: Invalid Icon");
    // Too short to hold a header, and a header that claims more entries than the file holds.
    WriteFileText(f.Path("tiny.ico"), std::string("\0\0\1\0\5\0", 6) + "abcdefg");
    EXPECT_TRUE(FAILED(f.groups.AddIconOrCursorFile(f.Path("tiny.ico"), "TINY", 1033)));
    EXPECT_TRUE(FAILED(f.groups.AddIconOrCursorFile(f.Path("missing.ico"), "M", 1033)));

    EXPECT_EQ(f.ManifestNow(), manifest);
    std::vector<std::string> now = f.FilesInFolder();
    std::erase(now, "bad.ico");
    std::erase(now, "tiny.ico");
    EXPECT_EQ(now, files);
    EXPECT_EQ(ReadFileBytes(f.Path("APP_ICO")), groupBefore);
}

// The project of the first test after adding app.ico: icons 1-20, groups 1-4, group 3 listing
// 5, 6 and 7.
struct GroupedProject : ProjectFixture {
    GroupedProject()
        : ProjectFixture(
              ManifestXml(0, 2, IconTypesXml(Concat(Range(1, 4), Range(9, 20)), {1, 2, 4}))) {
        f_group = "APP_ICO";
        EXPECT_EQ(groups.AddIconOrCursorFile(WriteThreeImageIcon(dir), "APP", 1033), S_OK);
    }
    XmlNode* Item(int type, int id) {
        for (XmlNode* entry : project.ResourcesOf(project.FindType(type)))
            if (project.Int(entry, "ID") == id)
                return Project::FirstLanguageOf(entry);
        return nullptr;
    }
    std::string f_group;
};

TEST(DeleteMember, AnsweringNoKeepsTheGroupWithoutTheMember) {
    GroupedProject f;
    std::optional<DeleteTarget> target = LocateDeleteTarget(f.Item(3, 6));
    ASSERT_TRUE(target);
    EXPECT_EQ(target->kind, DeleteKind::Member);
    DeleteQuestion question = QuestionFor(*target, "6 (1033)");
    EXPECT_EQ(question.style, unsigned(MB_YESNOCANCEL));
    EXPECT_EQ(question.caption, "Remove Resource");

    bool removed = false;
    ASSERT_EQ(ApplyDeleteAnswer(f.project, *target, IDCANCEL, &removed), S_OK);
    EXPECT_FALSE(removed);
    ASSERT_EQ(ApplyDeleteAnswer(f.project, *target, IDNO, &removed), S_OK);
    EXPECT_TRUE(removed);

    std::vector<std::uint8_t> group{0, 0, 1, 0,  2,  0,  16, 16, 16, 0, 1, 0,  4, 0, 48, 0, 0,
                                    0, 5, 0, 16, 16, 16, 0,  1,  0,  4, 0, 50, 0, 0, 0,  7, 0};
    EXPECT_EQ(ReadFileBytes(f.Path("APP_ICO")), group);
    EXPECT_EQ(Ids(f.project, 3), Concat(Concat(Range(1, 5), {7}), Range(9, 20)));
    EXPECT_EQ(Ids(f.project, 14), Range(1, 4));
    EXPECT_EQ(f.tree.ItemLabels("Icon"), (std::vector<std::string>{"5 (1033)", "7 (1033)"}));
}

TEST(DeleteMember, TheLastMemberTakesItsGroupAlong) {
    ProjectFixture f(ManifestXml(0, 0, ""));
    std::vector<std::uint8_t> ico = IconFileOf({DibImage(16, 3)});
    WriteWholeFile(f.Path("one.ico"), ico.data(), ico.size());
    ASSERT_EQ(f.groups.AddIconOrCursorFile(f.Path("one.ico"), "ONE", 1033), S_OK);
    XmlNode* member = Project::FirstLanguageOf(f.project.ResourcesOf(f.project.FindType(3))[0]);
    std::optional<DeleteTarget> target = LocateDeleteTarget(member);
    bool removed = false;
    ASSERT_EQ(ApplyDeleteAnswer(f.project, *target, IDNO, &removed), S_OK);
    EXPECT_EQ(f.project.FindType(3), nullptr);
    EXPECT_EQ(f.project.FindType(14), nullptr);
    EXPECT_EQ(f.project.Int(f.project.RootDirectory(), "ID_Entries"), 0);
    EXPECT_TRUE(f.tree.Types().empty());
}

TEST(DeleteGroup, AnsweringYesRemovesTheGroupAndItsMembers) {
    GroupedProject f;
    std::optional<DeleteTarget> target = LocateDeleteTarget(f.Item(14, 3));
    ASSERT_TRUE(target);
    EXPECT_EQ(target->kind, DeleteKind::Group);
    bool removed = false;
    ASSERT_EQ(ApplyDeleteAnswer(f.project, *target, IDNO, &removed), S_OK);
    EXPECT_FALSE(removed);
    ASSERT_EQ(ApplyDeleteAnswer(f.project, *target, IDYES, &removed), S_OK);
    EXPECT_TRUE(removed);
    EXPECT_EQ(Ids(f.project, 14), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(Ids(f.project, 3), Concat(Range(1, 4), Range(9, 20)));
    EXPECT_EQ(f.project.Int(TypeDirectory(f.project, 3), "ID_Entries"), 16);
    EXPECT_EQ(f.project.Int(TypeDirectory(f.project, 14), "ID_Entries"), 3);
    EXPECT_TRUE(f.tree.Types().empty()); // the items added for the group are gone again
}

TEST(DeleteMember, AnsweringYesDeletesEveryGroupListingIt) {
    GroupedProject f;
    std::vector<std::uint8_t> ico = IconFileOf({DibImage(16, 3)});
    WriteWholeFile(f.Path("one.ico"), ico.data(), ico.size());
    ASSERT_EQ(f.groups.AddIconOrCursorFile(f.Path("one.ico"), "ONE", 1033), S_OK); // 5: icon 8
    std::optional<DeleteTarget> target = LocateDeleteTarget(f.Item(3, 7));
    bool removed = false;
    ASSERT_EQ(ApplyDeleteAnswer(f.project, *target, IDYES, &removed), S_OK);
    EXPECT_EQ(Ids(f.project, 14), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_EQ(Ids(f.project, 3), Concat(Range(1, 4), Range(8, 20)));
}

TEST(RemoveEntry, CountsFollowAndEmptyTypesClimbAway) {
    ProjectFixture f(ManifestXml(
        1, 2,
        TypeXml("Name", "PNG", 1, 0,
                "<Entry Name='A' Directory='1'><Directory Type='0' Name='A' Named_Entries='0' "
                "ID_Entries='1'><Entry ID='1033' Directory='0'><File Name='A.png' Size='3' "
                "Start='00001000' End='00001003'/></Entry></Directory></Entry>") +
            IconTypesXml({1, 2}, {})));
    XmlNode* named = f.project.ResourcesOf(f.project.FindNamedType("png"))[0];
    EntryRange range = f.project.GetEntryRange(Project::FirstLanguageOf(named));
    EXPECT_EQ(range.start, "00001000");
    EXPECT_EQ(range.end, "00001003");
    f.project.RemoveEntry(named);
    EXPECT_EQ(f.project.FindNamedType("PNG"), nullptr);
    EXPECT_EQ(f.project.Int(f.project.RootDirectory(), "Named_Entries"), 2); // the headers
    f.project.RemoveEntry(f.project.ResourcesOf(f.project.FindType(3))[0]);
    EXPECT_EQ(f.project.Int(TypeDirectory(f.project, 3), "ID_Entries"), 1);
    EXPECT_EQ(f.project.Int(f.project.RootDirectory(), "ID_Entries"), 2);
}

} // namespace
} // namespace vellum::test

namespace vellum::test {

// One language of a group in two languages goes on its own, with the plain question: the other
// language still lists the members, so none of them goes. The last language takes the group.
TEST(DeleteLanguage, OneLanguageOfAGroupGoesAloneAndTheLastTakesTheResource) {
    std::string group = "<Entry ID='1' Directory='1'><Directory Type='1' Named_Entries='0' "
                        "ID_Entries='2'><Entry ID='1031' Directory='0'><File Name='G-1031' "
                        "Size='20'/></Entry><Entry ID='1033' Directory='0'><File Name='G' "
                        "Size='20'/></Entry></Directory></Entry>\r\n";
    ProjectFixture f(ManifestXml(0, 2,
                                 TypeXml("ID", "3", 0, 1, IdResourceXml(1, "Icon00001.ICO")) +
                                     TypeXml("ID", "14", 0, 1, group)));
    XmlNode* groupEntry = f.project.ResourcesOf(f.project.FindType(14)).at(0);
    std::vector<XmlNode*> languages = Project::LanguagesOf(groupEntry);
    ASSERT_EQ(languages.size(), 2u);
    f.tree.InsertResourceItem("Icon Group", "1 (1031)", languages[0]);
    f.tree.InsertResourceItem("Icon Group", "1 (1033)", languages[1]);

    std::optional<DeleteTarget> target = LocateDeleteTarget(languages[0]);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->kind, DeleteKind::Language);
    DeleteQuestion question = QuestionFor(*target, "1 (1031)");
    EXPECT_EQ(question.text, "Remove resource \"1 (1031)\"\n");
    EXPECT_EQ(question.style, unsigned(MB_YESNO));
    bool removed = false;
    ASSERT_EQ(ApplyDeleteAnswer(f.project, *target, IDYES, &removed), S_OK);
    EXPECT_TRUE(removed);
    EXPECT_EQ(Project::LanguagesOf(groupEntry), std::vector<XmlNode*>{languages[1]});
    EXPECT_EQ(f.project.Int(groupEntry->firstChild, "ID_Entries"), 1);
    EXPECT_EQ(Ids(f.project, 3), std::vector<int>{1}) << "the member stays";
    EXPECT_EQ(f.tree.ItemLabels("Icon Group"), std::vector<std::string>{"1 (1033)"});

    // A resource that goes as a whole takes the items of all its languages.
    XmlNode* extra = f.project.ResourcesOf(f.project.FindType(3)).at(0);
    std::vector<XmlNode*> iconLanguages = Project::LanguagesOf(extra);
    ASSERT_EQ(iconLanguages.size(), 1u);
    XmlNode* second = f.project.Manifest().InsertElement(extra->firstChild, nullptr, "Entry");
    f.project.Manifest().SetAttribute("ID", "1031");
    f.tree.InsertResourceItem("Icon", "1 (1033)", iconLanguages[0]);
    f.tree.InsertResourceItem("Icon", "1 (1031)", second);
    f.project.RemoveResource(extra);
    EXPECT_TRUE(f.tree.ItemLabels("Icon").empty());

    target = LocateDeleteTarget(languages[1]);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->kind, DeleteKind::Group) << "a single language keeps the group rules";
    ASSERT_EQ(ApplyDeleteAnswer(f.project, *target, IDYES, &removed), S_OK);
    EXPECT_EQ(f.project.FindType(14), nullptr);
    EXPECT_TRUE(f.tree.Types().empty());
}

} // namespace vellum::test
