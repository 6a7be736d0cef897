// Resource-script text: quoting, style names, and the statements for each kind of resource,
// against scripts written by hand.
#include "script/ResourceScript.h"

#include "script/ScriptStyles.h"
#include "script/ScriptText.h"

#include <gtest/gtest.h>

using namespace vellum;

namespace {

// What every script starts with.
const std::string kPreamble = "#pragma code_page(65001)\n#include <windows.h>\n";

MenuItem Item(std::uint16_t flags, std::uint32_t id, std::u16string text,
              std::vector<MenuItem> children = {}) {
    MenuItem item;
    item.flags = flags;
    item.id = id;
    item.text = std::move(text);
    item.children = std::move(children);
    return item;
}

VersionNode Node(std::u16string key, std::vector<VersionNode> children = {}) {
    VersionNode node;
    node.key = std::move(key);
    node.children = std::move(children);
    return node;
}

TEST(ScriptText, QuotesEscapesNumbersAndLanguages) {
    EXPECT_EQ(ScriptQuote(u"Say \"hi\"\tC:\\x\r\n\x01"), "\"Say \"\"hi\"\"\\tC:\\\\x\\r\\n\\x01\"");
    EXPECT_EQ(ScriptQuote(u"\u00e9\U0001F600"), "\"\xC3\xA9\xF0\x9F\x98\x80\"");
    EXPECT_EQ(ScriptNumber(-1), "(-1)");
    EXPECT_EQ(ScriptNumber(12), "12");
    EXPECT_EQ(ScriptName(NameOrOrdinal::Ordinal(101)), "101");
    EXPECT_EQ(ScriptName(NameOrOrdinal::Name(u"ABOUT")), "\"ABOUT\"");
    EXPECT_EQ(ScriptLanguage(0x0409), "LANGUAGE 9, 1");
    EXPECT_EQ(ScriptLanguage(0x0807), "LANGUAGE 7, 2");
}

TEST(ScriptStyles, NamesFieldsRestAndCancelledBits) {
    // A button's type is a field: 3 is BS_AUTOCHECKBOX, not BS_DEFPUSHBUTTON | BS_CHECKBOX.
    EXPECT_EQ(StyleExpression(0x50010003, ControlStyleNames(0x80), 0x50000000),
              "WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX");
    EXPECT_EQ(StyleExpression(0x40000000, ControlStyleNames(0x80), 0x50000000),
              "WS_CHILD | NOT WS_VISIBLE");
    EXPECT_EQ(StyleExpression(0, ControlStyleNames(0x82), 0x50000000),
              "0 | NOT WS_CHILD | NOT WS_VISIBLE");
    EXPECT_EQ(StyleExpression(0x5000C003, ControlStyleNames(0x82)),
              "WS_CHILD | WS_VISIBLE | SS_ICON | SS_WORDELLIPSIS");
    // A class given by name has no names for its low word.
    EXPECT_EQ(StyleExpression(0x50000001, ControlStyleNames(0)), "WS_CHILD | WS_VISIBLE | 0x1");
    EXPECT_EQ(StyleExpression(0x80C80048, DialogStyleNames()),
              "WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SHELLFONT");
    EXPECT_EQ(StyleExpression(0x80000040, DialogStyleNames(), 0x00C00000),
              "WS_POPUP | DS_SETFONT | NOT WS_CAPTION");
    EXPECT_EQ(StyleExpression(0x80000, ExStyleNames()), "WS_EX_LAYERED");
}

TEST(ResourceScript, DialogStatements) {
    DialogTemplate d;
    d.extended = true;
    d.helpId = 9;
    d.style = 0x80C80048;
    d.exStyle = 0x80;
    d.x = -1;
    d.cx = 200;
    d.cy = 80;
    d.title = u"About";
    d.menu = NameOrOrdinal::Ordinal(300);
    d.font = {9, 700, 1, 0, u"Segoe UI"};
    DialogItem ok;
    ok.style = 0x50010001;
    ok.x = 5;
    ok.cx = 50;
    ok.cy = 14;
    ok.id = 1;
    ok.windowClass = NameOrOrdinal::Ordinal(0x80);
    ok.title = NameOrOrdinal::Name(u"OK");
    DialogItem list = ok;
    list.style = 0x40000000;
    list.exStyle = 0x200;
    list.helpId = 4;
    list.id = 70000;
    list.windowClass = NameOrOrdinal::Name(u"SysListView32");
    list.title = NameOrOrdinal::Ordinal(7);
    list.creationData = {0x34, 0x12, 0x78};
    d.items = {ok, list};
    ResourceScript script;
    script.AddDialog(NameOrOrdinal::Name(u"ABOUT"), 0x0407, d);
    EXPECT_EQ(script.Text(),
              kPreamble + "\n"
                          "LANGUAGE 7, 1\n"
                          "\"ABOUT\" DIALOGEX (-1), 0, 200, 80, 9\n"
                          "CAPTION \"About\"\n"
                          "STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SHELLFONT\n"
                          "EXSTYLE WS_EX_TOOLWINDOW\n"
                          "MENU 300\n"
                          "FONT 9, \"Segoe UI\", 700, 1, 0\n"
                          "BEGIN\n"
                          "    CONTROL \"OK\", 1, 0x80, WS_CHILD | WS_VISIBLE | WS_TABSTOP | "
                          "BS_DEFPUSHBUTTON, 5, 0, 50, 14\n"
                          "    CONTROL 7, 70000, \"SysListView32\", WS_CHILD | NOT WS_VISIBLE, "
                          "5, 0, 50, 14, WS_EX_CLIENTEDGE, 4\n"
                          "    BEGIN\n"
                          "        0x1234, 0x78\n"
                          "    END\n"
                          "END\n");
}

TEST(ResourceScript, MenuAndAcceleratorStatements) {
    MenuTemplate plain;
    plain.items = {Item(kMfPopup, 0, u"&File",
                        {Item(0, 100, u"&Open"), MenuItem{}, Item(0x01, 101, u"E&xit")})};

    MenuItem large = Item(0, 201, u"&Large");
    large.type = 0x200;
    large.state = 0x8;
    MenuItem view = Item(kMenuExPopup, 200, u"&View", {large});
    view.helpId = 0x66;
    MenuTemplate ex;
    ex.extended = true;
    ex.items = {view};

    AcceleratorTable keys;
    keys.entries = {{kAccelVirtKey | kAccelControl, 'O', 100, 0},
                    {kAccelVirtKey | kAccelAlt | kAccelShift, 0x73, 101, 0},
                    {0, 'a', 102, 0},
                    {kAccelNoInvert, '"', 103, 0}};

    ResourceScript script;
    script.AddMenu(NameOrOrdinal::Ordinal(1), 0x0409, plain);
    script.AddMenu(NameOrOrdinal::Ordinal(2), 0x0409, ex);
    script.AddAccelerators(NameOrOrdinal::Ordinal(3), 0x0409, keys);
    EXPECT_EQ(script.Text(), kPreamble +
                                 "\nLANGUAGE 9, 1\n1 MENU\nBEGIN\n"
                                 "    POPUP \"&File\"\n"
                                 "    BEGIN\n"
                                 "        MENUITEM \"&Open\", 100\n"
                                 "        MENUITEM SEPARATOR\n"
                                 "        MENUITEM \"E&xit\", 101, GRAYED\n"
                                 "    END\n"
                                 "END\n"
                                 "\nLANGUAGE 9, 1\n2 MENUEX\nBEGIN\n"
                                 "    POPUP \"&View\", 200, MFT_STRING, MFS_ENABLED, 102\n"
                                 "    BEGIN\n"
                                 "        MENUITEM \"&Large\", 201, MFT_RADIOCHECK, MFS_CHECKED\n"
                                 "    END\n"
                                 "END\n"
                                 "\nLANGUAGE 9, 1\n3 ACCELERATORS\nBEGIN\n"
                                 "    \"O\", 100, VIRTKEY, CONTROL\n"
                                 "    115, 101, VIRTKEY, SHIFT, ALT\n"
                                 "    \"a\", 102, ASCII\n"
                                 "    34, 103, ASCII, NOINVERT\n"
                                 "END\n");
}

TEST(ResourceScript, StringTableAndVersionStatements) {
    VersionInfo info;
    info.root.key = u"VS_VERSION_INFO";
    FixedFileInfo fixed;
    fixed.fileVersionMs = 0x00010002;
    fixed.fileVersionLs = 0x00030004;
    fixed.flagsMask = 0x3F;
    fixed.flags = 0x22;
    fixed.os = 0x40004;
    fixed.type = 7;
    info.SetFixed(fixed);
    VersionNode name = Node(u"ProductName");
    name.SetText(u"Vellum");
    VersionNode translation = Node(u"Translation");
    translation.SetBinary(TranslationBytes({{0x409, 1200}}));
    info.root.children = {Node(u"StringFileInfo", {Node(u"040904B0", {name, Node(u"Comments")})}),
                          Node(u"VarFileInfo", {translation})};

    ResourceScript script;
    script.AddStringBlock(2, 0x0409, {u"", u"seventeen", u""});
    script.AddStringBlock(3, 0x0409, {u"", u""});
    script.AddVersionInfo(NameOrOrdinal::Ordinal(1), 0x0409, info);
    EXPECT_EQ(script.Text(), kPreamble + "\nLANGUAGE 9, 1\nSTRINGTABLE\nBEGIN\n"
                                         "    17, \"seventeen\"\n"
                                         "END\n"
                                         "\nLANGUAGE 9, 1\n1 VERSIONINFO\n"
                                         "FILEVERSION 1, 2, 3, 4\n"
                                         "PRODUCTVERSION 0, 0, 0, 0\n"
                                         "FILEFLAGSMASK 0x3F\n"
                                         "FILEFLAGS VS_FF_PRERELEASE | VS_FF_SPECIALBUILD\n"
                                         "FILEOS VOS_NT_WINDOWS32\n"
                                         "FILETYPE VFT_STATIC_LIB\n"
                                         "FILESUBTYPE VFT2_UNKNOWN\n"
                                         "BEGIN\n"
                                         "    BLOCK \"StringFileInfo\"\n"
                                         "    BEGIN\n"
                                         "        BLOCK \"040904B0\"\n"
                                         "        BEGIN\n"
                                         "            VALUE \"ProductName\", \"Vellum\"\n"
                                         "            VALUE \"Comments\", \"\"\n"
                                         "        END\n"
                                         "    END\n"
                                         "    BLOCK \"VarFileInfo\"\n"
                                         "    BEGIN\n"
                                         "        VALUE \"Translation\", 0x409, 0x4B0\n"
                                         "    END\n"
                                         "END\n");
}

} // namespace
