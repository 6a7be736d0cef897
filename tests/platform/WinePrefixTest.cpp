// Tests for the Wine-prefix backend of WindowsSystem, on small prefixes built here.
#include "platform/WinePrefix.h"

#include "common/ErrorTrail.h"
#include "common/Path.h"
#include "common/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

#ifdef __linux__
#include <sys/xattr.h>
#endif

namespace vellum {
namespace {

namespace fs = std::filesystem;
using test::ReadFileText;
using test::ScratchDir;
using test::WriteFileText;

const char kSystemReg[] = R"reg(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Classes\\.txt] 1700000000
#time=1da0c0c0c0c0c0c
@="txtfile"
"Content Type"="text/plain"

[Software\\Classes\\txtfile\\DefaultIcon] 1700000000
@=str(2):"%SystemRoot%\\system32\\notepad.exe,1"

[Software\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon] 1700000000
"Empty"="shell32.dll,31"
"Full"="shell32.dll,32"

[Software\\Microsoft\\Windows\\CurrentVersion] 1700000000
"ProgramFilesDir"="C:\\Program Files"
"Data"=hex:01,02,\
  03,04
"After"="quote \" back \\ tab \t e\x00e9 clef \xd834\xdd1e bracket ]"

[Software\\Microsoft\\Windows NT\\CurrentVersion] 1700000000
"SystemRoot"="C:\\windows"
"Count"=dword:00000010

[Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-0-0-0-1000] 1700000000
"ProfileImagePath"=str(2):"%SystemDrive%\\users\\tester"

[System\\CurrentControlSet\\Control\\Session Manager\\Environment] 1700000000
"LoopA"="%LoopB%"
"LoopB"="%LoopA%"
"TEMP"=str(2):"%USERPROFILE%\\Temp"
)reg";

const char kUserReg[] = R"reg(WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

#arch=win64

[Software\\Classes\\txtfile\\DefaultIcon] 1700000000
"Other"="user value"

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders] 1700000000
"Desktop"="C:\\users\\tester\\Desktop"

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders] 1700000000
"AppData"=str(2):"%USERPROFILE%\\AppData\\Roaming"
"Personal"=str(2):"%USERPROFILE%\\Documents"
)reg";

