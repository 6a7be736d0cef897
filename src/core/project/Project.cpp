// Manifest navigation, entry insertion in loader order, and entry removal with count updates.
#include "project/Project.h"

#include "common/ErrorTrail.h"
#include "common/Path.h"
#include "common/ResourceDataFile.h"
#include "common/Strings.h"
#include "common/TrailModules.h"

#include <algorithm>
#include <filesystem>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kProject;

bool IsEntry(const XmlNode* node) {
    return EqualsNoCase(node->Name(), "Entry");
}

// The Entry whose Directory holds `entry`: a language's resource, a resource's type.
XmlNode* OwningEntry(XmlNode* entry) {
    XmlNode* directory = entry ? entry->parent : nullptr;
    XmlNode* owner = directory ? directory->parent : nullptr;
    return owner && IsEntry(owner) ? owner : nullptr;
}

// Windows' loader binary-searches each resource directory, so names are kept in the order of
// their upper-case forms.
bool NameSortsAfter(std::string_view existing, std::string_view name) {
    return ToUpperAscii(existing) > ToUpperAscii(name);
}

} // namespace

Project::Project(Prompter& prompter, TreeSink* tree) : prompter_(prompter), tree_(tree) {}

HRESULT Project::Load(const std::string& manifestPath) {
    HRESULT hr = manifest_.Load(manifestPath);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to load the manifest %s", manifestPath.c_str());
        return hr;
    }
    manifestPath_ = manifestPath;
    PathParts parts = SplitPath(manifestPath);
    folder_ = parts.drive + parts.dir;
    return S_OK;
}

HRESULT Project::Save() const {
    HRESULT hr = manifest_.Save(manifestPath_);
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed to save the manifest %s", manifestPath_.c_str());
    return hr;
}

// ---- navigation --------------------------------------------------------------------------

XmlNode* Project::RootDirectory() {
    return manifest_.Find("Directory");
}

std::string Project::Text(const XmlNode* node, std::string_view attribute) {
    return xml::AttributeText(node, attribute).value_or(std::string());
}

int Project::Int(const XmlNode* node, std::string_view attribute, int fallback) {
    return xml::AttributeInt(node, attribute).value_or(fallback);
}

void Project::Set(XmlNode* node, std::string_view attribute, const std::string& value) {
    manifest_.SetCursor(node);
    manifest_.SetAttribute(attribute, value);
}

XmlNode* Project::FindType(int id) {
    XmlNode* root = RootDirectory();
    for (XmlNode* entry = root ? root->firstChild : nullptr; entry; entry = entry->next)
        if (IsEntry(entry) && entry->FindAttribute("ID") && Int(entry, "ID", -1) == id)
            return entry;
    return nullptr;
}

XmlNode* Project::FindNamedType(std::string_view name) {
    XmlNode* root = RootDirectory();
    for (XmlNode* entry = root ? root->firstChild : nullptr; entry; entry = entry->next)
        if (IsEntry(entry) && Int(entry, "Ignore") != 1 && !entry->FindAttribute("ID") &&
            EqualsNoCase(Text(entry, "Name"), name))
            return entry;
    return nullptr;
}

std::vector<XmlNode*> Project::ResourcesOf(XmlNode* typeEntry) {
    std::vector<XmlNode*> resources;
    XmlNode* directory = typeEntry ? typeEntry->firstChild : nullptr;
    for (XmlNode* entry = directory ? directory->firstChild : nullptr; entry; entry = entry->next)
        if (IsEntry(entry))
            resources.push_back(entry);
    return resources;
}

XmlNode* Project::FirstLanguageOf(XmlNode* resourceEntry) {
    XmlNode* directory = resourceEntry ? resourceEntry->firstChild : nullptr;
    return directory ? directory->firstChild : nullptr;
}

std::vector<XmlNode*> Project::LanguagesOf(XmlNode* resourceEntry) {
    std::vector<XmlNode*> languages;
    XmlNode* directory = resourceEntry ? resourceEntry->firstChild : nullptr;
    for (XmlNode* language : ChildrenOf(directory))
        if (IsEntry(language))
            languages.push_back(language);
    return languages;
}

XmlNode* Project::FileOf(XmlNode* resourceEntry) {
    XmlNode* language = FirstLanguageOf(resourceEntry);
    return language ? language->firstChild : nullptr;
}

XmlNode* Project::FileOfLanguage(XmlNode* languageEntry) {
    XmlNode* file = languageEntry ? languageEntry->firstChild : nullptr;
    return file && EqualsNoCase(file->Name(), "File") ? file : nullptr;
}

XmlNode* Project::ResourceOfLanguage(XmlNode* languageEntry) {
    return OwningEntry(languageEntry);
}

XmlNode* Project::TypeOfResource(XmlNode* resourceEntry) {
    return OwningEntry(resourceEntry);
}

