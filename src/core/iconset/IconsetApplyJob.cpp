#include "iconset/IconsetApplyJob.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/TrailModules.h"
#include "iconset/ApplyBackup.h"
#include "iconset/IconLocation.h"
#include "iconset/IconsetApplier.h"
#include "operations/FailureLog.h"
#include "platform/DataFolder.h"

#include <filesystem>

namespace vellum {

namespace {

namespace fs = std::filesystem;

constexpr const char* kModule = trail::kVellum;
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
HRESULT CopyFolderFiles(const std::string& folder, const std::string& target) {
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.' || !it->is_regular_file(ec))
            continue;
        HRESULT hr = CopyOneFile(it->path(), JoinPath(target, name));
        if (FAILED(hr)) {
            ReportError(kModule, __LINE__, hr, "Cannot copy %s\n", it->path().string().c_str());
            return hr;
        }
    }
    return ec ? HResultFromErrno(ec.value()) : S_OK;
}

// The working folder is created or emptied of its files, then receives the iconset. An iconset
// that already lies in the working folder is used where it is. The files emptied out are the
// previous apply's icons, which its saved values point to: they go into `keepFolder` first.
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

} // namespace

IconsetApplyJob::IconsetApplyJob(WindowsSystem& system, std::string dataFolder)
    : system_(system), dataFolder_(std::move(dataFolder)) {}

std::string ApplyWorkingFolder(const std::string& dataFolder) {
    return WithTrailingSeparator(JoinPath(dataFolder, "Current.ico"));
}

HRESULT IconsetApplyJob::TrialLoad(const std::string& source, ProgressSink& progress) {
    progress.SetStatus("Loading " + std::string(FileNameOf(source)));
    std::error_code ec;
    if (source != kSystemCache && !fs::is_regular_file(source, ec)) {
        HRESULT missing = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        ReportError(kModule, __LINE__, missing, "The iconset %s does not exist.\n", source.c_str());
        return missing;
    }
    std::string trial;
    HRESULT hr = CreateUniqueFolder(dataFolder_, "apply-", &trial);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Unable to create icon directory.\n\n");
        return hr;
    }
    std::string destination;
    hr = CopyIntoWorkingFolder(source, trial, "", dataFolder_, &destination);
    IconsetEngine engine(system_, trial + "Trial.iconset", dataFolder_);
    IconsetApplier applier(engine);
    if (SUCCEEDED(hr) && engine.Open() == S_FALSE)
        notes_.push_back("IconConfig.xml is missing from " + dataFolder_ + ".");
    if (SUCCEEDED(hr)) {
        hr = applier.LoadIconset(destination, trial);
        loadFailed_ = FAILED(hr);
        if (loadFailed_)
            loadFailedText_ = applier.LoadFailedText(source);
    }
    notes_.insert(notes_.end(), applier.LoadNotes().begin(), applier.LoadNotes().end());
    std::error_code ignored;
    fs::remove_all(trial, ignored);
    return hr;
}

HRESULT IconsetApplyJob::Run(const std::string& source, ProgressSink& progress,
                             ApplyResult* result) {
    progress.SetPercent(0);
    HRESULT hr = TrialLoad(source, progress);
    if (FAILED(hr))
        return hr;
    progress.SetPercent(10);
    progress.SetStatus("Copying the iconset");
    std::string working = ApplyWorkingFolder(dataFolder_);
    std::string backupFolder, destination;
    hr = ApplyBackup::NewFolder(JoinPath(working, "Backup"), &backupFolder);
    if (SUCCEEDED(hr))
        hr = CopyIntoWorkingFolder(source, working, backupFolder + "icons", dataFolder_,
                                   &destination);
    IconsetEngine engine(system_, working + "Current.iconset", dataFolder_);
    IconsetApplier applier(engine);
    if (SUCCEEDED(hr))
        hr = engine.Open();
    progress.SetPercent(20);
    if (SUCCEEDED(hr))
        hr = applier.LoadIconset(destination, working);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Unable to create icon directory.\n\n");
        return hr;
    }
    appliedIcons_ = int(applier.AppliedIcons().size());
    hr = applier.ApplyIconset(backupFolder, result, &progress);
    if (SUCCEEDED(hr)) {
        progress.SetPercent(100);
        progress.SetStatus("Finished");
    }
    return hr;
}

} // namespace vellum
