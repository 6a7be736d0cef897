// XML text rules of XmlDocument: character classes, escaping, entity decoding, integer values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellum::xml {

enum CharClass : std::uint8_t {
    kSpace = 1,     // TAB, LF, CR, space
    kNameStart = 2, // 'A'-'Z', 'a'-'z', '_', ':'
    kNameChar = 4,  // a name start, '0'-'9', '-', '.', or 0xB7
};

constexpr std::array<std::uint8_t, 256> MakeCharClasses() {
    std::array<std::uint8_t, 256> table{};
    for (char c : {'\t', '\n', '\r', ' '})
        table[static_cast<std::uint8_t>(c)] = kSpace;
    for (int c = 0; c < 256; ++c) {
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (letter || c == '_' || c == ':')
            table[c] = kNameStart | kNameChar;
        else if ((c >= '0' && c <= '9') || c == '-' || c == '.' || c == 0xB7)
            table[c] = kNameChar;
    }
    return table;
}
inline constexpr std::array<std::uint8_t, 256> kCharClasses = MakeCharClasses();

inline bool Is(char c, CharClass cls) {
    return kCharClasses[static_cast<std::uint8_t>(c)] & cls;
}

// The escaped form of `text` up to its first NUL: control bytes 0x01-0x1F as "&#xhh;" (two
// lowercase digits), the five markup characters as named entities, every other byte as is.
std::size_t EscapedLength(std::string_view text);
// Writes the escaped form into `out` (EscapedLength bytes); returns whether anything was replaced.
bool EscapeInto(std::string_view text, char* out);

// Decodes entities into at most `capacity` bytes of `out` and returns the count written. Each '&'
// starts an entity that runs to the next ';'. Its first character decides: 'a' gives '&' when the
// entity is four characters long ("amp;"), else an apostrophe; 'q' a double quote; 'g' '>';
// 'l' '<'; '#' one byte from decimal digits, or hexadecimal ones after 'x', modulo 256 (other
// characters count as 0); anything else gives nothing.
std::size_t DecodeEntities(std::string_view value, char* out, std::size_t capacity);
std::string DecodeEntities(std::string_view value);

// An optional '-' and decimal digits up to the first non-digit, wrapping on overflow; no digits
// give 0. There is no white space skipping and no hexadecimal.
std::int32_t ParseDecimal(std::string_view value);

} // namespace vellum::xml
