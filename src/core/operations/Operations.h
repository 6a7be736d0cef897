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
    std::string dataFolder;         // holds blank.dll, the template under icon libraries
};

// Decompiles `source` into `folder` (created with its parents) and writes the project file,
// whose path goes to `projectPath`. An icon library (NE) becomes a project made of the blank
// template DLL with the library's resources, so that compiling it makes a DLL. Failures are
// added to the error trail.
HRESULT DecompileFile(const DecompileRequest& request, Prompter& prompter,
                      std::string* projectPath);

struct CompileRequest {
    std::string original;   // where the result belongs; empty: the executable path
    std::string executable; // its file name names the compiled file
    std::string manifest;   // the project's pe.xml; the compiled file goes into its folder
    bool interactive = false;
    std::FILE* trace = stdout;
};

struct CompileOutcome {
    std::string compiledPath;
    bool copied = false;       // the result replaced the original
    bool missingFiles = false; // a resource file could not be opened
};

// Compiles the project and puts the result where it belongs: over the original (asking first
// when interactive and the paths differ). The original is replaced through a temporary file, so
// a failure leaves it as it was.
HRESULT CompileProject(const CompileRequest& request, Prompter& prompter, CompileOutcome* outcome);

} // namespace vellum
