#include <filesystem>

#include <gtest/gtest.h>

#include "common/Path.h"
#include "common/TestSupport.h"

using namespace vellum;

TEST(Path, SplitsLikeSplitpath) {
    PathParts p = SplitPath("C:\\Program Files\\Vellum\\blank.v2.dll");
    EXPECT_EQ(p.drive, "C:");
    EXPECT_EQ(p.dir, "\\Program Files\\Vellum\\");
    EXPECT_EQ(p.fname, "blank.v2");
    EXPECT_EQ(p.ext, ".dll");

    p = SplitPath("folder.d/sub/README");
    EXPECT_EQ(p.drive, "");
    EXPECT_EQ(p.dir, "folder.d/sub/");
    EXPECT_EQ(p.fname, "README");
    EXPECT_EQ(p.ext, "") << "a full stop in a folder name is not an extension";

    p = SplitPath(".hidden");
    EXPECT_EQ(p.fname, "");
    EXPECT_EQ(p.ext, ".hidden");

    EXPECT_TRUE(HasExtension("a/LOGO.Bmp", ".BMP"));
    EXPECT_FALSE(HasExtension("a.bmp/LOGO", ".bmp"));
    EXPECT_EQ(FileNameOf("x\\y/z.ico"), "z.ico");
}

TEST(Path, JoinsWithOneSeparator) {
    EXPECT_EQ(JoinPath("/p/", "a"), "/p/a");
    EXPECT_EQ(JoinPath("/p", "\\a"), "/p/a");
    EXPECT_EQ(WithTrailingSeparator("/p"), "/p/");
    EXPECT_EQ(WithTrailingSeparator(""), "");
}

TEST(Path, ResolvesInsideTheFolderIgnoringCase) {
    test::ScratchDir dir;
    std::filesystem::create_directories(dir / "Blue");
    test::WriteFileText(dir / "Blue/Normal.INI", "x");

    EXPECT_EQ(ResolveInFolder(dir.Path(), "BLUE\\normal.ini"), dir / "Blue/Normal.INI");
    EXPECT_EQ(ResolveInFolder(dir.Path(), "blue/NEW.BMP"), dir / "Blue/NEW.BMP")
        << "a missing leaf keeps its name so that writers can create it";
    EXPECT_EQ(ResolveInFolder(dir.Path(), ".\\Blue\\\\Normal.INI"), dir / "Blue/Normal.INI");

    for (const char* escape : {"..\\x", "Blue\\..\\..\\x", "\\etc\\passwd", "/etc/passwd",
                               "C:\\x", "", "\\"})
        EXPECT_FALSE(ResolveInFolder(dir.Path(), escape).has_value()) << escape;
}
