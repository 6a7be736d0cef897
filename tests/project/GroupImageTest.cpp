// Adding an image to an existing icon group, and the PNG copies kept beside 32-bit members.
#include "common/FileIo.h"
#include "common/Strings.h"
#include "imaging/ImageCodecs.h"
#include "project/ProjectFixture.h"
#include "support/ByteBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace vellum::test {
namespace {

std::vector<int> IconIds(Project& project) {
    std::vector<int> ids;
    for (XmlNode* entry : project.ResourcesOf(project.FindType(3)))
        ids.push_back(project.Int(entry, "ID"));
    return ids;
}

// Group data listing `members`; entry i describes a 4-bit image of width 16 + 8i, 60 + 10i bytes.
std::vector<std::uint8_t> GroupData(const std::vector<int>& members) {
    std::vector<GroupMember> entries;
    for (std::size_t i = 0; i < members.size(); ++i) {
        auto width = std::uint8_t(16 + 8 * i);
        entries.push_back({.width = width,
                           .height = width,
                           .colours = 16,
                           .bitCount = 4,
                           .bytes = std::uint32_t(60 + 10 * i),
                           .id = std::uint16_t(members[i])});
    }
    return GroupBytes(kIconType, entries);
}

// Icons named and filled as the decompiler writes them ("icon N" in Icon0000N.ICO, a PNG copy
// of icon 5), the group APP listing `members` in that order, a second group listing `others`,
// and a tree showing every icon. new.ico holds one 16 x 16 4-bit image.
struct AppGroup : ProjectFixture {
    explicit AppGroup(const std::vector<int>& icons, const std::vector<int>& members,
                      const std::vector<int>& others = {})
        : ProjectFixture(ManifestXml(0, 2, Types(icons))) {
        for (int id : icons)
            WriteFileText(Path(Format("Icon%.5d.ICO", id)), Format("icon %d", id));
        WriteFileText(Path("Icon00005.png"), "png 5");
        Write("APP_ICO", GroupData(members));
        Write("OTHER_ICO", GroupData(others));
        Write("new.ico", IconFileOf({DibImage(16, 8)}));
        tree.AppendType("Icon");
        for (XmlNode* entry : project.ResourcesOf(project.FindType(3)))
            tree.AppendItem(project.ResourceLabel(entry), Project::FirstLanguageOf(entry));
    }
    static std::string Types(const std::vector<int>& icons) {
        std::string entries;
        for (int id : icons)
            entries += IdResourceXml(id, Format("Icon%.5d.ICO", id));
        return TypeXml("ID", "3", 0, int(icons.size()), entries) +
               TypeXml("ID", "14", 0, 2,
                       IdResourceXml(1, "APP_ICO") + IdResourceXml(2, "OTHER_ICO"));
    }
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        WriteWholeFile(Path(name), bytes.data(), bytes.size());
    }
    HRESULT AddNew(bool cursor = false) {
        return groups.AddImageToGroup("app", Path("new.ico"), cursor);
    }
};

