// The program's version as the build sets it.
#pragma once

#include <string>

namespace vellum {

// The number the version string shows for a four-part file version.
double VersionNumber(unsigned major, unsigned minor, unsigned patch, unsigned tweak);
// The same for this build's version.
double VersionNumber();
// "Vellum Version 0.10".
std::string VersionString();

} // namespace vellum
