#include "cli/BatchDriver.h"

#include "cli/ApplyMode.h"
#include "cli/ColorizeMode.h"
#include "cli/InsertMode.h"
#include "cli/RestoreMode.h"
#include "cli/ScriptMode.h"
#include "cli/SnapshotMode.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "common/XmlDocument.h"
#include "decompiler/NeDumper.h"
#include "formats/PeImage.h"
#include "formats/ResourceDirectory.h"
#include "operations/FailureLog.h"
#include "operations/Operations.h"
#include "platform/DataFolder.h"
#include "platform/WindowsSystem.h"

#include <cstdio>
#include <filesystem>

namespace vellum {

const char* const kUsageText =
    "Usage:\n"
    "  vellum -Decompile FILE -Output:FOLDER\n"
    "      Take FILE (.exe, .dll, .msstyles) apart into the project folder FOLDER.\n"
    "  vellum -Compile FILE -Output:FOLDER/pe.xml\n"
    "      Build the project whose manifest is pe.xml into FOLDER and copy the result over FILE.\n"
    "  vellum -Extract:ID -Type:Icon|Cursor|IconGroup|CursorGroup -Source:FILE -Output:DEST\n"
    "      Write one resource of FILE (an .exe, .dll or .icl) to DEST; ID 0 writes every\n"
    "      resource of the type, each to DEST's name followed by its ID.\n"
    "  vellum TARGET -Insert:FILE -Type:Icon|Cursor|IconGroup|CursorGroup [-Name:NAME] [-Lang:ID]\n"
    "      Add an .ico or .cur file to TARGET (an .exe, .dll, .msstyles or .icl) in place.\n"
    "  vellum -SnapShot:PATH\n"
    "      Record the icons the system shows (the Wine prefix in $WINEPREFIX, else ~/.wine)\n"
    "      in the icon library NAME.icl, NAME being PATH's base name, packaged by PATH's\n"
    "      extension: .iconset (library beside it), .iconzip or .zip (both in the archive)\n"
    "      or .icl (the library alone, with IconSnapShot.xml beside it). A PATH ending in a\n"
    "      separator makes that folder, with one .ico file per icon and NAME.iconset.\n"
    "  vellum -Apply:PATH\n"
    "      Apply the iconset PATH (.iconset, .iconzip or .zip) to the system (the Wine prefix\n"
    "      in $WINEPREFIX, else ~/.wine). The values and files it overwrites are saved first\n"
    "      in Current.ico/Backup/ of the data folder.\n"
    "  vellum -Restore:FOLDER\n"
    "      Put back what the backup FOLDER (Current.ico/Backup/<date-time>/ of the data\n"
    "      folder) holds: registry values, Desktop.ini, .scf and .lnk files, and the icon\n"
    "      files of Current.ico. What it changes is saved first in a new backup folder, so a\n"
    "      restore is undone the same way. Apply and Restore refuse to run while Wine is\n"
    "      running in the prefix (wineserver -w waits for it to end).\n"
    "  vellum -Colorize:SETTINGS -Output:PATH\n"
    "      Recolour the image file PATH (.png, .bmp, .ico, .cur), or every such file directly\n"
    "      inside the folder PATH, with the colorizer settings file SETTINGS (an INI file with\n"
    "      a [Colorize] section, as the colorizer panel's Save Settings... writes it). Other\n"
    "      files are skipped; each failure is listed, and any failure gives exit status 1.\n"
    "  vellum -Script FILE -Output:FOLDER\n"
    "      Write the dialogs, menus, accelerator tables, string tables and version blocks of\n"
    "      FILE (an .exe, .dll or .msstyles, or a project folder, pe.xml or .vellum file) as\n"
    "      UTF-8 resource scripts into FOLDER: one .rc per resource (string tables: per\n"
    "      language) and resources.rc including them all, for windres -c 65001 or rc.exe.\n"
    "  vellum -h | --help      Show this text.\n"
    "  vellum --version        Show the version.\n"
    "\n"
    "Options start with '-' or '/' and ignore case. Exit status: 0 success, 1 failure,\n"
    "2 usage error.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "vellum: %s\n\n%s", message.c_str(), kUsageText);
    return kExitUsage;
}

void PrintErrorTrail(const std::string& dataFolder, const std::string& operation) {
    LogFailure(dataFolder, operation);
    if (std::optional<std::string> trail = TakeErrorTrail())
        std::fprintf(stderr, "%s\n", trail->c_str());
}

