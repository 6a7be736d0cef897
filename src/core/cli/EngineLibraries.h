// The outside libraries the engine runs on, with the versions loaded at run time (which may be
// newer than the headers the program was built with).
#pragma once

#include <string>
#include <vector>

namespace vellum {

struct LibraryVersion {
    std::string name;    // "zlib"
    std::string version; // "1.2.13"
};

// zlib and libpng, in that order.
std::vector<LibraryVersion> EngineLibraries();

} // namespace vellum
