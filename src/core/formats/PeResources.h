// The resources of a PE image, read straight from its resource directory: every leaf of the
// type / name / language tree whose type is one of the numeric types asked for.
#pragma once

#include "common/ByteView.h"
#include "formats/TemplateFields.h"

#include <cstdint>
#include <vector>

namespace vellum {

struct PeResource {
    std::uint16_t type = 0;
    NameOrOrdinal name;
    std::uint16_t language = 0;
    std::vector<std::uint8_t> bytes;
};

// In directory order. Empty when the file is no PE or has no resource section; entries whose
// data entry or bytes lie outside the section are skipped. The walk ends once the entries
// visited (8 bytes each) and the bytes copied reach eight times the file's size plus 4 KB,
// which only trees whose entries share directories or data reach.
std::vector<PeResource> ReadPeResources(ByteView file, const std::vector<std::uint16_t>& types);

} // namespace vellum