namespace {

int RunDecompile(const CommandLine& info, Prompter& prompter, const std::string& dataFolder) {
    if (info.fileName.empty())
        return UsageError("Decompile needs the file to take apart.");
    if (info.outputPath.empty())
        return UsageError("Decompile needs the project folder: -Output:FOLDER.");
    DecompileRequest request;
    request.source = info.fileName;
    request.folder = info.outputPath;
    request.groupFiles = false;
    request.dataFolder = dataFolder;
    HRESULT hr = DecompileFile(request, prompter, nullptr);
    if (SUCCEEDED(hr))
        return kExitSuccess;
    prompter.Ask(Format("Failed to decompile the file\n%s\n\nError 0x%.8x", info.fileName.c_str(),
                        unsigned(hr)),
                 "Vellum", MB_OK | MB_ICONHAND);
    PrintErrorTrail(dataFolder, "Decompile " + info.fileName);
    return kExitFailure;
}

int RunCompile(const CommandLine& info, Prompter& prompter, const std::string& dataFolder) {
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
        PrintErrorTrail(dataFolder, "Compile " + info.fileName);
        return kExitFailure;
    }
    if (outcome.missingFiles) {
        LogFailure(dataFolder, "Compile " + info.fileName + " (resource files missing)");
        std::fprintf(stderr, "vellum: some resource files could not be opened; their resources "
                             "were compiled without data.\n");
        return kExitFailure;
    }
    return kExitSuccess;
}

// ---- Extract ----------------------------------------------------------------------------

const char* TypeLabel(int type) {
    switch (type) {
    case 1:
        return "cursor";
    case 3:
        return "icon";
    case 12:
        return "cursor group";
    default:
        return "icon group";
    }
}

// The file a PE decompile with group files writes for a resource of `type` and `id`.
std::string DumpedFileName(int type, int id) {
    switch (type) {
    case 1:
        return Format("Cursor%.5d.cur", id);
    case 3:
        return Format("Icon%.5d.ico", id);
    case 12:
        return Format("12%.5d.cur", id);
    default:
        return Format("14%.5d.ico", id);
    }
}

bool CopyProjectFile(const std::string& folder, const std::string& name, const std::string& to) {
    std::optional<std::string> from = ResolveInFolder(folder, name);
    std::vector<std::uint8_t> bytes;
    if (!from || FAILED(ReadWholeFile(*from, bytes)))
        return false;
    HRESULT hr = ReplaceFileContents(to, bytes.data(), bytes.size());
    if (FAILED(hr))
        ReportError(trail::kVellum, __LINE__, hr, "Failed to write %s", to.c_str());
    return SUCCEEDED(hr);
}

// Every resource of the type, each to "<dest base><ID in five digits><dest ext>"; a named
// resource, which has no ID, puts its name in place of the digits.
int ExtractAllFromProject(const CommandLine& info, const std::string& work) {
    XmlDocument manifest;
    if (FAILED(manifest.Load(work + "pe.xml")))
        return kExitFailure;
    PathParts dest = SplitPath(info.outputPath);
    XmlNode* root = manifest.Find("/Directory");
    int copied = 0, failed = 0;
    for (XmlNode* type = root ? root->firstChild : nullptr; type; type = type->next) {
        std::int32_t id = xml::AttributeInt(type, "ID").value_or(-1);
        std::string typeName = xml::AttributeText(type, "Name").value_or("");
        if (id != info.resourceType || !typeName.empty() || !type->firstChild)
            continue;
        for (XmlNode* entry = type->firstChild->firstChild; entry; entry = entry->next) {
            std::string name = xml::AttributeText(entry, "Name").value_or("");
            std::int32_t resourceId = xml::AttributeInt(entry, "ID").value_or(0);
            XmlNode* language = entry->firstChild ? entry->firstChild->firstChild : nullptr;
            if (!language || !language->firstChild)
                continue;
            std::string file = xml::AttributeText(language->firstChild, "Name").value_or("");
            if (info.resourceType == 12 || info.resourceType == 14)
                file += info.resourceType == 12 ? ".cur" : ".ico";
            std::string middle = name.empty() ? Format("%.5d", resourceId) : MakeSafeFileName(name);
            std::string to = dest.drive + dest.dir + dest.fname + middle + dest.ext;
            (CopyProjectFile(work, file, to) ? copied : failed)++;
        }
        break;
    }
    if (copied == 0 && failed == 0)
        ReportError(trail::kVellum, __LINE__, E_FAIL, "%s holds no %s resources.",
                    info.sourcePath.c_str(), TypeLabel(info.resourceType));
    return copied > 0 && failed == 0 ? kExitSuccess : kExitFailure;
}

