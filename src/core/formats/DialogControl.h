// What a control of a dialog template looks like: its class (an atom of the six predefined
// classes or a window-class name, matched without case) and the style bits that change how it is
// drawn, decoded once so that a preview only maps each kind to a widget.
//
//   window styles   WS_VISIBLE 0x10000000   WS_DISABLED 0x08000000   WS_BORDER 0x00800000
//                   WS_VSCROLL 0x00200000   WS_HSCROLL 0x00100000
//   extended        WS_EX_CLIENTEDGE 0x200   WS_EX_STATICEDGE 0x20000
//   button          type in the low 4 bits (BS_PUSHBUTTON 0 .. BS_DEFCOMMANDLINK 0xF),
//                   BS_LEFTTEXT 0x20, BS_PUSHLIKE 0x1000, BS_MULTILINE 0x2000
//   edit            ES_CENTER 1, ES_RIGHT 2, ES_MULTILINE 4, ES_PASSWORD 0x20, ES_READONLY 0x800
//   static          type in the low 5 bits (SS_LEFT 0 .. SS_ETCHEDFRAME 0x12), SS_NOPREFIX 0x80,
//                   SS_CENTERIMAGE 0x200, SS_REALSIZECONTROL 0x40, SS_SUNKEN 0x1000
//   combo box       CBS_SIMPLE 1, CBS_DROPDOWN 2, CBS_DROPDOWNLIST 3 (the low 2 bits)
//   scroll bar      SBS_VERT 1, SBS_SIZEBOX 8
//   common controls PBS_VERTICAL 4, TBS_VERT 2, TBS_NOTICKS 0x10, UDS_HORZ 0x40,
//                   UDS_ALIGNRIGHT 4, UDS_ALIGNLEFT 8, UDS_AUTOBUDDY 0x10, list-view view in the
//                   low 2 bits (LVS_REPORT 1), LVS_NOCOLUMNHEADER 0x4000, TVS_HASBUTTONS 1,
//                   TVS_HASLINES 2, TVS_LINESATROOT 4, DTS_UPDOWN 1, DTS_TIMEFORMAT 9,
//                   SBARS_SIZEGRIP 0x100
#pragma once

#include "formats/DialogTemplate.h"
#include "formats/DialogUnits.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vellum {

namespace window_style {
constexpr std::uint32_t kVisible = 0x10000000;
constexpr std::uint32_t kDisabled = 0x08000000;
constexpr std::uint32_t kCaption = 0x00C00000;
constexpr std::uint32_t kBorder = 0x00800000;
constexpr std::uint32_t kDialogFrame = 0x00400000;
constexpr std::uint32_t kVScroll = 0x00200000;
constexpr std::uint32_t kHScroll = 0x00100000;
constexpr std::uint32_t kSysMenu = 0x00080000;
constexpr std::uint32_t kThickFrame = 0x00040000;
constexpr std::uint32_t kMinimizeBox = 0x00020000;
constexpr std::uint32_t kMaximizeBox = 0x00010000;
constexpr std::uint32_t kDsModalFrame = 0x80;
constexpr std::uint32_t kExDialogModalFrame = 0x1;
constexpr std::uint32_t kExToolWindow = 0x80;
constexpr std::uint32_t kExClientEdge = 0x200;
constexpr std::uint32_t kExContextHelp = 0x400;
constexpr std::uint32_t kExStaticEdge = 0x20000;
} // namespace window_style

enum class ControlKind {
    PushButton,
    CheckBox,
    RadioButton,
    GroupBox,
    CommandLink,
    OwnerDraw, // a button or static the program paints itself: shown as a frame
    Edit,
    Label,
    Icon,
    Bitmap,
    FilledRect, // SS_BLACKRECT, SS_GRAYRECT, SS_WHITERECT
    FrameRect,  // SS_BLACKFRAME, SS_GRAYFRAME, SS_WHITEFRAME, SS_ETCHEDFRAME
    EtchedLine, // SS_ETCHEDHORZ, SS_ETCHEDVERT
    ListBox,
    ComboBox,
    ScrollBar,
    SizeBox,
    ListView,
    TreeView,
    Progress,
    Trackbar,
    Tab,
    UpDown,
    RichEdit,
    DateTime,
    MonthCalendar,
    Link,
    Toolbar,
    Header,
    Animation,
    IpAddress,
    HotKey,
    StatusBar,
    Unknown,
};

enum class TextAlign { Left, Center, Right };
// SS_BLACKRECT and the like name system colours: the window frame, the background, the window.
enum class Shade { Black, Gray, White, Etched };

struct ControlLook {
    ControlKind kind = ControlKind::Unknown;
    std::string className; // the class as a name ("Button" for atom 0x80)
    bool visible = false;
    bool enabled = true;
    bool bordered = false; // WS_BORDER, a client or static edge
    bool sunken = false;   // WS_EX_CLIENTEDGE, WS_EX_STATICEDGE or SS_SUNKEN
    bool vScroll = false;
    bool hScroll = false;
    TextAlign align = TextAlign::Left;
    bool wordWrap = false;
    bool noPrefix = false;  // '&' is shown as it is
    bool isDefault = false; // BS_DEFPUSHBUTTON and friends
    bool threeState = false;
    bool leftText = false;
    bool pushLike = false;
    bool multiLine = false;
    bool password = false;
    bool readOnly = false;
    bool editable = true;    // combo boxes: false for CBS_DROPDOWNLIST
    bool simpleList = false; // CBS_SIMPLE: the list is always shown
    bool vertical = false;
    bool ticks = true;
    bool report = false;     // list views in report view
    bool headerShown = true; // report list views
    bool treeLines = false;
    bool timeFormat = false;
    bool sizeGrip = false;
    bool keepImageSize = false; // icons and bitmaps: the control keeps its own size
    Shade shade = Shade::Gray;
};

// The look of one control.
ControlLook DescribeControl(const DialogItem& item);

// The class a control names, as a string: the predefined atoms by their names, a name as it is.
std::string ControlClassName(const NameOrOrdinal& windowClass);

// A control's text with its mnemonic marker taken out: "&&" stands for "&", and the character
// after a single '&' is the one to underline (its index in `text`; -1 for none).
struct MnemonicText {
    std::u16string text;
    int underline = -1;
    bool operator==(const MnemonicText&) const = default;
};
MnemonicText SplitMnemonic(std::u16string_view text);

// Up-down controls with UDS_AUTOBUDDY and an alignment bit attach to the control before them at
// run time: the buddy loses the up-down's width on that side and the up-down takes the buddy's
// height. `upDown` keeps its own width when it has one, else `defaultWidth`. Nothing changes
// without the bits.
void AttachUpDown(std::uint32_t upDownStyle, PixelRect& upDown, PixelRect& buddy, int defaultWidth);
bool AttachesToBuddy(std::uint32_t upDownStyle);

} // namespace vellum
