// The Import dialog's checks on OK: refusals with their messages, and the folder created only
// when the user agrees.
#include "operations/ImportChecks.h"

#include "common/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace vellum {
namespace {

using test::ScratchDir;

std::string OnlyMessage(const ScriptedPrompter& prompter) {
    EXPECT_EQ(prompter.Shown().size(), 1u);
    return prompter.Shown().empty() ? "" : prompter.Shown().front().message;
}

TEST(ImportChecks, FolderRefusalsKeepEverythingAsItWas) {
    ScratchDir dir;
    ScriptedPrompter empty;
    EXPECT_FALSE(CheckImportFolder("", empty));
    EXPECT_EQ(OnlyMessage(empty), "You must specify a dump directory.");

    test::WriteFileText(dir / "plain", "x");
    ScriptedPrompter file;
    EXPECT_FALSE(CheckImportFolder(dir / "plain", file));
    EXPECT_EQ(OnlyMessage(file), dir / "plain/ is not a directory");

    // No: the folder is not made.
    ScriptedPrompter no({IDNO});
    EXPECT_FALSE(CheckImportFolder(dir / "new/deeper", no));
    EXPECT_EQ(OnlyMessage(no),
              "The '" + dir / "new/deeper/" +
                  "' directory does not exist.\r\n\r\nWould you like to create it?");
    EXPECT_FALSE(std::filesystem::exists(dir / "new"));
}

TEST(ImportChecks, AMissingFolderIsMadeWithItsParentsOnYes) {
    ScratchDir dir;
    ScriptedPrompter yes({IDYES});
    EXPECT_EQ(CheckImportFolder(dir / "new/deeper", yes), dir / "new/deeper/");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "new/deeper"));

    ScriptedPrompter quiet;
    EXPECT_EQ(CheckImportFolder(dir / "new", quiet), dir / "new/");
    EXPECT_TRUE(quiet.Shown().empty());
}

TEST(ImportChecks, TheFileMustBeAnExecutableTheDecompilerReads) {
    ScratchDir dir;
    ScriptedPrompter empty;
    EXPECT_FALSE(CheckImportFile("", empty));
    EXPECT_EQ(OnlyMessage(empty), "You must specify a file to import.");

    ScriptedPrompter missing;
    EXPECT_FALSE(CheckImportFile(dir / "gone.dll", missing));
    EXPECT_EQ(OnlyMessage(missing), "The " + dir / "gone.dll" + " file does not exist.");

    test::WriteFileText(dir / "notes.txt", "MZ is not enough");
    ScriptedPrompter text;
    EXPECT_FALSE(CheckImportFile(dir / "notes.txt", text));
    EXPECT_EQ(OnlyMessage(text), "The '" + dir / "notes.txt" +
                                     "' file contains no resources that Vellum can extract.");

    for (const char* fixture : {"resources.dll", "icons.icl", "norsrc.dll"}) {
        ScriptedPrompter fine;
        EXPECT_TRUE(CheckImportFile(test::DataPath(fixture), fine)) << fixture;
        EXPECT_TRUE(fine.Shown().empty()) << fixture;
    }
}

} // namespace
} // namespace vellum
