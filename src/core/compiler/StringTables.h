// Compiles STRINGS.XML back into the string-table resources (type 6) of a resource section.
//
// STRINGS.XML holds <ROOT> with one <TABLE LANG="language id"> per language and, in each, one
// <E ID="string id" S="text"/> per non-empty string, the text in the language's ANSI code page
// (UTF-8 for languages without one). Files from older versions kept the E elements directly
// under ROOT, without tables.
//
// String n (0-15) of string block b is the string with ID (b - 1) * 16 + n; each block is one
// type-6 resource whose ID is the block number, holding 16 strings as a u16 length and that
// many UTF-16 code units each.
#pragma once

#include "common/Prompter.h"
#include "common/Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vellum {

// Brings STRINGS.XML into the form the builder reads: an old-format file is converted (after a
// warning) into one TABLE for language 1033, tables are ordered by LANG, entries by ID, and an
// entry whose ID does not exceed the one before it gets that ID + 1. The file is rewritten in
// place through a temporary file, and only when its bytes change. A missing or unreadable file
// is left alone (S_OK); a failure code means the file could not be rewritten.
HRESULT NormalizeStrings(const std::string& projectFolder, Prompter& prompter);

// The complete type-6 subtree of a resource section built from STRINGS.XML: the block directory,
// each block's language directory and data entries, then the block data. `subtreeOffset` is
// where the subtree starts inside the section (directory offsets are section-relative) and
// `sectionRva` the section's RVA. A file that cannot be loaded gives a directory without
// entries. Duplicate IDs are dropped, after the first, with one message per call.
std::vector<std::uint8_t> BuildStringTables(const std::string& projectFolder,
                                            std::uint32_t subtreeOffset, std::uint32_t sectionRva,
                                            Prompter& prompter);

} // namespace vellum
