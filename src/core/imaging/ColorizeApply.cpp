// The three scopes of "Save Colorization...": which files they rewrite and the confirmations.
#include "imaging/ColorizeApply.h"

#include "common/ByteView.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Prompter.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "common/XmlDocument.h"
#include "formats/IconDirectory.h"
#include "imaging/Colorizer.h"

#include <set>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kColorizer;
constexpr const char* kCaption = "Vellum";

constexpr int kCursorGroupType = 12;
constexpr int kIconGroupType = 14;

std::string TextOf(const XmlNode* node, std::string_view name) {
    return xml::AttributeText(node, name).value_or("");
}

// `fallback` when the attribute is missing.
int IntOf(const XmlNode* node, std::string_view name, int fallback) {
    return xml::AttributeInt(node, name).value_or(fallback);
}

// The type entry (a child of the root Directory) above a node of the manifest.
XmlNode* TypeEntryOf(XmlNode* node) {
    while (node && node->depth > 1)
        node = node->parent;
    return node && node->depth == 1 ? node : nullptr;
}

// Every File element below `root`, in document order.
std::vector<XmlNode*> FileNodesUnder(XmlNode* root) {
    std::vector<XmlNode*> files;
    XmlNode* node = root->firstChild;
    while (node) {
        if (EqualsNoCase(node->Name(), "File"))
            files.push_back(node);
        if (node->firstChild) {
            node = node->firstChild;
            continue;
        }
        while (node != root && !node->next)
            node = node->parent;
        node = node == root ? nullptr : node->next;
    }
    return files;
}

// The files to rewrite, each once, and the first problem met while gathering them.
class FileList {
public:
    void Add(const std::string& path) {
        if (seen_.insert(path).second)
            files_.push_back(path);
    }
    void Fail(HRESULT hr) {
        if (SUCCEEDED(problem_))
            problem_ = hr;
    }
    std::vector<std::string>& Files() { return files_; }
    HRESULT Problem() const { return problem_; }

private:
    std::vector<std::string> files_;
    std::set<std::string> seen_;
    HRESULT problem_ = S_OK;
};

// The member icons or cursors a group file lists, beside the group file.
void AddGroupMembers(const std::string& groupPath, bool cursors, FileList& list) {
    std::vector<std::uint8_t> bytes;
    if (HRESULT hr = ReadWholeFile(groupPath, bytes); FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Cannot read the group %s\n", groupPath.c_str());
        list.Fail(hr);
        return;
    }
    PathParts parts = SplitPath(groupPath);
    std::string folder = parts.drive + parts.dir;
    // A count larger than the data: the entries that are there.
    for (const GroupEntry& entry :
         GroupDirectory::Read(ByteView(bytes.data(), bytes.size()), cursors).entries) {
        int id = entry.id;
        std::string name = Format(cursors ? "Cursor%.5d.CUR" : "Icon%.5d.ICO", id);
        list.Add(ResolveInFolder(folder, name).value_or(folder + name));
    }
}

// The file a manifest name stands for, found without regard to case inside the project folder.
void AddManifestFile(const std::string& folder, std::string name, bool png, int groupType,
                     FileList& list) {
    if (png && name.size() >= 3)
        name.replace(name.size() - 3, 3, "png");
    std::optional<std::string> path = ResolveInFolder(folder, name);
    if (!path) {
        ReportError(kModule, __LINE__, E_FAIL, "The name %s leaves the project folder\n",
                    name.c_str());
        list.Fail(E_FAIL);
        return;
    }
    if (groupType == kIconGroupType || groupType == kCursorGroupType)
        AddGroupMembers(*path, groupType == kCursorGroupType, list);
    else
        list.Add(*path);
}

void AddCategoryFiles(const ShownImage& shown, FileList& list) {
    std::string folder = ProjectFolderOf(shown);
    XmlNode* typeEntry = TypeEntryOf(shown.fileNode);
    if (folder.empty() || !typeEntry) {
        ReportError(kModule, __LINE__, E_FAIL, "The resource of %s is not in the manifest\n",
                    shown.path.c_str());
        list.Fail(E_FAIL);
        return;
    }
    int type = IntOf(typeEntry, "ID", 0);
    for (XmlNode* file : FileNodesUnder(typeEntry)) {
        std::string name = TextOf(file, "Name");
        if (!name.empty())
            AddManifestFile(folder, name, IntOf(file, "Png", 0) != 0, type, list);
    }
}

