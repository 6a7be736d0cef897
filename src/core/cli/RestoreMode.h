// The Restore batch mode: undoes an iconset apply (or a restore) from its backup folder.
#pragma once

#include "cli/CommandLine.h"

#include <string>

namespace vellum {

// vellum -Restore:FOLDER
// Puts back the registry values, shell files and icon files the backup FOLDER holds, after
// saving what it changes into a new backup folder beside the others, and prints both. Refuses
// while Wine is running in the prefix. Returns the exit status: 0 success, 1 failure, 2 usage.
int RunRestore(const CommandLine& info, const std::string& dataFolder);

} // namespace vellum
