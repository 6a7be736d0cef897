// IconSnapshot: which icon the running system shows for each catalogue entry. A snapshot collects
// categories into IconSnapShot.xml, extracts each icon it names into "14nnnnn.ico" in the
// engine's base folder and builds the icon library from those files.
#pragma once

#include "common/Prompter.h"
#include "common/Result.h"
#include "common/XmlDocument.h"
#include "iconset/IconsetEngine.h"
#include "iconset/ProgressSink.h"

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

class IconSnapshot {
public:
    // A batch snapshot skips collecting, extracting and building. The engine must outlive it.
    IconSnapshot(IconsetEngine& engine, bool batch);
    IconSnapshot(const IconSnapshot&) = delete;
    IconSnapshot& operator=(const IconSnapshot&) = delete;

    // IconSnapShot.xml in the base folder.
    std::string SnapshotPath() const { return baseFolder_ + "IconSnapShot.xml"; }
    XmlDocument& SnapshotDocument() { return snapshot_; }
    // Entry elements of the categories, counted for the progress total.
    int CountEntries(const std::vector<std::string>& categories);

    // Adds each entry of the category to Icons (ascending by icon location, "$REPEAT$" for one
    // seen before) or, when no icon location is found, to Blanks. `first` empties the document
    // first. Nothing happens for INFO or an unknown category. E_ABORT when the user asked to
    // stop (checked before each entry).
    HRESULT CollectCategory(std::string_view category, bool first, PhaseProgress& progress);
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
    // entries whose icon was not extracted are removed. Each file shows "<verb> (<tag>.ico)".
    HRESULT SaveIndividualIcons(const std::string& folder, ProgressSink& progress,
                                std::string_view verb = "Copying");
    // Number of icon files extracted so far.
    int IconCount() const { return nextIcon_ - 1; }
    // Tags of the icons ExtractIcons dropped because their files could not be read.
    const std::vector<std::string>& DroppedIcons() const { return dropped_; }

    // Collects the categories, extracts the icons and builds the library, with progress from 0
    // to 85 and the status texts of the snapshot dialog. Every step stops with E_ABORT between
    // entries, icons and groups once the sink's CancelRequested turns true.
    HRESULT TakeSnapshot(const SnapshotOptions& options, Prompter& prompter,
                         ProgressSink& progress);

private:
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
                          const ProgressSink& progress, std::vector<int>* positions);
    std::string TagOfIcon(int number) const;
    std::string IconValue(const XmlNode* element) const;
    void SetIconValue(XmlNode* element, const std::string& value);

    WindowsSystem& system_;
    IconCatalogue& catalogue_;
    const std::string baseFolder_;
    const std::string libraryName_;
    const std::string dataFolder_;
    const bool batch_;

    XmlDocument snapshot_;
    int nextIcon_ = 1;
    std::vector<std::string> dropped_;
};

} // namespace vellum