struct Prefix {
    ScratchDir dir;
    WinePrefix wine{dir.Path()};
    Prefix(const std::string& system = kSystemReg, const std::string& user = kUserReg) {
        WriteFileText(dir / "system.reg", system);
        WriteFileText(dir / "user.reg", user);
        fs::create_directories(dir / "drive_c/windows/system32");
        WriteFileText(dir / "drive_c/windows/system32/shell32.dll", "MZ");
        fs::create_directories(dir / "dosdevices");
        fs::create_directory_symlink("../drive_c", dir / "dosdevices/c:");
        fs::create_directory_symlink("/", dir / "dosdevices/z:");
    }
    std::string Read(RootKey root, const std::string& key, const std::string& name) {
        std::string value;
        HRESULT hr = wine.ReadString(root, key, name, &value);
        return SUCCEEDED(hr) ? value : "<" + std::to_string(hr) + ">";
    }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The lines of `after` that are not in `before` (as a multiset difference).
std::vector<std::string> AddedLines(const std::string& before, const std::string& after) {
    std::multiset<std::string> old;
    for (const std::string& line : Lines(before))
        old.insert(line);
    std::vector<std::string> added;
    for (const std::string& line : Lines(after)) {
        auto it = old.find(line);
        if (it == old.end())
            added.push_back(line);
        else
            old.erase(it);
    }
    return added;
}

const std::string kNotFound = "<" + std::to_string(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) + ">";

TEST(WineRegistry, ReadsStringsWithTheirEscapes) {
    Prefix p;
    const char* cv = "Software\\Microsoft\\Windows\\CurrentVersion";
    EXPECT_EQ(p.Read(RootKey::LocalMachine, cv, "After"),
              "quote \" back \\ tab \t e\xC3\xA9 clef \xF0\x9D\x84\x9E bracket ]");
    EXPECT_EQ(p.Read(RootKey::LocalMachine, "software\\microsoft\\windows\\currentversion",
                     "programfilesdir"),
              "C:\\Program Files")
        << "keys and value names ignore case";
    EXPECT_EQ(
        p.Read(RootKey::LocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion", "Count"),
        "<" + std::to_string(HRESULT_FROM_WIN32(13)) + ">");
    EXPECT_EQ(p.Read(RootKey::LocalMachine, cv, "Missing"), kNotFound);
    EXPECT_EQ(p.Read(RootKey::LocalMachine, "No\\Such\\Key", ""), kNotFound);
    EXPECT_EQ(p.Read(RootKey::Users, "S-1-5-21-0-0-0-1000", ""), kNotFound);
}

TEST(WineRegistry, ClassesRootOverlaysUserOnMachine) {
    Prefix p;
    EXPECT_EQ(p.Read(RootKey::ClassesRoot, ".txt", ""), "txtfile");
    EXPECT_EQ(p.Read(RootKey::ClassesRoot, "txtfile\\DefaultIcon", ""),
              "%SystemRoot%\\system32\\notepad.exe,1");
    EXPECT_EQ(p.Read(RootKey::ClassesRoot, "txtfile\\DefaultIcon", "Other"), "user value");

    // The user has txtfile\DefaultIcon, so writes through HKCR land in user.reg; .txt is the
    // machine's alone.
    ASSERT_EQ(p.wine.WriteString(RootKey::ClassesRoot, "txtfile\\DefaultIcon", "", "mine.ico"),
              S_OK);
    ASSERT_EQ(p.wine.WriteString(RootKey::ClassesRoot, ".txt", "", "textfile"), S_OK);
    EXPECT_EQ(p.Read(RootKey::CurrentUser, "Software\\Classes\\txtfile\\DefaultIcon", ""),
              "mine.ico");
    EXPECT_EQ(p.Read(RootKey::LocalMachine, "Software\\Classes\\txtfile\\DefaultIcon", ""),
              "%SystemRoot%\\system32\\notepad.exe,1");
    EXPECT_EQ(p.Read(RootKey::LocalMachine, "Software\\Classes\\.txt", ""), "textfile");
    EXPECT_EQ(p.Read(RootKey::ClassesRoot, "txtfile\\DefaultIcon", ""), "mine.ico");

    std::vector<std::string> names;
    ASSERT_EQ(p.wine.EnumerateValues(RootKey::ClassesRoot, "TXTFILE\\DefaultIcon", &names), S_OK);
    EXPECT_EQ(names, (std::vector<std::string>{"Other", ""}));
    ASSERT_EQ(p.wine.EnumerateSubkeys(RootKey::ClassesRoot, "", &names), S_OK);
    EXPECT_EQ(names, (std::vector<std::string>{"txtfile", ".txt", "CLSID"}));
}

TEST(WineRegistry, WritesChangeOnlyTheirOwnLines) {
    Prefix p;
    const char* cv = "Software\\Microsoft\\Windows\\CurrentVersion";
    std::string before = ReadFileText(p.dir / "system.reg");
    std::string tricky = "a \"quoted\" C:\\path\t\xC3\xA9\xF0\x9D\x84\x9E [x]";
    ASSERT_EQ(p.wine.WriteString(RootKey::LocalMachine, cv, "After", tricky), S_OK);
    std::string after = ReadFileText(p.dir / "system.reg");
    EXPECT_EQ(AddedLines(before, after),
              (std::vector<std::string>{
                  "\"After\"=\"a \\\"quoted\\\" C:\\\\path\\t\\xe9\\xd834\\xdd1e [x]\""}));
    EXPECT_EQ(Lines(after).size(), Lines(before).size());
    EXPECT_EQ(p.Read(RootKey::LocalMachine, cv, "After"), tricky);

    // A new value goes after the last value of its key, past the two-line hex value.
    ASSERT_EQ(p.wine.WriteString(RootKey::LocalMachine, cv, "New", "v"), S_OK);
    std::vector<std::string> lines = Lines(ReadFileText(p.dir / "system.reg"));
    auto at = std::find(lines.begin(), lines.end(), "\"New\"=\"v\"");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(
        *(at - 1),
        lines[std::size_t(std::find(lines.begin(), lines.end(), "  03,04") - lines.begin()) + 1]);
    EXPECT_EQ(p.Read(RootKey::LocalMachine, cv, "New"), "v");

    // Replacing the multi-line value removes both of its lines.
    ASSERT_EQ(p.wine.WriteString(RootKey::LocalMachine, cv, "Data", "text now"), S_OK);
    std::string text = ReadFileText(p.dir / "system.reg");
    EXPECT_EQ(text.find("03,04"), std::string::npos);
    EXPECT_EQ(p.Read(RootKey::LocalMachine, cv, "Data"), "text now");
}

TEST(WineRegistry, NewKeysCreateAndDeleteSubtrees) {
    Prefix p;
    std::string before = ReadFileText(p.dir / "user.reg");
    const char* icons = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons";
    ASSERT_EQ(p.wine.WriteString(RootKey::CurrentUser, icons, "15", "C:\\x.icl,0"), S_OK);
    std::string after = ReadFileText(p.dir / "user.reg");
    EXPECT_EQ(after.substr(0, before.size()), before) << "appended, nothing above changed";
    std::vector<std::string> added = AddedLines(before, after);
    ASSERT_EQ(added.size(), 4u);
    EXPECT_EQ(added[0], "") << "a blank line before the new key";
    EXPECT_EQ(added[1].rfind("[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\"
                             "Shell Icons] ",
                             0),
              0u);
    EXPECT_EQ(added[2].rfind("#time=", 0), 0u);
    EXPECT_EQ(added[3], "\"15\"=\"C:\\\\x.icl,0\"");
    EXPECT_EQ(p.Read(RootKey::CurrentUser, icons, "15"), "C:\\x.icl,0");

    ASSERT_EQ(p.wine.DeleteKey(RootKey::CurrentUser,
                               "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"),
              S_OK);
    EXPECT_EQ(p.Read(RootKey::CurrentUser, icons, "15"), kNotFound);
    EXPECT_EQ(ReadFileText(p.dir / "user.reg").find("Shell Folders"), std::string::npos);
    EXPECT_EQ(p.Read(RootKey::CurrentUser, "Software\\Classes\\txtfile\\DefaultIcon", "Other"),
              "user value");
}

// Strings escaped as wineserver escapes them, so that a value written back gives Wine's own line;
// the expected texts are what Wine 8 wrote to user.reg for these values.
TEST(WineRegistry, EscapesAsWineServerDoes) {
    EXPECT_EQ(EscapeRegistryText("a\xC3\xA9"
                                 "b\xC3\xA9"
                                 "1\xF0\x9D\x84\x9E \x7F\x01x\x01",
                                 false),
              "a\\x00e9b\\x00e91\\xd834\\xdd1e \x7F\\1x\\1");
    EXPECT_EQ(EscapeRegistryText("\xC3\xA9z\x01"
                                 "7\x02\x1B\x07",
                                 false),
              "\\xe9z\\0017\\2\\e\\a");
    EXPECT_EQ(EscapeRegistryText("tab\tend \"q\" \\", false), "tab\\tend \\\"q\\\" \\\\");
    EXPECT_EQ(EscapeRegistryText("Esc[1] \"q\"", true), "Esc\\[1\\] \"q\"");
    for (std::string text : {"a\xC3\xA9"
                             "b\xC3\xA9z\xF0\x9D\x84\x9E",
                             "\x01"
                             "7\x01x\x1B\x7F"}) {
        std::string back;
        std::string escaped = EscapeRegistryText(text, false) + "\"";
        ASSERT_TRUE(UnescapeRegistryText(escaped, '"', &back));
        EXPECT_EQ(back, text);
    }
}

// What a restore needs: a value put back with its type in its own line, values deleted, a new
// key under the existing keys' spelling, and the file as it was once that key is gone again.
TEST(WineRegistry, TypedWritesDeletesAndKeysThatComeAndGo) {
    Prefix p;
    const char* cv = "Software\\Microsoft\\Windows\\CurrentVersion";
    std::string before = ReadFileText(p.dir / "system.reg");
    ASSERT_EQ(p.wine.WriteStringValue(RootKey::LocalMachine, cv, "ProgramFilesDir",
                                      "%SystemDrive%\\Programs", 2),
              S_OK);
    std::string after = ReadFileText(p.dir / "system.reg");
    EXPECT_EQ(AddedLines(before, after),
              std::vector<std::string>{"\"ProgramFilesDir\"=str(2):\"%SystemDrive%\\\\Programs\""});
    EXPECT_EQ(Lines(after).size(), Lines(before).size()) << "replaced in its own line";

    ASSERT_EQ(p.wine.DeleteValue(RootKey::LocalMachine, cv, "Data"), S_OK);
    after = ReadFileText(p.dir / "system.reg");
    EXPECT_EQ(after.find("03,04"), std::string::npos) << "both lines of the hex value";
    EXPECT_EQ(p.Read(RootKey::LocalMachine, cv, "After").substr(0, 5), "quote");
    EXPECT_EQ(p.wine.DeleteValue(RootKey::LocalMachine, cv, "Data"), S_OK) << "already gone";
    ASSERT_EQ(p.wine.DeleteValue(RootKey::ClassesRoot, "txtfile\\DefaultIcon", "Other"), S_OK);
    EXPECT_EQ(p.Read(RootKey::CurrentUser, "Software\\Classes\\txtfile\\DefaultIcon", "Other"),
              kNotFound);

    before = ReadFileText(p.dir / "system.reg");
    ASSERT_EQ(
        p.wine.WriteString(RootKey::LocalMachine, "SOFTWARE\\MICROSOFT\\Windows\\New", "", "x"),
        S_OK);
    std::vector<std::string> added = AddedLines(before, ReadFileText(p.dir / "system.reg"));
    ASSERT_EQ(added.size(), 4u);
    EXPECT_EQ(added[1].rfind("[Software\\\\Microsoft\\\\Windows\\\\New] ", 0), 0u) << added[1];
    ASSERT_EQ(p.wine.DeleteKey(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\New"), S_OK);
    EXPECT_EQ(ReadFileText(p.dir / "system.reg"), before) << "no blank line left behind";
}

// Backup copies keep a file's attributes; putting one back keeps those of the file in place, or
// gives a missing file the copy's.
TEST(WinePrefixFiles, CopiesOutAndBackWithTheirAttributes) {
    Prefix p;
    std::string ini = p.dir / "drive_c/windows/desktop.ini";
    WriteFileText(ini, "old");
#ifdef __linux__
    [[maybe_unused]] bool xattrs = ::setxattr(ini.c_str(), "user.DOSATTRIB", "0x3", 3, 0) == 0;
#else
    [[maybe_unused]] bool xattrs = false;
#endif
    fs::permissions(ini, fs::perms::owner_read);
    ASSERT_EQ(p.wine.SaveFileCopy("C:\\windows\\desktop.ini", p.dir / "copy"), S_OK);
    EXPECT_EQ(ReadFileText(p.dir / "copy"), "old");
    EXPECT_EQ(fs::status(p.dir / "copy").permissions() & fs::perms::all, fs::perms::owner_read);

    WriteFileText(p.dir / "new", "new");
    ASSERT_EQ(p.wine.RestoreFileCopy(p.dir / "new", "C:\\windows\\desktop.ini"), S_OK);
    EXPECT_EQ(ReadFileText(ini), "new");
    EXPECT_EQ(fs::status(ini).permissions() & fs::perms::all, fs::perms::owner_read);
    ASSERT_EQ(p.wine.RemoveFile("C:\\windows\\desktop.ini"), S_OK) << "read-only or not";
    EXPECT_FALSE(fs::exists(ini));
    EXPECT_EQ(p.wine.RemoveFile("C:\\windows\\desktop.ini"), S_OK) << "already gone";

    ASSERT_EQ(p.wine.RestoreFileCopy(p.dir / "copy", "C:\\windows\\desktop.ini"), S_OK);
    EXPECT_EQ(ReadFileText(ini), "old");
    EXPECT_EQ(fs::status(ini).permissions() & fs::perms::all, fs::perms::owner_read);
#ifdef __linux__
    char value[8] = {};
    if (xattrs) {
        ::getxattr(ini.c_str(), "user.DOSATTRIB", value, sizeof value - 1);
        EXPECT_STREQ(value, "0x3") << "a missing file takes the copy's attributes";
    }
#endif
    EXPECT_LT(p.wine.RestoreFileCopy(p.dir / "copy", "Q:\\desktop.ini"), 0);
}

TEST(WineRegistry, UnparseableFileIsLeftAlone) {
    for (std::string bad : {std::string("REGEDIT4\n[HKEY_LOCAL_MACHINE\\x]\n"),
                            std::string(kSystemReg) + "[Broken\\\\Key\n",
                            std::string(kSystemReg) + "garbage line\n"}) {
        Prefix p(bad);
        ClearErrorTrail();
        EXPECT_LT(p.wine.WriteString(RootKey::LocalMachine, "Software\\X", "v", "1"), 0);
        EXPECT_EQ(ReadFileText(p.dir / "system.reg"), bad);
        EXPECT_TRUE(PeekErrorTrail()) << "the failure is reported";
        EXPECT_EQ(p.Read(RootKey::LocalMachine, "Software\\Classes\\.txt", ""), kNotFound);
        EXPECT_EQ(p.Read(RootKey::ClassesRoot, "txtfile\\DefaultIcon", "Other"), "user value");
        ClearErrorTrail();
    }
}

TEST(WineRegistry, CrLfFilesKeepTheirLineEnds) {
    std::string crlf;
    for (const std::string& line : Lines(kUserReg))
        crlf += line + "\r\n";
    Prefix p(kSystemReg, crlf);
    ASSERT_EQ(p.wine.WriteString(RootKey::CurrentUser, "Software\\New", "", "x"), S_OK);
    std::string after = ReadFileText(p.dir / "user.reg");
    EXPECT_EQ(after.substr(0, crlf.size()), crlf);
    EXPECT_EQ(after.find("\n", crlf.size() - 1), crlf.size() - 1);
    for (std::size_t at = after.find('\n'); at != std::string::npos; at = after.find('\n', at + 1))
        EXPECT_EQ(after[at - 1], '\r') << at;
    EXPECT_EQ(p.Read(RootKey::CurrentUser, "Software\\New", ""), "x");
}

TEST(WinePrefixFolders, ShellFoldersAndEnvironment) {
    Prefix p;
    std::string folder;
    ASSERT_EQ(p.wine.ShellFolder(csidl::kDesktop, &folder), S_OK);
    EXPECT_EQ(folder, "C:\\users\\tester\\Desktop");
    ASSERT_EQ(p.wine.ShellFolder(csidl::kAppData, &folder), S_OK);
    EXPECT_EQ(folder, "C:\\users\\tester\\AppData\\Roaming");
    ASSERT_EQ(p.wine.ShellFolder(csidl::kSystem, &folder), S_OK);
    EXPECT_EQ(folder, "C:\\windows\\system32");
    EXPECT_LT(p.wine.ShellFolder(csidl::kCommonMusic, &folder), 0);
    EXPECT_LT(p.wine.ShellFolder(0x7FFF, &folder), 0);
    EXPECT_EQ(p.wine.WindowsFolder(), "C:\\windows");

    EXPECT_EQ(p.wine.ExpandEnvironment("%SystemRoot%|%WINDIR%|%ProgramFiles%|%USERPROFILE%"),
              "C:\\windows|C:\\windows|C:\\Program Files|C:\\users\\tester");
    EXPECT_EQ(p.wine.ExpandEnvironment("%TEMP%\\x %APPDATA%"),
              "C:\\users\\tester\\Temp\\x C:\\users\\tester\\AppData\\Roaming");
    EXPECT_EQ(p.wine.ExpandEnvironment("100% %Nope% 50%"), "100% %Nope% 50%");
    EXPECT_EQ(p.wine.ExpandEnvironment("%LoopA%").find("%Loop"), 0u) << "no endless expansion";
}

TEST(WinePrefixFolders, PathsMapThroughDosdevices) {
    Prefix p;
    std::string host = p.wine.ToHostPath("c:\\WINDOWS\\System32\\SHELL32.dll");
    EXPECT_EQ(fs::canonical(host), fs::canonical(p.dir / "drive_c/windows/system32/shell32.dll"));
    EXPECT_EQ(p.wine.ToWindowsPath(host), "C:\\windows\\system32\\shell32.dll");
    EXPECT_EQ(p.wine.ToWindowsPath(p.dir / "drive_c"), "C:\\");
    EXPECT_EQ(p.wine.ToHostPath("Z:\\etc"), "/etc");
    EXPECT_EQ(p.wine.ToWindowsPath("/etc/hostname"), "Z:\\etc\\hostname");
    EXPECT_EQ(p.wine.ToHostPath("C:\\windows\\..\\..\\escape"), "");
    EXPECT_EQ(p.wine.ToHostPath("Q:\\nothing"), "");
    EXPECT_EQ(p.wine.ToHostPath("relative\\path"), "");
}

TEST(WinePrefixFolders, DefaultFolderFollowsWinePrefix) {
    const char* old = std::getenv("WINEPREFIX");
    std::string saved = old ? old : "";
    setenv("WINEPREFIX", "/some/prefix", 1);
    EXPECT_EQ(WinePrefix::DefaultFolder(), "/some/prefix");
    setenv("WINEPREFIX", "", 1);
    EXPECT_EQ(WinePrefix::DefaultFolder(), JoinPath(std::getenv("HOME"), ".wine"));
    if (old)
        setenv("WINEPREFIX", saved.c_str(), 1);
    else
        unsetenv("WINEPREFIX");
}

} // namespace
} // namespace vellum
