#include "platform/DataFolder.h"

#include "cli/Version.h"
#include "common/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;
namespace fs = std::filesystem;

TEST(DataFolder, ComesFromTheEnvironmentAndGetsTheShippedFiles) {
    ScratchDir dir;
    fs::create_directories(dir / "bin/share/vellum");
    WriteFileText(dir / "bin/share/vellum/blank.dll", "template");
    WriteFileText(dir / "bin/share/vellum/blank.icl", "library");
    fs::create_directories(dir / "data");
    WriteFileText(dir / "data/blank.icl", "the user's own");
    setenv("VELLUM_DATA_DIR", (dir / "data").c_str(), 1);
    std::string folder;
    ASSERT_EQ(PrepareDataFolder(dir / "bin/", &folder), S_OK);
    unsetenv("VELLUM_DATA_DIR");
    EXPECT_EQ(folder, dir / "data/");
    EXPECT_EQ(ReadFileText(dir / "data/blank.dll"), "template");
    EXPECT_EQ(ReadFileText(dir / "data/blank.icl"), "the user's own") << "present files stay";

    setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
    EXPECT_EQ(DataFolderPath(), dir / "xdg/Quillon/Vellum/");
    unsetenv("XDG_DATA_HOME");
}

TEST(DataFolder, GuardedDeleteRefusesForeignFolders) {
    ScratchDir dir;
    std::string data = dir / "data/";
    fs::create_directories(data + "Temp/sub");
    WriteFileText(data + "Temp/a.bin", "a");
    WriteFileText(data + "Temp/locked.bin", "l");
    WriteFileText(data + "Temp/sub/kept.bin", "k");
    fs::permissions(data + "Temp/locked.bin", fs::perms::owner_write, fs::perm_options::remove);
    fs::create_directories(dir / "elsewhere");
    WriteFileText(dir / "elsewhere/x", "x");

    EXPECT_EQ(GuardedFolderDelete(dir / "elsewhere/", false, data), E_FAIL);
    EXPECT_TRUE(fs::exists(dir / "elsewhere/x"));
    EXPECT_EQ(GuardedFolderDelete(data + "Temp/", false, data), S_OK);
    EXPECT_FALSE(fs::exists(data + "Temp/a.bin"));
    EXPECT_TRUE(fs::exists(data + "Temp/locked.bin")) << "read-only files stay";
    EXPECT_TRUE(fs::exists(data + "Temp/sub/kept.bin")) << "subfolders stay";

    EXPECT_EQ(GuardedFolderDelete("", true, data), E_FAIL);
    EXPECT_EQ(GuardedFolderDelete("/", true, data), E_FAIL);
    EXPECT_EQ(GuardedFolderDelete("/usr", true, data), E_FAIL);
    EXPECT_EQ(GuardedFolderDelete(dir / "elsewhere", true, data), S_OK);
    EXPECT_FALSE(fs::exists(dir / "elsewhere/x"));

    ASSERT_EQ(ClearReadOnly(data + "Temp/locked.bin"), S_OK);
    EXPECT_NE(fs::status(data + "Temp/locked.bin").permissions() & fs::perms::owner_write,
              fs::perms::none);
}

TEST(Version, FourPartVersionsShowMajorTimesATenth) {
    EXPECT_NEAR(VersionNumber(0, 20, 0, 10000), 2.10, 1e-9);
    EXPECT_EQ(VersionString().rfind("Vellum Version ", 0), 0u);
}
