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

int Report(const IconsetApplyJob& job, const ApplyResult& result, const std::string& source,
           const std::string& dataFolder) {
    std::printf("Applied %s (%d icons).\n", source.c_str(), job.AppliedIcons());
    PrintLines(stdout, "wrote ", result.done);
    PrintLines(stdout, "skipped ", result.skipped);
    PrintLines(stderr, "failed ", result.failed);
    std::printf("The previous values are saved in %s: import registry.reg with regedit to put "
                "them back; files.txt lists the copies of the changed files, and icons/ holds "
                "the icon files they point to in Current.ico.\n",
                result.backupFolder.c_str());
    if (result.failed.empty())
        return kExitSuccess;
    std::string failed;
    for (const std::string& line : result.failed)
        failed += "\r\n" + line;
    LogFailure(dataFolder, "Apply " + source + " (some changes)" + failed);
    return kExitFailure;
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
    return Report(job, result, source, dataFolder);
}

} // namespace vellum
