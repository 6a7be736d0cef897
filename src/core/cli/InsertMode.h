// The Insert batch mode: adds an icon or cursor file to an executable or icon library in place.
#pragma once

#include "cli/CommandLine.h"
#include "common/Prompter.h"

#include <string>

namespace vellum {

// vellum TARGET -Insert:FILE -Type:Icon|Cursor|IconGroup|CursorGroup [-Name:NAME] [-Lang:ID]
// A PE target is decompiled into a fresh work folder, the file is added as a new group with its
// members, and the project is compiled back over the target; an icon library is dumped, changed
// and rebuilt, and the rebuilt library replaces it. The target changes only when everything
// worked. Returns the exit status: 0 success, 1 failure, 2 usage error.
int RunInsert(const CommandLine& info, Prompter& prompter, const std::string& dataFolder);

} // namespace vellum
