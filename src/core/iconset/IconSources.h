// The icon an icon location names, as a complete .ico file: an icon group of a PE file, an icon
// group of a 16-bit icon library, or an .ico file itself.
//
// An icon location's index picks the group: 0 or more counts the icon groups in the order of
// the resource directory (named groups first, then by ID), a negative index names the group
// whose ID is its absolute value.
//
// PE resource directory (offsets relative to the start of the resource data):
//   IMAGE_RESOURCE_DIRECTORY        16 bytes; u16 named entries at +12, u16 ID entries at +14,
//                                   then the entries
//   IMAGE_RESOURCE_DIRECTORY_ENTRY  u32 name (high bit: offset of a name) or ID,
//                                   u32 offset (high bit: of a subdirectory, else of a data entry)
//   IMAGE_RESOURCE_DATA_ENTRY       u32 RVA of the data, u32 size, u32 code page, u32 0
// Three levels: type, name or ID, language.
#pragma once

#include "common/ByteView.h"
#include "common/Prompter.h"
#include "common/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellum {

// The icon group at `index` of a PE image as an .ico file; nothing when the image has no such
// group or its resource directory cannot be read.
std::optional<std::vector<std::uint8_t>> PeIconGroupFile(ByteView image, int index);

// The icon at `index` of the file at `hostPath` (PE, 16-bit icon library, or a file whose name
// ends in "ico"). Failures are added to the error trail.
HRESULT ReadIconSource(const std::string& hostPath, int index, Prompter& prompter,
                       std::vector<std::uint8_t>& icon);

} // namespace vellum
