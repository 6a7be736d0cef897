// Reading and writing the fields resource templates share.
#include "formats/TemplateFields.h"

#include "common/ByteWriter.h"

namespace vellum {

bool TemplateReader::Need(std::uint64_t count) {
    if (ok_ && bytes_.Has(offset_, count))
        return true;
    ok_ = false;
    return false;
}

std::uint8_t TemplateReader::U8() {
    if (!Need(1))
        return 0;
    return bytes_.U8(offset_++);
}

std::uint16_t TemplateReader::U16() {
    if (!Need(2))
        return 0;
    std::uint16_t value = bytes_.U16(offset_);
    offset_ += 2;
    return value;
}

std::uint32_t TemplateReader::U32() {
    if (!Need(4))
        return 0;
    std::uint32_t value = bytes_.U32(offset_);
    offset_ += 4;
    return value;
}

std::vector<std::uint8_t> TemplateReader::Take(std::uint64_t count) {
    if (!Need(count))
        return {};
    const std::uint8_t* start = bytes_.Data() + offset_;
    offset_ += count;
    return std::vector<std::uint8_t>(start, start + count);
}

std::u16string TemplateReader::Utf16z() {
    std::u16string text;
    for (;;) {
        std::uint16_t unit = U16();
        if (!ok_)
            return {};
        if (unit == 0)
            return text;
        text.push_back(char16_t(unit));
    }
}

NameOrOrdinal TemplateReader::NameOrOrd() {
    std::uint16_t first = bytes_.U16(offset_);
    if (!Need(2))
        return {};
    if (first == 0) {
        offset_ += 2;
        return {};
    }
    if (first == kOrdinalMark) {
        offset_ += 2;
        return NameOrOrdinal::Ordinal(U16());
    }
    return NameOrOrdinal::Name(Utf16z());
}

void TemplateReader::AlignTo4() {
    offset_ = vellum::AlignTo4(offset_);
}

void TemplateReader::Skip(std::uint64_t count) {
    if (Need(count))
        offset_ += count;
}

void TemplateWriter::U16(std::uint32_t value) {
    AppendU16(out_, value);
}

void TemplateWriter::U32(std::uint32_t value) {
    AppendU32(out_, value);
}

void TemplateWriter::Utf16z(std::u16string_view text) {
    for (char16_t unit : text)
        AppendU16(out_, unit);
    AppendU16(out_, 0);
}

void TemplateWriter::NameOrOrd(const NameOrOrdinal& name) {
    if (name.ordinal) {
        U16(kOrdinalMark);
        U16(*name.ordinal);
    } else {
        Utf16z(name.name);
    }
}

void TemplateWriter::AlignTo4() {
    out_.resize(std::size_t(vellum::AlignTo4(out_.size())), 0);
}

void TemplateWriter::Patch16(std::size_t at, std::uint16_t value) {
    out_.at(at) = std::uint8_t(value);
    out_.at(at + 1) = std::uint8_t(value >> 8);
}

} // namespace vellum
