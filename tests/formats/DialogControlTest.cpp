// Dialog units and what each control of a template is drawn as.
#include "formats/DialogControl.h"

#include "formats/DialogUnits.h"

#include <gtest/gtest.h>

using namespace vellum;

namespace {

DialogItem Control(std::uint16_t atom, std::uint32_t style, std::uint32_t exStyle = 0) {
    DialogItem item;
    item.windowClass = NameOrOrdinal::Ordinal(atom);
    item.style = style;
    item.exStyle = exStyle;
    return item;
}

DialogItem Named(std::u16string_view name, std::uint32_t style) {
    DialogItem item;
    item.windowClass = NameOrOrdinal::Name(name);
    item.style = style;
    return item;
}

ControlKind KindOf(const DialogItem& item) {
    return DescribeControl(item).kind;
}

} // namespace

TEST(DialogUnitsTest, MulDivRoundsHalvesAwayFromZeroAndRefusesAZeroDivisor) {
    EXPECT_EQ(MulDiv(7, 6, 4), 11);   // 10.5
    EXPECT_EQ(MulDiv(5, 6, 4), 8);    // 7.5
    EXPECT_EQ(MulDiv(3, 13, 8), 5);   // 4.875
    EXPECT_EQ(MulDiv(-7, 6, 4), -11); // -10.5
    EXPECT_EQ(MulDiv(7, -6, -4), 11);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFF, 0x7FFF, 1), 0x3FFF0001); // the product needs 64 bits on the way
}

// Tahoma 8 at 96 dpi: the 52 letters are 286 pixels wide and the cell 13 high, the classic 6 by
// 13 units; a 50 by 14 button at (7, 7) becomes 75 by 23 pixels at (11, 11).
TEST(DialogUnitsTest, BaseUnitsComeFromTheAverageLetterWidthAndConvertEachValue) {
    DialogBaseUnits base = DialogBaseUnits::FromFont(286, 13);
    EXPECT_EQ(base, (DialogBaseUnits{6, 13}));
    EXPECT_EQ(DialogBaseUnits::FromFont(285, 13).x, 5); // 285 + 26 falls short of 6 * 52
    DialogFrame button;
    button.x = 7;
    button.y = 7;
    button.cx = 50;
    button.cy = 14;
    EXPECT_EQ(base.ToPixels(button), (PixelRect{11, 11, 75, 23}));
    button.x = -4;
    EXPECT_EQ(base.ToPixels(button).x, -6);
    EXPECT_EQ(FontPixelHeight(8), 11);
    EXPECT_EQ(FontPixelHeight(9), 12);
}

TEST(DialogControlTest, ButtonTypesAndTheirFlags) {
    EXPECT_EQ(KindOf(Control(0x80, 0x0)), ControlKind::PushButton);
    ControlLook def = DescribeControl(Control(0x80, 0x1));
    EXPECT_EQ(def.kind, ControlKind::PushButton);
    EXPECT_TRUE(def.isDefault);
    EXPECT_EQ(KindOf(Control(0x80, 0x3)), ControlKind::CheckBox);
    EXPECT_TRUE(DescribeControl(Control(0x80, 0x6)).threeState);
    EXPECT_FALSE(DescribeControl(Control(0x80, 0x3)).threeState);
    EXPECT_EQ(KindOf(Control(0x80, 0x9)), ControlKind::RadioButton);
    EXPECT_EQ(KindOf(Control(0x80, 0x4)), ControlKind::RadioButton);
    EXPECT_EQ(KindOf(Control(0x80, 0x7)), ControlKind::GroupBox);
    EXPECT_EQ(KindOf(Control(0x80, 0xB)), ControlKind::OwnerDraw);
    EXPECT_EQ(KindOf(Control(0x80, 0xE)), ControlKind::CommandLink);
    EXPECT_EQ(KindOf(Control(0x80, 0x1003)), ControlKind::PushButton); // BS_PUSHLIKE check box
    EXPECT_TRUE(DescribeControl(Control(0x80, 0x23)).leftText);
}

TEST(DialogControlTest, EditAndStaticStyles) {
    ControlLook edit = DescribeControl(Control(0x81, 0x4 | 0x800 | 0x2, 0x200));
    EXPECT_EQ(edit.kind, ControlKind::Edit);
    EXPECT_TRUE(edit.multiLine);
    EXPECT_TRUE(edit.readOnly);
    EXPECT_FALSE(edit.password);
    EXPECT_EQ(edit.align, TextAlign::Right);
    EXPECT_TRUE(edit.sunken);
    EXPECT_TRUE(edit.bordered);
    EXPECT_TRUE(DescribeControl(Control(0x81, 0x20)).password);
    EXPECT_FALSE(DescribeControl(Control(0x81, 0)).bordered);

    ControlLook centred = DescribeControl(Control(0x82, 0x1));
    EXPECT_EQ(centred.kind, ControlKind::Label);
    EXPECT_EQ(centred.align, TextAlign::Center);
    EXPECT_TRUE(centred.wordWrap);
    EXPECT_FALSE(DescribeControl(Control(0x82, 0xC)).wordWrap);
    EXPECT_TRUE(DescribeControl(Control(0x82, 0x80)).noPrefix);
    EXPECT_EQ(KindOf(Control(0x82, 0x3)), ControlKind::Icon);
    EXPECT_EQ(KindOf(Control(0x82, 0xE)), ControlKind::Bitmap);
    EXPECT_TRUE(DescribeControl(Control(0x82, 0x203)).keepImageSize);
    ControlLook gray = DescribeControl(Control(0x82, 0x5));
    EXPECT_EQ(gray.kind, ControlKind::FilledRect);
    EXPECT_EQ(gray.shade, Shade::Gray);
    EXPECT_EQ(DescribeControl(Control(0x82, 0x7)).shade, Shade::Black);
    EXPECT_EQ(DescribeControl(Control(0x82, 0x12)).shade, Shade::Etched);
    ControlLook line = DescribeControl(Control(0x82, 0x11));
    EXPECT_EQ(line.kind, ControlKind::EtchedLine);
    EXPECT_TRUE(line.vertical);
    EXPECT_EQ(KindOf(Control(0x82, 0xD)), ControlKind::OwnerDraw);
}

