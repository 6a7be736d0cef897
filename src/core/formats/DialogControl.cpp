// Decoding a dialog control's class and styles into what a preview draws.
#include "formats/DialogControl.h"

#include "common/CodePage.h"
#include "common/Strings.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace vellum {

namespace {

constexpr std::uint32_t kButtonTypeMask = 0xF;
constexpr std::uint32_t kStaticTypeMask = 0x1F;
constexpr std::uint32_t kComboTypeMask = 0x3;
constexpr std::uint32_t kListViewTypeMask = 0x3;

// Common controls by window-class name, compared without case.
struct NamedClass {
    std::string_view name;
    ControlKind kind;
};
constexpr std::array kCommonControls = {
    NamedClass{"SysListView32", ControlKind::ListView},
    NamedClass{"SysTreeView32", ControlKind::TreeView},
    NamedClass{"msctls_progress32", ControlKind::Progress},
    NamedClass{"msctls_trackbar32", ControlKind::Trackbar},
    NamedClass{"SysTabControl32", ControlKind::Tab},
    NamedClass{"msctls_updown32", ControlKind::UpDown},
    NamedClass{"RichEdit", ControlKind::RichEdit},
    NamedClass{"RichEdit20A", ControlKind::RichEdit},
    NamedClass{"RichEdit20W", ControlKind::RichEdit},
    NamedClass{"RICHEDIT50W", ControlKind::RichEdit},
    NamedClass{"RICHEDIT60W", ControlKind::RichEdit},
    NamedClass{"SysDateTimePick32", ControlKind::DateTime},
    NamedClass{"SysMonthCal32", ControlKind::MonthCalendar},
    NamedClass{"SysLink", ControlKind::Link},
    NamedClass{"ToolbarWindow32", ControlKind::Toolbar},
    NamedClass{"ComboBoxEx32", ControlKind::ComboBox},
    NamedClass{"SysHeader32", ControlKind::Header},
    NamedClass{"SysAnimate32", ControlKind::Animation},
    NamedClass{"SysIPAddress32", ControlKind::IpAddress},
    NamedClass{"msctls_hotkey32", ControlKind::HotKey},
    NamedClass{"msctls_statusbar32", ControlKind::StatusBar},
};

// The predefined classes: the atoms 0x80 to 0x85 and the names they stand for.
constexpr std::array<std::string_view, 6> kPredefined = {"Button",  "Edit",      "Static",
                                                         "ListBox", "ScrollBar", "ComboBox"};

int PredefinedIndex(const NameOrOrdinal& windowClass) {
    if (windowClass.IsOrdinal()) {
        int index = int(*windowClass.ordinal) - dialog_class::kButton;
        return index >= 0 && index < int(kPredefined.size()) ? index : -1;
    }
    std::string name = Utf16ToUtf8(windowClass.name);
    for (std::size_t i = 0; i < kPredefined.size(); ++i)
        if (EqualsNoCase(name, kPredefined[i]))
            return int(i);
    return -1;
}

void DescribeButton(std::uint32_t style, ControlLook& look) {
    std::uint32_t type = style & kButtonTypeMask;
    look.leftText = style & 0x20;
    look.pushLike = style & 0x1000;
    look.multiLine = style & 0x2000;
    look.align = TextAlign::Center;
    switch (type) {
    case 0x2:
    case 0x3:
    case 0x5:
    case 0x6:
        look.kind = look.pushLike ? ControlKind::PushButton : ControlKind::CheckBox;
        look.threeState = type == 0x5 || type == 0x6;
        look.align = TextAlign::Left;
        break;
    case 0x4:
    case 0x9:
        look.kind = look.pushLike ? ControlKind::PushButton : ControlKind::RadioButton;
        look.align = TextAlign::Left;
        break;
    case 0x7:
        look.kind = ControlKind::GroupBox;
        break;
    case 0x8:
    case 0xB:
        look.kind = ControlKind::OwnerDraw;
        break;
    case 0xE:
    case 0xF:
        look.kind = ControlKind::CommandLink;
        look.isDefault = type == 0xF;
        break;
    default: // push, default push, push box, split buttons
        look.kind = ControlKind::PushButton;
        look.isDefault = type == 0x1 || type == 0xD;
    }
}

void DescribeEdit(std::uint32_t style, ControlLook& look) {
    look.kind = ControlKind::Edit;
    look.align = (style & 0x3) == 1   ? TextAlign::Center
                 : (style & 0x3) == 2 ? TextAlign::Right
                                      : TextAlign::Left;
    look.multiLine = style & 0x4;
    look.password = style & 0x20;
    look.readOnly = style & 0x800;
}

void DescribeStaticShape(std::uint32_t type, ControlLook& look) {
    constexpr Shade kShades[] = {Shade::Black, Shade::Gray, Shade::White};
    if (type >= 0x4 && type <= 0x6) {
        look.kind = ControlKind::FilledRect;
        look.shade = kShades[type - 0x4];
    } else if (type >= 0x7 && type <= 0x9) {
        look.kind = ControlKind::FrameRect;
        look.shade = kShades[type - 0x7];
    } else if (type == 0x12) {
        look.kind = ControlKind::FrameRect;
        look.shade = Shade::Etched;
    } else if (type == 0x10 || type == 0x11) {
        look.kind = ControlKind::EtchedLine;
        look.vertical = type == 0x11;
    } else {
        look.kind = ControlKind::OwnerDraw; // owner-drawn, user item, metafile
    }
}

void DescribeStatic(std::uint32_t style, ControlLook& look) {
    std::uint32_t type = style & kStaticTypeMask;
    look.noPrefix = style & 0x80;
    look.sunken = look.sunken || (style & 0x1000);
    look.keepImageSize = style & (0x40 | 0x200);
    look.kind = ControlKind::Label;
    if (type <= 0x2) {
        look.align = TextAlign(type);
        look.wordWrap = true;
    } else if (type == 0xB || type == 0xC) {
        look.align = TextAlign::Left; // SS_SIMPLE, SS_LEFTNOWORDWRAP
    } else if (type == 0x3) {
        look.kind = ControlKind::Icon;
    } else if (type == 0xE) {
        look.kind = ControlKind::Bitmap;
    } else {
        DescribeStaticShape(type, look);
    }
}

void DescribeCommonControl(std::uint32_t style, ControlLook& look) {
    switch (look.kind) {
    case ControlKind::ListView:
        look.report = (style & kListViewTypeMask) == 1;
        look.headerShown = !(style & 0x4000);
        break;
    case ControlKind::TreeView:
        look.treeLines = style & 0x2;
        break;
    case ControlKind::Progress:
        look.vertical = style & 0x4;
        break;
    case ControlKind::Trackbar:
        look.vertical = style & 0x2;
        look.ticks = !(style & 0x10);
        break;
    case ControlKind::UpDown:
        look.vertical = !(style & 0x40);
        break;
    case ControlKind::DateTime:
        look.timeFormat = (style & 0x9) == 0x9;
        break;
    case ControlKind::StatusBar:
        look.sizeGrip = style & 0x100;
        break;
    case ControlKind::ComboBox: // ComboBoxEx32 takes the combo box's type bits
        look.editable = (style & kComboTypeMask) != 3;
        look.simpleList = (style & kComboTypeMask) == 1;
        break;
    default:
        break;
    }
}

void DescribeByClass(int predefined, std::uint32_t style, ControlLook& look) {
    switch (predefined) {
    case 0:
        return DescribeButton(style, look);
    case 1:
        return DescribeEdit(style, look);
    case 2:
        return DescribeStatic(style, look);
    case 3:
        look.kind = ControlKind::ListBox;
        return;
    case 4:
        look.kind = style & 0x18 ? ControlKind::SizeBox : ControlKind::ScrollBar;
        look.vertical = style & 0x1;
        return;
    case 5:
        look.kind = ControlKind::ComboBox;
        return DescribeCommonControl(style, look);
    }
    for (const NamedClass& named : kCommonControls)
        if (EqualsNoCase(look.className, named.name)) {
            look.kind = named.kind;
            return DescribeCommonControl(style, look);
        }
    look.kind = ControlKind::Unknown;
}

} // namespace

