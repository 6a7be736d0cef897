// The program's version as the build sets it.
#pragma once

#include <string>

namespace vellum {

// Major.minor as one number, e.g. 0.1 for version 0.1.x.
double VersionNumber();
// "Vellum Version 0.10".
std::string VersionString();

} // namespace vellum
