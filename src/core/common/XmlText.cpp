// Escaping, entity decoding and integer values of XmlDocument.
#include "XmlText.h"

#include <cstring>

namespace vellum::xml {

namespace {

// The replacement of a byte that needs escaping, or nullptr. Control bytes are handled apart.
const char* NamedEntity(char c) {
    switch (c) {
    case '"':
        return "&quot;";
    case '&':
        return "&amp;";
    case '\'':
        return "&apos;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    default:
        return nullptr;
    }
}

bool IsControl(char c) {
    return c >= 0x01 && c <= 0x1F;
}

constexpr std::size_t kCharRefLength = 6; // "&#x1f;"

std::string_view UpToNul(std::string_view text) {
    std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

int DigitValue(char c, int base) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

// The byte of a character reference; `digits` follows the '#'.
char CharacterReference(std::string_view digits) {
    int base = 10;
    if (!digits.empty() && (digits[0] == 'x' || digits[0] == 'X')) {
        base = 16;
        digits.remove_prefix(1);
    }
    unsigned value = 0;
    for (char c : digits)
        value = (value * base + DigitValue(c, base)) & 0xFF;
    return static_cast<char>(value);
}

// The byte an entity stands for, or -1 for none. `body` is the text between '&' and ';';
// `length` counts the ';' when there was one.
int EntityValue(std::string_view body, std::size_t length) {
    if (body.empty())
        return -1;
    switch (body[0]) {
    case 'a':
        return length == 4 ? '&' : '\'';
    case 'q':
        return '"';
    case 'g':
        return '>';
    case 'l':
        return '<';
    case '#':
        return static_cast<unsigned char>(CharacterReference(body.substr(1)));
    default:
        return -1;
    }
}

} // namespace

std::size_t EscapedLength(std::string_view text) {
    std::size_t length = 0;
    for (char c : UpToNul(text)) {
        if (const char* entity = NamedEntity(c))
            length += std::strlen(entity);
        else
            length += IsControl(c) ? kCharRefLength : 1;
    }
    return length;
}

bool EscapeInto(std::string_view text, char* out) {
    static constexpr char kHex[] = "0123456789abcdef";
    bool replaced = false;
    for (char c : UpToNul(text)) {
        if (const char* entity = NamedEntity(c)) {
            std::size_t n = std::strlen(entity);
            std::memcpy(out, entity, n);
            out += n;
            replaced = true;
        } else if (IsControl(c)) {
            const char ref[kCharRefLength] = {'&', '#', 'x', kHex[c >> 4], kHex[c & 0xF], ';'};
            std::memcpy(out, ref, kCharRefLength);
            out += kCharRefLength;
            replaced = true;
        } else {
            *out++ = c;
        }
    }
    return replaced;
}

std::size_t DecodeEntities(std::string_view value, char* out, std::size_t capacity) {
    std::size_t written = 0;
    std::size_t i = 0;
    while (i < value.size() && written < capacity) {
        if (value[i] != '&') {
            out[written++] = value[i++];
            continue;
        }
        std::size_t semicolon = value.find(';', i + 1);
        bool terminated = semicolon != std::string_view::npos;
        std::size_t end = terminated ? semicolon : value.size();
        std::string_view body = value.substr(i + 1, end - i - 1);
        int byte = EntityValue(body, body.size() + (terminated ? 1 : 0));
        if (byte >= 0)
            out[written++] = static_cast<char>(byte);
        i = terminated ? end + 1 : end;
    }
    return written;
}

std::string DecodeEntities(std::string_view value) {
    std::string out(value.size(), '\0');
    out.resize(DecodeEntities(value, out.data(), out.size()));
    return out;
}

std::int32_t ParseDecimal(std::string_view value) {
    bool negative = !value.empty() && value[0] == '-';
    if (negative)
        value.remove_prefix(1);
    std::uint32_t magnitude = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            break;
        magnitude = magnitude * 10u + static_cast<std::uint32_t>(c - '0');
    }
    return static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
}

} // namespace vellum::xml
