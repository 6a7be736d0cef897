// IconsetEngine: one icon-set operation on the running system. A snapshot collects which icon
// the system shows for each catalogue entry, copies those icons out of the files that hold them
// and builds an icon library; applying loads an iconset (file or zip archive) and writes its
// icon locations to every place the system reads them from.
//
// The engine works through WindowsSystem, so on Linux it sees a Wine prefix.
#pragma once

#include "common/Prompter.h"
#include "common/Result.h"
#include "common/XmlDocument.h"
#include "iconset/ApplyBackup.h"
#include "iconset/ApplyPlan.h"
#include "iconset/IconCatalogue.h"
#include "iconset/ProgressSink.h"
#include "platform/WindowsSystem.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// What a snapshot collects and how it reduces the icons.
struct SnapshotOptions {
    // Catalogue categories, in the order they are collected.
    std::vector<std::string> categories = {"Explorer", "Folders", "Drives", "Misc", "Extension"};
    bool keepMostColors = true;
    // Images wider or taller than this are removed; 256 keeps every size.
    int sizeLimit = 256;
    // Where the icon library is built; with `individualIcons` no library is built and the
    // icons stay as files in the base folder for SaveIndividualIcons.
    std::string libraryPath;
    bool individualIcons = false;
};

class IconsetEngine {
public:
    // `path`: its folder is the engine's base folder, its file name (without extension) names
    // the icon library ("<name>.icl"). `dataFolder` holds IconConfig.xml and blank.dll.
    // Batch engines skip collecting, extracting and building.
    IconsetEngine(WindowsSystem& system, const std::string& path, const std::string& dataFolder,
                  bool batch);
    IconsetEngine(const IconsetEngine&) = delete;
    IconsetEngine& operator=(const IconsetEngine&) = delete;

    // Creates the base folder and loads the catalogue; a missing catalogue leaves every
    // category empty.
    HRESULT Open();

    const std::string& BaseFolder() const { return baseFolder_; }
    const std::string& LibraryName() const { return libraryName_; }
    IconCatalogue& Catalogue() { return catalogue_; }

    // ----- Snapshot ----------------------------------------------------------------------------
    // A snapshot collects categories into IconSnapShot.xml, extracts each icon it names into
    // "14nnnnn.ico" in the base folder and builds the icon library from those files.

    // IconSnapShot.xml in the base folder.
    std::string SnapshotPath() const { return baseFolder_ + "IconSnapShot.xml"; }
    XmlDocument& SnapshotDocument() { return snapshot_; }
    // Entry elements of the categories, counted for the progress total.
    int CountEntries(const std::vector<std::string>& categories);

    // Adds each entry of the category to Icons (ascending by icon location, "$REPEAT$" for one
    // seen before) or, when no icon location is found, to Blanks. `first` empties the document
    // first. Nothing happens for INFO or an unknown category.
    void CollectCategory(std::string_view category, bool first, PhaseProgress& progress);
    // Copies each icon of Icons into the next "14nnnnn.ico" of the base folder and points its
    // Icon value at "<library>,<n - 1>"; an icon that cannot be extracted is dropped. Then
    // saves the snapshot document. `sizeLimit` below 256 removes larger images.
    HRESULT ExtractIcons(PhaseProgress& progress, Prompter& prompter, bool keepMostColors,
                         int sizeLimit);
    // Builds the icon library at `libraryPath` from the extracted icons (blank.dll with one icon
    // group per icon, named after the first entry that uses it) and points each Icon value at
    // its position in the library.
    HRESULT BuildIconLibrary(const std::string& libraryPath, Prompter& prompter,
                             ProgressSink& progress);
    // The individual-icons form: copies each extracted icon into `folder` as "<tag>.ico", named
    // after the first entry that uses it, and points every Icon value at its file ("<tag>.ico");
    // entries whose icon was not extracted are removed.
    HRESULT SaveIndividualIcons(const std::string& folder, ProgressSink& progress);
    // Number of icon files extracted so far.
    int IconCount() const { return nextIcon_ - 1; }
    // Tags of the icons ExtractIcons dropped because their files could not be read.
    const std::vector<std::string>& DroppedIcons() const { return dropped_; }

    // Collects the categories, extracts the icons and builds the library, with progress from 0
    // to 100 and the status texts of the snapshot dialog.
    HRESULT TakeSnapshot(const SnapshotOptions& options, Prompter& prompter,
                         ProgressSink& progress);

