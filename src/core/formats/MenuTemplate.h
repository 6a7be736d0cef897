// The menu resource (type 4): a MENU or MENUEX template, read into a tree of items.
//
//   header            0 u16 version (0 plain, 1 extended)   2 u16 offset of the first item,
//                     counted from byte 4 (plain: 0; extended: 4, the bytes holding the
//                     menu's u32 help ID)
//   MENUITEMTEMPLATE  u16 option flags (MF_POPUP 0x10: a drop-down whose items follow it;
//                     MF_END 0x80: the last item of its list), u16 ID (not for MF_POPUP),
//                     the text (sz; empty for a separator)
//   MENUEX_TEMPLATE_ITEM  on a 4-byte boundary: 0 u32 type (MFT_*)   4 u32 state (MFS_*)
//                     8 u32 ID   12 u16 flags (0x01: a drop-down follows; 0x80: the last item
//                     of its list)   14 the text (sz); a drop-down then has, on a 4-byte
//                     boundary, u32 help ID, and its items
//
// Boundaries count from the start of the template.
#pragma once

#include "common/ByteView.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellum {

constexpr std::uint16_t kMenuVersionPlain = 0;
constexpr std::uint16_t kMenuVersionEx = 1;
constexpr std::uint16_t kMfPopup = 0x10;
constexpr std::uint16_t kMfEnd = 0x80;
constexpr std::uint16_t kMenuExPopup = 0x01;
constexpr std::uint16_t kMenuExEnd = 0x80;
// Drop-downs nested deeper are refused; it bounds the recursion over hostile bytes.
constexpr int kMaxMenuDepth = 32;

struct MenuItem {
    // Plain: the option word without MF_END. Extended: the flags word without its end bit.
    std::uint16_t flags = 0;
    std::uint32_t type = 0;  // extended only: MFT_* bits
    std::uint32_t state = 0; // extended only: MFS_* bits
    std::uint32_t id = 0;    // 16 bits in plain templates; plain drop-downs have none
    std::u16string text;
    std::uint32_t helpId = 0; // extended drop-downs only
    std::vector<MenuItem> children;

    bool operator==(const MenuItem&) const = default;
};

struct MenuTemplate {
    bool extended = false;
    // The bytes between the header's four bytes and the first item; an extended menu keeps its
    // help ID in the first four.
    std::vector<std::uint8_t> headerExtra;
    std::vector<MenuItem> items;
    // Bytes behind the last item (padding the compiler added).
    std::vector<std::uint8_t> trailing;

    bool IsPopup(const MenuItem& item) const {
        return (item.flags & (extended ? kMenuExPopup : kMfPopup)) != 0;
    }
    // The extended menu's own help ID (0 when the header holds none).
    std::uint32_t HelpId() const;

    // Nothing for another version, an offset past the end, a string or field cut off, a list
    // that ends without its end flag, or drop-downs nested deeper than kMaxMenuDepth.
    static std::optional<MenuTemplate> Parse(ByteView bytes);
    // The template; nothing when a drop-down has no items, which the format cannot express.
    std::optional<std::vector<std::uint8_t>> Serialize() const;

    bool operator==(const MenuTemplate&) const = default;
};

} // namespace vellum
