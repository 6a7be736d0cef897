#include "common/IniFile.h"

#include "TestSupport.h"
#include "common/FileIo.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

constexpr std::string_view kDesktopIni = "; comment\r\n"
                                         "[.ShellClassInfo]\r\n"
                                         "  IconFile = \"C:\\x\\a.ico\" \r\n"
                                         "IconIndex=3\r\n"
                                         "\r\n"
                                         "[Other]\r\n"
                                         "IconIndex=9\r\n";

TEST(IniFile, ReadsKeysOfTheNamedSectionWithoutCaseOrBlanksOrQuotes) {
    EXPECT_EQ(ReadIniText(kDesktopIni, ".shellclassinfo", "ICONFILE"), "C:\\x\\a.ico");
    EXPECT_EQ(ReadIniText(kDesktopIni, ".ShellClassInfo", "IconIndex"), "3");
    EXPECT_EQ(ReadIniText(kDesktopIni, "Other", "IconIndex"), "9");
    EXPECT_EQ(ReadIniText(kDesktopIni, "Other", "IconFile", "none"), "none");
    EXPECT_EQ(ReadIniText(kDesktopIni, "Missing", "IconIndex", "none"), "none");
    EXPECT_EQ(ReadIniText("[s]\nk='v'", "s", "k"), "v");
}

TEST(IniFile, SectionEntriesSkipCommentsAndStopAtTheNextSection) {
    auto entries =
        ReadIniSection("[a]\r\n ; x=1\r\n#y=2\r\n K = 'v' \r\nnoequals\r\n=e\r\n[b]\r\nz=3", "A");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].key, "K");
    EXPECT_EQ((*entries)[0].value, "v");
    EXPECT_EQ((*entries)[1].key, "");
    EXPECT_EQ((*entries)[1].value, "e");
    EXPECT_FALSE(ReadIniSection("a=1\n[ab]\n", "a"));
    EXPECT_TRUE(ReadIniSection("[a]", "a").value().empty());
}

TEST(IniFile, SettingReplacesAddsToTheSectionOrAppendsTheSection) {
    EXPECT_EQ(SetIniText(kDesktopIni, ".ShellClassInfo", "IconIndex", "7"),
              "; comment\r\n[.ShellClassInfo]\r\n  IconFile = \"C:\\x\\a.ico\" \r\n"
              "IconIndex=7\r\n\r\n[Other]\r\nIconIndex=9\r\n");
    EXPECT_EQ(SetIniText(kDesktopIni, "Other", "IconFile", "b.ico"),
              "; comment\r\n[.ShellClassInfo]\r\n  IconFile = \"C:\\x\\a.ico\" \r\n"
              "IconIndex=3\r\n\r\n[Other]\r\nIconIndex=9\r\nIconFile=b.ico\r\n");
    EXPECT_EQ(SetIniText(".ShellClassInfo]\n[a]\nx=1", "Shell", "IconFile", "c.ico"),
              ".ShellClassInfo]\n[a]\nx=1\n[Shell]\nIconFile=c.ico\n");
    EXPECT_EQ(SetIniText("[a]\nx=1", "A", "y", "2"), "[a]\nx=1\ny=2\n");
    EXPECT_EQ(SetIniText("", "Shell", "IconFile", "d"), "[Shell]\r\nIconFile=d\r\n");
}

TEST(IniFile, FilesAreCreatedAndMissingFilesGiveTheFallback) {
    test::ScratchDir dir;
    std::string path = dir / "Desktop.ini";
    EXPECT_EQ(ReadIniString(path, "Shell", "IconFile", "none"), "none");
    ASSERT_EQ(WriteIniString(path, "Shell", "IconFile", "e.ico"), S_OK);
    ASSERT_EQ(WriteIniString(path, "Taskbar", "Command", "ToggleDesktop"), S_OK);
    EXPECT_EQ(ReadIniString(path, "shell", "iconfile"), "e.ico");
    EXPECT_EQ(ReadIniString(path, "Taskbar", "Command"), "ToggleDesktop");
    EXPECT_NE(WriteIniString(dir / "no/such/folder/x.ini", "a", "b", "c"), S_OK);
}

} // namespace
} // namespace vellum
