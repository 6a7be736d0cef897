// Drag shortcuts: the link file's text, its place in the temporary folder, and the length limit.
#include "platform/DragShortcut.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

using namespace vellum;
using vellum::test::ScratchDir;

TEST(DragShortcutTest, TheLinkFileNamesTheTargetAsAFileUrl) {
    EXPECT_EQ(DragShortcutText("/p/My Icons/a#1.ico", "a#1.ico"),
              "[Desktop Entry]\nType=Link\nName=a#1.ico\n"
              "URL=file:///p/My%20Icons/a%231.ico\n");
    EXPECT_EQ(FileUrl("/x/\xC3\xA9.bmp"), "file:///x/%C3%A9.bmp");
}

TEST(DragShortcutTest, TheSameNameOverwritesTheSameFile) {
    ScratchDir dir;
    auto first = WriteDragShortcut("/p/one/LOGO.BMP", "LOGO.BMP", dir.Path());
    auto second = WriteDragShortcut("/p/two/LOGO.BMP", "LOGO.BMP", dir.Path());
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, *second);
    EXPECT_EQ(*first, dir / "LOGO.BMP.desktop");
    EXPECT_EQ(test::ReadFileText(*first), DragShortcutText("/p/two/LOGO.BMP", "LOGO.BMP"));
    // A name with separators stays inside the folder.
    EXPECT_EQ(DragShortcutPath("/t", "BLUE\\a/b"), "/t/BLUE_a_b.desktop");
}

TEST(DragShortcutTest, APathOverTheLimitIsRefused) {
    ScratchDir dir;
    std::string folder = dir.Path();
    std::size_t fit = kMaxShortcutPath - folder.size() - std::string(".desktop").size();
    EXPECT_TRUE(WriteDragShortcut("/p/x", std::string(fit, 'n'), folder));
    EXPECT_FALSE(WriteDragShortcut("/p/x", std::string(fit + 1, 'n'), folder));
}
