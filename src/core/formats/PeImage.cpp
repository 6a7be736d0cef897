#include "formats/PeImage.h"

#include "common/MappedFile.h"
#include "common/Path.h"
#include "common/Strings.h"

#include <algorithm>
#include <cstring>

namespace vellum {

namespace {

bool TwoLettersNoCase(ByteView file, std::uint64_t offset, char a, char b) {
    return file.Has(offset, 2) && ToUpperAscii(char(file.U8(offset))) == a &&
           ToUpperAscii(char(file.U8(offset + 1))) == b;
}

} // namespace

ExecutableKind ExecutableKindOf(ByteView file) {
    if (!TwoLettersNoCase(file, 0, 'M', 'Z'))
        return ExecutableKind::Unknown;
    std::uint16_t newHeader = file.U16(0x3C);
    ExecutableKind kind = ExecutableKind::Unknown;
    if (file.U16(0x18) <= 0x40 && TwoLettersNoCase(file, newHeader, 'N', 'E'))
        kind = ExecutableKind::Ne;
    if (TwoLettersNoCase(file, newHeader, 'P', 'E'))
        kind = ExecutableKind::Pe;
    return kind;
}

ExecutableKind ExecutableKindOfFile(const std::string& path) {
    MappedFile file;
    if (FAILED(file.Open(path)))
        return ExecutableKind::Unknown;
    return ExecutableKindOf(ByteView(file.Bytes()));
}

std::string SectionHeader::Name() const {
    return std::string(name, strnlen(name, sizeof name));
}

bool SectionHeader::NameIs(const char* wanted) const {
    char padded[8] = {};
    std::memcpy(padded, wanted, std::min<std::size_t>(std::strlen(wanted), 8));
    return std::memcmp(name, padded, 8) == 0;
}

HRESULT PeImage::Parse(ByteView file) {
    file_ = file;
    sections_.clear();
    ntOffset_ = file.U32(0x3C);
    if (!file.Has(ntOffset_, kNtHeaders32Size) || file.U32(ntOffset_) != 0x00004550)
        return E_FAIL;
    magic_ = file.U16(OptionalHeaderOffset());
    std::uint64_t table = SectionTableOffset();
    std::uint16_t count = file.U16(FileHeaderOffset() + 2);
    for (std::uint16_t i = 0; i < count; ++i) {
        std::uint64_t at = table + std::uint64_t(i) * kSectionHeaderSize;
        if (!file.Has(at, kSectionHeaderSize))
            break;
        SectionHeader s;
        std::memcpy(s.name, file.Data() + at, 8);
        s.virtualSize = file.U32(at + 8);
        s.virtualAddress = file.U32(at + 12);
        s.sizeOfRawData = file.U32(at + 16);
        s.pointerToRawData = file.U32(at + 20);
        s.characteristics = file.U32(at + 36);
        sections_.push_back(s);
    }
    return S_OK;
}

std::uint64_t PeImage::SectionTableOffset() const {
    if (IsPe32Plus())
        return std::uint64_t(ntOffset_) + 24 + SizeOfOptionalHeader();
    return std::uint64_t(ntOffset_) + kNtHeaders32Size;
}

const SectionHeader* PeImage::FindSection(const char* name) const {
    for (const SectionHeader& s : sections_)
        if (s.NameIs(name))
            return &s;
    return nullptr;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>>
PeImage::DataDirectory(unsigned index) const {
    std::uint32_t opt = OptionalHeaderOffset();
    std::uint32_t countAt = IsPe32Plus() ? 108 : 92;
    std::uint32_t count = file_.U32(opt + countAt);
    std::uint64_t at = std::uint64_t(opt) + countAt + 4 + 8ull * index;
    if (index >= count || at + 8 > std::uint64_t(opt) + SizeOfOptionalHeader() || !file_.Has(at, 8))
        return std::nullopt;
    return std::make_pair(file_.U32(at), file_.U32(at + 4));
}

std::uint64_t PeImage::EndOfSectionData() const {
    std::uint64_t end = std::min<std::uint64_t>(SizeOfHeaders(), file_.Size());
    for (const SectionHeader& s : sections_) {
        if (s.pointerToRawData == 0 || s.sizeOfRawData == 0)
            continue;
        std::uint64_t last = std::uint64_t(s.pointerToRawData) + s.sizeOfRawData;
        end = std::max(end, std::min<std::uint64_t>(last, file_.Size()));
    }
    return end;
}

std::string SectionFileName(const SectionHeader& section) {
    std::string name = section.Name();
    if (!name.empty() && name.front() == '.')
        name.erase(0, 1);
    return MakeSafeFileName(name) + ".BIN";
}

} // namespace vellum
