#include "cli/Version.h"

#include "common/Strings.h"

#include <cstdint>

namespace vellum {

// A Windows file version keeps major.minor in its most significant dword and patch.tweak in the
// least significant one; the program shows MS * 0.1 + LS * 0.00001 (0.20.0.10000 shows 2.10).
double VersionNumber(unsigned major, unsigned minor, unsigned patch, unsigned tweak) {
    std::uint32_t ms = (major & 0xFFFF) << 16 | (minor & 0xFFFF);
    std::uint32_t ls = (patch & 0xFFFF) << 16 | (tweak & 0xFFFF);
    return ms * 0.1 + ls * 0.00001;
}

double VersionNumber() {
    return VersionNumber(VELLUM_VERSION_MAJOR, VELLUM_VERSION_MINOR, VELLUM_VERSION_PATCH,
                         VELLUM_VERSION_TWEAK);
}

std::string VersionString() {
    return Format("Vellum Version %.2f", VersionNumber());
}

} // namespace vellum
