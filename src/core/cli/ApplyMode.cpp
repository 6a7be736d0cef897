#include "cli/ApplyMode.h"

#include "cli/BatchDriver.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/TrailModules.h"
#include "iconset/ApplyBackup.h"
#include "iconset/IconLocation.h"
#include "iconset/IconsetApplier.h"
#include "operations/FailureLog.h"
#include "platform/DataFolder.h"
#include "platform/WinePrefix.h"

#include <cstdio>
#include <filesystem>

namespace vellum {

namespace {

namespace fs = std::filesystem;

const char kSystemCache[] = "System Cache";

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

HRESULT CopyOneFile(const fs::path& from, const std::string& to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec)
        return HResultFromErrno(ec.value());
    return ClearReadOnly(to);
}

// Every file of the folder (not subfolders, not names starting with a full stop).
HRESULT CopyFolderFiles(const std::string& folder, const std::string& working) {
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.' || !it->is_regular_file(ec))
            continue;
        HRESULT hr = CopyOneFile(it->path(), JoinPath(working, name));
        if (FAILED(hr)) {
            ReportError(trail::kVellum, __LINE__, hr, "Cannot copy %s\n",
                        it->path().string().c_str());
            return hr;
        }
    }
    return ec ? HResultFromErrno(ec.value()) : S_OK;
}

// Step B: the working folder is created or emptied of its files, then receives the iconset.
// An iconset that already lies in the working folder is used where it is. The files emptied
// out are the previous apply's icons, which its saved values point to: they go into
// `keepFolder` first.
HRESULT CopyIntoWorkingFolder(const std::string& source, const std::string& working,
                              const std::string& keepFolder, const std::string& dataFolder,
                              std::string* destination) {
    *destination = JoinPath(working, FileNameOf(source));
    if (source == kSystemCache) {
        *destination = source;
        return S_OK;
    }
    std::string sourceFolder = fs::absolute(source).parent_path().string();
    HRESULT hr = CreateFolders(working);
    if (FAILED(hr) || SameFolder(sourceFolder, working))
        return hr;
    if (!keepFolder.empty()) {
        hr = CreateFolders(keepFolder);
        if (SUCCEEDED(hr))
            hr = CopyFolderFiles(working, keepFolder);
        if (FAILED(hr))
            return hr;
    }
    hr = GuardedFolderDelete(working, false, dataFolder);
    if (FAILED(hr))
        return hr;
    if (IsZippedIconset(source))
        return CopyOneFile(source, *destination);
    return CopyFolderFiles(sourceFolder, working);
}

// Loads the iconset the way applying will, in a folder of its own, so that an iconset that
// fails to load leaves the working folder (and the icons the system shows from it) alone.
bool TrialLoad(WindowsSystem& system, const std::string& source, const std::string& dataFolder) {
    std::string trial;
    if (FAILED(CreateUniqueFolder(dataFolder, "apply-", &trial))) {
        std::fprintf(stderr, "Create Directory Fail: Unable to create icon directory.\n\n");
        PrintErrorTrail(dataFolder, "Apply " + source);
        return false;
    }
    std::string destination;
    HRESULT hr = CopyIntoWorkingFolder(source, trial, "", dataFolder, &destination);
    IconsetEngine engine(system, trial + "Trial.iconset", dataFolder);
    IconsetApplier applier(engine);
    if (SUCCEEDED(hr) && engine.Open() == S_FALSE)
        std::fprintf(stderr, "vellum: IconConfig.xml is missing from %s.\n", dataFolder.c_str());
    if (SUCCEEDED(hr))
        hr = applier.LoadIconset(destination, trial);
    for (const std::string& note : applier.LoadNotes())
        std::fprintf(stderr, "vellum: %s\n", note.c_str());
    if (FAILED(hr)) {
        std::fprintf(stderr, "Load Failed: %s", applier.LoadFailedText(source).c_str());
        PrintErrorTrail(dataFolder, "Apply " + source);
    }
    std::error_code ignored;
    fs::remove_all(trial, ignored);
    return SUCCEEDED(hr);
}

void PrintLines(std::FILE* out, const char* label, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::fprintf(out, "  %s%s\n", label, line.c_str());
}

int Apply(IconsetApplier& applier, const std::string& source, const std::string& backupFolder,
          const std::string& dataFolder) {
    ApplyResult result;
    HRESULT hr = applier.ApplyIconset(backupFolder, &result);
    if (FAILED(hr)) {
        PrintErrorTrail(dataFolder, "Apply " + source);
        return kExitFailure;
    }
    std::printf("Applied %s (%zu icons).\n", source.c_str(), applier.AppliedIcons().size());
    PrintLines(stdout, "wrote ", result.done);
    PrintLines(stdout, "skipped ", result.skipped);
    PrintLines(stderr, "failed ", result.failed);
    std::printf("The previous values are saved in %s: import registry.reg with regedit to put "
                "them back; files.txt lists the copies of the changed files, and icons/ holds "
                "the icon files they point to in Current.ico.\n",
                result.backupFolder.c_str());
    if (result.failed.empty())
        return kExitSuccess;
    std::string failed;
    for (const std::string& line : result.failed)
        failed += "\r\n" + line;
    LogFailure(dataFolder, "Apply " + source + " (some changes)" + failed);
    return kExitFailure;
}

} // namespace

int RunApply(const CommandLine& info, const std::string& dataFolder) {
    const std::string& source = info.applyPath;
    if (source.empty())
        return UsageError("Apply needs the iconset: -Apply:PATH.");
    std::error_code ec;
    if (source != kSystemCache && !fs::is_regular_file(source, ec)) {
        std::fprintf(stderr, "vellum: %s does not exist.\n", source.c_str());
        return kExitFailure;
    }
    if (dataFolder.empty() || RunningSystemMissing() || RunningSystemBusy())
        return kExitFailure;
    std::unique_ptr<WindowsSystem> system = OpenRunningSystem();
    if (!TrialLoad(*system, source, dataFolder))
        return kExitFailure;
    std::string working = WithTrailingSeparator(JoinPath(dataFolder, "Current.ico"));
    std::string backupFolder, destination;
    HRESULT hr = ApplyBackup::NewFolder(JoinPath(working, "Backup"), &backupFolder);
    if (SUCCEEDED(hr))
        hr = CopyIntoWorkingFolder(source, working, backupFolder + "icons", dataFolder,
                                   &destination);
    IconsetEngine engine(*system, working + "Current.iconset", dataFolder);
    IconsetApplier applier(engine);
    if (SUCCEEDED(hr))
        hr = engine.Open();
    if (SUCCEEDED(hr))
        hr = applier.LoadIconset(destination, working);
    if (FAILED(hr)) {
        std::fprintf(stderr, "Create Directory Fail: Unable to create icon directory.\n\n");
        PrintErrorTrail(dataFolder, "Apply " + source);
        return kExitFailure;
    }
    return Apply(applier, source, backupFolder, dataFolder);
}

} // namespace vellum
