#include "app/Operations.h"

#include "app/ProjectFile.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/MappedFile.h"
#include "common/Path.h"
#include "decompiler/ExeDumper.h"
#include "decompiler/PeImage.h"

namespace vellum {

namespace {
constexpr const char* kModule = "VelDoc";
}

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
        ReportError(
            kModule, __LINE__, E_FAIL,
            "%s is a 16-bit icon library; this version of Vellum cannot decompile those yet.",
            request.source.c_str());
        return E_FAIL;
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
    ProjectFile project;
    project.source = request.source;
    std::string path = ProjectFilePath(folder, request.source);
    hr = project.Save(path);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to write the project file %s", path.c_str());
        return hr;
    }
    if (projectPath)
        *projectPath = path;
    return S_OK;
}

} // namespace vellum
