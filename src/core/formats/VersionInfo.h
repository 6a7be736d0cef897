// The version resource (type 16): a VS_VERSIONINFO block, kept as the tree of nodes it is made
// of so that every node survives an edit, not only those a form shows.
//
//   node        0 u16 wLength (the node with its children)   2 u16 wValueLength (characters
//               with the NUL for a text value, bytes for a binary one)   4 u16 wType (1 text,
//               0 binary)   6 the key, NUL-terminated UTF-16   padding to 4   the value
//               padding to 4   the children, each starting on a 4-byte boundary
//
//   VS_VERSIONINFO   key "VS_VERSION_INFO", value VS_FIXEDFILEINFO (52 bytes), children
//                    StringFileInfo and VarFileInfo in either order
//   StringFileInfo   one child per string table, keyed by eight hex digits: language then
//                    code page ("040904B0"); each table holds String nodes (key = name,
//                    text value)
//   VarFileInfo      Var nodes; "Translation" holds pairs of u16 language, u16 code page
//
//   VS_FIXEDFILEINFO  0 signature 0xFEEF04BD   4 structure version   8 file version, most
//                     significant half   12 least significant half   16, 20 product version
//                     24 flags mask   28 flags   32 OS   36 type   40 subtype   44, 48 date
//
// Offsets count from the start of the block, which is where every 4-byte boundary is measured.
#pragma once

#include "common/ByteView.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

constexpr std::uint16_t kVersionValueBinary = 0;
constexpr std::uint16_t kVersionValueText = 1;
constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t kFixedFileInfoSize = 52;
// Real blocks nest four deep (root, StringFileInfo, a table, its strings); deeper than this is
// refused, which bounds the recursion over hostile bytes.
constexpr int kMaxVersionDepth = 8;

// One node of the block. Fields hold what the bytes say, so that writing an unedited tree gives
// back the bytes it was read from.
struct VersionNode {
    std::u16string key;
    std::uint16_t type = kVersionValueText;
    // wValueLength as stored. Most compilers count a text value in characters, some in bytes;
    // SetText and SetBinary set it the usual way.
    std::uint16_t valueLength = 0;
    std::vector<std::uint8_t> value;
    std::vector<VersionNode> children;
    // Bytes that wLength covers behind the value and the children: usually nothing, or the
    // zero padding to the next 4-byte boundary that some compilers count in.
    std::vector<std::uint8_t> trailing;

    // A text value up to its first NUL.
    std::u16string Text() const;
    // Text with its NUL, wValueLength in characters; an empty text stores no value at all.
    void SetText(std::u16string_view text);
    void SetBinary(std::vector<std::uint8_t> bytes);

    const VersionNode* Child(std::u16string_view childKey) const;
    VersionNode* Child(std::u16string_view childKey);

    bool operator==(const VersionNode&) const = default;
};

// VS_FIXEDFILEINFO, field by field.
struct FixedFileInfo {
    std::uint32_t signature = kFixedFileInfoSignature;
    std::uint32_t structVersion = 0x00010000;
    std::uint32_t fileVersionMs = 0;
    std::uint32_t fileVersionLs = 0;
    std::uint32_t productVersionMs = 0;
    std::uint32_t productVersionLs = 0;
    std::uint32_t flagsMask = 0;
    std::uint32_t flags = 0;
    std::uint32_t os = 0;
    std::uint32_t type = 0;
    std::uint32_t subtype = 0;
    std::uint32_t dateMs = 0;
    std::uint32_t dateLs = 0;

    // The four parts of a version, most significant first ("1,2,3,4").
    static std::array<std::uint16_t, 4> Parts(std::uint32_t ms, std::uint32_t ls) {
        return {std::uint16_t(ms >> 16), std::uint16_t(ms), std::uint16_t(ls >> 16),
                std::uint16_t(ls)};
    }
    bool operator==(const FixedFileInfo&) const = default;
};

// A language and code page pair of a Translation value.
struct Translation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    bool operator==(const Translation&) const = default;
};

class VersionInfo {
public:
    VersionNode root;
    // Bytes of the resource behind the root's wLength (padding a linker added).
    std::vector<std::uint8_t> after;

    // Nothing when the bytes are not a readable block: a length that runs past its parent or
    // the resource, a key without its NUL, a binary value longer than its node, a root not keyed
    // "VS_VERSION_INFO", a wType other than 0 or 1, or nesting deeper than kMaxVersionDepth.
    static std::optional<VersionInfo> Parse(ByteView block);
    // The block; nothing when a node has outgrown the 16-bit lengths.
    std::optional<std::vector<std::uint8_t>> Serialize() const;

    // The root's value as VS_FIXEDFILEINFO; nothing when it is shorter than 52 bytes.
    std::optional<FixedFileInfo> Fixed() const;
    // Replaces the root's value with these 52 bytes (binary, wValueLength 52).
    void SetFixed(const FixedFileInfo& fixed);

    // The string tables of every StringFileInfo child, in order.
    std::vector<const VersionNode*> StringTables() const;
    // The Var nodes of every VarFileInfo child, in order.
    std::vector<const VersionNode*> Vars() const;

    bool operator==(const VersionInfo&) const = default;
};

// The pairs of a Translation value (a trailing odd half is ignored).
std::vector<Translation> TranslationsOf(const VersionNode& var);
// A Translation value: per pair the language word, then the code page word.
std::vector<std::uint8_t> TranslationBytes(const std::vector<Translation>& pairs);
// The key of a string table for a language and code page: eight upper-case hex digits.
std::u16string StringTableKey(Translation translation);

} // namespace vellum