TEST(DialogControlTest, ListsCombosAndScrollBars) {
    EXPECT_EQ(KindOf(Control(0x83, 0)), ControlKind::ListBox);
    ControlLook dropList = DescribeControl(Control(0x85, 0x3));
    EXPECT_EQ(dropList.kind, ControlKind::ComboBox);
    EXPECT_FALSE(dropList.editable);
    EXPECT_TRUE(DescribeControl(Control(0x85, 0x2)).editable);
    EXPECT_TRUE(DescribeControl(Control(0x85, 0x1)).simpleList);
    EXPECT_TRUE(DescribeControl(Control(0x84, 0x1)).vertical);
    EXPECT_FALSE(DescribeControl(Control(0x84, 0x0)).vertical);
    EXPECT_EQ(KindOf(Control(0x84, 0x8)), ControlKind::SizeBox);
}

TEST(DialogControlTest, ClassesByNameIgnoreCaseAndUnknownOnesKeepTheirName) {
    EXPECT_EQ(KindOf(Named(u"BUTTON", 0x7)), ControlKind::GroupBox);
    EXPECT_EQ(KindOf(Named(u"edit", 0)), ControlKind::Edit);
    EXPECT_EQ(KindOf(Named(u"sysListView32", 0)), ControlKind::ListView);
    EXPECT_TRUE(DescribeControl(Named(u"SysListView32", 0x1)).report);
    EXPECT_FALSE(DescribeControl(Named(u"SysListView32", 0x4001)).headerShown);
    EXPECT_EQ(KindOf(Named(u"RichEdit20W", 0)), ControlKind::RichEdit);
    EXPECT_EQ(KindOf(Named(u"RICHEDIT50W", 0)), ControlKind::RichEdit);
    EXPECT_TRUE(DescribeControl(Named(u"msctls_trackbar32", 0x2)).vertical);
    EXPECT_FALSE(DescribeControl(Named(u"msctls_trackbar32", 0x10)).ticks);
    EXPECT_FALSE(DescribeControl(Named(u"ComboBoxEx32", 0x3)).editable);
    EXPECT_TRUE(DescribeControl(Named(u"SysDateTimePick32", 0x9)).timeFormat);
    EXPECT_FALSE(DescribeControl(Named(u"SysDateTimePick32", 0x1)).timeFormat);
    ControlLook custom = DescribeControl(Named(u"MyFancyGrid", 0));
    EXPECT_EQ(custom.kind, ControlKind::Unknown);
    EXPECT_EQ(custom.className, "MyFancyGrid");
    EXPECT_EQ(ControlClassName(NameOrOrdinal::Ordinal(0x82)), "Static");
    EXPECT_EQ(ControlClassName(NameOrOrdinal::Ordinal(0x99)), "#153");
    EXPECT_EQ(KindOf(Control(0x99, 0)), ControlKind::Unknown);
}

TEST(DialogControlTest, VisibilityAndDisabling) {
    ControlLook shown = DescribeControl(Control(0x80, 0x10000000));
    EXPECT_TRUE(shown.visible);
    EXPECT_TRUE(shown.enabled);
    ControlLook hidden = DescribeControl(Control(0x80, 0x08000000));
    EXPECT_FALSE(hidden.visible);
    EXPECT_FALSE(hidden.enabled);
}

TEST(DialogControlTest, MnemonicsAreTakenOutAndDoubledAmpersandsKept) {
    EXPECT_EQ(SplitMnemonic(u"&Open"), (MnemonicText{u"Open", 0}));
    EXPECT_EQ(SplitMnemonic(u"Save &As"), (MnemonicText{u"Save As", 5}));
    EXPECT_EQ(SplitMnemonic(u"Fish && &Chips"), (MnemonicText{u"Fish & Chips", 7}));
    EXPECT_EQ(SplitMnemonic(u"Trailing&"), (MnemonicText{u"Trailing&", -1}));
    EXPECT_EQ(SplitMnemonic(u"&a&b"), (MnemonicText{u"ab", 0}));
}

// An up-down with UDS_AUTOBUDDY | UDS_ALIGNRIGHT sits inside the right end of the edit before it.
TEST(DialogControlTest, AnAutoBuddyUpDownAttachesToItsBuddy) {
    PixelRect edit{10, 20, 60, 21};
    PixelRect upDown{0, 0, 0, 0};
    AttachUpDown(0x10 | 0x4, upDown, edit, 17);
    EXPECT_EQ(edit, (PixelRect{10, 20, 43, 21}));
    EXPECT_EQ(upDown, (PixelRect{53, 20, 17, 21}));

    PixelRect left{10, 20, 60, 21};
    PixelRect own{100, 100, 12, 30};
    AttachUpDown(0x10 | 0x8, own, left, 17);
    EXPECT_EQ(own, (PixelRect{10, 20, 12, 21}));
    EXPECT_EQ(left, (PixelRect{22, 20, 48, 21}));

    PixelRect untouched{1, 2, 3, 4};
    PixelRect buddy{10, 20, 60, 21};
    AttachUpDown(0x4, untouched, buddy, 17); // no UDS_AUTOBUDDY
    EXPECT_EQ(untouched, (PixelRect{1, 2, 3, 4}));
    EXPECT_EQ(buddy.width, 60);
}
