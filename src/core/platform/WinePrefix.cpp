// WinePrefix: registry, shell folders, environment and drive mapping of a Wine prefix.
#include "platform/WinePrefix.h"

#include "common/FileIo.h"
#include "common/IniFile.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "platform/ShellLinkFile.h"
#include "platform/WineServer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#ifdef __linux__
#include <sys/xattr.h>
#endif

namespace vellum {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kErrorInvalidData = 13;
constexpr int kMaxExpansionDepth = 8;
const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kNtCurrentVersion[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";
const char kProfileList[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char kMachineEnvironment[] =
    "System\\CurrentControlSet\\Control\\Session Manager\\Environment";

// Shell folders that the shell records by name under ...\Explorer\Shell Folders.
struct ShellFolderName {
    int csidl;
    bool common; // HKLM rather than HKCU
    const char* name;
};
const ShellFolderName kShellFolderNames[] = {
    {csidl::kDesktop, false, "Desktop"},
    {csidl::kDesktopDirectory, false, "Desktop"},
    {csidl::kPrograms, false, "Programs"},
    {csidl::kPersonal, false, "Personal"},
    {csidl::kFavorites, false, "Favorites"},
    {csidl::kStartup, false, "Startup"},
    {csidl::kRecent, false, "Recent"},
    {csidl::kSendTo, false, "SendTo"},
    {csidl::kStartMenu, false, "Start Menu"},
    {csidl::kMyMusic, false, "My Music"},
    {csidl::kMyVideo, false, "My Videos"},
    {csidl::kNetHood, false, "NetHood"},
    {csidl::kFonts, false, "Fonts"},
    {csidl::kTemplates, false, "Templates"},
    {csidl::kAppData, false, "AppData"},
    {csidl::kPrintHood, false, "PrintHood"},
    {csidl::kLocalAppData, false, "Local AppData"},
    {csidl::kInternetCache, false, "Cache"},
    {csidl::kCookies, false, "Cookies"},
    {csidl::kHistory, false, "History"},
    {csidl::kMyPictures, false, "My Pictures"},
    {csidl::kAdminTools, false, "Administrative Tools"},
    {csidl::kCommonStartMenu, true, "Common Start Menu"},
    {csidl::kCommonPrograms, true, "Common Programs"},
    {csidl::kCommonStartup, true, "Common Startup"},
    {csidl::kCommonDesktopDirectory, true, "Common Desktop"},
    {csidl::kCommonFavorites, true, "Common Favorites"},
    {csidl::kCommonAppData, true, "Common AppData"},
    {csidl::kCommonTemplates, true, "Common Templates"},
    {csidl::kCommonDocuments, true, "Common Documents"},
    {csidl::kCommonAdminTools, true, "Common Administrative Tools"},
    {csidl::kCommonMusic, true, "CommonMusic"},
    {csidl::kCommonPictures, true, "CommonPictures"},
    {csidl::kCommonVideo, true, "CommonVideo"},
};

std::string WithoutTrailingBackslash(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

bool IsDriveLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

const char kDosAttributes[] = "user.DOSATTRIB";

// What a rewrite through a temporary file would lose: the permission bits and the DOS
// attributes Wine keeps beside them.
struct HostAttributes {
    bool exists = false;
    fs::perms permissions = fs::perms::none;
    std::string dosAttributes;
};

std::string GetDosAttributes(const std::string& host) {
#ifdef __linux__
    char value[64];
    ssize_t length = ::getxattr(host.c_str(), kDosAttributes, value, sizeof value);
    if (length > 0)
        return std::string(value, std::size_t(length));
#else
    (void)host;
#endif
    return {};
}

// A file system without extended attributes loses only the hidden flag; nothing fails for it.
void SetDosAttributes(const std::string& host, const std::string& value) {
#ifdef __linux__
    ::setxattr(host.c_str(), kDosAttributes, value.data(), value.size(), 0);
#else
    (void)host;
    (void)value;
#endif
}

HostAttributes SaveAttributes(const std::string& host) {
    HostAttributes kept;
    std::error_code ec;
    fs::file_status status = fs::status(host, ec);
    kept.exists = !ec && fs::is_regular_file(status);
    if (kept.exists) {
        kept.permissions = status.permissions();
        kept.dosAttributes = GetDosAttributes(host);
    }
    return kept;
}

// The attribute before the permissions: a file without write permission refuses new extended
// attributes to anyone but root.
void RestoreAttributes(const std::string& host, const HostAttributes& kept) {
    if (!kept.exists)
        return;
    if (!kept.dosAttributes.empty())
        SetDosAttributes(host, kept.dosAttributes);
    std::error_code ec;
    fs::permissions(host, kept.permissions, fs::perm_options::replace, ec);
}

} // namespace

WinePrefix::WinePrefix(std::string folder) : folder_(std::move(folder)) {}

std::string WinePrefix::DefaultFolder() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        return prefix;
    const char* home = std::getenv("HOME");
    return JoinPath(home ? home : "", ".wine");
}

std::string WinePrefix::HivePath(Hive hive) const {
    return JoinPath(folder_, hive == Hive::Machine ? "system.reg" : "user.reg");
}

const WineRegistryFile* WinePrefix::Read(Hive hive) {
    std::string path = HivePath(hive);
    std::error_code timeError, sizeError;
    fs::file_time_type time = fs::last_write_time(path, timeError);
    std::uintmax_t size = fs::file_size(path, sizeError);
    if (timeError || sizeError)
        return nullptr;
    CachedFile& cached = cache_[hive];
    if (FAILED(cached.loaded) || cached.time != time || cached.size != size) {
        cached.loaded = cached.file.Load(path);
        cached.time = time;
        cached.size = size;
    }
    return SUCCEEDED(cached.loaded) ? &cached.file : nullptr;
}

std::vector<WinePrefix::HiveKey> WinePrefix::Resolve(RootKey root, std::string_view key) const {
    std::string path(key);
    while (!path.empty() && path.front() == '\\')
        path.erase(0, 1);
    switch (root) {
    case RootKey::LocalMachine:
        return {{Hive::Machine, path}};
    case RootKey::CurrentUser:
        return {{Hive::User, path}};
    case RootKey::ClassesRoot: {
        std::string classes = path.empty() ? "Software\\Classes" : "Software\\Classes\\" + path;
        return {{Hive::User, classes}, {Hive::Machine, classes}};
    }
    case RootKey::Users:
        break;
    }
    return {};
}

std::optional<WineRegistryFile::Value> WinePrefix::FindValue(RootKey root, std::string_view key,
                                                             std::string_view valueName) {
    for (const HiveKey& where : Resolve(root, key)) {
        const WineRegistryFile* file = Read(where.hive);
        if (std::optional<WineRegistryFile::Value> found =
                file ? file->FindValue(where.key, valueName) : std::nullopt)
            return found;
    }
    return std::nullopt;
}

HRESULT WinePrefix::ReadString(RootKey root, std::string_view key, std::string_view valueName,
                               std::string* value) {
    std::optional<WineRegistryFile::Value> found = FindValue(root, key, valueName);
    if (!found)
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (found->type != 1 && found->type != 2)
        return HRESULT_FROM_WIN32(kErrorInvalidData);
    *value = found->text;
    return S_OK;
}

HRESULT WinePrefix::ReadValueType(RootKey root, std::string_view key, std::string_view valueName,
                                  std::uint32_t* type) {
    std::optional<WineRegistryFile::Value> found = FindValue(root, key, valueName);
    if (!found)
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    *type = std::uint32_t(found->type);
    return S_OK;
}

// Edits a fresh copy of the file and saves it; a file that cannot be parsed is never written.
template <typename Edit> HRESULT WinePrefix::EditHive(Hive hive, Edit edit) {
    WineRegistryFile file;
    HRESULT hr = file.Load(HivePath(hive));
    if (FAILED(hr))
        return hr;
    edit(file);
    hr = file.Save();
    cache_.erase(hive);
    return hr;
}

HRESULT WinePrefix::WriteTarget(RootKey root, std::string_view key, HiveKey* target) {
    std::vector<HiveKey> keys = Resolve(root, key);
    if (keys.empty())
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    *target = keys.back();
    for (const HiveKey& candidate : keys) {
        const WineRegistryFile* file = Read(candidate.hive);
        if (file && file->HasKey(candidate.key)) {
            *target = candidate;
            break;
        }
    }
    return S_OK;
}

HRESULT WinePrefix::WriteString(RootKey root, std::string_view key, std::string_view valueName,
                                std::string_view value) {
    return WriteStringValue(root, key, valueName, value, 1); // REG_SZ
}

HRESULT WinePrefix::WriteStringValue(RootKey root, std::string_view key, std::string_view valueName,
                                     std::string_view value, std::uint32_t type) {
    if (type != 1 && type != 2)
        return E_INVALIDARG;
    HiveKey target;
    HRESULT hr = WriteTarget(root, key, &target);
    if (FAILED(hr))
        return hr;
    return EditHive(target.hive, [&](WineRegistryFile& file) {
        file.SetString(target.key, valueName, value, int(type));
    });
}

HRESULT WinePrefix::DeleteValue(RootKey root, std::string_view key, std::string_view valueName) {
    for (const HiveKey& where : Resolve(root, key)) {
        const WineRegistryFile* file = Read(where.hive);
        if (!file || !file->FindValue(where.key, valueName))
            continue;
        HRESULT hr =
            EditHive(where.hive, [&](WineRegistryFile& f) { f.DeleteValue(where.key, valueName); });
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT WinePrefix::CreateKey(RootKey root, std::string_view key) {
    HiveKey target;
    HRESULT hr = WriteTarget(root, key, &target);
    if (FAILED(hr))
        return hr;
    return EditHive(target.hive, [&](WineRegistryFile& file) { file.CreateKey(target.key); });
}

HRESULT WinePrefix::DeleteKey(RootKey root, std::string_view key) {
    for (const HiveKey& where : Resolve(root, key)) {
        const WineRegistryFile* file = Read(where.hive);
        if (!file || (file->Subkeys(where.key).empty() && !file->HasKey(where.key)))
            continue;
        HRESULT hr = EditHive(where.hive, [&](WineRegistryFile& f) { f.DeleteKey(where.key); });
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT WinePrefix::EnumerateSubkeys(RootKey root, std::string_view key,
                                     std::vector<std::string>* names) {
    names->clear();
    for (const HiveKey& where : Resolve(root, key))
        if (const WineRegistryFile* file = Read(where.hive))
            for (std::string& name : file->Subkeys(where.key)) {
                bool known = false;
                for (const std::string& have : *names)
                    known = known || EqualsNoCase(have, name);
                if (!known)
                    names->push_back(std::move(name));
            }
    return S_OK;
}

HRESULT WinePrefix::EnumerateValues(RootKey root, std::string_view key,
                                    std::vector<std::string>* names) {
    names->clear();
    bool anyKey = false;
    for (const HiveKey& where : Resolve(root, key)) {
        const WineRegistryFile* file = Read(where.hive);
        if (!file || !file->HasKey(where.key))
            continue;
        anyKey = true;
        for (WineRegistryFile::Value& value : file->Values(where.key)) {
            bool known = false;
            for (const std::string& have : *names)
                known = known || EqualsNoCase(have, value.name);
            if (!known)
                names->push_back(std::move(value.name));
        }
    }
    return anyKey ? S_OK : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

std::string WinePrefix::WindowsFolder() {
    std::string folder;
    if (FAILED(ReadString(RootKey::LocalMachine, kNtCurrentVersion, "SystemRoot", &folder)) ||
        folder.empty())
        folder = "C:\\windows";
    return WithoutTrailingBackslash(folder);
}

std::string WinePrefix::SystemFolder() {
    return WindowsFolder() + "\\system32";
}

std::string WinePrefix::UserProfile() {
    std::vector<std::string> sids;
    EnumerateSubkeys(RootKey::LocalMachine, kProfileList, &sids);
    for (const std::string& sid : sids) {
        std::string path;
        if (sid.rfind("S-1-5-21-", 0) == 0 &&
            SUCCEEDED(ReadString(RootKey::LocalMachine, std::string(kProfileList) + "\\" + sid,
                                 "ProfileImagePath", &path)))
            return WithoutTrailingBackslash(ExpandEnvironment(path, 1));
    }
    const char* user = std::getenv("USER");
    return std::string("C:\\users\\") + (user && *user ? user : "user");
}

// Built-in names first, then the user's and the machine's Environment keys.
std::string WinePrefix::LookupEnvironment(std::string_view name, int depth) {
    std::string upper = ToUpperAscii(name);
    if (upper == "SYSTEMROOT" || upper == "WINDIR")
        return WindowsFolder();
    if (upper == "SYSTEMDRIVE")
        return WindowsFolder().substr(0, 2);
    if (upper == "USERPROFILE")
        return UserProfile();
    if (upper == "USERNAME") {
        std::string profile = UserProfile();
        return profile.substr(profile.rfind('\\') + 1);
    }
    std::string value;
    auto fromKey = [&](RootKey root, const char* key, const char* valueName) {
        return SUCCEEDED(ReadString(root, key, valueName, &value)) && !value.empty();
    };
    if (upper == "PROGRAMFILES" &&
        !fromKey(RootKey::LocalMachine, kCurrentVersion, "ProgramFilesDir"))
        value = "C:\\Program Files";
    else if (upper == "COMMONPROGRAMFILES" &&
             !fromKey(RootKey::LocalMachine, kCurrentVersion, "CommonFilesDir"))
        value = "C:\\Program Files\\Common Files";
    else if (upper == "APPDATA" && FAILED(ShellFolder(csidl::kAppData, &value)))
        value.clear();
    else if (upper == "LOCALAPPDATA" && FAILED(ShellFolder(csidl::kLocalAppData, &value)))
        value.clear();
    else if (upper == "ALLUSERSPROFILE" || upper == "PROGRAMDATA")
        fromKey(RootKey::LocalMachine, kProfileList, "ProgramData");
    else if (upper == "PUBLIC")
        fromKey(RootKey::LocalMachine, kProfileList, "Public");
    if (value.empty() && !fromKey(RootKey::CurrentUser, "Environment", upper.c_str()))
        fromKey(RootKey::LocalMachine, kMachineEnvironment, upper.c_str());
    return ExpandEnvironment(value, depth + 1);
}

std::string WinePrefix::ExpandEnvironment(std::string_view text) {
    return ExpandEnvironment(text, 0);
}

// %NAME% references, expanded again inside their values up to a fixed depth so that values
// that name each other cannot loop.
std::string WinePrefix::ExpandEnvironment(std::string_view text, int depth) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t open = text.find('%', i);
        std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out += text.substr(i);
            break;
        }
        out += text.substr(i, open - i);
        std::string_view name = text.substr(open + 1, close - open - 1);
        std::string value =
            depth < kMaxExpansionDepth && !name.empty() ? LookupEnvironment(name, depth) : "";
        if (value.empty()) {
            out += text.substr(open, close - open);
            i = close; // the closing '%' may open the next reference
            continue;
        }
        out += value;
        i = close + 1;
    }
    return out;
}

HRESULT WinePrefix::ShellFolder(int id, std::string* folder) {
    if (id == csidl::kWindows || id == csidl::kSystem || id == csidl::kProfile ||
        id == csidl::kProgramFiles || id == csidl::kProgramFilesCommon) {
        const char* name = id == csidl::kWindows        ? "%SystemRoot%"
                           : id == csidl::kSystem       ? nullptr
                           : id == csidl::kProfile      ? "%USERPROFILE%"
                           : id == csidl::kProgramFiles ? "%ProgramFiles%"
                                                        : "%CommonProgramFiles%";
        *folder = name ? ExpandEnvironment(name) : SystemFolder();
        return S_OK;
    }
    for (const ShellFolderName& entry : kShellFolderNames) {
        if (entry.csidl != id)
            continue;
        RootKey root = entry.common ? RootKey::LocalMachine : RootKey::CurrentUser;
        std::string value;
        if (SUCCEEDED(ReadString(root, kShellFolders, entry.name, &value)) ||
            SUCCEEDED(ReadString(root, kUserShellFolders, entry.name, &value))) {
            *folder = WithoutTrailingBackslash(ExpandEnvironment(value));
            return S_OK;
        }
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    return E_INVALIDARG;
}

// Drive letters from dosdevices ("c:" -> "../drive_c", "z:" -> "/"); drive_c stands in for a
// missing "c:" link.
std::map<char, fs::path> WinePrefix::Drives() const {
    std::map<char, fs::path> drives;
    fs::path devices = fs::path(folder_) / "dosdevices";
    std::error_code ec;
    for (auto it = fs::directory_iterator(devices, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.size() != 2 || name[1] != ':' || !IsDriveLetter(name[0]))
            continue;
        std::error_code linkError;
        fs::path target = fs::read_symlink(it->path(), linkError);
        if (linkError)
            continue;
        drives[ToLowerAscii(name[0])] =
            fs::weakly_canonical(target.is_absolute() ? target : devices / target, linkError);
    }
    if (!drives.count('c'))
        drives['c'] = fs::weakly_canonical(fs::path(folder_) / "drive_c", ec);
    return drives;
}

std::string WinePrefix::ToHostPath(std::string_view windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':' || !IsDriveLetter(windowsPath[0]))
        return {};
    std::map<char, fs::path> drives = Drives();
    auto drive = drives.find(ToLowerAscii(windowsPath[0]));
    if (drive == drives.end())
        return {};
    std::string root = drive->second.string();
    std::string_view rest = windowsPath.substr(2);
    while (!rest.empty() && IsPathSeparator(rest.front()))
        rest.remove_prefix(1);
    if (rest.empty())
        return root;
    return ResolveInFolder(root, rest).value_or(std::string());
}

// The drive whose folder is the longest leading part of the path wins, so a path inside
// drive_c maps to C: rather than to Z:.
std::string WinePrefix::ToWindowsPath(std::string_view hostPath) {
    std::error_code ec;
    fs::path path = fs::weakly_canonical(fs::path(hostPath), ec);
    if (ec || !path.is_absolute())
        return {};
    std::string best;
    std::size_t bestLength = 0;
    for (const auto& [letter, root] : Drives()) {
        fs::path relative = path.lexically_relative(root);
        std::string rel = relative.generic_string();
        if (relative.empty() || rel == ".." || rel.rfind("../", 0) == 0)
            continue;
        std::size_t length = root.string().size();
        if (!best.empty() && length <= bestLength)
            continue;
        best = std::string(1, ToUpperAscii(letter)) + ":\\" + (rel == "." ? "" : rel);
        bestLength = length;
    }
    for (char& c : best)
        if (c == '/')
            c = '\\';
    return best;
}

#ifndef _WIN32
std::unique_ptr<WindowsSystem> OpenRunningSystem() {
    return std::make_unique<WinePrefix>(WinePrefix::DefaultFolder());
}

std::string RunningSystemProblem() {
    std::string prefix = WinePrefix::DefaultFolder();
    std::error_code ec;
    if (std::filesystem::is_regular_file(JoinPath(prefix, "system.reg"), ec))
        return {};
    return "There is no Wine prefix at " + prefix +
           " (system.reg is missing). Set WINEPREFIX to a prefix made with wineboot.";
}

std::string RunningSystemBusyReason() {
    std::string prefix = WinePrefix::DefaultFolder();
    long pid = 0;
    if (!WineServerRunning(prefix, &pid))
        return {};
    // A lock taken in another PID namespace names no process we could show.
    std::string process = pid > 0 ? Format(" (wineserver, process %ld)", pid) : " (wineserver)";
    return "Wine is running in " + prefix + process +
           "; close its programs or run `wineserver -k`, then try again (`wineserver -w` waits "
           "for Wine to end).";
}
#endif

std::string WinePrefix::ReadProfileString(std::string_view path, std::string_view section,
                                          std::string_view key, std::string_view fallback) {
    std::string host = ToHostPath(path);
    return host.empty() ? std::string(fallback) : ReadIniString(host, section, key, fallback);
}

HRESULT WinePrefix::WriteProfileString(std::string_view path, std::string_view section,
                                       std::string_view key, std::string_view value) {
    std::string host = ToHostPath(path);
    if (host.empty())
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    HostAttributes kept = SaveAttributes(host);
    HRESULT hr = WriteIniString(host, section, key, value);
    RestoreAttributes(host, kept);
    return hr;
}

HRESULT WinePrefix::CreateHiddenFile(std::string_view path, std::string_view contents) {
    std::string host = ToHostPath(path);
    if (host.empty())
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    // "x": the file is created only when it does not exist, never truncated.
    std::FILE* file = std::fopen(host.c_str(), "wbx");
    if (!file)
        return errno == EEXIST ? HRESULT_FROM_WIN32(ERROR_FILE_EXISTS) : HResultFromLastErrno();
    bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    if (std::fclose(file) != 0 || !written) {
        std::remove(host.c_str());
        return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
    }
    SetDosAttributes(host, "0x2");
    return S_OK;
}

// Written anew rather than copied, so that the DOS attributes can be set before a read-only
// file's permissions would refuse them.
HRESULT WinePrefix::SaveFileCopy(std::string_view path, const std::string& hostCopy) {
    std::string host = ToHostPath(path);
    if (host.empty())
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(host, bytes);
    if (SUCCEEDED(hr))
        hr = ReplaceFileContents(hostCopy, bytes.data(), bytes.size());
    if (SUCCEEDED(hr))
        RestoreAttributes(hostCopy, SaveAttributes(host));
    return hr;
}

HRESULT WinePrefix::RestoreFileCopy(const std::string& hostCopy, std::string_view path) {
    std::string host = ToHostPath(path);
    if (host.empty())
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(hostCopy, bytes);
    HostAttributes kept = SaveAttributes(host);
    if (!kept.exists)
        kept = SaveAttributes(hostCopy);
    if (SUCCEEDED(hr))
        hr = ReplaceFileContents(host, bytes.data(), bytes.size());
    if (SUCCEEDED(hr))
        RestoreAttributes(host, kept);
    return hr;
}

// A read-only file (no write bits) is removed as any other: on POSIX that takes only the
// folder's permission, as Windows' DeleteFile after clearing the attribute.
HRESULT WinePrefix::RemoveFile(std::string_view path) {
    std::string host = ToHostPath(path);
    if (host.empty())
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    std::error_code ec;
    fs::remove(host, ec);
    return ec ? HResultFromErrno(ec.value()) : S_OK;
}

HRESULT WinePrefix::ReadShortcut(std::string_view path, ShortcutInfo* info) {
    std::string host = ToHostPath(path);
    if (host.empty())
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    return ReadShellLinkFile(host, info);
}

HRESULT WinePrefix::SetShortcutIcon(std::string_view path, std::string_view iconLocation,
                                    int iconIndex) {
    std::string host = ToHostPath(path);
    if (host.empty())
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    HostAttributes kept = SaveAttributes(host);
    HRESULT hr = SetShellLinkFileIcon(host, iconLocation, iconIndex);
    RestoreAttributes(host, kept);
    return hr;
}

} // namespace vellum
