// The batch driver in process: exit statuses, what each mode writes, and the failure log.
#include "BatchTest.h"
#include "common/ErrorTrail.h"
#include "common/TestSupport.h"
#include "operations/FailureLog.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;
namespace fs = std::filesystem;

namespace {

using BatchDriverTest = BatchTest;

} // namespace

TEST_F(BatchDriverTest, MissingArgumentsAreUsageErrors) {
    EXPECT_EQ(Run({"-Decompile", DataPath("resonly.dll")}), kExitUsage);
    EXPECT_EQ(Run({"-Compile", "x.dll"}), kExitUsage);
    EXPECT_EQ(Run({"-Extract:1", "-Type:Bitmap", "-Source:x.dll", "-Output:y.ico"}), kExitUsage);
    EXPECT_EQ(Run({"-Bogus"}), kExitUsage);
    EXPECT_FALSE(fs::exists(dir_ / (std::string("data/") + kLogFileName)))
        << "usage errors are no failures";
}

// Decompiling the compiled file gives the same resource files again; only the headers (the new
// section's size) and the manifest (its data addresses) may differ.
TEST_F(BatchDriverTest, DecompileThenCompileKeepsEveryResource) {
    std::string dll = dir_ / "resonly.dll";
    fs::copy_file(DataPath("resonly.dll"), dll);
    ASSERT_EQ(Run({"-Decompile", dll, "-Output:" + (dir_ / "p")}), kExitSuccess);
    ASSERT_EQ(Run({"-Compile", dll, "-Output:" + (dir_ / "p/pe.xml")}), kExitSuccess);
    ASSERT_EQ(Run({"-Decompile", dll, "-Output:" + (dir_ / "again")}), kExitSuccess);
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(dir_ / "p")) {
        std::string name = entry.path().filename().string();
        if (name == "pe.xml" || name.find("eader") != std::string::npos ||
            name.find("EADER") != std::string::npos || entry.path().extension() == ".vellum" ||
            entry.path().extension() == ".dll") // the compiled file itself
            continue;
        EXPECT_EQ(ReadFileBytes(entry.path().string()), ReadFileBytes(dir_ / ("again/" + name)))
            << name;
        ++compared;
    }
    EXPECT_GE(compared, 8);
    EXPECT_TRUE(prompter_.Shown().empty()) << "the batch modes ask nothing when all goes well";
}

TEST_F(BatchDriverTest, FailuresExitWithOneAndAreLogged) {
    WriteFileText(dir_ / "notes.txt", "not an executable");
    EXPECT_EQ(Run({"-Decompile", dir_ / "notes.txt", "-Output:" + (dir_ / "p")}), kExitFailure);
    ASSERT_FALSE(prompter_.Shown().empty());
    EXPECT_EQ(prompter_.Shown().back().message.rfind("Failed to decompile the file\n", 0), 0u);
    std::string log = Log();
    EXPECT_NE(log.find(" -- Decompile " + dir_ / "notes.txt" + " failed:"), std::string::npos);
    EXPECT_NE(log.find("is not unrecognized"), std::string::npos) << log;
    EXPECT_FALSE(PeekErrorTrail()) << "the trail went to stderr and the log";

    // A resource file gone from the project: compiled without data, status 1, logged.
    std::string dll = dir_ / "resonly.dll";
    fs::copy_file(DataPath("resonly.dll"), dll);
    ASSERT_EQ(Run({"-Decompile", dll, "-Output:" + (dir_ / "q")}), kExitSuccess);
    fs::remove(dir_ / "q/VERSION");
    EXPECT_EQ(Run({"-Compile", dll, "-Output:" + (dir_ / "q/pe.xml")}), kExitFailure);
    EXPECT_NE(Log().find("(resource files missing)"), std::string::npos);
}

TEST_F(BatchDriverTest, ExtractMakesTheDestinationFolderOnlyForAReadableSource) {
    std::string out = dir_ / "new/deeper/one.ico";
    EXPECT_EQ(Run({"-Extract:1", "-Type:IconGroup", "-Source:" + DataPath("resonly.dll"),
                   "-Output:" + out}),
              kExitSuccess);
    EXPECT_TRUE(fs::exists(out));
    EXPECT_EQ(Run({"-Extract:1", "-Type:IconGroup", "-Source:" + (dir_ / "missing.dll"),
                   "-Output:" + (dir_ / "never/one.ico")}),
              kExitFailure);
    EXPECT_FALSE(fs::exists(dir_ / "never"));
    for (const auto& entry : fs::directory_iterator(dir_ / "data"))
        EXPECT_NE(entry.path().filename().string().rfind("extract-", 0), 0u)
            << "a work folder was left behind";
}

TEST_F(BatchDriverTest, InsertAddsAGroupInPlace) {
    std::string dll = dir_ / "norsrc.dll";
    fs::copy_file(DataPath("norsrc.dll"), dll);
    std::string ico = DataPath("src/img/app.ico");
    ASSERT_EQ(Run({dll, "-Insert:" + ico, "-Type:Icon"}), kExitSuccess);
    std::string extracted = dir_ / "app.ico";
    ASSERT_EQ(Run({"-Extract:1", "-Type:IconGroup", "-Source:" + dll, "-Output:" + extracted}),
              kExitSuccess);
    EXPECT_EQ(ReadFileBytes(extracted), ReadFileBytes(ico)) << "the group holds the file's images";
}
