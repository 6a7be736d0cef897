// The window's icon snapshot: names, checks, and the job from collecting to packaging.
#include "iconset/SnapshotJob.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "iconset/IconSnapshot.h"
#include "iconset/IconsetEngine.h"
#include "iconset/SnapshotPackage.h"
#include "iconset/ZipArchiveFile.h"
#include "platform/DataFolder.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace vellum {

namespace {

namespace fs = std::filesystem;

constexpr const char* kModule = trail::kIconset;
// Names and paths longer than this are refused, as the system's own path limit would.
constexpr std::size_t kMaxPath = 260;
constexpr const char* kCreateFail = "Create Directory Fail";

std::string WithoutTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && IsPathSeparator(folder.back()))
        folder.pop_back();
    return folder;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The Win32 error number inside an HRESULT made from one, for the messages that show it.
int ErrorNumber(HRESULT hr) {
    return int(std::uint32_t(hr) & 0xFFFF);
}

SnapshotMessage InvalidName(const std::string& stored) {
    return {"Invalid File Name",
            Format("The name\n\n%s\n\ncontains invalid characters.", stored.c_str())};
}

// Where the existence and length checks look: the archive or iconset file, or the library.
std::string FullPath(const SnapshotChoices& choices, const SnapshotNames& names) {
    bool inSubfolder = choices.individualIcons && choices.packaging == SnapshotPackaging::Iconset;
    return JoinPath(inSubfolder ? names.subfolder : names.targetFolder, names.storedName);
}

// The work folder is the snapshot's own; what an earlier snapshot left there must not mix in.
void EmptyFolder(const std::string& folder) {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        fs::remove_all(entry.path(), ec);
}

std::string NumberedIcon(int number) {
    return Format("14%.5d.ico", number);
}

} // namespace

std::optional<SnapshotMessage> PrepareSnapshotFolders(WindowsSystem& system,
                                                      const std::string& dataFolder,
                                                      SnapshotFolders* folders) {
    folders->work = JoinPath(JoinPath(dataFolder, "temp"), "Snapshot.tmp");
    HRESULT hr = CreateFolders(folders->work);
    if (FAILED(hr))
        return SnapshotMessage{kCreateFail, Format("Failed to create directory (%d)\n\n%s\n\n",
                                                   ErrorNumber(hr), folders->work.c_str())};
    std::string icons = system.WindowsFolder() + "\\Resources\\Icons";
    folders->target = WithoutTrailingSeparators(system.ToHostPath(icons));
    if (folders->target.empty() || FAILED(CreateFolders(folders->target)))
        return SnapshotMessage{kCreateFail,
                               Format("Failed to create directory\n\n%s\n\n",
                                      (folders->target.empty() ? icons : folders->target).c_str())};
    return std::nullopt;
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || std::strchr("<>:\"|?*/\\", c) != nullptr;
    });
}

SnapshotNames ChooseSnapshotNames(const SnapshotChoices& choices, const std::string& targetFolder) {
    SnapshotNames names;
    names.targetFolder = WithoutTrailingSeparators(targetFolder);
    const std::string& text = choices.name;
    if (IsPlainFileName(text))
        names.baseName = SplitPath(text).fname;
    names.itemName = choices.individualIcons ? names.baseName : names.baseName + ".icl";
    if (names.baseName.empty())
        names.storedName = text; // refused by the checks
    else if (choices.packaging == SnapshotPackaging::Iconset)
        names.storedName = names.baseName + ".iconset";
    else if (choices.packaging == SnapshotPackaging::Iconzip)
        names.storedName = names.baseName + ".iconzip";
    else
        names.storedName = names.itemName;
    if (choices.individualIcons && !names.baseName.empty())
        names.subfolder = JoinPath(names.targetFolder, names.baseName);
    bool folderOnly = choices.individualIcons && choices.packaging == SnapshotPackaging::None;
    names.resultPath = folderOnly ? names.subfolder : FullPath(choices, names);
    return names;
}

