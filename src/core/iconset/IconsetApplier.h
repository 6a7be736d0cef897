// IconsetApplier: loads an iconset, matches its icons to the engine's catalogue and writes each
// icon's location to every place the catalogue names: the Shell Icons values, Desktop.ini files
// of special folders, DefaultIcon values, and the .scf and .lnk files of the Quick Launch bar and
// the desktop. What it overwrites is saved first (ApplyBackup).
#pragma once

#include "common/Result.h"
#include "common/XmlDocument.h"
#include "iconset/ApplyBackup.h"
#include "iconset/ApplyPlan.h"
#include "iconset/IconsetEngine.h"
#include "iconset/ProgressSink.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

class IconsetApplier {
public:
    // The engine must outlive the applier; loading changes what its catalogue holds.
    explicit IconsetApplier(IconsetEngine& engine);
    IconsetApplier(const IconsetApplier&) = delete;
    IconsetApplier& operator=(const IconsetApplier&) = delete;

    // Loads an ".iconset" file, the pseudo-iconset "System Cache", or a zip archive, which is
    // extracted into `folder`. `folder` becomes the iconset folder, where icon files named
    // without a drive are found. A file or archive that gives nothing to apply fails, and
    // LoadFailedText says why; "System Cache" only fills category 1 with the shell's icon names.
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
    // fail do not stop the others; `result` lists them. `progress` (when given) moves from 25 to
    // 100 as the backup is written and the changes are made.
    HRESULT ApplyIconset(const std::string& backupFolder, ApplyResult* result,
                         ProgressSink* progress = nullptr);

private:
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
    void MakeChanges(const ApplyPlan& plan, ApplyResult& result, ProgressSink& progress);
    HRESULT ChangeShellFile(const ShellFileChange& change);

    WindowsSystem& system_;
    IconCatalogue& catalogue_;
    // The engine's base folder until an iconset is loaded, then the folder it was loaded into.
    std::string baseFolder_;

    std::string iconsetPath_;
    XmlDocument iconset_;
    std::vector<AppliedIcon> applied_;
    IconsetInfo info_;
    bool hasIconset_ = false;
    bool hasIcons_ = false;
    std::vector<std::string> loadNotes_;
};

} // namespace vellum
