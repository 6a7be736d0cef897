// What applying an iconset changes. The changes are worked out first, from reads alone, so that
// every value and file they would overwrite can be saved before the first one is made.
#pragma once

#include "platform/WindowsSystem.h"

#include <string>
#include <string_view>
#include <vector>

namespace vellum {

struct RegistryWrite {
    RootKey root = RootKey::ClassesRoot;
    std::string key;
    std::string valueName; // "" for the key's default value
    std::string value;
};

enum class ShellFileKind {
    DesktopIni,  // a special folder's Desktop.ini: IconFile and IconIndex
    CommandFile, // a shell command file (.scf): IconFile of section Shell
    Shortcut,    // a shell link (.lnk): its icon location and index
};

struct ShellFileChange {
    ShellFileKind kind = ShellFileKind::DesktopIni;
    std::string path;     // Windows path of the file
    std::string iconFile; // for .scf files the whole icon location, index included
    int iconIndex = 0;
};

struct ApplyPlan {
    // Subkeys "0" to "44" of the Shell Icons key that exist and are to be deleted.
    std::vector<std::string> deletedKeys;
    std::vector<RegistryWrite> writes;
    std::vector<ShellFileChange> files;
    // Icons and places left alone, each with the reason.
    std::vector<std::string> skipped;
};

// What applying did: one line per change made, per change that failed, and per thing left
// alone, and the folder that holds the previous values.
struct ApplyResult {
    std::vector<std::string> done;
    std::vector<std::string> failed;
    std::vector<std::string> skipped;
    std::string backupFolder;

    // Lists the change under `done`, or under `failed` with the error code.
    void Record(HRESULT hr, const std::string& what);
};

// "HKEY_CLASSES_ROOT" and the like, as registry files and messages write them.
std::string_view RootKeyName(RootKey root);
// A value as the result lines name it: "HKEY_...\key \"name\"", "@" for the default value.
std::string ValueDescription(RootKey root, std::string_view key, std::string_view valueName);

} // namespace vellum
