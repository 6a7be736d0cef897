// A file named on the command line, as the desktop passes it when the user double-clicks one (an
// absolute path, spaces and all), is what the window opens with.
#include "GuiFixture.h"
#include "application/Settings.h"

#include <filesystem>

namespace vellum::test {

namespace {

// The fixture copied into a folder whose name has a space in it.
std::string CopyWithSpaces(const ScratchDir& scratch, const std::string& fixture) {
    std::filesystem::path folder = std::filesystem::path(scratch / "My Files");
    std::filesystem::create_directories(folder);
    std::filesystem::path copy = folder / fixture;
    std::filesystem::copy_file(DataPath(fixture), copy,
                               std::filesystem::copy_options::overwrite_existing);
    return copy.string();
}

} // namespace

TEST_F(GuiTest, TheCommandLinesFileOpensInsteadOfTheRecentProject) {
    StartApp();
    OpenFixture("resources.dll");
    app_.reset();

    for (const char* fixture : {"icons.icl", "theme.msstyles"}) {
        SCOPED_TRACE(fixture);
        std::string path = CopyWithSpaces(scratch_, fixture);
        CommandLine info = ParseCommandLine({path});
        ASSERT_FALSE(info.batch);
        StartApp(info);
        EXPECT_EQ(Doc().PathName(), path);
        EXPECT_EQ(Doc().SourcePath(), path);
        EXPECT_FALSE(Doc().IsBlank());
        EXPECT_FALSE(TopLabels().isEmpty());
        EXPECT_FALSE(TopLabels().contains("MYTYPE")) << "the recent project opened instead";
        EXPECT_TRUE(prompter_.Shown().empty());
        app_.reset();
    }
}

TEST_F(GuiTest, AProjectFileFromTheCommandLineOpensItsProject) {
    StartApp();
    std::string theme = CopyWithSpaces(scratch_, "theme.msstyles");
    std::string project;
    ASSERT_TRUE(Doc().Decompile(theme, scratch_ / "My Project/", &project));
    app_.reset();

    StartApp(ParseCommandLine({project}));
    EXPECT_EQ(Doc().ProjectPath(), project);
    EXPECT_EQ(Doc().SourcePath(), theme);
    EXPECT_EQ(Doc().PathName(), theme) << "a project is shown as the file it was made from";
    EXPECT_FALSE(TopLabels().isEmpty());
    EXPECT_TRUE(prompter_.Shown().empty());
}

} // namespace vellum::test
