// ApplyRestore: reading a backup folder, checking all of it, saving the present state, and only
// then putting the recorded registry values, shell files and icon files back.
#include "iconset/ApplyRestore.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "iconset/ApplyBackup.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace vellum {

namespace {

namespace fs = std::filesystem;

constexpr const char* kModule = trail::kIconset;
constexpr std::uint32_t kErrorInvalidData = 13;
const char kClasses[] = "Software\\Classes\\";

enum class Change { SetValue, DeleteValue, CreateKey, DeleteKey };

struct RegistryChange {
    Change kind = Change::SetValue;
    RootKey root = RootKey::ClassesRoot;
    std::string key;
    std::string name;
    std::string text;
    std::uint32_t type = 1;
};

struct FileChange {
    std::string path; // Windows path
    bool remove = false;
    std::string copy; // host path of the copy that goes back
};

// Everything a backup folder holds, read and checked before anything changes.
struct BackupContents {
    SavedState state;
    std::vector<std::vector<std::uint8_t>> copies; // per entry of state.files; empty for none
    bool hasIcons = false;                         // the folder has icons/
    std::vector<fs::path> icons;
};

struct RestorePlan {
    std::vector<RegistryChange> registry;
    std::vector<FileChange> files;
};

HRESULT Refuse(HRESULT hr, const std::string& message) {
    ReportError(kModule, __LINE__, hr, "%s\n", message.c_str());
    return hr;
}

// A plain file, not a link to somewhere else.
bool IsPlainFile(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::regular;
}

HRESULT ReadFileChecked(const fs::path& path, std::vector<std::uint8_t>* bytes) {
    if (!IsPlainFile(path))
        return Refuse(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                      path.string() + " is missing or not a plain file.");
    return ReadWholeFile(path.string(), *bytes);
}

HRESULT ReadIcons(const std::string& folder, BackupContents* contents) {
    fs::path icons = fs::path(folder) / "icons";
    std::error_code ec;
    contents->hasIcons = fs::is_directory(fs::symlink_status(icons, ec));
    if (!contents->hasIcons)
        return S_OK;
    for (auto it = fs::directory_iterator(icons, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        if (!IsPlainFile(it->path()))
            return Refuse(HRESULT_FROM_WIN32(kErrorInvalidData),
                          it->path().string() + " is not a plain file.");
        contents->icons.push_back(it->path());
    }
    std::sort(contents->icons.begin(), contents->icons.end());
    return ec ? HResultFromErrno(ec.value()) : S_OK;
}

HRESULT ReadBackupFolder(WindowsSystem& system, const std::string& folder,
                         BackupContents* contents) {
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadFileChecked(folder + "registry.reg", &bytes);
    if (SUCCEEDED(hr))
        hr = ReadSavedRegistry(bytes, &contents->state);
    if (SUCCEEDED(hr))
        hr = ReadFileChecked(folder + "files.txt", &bytes);
    if (SUCCEEDED(hr))
        hr = ReadSavedFiles(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
            &contents->state);
    if (FAILED(hr))
        return hr;
    for (const SavedFile& file : contents->state.files) {
        if (system.ToHostPath(file.windowsPath).empty())
            return Refuse(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
                          file.windowsPath + " lies outside the drives of the system.");
        contents->copies.emplace_back();
        if (!file.copy.empty() &&
            FAILED(hr = ReadFileChecked(fs::path(folder) / "files" / file.copy,
                                        &contents->copies.back())))
            return hr;
    }
    return ReadIcons(folder, contents);
}

std::string Describe(const RegistryChange& c) {
    switch (c.kind) {
    case Change::SetValue:
        return ValueDescription(c.root, c.key, c.name) + " = " + c.text;
    case Change::DeleteValue:
        return "deleted " + ValueDescription(c.root, c.key, c.name);
    case Change::CreateKey:
        return "created " + std::string(RootKeyName(c.root)) + "\\" + c.key;
    case Change::DeleteKey:
        break;
    }
    return "deleted " + std::string(RootKeyName(c.root)) + "\\" + c.key;
}

bool IsKeyOrBelow(std::string_view candidate, std::string_view key) {
    return candidate.size() >= key.size() && EqualsNoCase(candidate.substr(0, key.size()), key) &&
           (candidate.size() == key.size() || candidate[key.size()] == '\\');
}

// Works out the registry changes from the registry as it is, one recorded key after the other;
// keys that an earlier change deletes count as gone for the later ones.
class RegistryPlanner {
public:
    RegistryPlanner(WindowsSystem& system, std::vector<RegistryChange>& changes)
        : system_(system), changes_(changes) {}

    void Key(const SavedKey& saved) {
        bool exists =
            !Deleted(saved.root, saved.key) && RegistryKeyExists(system_, saved.root, saved.key);
        if (!saved.existed && exists)
            changes_.push_back({Change::DeleteKey, saved.root, saved.key, "", "", 1});
        else if (saved.existed && saved.values.empty() && !exists)
            changes_.push_back({Change::CreateKey, saved.root, saved.key, "", "", 1});
        for (const SavedValue& value : saved.values)
            Value(saved, value);
    }

private:
    bool Deleted(RootKey root, const std::string& key) const {
        for (const RegistryChange& c : changes_) {
            if (c.kind != Change::DeleteKey)
                continue;
            if ((c.root == root && IsKeyOrBelow(key, c.key)) ||
                (c.root == RootKey::ClassesRoot && root != RootKey::Users &&
                 IsKeyOrBelow(key, kClasses + c.key)))
                return true;
        }
        return false;
    }

    // The same value may be recorded under HKEY_CLASSES_ROOT and under the hive's own
    // Software\Classes key; once a change deletes it, it is gone for the others.
    bool HasValue(RootKey root, const std::string& key, const std::string& name) const {
        for (const RegistryChange& c : changes_)
            if (c.kind == Change::DeleteValue && c.root == root && EqualsNoCase(c.key, key) &&
                EqualsNoCase(c.name, name))
                return false;
        std::uint32_t type = 0;
        return !Deleted(root, key) && SUCCEEDED(system_.ReadValueType(root, key, name, &type));
    }

    // The keys that hold the value now. For HKEY_CLASSES_ROOT these are the user's and the
    // machine's Software\Classes keys: applying writes a class's value through
    // HKEY_CLASSES_ROOT and through the user's key, so a value goes back to the key that holds
    // it rather than to the one a new value would go to.
    std::vector<std::pair<RootKey, std::string>> Holders(const SavedKey& saved,
                                                         const std::string& name) const {
        std::vector<std::pair<RootKey, std::string>> holders;
        if (saved.root != RootKey::ClassesRoot) {
            if (HasValue(saved.root, saved.key, name))
                holders.push_back({saved.root, saved.key});
            return holders;
        }
        for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine})
            if (HasValue(root, kClasses + saved.key, name))
                holders.push_back({root, kClasses + saved.key});
        return holders;
    }

