// WinePrefix: the WindowsSystem of a Wine prefix, a folder holding system.reg (HKLM), user.reg
// (HKCU), drive_c and dosdevices (drive letters as symbolic links: "c:" -> "../drive_c").
// Files keep their DOS attributes as Wine does: read-only as the missing write permission bits,
// hidden and system in the Samba-style extended attribute "user.DOSATTRIB" ("0x2" for hidden).
//
// HKEY_CLASSES_ROOT is HKLM\Software\Classes overlaid by HKCU\Software\Classes, as on Windows:
// a value is taken from the user's key when it has it; a write goes to the user's key when that
// key exists, else to the machine's. Registry files are re-read when they change on disk, and
// every write re-reads the file first, so edits made meanwhile by Wine are not lost.
#pragma once

#include "platform/WindowsSystem.h"
#include "platform/WineRegistryFile.h"

#include <filesystem>
#include <map>
#include <string>

namespace vellum {

class WinePrefix : public WindowsSystem {
public:
    explicit WinePrefix(std::string folder);

    // $WINEPREFIX when set and not empty, else ~/.wine.
    static std::string DefaultFolder();
    const std::string& Folder() const { return folder_; }

    HRESULT ReadString(RootKey root, std::string_view key, std::string_view valueName,
                       std::string* value) override;
    HRESULT WriteString(RootKey root, std::string_view key, std::string_view valueName,
                        std::string_view value) override;
    HRESULT CreateKey(RootKey root, std::string_view key) override;
    HRESULT DeleteKey(RootKey root, std::string_view key) override;
    HRESULT EnumerateSubkeys(RootKey root, std::string_view key,
                             std::vector<std::string>* names) override;
    HRESULT EnumerateValues(RootKey root, std::string_view key,
                            std::vector<std::string>* names) override;
    HRESULT ReadValueType(RootKey root, std::string_view key, std::string_view valueName,
                          std::uint32_t* type) override;
    HRESULT WriteStringValue(RootKey root, std::string_view key, std::string_view valueName,
                             std::string_view value, std::uint32_t type) override;
    // For HKEY_CLASSES_ROOT the value goes from the user's key and the machine's alike.
    HRESULT DeleteValue(RootKey root, std::string_view key, std::string_view valueName) override;

    HRESULT ShellFolder(int csidl, std::string* folder) override;
    std::string WindowsFolder() override;
    std::string SystemFolder() override;
    std::string ExpandEnvironment(std::string_view text) override;

    std::string ToHostPath(std::string_view windowsPath) override;
    std::string ToWindowsPath(std::string_view hostPath) override;
    std::string ReadProfileString(std::string_view path, std::string_view section,
                                  std::string_view key, std::string_view fallback) override;
    HRESULT WriteProfileString(std::string_view path, std::string_view section,
                               std::string_view key, std::string_view value) override;
    HRESULT CreateHiddenFile(std::string_view path, std::string_view contents) override;
    HRESULT SaveFileCopy(std::string_view path, const std::string& hostCopy) override;
    HRESULT RestoreFileCopy(const std::string& hostCopy, std::string_view path) override;
    HRESULT RemoveFile(std::string_view path) override;
    HRESULT ReadShortcut(std::string_view path, ShortcutInfo* info) override;
    HRESULT SetShortcutIcon(std::string_view path, std::string_view iconLocation,
                            int iconIndex) override;
    void RefreshDesktop() override {}

private:
    enum class Hive { Machine, User };
    // A registry key inside one of the two files.
    struct HiveKey {
        Hive hive;
        std::string key;
    };
    struct CachedFile {
        WineRegistryFile file;
        HRESULT loaded = E_FAIL;
        std::filesystem::file_time_type time;
        std::uintmax_t size = 0;
    };

    std::string HivePath(Hive hive) const;
    std::optional<WineRegistryFile::Value> FindValue(RootKey root, std::string_view key,
                                                     std::string_view valueName);
    // The parsed file, re-read when its time or size changed; nullptr when it cannot be read.
    const WineRegistryFile* Read(Hive hive);
    // The keys a root key and path stand for, most specific first (two for HKCR).
    std::vector<HiveKey> Resolve(RootKey root, std::string_view key) const;
    HRESULT WriteTarget(RootKey root, std::string_view key, HiveKey* target);
    template <typename Edit> HRESULT EditHive(Hive hive, Edit edit);
    std::string LookupEnvironment(std::string_view name, int depth);
    std::string ExpandEnvironment(std::string_view text, int depth);
    std::string UserProfile();
    std::map<char, std::filesystem::path> Drives() const;

    std::string folder_;
    std::map<Hive, CachedFile> cache_;
};

} // namespace vellum