std::optional<SnapshotMessage> CheckSnapshotChoices(const SnapshotChoices& choices,
                                                    const SnapshotNames& names) {
    if (choices.categories.empty())
        return SnapshotMessage{"Error: Please Select Icons",
                               "No icons are selected to be included in icon set.\n\rPlease "
                               "select icons to continue."};
    if (names.storedName.empty())
        return SnapshotMessage{"Error: Please Specify Filename.",
                               "No filename specified.\n\rPlease select a filename to save the "
                               "icons to."};
    if (names.storedName.size() > kMaxPath)
        return SnapshotMessage{"Filname too long", "The filename specified is too long."};
    if (names.baseName.empty() || !IsPlainFileName(names.storedName))
        return InvalidName(names.storedName);
    if (!choices.individualIcons || choices.packaging != SnapshotPackaging::None) {
        std::string full = FullPath(choices, names);
        if (full.size() > kMaxPath)
            return SnapshotMessage{"Name too long",
                                   Format("The name\n\n%s\n\nis too long.", full.c_str())};
        // The library beside an iconset file is a result too, and never replaces a file.
        std::string library = JoinPath(names.targetFolder, names.baseName + ".icl");
        bool besideIconset =
            !choices.individualIcons && choices.packaging == SnapshotPackaging::Iconset;
        for (const std::string& path : {full, besideIconset ? library : full})
            if (Exists(path))
                return SnapshotMessage{"Error: File Exists",
                                       Format("An iconset with the name\n\n%s\n\nalready exists. "
                                              "Please choose another name.",
                                              path.c_str())};
    }
    // Icons are written into the subfolder, which must be new so no file of the user's is hit.
    if (choices.individualIcons && choices.packaging != SnapshotPackaging::Iconzip &&
        Exists(names.subfolder))
        return SnapshotMessage{"Error: Directory Exists",
                               Format("A Directory with the name\n\n%s\n\nalready exists. Please "
                                      "choose another name.",
                                      names.subfolder.c_str())};
    return std::nullopt;
}

// ---- the job ---------------------------------------------------------------------------------

SnapshotJob::SnapshotJob(WindowsSystem& system, std::string dataFolder, SnapshotFolders folders,
                         SnapshotChoices choices)
    : system_(system), dataFolder_(std::move(dataFolder)), folders_(std::move(folders)),
      choices_(std::move(choices)), names_(ChooseSnapshotNames(choices_, folders_.target)) {}

HRESULT SnapshotJob::Run(Prompter& prompter, ProgressSink& progress) {
    placed_.clear();
    HRESULT hr = Build(prompter, progress);
    if (FAILED(hr)) {
        RemovePlaced();
        return hr;
    }
    progress.SetStatus("Finished");
    progress.SetPercent(100);
    return S_OK;
}

HRESULT SnapshotJob::Build(Prompter& prompter, ProgressSink& progress) {
    EmptyFolder(folders_.work);
    HRESULT hr = MakeSubfolder();
    if (FAILED(hr))
        return hr;
    IconsetEngine engine(system_, JoinPath(folders_.work, names_.storedName), dataFolder_);
    IconSnapshot snapshot(engine, false);
    // A missing catalogue is no failure: the snapshot then holds no icons.
    if (hr = engine.Open(); FAILED(hr))
        return hr;
    SnapshotOptions options;
    options.categories = choices_.categories;
    options.keepMostColors = choices_.keepMostColors;
    options.sizeLimit = choices_.sizeLimit;
    options.individualIcons = choices_.individualIcons;
    options.libraryPath = JoinPath(folders_.work, names_.baseName + ".icl");
    hr = snapshot.TakeSnapshot(options, prompter, progress);
    dropped_ = snapshot.DroppedIcons();
    if (SUCCEEDED(hr) && progress.CancelRequested())
        hr = E_ABORT;
    if (FAILED(hr))
        return hr;
    return choices_.individualIcons ? PackageIcons(snapshot, progress)
                                    : PackageLibrary(snapshot, progress);
}

// Individual icons that stay on disk go into a folder of their own, made new here.
HRESULT SnapshotJob::MakeSubfolder() {
    if (!choices_.individualIcons || choices_.packaging == SnapshotPackaging::Iconzip)
        return S_OK;
    std::error_code ec;
    if (!fs::create_directory(names_.subfolder, ec)) {
        HRESULT hr = ec ? HResultFromErrno(ec.value()) : HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
        ReportError(kModule, __LINE__, hr, "Failed to create directory\n\n%s\n\n",
                    names_.subfolder.c_str());
        return hr;
    }
    placed_.push_back(names_.subfolder);
    return S_OK;
}

HRESULT SnapshotJob::PackageLibrary(IconSnapshot& snapshot, ProgressSink& progress) {
    std::string library = JoinPath(folders_.work, names_.baseName + ".icl");
    std::string document = JoinPath(folders_.work, names_.baseName + ".iconset");
    HRESULT hr = S_OK;
    switch (choices_.packaging) {
    case SnapshotPackaging::Iconset:
        hr = snapshot.SnapshotDocument().Save(document);
        if (SUCCEEDED(hr))
            hr = Place(library, JoinPath(names_.targetFolder, names_.itemName));
        return SUCCEEDED(hr) ? Place(document, names_.resultPath) : hr;
    case SnapshotPackaging::Iconzip:
        hr = snapshot.SnapshotDocument().Save(document);
        if (SUCCEEDED(hr))
            hr = ZipSnapshotFiles({document, library}, folders_.work, names_.resultPath, progress);
        if (SUCCEEDED(hr))
            placed_.push_back(names_.resultPath);
        return hr;
    case SnapshotPackaging::None:
        break;
    }
    return Place(library, names_.resultPath);
}

