// The windows.h names of window, dialog, control and menu style bits.
#include "script/ScriptStyles.h"

#include "common/Strings.h"

#include <vector>

namespace vellum {

namespace {

#define FLAG(name, value)                                                                          \
    { #name, value, value }
#define FIELD(name, value, mask)                                                                   \
    { #name, value, mask }

// Window styles as every window has them; WS_CAPTION first, as it is two bits.
#define WINDOW_STYLES                                                                              \
    FLAG(WS_POPUP, 0x80000000), FLAG(WS_CHILD, 0x40000000), FLAG(WS_MINIMIZE, 0x20000000),         \
        FLAG(WS_VISIBLE, 0x10000000), FLAG(WS_DISABLED, 0x08000000),                               \
        FLAG(WS_CLIPSIBLINGS, 0x04000000), FLAG(WS_CLIPCHILDREN, 0x02000000),                      \
        FLAG(WS_MAXIMIZE, 0x01000000), FLAG(WS_CAPTION, 0x00C00000), FLAG(WS_BORDER, 0x00800000),  \
        FLAG(WS_DLGFRAME, 0x00400000), FLAG(WS_VSCROLL, 0x00200000), FLAG(WS_HSCROLL, 0x00100000), \
        FLAG(WS_SYSMENU, 0x00080000), FLAG(WS_THICKFRAME, 0x00040000)

// The two low bits of the high word mean group and tab stop for a control.
#define CONTROL_STYLES WINDOW_STYLES, FLAG(WS_GROUP, 0x00020000), FLAG(WS_TABSTOP, 0x00010000)

constexpr StyleName kDialog[] = {
    WINDOW_STYLES,
    FLAG(WS_MINIMIZEBOX, 0x00020000),
    FLAG(WS_MAXIMIZEBOX, 0x00010000),
    FLAG(DS_SHELLFONT, 0x48),
    FLAG(DS_ABSALIGN, 0x1),
    FLAG(DS_SYSMODAL, 0x2),
    FLAG(DS_3DLOOK, 0x4),
    FLAG(DS_FIXEDSYS, 0x8),
    FLAG(DS_NOFAILCREATE, 0x10),
    FLAG(DS_LOCALEDIT, 0x20),
    FLAG(DS_SETFONT, 0x40),
    FLAG(DS_MODALFRAME, 0x80),
    FLAG(DS_NOIDLEMSG, 0x100),
    FLAG(DS_SETFOREGROUND, 0x200),
    FLAG(DS_CONTROL, 0x400),
    FLAG(DS_CENTER, 0x800),
    FLAG(DS_CENTERMOUSE, 0x1000),
    FLAG(DS_CONTEXTHELP, 0x2000),
};

constexpr StyleName kWindowOnly[] = {CONTROL_STYLES};

constexpr StyleName kButton[] = {
    CONTROL_STYLES,
    FIELD(BS_DEFPUSHBUTTON, 0x1, 0xF),
    FIELD(BS_CHECKBOX, 0x2, 0xF),
    FIELD(BS_AUTOCHECKBOX, 0x3, 0xF),
    FIELD(BS_RADIOBUTTON, 0x4, 0xF),
    FIELD(BS_3STATE, 0x5, 0xF),
    FIELD(BS_AUTO3STATE, 0x6, 0xF),
    FIELD(BS_GROUPBOX, 0x7, 0xF),
    FIELD(BS_USERBUTTON, 0x8, 0xF),
    FIELD(BS_AUTORADIOBUTTON, 0x9, 0xF),
    FIELD(BS_PUSHBOX, 0xA, 0xF),
    FIELD(BS_OWNERDRAW, 0xB, 0xF),
    FLAG(BS_LEFTTEXT, 0x20),
    FLAG(BS_ICON, 0x40),
    FLAG(BS_BITMAP, 0x80),
    FIELD(BS_CENTER, 0x300, 0x300),
    FIELD(BS_LEFT, 0x100, 0x300),
    FIELD(BS_RIGHT, 0x200, 0x300),
    FIELD(BS_VCENTER, 0xC00, 0xC00),
    FIELD(BS_TOP, 0x400, 0xC00),
    FIELD(BS_BOTTOM, 0x800, 0xC00),
    FLAG(BS_PUSHLIKE, 0x1000),
    FLAG(BS_MULTILINE, 0x2000),
    FLAG(BS_NOTIFY, 0x4000),
    FLAG(BS_FLAT, 0x8000),
};

constexpr StyleName kEdit[] = {
    CONTROL_STYLES,
    FIELD(ES_CENTER, 0x1, 0x3),
    FIELD(ES_RIGHT, 0x2, 0x3),
    FLAG(ES_MULTILINE, 0x4),
    FLAG(ES_UPPERCASE, 0x8),
    FLAG(ES_LOWERCASE, 0x10),
    FLAG(ES_PASSWORD, 0x20),
    FLAG(ES_AUTOVSCROLL, 0x40),
    FLAG(ES_AUTOHSCROLL, 0x80),
    FLAG(ES_NOHIDESEL, 0x100),
    FLAG(ES_OEMCONVERT, 0x400),
    FLAG(ES_READONLY, 0x800),
    FLAG(ES_WANTRETURN, 0x1000),
    FLAG(ES_NUMBER, 0x2000),
};

constexpr StyleName kStatic[] = {
    CONTROL_STYLES,
    FIELD(SS_CENTER, 0x1, 0x1F),
    FIELD(SS_RIGHT, 0x2, 0x1F),
    FIELD(SS_ICON, 0x3, 0x1F),
    FIELD(SS_BLACKRECT, 0x4, 0x1F),
    FIELD(SS_GRAYRECT, 0x5, 0x1F),
    FIELD(SS_WHITERECT, 0x6, 0x1F),
    FIELD(SS_BLACKFRAME, 0x7, 0x1F),
    FIELD(SS_GRAYFRAME, 0x8, 0x1F),
    FIELD(SS_WHITEFRAME, 0x9, 0x1F),
    FIELD(SS_USERITEM, 0xA, 0x1F),
    FIELD(SS_SIMPLE, 0xB, 0x1F),
    FIELD(SS_LEFTNOWORDWRAP, 0xC, 0x1F),
    FIELD(SS_OWNERDRAW, 0xD, 0x1F),
    FIELD(SS_BITMAP, 0xE, 0x1F),
    FIELD(SS_ENHMETAFILE, 0xF, 0x1F),
    FIELD(SS_ETCHEDHORZ, 0x10, 0x1F),
    FIELD(SS_ETCHEDVERT, 0x11, 0x1F),
    FIELD(SS_ETCHEDFRAME, 0x12, 0x1F),
    FLAG(SS_REALSIZECONTROL, 0x40),
    FLAG(SS_NOPREFIX, 0x80),
    FLAG(SS_NOTIFY, 0x100),
    FLAG(SS_CENTERIMAGE, 0x200),
    FLAG(SS_RIGHTJUST, 0x400),
    FLAG(SS_REALSIZEIMAGE, 0x800),
    FLAG(SS_SUNKEN, 0x1000),
    FLAG(SS_EDITCONTROL, 0x2000),
    FIELD(SS_WORDELLIPSIS, 0xC000, 0xC000),
    FIELD(SS_ENDELLIPSIS, 0x4000, 0xC000),
    FIELD(SS_PATHELLIPSIS, 0x8000, 0xC000),
};

constexpr StyleName kListBox[] = {
    CONTROL_STYLES,
    FLAG(LBS_NOTIFY, 0x1),
    FLAG(LBS_SORT, 0x2),
    FLAG(LBS_NOREDRAW, 0x4),
    FLAG(LBS_MULTIPLESEL, 0x8),
    FLAG(LBS_OWNERDRAWFIXED, 0x10),
    FLAG(LBS_OWNERDRAWVARIABLE, 0x20),
    FLAG(LBS_HASSTRINGS, 0x40),
    FLAG(LBS_USETABSTOPS, 0x80),
    FLAG(LBS_NOINTEGRALHEIGHT, 0x100),
    FLAG(LBS_MULTICOLUMN, 0x200),
    FLAG(LBS_WANTKEYBOARDINPUT, 0x400),
    FLAG(LBS_EXTENDEDSEL, 0x800),
    FLAG(LBS_DISABLENOSCROLL, 0x1000),
    FLAG(LBS_NODATA, 0x2000),
    FLAG(LBS_NOSEL, 0x4000),
};

constexpr StyleName kScrollBar[] = {
    CONTROL_STYLES,
    FLAG(SBS_VERT, 0x1),
    FLAG(SBS_SIZEBOX, 0x8),
    FLAG(SBS_SIZEGRIP, 0x10),
};

constexpr StyleName kComboBox[] = {
    CONTROL_STYLES,
    FIELD(CBS_DROPDOWNLIST, 0x3, 0x3),
    FIELD(CBS_SIMPLE, 0x1, 0x3),
    FIELD(CBS_DROPDOWN, 0x2, 0x3),
    FLAG(CBS_OWNERDRAWFIXED, 0x10),
    FLAG(CBS_OWNERDRAWVARIABLE, 0x20),
    FLAG(CBS_AUTOHSCROLL, 0x40),
    FLAG(CBS_OEMCONVERT, 0x80),
    FLAG(CBS_SORT, 0x100),
    FLAG(CBS_HASSTRINGS, 0x200),
    FLAG(CBS_NOINTEGRALHEIGHT, 0x400),
    FLAG(CBS_DISABLENOSCROLL, 0x800),
    FLAG(CBS_UPPERCASE, 0x2000),
    FLAG(CBS_LOWERCASE, 0x4000),
};

constexpr StyleName kExStyle[] = {
    FLAG(WS_EX_DLGMODALFRAME, 0x1),    FLAG(WS_EX_NOPARENTNOTIFY, 0x4),
    FLAG(WS_EX_TOPMOST, 0x8),          FLAG(WS_EX_ACCEPTFILES, 0x10),
    FLAG(WS_EX_TRANSPARENT, 0x20),     FLAG(WS_EX_MDICHILD, 0x40),
    FLAG(WS_EX_TOOLWINDOW, 0x80),      FLAG(WS_EX_WINDOWEDGE, 0x100),
    FLAG(WS_EX_CLIENTEDGE, 0x200),     FLAG(WS_EX_CONTEXTHELP, 0x400),
    FLAG(WS_EX_RIGHT, 0x1000),         FLAG(WS_EX_RTLREADING, 0x2000),
    FLAG(WS_EX_LEFTSCROLLBAR, 0x4000), FLAG(WS_EX_CONTROLPARENT, 0x10000),
    FLAG(WS_EX_STATICEDGE, 0x20000),   FLAG(WS_EX_APPWINDOW, 0x40000),
    FLAG(WS_EX_LAYERED, 0x80000),      FLAG(WS_EX_NOINHERITLAYOUT, 0x100000),
    FLAG(WS_EX_LAYOUTRTL, 0x400000),   FLAG(WS_EX_COMPOSITED, 0x2000000),
    FLAG(WS_EX_NOACTIVATE, 0x8000000),
};

constexpr StyleName kMenuType[] = {
    FLAG(MFT_BITMAP, 0x4),        FLAG(MFT_MENUBARBREAK, 0x20),   FLAG(MFT_MENUBREAK, 0x40),
    FLAG(MFT_OWNERDRAW, 0x100),   FLAG(MFT_RADIOCHECK, 0x200),    FLAG(MFT_SEPARATOR, 0x800),
    FLAG(MFT_RIGHTORDER, 0x2000), FLAG(MFT_RIGHTJUSTIFY, 0x4000),
};

constexpr StyleName kMenuState[] = {
    FLAG(MFS_GRAYED, 0x3),
    FLAG(MFS_CHECKED, 0x8),
    FLAG(MFS_HILITE, 0x80),
    FLAG(MFS_DEFAULT, 0x1000),
};

#undef FLAG
#undef FIELD

// Names whose bits are all in `value` and still unclaimed, then hex for what is left.
std::vector<std::string> NamesOf(std::uint32_t value, std::span<const StyleName> names) {
    std::vector<std::string> parts;
    std::uint32_t rest = value;
    for (const StyleName& n : names) {
        if (n.value && (value & n.mask) == n.value && (rest & n.value) == n.value) {
            parts.emplace_back(n.name);
            rest &= ~n.value;
        }
    }
    if (rest)
        parts.push_back(Format("0x%X", rest));
    return parts;
}

} // namespace

std::span<const StyleName> DialogStyleNames() {
    return kDialog;
}

std::span<const StyleName> ControlStyleNames(std::uint16_t classAtom) {
    switch (classAtom) {
    case 0x80:
        return kButton;
    case 0x81:
        return kEdit;
    case 0x82:
        return kStatic;
    case 0x83:
        return kListBox;
    case 0x84:
        return kScrollBar;
    case 0x85:
        return kComboBox;
    default:
        return kWindowOnly;
    }
}

std::span<const StyleName> ExStyleNames() {
    return kExStyle;
}

std::span<const StyleName> MenuTypeNames() {
    return kMenuType;
}

std::span<const StyleName> MenuStateNames() {
    return kMenuState;
}

std::string StyleExpression(std::uint32_t value, std::span<const StyleName> names,
                            std::uint32_t added) {
    std::vector<std::string> parts = NamesOf(value, names);
    if (parts.empty())
        parts.emplace_back("0");
    for (const std::string& cancelled : NamesOf(added & ~value, names))
        parts.push_back("NOT " + cancelled);
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : " | ") + part;
    return text;
}

} // namespace vellum
