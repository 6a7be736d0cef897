// Tests for the window's snapshot job: the names and checks taken from the dialog's choices, the
// packagings on a small prefix built by small_prefix.sh, and a stop in the middle.
#include "iconset/SnapshotJob.h"

#include "cli/CommandLine.h"
#include "cli/SnapshotMode.h"
#include "common/Prompter.h"
#include "common/TestSupport.h"
#include "iconset/SnapshotPackage.h"
#include "iconset/ZipArchiveFile.h"
#include "platform/WinePrefix.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace vellum {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::ReadFileText;
using test::ScratchDir;
using test::WriteFileText;

SnapshotChoices Named(const std::string& name, SnapshotPackaging packaging, bool individual) {
    SnapshotChoices choices;
    choices.name = name;
    choices.packaging = packaging;
    choices.individualIcons = individual;
    return choices;
}

TEST(SnapshotNames, FollowTheNameTheSaveFormAndThePackaging) {
    struct Case {
        SnapshotPackaging packaging;
        bool individual;
        const char* stored;
        const char* item;
        const char* result;
    };
    const Case cases[] = {
        {SnapshotPackaging::Iconzip, false, "my.iconzip", "my.icl", "/t/my.iconzip"},
        {SnapshotPackaging::Iconset, false, "my.iconset", "my.icl", "/t/my.iconset"},
        {SnapshotPackaging::None, false, "my.icl", "my.icl", "/t/my.icl"},
        // Individual icons: the archive sits in the target folder, an iconset file in the
        // subfolder beside its icons, and without packaging the subfolder is the result.
        {SnapshotPackaging::Iconzip, true, "my.iconzip", "my", "/t/my.iconzip"},
        {SnapshotPackaging::Iconset, true, "my.iconset", "my", "/t/my/my.iconset"},
        {SnapshotPackaging::None, true, "my", "my", "/t/my"},
    };
    for (const Case& c : cases) {
        SnapshotNames names =
            ChooseSnapshotNames(Named("my.snap", c.packaging, c.individual), "/t/");
        EXPECT_EQ(names.baseName, "my");
        EXPECT_EQ(names.storedName, c.stored);
        EXPECT_EQ(names.itemName, c.item);
        EXPECT_EQ(names.resultPath, c.result);
        EXPECT_EQ(names.subfolder, c.individual ? "/t/my" : "");
    }
    // A name that is no plain file name is kept as typed, for the checks to refuse.
    SnapshotNames slashed =
        ChooseSnapshotNames(Named("a/b", SnapshotPackaging::Iconzip, false), "/t");
    EXPECT_EQ(slashed.storedName, "a/b");
    EXPECT_EQ(slashed.baseName, "");
}

// Each row of the checks, in their order; most cases also break a later rule, so a check that
// ran too early would show its own message instead.
TEST(SnapshotChecks, RefuseInOrderWithTheirMessages) {
    ScratchDir dir;
    std::string target = dir / "Icons";
    fs::create_directories(target + "/taken");
    WriteFileText(target + "/set.iconset", "x");
    WriteFileText(target + "/lib.icl", "x");
    auto check = [&](SnapshotChoices choices, const std::string& folder) {
        std::optional<SnapshotMessage> message =
            CheckSnapshotChoices(choices, ChooseSnapshotNames(choices, folder));
        return message ? message->caption + "|" + message->text : std::string("ok");
    };
    SnapshotChoices none = Named("", SnapshotPackaging::Iconzip, false);
    none.categories.clear();
    EXPECT_EQ(check(none, target), "Error: Please Select Icons|No icons are selected to be "
                                   "included in icon set.\n\rPlease select icons to continue.");
    EXPECT_EQ(check(Named("", SnapshotPackaging::Iconzip, false), target),
              "Error: Please Specify Filename.|No filename specified.\n\rPlease select a filename "
              "to save the icons to.");
    EXPECT_EQ(check(Named(std::string(261, 'a') + "/", SnapshotPackaging::Iconzip, false), target),
              "Filname too long|The filename specified is too long.");
    for (const char* bad :
         {"a\\b", "a/b", "a:b", "a?b", "a*b", "a|b", "a\"b", "a<b", "..", "a\x01"})
        EXPECT_EQ(check(Named(bad, SnapshotPackaging::Iconzip, false), target),
                  std::string("Invalid File Name|The name\n\n") + bad +
                      "\n\ncontains invalid characters.")
            << bad;
    std::string deep = target + "/" + std::string(250, 'd');
    EXPECT_EQ(check(Named("set", SnapshotPackaging::Iconset, false), deep),
              "Name too long|The name\n\n" + deep + "/set.iconset\n\nis too long.");
    EXPECT_EQ(check(Named("set", SnapshotPackaging::Iconset, false), target),
              "Error: File Exists|An iconset with the name\n\n" + target +
                  "/set.iconset\n\nalready exists. Please choose another name.");
    // The library beside a new iconset file would replace the user's file.
    EXPECT_EQ(check(Named("lib", SnapshotPackaging::Iconset, false), target),
              "Error: File Exists|An iconset with the name\n\n" + target +
                  "/lib.icl\n\nalready exists. Please choose another name.");
    EXPECT_EQ(check(Named("taken", SnapshotPackaging::None, true), target),
              "Error: Directory Exists|A Directory with the name\n\n" + target +
                  "/taken\n\nalready exists. Please choose another name.");
    // Zipped individual icons never touch the subfolder.
    EXPECT_EQ(check(Named("taken", SnapshotPackaging::Iconzip, true), target), "ok");
    EXPECT_EQ(check(Named("new.name", SnapshotPackaging::None, false), target), "ok");
}

