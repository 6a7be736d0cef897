// Undoing an apply from its backup folder: the saved registry.reg and files.txt read back, and
// restores on the small prefix of the apply tests, compared with the files as they were.
#include "iconset/ApplyRestore.h"

#include "common/ErrorTrail.h"
#include "iconset/ApplyFixture.h"
#include "iconset/IconsetApplier.h"

#include <map>

#ifdef __linux__
#include <sys/xattr.h>
#endif

namespace vellum {
namespace {

using namespace applytest;

// ---- reading registry.reg and files.txt ---------------------------------------------------------

// UTF-16LE of ASCII text, for golden files written by hand.
std::vector<std::uint8_t> Utf16(std::string_view ascii) {
    std::vector<std::uint8_t> bytes;
    for (char c : ascii)
        bytes.insert(bytes.end(), {std::uint8_t(c), 0});
    return bytes;
}

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

const std::vector<std::uint8_t> kBom = {0xFF, 0xFE};
const char kHead[] = "Windows Registry Editor Version 5.00\r\n\r\n"
                     "; Registry values as they were before Vellum applied the iconset\r\n"
                     "; C:\\sets\\Blue.iconzip\r\n\r\n";

TEST(SavedBackup, ReadsEveryLineFormTheBackupWrites) {
    std::vector<std::uint8_t> bytes = Concat(
        {kBom,
         Utf16(kHead),
         Utf16("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Shell Icons]\r\n\"3\"=\"C:\\\\old \\\"quoted\\\" <"),
         {0xE9, 0x00}, // é
         Utf16(">\"\r\n\"32\"=-\r\n@=hex(2):25,00,41,00,25,00,\\\r\n  00,00\r\n\r\n"
               "[-HKEY_CURRENT_USER\\Software\\Test]\r\n\r\n"
               "[HKEY_CLASSES_ROOT\\CLSID\\{X}\\Empty]\r\n\r\n"
               "[HKEY_CLASSES_ROOT\\CLSID\\{X}]\r\n\"clef\"=hex(1):34,d8,1e,dd,0a,00,00,00\r\n")});
    SavedState state;
    ASSERT_EQ(ReadSavedRegistry(bytes, &state), S_OK) << TakeErrorTrail().value_or("");
    EXPECT_EQ(state.note, "C:\\sets\\Blue.iconzip");
    EXPECT_EQ(ReadSavedNote(bytes), state.note);
    ASSERT_EQ(state.keys.size(), 4u);

    const SavedKey& icons = state.keys[0];
    EXPECT_EQ(icons.root, RootKey::LocalMachine);
    EXPECT_EQ(icons.key, "SOFTWARE\\Shell Icons");
    ASSERT_EQ(icons.values.size(), 3u);
    EXPECT_EQ(icons.values[0].name, "3");
    EXPECT_EQ(icons.values[0].text, "C:\\old \"quoted\" <\xC3\xA9>");
    EXPECT_EQ(icons.values[0].type, 1u);
    EXPECT_FALSE(icons.values[1].existed) << "\"32\"=-";
    EXPECT_EQ(icons.values[2].name, "") << "@ is the default value";
    EXPECT_EQ(icons.values[2].type, 2u);
    EXPECT_EQ(icons.values[2].text, "%A%") << "hex(2) joined over its continuation line";

    EXPECT_EQ(state.keys[1].root, RootKey::CurrentUser);
    EXPECT_FALSE(state.keys[1].existed);
    EXPECT_TRUE(state.keys[2].existed && state.keys[2].values.empty()) << "a key kept whole";
    ASSERT_EQ(state.keys[3].values.size(), 1u);
    EXPECT_EQ(state.keys[3].values[0].text, "\xF0\x9D\x84\x9E\n") << "a surrogate pair";
}

TEST(SavedBackup, RefusesWhatItDoesNotKnow) {
    std::vector<std::vector<std::uint8_t>> bad = {
        Utf16(kHead),                                                 // no byte-order mark
        Concat({kBom, Utf16("REGEDIT4\r\n")}),                        // another version
        Concat({kBom, Utf16(kHead), {0x00, 0xD8, 0x41, 0x00}}),       // unpaired surrogate
        Concat({kBom, Utf16(kHead), {0x41}}),                         // odd length
        Concat({kBom, Utf16(kHead), Utf16("\"x\"=\"y\"\r\n")}),       // value before a key
        Concat({kBom, Utf16(kHead), Utf16("[HKEY_NOWHERE\\x]\r\n")}), // unknown root
        Concat({kBom, Utf16(kHead), Utf16("[HKEY_CURRENT_USER\\a\\\\b]\r\n")}),
        Concat({kBom, Utf16(kHead), Utf16("[HKEY_CURRENT_USER\\a]\r\n\"x\"=dword:00000001\r\n")}),
        Concat({kBom, Utf16(kHead), Utf16("[HKEY_CURRENT_USER\\a]\r\n\"x\"=\"\\n\"\r\n")}),
        Concat({kBom, Utf16(kHead), Utf16("[HKEY_CURRENT_USER\\a]\r\n@=hex(2):41,00\r\n")}),
        Concat({kBom, Utf16(kHead), Utf16("[-HKEY_CURRENT_USER\\a]\r\n\"x\"=\"y\"\r\n")}),
        Concat({kBom, Utf16(kHead), Utf16("[HKEY_CURRENT_USER\\a]\r\nx=y\r\n")}),
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        SavedState state;
        ClearErrorTrail();
        EXPECT_LT(ReadSavedRegistry(bad[i], &state), 0) << "case " << i;
        EXPECT_TRUE(PeekErrorTrail()) << "case " << i << " says why";
    }

    SavedState state;
    ASSERT_EQ(ReadSavedFiles("C:\\users\\me\\Desktop\\a.LNK\tfiles\\01 a.LNK\r\n"
                             "C:\\users\\me\\Pictures\\Desktop.ini\t(did not exist)\r\n",
                             &state),
              S_OK);
    ASSERT_EQ(state.files.size(), 2u);
    EXPECT_EQ(state.files[0].copy, "01 a.LNK");
    EXPECT_EQ(state.files[1].copy, "") << "did not exist";
    for (const char* line :
         {"C:\\users\\..\\..\\Desktop.ini\t(did not exist)",
          "C:\\windows\\evil.exe\t(did not exist)", "Desktop.ini\t(did not exist)",
          "C:\\x\\a.scf\tfiles\\..\\..\\a.scf", "C:\\x\\a.scf\tfiles\\a/b.scf",
          "C:\\x\\a.scf\tcopies\\a.scf", "C:\\x\\a.scf",
          "C:\\x\\\xC3.scf\t(did not "
          "exist)"}) {
        ClearErrorTrail();
        EXPECT_LT(ReadSavedFiles(line, &state), 0) << line;
    }
    ClearErrorTrail();
}

TEST(SavedBackup, ListsBackupsNewestFirst) {
    test::ScratchDir dir;
    auto make = [&](const std::string& name, const std::string& note) {
        fs::create_directories(dir / ("Backup/" + name));
        if (!note.empty())
            test::WriteFileBytes(dir / ("Backup/" + name + "/registry.reg"),
                                 Concat({kBom, Utf16("Windows Registry Editor Version 5.00\r\n\r\n"
                                                     "; Registry values ...\r\n; " +
                                                     note + "\r\n")}));
    };
    make("20261207-114502", "first.iconzip");
    make("20261207-114502-2", "second.iconzip");
    make("20261207-114502-10", "tenth.iconzip");
    make("20261208-090000", "later.iconzip");
    make("copied by hand", "hand.iconset");
    make("20261209-000000", ""); // no registry.reg: not a backup
    std::vector<ApplyBackupEntry> list = ListApplyBackups(dir.Path());
    std::vector<std::string> notes, when;
    for (const ApplyBackupEntry& entry : list) {
        notes.push_back(entry.iconset);
        when.push_back(entry.when);
    }
    EXPECT_EQ(notes, (std::vector<std::string>{"later.iconzip", "tenth.iconzip", "second.iconzip",
                                               "first.iconzip", "hand.iconset"}));
    EXPECT_EQ(when[0], "2026-12-08 09:00:00");
    EXPECT_EQ(when[3], "2026-12-07 11:45:02");
    EXPECT_EQ(when[4], "");
    EXPECT_EQ(list[0].folder, dir / "Backup/20261208-090000/");
    EXPECT_TRUE(ListApplyBackups(dir / "nowhere").empty());
}

// ---- restoring -------------------------------------------------------------------------------

const char kIconsKey[] = "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell "
                         "Icons\\\\5]";

// A registry file's text without the save times of its keys ("[key] 1700000000" and
// "#time=..."), which a key made anew cannot have kept.
std::string WithoutKeyTimes(const std::string& text) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (line.rfind("#time=", 0) == 0)
            continue;
        if (!line.empty() && line[0] == '[')
            line = line.substr(0, line.rfind(']') + 1);
        out += line + "\n";
    }
    return out;
}

