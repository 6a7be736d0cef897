// ApplyBackup: what applying an iconset is about to overwrite, saved first so that it can be put
// back. One folder per apply, never reused:
//
//   registry.reg   "Windows Registry Editor Version 5.00" in UTF-16LE with a byte-order mark,
//                  as regedit writes and imports it: each saved value with its previous text
//                  (REG_EXPAND_SZ as hex(2)), "name"=- for a value that did not exist, and the
//                  keys that are deleted with their values. Importing the file ("regedit /s
//                  registry.reg", under Wine "wine regedit /s registry.reg") undoes the registry
//                  changes; keys that applying created stay, empty of the values it wrote.
//   files.txt      one line per shell file: its Windows path, a tab, and the copy in "files\"
//                  or "(did not exist)"; UTF-8, CR LF.
//   files\         the copies, numbered so that files of the same name do not collide.
//   icons\         (filled by the caller) the icon files of the previous apply, which the saved
//                  values point to in the working folder; they go back there for an undo.
#pragma once

#include "common/Result.h"
#include "platform/WindowsSystem.h"

#include <set>
#include <string>
#include <vector>

namespace vellum {

class ApplyBackup {
public:
    explicit ApplyBackup(WindowsSystem& system) : system_(system) {}

    // Makes a new folder named after the date and time below `parent` (created when missing).
    static HRESULT NewFolder(const std::string& parent, std::string* folder);
    // Records into `folder` (made by NewFolder) from now on.
    HRESULT Create(const std::string& folder, const std::string& iconsetPath);
    const std::string& Folder() const { return folder_; }

    // Saves the value's present state; a value saved before keeps its first state. Fails when
    // the value exists but is not a string, which could not be put back.
    HRESULT SaveValue(RootKey root, const std::string& key, const std::string& valueName);
    // Saves a key that is to be deleted, its values and its subkeys. Fails when it holds a value
    // that is not a string, or nests deeper than a registry should.
    HRESULT SaveKey(RootKey root, const std::string& key);
    // Copies the file (a Windows path) into the folder, or notes that it does not exist.
    HRESULT SaveFile(const std::string& windowsPath);

    // Writes registry.reg and files.txt. Until this succeeds nothing may be changed.
    HRESULT Finish();

private:
    HRESULT SaveKeyLevel(RootKey root, const std::string& key, int depth);
    void AddLine(RootKey root, const std::string& key, const std::string& line);
    std::string ValueLine(const std::string& valueName, const std::string& text,
                          std::uint32_t type) const;

    WindowsSystem& system_;
    std::string folder_;
    std::string iconsetPath_;
    // Sections of registry.reg in first-seen order: "[root\key]" and its lines.
    std::vector<std::pair<std::string, std::vector<std::string>>> sections_;
    std::set<std::string> savedValues_; // upper-case "root\key\name"
    std::vector<std::string> fileLines_;
    int fileCount_ = 0;
};

} // namespace vellum
