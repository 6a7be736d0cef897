// Adding plain resources and dispatching icons and cursors to the group logic.
#include "project/AddResource.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "formats/ManifestText.h"
#include "imaging/BmpToPng.h"
#include "project/GroupEditor.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kProject;

struct AddLabel {
    std::string_view label;
    int type;
};

constexpr std::array<AddLabel, 11> kAddLabels{{
    {"Cursor", 1},
    {"Bitmap", 2},
    {"Icon", 3},
    {"Menu", 4},
    {"Dialog", 5},
    {"String", 6},
    {"Font", 8},
    {"Accelerator", 9},
    {"Messages", 11},
    {"Cursor Group", 12},
    {"Icon Group", 14},
}};

int ParseLanguage(const std::string& text) {
    if (text.empty())
        return 1033;
    return int(std::strtol(text.c_str(), nullptr, 10));
}

HRESULT Refuse(const std::string& message) {
    ReportError(kModule, __LINE__, E_FAIL, "%s", message.c_str());
    return E_FAIL;
}

// The destination as a folder relative to the project folder: "" for the folder itself, else
// ending in a backslash; nothing when it lies outside the project folder.
std::optional<std::string> RelativeDestination(const std::string& projectFolder,
                                               const std::string& destination) {
    namespace fs = std::filesystem;
    if (destination.empty())
        return std::string();
    fs::path base = fs::path(projectFolder).lexically_normal();
    fs::path relative = (fs::path(ToHostPath(destination)) / "").lexically_normal();
    relative = relative.lexically_relative(base);
    std::string text = relative.generic_string();
    if (relative.empty() || text == ".." || text.starts_with("../"))
        return std::nullopt;
    while (!text.empty() && text.back() == '/')
        text.pop_back();
    if (text == ".")
        text.clear();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text.empty() ? text : text + "\\";
}

// Where a plain resource's file goes, relative to the project folder: `copy` is the file
// written, `stored` the File name the manifest records (NAME.BMP for a PNG, whose copy keeps the
// PNG's own extension).
struct Placement {
    std::string copy;
    std::string stored;
};

std::optional<Placement> PlaceFile(const Project& project, const ResourceToAdd& request) {
    std::optional<std::string> base =
        RelativeDestination(project.Folder(), request.destinationFolder);
    if (!base)
        return std::nullopt;
    std::string ext = SplitPath(request.sourcePath).ext;
    std::size_t cut = request.visualStyleNaming ? request.name.rfind('_') : std::string::npos;
    if (cut == std::string::npos || cut == 0)
        return Placement{*base + MakeSafeFileName(request.name + ext),
                         *base + MakeSafeFileName(request.name + (request.png ? ".BMP" : ext))};
    std::string folder = *base + MakeSafeFileName(request.name.substr(0, cut)) + "\\";
    std::string leaf = MakeSafeFileName(request.name.substr(cut + 1) + ToUpperAscii(ext));
    if (!request.png)
        return Placement{folder + leaf, folder + leaf};
    return Placement{folder + PngPathFor(leaf),
                     folder + MakeSafeFileName(request.name.substr(cut + 1) + ".BMP")};
}

// Copies the source to the placement, creating its folder when missing. A folder created here
// goes again when the copy fails.
HRESULT CopyInto(Project& project, const std::string& relative, bool overwrite,
                 const std::vector<std::uint8_t>& bytes) {
    std::optional<std::string> copy = ResolveInFolder(project.Folder(), relative);
    std::error_code ec;
    bool exists = copy && std::filesystem::exists(*copy, ec);
    if (!copy || (exists && !overwrite))
        return Refuse(
            Format("The file %s already exists in the project folder.\n", relative.c_str()));
    if (exists && project.UsesFile(*copy))
        return Refuse(Format("The file %s holds another resource's data.\n", relative.c_str()));
    std::filesystem::path parent = std::filesystem::path(*copy).parent_path();
    bool created = !std::filesystem::exists(parent, ec);
    if (created && FAILED(CreateFolders(parent.string())))
        return Refuse("Failed to create sub directory.");
    HRESULT hr = ReplaceFileContents(*copy, bytes.data(), bytes.size());
    if (FAILED(hr)) {
        if (created)
            std::filesystem::remove(parent, ec);
        ReportError(kModule, __LINE__, hr, "Failed to copy to %s", copy->c_str());
    }
    return hr;
}

