// ApplyBackup: what applying an iconset is about to overwrite, saved first so that it can be put
// back. One folder per apply, never reused:
//
//   registry.reg   "Windows Registry Editor Version 5.00" in UTF-16LE with a byte-order mark,
//                  as regedit writes and imports it: a comment naming what was about to change
//                  the values (the iconset applied, or the backup restored), each saved value
//                  with its previous text (REG_EXPAND_SZ as hex(2)), "name"=- for a value that
//                  did not exist, [-ROOT\key] for a key that did not exist, and the keys that
//                  are deleted with their values. Importing the file ("regedit /s registry.reg",
//                  under Wine "wine regedit /s registry.reg") undoes the registry changes.
//   files.txt      one line per shell file: its Windows path, a tab, and the copy in "files\"
//                  or "(did not exist)"; UTF-8, CR LF.
//   files\         the copies, numbered so that files of the same name do not collide.
//   icons\         (filled by the caller) the icon files of the previous apply, which the saved
//                  values point to in the working folder; they go back there for an undo.
#pragma once

#include "common/Result.h"
#include "platform/WindowsSystem.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

enum class BackupCause { Apply, Restore };

// Whether the key exists: its values can be listed, or it has subkeys (Wine's registry files
// hold a key that has only subkeys implicitly, through the subkeys' paths).
bool RegistryKeyExists(WindowsSystem& system, RootKey root, const std::string& key);

class ApplyBackup {
public:
    explicit ApplyBackup(WindowsSystem& system) : system_(system) {}

    // Makes a new folder named after the date and time below `parent` (created when missing).
    static HRESULT NewFolder(const std::string& parent, std::string* folder);
    // Records into `folder` (made by NewFolder) from now on. `note` is the iconset about to be
    // applied or, for a restore, the backup folder about to be restored.
    HRESULT Create(const std::string& folder, const std::string& note,
                   BackupCause cause = BackupCause::Apply);
    const std::string& Folder() const { return folder_; }

    // Saves the value's present state; a value saved before keeps its first state. Fails when
    // the value exists but is not a string, which could not be put back.
    HRESULT SaveValue(RootKey root, const std::string& key, const std::string& valueName);
    // Saves a key that is to be deleted, its values and its subkeys. Fails when it holds a value
    // that is not a string, or nests deeper than a registry should.
    HRESULT SaveKey(RootKey root, const std::string& key);
    // Saves a key that is to be created or deleted: whole when it exists, else as missing.
    HRESULT SaveKeyState(RootKey root, const std::string& key);
    // Copies the file (a Windows path) into the folder, or notes that it does not exist.
    HRESULT SaveFile(const std::string& windowsPath);

    // Writes registry.reg and files.txt. Until this succeeds nothing may be changed.
    HRESULT Finish();

private:
    HRESULT SaveKeyLevel(RootKey root, const std::string& key, int depth);
    void AddMissingKey(RootKey root, const std::string& key);
    void AddLine(RootKey root, const std::string& key, const std::string& line);
    std::string ValueLine(const std::string& valueName, const std::string& text,
                          std::uint32_t type) const;

    WindowsSystem& system_;
    std::string folder_;
    std::string note_;
    BackupCause cause_ = BackupCause::Apply;
    // Sections of registry.reg in first-seen order: "[root\key]" and its lines.
    std::vector<std::pair<std::string, std::vector<std::string>>> sections_;
    std::set<std::string> savedValues_; // upper-case "root\key\name"
    std::vector<std::string> fileLines_;
    int fileCount_ = 0;
};

// ---- reading a backup back -------------------------------------------------------------------

struct SavedValue {
    std::string name;       // "" for the default value
    bool existed = true;    // false: "name"=-, the value did not exist
    std::uint32_t type = 1; // 1 REG_SZ, 2 REG_EXPAND_SZ
    std::string text;
};

struct SavedKey {
    RootKey root = RootKey::ClassesRoot;
    std::string key;
    bool existed = true; // false: [-ROOT\key], the key did not exist
    std::vector<SavedValue> values;
};

struct SavedFile {
    std::string windowsPath;
    std::string copy; // the copy's name inside files/; empty when the file did not exist
};

struct SavedState {
    std::string note; // the iconset that was applied, or the backup that was restored
    std::vector<SavedKey> keys;
    std::vector<SavedFile> files;
};

// Read registry.reg and files.txt as ApplyBackup writes them. Anything else (no byte-order mark,
// UTF-16 or UTF-8 that does not decode, an unknown line, a value that is not a string, a path
// that is not an absolute Windows path of a Desktop.ini, .scf or .lnk file, a copy name that is
// not a plain file name) fails, with the line named in the error trail.
HRESULT ReadSavedRegistry(const std::vector<std::uint8_t>& bytes, SavedState* state);
HRESULT ReadSavedFiles(std::string_view text, SavedState* state);
// The note of a registry.reg, or "" when the file does not decode.
std::string ReadSavedNote(const std::vector<std::uint8_t>& bytes);

} // namespace vellum
