// Naming accelerator keys.
#include "formats/AcceleratorText.h"

#include "common/Strings.h"

#include <array>

namespace vellum {

namespace {

struct KeyName {
    std::uint16_t code;
    const char* name;
};

// Virtual keys whose names are not their characters.
constexpr std::array kKeyNames = {
    KeyName{0x03, "Break"},  KeyName{0x08, "Backspace"}, KeyName{0x09, "Tab"},
    KeyName{0x0D, "Enter"},  KeyName{0x13, "Pause"},     KeyName{0x1B, "Esc"},
    KeyName{0x20, "Space"},  KeyName{0x21, "PgUp"},      KeyName{0x22, "PgDn"},
    KeyName{0x23, "End"},    KeyName{0x24, "Home"},      KeyName{0x25, "Left"},
    KeyName{0x26, "Up"},     KeyName{0x27, "Right"},     KeyName{0x28, "Down"},
    KeyName{0x2C, "PrtScr"}, KeyName{0x2D, "Ins"},       KeyName{0x2E, "Del"},
    KeyName{0x2F, "Help"},   KeyName{0x5D, "Menu"},      KeyName{0x6A, "Num *"},
    KeyName{0x6B, "Num +"},  KeyName{0x6D, "Num -"},     KeyName{0x6E, "Num ."},
    KeyName{0x6F, "Num /"},  KeyName{0x90, "NumLock"},   KeyName{0x91, "ScrollLock"},
    KeyName{0xBA, ";"},      KeyName{0xBB, "+"},         KeyName{0xBC, ","},
    KeyName{0xBD, "-"},      KeyName{0xBE, "."},         KeyName{0xBF, "/"},
    KeyName{0xC0, "`"},      KeyName{0xDB, "["},         KeyName{0xDC, "\\"},
    KeyName{0xDD, "]"},      KeyName{0xDE, "'"},
};

std::string VirtualKeyName(std::uint16_t key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, char(key));
    if (key >= 0x60 && key <= 0x69)
        return "Num " + std::to_string(key - 0x60);
    if (key >= 0x70 && key <= 0x87)
        return "F" + std::to_string(key - 0x70 + 1);
    for (const KeyName& k : kKeyNames)
        if (k.code == key)
            return k.name;
    return Format("0x%02X", unsigned(key));
}

bool IsControlLetter(const Accelerator& entry) {
    return !(entry.flags & kAccelVirtKey) && entry.key >= 1 && entry.key <= 26;
}

} // namespace

std::string AcceleratorKeyName(const Accelerator& entry) {
    if (entry.flags & kAccelVirtKey)
        return VirtualKeyName(entry.key);
    if (IsControlLetter(entry))
        return std::string(1, char('A' + entry.key - 1));
    if (entry.key == ' ')
        return "Space";
    if (entry.key > 0x20 && entry.key < 0x7F)
        return std::string(1, char(entry.key));
    return Format("0x%02X", unsigned(entry.key));
}

std::string AcceleratorModifiers(const Accelerator& entry) {
    bool virtKey = entry.flags & kAccelVirtKey;
    std::string text;
    auto add = [&](const char* name) { text += (text.empty() ? "" : "+") + std::string(name); };
    if ((virtKey && (entry.flags & kAccelControl)) || IsControlLetter(entry))
        add("Ctrl");
    if (virtKey && (entry.flags & kAccelShift))
        add("Shift");
    if (entry.flags & kAccelAlt)
        add("Alt");
    return text;
}

std::string AcceleratorText(const Accelerator& entry) {
    std::string modifiers = AcceleratorModifiers(entry);
    std::string key = AcceleratorKeyName(entry);
    return modifiers.empty() ? key : modifiers + "+" + key;
}

} // namespace vellum