std::vector<XmlNode*> Project::ChildrenOf(XmlNode* node) {
    return xml::Children(node);
}

std::string Project::EntryLabel(XmlNode* node) {
    if (!node || !IsEntry(node))
        return {};
    std::string label = Text(node, "Name");
    return label.empty() ? Text(node, "ID") : label;
}

std::string Project::ResourceLabel(XmlNode* resourceEntry) {
    return LanguageLabel(FirstLanguageOf(resourceEntry));
}

std::string Project::LanguageLabel(XmlNode* language) {
    XmlNode* resourceEntry = ResourceOfLanguage(language);
    std::string name = Text(resourceEntry, "Name");
    if (name.empty())
        name = Text(resourceEntry, "ID");
    std::string languageLabel = Text(language, "Name");
    if (languageLabel.empty())
        languageLabel = Text(language, "ID");
    return name + " (" + languageLabel + ")";
}

EntryRange Project::GetEntryRange(XmlNode* node) {
    XmlNode* child = node ? node->firstChild : nullptr;
    return {Text(child, "Start"), Text(child, "End")};
}

// ---- resource files ----------------------------------------------------------------------

int Project::TypeOfFile(XmlNode* fileNode) {
    // File -> language Entry -> Directory -> resource Entry -> Directory -> type Entry.
    XmlNode* type = fileNode;
    for (int level = 0; level < 5 && type; ++level)
        type = type->parent;
    if (!type || !Text(type, "Name").empty())
        return 0;
    return Int(type, "ID");
}

bool Project::IsBitmapFile(XmlNode* fileNode) {
    return fileNode && (fileNode->FindAttribute("Png") || TypeOfFile(fileNode) == kResourceBitmap);
}

std::string Project::DataFilePath(XmlNode* fileNode) {
    return DataFilePath(fileNode, Text(fileNode, "Name"), Int(fileNode, "Png") != 0);
}

std::string Project::DataFilePath(XmlNode* fileNode, const std::string& name, bool png) {
    if (!fileNode || name.empty())
        return {};
    bool bitmapPng = png && TypeOfFile(fileNode) == kResourceBitmap;
    std::string relative = ResourceDataFileName(name, bitmapPng, Int(fileNode, "StripExt") != 0);
    return ResolveInFolder(folder_, relative).value_or(std::string());
}

// ---- counts and removal ------------------------------------------------------------------

void Project::AddToCount(XmlNode* directory, bool named, int delta) {
    const char* attribute = named ? "Named_Entries" : "ID_Entries";
    int count = std::max(0, Int(directory, attribute) + delta);
    Set(directory, attribute, std::to_string(unsigned(count)));
}

void Project::RemoveEntry(XmlNode* entry) {
    XmlNode* directory = entry ? entry->parent : nullptr;
    if (!directory)
        return;
    manifest_.Unlink(entry);
    AddToCount(directory, !entry->FindAttribute("ID"), -1);
    XmlNode* owner = directory->parent;
    // The root Directory has no owning entry; a type left empty goes, the root stays.
    if (owner && IsEntry(owner) && Int(directory, "Named_Entries") == 0 &&
        Int(directory, "ID_Entries") == 0)
        RemoveEntry(owner);
}

void Project::RemoveResource(XmlNode* resourceEntry) {
    if (tree_)
        for (XmlNode* language : LanguagesOf(resourceEntry))
            tree_->RemoveResourceItem(language);
    RemoveEntry(resourceEntry);
}

void Project::RemoveLanguage(XmlNode* languageEntry) {
    XmlNode* resourceEntry = ResourceOfLanguage(languageEntry);
    if (LanguagesOf(resourceEntry).size() <= 1) {
        RemoveResource(resourceEntry);
        return;
    }
    if (tree_)
        tree_->RemoveResourceItem(languageEntry);
    RemoveEntry(languageEntry);
}

// ---- insertion ---------------------------------------------------------------------------

XmlNode* Project::NewTypeEntry(XmlNode* before, std::string_view key, const std::string& value) {
    XmlNode* root = RootDirectory();
    XmlNode* entry = manifest_.InsertElement(root, before, "Entry");
    manifest_.SetAttribute(key, value);
    manifest_.SetAttribute("Directory", "1");
    manifest_.InsertElement(entry, nullptr, "Directory");
    bool named = key == "Name";
    manifest_.SetAttribute("Type", named ? "0" : value);
    if (named)
        manifest_.SetAttribute("Name", value);
    manifest_.SetAttribute("Named_Entries", "0");
    manifest_.SetAttribute("ID_Entries", "0");
    AddToCount(root, named, 1);
    return entry;
}

