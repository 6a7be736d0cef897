#include "operations/Operations.h"

#include "common/ErrorTrail.h"
#include "common/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

TEST(DecompileFile, WritesTheProjectFile) {
    ScratchDir dir;
    ScriptedPrompter prompter;
    DecompileRequest request;
    request.source = DataPath("theme.msstyles");
    request.folder = dir / "sub/project";
    request.textOutput = nullptr;
    std::string project;
    ASSERT_EQ(DecompileFile(request, prompter, &project), S_OK) << PeekErrorTrail().value_or("");
    EXPECT_EQ(project, dir / "sub/project/theme.vellum");
    EXPECT_EQ(ReadFileText(project), "<?xml version='1.0' encoding='ISO-8859-1'?>\r\n"
                                     "<ROOT>\r\n"
                                     "   <PEFILE FileName=\"pe.xml\"/>\r\n"
                                     "   <RESFILE FileName=\"" +
                                         request.source +
                                         "\"/>\r\n"
                                         "</ROOT>\r\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "sub/project/BLUE/NORMAL.INI"))
        << ".msstyles sources get visual-style naming";
    EXPECT_TRUE(std::filesystem::exists(dir / "sub/project/NORMAL_BUTTON_BMP.png"))
        << "32-bit bitmaps are kept as PNG";
}

TEST(DecompileFile, RefusesWhatIsNotAnExecutable) {
    ScratchDir dir;
    ScriptedPrompter prompter;
    WriteFileText(dir / "notes.txt", "hello");
    DecompileRequest request{dir / "notes.txt", dir / "p", false, nullptr, ""};
    ClearErrorTrail();
    EXPECT_EQ(DecompileFile(request, prompter, nullptr), E_FAIL);
    EXPECT_NE(TakeErrorTrail()->find("The format of the " + request.source +
                                     " file is not unrecognized."),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "p/notes.vellum"));

    request.source = dir / "missing.dll";
    EXPECT_EQ(DecompileFile(request, prompter, nullptr), HRESULT_FROM_WIN32(2));
    ClearErrorTrail();
}