TEST(SnapshotPackage, PlacingNeverReplacesAFile) {
    ScratchDir dir;
    WriteFileText(dir / "new", "new");
    WriteFileText(dir / "old", "old");
    EXPECT_EQ(PlaceNewFile(dir / "new", dir / "old"), HRESULT_FROM_WIN32(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadFileText(dir / "old"), "old");
    EXPECT_EQ(PlaceNewFile(dir / "new", dir / "placed"), S_OK);
    EXPECT_EQ(ReadFileText(dir / "placed"), "new");
    EXPECT_EQ(ReadFileText(dir / "new"), "new");
    int files = int(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()));
    EXPECT_EQ(files, 3) << "no temporary file is left";
}

// Records every report; cancels once `cancelAt` was shown as a status prefix `after` times.
class RecordingProgress final : public ProgressSink {
public:
    void SetPercent(int percent) override { percents.push_back(percent); }
    void SetStatus(std::string_view text) override {
        statuses.emplace_back(text);
        if (!cancelAt.empty() && text.substr(0, cancelAt.size()) == cancelAt && --after <= 0)
            cancelled = true;
    }
    bool CancelRequested() const override { return cancelled; }
    bool Saw(const std::string& status) const {
        return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
    }

    std::vector<int> percents;
    std::vector<std::string> statuses;
    std::string cancelAt;
    int after = 1;
    bool cancelled = false;
};

std::vector<std::string> EntriesOf(const std::string& archive) {
    ZipArchiveFile zip;
    zip.Open(archive, ZipArchiveFile::Mode::ReadOnly);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < zip.Count(); ++i)
        names.push_back(zip.EntryInfo(i).name);
    return names;
}

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct JobPrefix : ::testing::Test {
    ScratchDir dir;
    std::string data = dir / "data";
    std::unique_ptr<WinePrefix> wine;
    SnapshotFolders folders;
    ScriptedPrompter prompter;
    RecordingProgress progress;

    void SetUp() override {
        std::string script = std::string(VELLUM_SOURCE_DIR) + "/tests/iconset/small_prefix.sh";
        std::string command = "bash '" + script + "' '" + dir / "prefix" + "' '" +
                              VELLUM_TEST_DATA + "' '" + data + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        fs::copy_file(std::string(VELLUM_SOURCE_DIR) + "/data/blank.dll", data + "/blank.dll");
        wine = std::make_unique<WinePrefix>(dir / "prefix");
        ASSERT_FALSE(PrepareSnapshotFolders(*wine, data, &folders));
    }

    HRESULT Run(SnapshotChoices choices) {
        SnapshotJob job(*wine, data, folders, std::move(choices));
        return job.Run(prompter, progress);
    }
};

TEST_F(JobPrefix, MakesItsFoldersInThePrefixAndTheDataFolder) {
    EXPECT_EQ(folders.target, dir / "prefix/drive_c/windows/Resources/Icons");
    EXPECT_EQ(folders.work, data + "/temp/Snapshot.tmp");
    EXPECT_TRUE(fs::is_directory(folders.target) && fs::is_directory(folders.work));
    // A file where the work folder's parent should be stops the dialog from opening.
    ScratchDir other;
    WriteFileText(other / "temp", "a file");
    SnapshotFolders blocked;
    std::optional<SnapshotMessage> failure = PrepareSnapshotFolders(*wine, other.Path(), &blocked);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->caption, "Create Directory Fail");
    EXPECT_EQ(failure->text.rfind("Failed to create directory (", 0), 0u) << failure->text;
    EXPECT_NE(failure->text.find("\n\n" + other / "temp/Snapshot.tmp\n\n"), std::string::npos);
}