int ExtractFromPe(const CommandLine& info, Prompter& prompter, const std::string& dataFolder) {
    // A folder of our own, never one of the user's, removed afterwards.
    std::string parent =
        dataFolder.empty() ? std::filesystem::temp_directory_path().string() : dataFolder;
    std::string work;
    HRESULT hr = CreateUniqueFolder(parent, "extract-", &work);
    if (FAILED(hr)) {
        ReportError(trail::kVellum, __LINE__, hr, "Failed to create a work folder in %s",
                    parent.c_str());
        return kExitFailure;
    }
    DecompileRequest request{info.sourcePath, work, true, nullptr, dataFolder};
    int status = kExitFailure;
    if (SUCCEEDED(DecompileFile(request, prompter, nullptr))) {
        if (info.resourceId == 0) {
            status = ExtractAllFromProject(info, work);
        } else if (CopyProjectFile(work, DumpedFileName(info.resourceType, info.resourceId),
                                   info.outputPath)) {
            status = kExitSuccess;
        } else {
            ReportError(trail::kVellum, __LINE__, E_FAIL, "%s holds no %s with ID %d.",
                        info.sourcePath.c_str(), TypeLabel(info.resourceType), info.resourceId);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(work, ignored);
    return status;
}

int ExtractFromNe(const CommandLine& info, Prompter& prompter) {
    NeDumper dumper(prompter);
    HRESULT hr = dumper.Open(info.sourcePath);
    if (SUCCEEDED(hr))
        hr = info.resourceId ? dumper.ExtractOne(unsigned(info.resourceType),
                                                 unsigned(info.resourceId), info.outputPath, false)
                             : dumper.ExtractType(unsigned(info.resourceType), info.outputPath);
    return SUCCEEDED(hr) ? kExitSuccess : kExitFailure;
}

int RunExtract(const CommandLine& info, Prompter& prompter, const std::string& dataFolder) {
    if (info.sourcePath.empty())
        return UsageError("Extract needs the executable to read: -Source:FILE.");
    if (info.outputPath.empty())
        return UsageError("Extract needs the file to write: -Output:DEST.");
    if (!IsIconOrCursorType(info.resourceType))
        return UsageError(
            "Extract needs the resource type: -Type:Icon|Cursor|IconGroup|CursorGroup.");
    // The destination's folder is made when it is missing, as Decompile makes its project
    // folder, but only for a source that is there to be read.
    PathParts dest = SplitPath(info.outputPath);
    std::string folder = dest.drive + dest.dir;
    std::error_code ec;
    int status = kExitFailure;
    HRESULT hr = S_OK;
    if (!folder.empty() && std::filesystem::is_regular_file(info.sourcePath, ec) &&
        FAILED(hr = CreateFolders(folder)))
        ReportError(trail::kVellum, __LINE__, hr, "Failed to Create Directory %s", folder.c_str());
    else if (ExecutableKindOfFile(info.sourcePath) == ExecutableKind::Ne)
        status = ExtractFromNe(info, prompter);
    else
        status = ExtractFromPe(info, prompter, dataFolder);
    if (status != kExitSuccess)
        PrintErrorTrail(dataFolder, "Extract from " + info.sourcePath);
    return status;
}

} // namespace

bool IsIconOrCursorType(int type) {
    return type == int(rt::kCursor) || type == int(rt::kIcon) || type == int(rt::kCursorGroup) ||
           type == int(rt::kIconGroup);
}

bool RunningSystemMissing() {
    std::string problem = RunningSystemProblem();
    if (!problem.empty())
        std::fprintf(stderr, "vellum: %s\n", problem.c_str());
    return !problem.empty();
}

bool RunningSystemBusy() {
    std::string reason = RunningSystemBusyReason();
    if (!reason.empty())
        std::fprintf(stderr, "vellum: %s\n", reason.c_str());
    return !reason.empty();
}

int RunBatch(const CommandLine& info, Prompter& prompter) {
    if (!info.unknownFlags.empty())
        return UsageError("unknown option -" + info.unknownFlags.front());
    std::string dataFolder;
    PrepareDataFolder(ExecutableFolder(), &dataFolder);
    if (info.snapshot)
        return RunSnapshot(info, prompter, dataFolder);
    if (info.apply)
        return RunApply(info, dataFolder);
    if (info.restore)
        return RunRestore(info, dataFolder);
    if (info.colorize)
        return RunColorize(info, dataFolder);
    if (info.script)
        return RunScript(info, prompter, dataFolder);
    if (info.insert)
        return RunInsert(info, prompter, dataFolder);
    if (info.extract)
        return RunExtract(info, prompter, dataFolder);
    if (info.compile)
        return RunCompile(info, prompter, dataFolder);
    if (info.decompile)
        return RunDecompile(info, prompter, dataFolder);
    return kExitSuccess;
}

} // namespace vellum