HRESULT SnapshotJob::PackageIcons(IconSnapshot& snapshot, ProgressSink& progress) {
    progress.SetStatus("Building Snapshot");
    switch (choices_.packaging) {
    case SnapshotPackaging::Iconset: {
        HRESULT hr = snapshot.SaveIndividualIcons(names_.subfolder, progress, "Renaming");
        std::string document = JoinPath(folders_.work, names_.storedName);
        if (SUCCEEDED(hr))
            hr = snapshot.SnapshotDocument().Save(document);
        return SUCCEEDED(hr) ? Place(document, names_.resultPath) : hr;
    }
    case SnapshotPackaging::Iconzip:
        return ZipIcons(snapshot, progress);
    case SnapshotPackaging::None:
        break;
    }
    return CopyNumberedIcons(snapshot.IconCount(), progress);
}

HRESULT SnapshotJob::CopyNumberedIcons(int count, ProgressSink& progress) {
    for (int number = 1; number <= count; ++number) {
        if (progress.CancelRequested())
            return E_ABORT;
        std::string name = NumberedIcon(number);
        progress.SetStatus(Format("Copying (%s)", name.c_str()));
        HRESULT hr = Place(JoinPath(folders_.work, name), JoinPath(names_.subfolder, name));
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

// The icons, named after their entries, and the iconset file are staged in the work folder and
// zipped from there; the target folder receives only the archive.
HRESULT SnapshotJob::ZipIcons(IconSnapshot& snapshot, ProgressSink& progress) {
    std::string staging = JoinPath(folders_.work, "zip");
    HRESULT hr = CreateFolders(staging);
    if (SUCCEEDED(hr))
        hr = snapshot.SaveIndividualIcons(staging, progress, "Renaming");
    std::string document = JoinPath(staging, names_.baseName + ".iconset");
    if (SUCCEEDED(hr))
        hr = snapshot.SnapshotDocument().Save(document);
    if (FAILED(hr))
        return hr;
    std::vector<std::string> files;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(staging, ec))
        if (HasExtension(entry.path().string(), ".ico"))
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    files.push_back(document);
    hr = ZipSnapshotFiles(files, folders_.work, names_.resultPath, progress);
    if (SUCCEEDED(hr))
        placed_.push_back(names_.resultPath);
    progress.SetStatus("Removing Temporary Files");
    fs::remove_all(staging, ec);
    return hr;
}

HRESULT SnapshotJob::Place(const std::string& source, const std::string& target) {
    HRESULT hr = PlaceNewFile(source, target);
    if (SUCCEEDED(hr))
        placed_.push_back(target);
    return hr;
}

void SnapshotJob::RemovePlaced() {
    std::error_code ec;
    for (auto it = placed_.rbegin(); it != placed_.rend(); ++it)
        fs::remove_all(*it, ec);
    placed_.clear();
}

// ---- opening the result ----------------------------------------------------------------------

HRESULT PrepareSnapshotOpening(const SnapshotJob& job, const std::string& dataFolder,
                               SnapshotOpening* opening) {
    const SnapshotNames& names = job.Names();
    bool individual = job.Choices().individualIcons;
    if (job.Choices().packaging != SnapshotPackaging::Iconzip) {
        opening->library = individual ? "" : JoinPath(names.targetFolder, names.itemName);
        opening->folder = individual ? names.subfolder : "";
        return S_OK;
    }
    std::string unzip = JoinPath(dataFolder, "unzip");
    HRESULT hr = CreateFolders(unzip);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to create directory\n\n%s\n\n", unzip.c_str());
        return hr;
    }
    GuardedFolderDelete(unzip, false, dataFolder); // what an earlier opening extracted
    try {
        ZipArchiveFile zip;
        zip.Open(names.resultPath, ZipArchiveFile::Mode::ReadOnly);
        for (std::size_t i = 0; i < zip.Count(); ++i)
            zip.Extract(i, unzip);
        zip.Close();
    } catch (const ZipError& e) {
        ReportError(kModule, __LINE__, E_FAIL, "Cannot extract %s: %s", names.resultPath.c_str(),
                    e.what());
        return E_FAIL;
    }
    opening->library = individual ? "" : JoinPath(unzip, names.itemName);
    opening->folder = individual ? unzip : "";
    return S_OK;
}

} // namespace vellum
