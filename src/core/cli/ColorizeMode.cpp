#include "cli/ColorizeMode.h"

#include "cli/BatchDriver.h"
#include "common/ErrorTrail.h"
#include "imaging/ColorizeSettingsFile.h"
#include "imaging/Colorizer.h"
#include "operations/FailureLog.h"

#include <cstdio>
#include <filesystem>
#include <vector>

namespace vellum {

namespace {

// What became of the files: failures are printed as they happen, with the records the file
// left in the error trail, so that each reason stands under its own file.
class ColorizeTally {
public:
    void Record(const std::string& path, HRESULT result) {
        if (FAILED(result)) {
            std::fprintf(stderr, "vellum: %s was not colorized (0x%08X):\n%s\n", path.c_str(),
                         unsigned(result), TakeErrorTrail().value_or("").c_str());
            failed_.push_back(path);
        } else if (IsColorizableFile(path)) {
            ++colorized_;
        } else {
            ++skipped_;
        }
    }

    std::size_t Failures() const { return failed_.size(); }

    int Finish(const std::string& target, const std::string& dataFolder) const {
        std::printf("Colorized %d file(s); %d skipped (not .png, .bmp, .ico or .cur); %zu "
                    "failed.\n",
                    colorized_, skipped_, failed_.size());
        if (failed_.empty())
            return kExitSuccess;
        std::string operation = "Colorize " + target + " (some files)";
        for (const std::string& path : failed_)
            operation += "\r\n" + path;
        LogFailure(dataFolder, operation);
        return kExitFailure;
    }

private:
    int colorized_ = 0;
    int skipped_ = 0;
    std::vector<std::string> failed_;
};

} // namespace

int RunColorize(const CommandLine& info, const std::string& dataFolder) {
    if (info.colorizeSettings.empty())
        return UsageError("Colorize needs the settings file: -Colorize:SETTINGS.");
    if (info.outputPath.empty())
        return UsageError("Colorize needs the image file or folder: -Output:PATH.");
    const std::string& target = info.outputPath;
    ColorizeFileSettings file;
    if (FAILED(ReadColorizeSettings(info.colorizeSettings, &file))) {
        std::fprintf(stderr,
                     "vellum: the colorizer settings %s cannot be used; nothing was "
                     "colorized.\n",
                     info.colorizeSettings.c_str());
        PrintErrorTrail(dataFolder, "Colorize with " + info.colorizeSettings);
        return kExitFailure;
    }
    Colorizer colorizer;
    ColorizerSettings panel;
    ApplyColorizeSettings(file, colorizer, panel);

    ColorizeTally tally;
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec)) {
        auto record = [&tally](const std::string& path, HRESULT hr) { tally.Record(path, hr); };
        // The folder is listed before any file is touched: a failure without a failed file is
        // the listing's.
        if (FAILED(ColorizeFolder(colorizer, target, record)) && tally.Failures() == 0) {
            PrintErrorTrail(dataFolder, "Colorize " + target);
            return kExitFailure;
        }
    } else if (std::filesystem::is_regular_file(target, ec)) {
        tally.Record(target, ColorizeFile(colorizer, target));
    } else {
        std::fprintf(stderr, "vellum: there is no file or folder %s.\n", target.c_str());
        return kExitFailure;
    }
    return tally.Finish(target, dataFolder);
}

} // namespace vellum
