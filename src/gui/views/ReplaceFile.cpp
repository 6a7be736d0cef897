// The replace step shared by the viewers.
#include "views/ReplaceFile.h"

#include "common/ErrorTrail.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "platform/DataFolder.h"

#include <filesystem>

namespace vellum::gui {

namespace {

constexpr const char* kModule = "Vellum";

std::string FolderOf(const std::string& path) {
    PathParts parts = SplitPath(path);
    return parts.drive + parts.dir;
}

// The old name's folder part, then the chosen name; a PNG is stored as the bitmap it becomes.
std::string NewManifestName(const std::string& oldName, const std::string& chosen) {
    std::size_t slash = oldName.rfind('\\');
    std::string prefix = slash == std::string::npos ? std::string() : oldName.substr(0, slash + 1);
    PathParts parts = SplitPath(chosen);
    std::string ext = EqualsNoCase(parts.ext, ".png") ? ".BMP" : parts.ext;
    return prefix + parts.fname + ext;
}

} // namespace

std::optional<std::string> ReplaceResourceFile(const std::string& current,
                                               const std::string& chosen, Project& project,
                                               XmlNode* fileNode, Prompter& prompter) {
    if (chosen.empty() || EqualsNoCase(chosen, current))
        return std::nullopt;
    if (!EqualsNoCase(SplitPath(chosen).ext, SplitPath(current).ext) &&
        prompter.Ask("You have chosen a filename with a different extension than the one you are "
                     "replacing.\r\nChanging the file type could have adverse side "
                     "effects.\r\n\r\nDo you wish to continue?",
                     "Vellum", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return std::nullopt;
    std::string target = FolderOf(current) + std::string(FileNameOf(chosen));
    if (!EqualsNoCase(FolderOf(chosen), FolderOf(current))) {
        ClearReadOnly(target);
        std::error_code ec;
        std::filesystem::copy_file(chosen, target,
                                   std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) {
            ReportError(kModule, __LINE__, E_FAIL, "An error copying the '%s' file to '%s'.",
                        chosen.c_str(), target.c_str());
            return std::nullopt;
        }
    }
    project.Set(fileNode, "Name", NewManifestName(project.Text(fileNode, "Name"), chosen));
    return target;
}

} // namespace vellum::gui
