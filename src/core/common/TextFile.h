// Text files of a project (.ini, .xml, .htm, manifests, ...) as a text editor shows them, and
// back to bytes in the encoding they were read in.
//
// An .ini file is UTF-16 little-endian (Windows' profile functions write it so), with or without
// the byte-order mark FF FE; one that is not valid UTF-16 (an odd length, an unpaired surrogate)
// is read as 8-bit text instead. 8-bit text is UTF-8 when it is valid UTF-8 (an EF BB BF mark is
// kept), else every byte is one character (Latin-1), so that any bytes come back unchanged.
// When every line break is CR LF the text holds plain LF breaks and CR LF is written again.
#pragma once

#include "common/ByteView.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

enum class TextEncoding { Utf16Le, Utf8, Latin1 };

struct DecodedText {
    std::u16string text;
    TextEncoding encoding = TextEncoding::Utf8;
    bool byteOrderMark = false;
    bool crlf = false;
    // Why the file is not shown the way its name asks for (an .ini that is not UTF-16) or as
    // UTF-8 (Latin-1); empty when it is.
    std::string note;
};

// How the file named `fileName` (only its extension counts) with these bytes is shown.
DecodedText DecodeTextFile(std::string_view fileName, ByteView bytes);

// The bytes of `text` written the way `read` was read. Nothing when a character has no byte in
// that encoding (above U+00FF in a Latin-1 file).
std::optional<std::vector<std::uint8_t>> EncodeTextFile(const DecodedText& read,
                                                        std::u16string_view text);

} // namespace vellum
