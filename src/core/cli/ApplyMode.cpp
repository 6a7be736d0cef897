#include "cli/ApplyMode.h"

#include "cli/BatchDriver.h"
#include "iconset/IconLocation.h"
#include "iconset/IconsetApplyJob.h"
#include "operations/FailureLog.h"
#include "platform/WinePrefix.h"

#include <cstdio>
#include <filesystem>

namespace vellum {

namespace {

namespace fs = std::filesystem;

const char kSystemCache[] = "System Cache";

void PrintLines(std::FILE* out, const char* label, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::fprintf(out, "  %s%s\n", label, line.c_str());
}

} // namespace

int RunApply(const CommandLine& info, const std::string& dataFolder) {
    const std::string& source = info.applyPath;
    if (source.empty())
        return UsageError("Apply needs the iconset: -Apply:PATH.");
    std::error_code ec;
    if (source != kSystemCache && !fs::is_regular_file(source, ec)) {
        std::fprintf(stderr, "vellum: %s does not exist.\n", source.c_str());
        return kExitFailure;
    }
    if (dataFolder.empty() || RunningSystemMissing() || RunningSystemBusy())
        return kExitFailure;
    std::unique_ptr<WindowsSystem> system = OpenRunningSystem();
    IconsetApplyJob job(*system, dataFolder);
    SilentProgress progress;
    ApplyResult result;
    HRESULT hr = job.Run(source, progress, &result);
    for (const std::string& note : job.Notes())
        std::fprintf(stderr, "vellum: %s\n", note.c_str());
    if (job.LoadFailed())
        std::fprintf(stderr, "Load Failed: %s", job.LoadFailedText().c_str());
    if (FAILED(hr)) {
        PrintErrorTrail(dataFolder, "Apply " + source);
        return kExitFailure;
    }
    std::printf("Applied %s (%d icons).\n", source.c_str(), job.AppliedIcons());
    int status = ReportChanges(result, "wrote ", "Apply " + source, dataFolder);
    std::printf("The previous values are saved in %s: import registry.reg with regedit to put "
                "them back, or run vellum -Restore:%s, which also puts back the changed files "
                "(files.txt lists their copies) and the icon files of icons/ in Current.ico.\n",
                result.backupFolder.c_str(), result.backupFolder.c_str());
    return status;
}

int ReportChanges(const ApplyResult& result, const char* doneLabel, const std::string& operation,
                  const std::string& dataFolder) {
    PrintLines(stdout, doneLabel, result.done);
    PrintLines(stdout, "skipped ", result.skipped);
    PrintLines(stderr, "failed ", result.failed);
    if (result.failed.empty())
        return kExitSuccess;
    std::string failed;
    for (const std::string& line : result.failed)
        failed += "\r\n" + line;
    LogFailure(dataFolder, operation + " (some changes)" + failed);
    return kExitFailure;
}

} // namespace vellum
