// The scripts Vellum writes, compiled again by binutils' windres: every dialog, menu,
// accelerator table, string table and version block of the test fixtures and of Wine's DLLs
// (comdlg32, shell32, user32, comctl32, notepad) must come back with the bytes it had, apart
// from what the script language cannot say. Skipped where windres (or Wine) is missing.
#include "common/TestSupport.h"
#include "script/ResourceScript.h"
#include "support/ByteBuilder.h"
#include "support/ResourceLists.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

// Writes the script of every listed resource of `file`, compiles it and compares.
void CheckFile(const std::string& path) {
    SCOPED_TRACE(path);
    Bytes file = ReadFileBytes(path);
    ResourceMap original = PeResources(View(file), kScriptTypes);
    ASSERT_FALSE(original.empty());
    ResourceScript script;
    for (const auto& [key, bytes] : original)
        ASSERT_TRUE(script.AddResource(key.type, key.name, key.language, View(bytes)))
            << Describe(key);

    ScratchDir dir;
    WriteFileText(dir / "script.rc", script.Text());
    std::string command = "x86_64-w64-mingw32-windres -c 65001 -i '" + (dir / "script.rc") +
                          "' -O res -o '" + (dir / "script.res") + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << script.Text();
    Bytes res = ReadFileBytes(dir / "script.res");
    ResourceMap compiled = ResFileResources(View(res));
    EXPECT_EQ(CompiledDifferences(original, compiled), std::vector<std::string>{});
}

TEST(ScriptOracle, TestFixturesCompileBackToTheirBytes) {
    if (!HaveWindres())
        GTEST_SKIP() << "x86_64-w64-mingw32-windres is not installed";
    for (const char* name : {"resources.dll", "localized.dll", "reloc.dll", "resonly.dll",
                             "theme.msstyles", "x64.dll"})
        CheckFile(DataPath(name));
}

TEST(ScriptOracle, WineDllsCompileBackToTheirBytes) {
    const std::string folder = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/";
    if (!HaveWindres() || !std::filesystem::exists(folder + "comdlg32.dll"))
        GTEST_SKIP() << "needs x86_64-w64-mingw32-windres and Wine";
    for (const char* name :
         {"comdlg32.dll", "shell32.dll", "user32.dll", "comctl32.dll", "notepad.exe"})
        CheckFile(folder + name);
}

} // namespace
