// The icon an icon location names, as a complete .ico file: an icon group of a PE file, an icon
// group of a 16-bit icon library, or an .ico file itself.
//
// An icon location's index picks the group: 0 or more counts the icon groups in the order of
// the resource directory (named groups first, then by ID), a negative index names the group
// whose ID is its absolute value.
//
// In a PE file the groups are the entries under type 14 of the resource directory
// (formats/ResourceDirectory.h); a group's data is that of its first language, and its images
// are the type-3 resources with the IDs it lists.
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
