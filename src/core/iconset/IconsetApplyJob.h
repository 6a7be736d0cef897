// IconsetApplyJob: applying an iconset the user chose, from the file to the changed system, for the
// command line and the window alike.
//
// The iconset is first loaded on trial in a folder of its own, so that one which gives nothing to
// apply leaves the working folder "Current.ico" (and the icons the system shows from it) alone.
// Then the working folder is emptied (its files, the previous apply's icons, go into the new
// backup's icons/ folder first), receives the iconset (a zip archive as it is, otherwise every
// file of the iconset's folder), and the iconset is loaded from there and applied.
#pragma once

#include "common/Result.h"
#include "iconset/ApplyPlan.h"
#include "iconset/ProgressSink.h"
#include "platform/WindowsSystem.h"

#include <string>
#include <vector>

namespace vellum {

// "<data folder>/Current.ico/": the applied icons live here, and the backups in its Backup/.
std::string ApplyWorkingFolder(const std::string& dataFolder);

class IconsetApplyJob {
public:
    IconsetApplyJob(WindowsSystem& system, std::string dataFolder);

    // Applies `source` (an iconset file, a zip archive, or "System Cache"). Fails when the iconset
    // gives nothing to apply (LoadFailed() is then set and LoadFailedText says why; nothing was
    // changed) or when the working folder or the backup cannot be prepared (the error trail says
    // why). Single changes that fail do not fail the job; `result` lists them.
    HRESULT Run(const std::string& source, ProgressSink& progress, ApplyResult* result);

    bool LoadFailed() const { return loadFailed_; }
    // The "Load Failed" message: "The file\n\n<path>\n\n" and the reason.
    const std::string& LoadFailedText() const { return loadFailedText_; }
    // What loading noticed without failing (a converter that is not run, a missing catalogue).
    const std::vector<std::string>& Notes() const { return notes_; }
    int AppliedIcons() const { return appliedIcons_; }

private:
    HRESULT TrialLoad(const std::string& source, ProgressSink& progress);

    WindowsSystem& system_;
    std::string dataFolder_;
    bool loadFailed_ = false;
    std::string loadFailedText_;
    std::vector<std::string> notes_;
    int appliedIcons_ = 0;
};

} // namespace vellum
