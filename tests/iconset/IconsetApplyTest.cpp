// Loading and applying iconsets, on small Wine prefixes built here: what is written where, what
// is left alone, and what the backup keeps.
#include "common/ErrorTrail.h"
#include "common/Strings.h"
#include "iconset/ApplyFixture.h"
#include "iconset/IconsetApplier.h"
#include "iconset/IconsetApplyJob.h"
#include "iconset/ZipArchiveFile.h"

#ifdef __linux__
#include <sys/xattr.h>
#endif

namespace vellum {
namespace {

using namespace applytest;
TEST(IconsetApply, WritesEveryPlaceTheCatalogueNames) {
    ApplyFixture f;
    IconsetEngine engine(f.wine, f.working + "Test.iconset", f.data);
    IconsetApplier applier(engine);
    ASSERT_EQ(engine.Open(), S_OK);
    ASSERT_EQ(applier.LoadIconset(f.working + "Test.iconset", f.working), S_OK);
    EXPECT_EQ(applier.Info().author, "Author: Tester");
    ApplyResult result;
    ASSERT_EQ(applier.ApplyIconset(f.NewBackup(), &result), S_OK);
    EXPECT_TRUE(result.failed.empty()) << result.failed.front();

    const std::string set = "C:\\vellum\\Current.ico\\set.icl";
    EXPECT_EQ(f.Read(RootKey::LocalMachine, kShellIcons, "3"), set + ",0");
    EXPECT_EQ(f.Read(RootKey::LocalMachine, kShellIcons, "32"), set + ",2");
    EXPECT_EQ(f.Read(RootKey::LocalMachine, kShellIcons, "8"), "old eight")
        << "values the iconset does not name stay";
    EXPECT_EQ(f.Read(RootKey::LocalMachine, std::string(kShellIcons) + "\\5", "x"), "<none>")
        << "the subkey 5 is cleared";
    std::vector<std::string> subkeys;
    f.wine.EnumerateSubkeys(RootKey::LocalMachine, kShellIcons, &subkeys);
    EXPECT_EQ(subkeys, std::vector<std::string>{"45"}) << "only 0 to 44 are cleared";
    EXPECT_EQ(f.Read(RootKey::ClassesRoot, "Folder\\DefaultIcon", ""), set + ",0");

    // Index 99, no csidl, two locations: exactly those two values.
    std::vector<std::string> written;
    for (const std::string& line : result.done)
        if (line.find("set.icl,1") != std::string::npos)
            written.push_back(line);
    EXPECT_EQ(written.size(), 2u);
    EXPECT_EQ(f.Read(RootKey::CurrentUser, "Software\\Test\\One", ""), set + ",1");
    EXPECT_EQ(f.Read(RootKey::LocalMachine, "Software\\Test\\Two\\DefaultIcon", "Named"),
              set + ",1");

    // A class identifier whose last part is "Full": that value, for the machine and the user.
    EXPECT_EQ(
        f.Read(RootKey::LocalMachine, std::string("Software\\Classes\\") + kRecycleBin, "Full"),
        set + ",2");
    EXPECT_EQ(
        f.Read(RootKey::CurrentUser, std::string("Software\\Classes\\") + kRecycleBin, "Full"),
        set + ",2");
    EXPECT_EQ(f.Read(RootKey::ClassesRoot, "txtfile\\DefaultIcon", ""),
              "C:\\windows\\system32\\shell32.dll,-152")
        << "an extension's class gets the location, which has a drive and stays as written";
    EXPECT_EQ(f.Read(RootKey::CurrentUser, "Software\\Test\\Gone", ""), "<none>");
    EXPECT_TRUE(Contains(result.skipped, "gone.ico does not exist"));
    EXPECT_TRUE(Contains(result.skipped, "Broken.lnk"));
}

TEST(IconsetApply, UpdatesShellFiles) {
    ApplyFixture f;
    IconsetEngine engine(f.wine, f.working + "Test.iconset", f.data);
    IconsetApplier applier(engine);
    ASSERT_EQ(engine.Open(), S_OK);
    ASSERT_EQ(applier.LoadIconset(f.working + "Test.iconset", f.working), S_OK);
#ifdef __linux__
    ::setxattr((f.user + "Documents/desktop.ini").c_str(), "user.DOSATTRIB", "0x3", 3, 0);
#endif
    ApplyResult result;
    ASSERT_EQ(applier.ApplyIconset(f.NewBackup(), &result), S_OK);

    std::string documents = f.user + "Documents/desktop.ini";
    std::string ini = ReadFileText(documents);
    EXPECT_NE(ini.find("LocalizedResourceName=@shell32.dll,-21770\r\n"), std::string::npos);
    EXPECT_NE(ini.find("IconFile=C:\\vellum\\Current.ico\\set.icl\r\n"), std::string::npos);
    EXPECT_NE(ini.find("IconIndex=3\r\n"), std::string::npos);
    EXPECT_NE(ini.find("[Other]\r\nkeep=this\r\n"), std::string::npos);
    EXPECT_EQ(fs::status(documents).permissions() & fs::perms::all, fs::perms::owner_read)
        << "a read-only Desktop.ini stays read-only";

    std::string pictures = f.user + "Pictures/Desktop.ini";
    EXPECT_EQ(ReadFileText(pictures), "[.ShellClassInfo]\r\nIconFile=C:\\vellum\\Current.ico\\"
                                      "set.icl\r\nIconIndex=3\r\n")
        << "a new Desktop.ini, with the icon of the element before $REPEAT$";
#ifdef __linux__
    char attributes[16] = {};
    if (::getxattr(pictures.c_str(), "user.DOSATTRIB", attributes, sizeof attributes) > 0) {
        EXPECT_STREQ(attributes, "0x2") << "created hidden";
        ::getxattr(documents.c_str(), "user.DOSATTRIB", attributes, sizeof attributes);
        EXPECT_STREQ(attributes, "0x3") << "an existing file keeps hidden and read-only";
    }
#endif

    link::LinkFields fields;
    fields.linkInfo = link::LocalLinkInfo("C:\\windows\\", "notepad.exe", false);
    fields.strings[0] = u"Notes";
    fields.strings[4] = u"C:\\vellum\\Current.ico\\notepad.ico";
    EXPECT_EQ(test::ReadFileBytes(f.user + "Desktop/Notes.lnk"), link::Build(fields))
        << "a bare icon name is found in the iconset's folder";
    EXPECT_EQ(ReadFileText(f.user + "Desktop/Broken.lnk"), "not a link");
    EXPECT_NE(
        ReadFileText(f.user +
                     "AppData/Roaming/Microsoft/Internet Explorer/Quick Launch/Show Desktop.scf")
            .find("IconFile=C:\\vellum\\Current.ico\\set.icl,5\r\n"),
        std::string::npos);
}

TEST(IconsetApply, BackupRecordsWhatWasThere) {
    ApplyFixture f;
    IconsetEngine engine(f.wine, f.working + "Test.iconset", f.data);
    IconsetApplier applier(engine);
    ASSERT_EQ(engine.Open(), S_OK);
    ASSERT_EQ(applier.LoadIconset(f.working + "Test.iconset", f.working), S_OK);
    ApplyResult result;
    ASSERT_EQ(applier.ApplyIconset(f.NewBackup(), &result), S_OK);
    ASSERT_EQ(result.backupFolder.rfind(f.working + "Backup/", 0), 0u) << result.backupFolder;

    std::string reg = Utf16FileText(result.backupFolder + "registry.reg");
    EXPECT_EQ(reg.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);
    const std::string shellIcons = "[HKEY_LOCAL_MACHINE\\" + std::string(kShellIcons) + "]\r\n";
    EXPECT_NE(reg.find(shellIcons + "\"3\"=\"old three\"\r\n\"32\"=-\r\n"), std::string::npos)
        << reg;
    EXPECT_NE(reg.find("[HKEY_LOCAL_MACHINE\\" + std::string(kShellIcons) + "\\5]\r\n\"x\"=\"y\""),
              std::string::npos)
        << "the deleted subkey and its values";
    EXPECT_NE(reg.find("[HKEY_CLASSES_ROOT\\" + std::string(kRecycleBin) +
                       "]\r\n\"Full\"=\"old full\"\r\n"),
              std::string::npos);
    EXPECT_NE(reg.find("\"32\"=-\r\n"), std::string::npos) << "a value that did not exist";
    EXPECT_NE(reg.find("\r\n[-HKEY_LOCAL_MACHINE\\Software\\Test\\Two\\DefaultIcon]\r\n"),
              std::string::npos)
        << "a key that did not exist";
    EXPECT_EQ(reg.find("\"Named\"=-"), std::string::npos);
    std::string expandable = "@=hex(2):";
    for (char c : std::string("%SystemRoot%\\system32\\notepad.exe,1"))
        expandable += Format("%02x,00,", unsigned(c));
    EXPECT_NE(reg.find("[HKEY_CLASSES_ROOT\\txtfile\\DefaultIcon]\r\n" + expandable + "00,00\r\n"),
              std::string::npos)
        << "an expandable string keeps its type";

    std::string files = ReadFileText(result.backupFolder + "files.txt");
    link::Bytes lnk = NotepadLink();
    EXPECT_NE(files.find("C:\\users\\tester\\Pictures\\Desktop.ini\t(did not exist)\r\n"),
              std::string::npos)
        << files;
    for (const auto& [original, copyName] :
         {std::pair{std::string("Documents\\Desktop.ini"), std::string("Desktop.ini")},
          std::pair{std::string("Desktop\\Notes.lnk"), std::string("Notes.lnk")}}) {
        std::string line = "C:\\users\\tester\\" + original + "\tfiles\\";
        std::size_t at = files.find(line);
        ASSERT_NE(at, std::string::npos) << original;
        std::string copy =
            files.substr(at + line.size(), files.find("\r\n", at) - at - line.size());
        EXPECT_NE(copy.find(copyName), std::string::npos);
        EXPECT_EQ(ReadFileText(result.backupFolder + "files/" + copy),
                  copyName == "Notes.lnk" ? std::string(lnk.begin(), lnk.end())
                                          : std::string(kDocumentsIni));
    }
}

TEST(IconsetApply, ChangesNothingItCannotSave) {
    ApplyFixture f;
    std::string system = kSystemReg;
    system.replace(system.find("\"3\"=\"old three\""), 15, "\"3\"=dword:00000007");
    WriteFileText(f.dir / "system.reg", system);
    IconsetEngine engine(f.wine, f.working + "Test.iconset", f.data);
    IconsetApplier applier(engine);
    ASSERT_EQ(engine.Open(), S_OK);
    ASSERT_EQ(applier.LoadIconset(f.working + "Test.iconset", f.working), S_OK);

    WriteFileText(f.working + "Backup", "a file where the backup folder would go");
    std::string userBefore = ReadFileText(f.dir / "user.reg");
    ApplyResult result;
    EXPECT_LT(applier.ApplyIconset(f.working + "Backup", &result), 0);
    EXPECT_EQ(ReadFileText(f.dir / "system.reg"), system);
    EXPECT_EQ(ReadFileText(f.dir / "user.reg"), userBefore);
    EXPECT_EQ(ReadFileText(f.user + "Documents/desktop.ini"), kDocumentsIni);

    fs::remove(f.working + "Backup");
    ASSERT_EQ(applier.ApplyIconset(f.NewBackup(), &result), S_OK);
    EXPECT_TRUE(Contains(result.skipped, "Shell Icons \"3\""));
    EXPECT_NE(ReadFileText(f.dir / "system.reg").find("\"3\"=dword:00000007"), std::string::npos)
        << "a value that could not be saved is not overwritten";
}

// Archives built with the program's own zip writer, from files in a scratch folder.
std::string MakeZip(const std::string& folder, const std::string& name,
                    const std::vector<std::string>& files) {
    std::string path = folder + name;
    ZipArchiveFile zip;
    zip.Open(path, ZipArchiveFile::Mode::Create);
    for (const std::string& file : files)
        zip.AddFile(file);
    zip.Close();
    return path;
}

TEST(IconsetLoad, ZippedIconsetsAndTheirFailures) {
    ApplyFixture f;
    test::ScratchDir source;
    WriteFileText(source / "My.iconset", kIconset);
    WriteFileText(source / "set.icl", "MZ library");
    WriteFileText(source / "notepad.ico", "icon");
    std::string inner =
        MakeZip(source.Path(), "inner.iconzip",
                {source / "My.iconset", source / "set.icl", source / "notepad.ico"});
    std::string outer = MakeZip(source.Path(), "outer.zip", {inner});
    fs::remove_all(f.working);
    fs::create_directories(f.working);
    fs::copy_file(outer, f.working + "outer.zip");

    IconsetEngine engine(f.wine, f.working + "outer.zip", f.data);
    IconsetApplier applier(engine);
    ASSERT_EQ(engine.Open(), S_OK);
    ASSERT_EQ(applier.LoadIconset(f.working + "outer.zip", f.working), S_OK)
        << "an archive holding only another archive loads the inner one";
    EXPECT_EQ(applier.AppliedIcons().size(), 9u);
    EXPECT_TRUE(fs::exists(f.working + "set.icl"));

    std::string iconsOnly = MakeZip(source.Path(), "icons.zip", {source / "set.icl"});
    EXPECT_LT(applier.LoadIconset(iconsOnly, f.working), 0);
    EXPECT_EQ(applier.LoadFailedText("icons.zip"),
              "The file\n\nicons.zip\n\n does not have a .iconset or is not a valid .iconset\n");
    std::string setOnly = MakeZip(source.Path(), "set.zip", {source / "My.iconset"});
    EXPECT_LT(applier.LoadIconset(setOnly, f.working), 0);
    EXPECT_EQ(applier.LoadFailedText("set.zip"),
              "The file\n\nset.zip\n\nDoes not have any icons.\n");

    WriteFileText(source / "damaged.zip", "PK not really");
    EXPECT_LT(applier.LoadIconset(source / "damaged.zip", f.working), 0);
    WriteFileText(source / "Other.iconset",
                  "<Root><Icons><Unknown Icon=\"set.icl,0\"/></Icons></Root>");
    EXPECT_LT(applier.LoadIconset(source / "Other.iconset", f.working), 0)
        << "an iconset none of whose icons the catalogue knows gives nothing to apply";
    EXPECT_EQ(applier.LoadFailedText("x"), "The file\n\nx\n\nDoes not have any icons.\n");

    fs::copy_file(source / "My.iconset", source / "Upper.ICONSET");
    EXPECT_EQ(applier.LoadIconset(source / "Upper.ICONSET", f.working), S_OK);
    EXPECT_TRUE(Contains(applier.LoadNotes(), "Glyphwright.exe is not run"));
}

// An entry that cannot be written where it belongs is skipped with a note and the rest loads; a
// name that would leave the folder also leaves its reason in the error trail.
TEST(IconsetLoad, EntriesThatCannotBeWrittenAreSkipped) {
    ApplyFixture f;
    test::ScratchDir source;
    WriteFileText(source / "My.iconset", kIconset);
    WriteFileText(source / "set.icl", "MZ library");
    WriteFileText(source / "zz.ico", "icon");
    WriteFileText(source / "blocked.ico", "icon");
    std::string path = MakeZip(
        source.Path(), "odd.zip",
        {source / "My.iconset", source / "set.icl", source / "zz.ico", source / "blocked.ico"});
    std::string bytes = ReadFileText(path);
    for (std::size_t at; (at = bytes.find("zz.ico")) != std::string::npos;)
        bytes.replace(at, 6, "/z.ico"); // in the local header and the central directory
    WriteFileText(path, bytes);
    fs::create_directories(f.working + "blocked.ico"); // a folder where the file would go

    IconsetEngine engine(f.wine, f.working + "Test.iconset", f.data);
    IconsetApplier applier(engine);
    ASSERT_EQ(engine.Open(), S_OK);
    ClearErrorTrail();
    EXPECT_EQ(applier.LoadIconset(path, f.working), S_OK);
    EXPECT_TRUE(Contains(applier.LoadNotes(), "Skipped the entry \\z.ico of"));
    EXPECT_TRUE(Contains(applier.LoadNotes(), "Skipped the entry blocked.ico of"));
    std::string trail = TakeErrorTrail().value_or("");
    EXPECT_NE(trail.find("The zip entry \"\\z.ico\" is not a plain file name"), std::string::npos)
        << trail;
    EXPECT_EQ(trail.find("blocked.ico"), std::string::npos) << trail;
    EXPECT_TRUE(fs::is_directory(f.working + "blocked.ico"));
}

// Records what a job reports, so that the bar can be checked to move forward only.
struct RecordedProgress final : ProgressSink {
    std::vector<int> percents;
    std::vector<std::string> statuses;
    void SetPercent(int percent) override { percents.push_back(percent); }
    void SetStatus(std::string_view text) override { statuses.emplace_back(text); }
};

TEST(IconsetApplyJob, CopiesAppliesAndKeepsThePreviousIcons) {
    ApplyFixture f;
    std::string sets = f.dir / "drive_c/sets/";
    fs::create_directories(sets);
    fs::rename(f.working + "Test.iconset", sets + "Test.iconset");
    fs::rename(f.working + "set.icl", sets + "set.icl");
    fs::rename(f.working + "notepad.ico", sets + "notepad.ico");
    WriteFileText(f.working + "previous.ico", "the icon shown now");

    IconsetApplyJob job(f.wine, f.data);
    RecordedProgress progress;
    ApplyResult result;
    ASSERT_EQ(job.Run(sets + "Test.iconset", progress, &result), S_OK);
    EXPECT_EQ(job.AppliedIcons(), 9);
    EXPECT_EQ(f.Read(RootKey::LocalMachine, kShellIcons, "3"),
              "C:\\vellum\\Current.ico\\set.icl,0");
    EXPECT_EQ(ReadFileText(f.working + "set.icl"), "MZ library");
    EXPECT_FALSE(fs::exists(f.working + "previous.ico")) << "the working folder is emptied";
    EXPECT_EQ(ReadFileText(result.backupFolder + "icons/previous.ico"), "the icon shown now");

    ASSERT_FALSE(progress.percents.empty());
    EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
    EXPECT_EQ(progress.percents.back(), 100);
    EXPECT_EQ(progress.statuses.front(), "Loading Test.iconset");
    EXPECT_TRUE(Contains(progress.statuses, "Applying icons (1 of "));
    EXPECT_EQ(progress.statuses.back(), "Finished");
}

TEST(IconsetApplyJob, AnIconsetWithoutIconsChangesNothing) {
    ApplyFixture f;
    test::ScratchDir empty;
    WriteFileText(empty / "Empty.iconset", "<Root><Info/><Icons/></Root>");
    std::string systemBefore = ReadFileText(f.dir / "system.reg");

    IconsetApplyJob job(f.wine, f.data);
    RecordedProgress progress;
    ApplyResult result;
    EXPECT_LT(job.Run(empty / "Empty.iconset", progress, &result), 0);
    EXPECT_TRUE(job.LoadFailed());
    EXPECT_EQ(job.LoadFailedText().rfind("The file\n\n", 0), 0u) << job.LoadFailedText();
    EXPECT_EQ(ReadFileText(f.working + "set.icl"), "MZ library") << "the working folder stays";
    EXPECT_FALSE(fs::exists(f.working + "Backup"));
    EXPECT_EQ(ReadFileText(f.dir / "system.reg"), systemBefore);
}

} // namespace
} // namespace vellum
