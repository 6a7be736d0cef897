// Decoding menu items of both template versions.
#include "formats/MenuItemLook.h"

namespace vellum {

namespace {

void DescribePlain(const MenuItem& item, MenuItemLook& look) {
    std::uint16_t f = item.flags;
    look.grayed = f & 0x1;
    look.disabled = f & 0x3;
    look.bitmap = f & 0x4;
    look.checked = f & 0x8;
    look.columnBreak = f & 0x60;
    look.ownerDraw = f & 0x100;
    look.separator = (f & 0x800) || (!look.popup && item.id == 0 && item.text.empty() &&
                                     !look.bitmap && !look.ownerDraw);
    look.rightJustify = f & 0x4000;
}

void DescribeExtended(const MenuItem& item, MenuItemLook& look) {
    std::uint32_t t = item.type, s = item.state;
    look.bitmap = t & 0x4;
    look.columnBreak = t & 0x60;
    look.ownerDraw = t & 0x100;
    look.radio = t & 0x200;
    look.separator = t & 0x800;
    look.rightJustify = t & 0x4000;
    look.grayed = s & 0x3;
    look.disabled = s & 0x3;
    look.checked = s & 0x8;
    look.isDefault = s & 0x1000;
}

} // namespace

void SplitMenuText(std::u16string_view text, std::u16string& label, std::u16string& shortcut) {
    std::size_t cut = text.find_first_of(u"\t\x08");
    label = std::u16string(text.substr(0, cut));
    shortcut =
        cut == std::u16string_view::npos ? std::u16string() : std::u16string(text.substr(cut + 1));
}

MenuItemLook DescribeMenuItem(const MenuTemplate& menu, const MenuItem& item) {
    MenuItemLook look;
    look.popup = menu.IsPopup(item);
    if (menu.extended)
        DescribeExtended(item, look);
    else
        DescribePlain(item, look);
    SplitMenuText(item.text, look.text, look.shortcut);
    return look;
}

} // namespace vellum
