// The dumper's view of a PE file mapped into memory: DOS header, NT headers, section table.
//
//   IMAGE_DOS_HEADER   64 bytes; e_lfarlc (u16) at 0x18, e_lfanew (u32) at 0x3C
//   IMAGE_NT_HEADERS   "PE\0\0", IMAGE_FILE_HEADER (20 bytes), optional header
//   IMAGE_FILE_HEADER  Machine, NumberOfSections, TimeDateStamp, PointerToSymbolTable,
//                      NumberOfSymbols, SizeOfOptionalHeader (u16 at +16), Characteristics
//   optional header    Magic 0x10B (PE32) or 0x20B (PE32+); SizeOfHeaders at +60 in both
//   section header     40 bytes: Name[8], VirtualSize, VirtualAddress, SizeOfRawData,
//                      PointerToRawData, relocations, line numbers, counts, Characteristics
#pragma once

#include "common/ByteView.h"
#include "common/Result.h"
#include "formats/NtHeaders.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellum {

enum class ExecutableKind { Unknown = 0, Ne = 1, Pe = 2 };

// Tells NE from PE by the "MZ" stub and the two bytes at the 16-bit new-header offset.
ExecutableKind ExecutableKindOf(ByteView file);
ExecutableKind ExecutableKindOfFile(const std::string& path);

class PeImage {
public:
    // Validates the NT headers; E_FAIL when they are missing or not "PE\0\0".
    HRESULT Parse(ByteView file);

    ByteView File() const { return file_; }
    std::uint32_t NtOffset() const { return ntOffset_; }
    std::uint32_t FileHeaderOffset() const { return ntOffset_ + 4; }
    std::uint32_t OptionalHeaderOffset() const { return ntOffset_ + pe::kOptionalHeader; }
    bool IsPe32Plus() const { return magic_ == kMagicPe32Plus; }
    std::uint16_t SizeOfOptionalHeader() const {
        return file_.U16(ntOffset_ + pe::kSizeOfOptionalHeader);
    }
    std::uint32_t SizeOfHeaders() const {
        return file_.U32(OptionalHeaderOffset() + pe::kSizeOfHeaders);
    }
    std::uint32_t PointerToSymbolTable() const {
        return file_.U32(ntOffset_ + pe::kPointerToSymbolTable);
    }
    std::uint32_t NumberOfSymbols() const { return file_.U32(ntOffset_ + pe::kNumberOfSymbols); }
    // The section table: 248 bytes after the NT headers for PE32 images (the standard optional
    // header), 24 + SizeOfOptionalHeader for PE32+.
    std::uint64_t SectionTableOffset() const;
    const std::vector<SectionHeader>& Sections() const { return sections_; }
    const SectionHeader* FindSection(const char* name) const;

    // Data directory `index` as (address, size); nothing when the header holds no such entry.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> DataDirectory(unsigned index) const;
    // The file offset where the section data ends (the largest raw end, bounded by the file).
    std::uint64_t EndOfSectionData() const;

private:
    ByteView file_;
    std::uint32_t ntOffset_ = 0;
    std::uint16_t magic_ = 0;
    std::vector<SectionHeader> sections_;
};

// "text.BIN" for ".text": the section name with one leading full stop dropped, made safe as a file
// name, plus ".BIN".
std::string SectionFileName(const SectionHeader& section);

// The project file of each section, in table order; the decompiler writes and the compiler reads
// them by this rule. A section whose SectionFileName another file already has (an earlier
// section's, or DOSHEADER.BIN, NTHEADER.BIN, OVERLAY.BIN; compared without case, as Windows file
// systems do) gets its 1-based number as well, "text_2.BIN", so that no file serves two sections.
std::vector<std::string> SectionFileNames(const std::vector<SectionHeader>& sections);

} // namespace vellum