    void Value(const SavedKey& saved, const SavedValue& value) {
        auto holders = Holders(saved, value.name);
        if (!value.existed) {
            for (const auto& [root, key] : holders)
                changes_.push_back({Change::DeleteValue, root, key, value.name, "", 1});
            return;
        }
        if (holders.empty()) {
            changes_.push_back(
                {Change::SetValue, saved.root, saved.key, value.name, value.text, value.type});
            return;
        }
        auto [root, key] = holders.front();
        std::string text;
        std::uint32_t type = 0;
        if (SUCCEEDED(system_.ReadString(root, key, value.name, &text)) &&
            SUCCEEDED(system_.ReadValueType(root, key, value.name, &type)) && text == value.text &&
            type == value.type)
            return; // already as recorded: its line stays untouched
        changes_.push_back({Change::SetValue, root, key, value.name, value.text, value.type});
    }

    WindowsSystem& system_;
    std::vector<RegistryChange>& changes_;
};

// Keys in the reverse of their recorded order, so that values applying wrote last are taken back
// first (a class's per-user key before the machine's value it shadows).
RestorePlan PlanRestore(WindowsSystem& system, const BackupContents& contents,
                        const std::string& folder) {
    RestorePlan plan;
    RegistryPlanner planner(system, plan.registry);
    for (auto it = contents.state.keys.rbegin(); it != contents.state.keys.rend(); ++it)
        planner.Key(*it);
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < contents.state.files.size(); ++i) {
        const SavedFile& file = contents.state.files[i];
        if (std::any_of(seen.begin(), seen.end(),
                        [&](const std::string& s) { return EqualsNoCase(s, file.windowsPath); }))
            continue; // a file saved twice: its first copy is its state before
        seen.push_back(file.windowsPath);
        std::vector<std::uint8_t> present;
        std::string host = system.ToHostPath(file.windowsPath);
        bool exists = IsPlainFile(host) && SUCCEEDED(ReadWholeFile(host, present));
        if (file.copy.empty() && exists)
            plan.files.push_back({file.windowsPath, true, {}});
        else if (!file.copy.empty() && (!exists || present != contents.copies[i]))
            plan.files.push_back({file.windowsPath, false, folder + "files/" + file.copy});
    }
    return plan;
}

