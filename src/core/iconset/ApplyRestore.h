// ApplyRestore: undoing an iconset apply (or a restore) from its backup folder (see ApplyBackup):
// the registry values and keys, the Desktop.ini, .scf and .lnk files, and the icon files of the
// working folder "Current.ico" are put back as the backup recorded them.
#pragma once

#include "common/Result.h"
#include "iconset/ApplyPlan.h"
#include "platform/WindowsSystem.h"

#include <string>
#include <vector>

namespace vellum {

struct ApplyBackupEntry {
    std::string folder;  // with a trailing separator
    std::string when;    // "2026-12-07 11:45:02", from the folder's name
    std::string iconset; // the iconset applied then; for a restore's backup, the folder restored
};

// The backups under <working folder>/Backup/, newest first; folders without registry.reg are
// left out.
std::vector<ApplyBackupEntry> ListApplyBackups(const std::string& workingFolder);

// Puts back what the backup holds. Everything in it is read and checked first: a backup that is
// damaged, or names files outside the system's drives or copies outside its folder, fails and
// changes nothing. Then the present state of everything the restore will change is saved in a
// new backup folder below <working folder>/Backup (so that the restore can be undone in turn),
// and only then are the changes made. `result` lists what was put back, what failed and what was
// left alone, and names the new backup folder.
HRESULT RestoreApplyBackup(WindowsSystem& system, const std::string& backupFolder,
                           const std::string& workingFolder, ApplyResult* result);

} // namespace vellum
