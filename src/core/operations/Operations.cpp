#include "operations/Operations.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/MappedFile.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "compiler/Compiler.h"
#include "decompiler/ExeDumper.h"
#include "decompiler/NeDumper.h"
#include "formats/PeImage.h"
#include "operations/ProjectFile.h"

#include <filesystem>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kOperations;

HRESULT WriteProjectFile(const DecompileRequest& request, const std::string& folder,
                         std::string* projectPath) {
    ProjectFile project;
    project.source = request.source;
    std::string path = ProjectFilePath(folder, request.source);
    HRESULT hr = project.Save(path);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to write the project file %s", path.c_str());
        return hr;
    }
    if (projectPath)
        *projectPath = path;
    return S_OK;
}

// The blank template's headers and sections with the icon library's resources: its manifest
// replaces the template's.
HRESULT DecompileIconLibrary(const DecompileRequest& request, const std::string& folder,
                             Prompter& prompter) {
    DecompileRequest blank = request;
    blank.source = request.dataFolder + "blank.dll";
    blank.textOutput = nullptr;
    std::string blankProject;
    if (request.dataFolder.empty() || FAILED(DecompileFile(blank, prompter, &blankProject))) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "Failed to open required dll.\n\r\"%s\"\n\rPlease reinstall Vellum.",
                    blank.source.c_str());
        return E_FAIL;
    }
    std::error_code ignored;
    if (!EqualsNoCase(blankProject, ProjectFilePath(folder, request.source)))
        std::filesystem::remove(blankProject, ignored);
    std::filesystem::remove(folder + "pe.xml", ignored);
    NeDumper dumper(prompter);
    HRESULT hr = dumper.Open(request.source);
    if (SUCCEEDED(hr))
        hr = dumper.Dump(folder + "pe.xml");
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed to decompile the icon library %s",
                    request.source.c_str());
    return hr;
}

} // namespace

HRESULT DecompileFile(const DecompileRequest& request, Prompter& prompter,
                      std::string* projectPath) {
    std::string folder = WithTrailingSeparator(request.folder);
    HRESULT hr = CreateFolders(folder);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to create the folder %s", folder.c_str());
        return hr;
    }
    MappedFile source;
    hr = source.Open(request.source);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to open %s", request.source.c_str());
        return hr;
    }
    ByteView bytes(source.Bytes());
    if (!bytes.Has(0, 2) || bytes.U8(0) != 'M' || bytes.U8(1) != 'Z') {
        ReportError(kModule, __LINE__, E_FAIL, "The format of the %s file is not unrecognized.",
                    request.source.c_str());
        return E_FAIL;
    }
    if (ExecutableKindOf(bytes) == ExecutableKind::Ne) {
        source.Close();
        hr = DecompileIconLibrary(request, folder, prompter);
        return SUCCEEDED(hr) ? WriteProjectFile(request, folder, projectPath) : hr;
    }
    ExeDumper dumper(prompter);
    dumper.options.visualStyleNaming = HasExtension(request.source, ".MSSTYLES");
    dumper.options.convertPng = true;
    dumper.options.groupFiles = request.groupFiles;
    dumper.SetTextOutput(request.textOutput);
    hr = dumper.DumpExe(bytes, folder, "pe.xml");
    source.Close();
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to decompile %s", request.source.c_str());
        return hr;
    }
    return WriteProjectFile(request, folder, projectPath);
}

} // namespace vellum

namespace vellum {

namespace {

// The original's bytes are replaced by the compiled file's: written beside it, then renamed over
// it. A read-only original is made writable first, as the user asked for it to be replaced.
HRESULT CopyOverOriginal(const std::string& compiled, const std::string& original) {
    std::error_code ec;
    namespace fs = std::filesystem;
    if (fs::exists(original, ec))
        fs::permissions(original, fs::perms::owner_write, fs::perm_options::add, ec);
    MappedFile source;
    HRESULT hr = source.Open(compiled);
    if (SUCCEEDED(hr))
        hr = ReplaceFileContents(original, source.Data(), source.Size());
    return hr;
}

} // namespace

HRESULT CompileProject(const CompileRequest& request, Prompter& prompter, CompileOutcome* outcome) {
    CompileOutcome result;
    PathParts manifest = SplitPath(request.manifest);
    std::string folder = WithTrailingSeparator(manifest.drive + manifest.dir);
    if (folder.empty())
        folder = std::string(".") + kPathSeparator;
    Compiler compiler(prompter, request.trace);
    compiler.SetPaths(std::string(FileNameOf(request.executable)), folder);
    HRESULT hr = compiler.Compile(request.manifest);
    result.compiledPath = compiler.OutputPath();
    result.missingFiles = compiler.MissingFiles();
    if (outcome)
        *outcome = result;
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to compile %s", request.manifest.c_str());
        return hr;
    }
    std::string original = request.original.empty() ? request.executable : request.original;
    std::error_code ec;
    bool same = EqualsNoCase(result.compiledPath, original) ||
                std::filesystem::equivalent(result.compiledPath, original, ec);
    if (same) {
        if (request.interactive)
            prompter.Ask(
                Format("Compilation was successful to:\r\n\r\n'%s'", result.compiledPath.c_str()),
                "Vellum", MB_OK | MB_ICONINFORMATION);
        return S_OK;
    }
    if (request.interactive &&
        prompter.Ask(
            Format("Compilation was successful.\r\n\r\nWould you like to copy the compiled "
                   "file:\r\n\r\n--> '%s'\r\n\r\n to its original location at:\r\n\r\n--> "
                   "'%s'?\r\n\r\nThis operation cannot be undone.",
                   result.compiledPath.c_str(), original.c_str()),
            "Vellum", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return S_OK;
    hr = CopyOverOriginal(result.compiledPath, original);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr,
                    "An error occurred while copying the\r\n\r\n%s\r\nfile to\r\n%s",
                    result.compiledPath.c_str(), original.c_str());
        return hr;
    }
    result.copied = true;
    if (outcome)
        *outcome = result;
    return S_OK;
}

} // namespace vellum
