// The two engine operations every entry point uses: decompiling an executable into a project
// folder and compiling a project back into an executable.
#pragma once

#include "common/Prompter.h"
#include "common/Result.h"

#include <cstdio>
#include <string>

namespace vellum {

struct DecompileRequest {
    std::string source;
    std::string folder;
    bool groupFiles = false;
    std::FILE* textOutput = stdout; // symbol table and section dumps; null for none
};

// Decompiles `source` into `folder` (created with its parents) and writes the project file,
// whose path goes to `projectPath`. Failures are added to the error trail.
HRESULT DecompileFile(const DecompileRequest& request, Prompter& prompter,
                      std::string* projectPath);

} // namespace vellum
