// The Apply batch mode: applies an iconset to the running system (on Linux, the Wine prefix).
#pragma once

#include "cli/CommandLine.h"
#include "iconset/ApplyPlan.h"

#include <string>

namespace vellum {

// vellum -Apply:PATH
// Copies the iconset (a zip archive as it is, otherwise every file of its folder) into the
// working folder "Current.ico" of the data folder, loads it and applies it. The values and files
// it overwrites are saved first in "Current.ico/Backup/<date-time>/", and what was written is
// printed. Returns the exit status: 0 success, 1 failure, 2 usage error.
int RunApply(const CommandLine& info, const std::string& dataFolder);

// Prints what an apply or a restore did, one line each: the changes made (after `doneLabel`), the
// ones left alone, and on stderr those that failed, which also go to the data folder's log
// under `operation`. Returns the exit status: 0 when every change was made, 1 otherwise.
int ReportChanges(const ApplyResult& result, const char* doneLabel, const std::string& operation,
                  const std::string& dataFolder);

} // namespace vellum