// Anything whose present state cannot be saved is left as it is.
void SaveBeforeRestoring(ApplyBackup& backup, RestorePlan& plan, ApplyResult& result) {
    std::erase_if(plan.registry, [&](const RegistryChange& c) {
        bool value = c.kind == Change::SetValue || c.kind == Change::DeleteValue;
        HRESULT hr =
            value ? backup.SaveValue(c.root, c.key, c.name) : backup.SaveKeyState(c.root, c.key);
        if (FAILED(hr))
            result.skipped.push_back("left " + Describe(c) + ": the present state cannot be saved");
        return FAILED(hr);
    });
    std::erase_if(plan.files, [&](const FileChange& c) {
        bool failed = FAILED(backup.SaveFile(c.path));
        if (failed)
            result.skipped.push_back("left " + c.path + ": it cannot be copied");
        return failed;
    });
}

// The working folder's icon files: its files, not its folders (Backup) or hidden files.
std::vector<fs::path> PresentIcons(const std::string& working) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::directory_iterator(working, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!name.empty() && name.front() != '.' && IsPlainFile(it->path()))
            files.push_back(it->path());
    }
    return files;
}

HRESULT CopyFiles(const std::vector<fs::path>& files, const std::string& folder) {
    HRESULT hr = CreateFolders(folder);
    std::error_code ec;
    for (const fs::path& file : files) {
        if (FAILED(hr))
            break;
        fs::copy_file(file, fs::path(folder) / file.filename(),
                      fs::copy_options::overwrite_existing, ec);
        if (ec)
            hr = Refuse(HResultFromErrno(ec.value()), "Cannot copy " + file.string());
    }
    return hr;
}

HRESULT ApplyChange(WindowsSystem& system, const RegistryChange& c) {
    switch (c.kind) {
    case Change::SetValue:
        return system.WriteStringValue(c.root, c.key, c.name, c.text, c.type);
    case Change::DeleteValue:
        return system.DeleteValue(c.root, c.key, c.name);
    case Change::CreateKey:
        return system.CreateKey(c.root, c.key);
    case Change::DeleteKey:
        break;
    }
    return system.DeleteKey(c.root, c.key);
}

void MakeChanges(WindowsSystem& system, const RestorePlan& plan, ApplyResult& result) {
    for (const RegistryChange& change : plan.registry)
        result.Record(ApplyChange(system, change), Describe(change));
    for (const FileChange& change : plan.files)
        result.Record(change.remove ? system.RemoveFile(change.path)
                                    : system.RestoreFileCopy(change.copy, change.path),
                      (change.remove ? "deleted " : "put back ") + change.path);
}

