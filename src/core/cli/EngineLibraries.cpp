#include "cli/EngineLibraries.h"

#include <png.h>
#include <zlib.h>

namespace vellum {

std::vector<LibraryVersion> EngineLibraries() {
    // Both calls ask the shared library itself, not the header's version macro.
    return {{"zlib", zlibVersion()}, {"libpng", png_get_libpng_ver(nullptr)}};
}

} // namespace vellum
