// Small string helpers: ASCII case folding and printf-style formatting into std::string.
#pragma once

#include "common/PrintfFormat.h"

#include <cstdarg>
#include <string>
#include <string_view>

namespace vellum {

constexpr char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
constexpr char ToUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// The value of a hexadecimal digit, or -1.
constexpr int HexDigitValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

bool EqualsNoCase(std::string_view a, std::string_view b);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
std::string ToUpperAscii(std::string_view text);

// vsnprintf into a string of any length.
std::string FormatV(const char* format, std::va_list args);
std::string Format(const char* format, ...) VELLUM_PRINTF_FORMAT(1, 2);

} // namespace vellum
