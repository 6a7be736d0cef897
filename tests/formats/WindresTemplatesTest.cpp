// The templates binutils' windres compiles from a resource script: every resource must read with
// the values the script gave it, and write back the bytes windres wrote. Skipped where
// x86_64-w64-mingw32-windres is not installed.
#include "common/TestSupport.h"
#include "formats/AcceleratorTable.h"
#include "formats/DialogTemplate.h"
#include "formats/MenuTemplate.h"
#include "formats/VersionInfo.h"
#include "support/ByteBuilder.h"
#include "support/ResourceLists.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

constexpr std::uint16_t kEnglishUs = 0x0409;

const char* const kScript = R"rc(#include <windows.h>
LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US

100 DIALOG 10, 20, 200, 100
STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION
CAPTION "Plain"
MENU 300
FONT 8, "MS Shell Dlg"
BEGIN
  DEFPUSHBUTTON "OK", IDOK, 5, 6, 50, 14
  LTEXT "Name:", -1, 5, 30, 40, 8
  EDITTEXT 1001, 50, 30, 100, 12, ES_AUTOHSCROLL
  CONTROL "", 1002, "SysListView32", LVS_REPORT | WS_BORDER, 5, 50, 190, 40
  ICON 7, 1003, 170, 5, 20, 20
END

101 DIALOGEX (-1), 0, 300, 200, 77
STYLE DS_SHELLFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU
EXSTYLE WS_EX_TOOLWINDOW
CAPTION "Extended é"
FONT 9, "Segoe UI", 700, 1, 1
BEGIN
  PUSHBUTTON "Cancel", IDCANCEL, 7, 8, 100, 12, WS_TABSTOP, WS_EX_CLIENTEDGE, 55
  COMBOBOX 70000, 7, 30, 100, 50, CBS_DROPDOWNLIST
END

300 MENU
BEGIN
  POPUP "&File"
  BEGIN
    MENUITEM "&Open\tCtrl+O", 100
    MENUITEM SEPARATOR
    MENUITEM "E&xit", 101, GRAYED
  END
  MENUITEM "&Help", 102, HELP
END

301 MENUEX
BEGIN
  POPUP "&View", 200, MFT_STRING, MFS_ENABLED, 0x66
  BEGIN
    MENUITEM "&Large", 201, MFT_RADIOCHECK, MFS_CHECKED
    MENUITEM "", 0, MFT_SEPARATOR
  END
  MENUITEM "&Help", 202, MFT_RIGHTJUSTIFY, MFS_GRAYED
END

400 ACCELERATORS
BEGIN
  "O", 100, VIRTKEY, CONTROL
  VK_F4, 101, VIRTKEY, ALT, SHIFT
  "a", 102
END

1 VERSIONINFO
FILEVERSION 1, 2, 3, 4
PRODUCTVERSION 5, 6, 7, 8
FILEFLAGSMASK 0x3F
FILEFLAGS VS_FF_PRERELEASE
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_DLL
FILESUBTYPE 0
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904B0"
    BEGIN
      VALUE "FileVersion", "1.2.3.4"
      VALUE "Comments", ""
      VALUE "ProductName", "Vellum"
    END
    BLOCK "040704B0"
    BEGIN
      VALUE "ProductName", "Vellum (de)"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200, 0x407, 1200
  END
END
)rc";

class WindresTemplates : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v x86_64-w64-mingw32-windres >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "x86_64-w64-mingw32-windres is not installed";
        WriteFileText(dir_ / "t.rc", kScript);
        std::string command = "x86_64-w64-mingw32-windres -c 65001 -i '" + (dir_ / "t.rc") +
                              "' -O res -o '" + (dir_ / "t.res") + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        Bytes res = ReadFileBytes(dir_ / "t.res");
        resources_ = ResFileResources(View(res));
    }

    const Bytes& Resource(std::uint16_t type, std::uint16_t name) {
        return resources_[{type, NameOrOrdinal::Ordinal(name), kEnglishUs}];
    }

    // Parses, checks that the unedited result writes back windres's bytes, and returns it.
    template <class Format> Format RoundTrip(std::uint16_t type, std::uint16_t name) {
        const Bytes& bytes = Resource(type, name);
        std::optional<Format> parsed = Format::Parse(View(bytes));
        EXPECT_TRUE(parsed) << "type " << type << " name " << name;
        if (!parsed)
            return Format{};
        std::optional<std::vector<std::uint8_t>> back = parsed->Serialize();
        EXPECT_EQ(back, std::optional<std::vector<std::uint8_t>>(bytes));
        return *parsed;
    }

    ScratchDir dir_;
    ResourceMap resources_;
};