    // ----- Loading and applying ----------------------------------------------------------------
    // Applying loads an iconset, matches its icons to the catalogue and writes each icon's
    // location to every place the catalogue names: the Shell Icons values, Desktop.ini files of
    // special folders, DefaultIcon values, and the .scf and .lnk files of the Quick Launch bar
    // and the desktop. What it overwrites is saved first (ApplyBackup).

    // Loads an ".iconset" file, the pseudo-iconset "System Cache", or a zip archive, which is
    // extracted into `folder`. `folder` becomes the base folder, where icon files named without
    // a drive are found. A file or archive that gives nothing to apply fails, and LoadFailedText
    // says why; "System Cache" only fills category 1 with the shell's icon names.
    HRESULT LoadIconset(const std::string& path, const std::string& folder);
    const std::vector<AppliedIcon>& AppliedIcons() const { return applied_; }
    const IconsetInfo& Info() const { return info_; }
    // Set by loading: an iconset file was found and read; icon files (or matched icons) were.
    bool HasIconsetFile() const { return hasIconset_; }
    bool HasIconFiles() const { return hasIcons_; }
    // Messages of a load that are not failures (a converter that is not run, a damaged entry).
    const std::vector<std::string>& LoadNotes() const { return loadNotes_; }
    // The "Load Failed" message for a failed load of `path`.
    std::string LoadFailedText(const std::string& path) const;

    // The changes applying the loaded iconset makes, worked out from reads alone.
    ApplyPlan PlanApply();
    // Saves what the plan overwrites into `backupFolder` (see ApplyBackup::NewFolder), then
    // deletes the Shell Icons subkeys "0" to "44", writes the values and files, and refreshes
    // the desktop. Nothing is changed when the backup cannot be written. Single changes that
    // fail do not stop the others; `result` lists them.
    HRESULT ApplyIconset(const std::string& backupFolder, ApplyResult* result);

private:
    WindowsSystem& system_;
    std::string baseFolder_;
    std::string libraryName_;
    std::string dataFolder_;
    bool batch_ = false;
    IconCatalogue catalogue_;

    // ----- Snapshot state ----------------------------------------------------------------------
    struct LocationChoice;
    void CollectEntry(XmlNode* entry);
    LocationChoice SearchLocations(const std::vector<std::string>& locations);
    std::string FolderIcon(int csidl, std::string* sourceValue);
    std::string ShellIconDefault(XmlNode* entry);
    std::string CompleteBareName(const std::string& icon);
    std::string FindHostFile(const std::string& windowsPath);
    HRESULT ExtractOne(XmlNode* element, Prompter& prompter, bool keepMostColors, int sizeLimit);
    HRESULT DecompileTemplate(Prompter& prompter);
    HRESULT AddIconGroups(const std::string& manifest, Prompter& prompter,
                          std::vector<int>* positions);
    std::string TagOfIcon(int number);
    std::string IconValue(XmlNode* element);
    void SetIconValue(XmlNode* element, const std::string& value);

    XmlDocument snapshot_;
    int nextIcon_ = 1;
    std::vector<std::string> dropped_;

    // ----- Loading and applying state ----------------------------------------------------------
    HRESULT LoadIconsetFile(const std::string& path);
    HRESULT LoadZippedIconset(const std::string& path, const std::string& folder, int depth);
    HRESULT ExtractZipEntries(const std::string& path, const std::string& folder,
                              std::string* nested, std::string* iconsetFile);
    std::string IconsetFolder();
    std::string IconPath(const std::string& location);
    bool IconFileExists(const std::string& iconPath);
    void PlanIcon(const AppliedIcon& icon, ApplyPlan& plan);
    void PlanLocation(const std::string& location, const std::string& iconPath, ApplyPlan& plan);
    void PlanShellFiles(const std::string& folder, ApplyPlan& plan);
    void PlanShellFile(const std::string& path, ApplyPlan& plan);
    std::optional<std::string> AppliedLocation(const std::vector<NamedValue>& pairs,
                                               std::string_view value) const;
    void SaveBeforeChanging(ApplyBackup& backup, ApplyPlan& plan, ApplyResult& result);
    void ResolveRepeats();
    void MakeChanges(const ApplyPlan& plan, ApplyResult& result);
    HRESULT ChangeShellFile(const ShellFileChange& change);

    std::string iconsetPath_;
    XmlDocument iconset_;
    std::vector<AppliedIcon> applied_;
    IconsetInfo info_;
    bool hasIconset_ = false;
    bool hasIcons_ = false;
    std::vector<std::string> loadNotes_;
};

} // namespace vellum