XmlNode* ExistingType(Project& project, const ResourceToAdd& request) {
    return request.namedType ? project.FindNamedType(request.typeLabel)
                             : project.FindType(request.type);
}

HRESULT AddPlainResource(Project& project, const ResourceToAdd& request) {
    if (request.name.empty())
        return Refuse("A resource name must be entered before continuing.\n");
    if (IsNameTaken(project, request))
        return Refuse("A resource with that name already exists in that category.\n");
    if (!project.RootDirectory())
        return Refuse("The manifest has no root Directory");
    std::optional<Placement> place = PlaceFile(project, request);
    if (!place)
        return Refuse(Format("The folder %s is not inside the project folder",
                             request.destinationFolder.c_str()));

    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(request.sourcePath, bytes);
    if (FAILED(hr))
        return Refuse(Format("The file \"%s\" does not exist.\n", request.sourcePath.c_str()));
    hr = CopyInto(project, place->copy, request.overwrite, bytes);
    if (FAILED(hr))
        return hr;
    XmlNode* type = request.namedType ? project.EnsureNamedType(request.typeLabel)
                                      : project.EnsureType(request.type);
    project.InsertNamedResource(type, AddedResourceName(request), request.language, place->stored,
                                bytes.size(), request.png);
    return S_OK;
}

} // namespace

std::string AddedResourceName(const ResourceToAdd& request) {
    std::string ext = SplitPath(request.sourcePath).ext;
    if (ext.empty())
        return request.name;
    return request.name + "_" + (request.png ? std::string("BMP") : ToUpperAscii(ext.substr(1)));
}

std::string CopyTargetOf(const Project& project, const ResourceToAdd& request) {
    std::optional<Placement> place = PlaceFile(project, request);
    if (!place)
        return {};
    return ResolveInFolder(project.Folder(), place->copy).value_or(std::string());
}

bool IsNameTaken(Project& project, const ResourceToAdd& request) {
    if (!request.groupLogic)
        return project.HasResourceNamed(ExistingType(project, request), AddedResourceName(request));
    bool cursor = request.type == kResourceCursor || request.type == kResourceCursorGroup;
    return GroupEditor(project).HasGroupFile(
        cursor ? kResourceCursorGroup : kResourceIconGroup,
        MakeSafeFileName(request.name + (cursor ? "_CUR" : "_ICO")));
}

int TypeOfAddLabel(std::string_view label) {
    for (const AddLabel& known : kAddLabels)
        if (EqualsNoCase(label, known.label))
            return known.type;
    return 0;
}

ResourceToAdd ClassifyResource(const std::string& sourcePath, const std::string& name,
                               const std::string& typeLabel, const std::string& languageText,
                               const std::string& destinationFolder, bool visualStyleNaming) {
    ResourceToAdd request;
    request.sourcePath = sourcePath;
    request.name = name;
    request.typeLabel = typeLabel;
    request.type = TypeOfAddLabel(typeLabel);
    request.namedType = request.type == 0;
    request.groupLogic =
        request.type == 1 || request.type == 3 || request.type == 12 || request.type == 14;
    request.png = HasExtension(sourcePath, ".png");
    request.language = ParseLanguage(languageText);
    request.destinationFolder = destinationFolder;
    request.visualStyleNaming = visualStyleNaming;
    return request;
}

HRESULT AddResource(Project& project, const ResourceToAdd& request) {
    if (request.typeLabel.empty())
        return Refuse("You must either choose or specify a resource type.");
    if (!request.groupLogic)
        return AddPlainResource(project, request);
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(request.sourcePath, ignored))
        return Refuse(Format("The file \"%s\" does not exist.\n", request.sourcePath.c_str()));
    return GroupEditor(project).AddIconOrCursorFile(request.sourcePath, request.name,
                                                    request.language);
}

} // namespace vellum
