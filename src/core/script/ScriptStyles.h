// Style values as resource-script expressions, by the names windows.h gives their bits
// ("WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX"), with hex for bits that have no name.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vellum {

// A named bit pattern: it applies when (style & mask) == value. For single flags mask is the
// value; for fields such as a button's type the mask covers the whole field.
struct StyleName {
    std::string_view name;
    std::uint32_t value;
    std::uint32_t mask;
};

// The names for a dialog's STYLE, for a control's style by its class atom (0 for a class given
// by name, which gets the window styles only), for extended styles, and for the MFT_ and MFS_
// bits of extended menus.
std::span<const StyleName> DialogStyleNames();
std::span<const StyleName> ControlStyleNames(std::uint16_t classAtom);
std::span<const StyleName> ExStyleNames();
std::span<const StyleName> MenuTypeNames();
std::span<const StyleName> MenuStateNames();

// `value` as names joined by " | ", then hex for the rest ("0" for nothing). Bits in `added`
// that `value` lacks are cancelled with "NOT name" at the end: resource compilers add some bits
// on their own (WS_CHILD | WS_VISIBLE to every control, WS_CAPTION to a dialog with a caption).
std::string StyleExpression(std::uint32_t value, std::span<const StyleName> names,
                            std::uint32_t added = 0);

} // namespace vellum
