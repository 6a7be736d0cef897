#include "cli/RestoreMode.h"

#include "cli/ApplyMode.h"
#include "cli/BatchDriver.h"
#include "common/Path.h"
#include "iconset/ApplyRestore.h"
#include "iconset/IconsetApplyJob.h"

#include <cstdio>
#include <filesystem>

namespace vellum {

int RunRestore(const CommandLine& info, const std::string& dataFolder) {
    const std::string& folder = info.restorePath;
    if (folder.empty())
        return UsageError("Restore needs the backup folder: -Restore:FOLDER.");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(JoinPath(folder, "registry.reg"), ec)) {
        std::fprintf(stderr,
                     "vellum: %s is not a backup folder (it has no registry.reg); backups are "
                     "kept in Current.ico/Backup/ of the data folder.\n",
                     folder.c_str());
        return kExitFailure;
    }
    if (dataFolder.empty() || RunningSystemMissing() || RunningSystemBusy())
        return kExitFailure;
    std::unique_ptr<WindowsSystem> system = OpenRunningSystem();
    std::string working = ApplyWorkingFolder(dataFolder);
    ApplyResult result;
    if (FAILED(RestoreApplyBackup(*system, folder, working, &result))) {
        PrintErrorTrail(dataFolder, "Restore " + folder);
        return kExitFailure;
    }
    std::printf("Restored %s.\n", folder.c_str());
    int status = ReportChanges(result, "", "Restore " + folder, dataFolder);
    std::printf("The state before this restore is saved in %s: vellum -Restore:%s undoes it.\n",
                result.backupFolder.c_str(), result.backupFolder.c_str());
    return status;
}

} // namespace vellum