// The text without one key's lines, and those lines without their save time; blank lines left
// out of both, since a key made anew goes to the end of the file.
std::pair<std::string, std::string> TakeSection(const std::string& text, const std::string& key) {
    auto withoutBlankLines = [](std::string t) {
        for (std::size_t at; (at = t.find("\n\n")) != std::string::npos;)
            t.erase(at, 1);
        return t;
    };
    std::size_t at = text.find(key);
    if (at == std::string::npos)
        return {withoutBlankLines(text), ""};
    std::size_t end = std::min(text.find("\n[", at), text.size() - 1) + 1;
    return {withoutBlankLines(text.substr(0, at) + text.substr(end)),
            withoutBlankLines(WithoutKeyTimes(text.substr(at, end - at)))};
}

std::string DosAttributes(const std::string& path) {
    char value[16] = {};
#ifdef __linux__
    if (::getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value - 1) <= 0)
        return "";
#endif
    return value;
}

// Every file below the folder with its bytes and DOS attributes.
std::map<std::string, std::string> FilesBelow(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && !entry.is_symlink())
            files[entry.path().string()] =
                ReadFileText(entry.path().string()) + "|" + DosAttributes(entry.path().string());
    return files;
}

struct RestoreFixture : ApplyFixture {
    std::string scf = user + "AppData/Roaming/Microsoft/Internet Explorer/Quick Launch/Show "
                             "Desktop.scf";
    std::string documents = user + "Documents/desktop.ini";

