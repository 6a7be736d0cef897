#include "common/TextFile.h"

#include "common/CodePage.h"
#include "common/Path.h"

namespace vellum {

namespace {

// Little-endian UTF-16 with every surrogate paired; nothing for an odd length.
std::optional<std::u16string> StrictUtf16(ByteView bytes) {
    if (bytes.Size() % 2)
        return std::nullopt;
    std::u16string text = Utf16FromLittleEndian(bytes.Data(), bytes.Size() / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            ++i;
        else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))
            return std::nullopt;
    }
    return text;
}

// How many continuation bytes follow a lead byte; -1 for a byte that cannot lead (C0 and C1
// would only start overlong forms, F5 and up code points past U+10FFFF).
int ContinuationBytes(std::uint8_t lead) {
    if (lead < 0x80)
        return 0;
    if (lead >= 0xC2 && lead < 0xE0)
        return 1;
    if (lead >= 0xE0 && lead < 0xF0)
        return 2;
    return lead >= 0xF0 && lead < 0xF5 ? 3 : -1;
}

// UTF-8 as RFC 3629 has it: shortest forms only, no surrogates, nothing above U+10FFFF.
std::optional<std::u16string> StrictUtf8(ByteView bytes) {
    std::u16string text;
    const std::uint8_t* p = bytes.Data();
    for (std::size_t i = 0, n = bytes.Size(); i < n;) {
        std::uint8_t lead = p[i];
        int extra = ContinuationBytes(lead);
        if (extra < 0 || i + std::size_t(extra) >= n + (extra == 0))
            return std::nullopt;
        std::uint32_t code = extra ? lead & (0x3F >> extra) : lead;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return std::nullopt;
            code = code << 6 | (p[i + k] & 0x3F);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return std::nullopt;
        if (code >= 0x10000) {
            text.push_back(char16_t(0xD800 + ((code - 0x10000) >> 10)));
            text.push_back(char16_t(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            text.push_back(char16_t(code));
        }
        i += std::size_t(extra) + 1;
    }
    return text;
}

// Turns CR LF breaks into LF when there is no other kind of break.
void TakeLineBreaks(DecodedText& decoded) {
    std::u16string& text = decoded.text;
    std::size_t crlf = 0, lf = 0, cr = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++crlf, ++i;
        else if (text[i] == u'\n')
            ++lf;
        else if (text[i] == u'\r')
            ++cr;
    }
    if (crlf == 0 || lf || cr)
        return;
    std::u16string plain;
    for (char16_t c : text)
        if (c != u'\r')
            plain.push_back(c);
    text = std::move(plain);
    decoded.crlf = true;
}

DecodedText DecodeEightBit(ByteView bytes) {
    DecodedText decoded;
    bool mark =
        bytes.Size() >= 3 && bytes.U8(0) == 0xEF && bytes.U8(1) == 0xBB && bytes.U8(2) == 0xBF;
    if (std::optional<std::u16string> utf8 = StrictUtf8(mark ? bytes.From(3) : bytes)) {
        decoded.text = std::move(*utf8);
        decoded.byteOrderMark = mark;
    } else {
        decoded.encoding = TextEncoding::Latin1;
        decoded.note = "This file is not UTF-8 text; each byte is shown as one Latin-1 character "
                       "and written back as it was.";
        for (std::size_t i = 0; i < bytes.Size(); ++i)
            decoded.text.push_back(char16_t(bytes.Data()[i]));
    }
    return decoded;
}

} // namespace

DecodedText DecodeTextFile(std::string_view fileName, ByteView bytes) {
    DecodedText decoded;
    if (HasExtension(fileName, ".ini")) {
        bool mark = bytes.Size() >= 2 && bytes.U8(0) == 0xFF && bytes.U8(1) == 0xFE;
        if (std::optional<std::u16string> text = StrictUtf16(mark ? bytes.From(2) : bytes)) {
            decoded.text = std::move(*text);
            decoded.encoding = TextEncoding::Utf16Le;
            decoded.byteOrderMark = mark;
        } else {
            decoded = DecodeEightBit(bytes);
            decoded.note = bytes.Size() % 2
                               ? "This file is not UTF-16 text (its length is odd); it is shown "
                                 "and saved as 8-bit text."
                               : "This file is not UTF-16 text (it holds an unpaired surrogate); "
                                 "it is shown and saved as 8-bit text.";
        }
    } else {
        decoded = DecodeEightBit(bytes);
    }
    TakeLineBreaks(decoded);
    return decoded;
}

std::optional<std::vector<std::uint8_t>> EncodeTextFile(const DecodedText& read,
                                                        std::u16string_view text) {
    std::u16string full;
    for (char16_t c : text) {
        if (c == u'\n' && read.crlf)
            full.push_back(u'\r');
        full.push_back(c);
    }
    std::vector<std::uint8_t> bytes;
    switch (read.encoding) {
    case TextEncoding::Utf16Le:
        if (read.byteOrderMark)
            bytes = {0xFF, 0xFE};
        for (char16_t c : full) {
            bytes.push_back(std::uint8_t(c));
            bytes.push_back(std::uint8_t(c >> 8));
        }
        break;
    case TextEncoding::Utf8: {
        if (read.byteOrderMark)
            bytes = {0xEF, 0xBB, 0xBF};
        std::string utf8 = Utf16ToUtf8(full);
        bytes.insert(bytes.end(), utf8.begin(), utf8.end());
        break;
    }
    case TextEncoding::Latin1:
        for (char16_t c : full) {
            if (c > 0xFF)
                return std::nullopt;
            bytes.push_back(std::uint8_t(c));
        }
        break;
    }
    return bytes;
}

} // namespace vellum
