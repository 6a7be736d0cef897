// What a menu item looks like, the same for plain and extended templates.
//
//   plain option word   MF_GRAYED 0x1   MF_DISABLED 0x2   MF_BITMAP 0x4   MF_CHECKED 0x8
//                       MF_MENUBARBREAK 0x20   MF_MENUBREAK 0x40   MF_OWNERDRAW 0x100
//                       MF_HELP 0x4000 (right-justified in a menu bar); a separator is an item
//                       with ID 0, no text and no drop-down
//   extended type       MFT_BITMAP 0x4   MFT_MENUBARBREAK 0x20   MFT_MENUBREAK 0x40
//                       MFT_OWNERDRAW 0x100   MFT_RADIOCHECK 0x200   MFT_SEPARATOR 0x800
//                       MFT_RIGHTJUSTIFY 0x4000
//   extended state      MFS_GRAYED 0x3 (MFS_DISABLED is the same bits)   MFS_CHECKED 0x8
//                       MFS_DEFAULT 0x1000
//
// An item's text may carry a shortcut after a tab ("&Open\tCtrl+O"), shown right-aligned; a
// 0x08 character does the same in older menus.
#pragma once

#include "formats/MenuTemplate.h"

#include <string>

namespace vellum {

struct MenuItemLook {
    std::u16string text;     // with its '&' mnemonic markers, as menus show them
    std::u16string shortcut; // the part after the tab, empty when there is none
    bool popup = false;
    bool separator = false;
    bool grayed = false;   // drawn gray
    bool disabled = false; // cannot be chosen (grayed items cannot either)
    bool checked = false;
    bool radio = false;     // a checked item shows a bullet instead of a tick
    bool isDefault = false; // drawn bold
    bool rightJustify = false;
    bool columnBreak = false;
    bool ownerDraw = false;
    bool bitmap = false;
};

MenuItemLook DescribeMenuItem(const MenuTemplate& menu, const MenuItem& item);

// Splits an item's text at its first tab (or 0x08) into the label and the shortcut text.
void SplitMenuText(std::u16string_view text, std::u16string& label, std::u16string& shortcut);

} // namespace vellum
