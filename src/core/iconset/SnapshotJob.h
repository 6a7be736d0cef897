// SnapshotJob: an icon snapshot as the window takes it. The dialog's choices name the result
// (ChooseSnapshotNames), are checked before anything is written (CheckSnapshotChoices), and the
// job then collects, extracts, builds and packages into the system's Resources\Icons folder.
//
// Everything is built in the snapshot work folder and placed at the end, so the target folder
// only ever receives finished files under names that were free; a failed or cancelled job
// removes what it had placed.
#pragma once

#include "common/Prompter.h"
#include "common/Result.h"
#include "iconset/ProgressSink.h"
#include "platform/WindowsSystem.h"

#include <optional>
#include <string>
#include <vector>

namespace vellum {

class IconSnapshot;

enum class SnapshotPackaging { Iconset, Iconzip, None };

// What the snapshot dialog asks for.
struct SnapshotChoices {
    // Catalogue categories, in collecting order.
    std::vector<std::string> categories = {"Explorer", "Folders", "Drives", "Misc", "Extension"};
    bool keepMostColors = true;
    int sizeLimit = 64;
    std::string name;
    bool individualIcons = false;
    SnapshotPackaging packaging = SnapshotPackaging::Iconzip;
};

// The names derived from the choices. Folders are host paths without a trailing separator.
struct SnapshotNames {
    std::string baseName;   // the typed name's file name without extension
    std::string storedName; // "<base>.iconset", "<base>.iconzip", or the item name unpackaged
    std::string itemName;   // "<base>.icl", or the base name for individual icons
    std::string targetFolder;
    std::string subfolder;  // individual icons: "<target>/<base>"; empty otherwise
    std::string resultPath; // the archive, iconset file, library or icon folder made
};

// A message box the snapshot shows instead of going on.
struct SnapshotMessage {
    std::string caption;
    std::string text;
};

// The target folder ("<Windows folder>\Resources\Icons" on the host) and the work folder
// ("<data folder>/temp/Snapshot.tmp").
struct SnapshotFolders {
    std::string target;
    std::string work;
};

// Makes both folders (an existing folder is fine); the message when one cannot be made.
std::optional<SnapshotMessage> PrepareSnapshotFolders(WindowsSystem& system,
                                                      const std::string& dataFolder,
                                                      SnapshotFolders* folders);

SnapshotNames ChooseSnapshotNames(const SnapshotChoices& choices, const std::string& targetFolder);

// A name the host and Windows both accept as one file name: no separators, no NUL or control
// characters, none of <>:"|?*, not "." or "..".
bool IsPlainFileName(const std::string& name);

// The first reason the choices cannot be saved, in the order the user should fix them.
std::optional<SnapshotMessage> CheckSnapshotChoices(const SnapshotChoices& choices,
                                                    const SnapshotNames& names);

class SnapshotJob {
public:
    SnapshotJob(WindowsSystem& system, std::string dataFolder, SnapshotFolders folders,
                SnapshotChoices choices);
    SnapshotJob(const SnapshotJob&) = delete;
    SnapshotJob& operator=(const SnapshotJob&) = delete;

    const SnapshotNames& Names() const { return names_; }
    const SnapshotChoices& Choices() const { return choices_; }

    // Collects, extracts, builds and packages, ending with "Finished" at 100. E_ABORT when the
    // sink asked to stop; then, as on any failure, nothing the job placed is left.
    HRESULT Run(Prompter& prompter, ProgressSink& progress);
    // Tags of the icons left out because their files could not be read.
    const std::vector<std::string>& DroppedIcons() const { return dropped_; }

private:
    HRESULT Build(Prompter& prompter, ProgressSink& progress);
    HRESULT MakeSubfolder();
    HRESULT PackageLibrary(IconSnapshot& snapshot, ProgressSink& progress);
    HRESULT PackageIcons(IconSnapshot& snapshot, ProgressSink& progress);
    HRESULT CopyNumberedIcons(int count, ProgressSink& progress);
    HRESULT ZipIcons(IconSnapshot& snapshot, ProgressSink& progress);
    HRESULT Place(const std::string& source, const std::string& target);
    void RemovePlaced();

    WindowsSystem& system_;
    const std::string dataFolder_;
    const SnapshotFolders folders_;
    const SnapshotChoices choices_;
    const SnapshotNames names_;
    std::vector<std::string> placed_; // files and folders made outside the work folder
    std::vector<std::string> dropped_;
};

// What the window opens after a snapshot: an icon library as a document, or a folder of icons in
// the desktop's file manager. An archive is first extracted into "<data folder>/unzip" (made, or
// emptied of files).
struct SnapshotOpening {
    std::string library;
    std::string folder;
};
HRESULT PrepareSnapshotOpening(const SnapshotJob& job, const std::string& dataFolder,
                               SnapshotOpening* opening);

} // namespace vellum
