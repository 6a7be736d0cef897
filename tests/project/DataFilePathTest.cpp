// Which file holds a resource's data: the rule the window shows and edits by must pick the file
// the compiler builds the resource from.
#include "common/Strings.h"
#include "operations/Operations.h"
#include "project/ProjectFixture.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace vellum::test {
namespace {

// The File node of every language of every resource, header pseudo-types left out.
std::vector<XmlNode*> AllFileNodes(Project& project) {
    std::vector<XmlNode*> files;
    for (XmlNode* type = project.RootDirectory()->firstChild; type; type = type->next) {
        if (project.Int(type, "Ignore") == 1)
            continue;
        for (XmlNode* resource : project.ResourcesOf(type))
            for (XmlNode* language = Project::FirstLanguageOf(resource); language;
                 language = language->next)
                if (language->firstChild)
                    files.push_back(language->firstChild);
    }
    return files;
}

// Decompiles a fixture into `folder` and loads its manifest.
void DecompileInto(const std::string& fixture, const std::string& folder, Prompter& prompter,
                   Project& project) {
    DecompileRequest request;
    request.source = DataPath(fixture);
    request.folder = folder;
    request.textOutput = nullptr;
    std::string projectPath;
    ASSERT_EQ(DecompileFile(request, prompter, &projectPath), S_OK);
    ASSERT_EQ(project.Load(folder + "pe.xml"), S_OK);
}

// The paths the compiler reported as missing.
std::vector<std::string> FailedToOpen(const ScriptedPrompter& prompter) {
    std::vector<std::string> paths;
    for (const MessageDialog& shown : prompter.Shown())
        if (shown.title == "FAILED TO OPEN")
            paths.push_back(ToUpperAscii(shown.message));
    std::sort(paths.begin(), paths.end());
    return paths;
}

class DataFilePathOfFixture : public ::testing::TestWithParam<const char*> {};

// Every resource's data file exists; with the bitmaps' data files taken away, the compiler misses
// exactly those files, so it reads the same ones (PNG twins, StripExt titles).
TEST_P(DataFilePathOfFixture, NamesTheFileTheCompilerReads) {
    ScratchDir dir;
    ScriptedPrompter prompter;
    Project project(prompter);
    DecompileInto(GetParam(), dir.Path(), prompter, project);

    std::vector<std::string> removed;
    for (XmlNode* file : AllFileNodes(project)) {
        std::string path = project.DataFilePath(file);
        ASSERT_TRUE(std::filesystem::is_regular_file(path))
            << project.Text(file, "Name") << " -> " << path;
        if (project.TypeOfFile(file) == kResourceBitmap && std::filesystem::remove(path))
            removed.push_back(ToUpperAscii(path));
    }
    std::sort(removed.begin(), removed.end());
    ASSERT_GE(removed.size(), 3u);

    CompileRequest request;
    request.executable = dir / "out.dll";
    request.manifest = project.ManifestPath();
    request.trace = nullptr;
    CompileProject(request, prompter, nullptr);
    EXPECT_EQ(FailedToOpen(prompter), removed);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DataFilePathOfFixture,
                         ::testing::Values("resources.dll", "theme.msstyles"));

std::string FileEntry(const std::string& key, const std::string& fileAttributes) {
    return "<Entry " + key +
           " Directory='1'><Directory Type='0' Named_Entries='0' "
           "ID_Entries='1'><Entry ID='1033' Directory='0'><File " +
           fileAttributes + "/></Entry></Directory></Entry>\r\n";
}

TEST(DataFilePath, BitmapFlagsCaseAndNamesOutsideTheFolder) {
    std::string bitmaps =
        FileEntry("Name='LOGO'", "Name='ART\\LOGO.BMP' Size='9' Png='1' StripExt='1'") +
        FileEntry("Name='WIDE'", "Name='art\\Wide.BMP' Size='9' Png='1' StripExt='0'") +
        FileEntry("Name='EVIL'", "Name='..\\outside.bmp' Size='9' Png='0' StripExt='0'");
    std::string raw = FileEntry("Name='BLOB'", "Name='BLOB.BMP' Size='9' Png='1'") +
                      FileEntry("Name='PLAIN'", "Name='PLAIN.BIN' Size='9'");
    ProjectFixture f(
        ManifestXml(0, 2, TypeXml("ID", "2", 3, 0, bitmaps) + TypeXml("ID", "10", 2, 0, raw)));
    std::filesystem::create_directories(f.Path("ART"));
    WriteFileText(f.Path("logo.PNG"), "png");
    WriteFileText(f.Path("ART/WIDE.png"), "png");
    std::vector<XmlNode*> bitmapFiles, rawFiles;
    for (XmlNode* resource : f.project.ResourcesOf(f.project.FindType(2)))
        bitmapFiles.push_back(Project::FileOf(resource));
    for (XmlNode* resource : f.project.ResourcesOf(f.project.FindType(10)))
        rawFiles.push_back(Project::FileOf(resource));

    // StripExt drops the folder and the extension; Png takes the PNG twin; the case on disk wins.
    EXPECT_EQ(f.project.DataFilePath(bitmapFiles[0]), f.Path("logo.PNG"));
    EXPECT_EQ(f.project.DataFilePath(bitmapFiles[1]), f.Path("ART/WIDE.png"));
    EXPECT_EQ(f.project.DataFilePath(bitmapFiles[2]), "");
    // The compiler honours Png on bitmaps only.
    EXPECT_EQ(f.project.DataFilePath(rawFiles[0]), f.Path("BLOB.BMP"));
    // A name and flag about to be set; a file that does not exist yet keeps the case given.
    EXPECT_EQ(f.project.DataFilePath(bitmapFiles[1], "art\\New.BMP", false), f.Path("ART/New.BMP"));
    EXPECT_EQ(f.project.DataFilePath(bitmapFiles[1], "art\\New.BMP", true), f.Path("ART/New.png"));

    EXPECT_EQ(f.project.TypeOfFile(rawFiles[1]), 10);
    EXPECT_TRUE(f.project.IsBitmapFile(bitmapFiles[2]));
    EXPECT_TRUE(f.project.IsBitmapFile(rawFiles[0])) << "a line with a Png flag";
    EXPECT_FALSE(f.project.IsBitmapFile(rawFiles[1]));
}

} // namespace
} // namespace vellum::test
