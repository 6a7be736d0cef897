// NeWriter: builds a 16-bit icon library (NE) from a project's manifest, the resource files it
// names and the blank library shipped as the template. NeDumper takes a library apart into a
// project; this puts one together again, so that inserting into an icon library works like
// inserting into a PE file.
#pragma once

#include "common/Result.h"
#include "common/XmlDocument.h"

#include <cstdint>
#include <string>

namespace vellum {

// The alignment shift a rebuilt library starts from when its last resource ends at `end`:
// s = floor(floor(ln end) / ln 2), plus 1 when `end` is not a multiple of 2^s, less 15. A value
// below 0 has no meaning in the format and becomes 0 (one-byte units).
unsigned NeAlignmentShift(std::uint64_t end);

class NeWriter {
public:
    // Builds "<folder>temp.icl" from the blank library and the manifest's entries; the path of
    // the result goes to *rebuilt. Nothing is written on failure.
    HRESULT Write(const XmlDocument& manifest, const std::string& folder,
                  const std::string& blankIclPath, std::string* rebuilt) const;
};

} // namespace vellum