FileList GatherFiles(const ShownImage& shown, ColorizeScope scope) {
    FileList list;
    if (scope == ColorizeScope::ImagesOfType)
        AddCategoryFiles(shown, list);
    else if (shown.request == ImageRequest::Plain)
        list.Add(shown.path);
    else
        AddGroupMembers(shown.path, shown.request == ImageRequest::CursorGroup, list);
    return list;
}

std::string CategoryOf(const ShownImage& shown) {
    XmlNode* typeEntry = TypeEntryOf(shown.fileNode);
    if (!typeEntry)
        return {};
    int type = IntOf(typeEntry, "ID", -1);
    return type >= 0 ? CategoryName(type) : TextOf(typeEntry, "Name");
}

std::string ConfirmationText(const ShownImage& shown, ColorizeScope scope) {
    switch (scope) {
    case ColorizeScope::CurrentImage:
        return "Warning:  Applying will overwrite the file\n\n" + shown.path +
               "\n\nYou cannot undo this operation.\r\n\r\nAre you sure you want to do this?";
    case ColorizeScope::ImagesOfType:
        return "Warning:  Applying will overwrite all files in the category: \n\n" +
               CategoryOf(shown) +
               "\n\nYou cannot undo this operation.\r\n\rAre you sure you want to do this?";
    case ColorizeScope::AllImages:
        break;
    }
    return "Warning:  Applying will overwrite ALL the files in the directory:\n\n" +
           ProjectFolderOf(shown) +
           "\n\nYou cannot undo this operation.\r\n\r\nAre you sure you want to do this?";
}

HRESULT ColorizeAll(const Colorizer& colorizer, FileList& list) {
    HRESULT first = list.Problem();
    for (const std::string& file : list.Files()) {
        HRESULT hr = ColorizeFile(colorizer, file);
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
    }
    return first;
}

} // namespace

std::string ProjectFolderOf(const ShownImage& shown) {
    if (!shown.manifest || !shown.fileNode)
        return {};
    std::string name = TextOf(shown.fileNode, "Name");
    if (name.empty() || name.size() > shown.path.size())
        return {};
    return shown.path.substr(0, shown.path.size() - name.size());
}

std::string CategoryName(int type) {
    static const char* const kNames[] = {
        nullptr,   "Cursor",        "Bitmap",       "Icon",  "Menu",
        "Dialog",  "String Table",  "Font Dir",     "Font",  "Accelerators",
        "RC Data", "Message Table", "Cursor Group", nullptr, "Icon Group",
    };
    if (type >= 0 && type < int(std::size(kNames)) && kNames[type])
        return kNames[type];
    return std::to_string(type);
}

std::vector<std::string> FilesToColorize(const ShownImage& shown, ColorizeScope scope) {
    return std::move(GatherFiles(shown, scope).Files());
}

HRESULT ApplyColorization(const Colorizer& colorizer, const ShownImage& shown, ColorizeScope scope,
                          Prompter& prompter) {
    bool needsManifest = scope != ColorizeScope::CurrentImage;
    if (needsManifest && (!shown.manifest || !shown.fileNode))
        return E_POINTER;
    int answer =
        prompter.Ask(ConfirmationText(shown, scope), kCaption, MB_YESNO | MB_ICONEXCLAMATION);
    if (answer != IDYES)
        return S_FALSE;
    if (scope != ColorizeScope::AllImages) {
        FileList list = GatherFiles(shown, scope);
        return ColorizeAll(colorizer, list);
    }
    std::string folder = ProjectFolderOf(shown);
    if (folder.empty()) {
        ReportError(kModule, __LINE__, E_FAIL, "No project folder for %s\n", shown.path.c_str());
        return E_FAIL;
    }
    return ColorizeFolder(colorizer, folder);
}

} // namespace vellum
