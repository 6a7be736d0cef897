// The dialog resource (type 5): a DLGTEMPLATE or DLGTEMPLATEEX header and its controls.
//
//   DLGTEMPLATE      0 u32 style   4 u32 extended style   8 u16 item count   10 i16 x   12 i16 y
//                    14 i16 cx   16 i16 cy                                              (18 bytes)
//   DLGTEMPLATEEX    0 u16 version (1)   2 u16 signature 0xFFFF   4 u32 help ID
//                    8 u32 extended style   12 u32 style   16 u16 item count   18 i16 x
//                    20 i16 y   22 i16 cx   24 i16 cy                                   (26 bytes)
//   then both        menu (sz_Or_Ord), window class (sz_Or_Ord), title (sz); with DS_SETFONT
//                    in the style a font: u16 point size, [EX: u16 weight, u8 italic,
//                    u8 charset,] typeface (sz)
//   DLGITEMTEMPLATE  on a 4-byte boundary: 0 u32 style   4 u32 extended style   8 i16 x
//                    10 i16 y   12 i16 cx   14 i16 cy   16 u16 ID                   (18 bytes)
//   DLGITEMTEMPLATEEX  on a 4-byte boundary: 0 u32 help ID   4 u32 extended style   8 u32 style
//                    12 i16 x   14 i16 y   16 i16 cx   18 i16 cy   20 u32 ID           (24 bytes)
//   then both        class (sz_Or_Ord: 0x0080 button, 0x0081 edit, 0x0082 static, 0x0083 list
//                    box, 0x0084 scroll bar, 0x0085 combo box), title (sz_Or_Ord), u16 count of
//                    creation-data bytes, the creation data
//
// Boundaries count from the start of the template.
#pragma once

#include "common/ByteView.h"
#include "formats/TemplateFields.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellum {

constexpr std::uint16_t kDialogExSignature = 0xFFFF;
constexpr std::uint32_t kDsSetFont = 0x40;
constexpr std::uint32_t kDsShellFont = 0x48; // DS_SETFONT | DS_FIXEDSYS

// The predefined control classes, stored as atoms.
namespace dialog_class {
constexpr std::uint16_t kButton = 0x0080;
constexpr std::uint16_t kEdit = 0x0081;
constexpr std::uint16_t kStatic = 0x0082;
constexpr std::uint16_t kListBox = 0x0083;
constexpr std::uint16_t kScrollBar = 0x0084;
constexpr std::uint16_t kComboBox = 0x0085;
} // namespace dialog_class

// The font block; weight, italic and charset exist in extended templates only.
struct DialogFont {
    std::uint16_t pointSize = 0;
    std::uint16_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t charset = 0;
    std::u16string typeface;
    bool operator==(const DialogFont&) const = default;
};

// What a dialog and each of its controls have alike: styles, help ID and place, in dialog units.
struct DialogFrame {
    std::uint32_t helpId = 0; // extended templates only
    std::uint32_t exStyle = 0;
    std::uint32_t style = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t cx = 0;
    std::int16_t cy = 0;
    bool operator==(const DialogFrame&) const = default;
};

struct DialogItem : DialogFrame {
    std::uint32_t id = 0; // 16 bits in plain templates
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    std::vector<std::uint8_t> creationData;
    bool operator==(const DialogItem&) const = default;
};

struct DialogTemplate : DialogFrame {
    bool extended = false;
    std::uint16_t version = 1; // extended templates only
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::u16string title;
    DialogFont font; // read and written only when the style has DS_SETFONT
    std::vector<DialogItem> items;
    // Bytes behind the last item (padding the compiler added).
    std::vector<std::uint8_t> trailing;

    bool HasFont() const { return (style & kDsSetFont) != 0; }

    // An extended template when the word at byte 2 is 0xFFFF. Nothing when a field, string or
    // creation data runs past the end or the item count promises more items than the bytes hold.
    static std::optional<DialogTemplate> Parse(ByteView bytes);
    // The template; nothing when there are more than 65535 items or more creation data than a
    // 16-bit count can say.
    std::optional<std::vector<std::uint8_t>> Serialize() const;

    bool operator==(const DialogTemplate&) const = default;
};

} // namespace vellum
