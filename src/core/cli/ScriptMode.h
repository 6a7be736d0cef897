// The Script batch mode: the dialogs, menus, accelerator tables, string tables and version
// blocks of an executable or a project, written out as resource scripts.
#pragma once

#include "cli/CommandLine.h"
#include "common/Prompter.h"

#include <string>

namespace vellum {

// vellum -Script FILE -Output:FOLDER
// FILE is an executable (read as it is, nothing is decompiled to disk) or a project: its folder,
// its manifest (pe.xml) or its project file (.vellum). FOLDER (created when missing; refused when
// it is a file) receives one UTF-8 .rc per resource, and one per string-table language, plus
// resources.rc, which includes them all. File names come from the resource's kind, name and
// language, made safe as single file names, so nothing is written outside FOLDER. A resource the
// parsers refuse is listed on stderr and left out. Returns 0 when every resource was written, 1
// otherwise, 2 for a usage error.
int RunScript(const CommandLine& info, Prompter& prompter, const std::string& dataFolder);

} // namespace vellum
