// Drag shortcuts: the link file's text, its place in the temporary folder, and the length limit.
#include "platform/DragShortcut.h"

#include "common/TestSupport.h"
#include "platform/ShellLinkFile.h"

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

namespace {

void Add32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(std::uint8_t(value >> shift));
}

} // namespace

// The Windows form: a shell link whose LinkInfo names the target, bytes worked out field by field.
TEST(DragShortcutTest, AShellLinkNamesTheTargetInItsLinkInfo) {
    std::vector<std::uint8_t> want;
    Add32(want, 0x4C);
    for (std::uint8_t b : {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00,
                           0x00, 0x00, 0x00, 0x46})
        want.push_back(b);
    Add32(want, 0x86);  // HasLinkInfo, HasName, IsUnicode
    want.resize(60, 0); // attributes, times, size, icon index
    Add32(want, 1);     // SW_SHOWNORMAL
    want.resize(76, 0); // hot key, reserved
    for (std::uint32_t field : {0x37u, 0x1Cu, 0x01u, 0x1Cu, 0x2Du, 0x00u, 0x36u})
        Add32(want, field); // LinkInfo header: sizes, flags, offsets
    for (std::uint32_t field : {0x11u, 0x03u, 0x00u, 0x10u})
        Add32(want, field); // VolumeID: size, fixed drive, serial, label offset
    want.push_back(0);      // the empty label
    for (char c : std::string("C:\\a.ico"))
        want.push_back(std::uint8_t(c));
    want.insert(want.end(), {0, 0});         // the path's NUL, the empty suffix
    want.insert(want.end(), {1, 0, 'a', 0}); // NAME_STRING
    Add32(want, 0);                          // terminal block
    std::optional<std::vector<std::uint8_t>> link = MakeShellLink("C:\\a.ico", "a");
    ASSERT_TRUE(link);
    EXPECT_EQ(*link, want);

    // The project's own reader finds the target again.
    ShellLinkFile parsed;
    std::string error;
    ASSERT_EQ(parsed.Parse(*link, &error), S_OK) << error;
    EXPECT_EQ(parsed.Info().targetPath, "C:\\a.ico");
    // LocalBasePath is ANSI: a target Windows-1252 cannot hold gets no link.
    EXPECT_FALSE(MakeShellLink("C:\\\xE6\x97\xA5.ico", "x"));
}

TEST(DragShortcutTest, TheShellLinkStyleWritesALnkFile) {
    ScratchDir dir;
    auto path =
        WriteDragShortcut("C:\\p\\LOGO.BMP", "LOGO.BMP", dir.Path(), ShortcutStyle::ShellLink);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, dir / "LOGO.BMP.LNK");
    EXPECT_EQ(test::ReadFileBytes(*path), *MakeShellLink("C:\\p\\LOGO.BMP", "LOGO.BMP"));
}
