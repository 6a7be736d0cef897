#include "app/Version.h"

#include "common/Strings.h"

namespace vellum {

double VersionNumber() {
    return VELLUM_VERSION_MAJOR + VELLUM_VERSION_MINOR / (VELLUM_VERSION_MINOR < 10 ? 10.0 : 100.0);
}

std::string VersionString() {
    return Format("Vellum Version %.2f", VersionNumber());
}

} // namespace vellum