TEST_F(JobPrefix, ZippedLibraryHoldsTheIconsetAndTheLibraryAndReportsEachStep) {
    ASSERT_EQ(Run(Named("snap", SnapshotPackaging::Iconzip, false)), S_OK);
    EXPECT_EQ(Listing(folders.target), std::vector<std::string>{"snap.iconzip"});
    EXPECT_EQ(EntriesOf(folders.target + "/snap.iconzip"),
              (std::vector<std::string>{"snap.iconset", "snap.icl"}));
    for (const char* status :
         {"Initializing", "Dumping Explorer Icons", "Collecting Explorer Icons (1 of 6)",
          "Dumping Folder Icons", "Collecting Miscellaneous Icons (6 of 6)", "Extracting Icons",
          "Building Snapshot", "Compiling .ICL", "Zipping (snap.iconset)", "Zipping (snap.icl)"})
        EXPECT_TRUE(progress.Saw(status)) << status;
    EXPECT_EQ(progress.statuses.back(), "Finished");
    EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
    EXPECT_EQ(progress.percents.back(), 100);
    EXPECT_NE(std::find(progress.percents.begin(), progress.percents.end(), 5),
              progress.percents.end());
    EXPECT_NE(std::find(progress.percents.begin(), progress.percents.end(), 85),
              progress.percents.end());
}

// The dialog's zipped library and -SnapShot:NAME.iconzip are one piece of packaging code: with the
// same choices the archives hold the same files.
TEST_F(JobPrefix, ZippedLibraryMatchesTheBatchMode) {
    SnapshotChoices choices = Named("snap", SnapshotPackaging::Iconzip, false);
    choices.sizeLimit = 256; // the batch mode keeps every size
    ASSERT_EQ(Run(choices), S_OK);
    setenv("WINEPREFIX", (dir / "prefix").c_str(), 1);
    CommandLine info;
    info.secondPath = dir / "cli/snap.iconzip";
    ASSERT_EQ(RunSnapshot(info, prompter, data), 0);
    unsetenv("WINEPREFIX");
    for (const std::string& archive :
         {folders.target + "/snap.iconzip", dir / "cli/snap.iconzip"}) {
        ZipArchiveFile zip;
        zip.Open(archive, ZipArchiveFile::Mode::ReadOnly);
        std::string out = archive + ".x";
        for (std::size_t i = 0; i < zip.Count(); ++i)
            zip.Extract(i, out);
    }
    EXPECT_EQ(ReadFileText(folders.target + "/snap.iconzip.x/snap.iconset"),
              ReadFileText(dir / "cli/snap.iconzip.x/snap.iconset"));
    EXPECT_EQ(ReadFileBytes(folders.target + "/snap.iconzip.x/snap.icl"),
              ReadFileBytes(dir / "cli/snap.iconzip.x/snap.icl"));
}

TEST_F(JobPrefix, IndividualIconsInEachPackaging) {
    ASSERT_EQ(Run(Named("set", SnapshotPackaging::Iconset, true)), S_OK);
    EXPECT_TRUE(progress.Saw("Renaming (MyComputer.ico)"));
    EXPECT_EQ(Listing(folders.target + "/set"),
              (std::vector<std::string>{"Application.ico", "FolderOpen.ico", "MyComputer.ico",
                                        "Plain.ico", "set.iconset"}));
    EXPECT_NE(ReadFileText(folders.target + "/set/set.iconset")
                  .find("<ComputerAgain Icon=\"MyComputer.ico\"/>"),
              std::string::npos);

    ASSERT_EQ(Run(Named("raw", SnapshotPackaging::None, true)), S_OK);
    EXPECT_TRUE(progress.Saw("Copying (1400001.ico)"));
    EXPECT_EQ(
        Listing(folders.target + "/raw"),
        (std::vector<std::string>{"1400001.ico", "1400002.ico", "1400003.ico", "1400004.ico"}));

    ASSERT_EQ(Run(Named("zip", SnapshotPackaging::Iconzip, true)), S_OK);
    EXPECT_TRUE(progress.Saw("Removing Temporary Files"));
    EXPECT_EQ(EntriesOf(folders.target + "/zip.iconzip"),
              (std::vector<std::string>{"Application.ico", "FolderOpen.ico", "MyComputer.ico",
                                        "Plain.ico", "zip.iconset"}));
    EXPECT_FALSE(fs::exists(folders.target + "/zip")) << "the icons were staged elsewhere";
}

TEST_F(JobPrefix, StoppingRemovesEverythingTheJobWrote) {
    // In the middle of extracting: no archive.
    progress.cancelAt = "Extracting Icons (";
    progress.after = 2;
    EXPECT_EQ(Run(Named("snap", SnapshotPackaging::Iconzip, false)), E_ABORT);
    EXPECT_FALSE(progress.Saw("Extracting Icons (3 of 4)"));
    // After two icons were written into the new subfolder: it goes with them.
    progress = {};
    progress.cancelAt = "Renaming (";
    progress.after = 2;
    EXPECT_EQ(Run(Named("set", SnapshotPackaging::Iconset, true)), E_ABORT);
    EXPECT_FALSE(progress.Saw("Finished"));
    EXPECT_EQ(Listing(folders.target), std::vector<std::string>{});
    // A later snapshot under the same name is not hindered by anything left behind.
    progress = {};
    EXPECT_EQ(Run(Named("set", SnapshotPackaging::Iconset, true)), S_OK);
}

} // namespace
} // namespace vellum