XmlNode* Project::EnsureType(int id) {
    if (XmlNode* existing = FindType(id))
        return existing;
    XmlNode* root = RootDirectory();
    if (!root)
        return nullptr;
    XmlNode* before = nullptr;
    for (XmlNode* entry = root->firstChild; entry && !before; entry = entry->next)
        if (IsEntry(entry) && entry->FindAttribute("ID") && Int(entry, "ID") > id)
            before = entry;
    return NewTypeEntry(before, "ID", std::to_string(id));
}

XmlNode* Project::EnsureNamedType(const std::string& name) {
    if (XmlNode* existing = FindNamedType(name))
        return existing;
    XmlNode* root = RootDirectory();
    if (!root)
        return nullptr;
    XmlNode* before = nullptr;
    for (XmlNode* entry = root->firstChild; entry && !before; entry = entry->next)
        if (IsEntry(entry) && Int(entry, "Ignore") != 1 &&
            (entry->FindAttribute("ID") || NameSortsAfter(Text(entry, "Name"), name)))
            before = entry;
    return NewTypeEntry(before, "Name", name);
}

XmlNode* Project::NewResourceEntry(XmlNode* typeDirectory, XmlNode* before, const std::string& key,
                                   const std::string& value, int language) {
    bool named = key == "Name";
    XmlNode* entry = manifest_.InsertElement(typeDirectory, before, "Entry");
    manifest_.SetAttribute(key, value);
    manifest_.SetAttribute("Directory", "1");
    manifest_.InsertElement(entry, nullptr, "Directory");
    manifest_.SetAttribute("Type", named ? "0" : value);
    if (named)
        manifest_.SetAttribute("Name", value);
    manifest_.SetAttribute("Named_Entries", "0");
    manifest_.SetAttribute("ID_Entries", "1");
    XmlNode* languageEntry = manifest_.InsertElement(entry->firstChild, nullptr, "Entry");
    manifest_.SetAttribute("ID", std::to_string(language));
    manifest_.SetAttribute("Directory", "0");
    manifest_.InsertElement(languageEntry, nullptr, "File");
    AddToCount(typeDirectory, named, 1);
    return entry;
}

XmlNode* Project::InsertIdResource(XmlNode* typeEntry, int id, int language,
                                   const std::string& fileName, std::uint64_t size) {
    XmlNode* directory = typeEntry->firstChild;
    XmlNode* before = nullptr;
    for (XmlNode* entry = directory->firstChild; entry && !before; entry = entry->next)
        if (IsEntry(entry) && entry->FindAttribute("ID") && Int(entry, "ID") > id)
            before = entry;
    XmlNode* entry = NewResourceEntry(directory, before, "ID", std::to_string(id), language);
    Set(FileOf(entry), "Name", fileName);
    Set(FileOf(entry), "Size", std::to_string(size));
    ShowItem(typeEntry, entry);
    return entry;
}

XmlNode* Project::InsertNamedResource(XmlNode* typeEntry, const std::string& name, int language,
                                      const std::string& fileName, std::uint64_t size, bool png) {
    XmlNode* directory = typeEntry ? typeEntry->firstChild : nullptr;
    if (!directory)
        return nullptr;
    XmlNode* before = nullptr;
    for (XmlNode* entry = directory->firstChild; entry && !before; entry = entry->next)
        if (IsEntry(entry) &&
            (entry->FindAttribute("ID") || NameSortsAfter(Text(entry, "Name"), name)))
            before = entry;
    XmlNode* entry = NewResourceEntry(directory, before, "Name", name, language);
    Set(FileOf(entry), "Name", fileName);
    Set(FileOf(entry), "Size", std::to_string(size));
    if (png)
        Set(FileOf(entry), "PNG", "1");
    ShowItem(typeEntry, entry);
    return entry;
}

void Project::ShowItem(XmlNode* typeEntry, XmlNode* resourceEntry) {
    if (!tree_)
        return;
    std::string type = Text(typeEntry, "Name");
    if (type.empty())
        type = Text(typeEntry, "ID");
    for (XmlNode* language : LanguagesOf(resourceEntry))
        tree_->InsertResourceItem(TypeItemLabel(type), LanguageLabel(language), language);
}

bool Project::HasResourceNamed(XmlNode* typeEntry, std::string_view name) {
    for (XmlNode* entry : ResourcesOf(typeEntry))
        if (EqualsNoCase(Text(entry, "Name"), name))
            return true;
    return false;
}

bool Project::UsesFile(const std::string& path) {
    std::filesystem::path wanted = std::filesystem::path(path).lexically_normal();
    for (XmlNode* type : ChildrenOf(RootDirectory()))
        for (XmlNode* resource : ResourcesOf(type))
            for (XmlNode* language : ChildrenOf(resource->firstChild)) {
                std::string data = IsEntry(language) ? DataFilePath(FileOfLanguage(language)) : "";
                if (!data.empty() && std::filesystem::path(data).lexically_normal() == wanted)
                    return true;
            }
    return false;
}

} // namespace vellum
