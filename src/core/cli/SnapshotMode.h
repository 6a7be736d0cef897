// The SnapShot batch mode: records the icons the running system shows (on Linux, those of the
// Wine prefix) as an iconset.
#pragma once

#include "cli/CommandLine.h"
#include "common/Prompter.h"

#include <string>

namespace vellum {

// vellum -SnapShot:PATH
// Collects every catalogue category, extracts the icons and builds "<name>.icl"; PATH's
// extension picks the packaging: ".iconset" (the snapshot document, with the library beside
// it), ".iconzip" or ".zip" (an archive holding "<name>.iconset" and "<name>.icl"), ".icl" (the
// library, with IconSnapShot.xml beside it). The work happens in a fresh folder inside the data
// folder, so PATH's folder receives only those files, and a file already there is never
// replaced. Prints one line per progress status. Returns the exit status: 0 success, 1 failure,
// 2 usage error.
int RunSnapshot(const CommandLine& info, Prompter& prompter, const std::string& dataFolder);

} // namespace vellum
