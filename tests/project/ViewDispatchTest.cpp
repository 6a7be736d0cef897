// The view dispatcher: which viewer each resource type, file name and mode gets.
#include "project/ViewDispatch.h"

#include <gtest/gtest.h>
#include <string>

namespace vellum {
namespace {

struct Case {
    ViewMode mode;
    int type;
    const char* name;
    bool png;
    ViewChoice want;
};

constexpr ViewMode kAuto = ViewMode::Automatic;

// Named types pass 0; 256 stands for any user-defined number.
const Case kCases[] = {
    // The type decides before the name does.
    {kAuto, 12, "Cursor00001", false, ViewChoice::ImageCursorGroup},
    {kAuto, 14, "Icon00001.ico", false, ViewChoice::ImageIconGroup},
    {kAuto, 5, "500100.bmp", false, ViewChoice::Dialog},
    {kAuto, 16, "VERSION", false, ViewChoice::Version},
    {kAuto, 4, "400100", false, ViewChoice::Menu},
    {kAuto, 9, "ACCEL.bin", false, ViewChoice::Accelerators},
    // Then the extension, in any case.
    {kAuto, 3, "Icon00001.ICO", false, ViewChoice::Image},
    {kAuto, 1, "Cursor00001.Cur", false, ViewChoice::Image},
    {kAuto, 2, "Bitmap00001.BMP", false, ViewChoice::Image},
    {kAuto, 0, "photo.png", false, ViewChoice::Image},
    {kAuto, 0, "BLUE\\NORMAL.INI", false, ViewChoice::Text},
    {kAuto, 23, "page.htm", false, ViewChoice::Text},
    {kAuto, 0, "a.xml", false, ViewChoice::Text},
    {kAuto, 0, "readme.TXT", false, ViewChoice::Text},
    {kAuto, 0, "style.css", false, ViewChoice::Text},
    {kAuto, 0, "NTHeader.hdr", false, ViewChoice::HeaderTable},
    {kAuto, 0, "anim.gif", false, ViewChoice::Hex},
    {kAuto, 256, "MYTYPE00001.dat", false, ViewChoice::Hex},
    // A bitmap kept as PNG is an image whatever its manifest name ends in.
    {kAuto, 2, "LOGO", true, ViewChoice::Image},
    {kAuto, 2, "strange.dat", true, ViewChoice::Image},
    // No extension: hex, unless the type marks text or the name is a registry script or UI file.
    {kAuto, 256, "MYTYPE00001", false, ViewChoice::Hex},
    {kAuto, 23, "2300100", false, ViewChoice::Text},
    {kAuto, 24, "2400001", false, ViewChoice::Text},
    {kAuto, 0, "REGINST00001", false, ViewChoice::Text},
    {kAuto, 0, "UiFile_Main", false, ViewChoice::Text},
    {kAuto, 0, "reginsx", false, ViewChoice::Hex},
    {kAuto, 0, "uifil", false, ViewChoice::Hex},
    // A type that marks text does not override an extension.
    {kAuto, 24, "manifest.bin", false, ViewChoice::Hex},
    // The user's explicit choice wins over everything.
    {ViewMode::Hex, 14, "Icon00001.ico", false, ViewChoice::Hex},
    {ViewMode::Hex, 2, "LOGO", true, ViewChoice::Hex},
    {ViewMode::Text, 2, "Bitmap00001.BMP", false, ViewChoice::Text},
};

TEST(ViewDispatchTest, EveryTypeNameAndModeGetsItsViewer) {
    for (const Case& c : kCases)
        EXPECT_EQ(ChooseView(c.mode, c.type, c.name, c.png), c.want)
            << "mode " << int(c.mode) << ", type " << c.type << ", " << c.name
            << (c.png ? " (Png)" : "");
}

} // namespace
} // namespace vellum
