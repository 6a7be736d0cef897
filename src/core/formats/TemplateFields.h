// The fields resource templates (dialogs, menus, version blocks) are made of: little-endian words
// and double words, NUL-terminated UTF-16 strings, names that may be ordinals, and zero padding
// to a 4-byte boundary counted from the start of the resource.
//
//   sz_Or_Ord   0x0000: nothing   0xFFFF then a u16: an ordinal (a class atom, a resource ID)
//               anything else: the first code unit of a NUL-terminated UTF-16 string
#pragma once

#include "common/ByteView.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

constexpr std::uint16_t kOrdinalMark = 0xFFFF;

constexpr std::uint64_t AlignTo4(std::uint64_t offset) {
    return (offset + 3) & ~std::uint64_t(3);
}

// A name that is stored either as an ordinal or as a string; empty when it is neither.
struct NameOrOrdinal {
    std::optional<std::uint16_t> ordinal;
    std::u16string name;

    static NameOrOrdinal Ordinal(std::uint16_t value) { return {value, {}}; }
    static NameOrOrdinal Name(std::u16string_view text) {
        return {std::nullopt, std::u16string(text)};
    }
    bool IsOrdinal() const { return ordinal.has_value(); }
    bool Empty() const { return !ordinal && name.empty(); }
    bool operator==(const NameOrOrdinal&) const = default;
};

// A cursor over untrusted template bytes. The first read that would leave the view marks the
// cursor failed; later reads then give zeros and empty strings, so a parser reads a whole
// structure and checks Ok() once.
class TemplateReader {
public:
    explicit TemplateReader(ByteView bytes, std::uint64_t offset = 0)
        : bytes_(bytes), offset_(offset) {}

    bool Ok() const { return ok_; }
    std::uint64_t Offset() const { return offset_; }
    ByteView Bytes() const { return bytes_; }
    // Marks the cursor failed: the bytes are there but make no sense.
    void Fail() { ok_ = false; }

    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    std::int16_t I16() { return std::int16_t(U16()); }
    // `count` raw bytes.
    std::vector<std::uint8_t> Take(std::uint64_t count);
    // Code units up to the NUL, which is consumed; a string that runs off the end fails.
    std::u16string Utf16z();
    NameOrOrdinal NameOrOrd();
    // Skips to the next 4-byte boundary; the padding may be cut off by the end of the bytes.
    void AlignTo4();
    void Skip(std::uint64_t count);
    bool AtEnd() const { return offset_ >= bytes_.Size(); }

private:
    bool Need(std::uint64_t count);

    ByteView bytes_;
    std::uint64_t offset_ = 0;
    bool ok_ = true;
};

// Appends template fields; alignment counts from the first byte of `out`.
class TemplateWriter {
public:
    void U8(std::uint32_t value) { out_.push_back(std::uint8_t(value)); }
    void U16(std::uint32_t value);
    void U32(std::uint32_t value);
    void Bytes(const std::vector<std::uint8_t>& bytes) {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }
    void Utf16z(std::u16string_view text);
    void NameOrOrd(const NameOrOrdinal& name);
    void AlignTo4();
    // Overwrites a word written earlier.
    void Patch16(std::size_t at, std::uint16_t value);

    std::size_t Size() const { return out_.size(); }
    std::vector<std::uint8_t> Take() { return std::move(out_); }

private:
    std::vector<std::uint8_t> out_;
};

} // namespace vellum