    RestoreFixture() {
#ifdef __linux__
        ::setxattr(documents.c_str(), "user.DOSATTRIB", "0x3", 3, 0);
#endif
    }
    // Applies Test.iconset as the apply mode does: the previous icons are in the backup's icons/.
    std::string Apply() {
        std::string backup = NewBackup();
        fs::create_directories(backup + "icons");
        WriteFileText(backup + "icons/Old.icl", "old icons");
        IconsetEngine engine(wine, working + "Test.iconset", data);
        IconsetApplier applier(engine);
        EXPECT_EQ(engine.Open(), S_OK);
        EXPECT_EQ(applier.LoadIconset(working + "Test.iconset", working), S_OK);
        ApplyResult result;
        EXPECT_EQ(applier.ApplyIconset(backup, &result), S_OK);
        return backup;
    }
    std::string Restore(const std::string& backup) {
        ApplyResult result;
        EXPECT_EQ(RestoreApplyBackup(wine, backup, working, &result), S_OK)
            << TakeErrorTrail().value_or("");
        EXPECT_TRUE(result.failed.empty()) << result.failed.front();
        return result.backupFolder;
    }
    std::vector<std::string> WorkingFiles() {
        std::vector<std::string> names;
        for (auto& entry : fs::directory_iterator(working))
            if (entry.is_regular_file())
                names.push_back(entry.path().filename().string() + "=" +
                                ReadFileText(entry.path().string()));
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST(IconsetRestore, PutsBackRegistryFilesAndIconsExactly) {
    RestoreFixture f;
    std::string systemBefore = ReadFileText(f.dir / "system.reg");
    std::string userBefore = ReadFileText(f.dir / "user.reg");
    std::string scfBefore = ReadFileText(f.scf);
    std::string backup = f.Apply();
    ASSERT_NE(ReadFileText(f.dir / "user.reg"), userBefore);

    std::string saved = f.Restore(backup);
    EXPECT_EQ(ReadFileText(f.dir / "user.reg"), userBefore)
        << "values put back in their lines, keys applying made deleted";
    auto [systemRest, iconsKey] = TakeSection(ReadFileText(f.dir / "system.reg"), kIconsKey);
    auto [systemRestBefore, iconsKeyBefore] = TakeSection(systemBefore, kIconsKey);
    EXPECT_EQ(systemRest, systemRestBefore);
    EXPECT_EQ(iconsKey, iconsKeyBefore) << "the deleted subkey is made anew with its values";

    EXPECT_EQ(ReadFileText(f.documents), kDocumentsIni);
    EXPECT_EQ(fs::status(f.documents).permissions() & fs::perms::all, fs::perms::owner_read);
    if (!DosAttributes(f.documents).empty()) {
        EXPECT_EQ(DosAttributes(f.documents), "0x3") << "hidden and read-only stay";
    }
    EXPECT_FALSE(fs::exists(f.user + "Pictures/Desktop.ini")) << "it did not exist";
    link::Bytes lnk = NotepadLink();
    EXPECT_EQ(test::ReadFileBytes(f.user + "Desktop/Notes.lnk"), lnk);
    EXPECT_EQ(ReadFileText(f.scf), scfBefore);

    EXPECT_EQ(f.WorkingFiles(), std::vector<std::string>{"Old.icl=old icons"});
    EXPECT_EQ(ReadFileText(saved + "icons/set.icl"), "MZ library") << "the present icons saved";
    std::vector<ApplyBackupEntry> list = ListApplyBackups(f.working);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].folder, saved);
    EXPECT_EQ(list[0].iconset, backup) << "a restore's backup names the backup it restored";
    EXPECT_EQ(list[1].iconset, f.working + "Test.iconset");
}

