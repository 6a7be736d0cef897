// The Insert batch mode for PE files and 16-bit icon libraries.
#include "cli/InsertMode.h"

#include "cli/BatchDriver.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "compiler/NeWriter.h"
#include "decompiler/NeDumper.h"
#include "formats/PeImage.h"
#include "operations/Operations.h"
#include "project/AddResource.h"
#include "project/GroupEditor.h"

#include <cstdio>
#include <filesystem>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kVellum;

bool IsCursorType(int type) {
    return type == kResourceCursor || type == kResourceCursorGroup;
}

HRESULT InsertIntoPe(const CommandLine& info, Prompter& prompter, const std::string& dataFolder,
                     const std::string& work) {
    DecompileRequest decompile{info.fileName, work, true, nullptr, dataFolder};
    HRESULT hr = DecompileFile(decompile, prompter, nullptr);
    Project project(prompter);
    if (SUCCEEDED(hr))
        hr = project.Load(work + "pe.xml");
    if (SUCCEEDED(hr))
        hr = AddResource(project, ClassifyResource(info.sourcePath, info.resourceName,
                                                   IsCursorType(info.resourceType) ? "Cursor Group"
                                                                                   : "Icon Group",
                                                   std::to_string(info.language)));
    if (SUCCEEDED(hr))
        hr = project.Save();
    if (FAILED(hr))
        return hr;
    CompileRequest compile;
    compile.executable = info.fileName;
    compile.manifest = project.ManifestPath();
    CompileOutcome outcome;
    return CompileProject(compile, prompter, &outcome);
}

HRESULT ReplaceTarget(const std::string& rebuilt, const std::string& target) {
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(rebuilt, bytes);
    if (SUCCEEDED(hr))
        hr = ReplaceFileContents(target, bytes.data(), bytes.size());
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed to replace %s", target.c_str());
    return hr;
}

// Icon libraries have no languages; their resources are recorded with language 0.
HRESULT InsertIntoLibrary(const CommandLine& info, Prompter& prompter,
                          const std::string& dataFolder, const std::string& work) {
    NeDumper dumper(prompter);
    HRESULT hr = dumper.Open(info.fileName);
    if (SUCCEEDED(hr))
        hr = dumper.Dump(work + "ne.xml");
    Project project(prompter);
    if (SUCCEEDED(hr))
        hr = project.Load(work + "ne.xml");
    GroupAdded added;
    if (SUCCEEDED(hr))
        hr =
            GroupEditor(project).AddIconOrCursorFile(info.sourcePath, info.resourceName, 0, &added);
    std::string rebuilt;
    if (SUCCEEDED(hr))
        hr =
            NeWriter().Write(project.Manifest(), work, JoinPath(dataFolder, "blank.icl"), &rebuilt);
    if (SUCCEEDED(hr))
        hr = ReplaceTarget(rebuilt, info.fileName);
    return hr;
}

} // namespace

int RunInsert(const CommandLine& info, Prompter& prompter, const std::string& dataFolder) {
    if (info.fileName.empty())
        return UsageError("Insert needs the executable to change: vellum TARGET -Insert:FILE.");
    if (info.sourcePath.empty())
        return UsageError("Insert needs the file to add: -Insert:FILE.");
    if (!IsIconOrCursorType(info.resourceType))
        return UsageError(
            "Insert needs the resource type: -Type:Icon|Cursor|IconGroup|CursorGroup.");
    ExecutableKind kind = ExecutableKindOfFile(info.fileName);
    HRESULT hr = E_FAIL;
    std::string parent =
        dataFolder.empty() ? std::filesystem::temp_directory_path().string() : dataFolder;
    std::string work;
    if (kind == ExecutableKind::Unknown)
        ReportError(kModule, __LINE__, E_FAIL, "%s is neither a PE file nor an icon library",
                    info.fileName.c_str());
    else if (FAILED(hr = CreateUniqueFolder(parent, "insert-", &work)))
        ReportError(kModule, __LINE__, hr, "Failed to create a work folder in %s", parent.c_str());
    else
        hr = kind == ExecutableKind::Pe ? InsertIntoPe(info, prompter, dataFolder, work)
                                        : InsertIntoLibrary(info, prompter, dataFolder, work);
    if (!work.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(work, ignored);
    }
    if (SUCCEEDED(hr))
        return kExitSuccess;
    PrintErrorTrail(dataFolder, "Insert into " + info.fileName);
    return kExitFailure;
}

} // namespace vellum
