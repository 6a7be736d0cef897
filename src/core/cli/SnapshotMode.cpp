// The SnapShot batch mode.
#include "cli/SnapshotMode.h"

#include "cli/BatchDriver.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "iconset/IconLocation.h"
#include "iconset/IconSnapshot.h"
#include "iconset/SnapshotPackage.h"
#include "platform/WinePrefix.h"

#include <cstdio>
#include <filesystem>
#include <optional>

namespace vellum {

namespace {

namespace fs = std::filesystem;

constexpr const char* kModule = trail::kVellum;

// Library: the .icl with IconSnapShot.xml beside it. Folder: individual icons named after their
// entries, with NAME.iconset among them.
enum class Packaging { Iconset, Iconzip, Library, Folder };

// Where the snapshot goes: PATH, its folder and its base name.
struct SnapshotTarget {
    std::string path;
    std::string folder;
    std::string baseName;
    Packaging packaging = Packaging::Library;

    std::string InFolder(const std::string& name) const { return folder + name; }
};

bool EndsInSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

std::optional<SnapshotTarget> TargetOf(const std::string& path) {
    SnapshotTarget target;
    if (EndsInSeparator(path)) {
        std::string folder = path.substr(0, path.find_last_not_of("/\\") + 1);
        if (folder.empty())
            return std::nullopt;
        target.packaging = Packaging::Folder;
        target.path = folder + kPathSeparator;
        target.folder = target.path;
        target.baseName = std::string(FileNameOf(folder));
        return target;
    }
    if (IsIconsetFile(path))
        target.packaging = Packaging::Iconset;
    else if (IsZippedIconset(path))
        target.packaging = Packaging::Iconzip;
    else if (!HasExtension(path, ".icl"))
        return std::nullopt;
    PathParts parts = SplitPath(path);
    target.path = path;
    target.folder = parts.drive + parts.dir;
    target.folder = target.folder.empty() ? std::string(".") + kPathSeparator : target.folder;
    target.baseName = parts.fname;
    return target;
}

// The files a snapshot creates and refuses to replace.
std::vector<std::string> Products(const SnapshotTarget& target) {
    switch (target.packaging) {
    case Packaging::Iconset:
        return {target.path, target.InFolder(target.baseName + ".icl")};
    case Packaging::Iconzip:
        break;
    case Packaging::Library:
        return {target.path, target.InFolder("IconSnapShot.xml")};
    case Packaging::Folder:
        break;
    }
    return {target.path};
}

// One line per status; the bar has no place on a terminal.
class StatusPrinter final : public ProgressSink {
public:
    void SetPercent(int) override {}
    void SetStatus(std::string_view text) override {
        if (text == last_)
            return;
        last_ = text;
        std::printf("%s\n", last_.c_str());
        std::fflush(stdout);
    }

private:
    std::string last_;
};

// The iconset document and the library, zipped in the work folder and placed at the target.
HRESULT ZipSnapshot(IconSnapshot& snapshot, const SnapshotTarget& target, const std::string& work,
                    const std::string& library, ProgressSink& progress) {
    std::string iconset = work + target.baseName + ".iconset";
    HRESULT hr = snapshot.SnapshotDocument().Save(iconset);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to write %s", iconset.c_str());
        return hr;
    }
    return ZipSnapshotFiles({iconset, library}, work, target.path, progress);
}

HRESULT Package(IconSnapshot& snapshot, const SnapshotTarget& target, const std::string& work,
                const std::string& library, ProgressSink& progress) {
    switch (target.packaging) {
    case Packaging::Iconset:
        return snapshot.SnapshotDocument().Save(target.path);
    case Packaging::Iconzip:
        return ZipSnapshot(snapshot, target, work, library, progress);
    case Packaging::Folder:
        if (HRESULT hr = snapshot.SaveIndividualIcons(target.folder, progress); FAILED(hr))
            return hr;
        return snapshot.SnapshotDocument().Save(target.InFolder(target.baseName + ".iconset"));
    case Packaging::Library:
        break;
    }
    return snapshot.SnapshotDocument().Save(target.InFolder("IconSnapShot.xml"));
}

void ReportDropped(const std::vector<std::string>& dropped) {
    if (dropped.empty())
        return;
    std::string tags;
    for (const std::string& tag : dropped)
        tags += (tags.empty() ? "" : ", ") + tag;
    std::printf("Left out %zu icons whose files could not be read: %s\n", dropped.size(),
                tags.c_str());
}

int Snapshot(const SnapshotTarget& target, const std::string& work, Prompter& prompter,
             const std::string& dataFolder) {
    std::unique_ptr<WindowsSystem> system = OpenRunningSystem();
    IconsetEngine engine(*system, work + target.baseName + ".icl", dataFolder);
    IconSnapshot snapshot(engine, false);
    HRESULT hr = engine.Open();
    if (hr == S_FALSE) {
        ReportError(kModule, __LINE__, E_FAIL, "The icon catalogue %s cannot be read",
                    JoinPath(dataFolder, "IconConfig.xml").c_str());
        hr = E_FAIL;
    }
    StatusPrinter progress;
    SnapshotOptions options;
    options.individualIcons = target.packaging == Packaging::Folder;
    options.libraryPath = target.packaging == Packaging::Iconzip
                              ? work + target.baseName + ".icl"
                              : target.InFolder(target.baseName + ".icl");
    if (SUCCEEDED(hr))
        hr = snapshot.TakeSnapshot(options, prompter, progress);
    if (SUCCEEDED(hr))
        hr = Package(snapshot, target, work, options.libraryPath, progress);
    if (FAILED(hr)) {
        PrintErrorTrail(dataFolder, "Snapshot " + target.path);
        return kExitFailure;
    }
    // The trail now only says why the left-out icons could not be read.
    ClearErrorTrail();
    progress.SetStatus("Finished");
    ReportDropped(snapshot.DroppedIcons());
    std::printf("Saved %d icons to %s\n", snapshot.IconCount(), target.path.c_str());
    return kExitSuccess;
}

} // namespace

int RunSnapshot(const CommandLine& info, Prompter& prompter, const std::string& dataFolder) {
    if (info.secondPath.empty())
        return UsageError("SnapShot needs the iconset to create: -SnapShot:PATH.");
    std::optional<SnapshotTarget> target = TargetOf(info.secondPath);
    if (!target)
        return UsageError("SnapShot makes .iconset, .iconzip, .zip or .icl files or a folder "
                          "(a path ending in a separator), not " +
                          info.secondPath + ".");
    if (RunningSystemMissing())
        return kExitFailure;
    std::error_code ec;
    for (const std::string& product : Products(*target))
        if (fs::exists(product, ec)) {
            std::fprintf(stderr, "vellum: %s already exists; choose another name.\n",
                         product.c_str());
            return kExitFailure;
        }
    std::string work;
    HRESULT hr = CreateFolders(target->folder);
    if (SUCCEEDED(hr))
        hr = CreateUniqueFolder(dataFolder, "snapshot-", &work);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to create the folders for %s",
                    target->path.c_str());
        PrintErrorTrail(dataFolder, "Snapshot " + target->path);
        return kExitFailure;
    }
    int status = Snapshot(*target, work, prompter, dataFolder);
    fs::remove_all(work, ec);
    return status;
}

} // namespace vellum
