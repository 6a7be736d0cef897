// Shell links: reading their target and icon and setting the icon, checked against links built
// here byte by byte from the published layout.
#include "platform/ShellLinkFile.h"

#include "common/ErrorTrail.h"
#include "common/TestSupport.h"
#include "platform/LinkBuilder.h"
#include "platform/WinePrefix.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace vellum {
namespace {

namespace fs = std::filesystem;
using namespace test::link;

ShellLinkFile Parsed(const Bytes& bytes) {
    ShellLinkFile link;
    std::string error;
    EXPECT_EQ(link.Parse(bytes, &error), S_OK) << error;
    return link;
}

TEST(ShellLinkRead, TargetFromLinkInfoAndIconLocation) {
    LinkFields fields;
    fields.idItems = PathItems({"ignored.exe"});
    fields.linkInfo = LocalLinkInfo("C:\\Windows\\", "notepad.exe", false);
    fields.strings[0] = u"Notes";
    fields.strings[2] = u"C:\\Windows";
    fields.strings[4] = u"%SystemRoot%\\system32\\shell32.dll";
    fields.iconIndex = -3;
    fields.blocks = {OpaqueBlock()};
    ShortcutInfo info = Parsed(Build(fields)).Info();
    EXPECT_EQ(info.targetPath, "C:\\Windows\\notepad.exe");
    EXPECT_EQ(info.iconLocation, "%SystemRoot%\\system32\\shell32.dll");
    EXPECT_EQ(info.iconIndex, -3);

    fields.linkInfo = LocalLinkInfo("C:\\Tools\\", "", true);
    EXPECT_EQ(Parsed(Build(fields)).Info().targetPath, "C:\\Tools\\\xC3\xA9")
        << "the Unicode base path wins over the ANSI one";
}

TEST(ShellLinkRead, TargetWithoutLinkInfo) {
    LinkFields fields;
    fields.idItems = PathItems({"Windows", "notepad.exe"});
    EXPECT_EQ(Parsed(Build(fields)).Info().targetPath, "C:\\Windows\\notepad.exe");

    fields.idItems = PathItems({});
    fields.idItems->resize(20); // the root folder alone: no file-system path
    EXPECT_EQ(Parsed(Build(fields)).Info().targetPath, "");

    fields.blocks = {EnvironmentBlock(0xA0000001, "%windir%\\regedit.exe")};
    EXPECT_EQ(Parsed(Build(fields)).Info().targetPath, "%windir%\\regedit.exe");
    EXPECT_EQ(Parsed(Build(fields)).Info().iconLocation, "");
}

TEST(ShellLinkSetIcon, ReplacesTheIconStringKeepingEverythingElse) {
    LinkFields fields;
    fields.linkInfo = LocalLinkInfo("C:\\Windows\\", "notepad.exe", true);
    fields.strings[0] = u"Notes";
    fields.strings[3] = u"/a readme.txt";
    fields.strings[4] = u"old.dll";
    fields.iconIndex = 1;
    fields.blocks = {OpaqueBlock()};
    ShellLinkFile link = Parsed(Build(fields));
    std::string error;
    ASSERT_EQ(link.SetIcon("Z:\\icons\\caf\xC3\xA9.icl", 42, &error), S_OK) << error;

    fields.strings[4] = u"Z:\\icons\\caf\u00e9.icl";
    fields.iconIndex = 42;
    EXPECT_EQ(link.Bytes(), Build(fields));
    EXPECT_EQ(link.Info().iconLocation, "Z:\\icons\\caf\xC3\xA9.icl");
}

TEST(ShellLinkSetIcon, AddsTheIconStringAfterTheOthers) {
    LinkFields fields;
    fields.extraFlags = 0; // ANSI strings
    fields.idItems = PathItems({"cmd.exe"});
    fields.strings[0] = u"Prompt";
    fields.strings[3] = u"/k";
    fields.blocks = {OpaqueBlock()};
    Bytes original = Build(fields);
    ShellLinkFile link = Parsed(original);
    std::string error;
    ASSERT_EQ(link.SetIcon("C:\\icons\\set.icl", -7, &error), S_OK) << error;
    fields.strings[4] = u"C:\\icons\\set.icl";
    fields.iconIndex = -7;
    EXPECT_EQ(link.Bytes(), Build(fields));

    EXPECT_EQ(link.SetIcon("C:\\\xE2\x86\x92.icl", 0, &error), E_INVALIDARG)
        << "an arrow has no Windows-1252 form";
    EXPECT_NE(error.find("Windows-1252"), std::string::npos);
    EXPECT_EQ(link.Bytes(), Build(fields)) << "a refused icon changes nothing";
}

TEST(ShellLinkSetIcon, DropsTheIconEnvironmentBlock) {
    LinkFields fields;
    fields.extraFlags = 0x80 | 0x4000; // IsUnicode, HasExpIcon
    fields.linkInfo = LocalLinkInfo("C:\\Windows\\", "notepad.exe", false);
    fields.strings[4] = u"C:\\Windows\\system32\\shell32.dll";
    fields.blocks = {OpaqueBlock(), EnvironmentBlock(0xA0000007, "%SystemRoot%\\x.dll"),
                     OpaqueBlock()};
    ShellLinkFile link = Parsed(Build(fields));
    EXPECT_EQ(link.Info().iconLocation, "%SystemRoot%\\x.dll") << "the shell uses the block";
    std::string error;
    ASSERT_EQ(link.SetIcon("C:\\new.ico", 0, &error), S_OK) << error;

    fields.extraFlags = 0x80;
    fields.strings[4] = u"C:\\new.ico";
    fields.blocks = {OpaqueBlock(), OpaqueBlock()};
    EXPECT_EQ(link.Bytes(), Build(fields));
    EXPECT_EQ(link.Info().iconLocation, "C:\\new.ico");
}

TEST(ShellLinkRead, MalformedLinksFailCleanly) {
    LinkFields fields;
    fields.idItems = PathItems({"a.exe"});
    fields.linkInfo = LocalLinkInfo("C:\\", "a.exe", true);
    fields.strings[4] = u"icon.dll";
    fields.blocks = {OpaqueBlock()};
    Bytes good = Build(fields);
    std::size_t stringsEnd = good.size() - 4 - OpaqueBlock().size();
    for (std::size_t size = 0; size < good.size(); ++size) {
        ShellLinkFile link;
        std::string error;
        HRESULT hr = link.Parse(Bytes(good.begin(), good.begin() + std::ptrdiff_t(size)), &error);
        if (size < stringsEnd || (size > stringsEnd && size < good.size() - 4)) {
            EXPECT_EQ(hr, E_FAIL) << "a link cut to " << size << " bytes";
        }
        EXPECT_EQ(FAILED(hr), !error.empty());
    }

    auto damaged = [&](std::size_t offset, std::uint8_t value) {
        Bytes bytes = good;
        bytes.at(offset) = value;
        ShellLinkFile link;
        std::string error;
        EXPECT_EQ(link.Parse(bytes, &error), E_FAIL) << "byte " << offset;
        return error;
    };
    EXPECT_NE(damaged(0, 0x4D).find("header size"), std::string::npos);
    EXPECT_NE(damaged(19, 0x47).find("class identifier"), std::string::npos);
    EXPECT_NE(damaged(78, 1).find("IDList item"), std::string::npos) << "an item of size 1";
    std::size_t linkInfoAt = 76 + 2 + fields.idItems->size() + 2;
    EXPECT_NE(damaged(linkInfoAt + 1, 0x7F).find("LinkInfo"), std::string::npos);
    EXPECT_NE(damaged(linkInfoAt + 28, 0xF0).find("LinkInfo path"), std::string::npos)
        << "the Unicode base path offset points outside the structure";
    EXPECT_NE(damaged(stringsEnd, 5).find("extra data block of 5 bytes"), std::string::npos);
}

struct LinkPrefix {
    test::ScratchDir dir;
    WinePrefix wine{dir.Path()};
    LinkPrefix() {
        fs::create_directories(dir / "drive_c/users/Public/Desktop");
        fs::create_directories(dir / "dosdevices");
        fs::create_directory_symlink("../drive_c", dir / "dosdevices/c:");
    }
};

TEST(ShellLinkFiles, WinePrefixReadsAndSetsThroughWindowsPaths) {
    LinkPrefix p;
    LinkFields fields;
    fields.linkInfo = LocalLinkInfo("C:\\Windows\\", "notepad.exe", false);
    std::string host = p.dir / "drive_c/users/Public/Desktop/Notes.lnk";
    Bytes original = Build(fields);
    test::WriteFileText(host, std::string(original.begin(), original.end()));
    fs::permissions(host, fs::perms::owner_read | fs::perms::group_read);

    ShortcutInfo info;
    ASSERT_EQ(p.wine.ReadShortcut("C:\\USERS\\public\\desktop\\notes.LNK", &info), S_OK);
    EXPECT_EQ(info.targetPath, "C:\\Windows\\notepad.exe");
    ASSERT_EQ(p.wine.SetShortcutIcon("C:\\users\\Public\\Desktop\\Notes.lnk", "C:\\a.icl", 2),
              S_OK);
    fields.strings[4] = u"C:\\a.icl";
    fields.iconIndex = 2;
    EXPECT_EQ(test::ReadFileBytes(host), Build(fields));
    EXPECT_EQ(fs::status(host).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read)
        << "a read-only link stays read-only";
    EXPECT_EQ(fs::directory_iterator(p.dir / "drive_c/users/Public/Desktop")->path().filename(),
              "Notes.lnk")
        << "no temporary file is left behind";

    test::WriteFileText(p.dir / "drive_c/users/Public/Desktop/Bad.lnk", "not a link at all");
    ClearErrorTrail();
    EXPECT_EQ(p.wine.SetShortcutIcon("C:\\users\\Public\\Desktop\\Bad.lnk", "C:\\a.icl", 2),
              E_FAIL);
    EXPECT_EQ(test::ReadFileText(p.dir / "drive_c/users/Public/Desktop/Bad.lnk"),
              "not a link at all");
    EXPECT_NE(PeekErrorTrail().value_or("").find("Bad.lnk"), std::string::npos);
    EXPECT_EQ(p.wine.ReadShortcut("D:\\missing.lnk", &info),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
}

} // namespace
} // namespace vellum