// The present icon files make way for the backup's.
void PutBackIcons(const BackupContents& contents, const std::vector<fs::path>& present,
                  const std::string& working, ApplyResult& result) {
    std::error_code ec;
    for (const fs::path& file : present)
        if (!fs::remove(file, ec) && ec)
            result.failed.push_back("removing " + file.string() + ": " + ec.message());
    HRESULT hr = CopyFiles(contents.icons, working);
    if (FAILED(hr))
        result.failed.push_back(Format("putting the icon files back into %s (error 0x%08X)",
                                       working.c_str(), unsigned(hr)));
    else
        result.done.push_back(
            Format("put back %zu icon files into %s", contents.icons.size(), working.c_str()));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "20261207-114502" (and "20261207-114502-2", a second folder of that second), as ApplyBackup's
// NewFolder names them.
std::string WhenOfFolderName(const std::string& name) {
    bool stamp = name.size() >= 15 && name[8] == '-' && (name.size() == 15 || name[15] == '-') &&
                 std::all_of(name.begin(), name.begin() + 8, IsDigit) &&
                 std::all_of(name.begin() + 9, name.begin() + 15, IsDigit);
    if (!stamp)
        return {};
    return name.substr(0, 4) + "-" + name.substr(4, 2) + "-" + name.substr(6, 2) + " " +
           name.substr(9, 2) + ":" + name.substr(11, 2) + ":" + name.substr(13, 2);
}

} // namespace

std::vector<ApplyBackupEntry> ListApplyBackups(const std::string& workingFolder) {
    struct Found {
        ApplyBackupEntry entry;
        std::string name;
        int number; // NewFolder's "-2", "-3", ... for folders of the same second
    };
    std::vector<Found> found;
    std::error_code ec;
    fs::path parent = fs::path(workingFolder) / "Backup";
    for (auto it = fs::directory_iterator(parent, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::vector<std::uint8_t> bytes;
        if (!it->is_directory(ec) || !IsPlainFile(it->path() / "registry.reg") ||
            FAILED(ReadWholeFile((it->path() / "registry.reg").string(), bytes)))
            continue;
        std::string name = it->path().filename().string();
        std::string when = WhenOfFolderName(name);
        int number = when.empty() || name.size() <= 16 ? 1 : std::atoi(name.c_str() + 16);
        found.push_back({{WithTrailingSeparator(it->path().string()), when, ReadSavedNote(bytes)},
                         when.empty() ? std::string() : name.substr(0, 15),
                         number});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.name != b.name ? a.name > b.name : a.number > b.number;
    });
    std::vector<ApplyBackupEntry> entries;
    for (Found& f : found)
        entries.push_back(std::move(f.entry));
    return entries;
}

HRESULT RestoreApplyBackup(WindowsSystem& system, const std::string& backupFolder,
                           const std::string& workingFolder, ApplyResult* result) {
    if (backupFolder.empty() || workingFolder.empty())
        return Refuse(E_INVALIDARG, "A restore needs the backup folder and the working folder.");
    std::string folder = WithTrailingSeparator(backupFolder);
    std::string working = WithTrailingSeparator(workingFolder);
    BackupContents contents;
    HRESULT hr = ReadBackupFolder(system, folder, &contents);
    if (FAILED(hr))
        return Refuse(hr, "The backup " + folder + " cannot be restored; nothing was changed.");
    RestorePlan plan = PlanRestore(system, contents, folder);
    std::vector<fs::path> present =
        contents.hasIcons ? PresentIcons(working) : std::vector<fs::path>();
    std::string saved;
    hr = ApplyBackup::NewFolder(working + "Backup", &saved);
    ApplyBackup backup(system);
    if (SUCCEEDED(hr) && SUCCEEDED(hr = backup.Create(saved, folder, BackupCause::Restore))) {
        SaveBeforeRestoring(backup, plan, *result);
        if (contents.hasIcons)
            hr = CopyFiles(present, saved + "icons");
    }
    if (SUCCEEDED(hr))
        hr = backup.Finish();
    if (FAILED(hr)) {
        std::error_code ignored;
        if (!saved.empty())
            fs::remove_all(saved, ignored);
        return Refuse(hr, "Cannot save the present state in " + working +
                              "Backup; nothing was changed.");
    }
    result->backupFolder = saved;
    MakeChanges(system, plan, *result);
    if (contents.hasIcons)
        PutBackIcons(contents, present, working, *result);
    else
        result->skipped.push_back("the icon files in " + working +
                                  " stay: the backup holds no icons folder");
    system.RefreshDesktop();
    return S_OK;
}

} // namespace vellum
