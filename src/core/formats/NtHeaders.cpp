#include "formats/NtHeaders.h"

#include <algorithm>
#include <cstring>

namespace vellum {

std::string SectionHeader::Name() const {
    return std::string(name, strnlen(name, sizeof name));
}

bool SectionHeader::NameIs(const char* wanted) const {
    char padded[8] = {};
    std::memcpy(padded, wanted, std::min<std::size_t>(std::strlen(wanted), 8));
    return std::memcmp(name, padded, 8) == 0;
}

SectionHeader ReadSectionHeader(ByteView header) {
    SectionHeader s;
    for (std::size_t i = 0; i < sizeof s.name; ++i)
        s.name[i] = char(header.U8(pe::kSectionName + i));
    s.virtualSize = header.U32(pe::kVirtualSize);
    s.virtualAddress = header.U32(pe::kVirtualAddress);
    s.sizeOfRawData = header.U32(pe::kSizeOfRawData);
    s.pointerToRawData = header.U32(pe::kPointerToRawData);
    s.characteristics = header.U32(pe::kSectionCharacteristics);
    return s;
}

std::size_t SectionTableOffset(bool pe32Plus, std::uint16_t sizeOfOptionalHeader) {
    return pe32Plus ? pe::kOptionalHeader + sizeOfOptionalHeader : kNtHeaders32Size;
}

void NtHeaders::Put16(std::size_t at, std::uint32_t v) {
    if (at + 2 > bytes.size())
        return;
    bytes[at] = std::uint8_t(v);
    bytes[at + 1] = std::uint8_t(v >> 8);
}

void NtHeaders::Put32(std::size_t at, std::uint32_t v) {
    if (at + 4 > bytes.size())
        return;
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = std::uint8_t(v >> (8 * i));
}

std::uint32_t NtHeaders::DirectoryCount() const {
    return Optional(IsPe32Plus() ? pe::kNumberOfRvaAndSizes64 : pe::kNumberOfRvaAndSizes32);
}

std::size_t NtHeaders::DirectoryField(unsigned index) const {
    std::size_t count = IsPe32Plus() ? pe::kNumberOfRvaAndSizes64 : pe::kNumberOfRvaAndSizes32;
    return pe::kOptionalHeader + count + 4 + pe::kDataDirectorySize * index;
}

std::uint32_t NtHeaders::DirectoryAddress(unsigned index) const {
    return index < DirectoryCount() ? View().U32(DirectoryField(index)) : 0;
}

void NtHeaders::SetDirectory(unsigned index, std::uint32_t address, std::uint32_t size) {
    SetDirectoryAddress(index, address);
    SetDirectorySize(index, size);
}

void NtHeaders::SetDirectoryAddress(unsigned index, std::uint32_t address) {
    if (index < DirectoryCount())
        Put32(DirectoryField(index), address);
}

void NtHeaders::SetDirectorySize(unsigned index, std::uint32_t size) {
    if (index < DirectoryCount())
        Put32(DirectoryField(index) + 4, size);
}

std::size_t NtHeaders::SectionTable() const {
    return SectionTableOffset(IsPe32Plus(), View().U16(pe::kSizeOfOptionalHeader));
}

unsigned NtHeaders::AvailableSections() const {
    std::size_t room = bytes.size() > SectionTable() ? bytes.size() - SectionTable() : 0;
    return unsigned(std::min<std::size_t>(SectionCount(), room / kSectionHeaderSize));
}

SectionHeader NtHeaders::Section(unsigned i) const {
    if (SectionAt(i) + kSectionHeaderSize > bytes.size())
        return {};
    return ReadSectionHeader(View().Sub(SectionAt(i), kSectionHeaderSize));
}

void NtHeaders::SetSectionName(unsigned i, const char* name) {
    std::size_t at = SectionAt(i) + pe::kSectionName;
    if (at + 8 > bytes.size())
        return;
    char padded[8] = {};
    std::memcpy(padded, name, std::min<std::size_t>(std::strlen(name), 8));
    std::copy(padded, padded + 8, bytes.begin() + std::ptrdiff_t(at));
}

} // namespace vellum