// The member file written for new.ico's image.
std::vector<std::uint8_t> NewMemberFile() {
    std::vector<std::uint8_t> out{0, 0, 1, 0,  1, 0, 16, 16, 16, 0, 0,
                                  0, 0, 0, 48, 0, 0, 0,  22, 0,  0, 0};
    std::vector<std::uint8_t> image = DibImage(16, 8);
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

TEST(AddImageToGroup, MembersMoveToTheFirstFreeRunAndTheImageComesLast) {
    // Without its own members the group needs 4 free IDs: 3 to 6, since 1, 2 and 8 are taken.
    AppGroup f({1, 2, 4, 5, 6, 8}, {4, 5, 6});
    ASSERT_EQ(f.AddNew(), S_OK);
    EXPECT_EQ(IconIds(f.project), (std::vector<int>{1, 2, 3, 4, 5, 6, 8}));
    EXPECT_EQ(f.project.Int(f.project.FindType(3)->firstChild, "ID_Entries"), 7);
    EXPECT_EQ(f.tree.ItemLabels("Icon"),
              (std::vector<std::string>{"1 (1033)", "2 (1033)", "3 (1033)", "4 (1033)", "5 (1033)",
                                        "6 (1033)", "8 (1033)"}));
    std::vector<std::uint8_t> group{0,  0,  1,  0,  4,  0,  16, 16, 16, 0, 1,  0, 4,  0, 60, 0,
                                    0,  0,  3,  0,  24, 24, 16, 0,  1,  0, 4,  0, 70, 0, 0,  0,
                                    4,  0,  32, 32, 16, 0,  1,  0,  4,  0, 80, 0, 0,  0, 5,  0,
                                    16, 16, 16, 0,  1,  0,  4,  0,  48, 0, 0,  0, 6,  0};
    EXPECT_EQ(ReadFileBytes(f.Path("APP_ICO")), group);
    EXPECT_EQ(
        f.project.Int(Project::FileOf(f.project.ResourcesOf(f.project.FindType(14))[0]), "Size"),
        62);
    EXPECT_EQ(ReadFileText(f.Path("Icon00003.ico")), "icon 4");
    EXPECT_EQ(ReadFileText(f.Path("Icon00005.ico")), "icon 6");
    EXPECT_EQ(ReadFileText(f.Path("Icon00004.png")), "png 5");
    EXPECT_EQ(ReadFileBytes(f.Path("Icon00006.ico")), NewMemberFile());
    EXPECT_EQ(f.FilesInFolder(),
              (std::vector<std::string>{"APP_ICO", "Icon00001.ICO", "Icon00002.ICO",
                                        "Icon00003.ico", "Icon00004.ico", "Icon00004.png",
                                        "Icon00005.ico", "Icon00006.ico", "Icon00008.ICO",
                                        "OTHER_ICO", "new.ico", "pe.xml"}));
}

TEST(AddImageToGroup, MembersThatSwapNamesKeepTheirFiles) {
    // The group lists 3 before 2 and moves to 2..4: 3 becomes 2 while 2 becomes 3.
    AppGroup f({1, 2, 3, 5}, {3, 2});
    ASSERT_EQ(f.AddNew(), S_OK);
    EXPECT_EQ(ReadFileText(f.Path("Icon00002.ico")), "icon 3");
    EXPECT_EQ(ReadFileText(f.Path("Icon00003.ico")), "icon 2");
    EXPECT_EQ(ReadFileBytes(f.Path("Icon00004.ico")), NewMemberFile());
    EXPECT_EQ(ReadFileText(f.Path("Icon00005.png")), "png 5"); // icon 5 is no member
    std::vector<std::uint8_t> group = GroupData({2, 3});
    group[4] = 3;
    group.insert(group.end(), {16, 16, 16, 0, 1, 0, 4, 0, 48, 0, 0, 0, 4, 0});
    EXPECT_EQ(ReadFileBytes(f.Path("APP_ICO")), group);
}

TEST(AddImageToGroup, RefusalsAndLateFailuresLeaveEverythingAsItWas) {
    AppGroup f({1, 2, 4, 5, 6, 8}, {4, 5, 6});
    std::vector<std::uint8_t> truncated = IconFileOf({DibImage(16, 8)});
    truncated.pop_back();
    f.Write("bad.ico", truncated);
    f.Write("new.cur", IconFileOf({DibImage(16, 8)}, true));
    std::string manifest = f.ManifestNow();
    std::vector<std::string> files = f.FilesInFolder();
    auto unchanged = [&] {
        EXPECT_EQ(f.ManifestNow(), manifest);
        EXPECT_EQ(f.FilesInFolder(), files);
        EXPECT_EQ(ReadFileBytes(f.Path("APP_ICO")), GroupData({4, 5, 6}));
        EXPECT_EQ(f.tree.ItemLabels("Icon").size(), 6u);
    };
    EXPECT_TRUE(FAILED(f.groups.AddImageToGroup("NOPE", f.Path("new.ico"), false)));
    EXPECT_TRUE(FAILED(f.AddNew(true))); // there is no cursor group APP
    EXPECT_TRUE(FAILED(f.groups.AddImageToGroup("APP", f.Path("bad.ico"), false)));
    EXPECT_TRUE(FAILED(f.groups.AddImageToGroup("APP", f.Path("new.cur"), false)));
    EXPECT_EQ(f.prompter.Shown().size(), 2u); // "not a valid icon", for the last two
    unchanged();

    std::filesystem::rename(f.Path("Icon00004.ICO"), f.Path("gone")); // a member file is missing
    EXPECT_TRUE(FAILED(f.AddNew()));
    std::filesystem::rename(f.Path("gone"), f.Path("Icon00004.ICO"));
    f.Write("OTHER_ICO", GroupData({8, 6})); // another group lists member 6
    EXPECT_TRUE(FAILED(f.AddNew()));
    f.Write("OTHER_ICO", GroupData({}));
    // The new member's name is taken by a folder: the renames already made are undone.
    std::filesystem::create_directory(f.Path("Icon00006.ico"));
    files.push_back("Icon00006.ico");
    std::sort(files.begin(), files.end());
    EXPECT_TRUE(FAILED(f.AddNew()));
    unchanged();
}

TEST(PngCopy, ThirtyTwoBitMembersGetAPngOfTheirColoursAndAlpha) {
    ProjectFixture f(ManifestXml(0, 0, ""));
    // A 2 x 2 32-bit image: colour rows bottom row first (blue, green, red, alpha), then the
    // AND mask's two rows of 4 bytes.
    std::vector<std::uint8_t> pixels{10, 20, 30, 255, 40, 50, 60, 0, 70, 80, 90, 128, 1, 2, 3, 4};
    std::vector<std::uint8_t> dib =
        DibBytes({.width = 2, .height = 4, .bitCount = 32}, {}, pixels, Bytes(8, 0));
    std::vector<std::uint8_t> ico = IconFileOf({DibImage(16, 8), dib});
    WriteWholeFile(f.Path("mixed.ico"), ico.data(), ico.size());
    ASSERT_EQ(f.groups.AddIconOrCursorFile(f.Path("mixed.ico"), "MIXED", 1033), S_OK);

    EXPECT_FALSE(std::filesystem::exists(f.Path("Icon00001.png"))); // 4 bits: no copy
    ImageRecord record;
    ASSERT_TRUE(ReadPng(f.Path("Icon00002.png"), record));
    EXPECT_EQ(record.width, 2);
    EXPECT_EQ(record.height, 2);
    ASSERT_EQ(record.bitCount, 32);
    EXPECT_FALSE(record.topDown);
    EXPECT_EQ(std::vector<std::uint8_t>(record.pixels.begin(), record.pixels.begin() + 16), pixels);
}

} // namespace
} // namespace vellum::test