TEST(IconsetRestore, RestoringTheRestoreGivesTheAppliedStateAgain) {
    RestoreFixture f;
    std::string backup = f.Apply();
    std::string system = ReadFileText(f.dir / "system.reg");
    std::string user = ReadFileText(f.dir / "user.reg");
    std::map<std::string, std::string> files = FilesBelow(f.user);
    std::vector<std::string> icons = f.WorkingFiles();

    std::string undo = f.Restore(f.Restore(backup));
    EXPECT_EQ(WithoutKeyTimes(ReadFileText(f.dir / "system.reg")), WithoutKeyTimes(system));
    EXPECT_EQ(WithoutKeyTimes(ReadFileText(f.dir / "user.reg")), WithoutKeyTimes(user))
        << "the class keys applying made come back in their places, values in their order";
    EXPECT_EQ(FilesBelow(f.user), files) << "a Desktop.ini made anew is hidden again";
    EXPECT_EQ(f.WorkingFiles(), icons);
    EXPECT_EQ(ListApplyBackups(f.working).size(), 3u);
    EXPECT_EQ(ListApplyBackups(f.working).front().folder, undo);
}

TEST(IconsetRestore, DamagedOrHostileBackupsChangeNothing) {
    RestoreFixture f;
    std::string backup = f.Apply();
    auto appendTo = [](const std::string& path, const std::string& text) {
        WriteFileText(path, ReadFileText(path) + text);
    };
    std::string copy = fs::directory_iterator(backup + "files")->path().string();
    std::vector<std::pair<const char*, std::function<void(const std::string&)>>> damages = {
        {"bad UTF-16", [&](auto& b) { appendTo(b + "registry.reg", std::string("\0\xD8", 2)); }},
        {"a value that is no string",
         [&](auto& b) {
             test::WriteFileBytes(b + "registry.reg",
                                  Concat({test::ReadFileBytes(b + "registry.reg"),
                                          Utf16("\"x\"=dword:00000001\r\n")}));
         }},
        {"a drive the system lacks",
         [&](auto& b) { appendTo(b + "files.txt", "Q:\\x\\Desktop.ini\t(did not exist)\r\n"); }},
        {"a path that climbs out",
         [&](auto& b) {
             appendTo(b + "files.txt", "C:\\users\\..\\..\\..\\Desktop.ini\t(did not exist)\r\n");
         }},
        {"a copy outside files",
         [&](auto& b) { appendTo(b + "files.txt", "C:\\a\\b.lnk\tfiles\\..\\registry.reg\r\n"); }},
        {"a missing copy",
         [&](auto& b) { fs::remove(b + "files/" + fs::path(copy).filename().string()); }},
        {"a link among the icons",
         [&](auto& b) { fs::create_symlink("/etc/passwd", b + "icons/passwd.ico"); }},
        {"no registry.reg", [&](auto& b) { fs::remove(b + "registry.reg"); }},
    };
    for (const auto& [what, damage] : damages) {
        test::ScratchDir scratch;
        std::string bad = scratch / "bad/";
        fs::copy(backup, bad, fs::copy_options::recursive);
        damage(bad);
        std::map<std::string, std::string> before = FilesBelow(f.dir.Path());
        ApplyResult result;
        ClearErrorTrail();
        EXPECT_LT(RestoreApplyBackup(f.wine, bad, f.working, &result), 0) << what;
        std::string trail = TakeErrorTrail().value_or("");
        EXPECT_NE(trail.find("cannot be restored; nothing was changed"), std::string::npos)
            << what << ": " << trail;
        EXPECT_TRUE(FilesBelow(f.dir.Path()) == before) << what << " changed something";
        EXPECT_TRUE(result.done.empty() && result.backupFolder.empty()) << what;
    }
}

} // namespace
} // namespace vellum
