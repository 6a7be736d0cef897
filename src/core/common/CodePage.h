// Text conversions: UTF-16 resources to the narrow encodings the project files use and back.
//
// The "ANSI code page" of the Windows program is UTF-8 here, which loses nothing. Unpaired
// surrogates, which resource names may hold, travel as their three-byte generalised UTF-8 form so
// that a name survives a decompile and compile unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellum {

constexpr unsigned kCodePageUtf8 = 65001;

constexpr bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::string Utf16ToUtf8(std::u16string_view text);
// Appends one code point (up to U+10FFFF; surrogates too) in UTF-8.
void AppendUtf8(std::string& out, std::uint32_t codePoint);
std::u16string Utf8ToUtf16(std::string_view text);

// Little-endian UTF-16 code units straight from resource bytes.
std::u16string Utf16FromLittleEndian(const std::uint8_t* bytes, std::size_t units);

// The default ANSI code page of a Windows language ID, or 65001 for languages without one.
unsigned CodePageOfLanguage(unsigned languageId);

// Conversions through a Windows code page (874, 932, 936, 949, 950, 1250-1258 or 65001).
// Characters the code page cannot hold become '?'; nothing fails for ordinary text.
std::string Utf16ToCodePage(std::u16string_view text, unsigned codePage);
std::u16string CodePageToUtf16(std::string_view text, unsigned codePage);

} // namespace vellum
