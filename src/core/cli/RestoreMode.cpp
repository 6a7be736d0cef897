#include "cli/RestoreMode.h"

#include "cli/BatchDriver.h"
#include "common/Path.h"
#include "iconset/ApplyRestore.h"
#include "operations/FailureLog.h"

#include <cstdio>
#include <filesystem>

namespace vellum {

namespace {

void PrintLines(std::FILE* out, const char* label, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::fprintf(out, "  %s%s\n", label, line.c_str());
}

} // namespace

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
    std::string working = WithTrailingSeparator(JoinPath(dataFolder, "Current.ico"));
    ApplyResult result;
    if (FAILED(RestoreApplyBackup(*system, folder, working, &result))) {
        PrintErrorTrail(dataFolder, "Restore " + folder);
        return kExitFailure;
    }
    std::printf("Restored %s.\n", folder.c_str());
    PrintLines(stdout, "", result.done);
    PrintLines(stdout, "skipped ", result.skipped);
    PrintLines(stderr, "failed ", result.failed);
    std::printf("The state before this restore is saved in %s: vellum -Restore:%s undoes it.\n",
                result.backupFolder.c_str(), result.backupFolder.c_str());
    if (result.failed.empty())
        return kExitSuccess;
    std::string failed;
    for (const std::string& line : result.failed)
        failed += "\r\n" + line;
    LogFailure(dataFolder, "Restore " + folder + " (some changes)" + failed);
    return kExitFailure;
}

} // namespace vellum
