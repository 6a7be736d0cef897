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
    std::uint16_t newHeader = file.U16(dos::kNewHeader);
    ExecutableKind kind = ExecutableKind::Unknown;
    if (file.U16(dos::kRelocationTable) <= 0x40 && TwoLettersNoCase(file, newHeader, 'N', 'E'))
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

HRESULT PeImage::Parse(ByteView file) {
    file_ = file;
    sections_.clear();
    ntOffset_ = file.U32(dos::kNewHeader);
    if (!file.Has(ntOffset_, kNtHeaders32Size) ||
        file.U32(ntOffset_ + pe::kSignature) != pe::kPeSignature)
        return E_FAIL;
    magic_ = file.U16(OptionalHeaderOffset() + pe::kMagic);
    std::uint64_t table = SectionTableOffset();
    std::uint16_t count = file.U16(ntOffset_ + pe::kNumberOfSections);
    for (std::uint16_t i = 0; i < count; ++i) {
        std::uint64_t at = table + std::uint64_t(i) * kSectionHeaderSize;
        if (!file.Has(at, kSectionHeaderSize))
            break;
        sections_.push_back(ReadSectionHeader(file.Sub(at, kSectionHeaderSize)));
    }
    return S_OK;
}

std::uint64_t PeImage::SectionTableOffset() const {
    return std::uint64_t(ntOffset_) +
           vellum::SectionTableOffset(IsPe32Plus(), SizeOfOptionalHeader());
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
    std::uint32_t countAt = IsPe32Plus() ? pe::kNumberOfRvaAndSizes64 : pe::kNumberOfRvaAndSizes32;
    std::uint32_t count = file_.U32(opt + countAt);
    std::uint64_t at = std::uint64_t(opt) + countAt + 4 + pe::kDataDirectorySize * index;
    if (index >= count ||
        at + pe::kDataDirectorySize > std::uint64_t(opt) + SizeOfOptionalHeader() ||
        !file_.Has(at, pe::kDataDirectorySize))
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

std::vector<std::string> SectionFileNames(const std::vector<SectionHeader>& sections) {
    std::vector<std::string> taken = {"dosheader.bin", "ntheader.bin", "overlay.bin"};
    auto isTaken = [&taken](const std::string& name) {
        return std::any_of(taken.begin(), taken.end(),
                           [&name](const std::string& t) { return EqualsNoCase(t, name); });
    };
    std::vector<std::string> names;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        std::string name = SectionFileName(sections[i]);
        std::string stem = name.substr(0, name.size() - 4);
        while (isTaken(name)) {
            stem += "_" + std::to_string(i + 1);
            name = stem + ".BIN";
        }
        taken.push_back(name);
        names.push_back(std::move(name));
    }
    return names;
}

} // namespace vellum
