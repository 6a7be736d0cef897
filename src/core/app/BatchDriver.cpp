#include "app/BatchDriver.h"

#include "app/Operations.h"
#include "common/ErrorTrail.h"
#include "common/Strings.h"

#include <cstdio>

namespace vellum {

const char* const kUsageText =
    "Usage:\n"
    "  vellum -Decompile FILE -Output:FOLDER\n"
    "      Take FILE (.exe, .dll, .msstyles) apart into the project folder FOLDER.\n"
    "  vellum -Compile FILE -Output:FOLDER/pe.xml\n"
    "      Build the project whose manifest is pe.xml into FOLDER and copy the result over FILE.\n"
    "  vellum -h | --help      Show this text.\n"
    "  vellum --version        Show the version.\n"
    "\n"
    "Options start with '-' or '/' and ignore case. Exit status: 0 success, 1 failure,\n"
    "2 usage error.\n";

namespace {

int UsageError(const std::string& message) {
    std::fprintf(stderr, "vellum: %s\n\n%s", message.c_str(), kUsageText);
    return kExitUsage;
}

void PrintErrorTrail() {
    if (std::optional<std::string> trail = TakeErrorTrail())
        std::fprintf(stderr, "%s\n", trail->c_str());
}

int RunDecompile(const CVelCommandLineInfo& info, Prompter& prompter) {
    if (info.fileName.empty())
        return UsageError("Decompile needs the file to take apart.");
    if (info.outputPath.empty())
        return UsageError("Decompile needs the project folder: -Output:FOLDER.");
    DecompileRequest request;
    request.source = info.fileName;
    request.folder = info.outputPath;
    request.groupFiles = false;
    HRESULT hr = DecompileFile(request, prompter, nullptr);
    if (SUCCEEDED(hr))
        return kExitSuccess;
    prompter.Ask(Format("Failed to decompile the file\n%s\n\nError 0x%.8x", info.fileName.c_str(),
                        unsigned(hr)),
                 "Vellum", MB_OK | MB_ICONHAND);
    PrintErrorTrail();
    return kExitFailure;
}

int RunCompile(const CVelCommandLineInfo& info, Prompter& prompter) {
    if (info.fileName.empty())
        return UsageError("Compile needs the executable to build.");
    if (info.outputPath.empty())
        return UsageError("Compile needs the project manifest: -Output:FOLDER/pe.xml.");
    CompileRequest request;
    request.executable = info.fileName;
    request.manifest = info.outputPath;
    CompileOutcome outcome;
    HRESULT hr = CompileProject(request, prompter, &outcome);
    if (FAILED(hr)) {
        PrintErrorTrail();
        return kExitFailure;
    }
    if (outcome.missingFiles) {
        std::fprintf(stderr, "vellum: some resource files could not be opened; their resources "
                             "were compiled without data.\n");
        return kExitFailure;
    }
    return kExitSuccess;
}

} // namespace

int RunBatch(const CVelCommandLineInfo& info, Prompter& prompter) {
    if (!info.unknownFlags.empty())
        return UsageError("unknown option -" + info.unknownFlags.front());
    if (info.snapshot || info.insert || info.extract) {
        std::fprintf(stderr, "vellum: this batch mode is not available in this version yet.\n");
        return kExitFailure;
    }
    if (info.compile)
        return RunCompile(info, prompter);
    if (info.decompile)
        return RunDecompile(info, prompter);
    return kExitSuccess;
}

} // namespace vellum
