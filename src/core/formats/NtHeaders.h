// The DOS and NT headers of a PE file as named fields: the layout that the reader (PeImage) and the
// compiler's patching share, and an editable copy of the headers with the section table.
//
//   IMAGE_NT_HEADERS   u32 "PE\0\0", IMAGE_FILE_HEADER (20 bytes), optional header
//   IMAGE_FILE_HEADER  u16 Machine, u16 NumberOfSections, u32 TimeDateStamp,
//                      u32 PointerToSymbolTable, u32 NumberOfSymbols, u16 SizeOfOptionalHeader,
//                      u16 Characteristics
//   optional header    u16 Magic (0x10B PE32, 0x20B PE32+), ..., u32 SizeOfInitializedData (+8),
//                      u32 SectionAlignment (+32), u32 FileAlignment (+36), u32 SizeOfImage (+56),
//                      u32 SizeOfHeaders (+60), ..., u32 NumberOfRvaAndSizes (+92; +108 in PE32+),
//                      then that many IMAGE_DATA_DIRECTORY (u32 VirtualAddress, u32 Size)
//   section header     char Name[8], u32 VirtualSize, u32 VirtualAddress, u32 SizeOfRawData,
//                      u32 PointerToRawData, u32 relocations, u32 line numbers,
//                      u16 relocation count, u16 line-number count, u32 Characteristics
#pragma once

#include "common/ByteView.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vellum {

// IMAGE_DOS_HEADER (64 bytes): u16 e_magic "MZ", ..., u16 e_lfarlc (relocation table) at 0x18,
// ..., u32 e_lfanew (where the NT headers start) at 0x3C.
namespace dos {
constexpr std::size_t kRelocationTable = 0x18;
constexpr std::size_t kNewHeader = 0x3C;
} // namespace dos

namespace pe {

// Offsets from the start of the NT headers (the signature).
constexpr std::size_t kSignature = 0;
constexpr std::size_t kNumberOfSections = 4 + 2;
constexpr std::size_t kPointerToSymbolTable = 4 + 8;
constexpr std::size_t kNumberOfSymbols = 4 + 12;
constexpr std::size_t kSizeOfOptionalHeader = 4 + 16;
constexpr std::size_t kOptionalHeader = 24;

// Offsets inside the optional header.
constexpr std::size_t kMagic = 0;
constexpr std::size_t kSizeOfInitializedData = 8;
constexpr std::size_t kSectionAlignment = 32;
constexpr std::size_t kFileAlignment = 36;
constexpr std::size_t kSizeOfImage = 56;
constexpr std::size_t kSizeOfHeaders = 60;
constexpr std::size_t kNumberOfRvaAndSizes32 = 92;
constexpr std::size_t kNumberOfRvaAndSizes64 = 108;
constexpr std::size_t kDataDirectorySize = 8;

// Offsets inside a section header.
constexpr std::size_t kSectionName = 0;
constexpr std::size_t kVirtualSize = 8;
constexpr std::size_t kVirtualAddress = 12;
constexpr std::size_t kSizeOfRawData = 16;
constexpr std::size_t kPointerToRawData = 20;
constexpr std::size_t kSectionCharacteristics = 36;

constexpr std::uint32_t kPeSignature = 0x00004550; // "PE\0\0"

} // namespace pe

constexpr std::size_t kNtHeaders32Size = 248; // signature + file header + 224-byte optional header
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;

// Data directory indexes.
constexpr unsigned kResourceDirectory = 2;
constexpr unsigned kSecurityDirectory = 4;
constexpr unsigned kRelocationDirectory = 5;

struct SectionHeader {
    char name[8] = {};
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t sizeOfRawData = 0;
    std::uint32_t pointerToRawData = 0;
    std::uint32_t characteristics = 0;

    // The name as stored: up to 8 bytes, ending at the first NUL.
    std::string Name() const;
    bool NameIs(const char* name) const; // exact comparison over all 8 bytes
};

// The 40 bytes at `header`; fields beyond the view read as 0.
SectionHeader ReadSectionHeader(ByteView header);

// Where the section table starts, from the start of the NT headers: after the standard 224-byte
// optional header for PE32 images (as the decompiler has always read them), after
// SizeOfOptionalHeader bytes for PE32+.
std::size_t SectionTableOffset(bool pe32Plus, std::uint16_t sizeOfOptionalHeader);

// An editable copy of the NT headers and the section table, as NTHEADER.BIN holds them. Reads of
// fields past the copy give 0 and writes there are dropped.
class NtHeaders {
public:
    std::vector<std::uint8_t> bytes;

    bool IsPe32Plus() const {
        return View().U16(pe::kOptionalHeader + pe::kMagic) == kMagicPe32Plus;
    }
    std::uint16_t SectionCount() const { return View().U16(pe::kNumberOfSections); }
    void SetSectionCount(std::uint16_t count) { Put16(pe::kNumberOfSections, count); }
    std::uint32_t PointerToSymbolTable() const { return View().U32(pe::kPointerToSymbolTable); }
    void SetPointerToSymbolTable(std::uint32_t v) { Put32(pe::kPointerToSymbolTable, v); }

    // An optional-header field by its offset (pe::kSizeOfImage, ...).
    std::uint32_t Optional(std::size_t field) const {
        return View().U32(pe::kOptionalHeader + field);
    }
    void SetOptional(std::size_t field, std::uint32_t v) { Put32(pe::kOptionalHeader + field, v); }

    std::uint32_t DirectoryCount() const;
    std::uint32_t DirectoryAddress(unsigned index) const;
    // Both fields of data directory `index`; nothing changes when the header has no such entry.
    void SetDirectory(unsigned index, std::uint32_t address, std::uint32_t size);
    void SetDirectoryAddress(unsigned index, std::uint32_t address);
    void SetDirectorySize(unsigned index, std::uint32_t size);

    std::size_t SectionTable() const;
    // Where section header `i` starts in the copy.
    std::size_t SectionAt(unsigned i) const { return SectionTable() + kSectionHeaderSize * i; }
    // The section headers that lie wholly inside the copy.
    unsigned AvailableSections() const;
    SectionHeader Section(unsigned i) const;
    void SetSectionField(unsigned i, std::size_t field, std::uint32_t v) {
        Put32(SectionAt(i) + field, v);
    }
    void SetSectionName(unsigned i, const char* name);

private:
    ByteView View() const { return ByteView(bytes.data(), bytes.size()); }
    void Put16(std::size_t at, std::uint32_t v);
    void Put32(std::size_t at, std::uint32_t v);
    std::size_t DirectoryField(unsigned index) const;
};

} // namespace vellum
