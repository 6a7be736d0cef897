// Shell links built byte by byte from the published [MS-SHLLINK] layout, independently of the
// reader under test.
#pragma once

#include "support/ByteBuilder.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellum::test::link {

using Bytes = test::Bytes;

// The parts of a link; Build lays them out as [MS-SHLLINK] describes and sets the flags that
// announce them.
struct LinkFields {
    std::uint32_t extraFlags = 0x80; // IsUnicode
    std::optional<Bytes> idItems;    // the items, without IDListSize and the terminal item
    std::optional<Bytes> linkInfo;
    // NAME_STRING, RELATIVE_PATH, WORKING_DIR, COMMAND_LINE_ARGUMENTS, ICON_LOCATION.
    std::array<std::optional<std::u16string>, 5> strings;
    std::vector<Bytes> blocks;
    std::int32_t iconIndex = 0;
    bool terminal = true;
};
Bytes Build(const LinkFields& fields);

// LinkInfo with a VolumeID and a local base path; header 0x1C (ANSI only) or 0x24 (with the
// Unicode forms of the base path, which gets an extra "\u00e9", and of the suffix).
Bytes LocalLinkInfo(const std::string& base, const std::string& suffix, bool unicode);
// An IconEnvironmentDataBlock or EnvironmentVariableDataBlock holding `text`.
Bytes EnvironmentBlock(std::uint32_t signature, const std::string& text);
// A 16-byte block of another kind, which readers keep as it is.
Bytes OpaqueBlock();
// IDList items: the root folder (My Computer), the drive "C:\", then file-system items.
Bytes PathItems(const std::vector<std::string>& names);

} // namespace vellum::test::link
