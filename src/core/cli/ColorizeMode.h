// The Colorize batch mode: recolours image files with settings saved from the colorizer panel.
#pragma once

#include "cli/CommandLine.h"

#include <string>

namespace vellum {

// vellum -Colorize:SETTINGS -Output:PATH
// Reads the settings file; when it is refused nothing is written. Otherwise colorizes PATH: a
// single file by its extension (.png, .bmp, .ico, .cur; others are skipped), or every file
// directly inside a folder. Each failure is listed on stderr with its file and reason. Returns
// the exit status: 0 when every file was colorized or skipped, 1 otherwise, 2 usage error.
int RunColorize(const CommandLine& info, const std::string& dataFolder);

} // namespace vellum
