// The replace step shared by the viewers.
#include "views/ReplaceFile.h"

#include "common/ErrorTrail.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "platform/DataFolder.h"

#include <filesystem>

namespace vellum::gui {

namespace {

constexpr const char* kModule = trail::kVellum;

bool IsPng(const std::string& path) {
    return EqualsNoCase(SplitPath(path).ext, ".png");
}

// The old name's folder part, then the chosen name. A bitmap keeps a PNG under the name of the
// bitmap it becomes (".BMP", with its Png flag set); other resources keep the name as chosen.
// `suffix` tells apart a name that another file of the project already has.
std::string NewManifestName(const std::string& oldName, const std::string& chosen, bool bitmap,
                            const std::string& suffix = {}) {
    std::size_t slash = oldName.rfind('\\');
    std::string prefix = slash == std::string::npos ? std::string() : oldName.substr(0, slash + 1);
    PathParts parts = SplitPath(chosen);
    return prefix + parts.fname + suffix + (bitmap && IsPng(chosen) ? ".BMP" : parts.ext);
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return EqualsNoCase(a, b) || std::filesystem::equivalent(a, b, ec);
}

// A file chosen from inside the project folder may already be the target.
bool CopyOver(const std::string& chosen, const std::string& target) {
    if (SameFile(chosen, target))
        return true;
    ClearReadOnly(target);
    std::error_code ec;
    std::filesystem::copy_file(chosen, target, std::filesystem::copy_options::overwrite_existing,
                               ec);
    return !ec;
}

// Every file of the project folder belongs to something: another resource, a header or section
// file, the manifest. A replacement only ever overwrites the resource's own file; a chosen name
// that another file has already gets "-2", "-3", ... before its extension.
std::string FreeManifestName(Project& project, XmlNode* fileNode, const std::string& chosen,
                             bool bitmap, bool png) {
    std::string own = project.DataFilePath(fileNode);
    std::string oldName = project.Text(fileNode, "Name");
    std::string name = NewManifestName(oldName, chosen, bitmap);
    for (int n = 2;; ++n) {
        std::string target = project.DataFilePath(fileNode, name, png);
        std::error_code ec;
        if (target.empty() || !std::filesystem::exists(target, ec) || SameFile(target, own))
            return name;
        name = NewManifestName(oldName, chosen, bitmap, "-" + std::to_string(n));
    }
}

} // namespace

// The copy goes to the file the new Name and Png flag make the compiler read, so the manifest
// and the project folder agree: replacing NAME.png (Png 1) by other.bmp gives other.bmp with
// Png 0; replacing BANNER.BMP by other.png gives other.BMP with Png 1 and the file other.png.
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
    bool bitmap = project.IsBitmapFile(fileNode);
    bool png = bitmap && IsPng(chosen);
    std::string name = FreeManifestName(project, fileNode, chosen, bitmap, png);
    std::string target = project.DataFilePath(fileNode, name, png);
    if (target.empty() || !CopyOver(chosen, target)) {
        ReportError(kModule, __LINE__, E_FAIL, "An error copying the '%s' file to '%s'.",
                    chosen.c_str(), target.c_str());
        return std::nullopt;
    }
    project.Set(fileNode, "Name", name);
    if (bitmap)
        project.Set(fileNode, "Png", png ? "1" : "0");
    return target;
}

std::optional<std::string> ReplacePaneFile(AppServices& app, const std::string& current,
                                           const std::string& chosen, Project* project,
                                           XmlNode* fileNode) {
    if (!project)
        return std::nullopt;
    auto target = ReplaceResourceFile(current, chosen, *project, fileNode, app.prompter);
    if (!target)
        app.ShowErrorTrailIfAny();
    return target;
}

} // namespace vellum::gui
