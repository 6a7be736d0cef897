// vellum -Script in process: the scripts of an executable and of its project compile back with
// windres to the resources they came from; hostile resource names stay inside the folder.
#include "BatchTest.h"
#include "support/PeBuilder.h"
#include "support/ResourceLists.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;
namespace fs = std::filesystem;

namespace {

class ScriptModeTest : public BatchTest {
protected:
    // windres run inside the folder, as a user would, on resources.rc.
    ResourceMap Compile(const std::string& folder) {
        std::string command = "cd '" + folder +
                              "' && x86_64-w64-mingw32-windres -c 65001 -i resources.rc -o "
                              "out.res 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
        Bytes res = ReadFileBytes(folder + "/out.res");
        return ResFileResources(View(res));
    }
};

// A dialog with no items, no menu, class or caption.
Bytes EmptyDialog() {
    return ByteWriter()
        .U32(0x80C80000)
        .U32(0)
        .U16(0)
        .U16(0)
        .U16(0)
        .U16(50)
        .U16(20)
        .U16(0)
        .U16(0)
        .U16(0)
        .Take();
}

} // namespace

// The executable is read as it is; its project goes through pe.xml and STRINGS.XML. Both must
// give every dialog, menu, accelerator table, string table and version block back.
TEST_F(ScriptModeTest, ExecutableAndProjectScriptsCompileBackToTheResources) {
    if (!HaveWindres())
        GTEST_SKIP() << "x86_64-w64-mingw32-windres is not installed";
    std::string dll = DataPath("resources.dll");
    Bytes file = ReadFileBytes(dll);
    ResourceMap original = PeResources(View(file), kScriptTypes);
    ASSERT_GE(original.size(), 4u);
    ASSERT_EQ(Run({"-Decompile", dll, "-Output:" + (dir_ / "project")}), kExitSuccess);

    int run = 0;
    for (const std::string& source : {dll, dir_ / "project/pe.xml", dir_ / "project"}) {
        SCOPED_TRACE(source);
        std::string folder = dir_ / ("scripts-" + std::to_string(++run));
        ASSERT_EQ(Run({"-Script", source, "-Output:" + folder}), kExitSuccess);
        std::string all = ReadFileText(folder + "/resources.rc");
        EXPECT_NE(all.find("#pragma code_page(65001)"), std::string::npos);
        EXPECT_NE(all.find("#include \"StringTable_"), std::string::npos) << all;
        EXPECT_EQ(CompiledDifferences(original, Compile(folder)), std::vector<std::string>{});
    }
}

// Names are the file names: separators, device names and names differing only in case must
// neither leave the folder nor overwrite each other.
TEST_F(ScriptModeTest, HostileNamesStayInsideTheFolder) {
    Bytes section = BuildResourceSection({{5, u"..\\..\\EVIL", 1033, EmptyDialog()},
                                          {5, u"CON", 1033, EmptyDialog()},
                                          {5, u"abc", 1033, EmptyDialog()},
                                          {5, u"ABC", 1033, EmptyDialog()}},
                                         0x1000);
    std::string exe = dir_ / "hostile.dll";
    WriteFileBytes(exe, BuildPe({{".rsrc", section}}));
    std::string folder = dir_ / "out";
    ASSERT_EQ(Run({"-Script", exe, "-Output:" + folder}), kExitSuccess);

    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.Path()))
        if (entry.path().extension() == ".rc") {
            EXPECT_EQ(entry.path().parent_path(), fs::path(folder)) << entry.path();
            names.push_back(entry.path().filename().string());
        }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Dialog_.._.._EVIL_1033.rc", "Dialog_ABC_1033_2.rc",
                                               "Dialog_CON_1033.rc", "Dialog_abc_1033.rc",
                                               "resources.rc"}));
    // Compilers take names in capitals, so "abc" and "ABC" become one resource again.
    if (HaveWindres()) {
        EXPECT_EQ(Compile(folder).size(), 3u);
    }
}

TEST_F(ScriptModeTest, RefusesAFolderThatIsAFileAndUnreadableInput) {
    std::string notFolder = dir_ / "taken";
    WriteFileText(notFolder, "keep");
    EXPECT_EQ(Run({"-Script", DataPath("resources.dll"), "-Output:" + notFolder}), kExitFailure);
    EXPECT_EQ(ReadFileText(notFolder), "keep");
    EXPECT_EQ(Run({"-Script", dir_ / "missing.dll", "-Output:" + (dir_ / "o")}), kExitFailure);
    EXPECT_EQ(Run({"-Script", notFolder, "-Output:" + (dir_ / "o")}), kExitFailure)
        << "a file that is no executable";
    EXPECT_FALSE(fs::exists(dir_ / "o"));
    EXPECT_EQ(Run({"-Script", "-Output:" + (dir_ / "o")}), kExitUsage);
}
