// The layout of 16-bit NE executables, as far as icon libraries use it, shared by the reader
// (decompiler/NeDumper.cpp) and the writer (compiler/NeWriter.cpp) of icon libraries.
#pragma once

#include "common/ByteView.h"
#include "common/Strings.h"

#include <cstdint>
#include <vector>

namespace vellum::ne {

// The NE header and the parts of the DOS header that locate it:
//
//   IMAGE_DOS_HEADER  e_lfarlc (u16) at 0x18, e_lfanew (u16 read here) at 0x3C
//   IMAGE_OS2_HEADER  64 bytes; table offsets are relative to it, except ne_nrestab
//     0x00 ne_magic "NE"      0x04 ne_enttab u16     0x06 ne_cbenttab u16
//     0x22 ne_segtab u16      0x24 ne_rsrctab u16    0x26 ne_restab u16
//     0x28 ne_modtab u16      0x2A ne_imptab u16     0x2C ne_nrestab u32 (from the file start)
constexpr std::uint64_t kNeHeaderSize = 64;
constexpr std::uint64_t kEntryTableField = 0x04;
constexpr std::uint64_t kResourceTableField = 0x24;
constexpr std::uint64_t kResidentNamesField = 0x26;
constexpr std::uint64_t kModuleRefsField = 0x28;
constexpr std::uint64_t kImportedNamesField = 0x2A;
constexpr std::uint64_t kNonresidentNamesField = 0x2C;

// NE resource table, at the NE header + ne_rsrctab:
//
//   rscAlignShift     u16    offsets and lengths count units of 2^shift bytes
//   TYPEINFO          rtTypeID u16 (0x8000 | n for integer types; 0 ends the list),
//                     rtResourceCount u16, rtReserved u32
//     NAMEINFO[count] rnOffset u16, rnLength u16 (both in units), rnFlags u16,
//                     rnID u16 (0x8000 | n for integer IDs), rnHandle u16, rnUsage u16
//   rscEndTypes       u16 0
//   rscResourceNames  length-prefixed names, then a 0 byte
constexpr std::uint64_t kTypeInfoSize = 8;
constexpr std::uint64_t kNameInfoSize = 12;
constexpr std::uint16_t kIntegerId = 0x8000;
constexpr std::uint16_t kIdMask = 0x7FFF;

// Little-endian writes into a file being built.
inline void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    out[at] = std::uint8_t(value);
    out[at + 1] = std::uint8_t(value >> 8);
}
inline void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    Put16(out, at, value);
    Put16(out, at + 2, value >> 16);
}
inline void Append16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

// The NE header lies at e_lfanew when the relocation table starts at 0x40 or later (a new-style
// executable), else at 0x80.
inline std::uint64_t NeHeaderOffset(ByteView file) {
    return file.U16(0x18) >= 0x40 ? file.U16(0x3C) : 0x80;
}

inline bool HasNeSignature(ByteView file, std::uint64_t header) {
    return file.Has(header, kNeHeaderSize) && ToUpperAscii(char(file.U8(header))) == 'N' &&
           ToUpperAscii(char(file.U8(header + 1))) == 'E';
}

// `value` rounded up to a multiple of 2^shift.
inline std::uint64_t AlignUp(std::uint64_t value, unsigned shift) {
    std::uint64_t unit = std::uint64_t(1) << shift;
    return (value + unit - 1) & ~(unit - 1);
}

} // namespace vellum::ne
