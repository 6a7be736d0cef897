// Menu items of both template versions as a menu shows them, and accelerator keys by name.
#include "formats/MenuItemLook.h"

#include "formats/AcceleratorText.h"

#include <gtest/gtest.h>

using namespace vellum;

namespace {

MenuItem Plain(std::uint16_t flags, std::uint32_t id, std::u16string text) {
    MenuItem item;
    item.flags = flags;
    item.id = id;
    item.text = std::move(text);
    return item;
}

MenuItem Extended(std::uint32_t type, std::uint32_t state, std::u16string text) {
    MenuItem item;
    item.type = type;
    item.state = state;
    item.id = 7;
    item.text = std::move(text);
    return item;
}

} // namespace

TEST(MenuItemLookTest, PlainOptionBitsAndSeparators) {
    MenuTemplate menu;
    MenuItemLook open = DescribeMenuItem(menu, Plain(0, 100, u"&Open...\tCtrl+O"));
    EXPECT_EQ(open.text, u"&Open...");
    EXPECT_EQ(open.shortcut, u"Ctrl+O");
    EXPECT_FALSE(open.separator || open.grayed || open.disabled || open.checked || open.popup);

    EXPECT_TRUE(DescribeMenuItem(menu, Plain(0, 0, u"")).separator);
    // An empty drop-down or an owner-drawn item is no separator.
    EXPECT_FALSE(DescribeMenuItem(menu, Plain(0x10, 0, u"")).separator);
    EXPECT_FALSE(DescribeMenuItem(menu, Plain(0x100, 0, u"")).separator);

    MenuItemLook grayed = DescribeMenuItem(menu, Plain(0x1, 5, u"Gray"));
    EXPECT_TRUE(grayed.grayed);
    EXPECT_TRUE(grayed.disabled);
    MenuItemLook inactive = DescribeMenuItem(menu, Plain(0x2, 5, u"Inactive"));
    EXPECT_FALSE(inactive.grayed);
    EXPECT_TRUE(inactive.disabled);
    EXPECT_TRUE(DescribeMenuItem(menu, Plain(0x8, 5, u"Ticked")).checked);
    EXPECT_TRUE(DescribeMenuItem(menu, Plain(0x4000, 5, u"&Help")).rightJustify);
    EXPECT_TRUE(DescribeMenuItem(menu, Plain(0x40, 5, u"Next column")).columnBreak);
    EXPECT_TRUE(DescribeMenuItem(menu, Plain(0x10, 0, u"&File")).popup);
}

TEST(MenuItemLookTest, ExtendedTypeAndStateBits) {
    MenuTemplate menu;
    menu.extended = true;
    EXPECT_TRUE(DescribeMenuItem(menu, Extended(0x800, 0, u"")).separator);
    MenuItemLook radio = DescribeMenuItem(menu, Extended(0x200, 0x8, u"&Large"));
    EXPECT_TRUE(radio.radio);
    EXPECT_TRUE(radio.checked);
    MenuItemLook grayed = DescribeMenuItem(menu, Extended(0, 0x3, u"Paste"));
    EXPECT_TRUE(grayed.grayed && grayed.disabled);
    EXPECT_TRUE(DescribeMenuItem(menu, Extended(0, 0x1000, u"Open")).isDefault);
    EXPECT_TRUE(DescribeMenuItem(menu, Extended(0x4000, 0, u"Help")).rightJustify);
    // An extended item with no text and ID is an empty string item, not a separator.
    EXPECT_FALSE(DescribeMenuItem(menu, Extended(0, 0, u"")).separator);
    MenuItem popup = Extended(0, 0, u"&View");
    popup.flags = kMenuExPopup;
    EXPECT_TRUE(DescribeMenuItem(menu, popup).popup);
}

TEST(MenuItemLookTest, ShortcutTextFollowsTheFirstTabOrBackspace) {
    std::u16string label, shortcut;
    SplitMenuText(u"&Find\tCtrl+F\tmore", label, shortcut);
    EXPECT_EQ(label, u"&Find");
    EXPECT_EQ(shortcut, u"Ctrl+F\tmore");
    SplitMenuText(u"&Help\x08"
                  u"F1",
                  label, shortcut);
    EXPECT_EQ(label, u"&Help");
    EXPECT_EQ(shortcut, u"F1");
    SplitMenuText(u"Plain", label, shortcut);
    EXPECT_EQ(label, u"Plain");
    EXPECT_EQ(shortcut, u"");
}

TEST(AcceleratorTextTest, VirtualKeysWithModifiers) {
    EXPECT_EQ(AcceleratorText({kAccelVirtKey | kAccelControl, 'O', 100, 0}), "Ctrl+O");
    EXPECT_EQ(AcceleratorText({kAccelVirtKey | kAccelControl | kAccelShift, 0x74, 1, 0}),
              "Ctrl+Shift+F5");
    EXPECT_EQ(AcceleratorText({kAccelVirtKey | kAccelAlt, 0x0D, 1, 0}), "Alt+Enter");
    EXPECT_EQ(AcceleratorText({kAccelVirtKey, 0x2E, 1, 0}), "Del");
    EXPECT_EQ(AcceleratorText({kAccelVirtKey, 0x6B, 1, 0}), "Num +");
    EXPECT_EQ(AcceleratorText({kAccelVirtKey, 0x63, 1, 0}), "Num 3");
    EXPECT_EQ(AcceleratorText({kAccelVirtKey, 0x87, 1, 0}), "F24");
    EXPECT_EQ(AcceleratorText({kAccelVirtKey, 0xE5, 1, 0}), "0xE5");
    EXPECT_EQ(AcceleratorModifiers({kAccelVirtKey | kAccelShift | kAccelAlt, 'X', 1, 0}),
              "Shift+Alt");
}

// ASCII entries: the character itself, control codes as Ctrl with a letter, only Alt applies.
TEST(AcceleratorTextTest, AsciiEntries) {
    EXPECT_EQ(AcceleratorText({0, 'a', 1, 0}), "a");
    EXPECT_EQ(AcceleratorText({0, 3, 1, 0}), "Ctrl+C");
    EXPECT_EQ(AcceleratorText({kAccelAlt, 'x', 1, 0}), "Alt+x");
    EXPECT_EQ(AcceleratorText({kAccelShift | kAccelControl, 'q', 1, 0}), "q");
    EXPECT_EQ(AcceleratorKeyName({0, ' ', 1, 0}), "Space");
    EXPECT_EQ(AcceleratorKeyName({0, 0x7F, 1, 0}), "0x7F");
}
