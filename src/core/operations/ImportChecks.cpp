// Import dialog checks: the destination folder, then the file.
#include "operations/ImportChecks.h"

#include "common/ErrorBox.h"
#include "common/ErrorTrail.h"
#include "common/Path.h"
#include "common/Result.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "formats/PeImage.h"

#include <filesystem>
#include <system_error>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kOperations;
constexpr const char* kCaption = "Import Resource File";

void Refuse(Prompter& prompter, const std::string& message) {
    prompter.Ask(message, kCaption, MB_OK | MB_ICONERROR);
}

bool CreateFolderTree(const std::string& folder, Prompter& prompter) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec)
        return true;
    ReportError(kModule, __LINE__, HResultFromErrno(ec.value()), "Failed to create %s",
                folder.c_str());
    ErrorBox().Show(prompter, MB_OK | MB_ICONHAND);
    return false;
}

} // namespace

std::optional<std::string> CheckImportFolder(const std::string& folder, Prompter& prompter) {
    if (folder.empty()) {
        Refuse(prompter, "You must specify a dump directory.");
        return std::nullopt;
    }
    std::string withSeparator = WithTrailingSeparator(folder);
    std::error_code ec;
    auto status = std::filesystem::status(withSeparator.substr(0, withSeparator.size() - 1), ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        std::string question = Format("The '%s' directory does not exist.\r\n\r\nWould you like "
                                      "to create it?",
                                      withSeparator.c_str());
        if (prompter.Ask(question, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES ||
            !CreateFolderTree(withSeparator, prompter))
            return std::nullopt;
    } else if (status.type() != std::filesystem::file_type::directory) {
        Refuse(prompter, Format("%s is not a directory", withSeparator.c_str()));
        return std::nullopt;
    }
    return withSeparator;
}

bool CheckImportFile(const std::string& file, Prompter& prompter) {
    if (file.empty()) {
        Refuse(prompter, "You must specify a file to import.");
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        Refuse(prompter, Format("The %s file does not exist.", file.c_str()));
        return false;
    }
    if (ExecutableKindOfFile(file) == ExecutableKind::Unknown) {
        Refuse(prompter, Format("The '%s' file contains no resources that Vellum can extract.",
                                file.c_str()));
        return false;
    }
    return true;
}

} // namespace vellum
