#include "platform/DataFolder.h"

#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vellum {

namespace fs = std::filesystem;

namespace {

const char* const kShippedFiles[] = {"blank.dll", "blank.icl", "IconConfig.xml"};

std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsWritable(const fs::path& path) {
    std::error_code ec;
    fs::perms p = fs::status(path, ec).permissions();
    return !ec && (p & fs::perms::owner_write) != fs::perms::none;
}

// Folders the lenient delete never touches: the root and the system's own program folders.
bool IsProtectedFolder(const std::string& folder) {
    std::string path = WithTrailingSeparator(folder);
#ifdef _WIN32
    char windows[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    GetSystemDirectoryA(system, MAX_PATH);
    if (EqualsNoCase(path, WithTrailingSeparator(windows)) ||
        EqualsNoCase(path, WithTrailingSeparator(system)))
        return true;
#else
    for (const char* protectedFolder : {"/", "/bin/", "/boot/", "/dev/", "/etc/", "/lib/", "/proc/",
                                        "/sbin/", "/sys/", "/usr/", "/var/"})
        if (path == protectedFolder)
            return true;
#endif
    // A folder directly below the root, written without a trailing separator ("C:\\Windows").
    std::string dir = SplitPath(folder).dir;
    return dir.size() == 1 && IsPathSeparator(dir[0]);
}

} // namespace

std::string ExecutableFolder() {
#ifdef _WIN32
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    PathParts parts = SplitPath(path);
    return parts.drive + parts.dir;
#else
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("./") : WithTrailingSeparator(exe.parent_path().string());
#endif
}

std::string DataFolderPath() {
    if (std::string custom = EnvOrEmpty("VELLUM_DATA_DIR"); !custom.empty())
        return WithTrailingSeparator(custom);
#ifdef _WIN32
    char appData[MAX_PATH] = {};
    if (SUCCEEDED(
            SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData)))
        return WithTrailingSeparator(std::string(appData) + "\\Quillon\\Vellum");
    return {};
#else
    std::string base = EnvOrEmpty("XDG_DATA_HOME");
    if (base.empty()) {
        std::string home = EnvOrEmpty("HOME");
        if (home.empty())
            return {};
        base = home + "/.local/share";
    }
    return WithTrailingSeparator(base + "/Quillon/Vellum");
#endif
}

std::string ShippedDataFolder(const std::string& executableFolder) {
    std::error_code ec;
    for (const char* relative : {"../share/vellum", "share/vellum"}) {
        fs::path candidate = fs::path(executableFolder) / relative;
        if (fs::is_directory(candidate, ec))
            return WithTrailingSeparator(fs::weakly_canonical(candidate, ec).string());
    }
    return {};
}

HRESULT PrepareDataFolder(const std::string& executableFolder, std::string* dataFolder) {
    std::string folder = DataFolderPath();
    if (folder.empty())
        return E_FAIL;
    HRESULT hr = CreateFolders(folder);
    if (FAILED(hr))
        return hr;
    std::string shipped = ShippedDataFolder(executableFolder);
    for (const char* name : kShippedFiles) {
        std::error_code ec;
        if (shipped.empty() || fs::exists(folder + name, ec) || !fs::exists(shipped + name, ec))
            continue;
        std::vector<std::uint8_t> bytes;
        if (SUCCEEDED(ReadWholeFile(shipped + name, bytes)))
            ReplaceFileContents(folder + name, bytes.data(), bytes.size());
    }
    if (dataFolder)
        *dataFolder = folder;
    return S_OK;
}

HRESULT GuardedFolderDelete(const std::string& folder, bool lenient,
                            const std::string& dataFolder) {
    if (lenient ? (folder.empty() || IsProtectedFolder(folder))
                : (dataFolder.empty() || folder.compare(0, dataFolder.size(), dataFolder) != 0))
        return E_FAIL;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (it->is_regular_file(ignored) && IsWritable(it->path()))
            fs::remove(it->path(), ignored);
    }
    return ec ? HResultFromErrno(ec.value()) : S_OK;
}

HRESULT ClearReadOnly(const std::string& path) {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
    return ec ? HResultFromErrno(ec.value()) : S_OK;
}

} // namespace vellum
