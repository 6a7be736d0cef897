// Adding plain resources and dispatching icons and cursors to the group logic.
#include "project/AddResource.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"

#include <array>
#include <cstdlib>
#include <filesystem>

namespace vellum {

namespace {

const char* const kModule = "VelDoc";

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

HRESULT AddPlainResource(Project& project, const ResourceToAdd& request) {
    if (request.name.empty())
        return Refuse("A resource name must be entered before continuing.\n");
    std::string ext = SplitPath(request.sourcePath).ext;
    std::string extWord = ToUpperAscii(ext.empty() ? ext : ext.substr(1));
    std::string resourceName =
        request.name + (ext.empty() ? "" : "_" + (request.png ? "BMP" : extWord));
    std::string storedName = MakeSafeFileName(request.name + (request.png ? ".BMP" : ext));
    XmlNode* existingType = request.namedType ? project.FindNamedType(request.typeLabel)
                                              : project.FindType(request.type);
    if (existingType && project.HasResourceNamed(existingType, resourceName))
        return Refuse("A resource with that name already exists in that category.\n");
    if (!project.RootDirectory())
        return Refuse("The manifest has no root Directory");

    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(request.sourcePath, bytes);
    if (FAILED(hr))
        return Refuse(Format("The file \"%s\" does not exist.\n", request.sourcePath.c_str()));
    std::optional<std::string> copy =
        ResolveInFolder(project.Folder(), MakeSafeFileName(request.name + ext));
    std::error_code ignored;
    if (!copy || std::filesystem::exists(*copy, ignored))
        return Refuse(Format("The file %s already exists in the project folder.\n",
                             MakeSafeFileName(request.name + ext).c_str()));
    hr = ReplaceFileContents(*copy, bytes.data(), bytes.size());
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to copy %s to %s", request.sourcePath.c_str(),
                    copy->c_str());
        return hr;
    }
    XmlNode* type = request.namedType ? project.EnsureNamedType(request.typeLabel)
                                      : project.EnsureType(request.type);
    project.InsertNamedResource(type, resourceName, request.language, storedName, bytes.size(),
                                request.png);
    return S_OK;
}

} // namespace

int TypeOfAddLabel(std::string_view label) {
    for (const AddLabel& known : kAddLabels)
        if (EqualsNoCase(label, known.label))
            return known.type;
    return 0;
}

ResourceToAdd ClassifyResource(const std::string& sourcePath, const std::string& name,
                               const std::string& typeLabel, const std::string& languageText) {
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
    return project.AddIconOrCursorFile(request.sourcePath, request.name, request.language);
}

} // namespace vellum