TEST_F(WindresTemplates, PlainDialog) {
    DialogTemplate d = RoundTrip<DialogTemplate>(5, 100);
    EXPECT_FALSE(d.extended);
    EXPECT_EQ(d.style & 0xFFFF0000u, 0x80C00000u); // WS_POPUP | WS_CAPTION
    EXPECT_TRUE(d.HasFont());
    EXPECT_EQ((std::array<int, 4>{d.x, d.y, d.cx, d.cy}), (std::array<int, 4>{10, 20, 200, 100}));
    EXPECT_EQ(d.menu, NameOrOrdinal::Ordinal(300));
    EXPECT_EQ(d.title, u"Plain");
    EXPECT_EQ(d.font.pointSize, 8);
    EXPECT_EQ(d.font.typeface, u"MS Shell Dlg");
    ASSERT_EQ(d.items.size(), 5u);
    EXPECT_EQ(d.items[0].windowClass, NameOrOrdinal::Ordinal(dialog_class::kButton));
    EXPECT_EQ(d.items[0].title, NameOrOrdinal::Name(u"OK"));
    EXPECT_EQ(d.items[0].id, 1u);
    EXPECT_EQ(d.items[1].windowClass, NameOrOrdinal::Ordinal(dialog_class::kStatic));
    EXPECT_EQ(d.items[1].id, 0xFFFFu);
    EXPECT_EQ(d.items[2].windowClass, NameOrOrdinal::Ordinal(dialog_class::kEdit));
    EXPECT_EQ(d.items[2].id, 1001u);
    // windres stores class names in capitals.
    EXPECT_EQ(d.items[3].windowClass, NameOrOrdinal::Name(u"SYSLISTVIEW32"));
    EXPECT_EQ((std::array<int, 4>{d.items[3].x, d.items[3].y, d.items[3].cx, d.items[3].cy}),
              (std::array<int, 4>{5, 50, 190, 40}));
    EXPECT_EQ(d.items[4].title, NameOrOrdinal::Ordinal(7));
}

TEST_F(WindresTemplates, ExtendedDialog) {
    DialogTemplate d = RoundTrip<DialogTemplate>(5, 101);
    EXPECT_TRUE(d.extended);
    EXPECT_EQ(d.helpId, 77u);
    EXPECT_EQ(d.exStyle, 0x80u); // WS_EX_TOOLWINDOW
    EXPECT_EQ(d.x, -1);
    EXPECT_EQ(d.title, u"Extended \u00e9");
    EXPECT_EQ(d.font, (DialogFont{9, 700, 1, 1, u"Segoe UI"}));
    ASSERT_EQ(d.items.size(), 2u);
    EXPECT_EQ(d.items[0].helpId, 55u);
    EXPECT_EQ(d.items[0].exStyle, 0x200u); // WS_EX_CLIENTEDGE
    EXPECT_EQ(d.items[0].id, 2u);
    EXPECT_EQ(d.items[1].windowClass, NameOrOrdinal::Ordinal(dialog_class::kComboBox));
    EXPECT_EQ(d.items[1].id, 70000u);
}

TEST_F(WindresTemplates, Menus) {
    MenuTemplate plain = RoundTrip<MenuTemplate>(4, 300);
    EXPECT_FALSE(plain.extended);
    ASSERT_EQ(plain.items.size(), 2u);
    ASSERT_EQ(plain.items[0].children.size(), 3u);
    EXPECT_EQ(plain.items[0].children[0].text, u"&Open\tCtrl+O");
    EXPECT_EQ(plain.items[0].children[2].flags, 0x01); // MF_GRAYED
    EXPECT_EQ(plain.items[1].flags, 0x4000);           // MF_HELP

    MenuTemplate ex = RoundTrip<MenuTemplate>(4, 301);
    EXPECT_TRUE(ex.extended);
    ASSERT_EQ(ex.items.size(), 2u);
    EXPECT_EQ(ex.items[0].id, 200u);
    EXPECT_EQ(ex.items[0].helpId, 0x66u);
    ASSERT_EQ(ex.items[0].children.size(), 2u);
    EXPECT_EQ(ex.items[0].children[0].type, 0x200u); // MFT_RADIOCHECK
    EXPECT_EQ(ex.items[0].children[0].state, 0x8u);  // MFS_CHECKED
    EXPECT_EQ(ex.items[0].children[1].type, 0x800u); // MFT_SEPARATOR
    EXPECT_EQ(ex.items[1].state, 0x3u);              // MFS_GRAYED
}

TEST_F(WindresTemplates, Accelerators) {
    AcceleratorTable table = RoundTrip<AcceleratorTable>(9, 400);
    ASSERT_EQ(table.entries.size(), 3u);
    EXPECT_EQ(table.entries[0], (Accelerator{kAccelVirtKey | kAccelControl, 'O', 100, 0}));
    EXPECT_EQ(table.entries[1],
              (Accelerator{kAccelVirtKey | kAccelAlt | kAccelShift, 0x73, 101, 0}));
    EXPECT_EQ(table.entries[2].key, 'a');
}

TEST_F(WindresTemplates, VersionInfo) {
    vellum::VersionInfo info = RoundTrip<vellum::VersionInfo>(16, 1);
    std::optional<FixedFileInfo> fixed = info.Fixed();
    ASSERT_TRUE(fixed);
    EXPECT_EQ(FixedFileInfo::Parts(fixed->fileVersionMs, fixed->fileVersionLs),
              (std::array<std::uint16_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(fixed->flags, 2u);
    EXPECT_EQ(fixed->os, 0x40004u);
    EXPECT_EQ(fixed->type, 2u);
    std::vector<const VersionNode*> tables = info.StringTables();
    ASSERT_EQ(tables.size(), 2u);
    ASSERT_EQ(tables[0]->children.size(), 3u);
    EXPECT_EQ(tables[0]->children[0].Text(), u"1.2.3.4");
    EXPECT_EQ(tables[0]->children[1].Text(), u"");
    EXPECT_EQ(tables[1]->children[0].Text(), u"Vellum (de)");
    ASSERT_EQ(info.Vars().size(), 1u);
    EXPECT_EQ(TranslationsOf(*info.Vars()[0]),
              (std::vector<Translation>{{0x409, 1200}, {0x407, 1200}}));
}

} // namespace