std::string ControlClassName(const NameOrOrdinal& windowClass) {
    int predefined = PredefinedIndex(windowClass);
    if (windowClass.IsOrdinal())
        return predefined >= 0 ? std::string(kPredefined[std::size_t(predefined)])
                               : "#" + std::to_string(*windowClass.ordinal);
    return Utf16ToUtf8(windowClass.name);
}

ControlLook DescribeControl(const DialogItem& item) {
    using namespace window_style;
    ControlLook look;
    look.className = ControlClassName(item.windowClass);
    look.visible = item.style & kVisible;
    look.enabled = !(item.style & kDisabled);
    look.sunken = item.exStyle & (kExClientEdge | kExStaticEdge);
    look.bordered = look.sunken || (item.style & kBorder);
    look.vScroll = item.style & kVScroll;
    look.hScroll = item.style & kHScroll;
    DescribeByClass(PredefinedIndex(item.windowClass), item.style, look);
    look.bordered = look.bordered || look.sunken;
    return look;
}

MnemonicText SplitMnemonic(std::u16string_view text) {
    MnemonicText out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&' && out.underline < 0)
                out.underline = int(out.text.size());
        }
        out.text += text[i];
    }
    return out;
}

bool AttachesToBuddy(std::uint32_t upDownStyle) {
    constexpr std::uint32_t kAutoBuddy = 0x10, kAlignRight = 0x4, kAlignLeft = 0x8;
    return (upDownStyle & kAutoBuddy) && (upDownStyle & (kAlignRight | kAlignLeft));
}

void AttachUpDown(std::uint32_t upDownStyle, PixelRect& upDown, PixelRect& buddy,
                  int defaultWidth) {
    if (!AttachesToBuddy(upDownStyle))
        return;
    int width = upDown.width > 0 ? upDown.width : defaultWidth;
    width = std::min(width, std::max(buddy.width, 0));
    buddy.width -= width;
    bool right = upDownStyle & 0x4;
    upDown = {right ? buddy.x + buddy.width : buddy.x, buddy.y, width, buddy.height};
    if (!right)
        buddy.x += width;
}

} // namespace vellum
