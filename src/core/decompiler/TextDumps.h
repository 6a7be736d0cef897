// Diagnostic text about an image on standard output: the COFF symbol table and a hex dump of
// every section.
//
//   IMAGE_SYMBOL  Name[8] (or 0 and a u32 string-table offset), u32 Value, i16 SectionNumber,
//                 u16 Type, u8 StorageClass, u8 NumberOfAuxSymbols   (18 bytes)
//   The string table follows the last symbol record.
#pragma once

#include "common/ByteView.h"
#include "formats/PeImage.h"

#include <cstdio>
#include <string>

namespace vellum {

void DumpSymbolTable(const PeImage& image, std::FILE* out);
void DumpSectionHex(const PeImage& image, std::FILE* out);

// The lines of a hex dump: offset (counted from `firstOffset`), 16 columns of bytes and their
// printable characters.
std::string HexDump(ByteView bytes, std::uint64_t firstOffset = 0);

} // namespace vellum
