#include "CodePage.h"

#include "Strings.h"

#include <cerrno>
#include <vector>

#ifndef _WIN32
#include <iconv.h>
#else
#include <windows.h>
#endif

namespace vellum {

namespace {

// Decodes one UTF-8 sequence at text[i] and advances i. Malformed bytes decode as themselves
// (Latin-1), so no input is rejected.
std::uint32_t DecodeUtf8(std::string_view text, std::size_t& i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    std::size_t extra = lead >= 0xF0 && lead < 0xF5   ? 3
                        : lead >= 0xE0 && lead < 0xF0 ? 2
                        : lead >= 0xC2 && lead < 0xE0 ? 1
                                                      : 0;
    if (extra == 0 || i + extra >= text.size()) {
        ++i;
        return lead;
    }
    std::uint32_t cp = lead & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return lead;
        }
        cp = cp << 6 | (byte(i + k) & 0x3F);
    }
    i += extra + 1;
    return cp;
}

struct LanguageCodePage {
    unsigned short language;
    unsigned short codePage;
};

// The default ANSI code page of each Windows language that has one.
constexpr LanguageCodePage kLanguageCodePages[] = {
    {1054, 874},   {1041, 932},   {2052, 936},   {4100, 936},   {1042, 949},   {1028, 950},
    {3076, 950},   {1029, 1250},  {1038, 1250},  {1045, 1250},  {1048, 1250},  {1051, 1250},
    {1060, 1250},  {1026, 1251},  {1049, 1251},  {1058, 1251},  {1059, 1251},  {1027, 1252},
    {1030, 1252},  {1031, 1252},  {1033, 1252},  {1034, 1252},  {1035, 1252},  {1036, 1252},
    {1039, 1252},  {1040, 1252},  {1043, 1252},  {1044, 1252},  {1046, 1252},  {1053, 1252},
    {1057, 1252},  {1069, 1252},  {1078, 1252},  {2055, 1252},  {2057, 1252},  {2058, 1252},
    {2060, 1252},  {2064, 1252},  {2067, 1252},  {2068, 1252},  {2070, 1252},  {3079, 1252},
    {3081, 1252},  {3082, 1252},  {3084, 1252},  {4103, 1252},  {4105, 1252},  {4108, 1252},
    {5127, 1252},  {5129, 1252},  {5132, 1252},  {6153, 1252},  {7177, 1252},  {1032, 1253},
    {1055, 1254},  {1037, 1255},  {1025, 1256},  {1065, 1256},  {2049, 1256},  {3073, 1256},
    {4097, 1256},  {5121, 1256},  {6145, 1256},  {7169, 1256},  {8193, 1256},  {9217, 1256},
    {10241, 1256}, {11265, 1256}, {12289, 1256}, {13313, 1256}, {14337, 1256}, {15361, 1256},
    {16385, 1256}, {1061, 1257},  {1062, 1257},  {1063, 1257},
};

#ifndef _WIN32
std::string IconvName(unsigned codePage) {
    switch (codePage) {
    case 874:
        return "CP874";
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    default:
        return Format("CP%u", codePage);
    }
}

// Runs iconv over the whole input; unconvertible characters become '?' (or U+003F).
std::string RunIconv(const std::string& from, const std::string& to, std::string_view input,
                     std::string_view replacement, std::size_t unit) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out;
    std::vector<char> buffer(4096);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* dst = buffer.data();
        std::size_t dstLeft = buffer.size();
        std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(buffer.data(), buffer.size() - dstLeft);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            std::size_t skip = std::min(unit, inLeft);
            in += skip;
            inLeft -= skip;
            out.append(replacement);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}
#endif

} // namespace

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | cp >> 6);
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | cp >> 12);
        out += char(0x80 | (cp >> 6 & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | cp >> 18);
        out += char(0x80 | (cp >> 12 & 0x3F));
        out += char(0x80 | (cp >> 6 & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t u = text[i];
        if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((std::uint32_t(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp = DecodeUtf8(text, i);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

std::u16string Utf16FromLittleEndian(const std::uint8_t* bytes, std::size_t units) {
    std::u16string out(units, u'\0');
    for (std::size_t i = 0; i < units; ++i)
        out[i] = char16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return out;
}

unsigned CodePageOfLanguage(unsigned languageId) {
    for (const LanguageCodePage& entry : kLanguageCodePages)
        if (entry.language == languageId)
            return entry.codePage;
    return kCodePageUtf8;
}

std::string Utf16ToCodePage(std::u16string_view text, unsigned codePage) {
    if (codePage == kCodePageUtf8)
        return Utf16ToUtf8(text);
#ifdef _WIN32
    int n = WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t*>(text.data()),
                                int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n), '\0');
    WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t*>(text.data()),
                        int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
#else
    std::string_view bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return RunIconv("UTF-16LE", IconvName(codePage), bytes, "?", 2);
#endif
}

std::u16string CodePageToUtf16(std::string_view text, unsigned codePage) {
    if (codePage == kCodePageUtf8)
        return Utf8ToUtf16(text);
#ifdef _WIN32
    int n = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::u16string out(std::size_t(n), u'\0');
    MultiByteToWideChar(codePage, 0, text.data(), int(text.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
#else
    std::string bytes = RunIconv(IconvName(codePage), "UTF-16LE", text, std::string("?\0", 2), 1);
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = char16_t(static_cast<unsigned char>(bytes[2 * i]) |
                          static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return out;
#endif
}

} // namespace vellum
