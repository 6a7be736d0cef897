// The project being edited: its manifest (pe.xml) and folder. Project is the manifest model:
// navigation, the type, resource and language entries and their labels, inserting and removing
// entries in the order the loader needs, and the data files the entries name. The edits built on
// it (icon and cursor groups, adding a file as a resource) live in GroupEditor and AddResource.
//
// Manifest shape of one resource (a type entry holds a Directory of such entries; named entries
// come before ID entries in every Directory, and its Named_Entries/ID_Entries count them):
//   <Entry ID='5' Directory='1'>                     or Name='LOGO_BMP'
//     <Directory Type='5' Named_Entries='0' ID_Entries='1'>
//       <Entry ID='1033' Directory='0'>              the language
//         <File Name='Icon00005.ico' Size='744'/>    Png='1' for a bitmap kept as PNG
#pragma once

#include "common/Prompter.h"
#include "common/Result.h"
#include "common/XmlDocument.h"
#include "formats/ResourceDirectory.h"
#include "project/ResourceTree.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vellum {

// Numeric resource types the group logic works with, as the manifest's int attributes hold them.
constexpr int kResourceCursor = int(rt::kCursor);
constexpr int kResourceBitmap = int(rt::kBitmap);
constexpr int kResourceIcon = int(rt::kIcon);
constexpr int kResourceCursorGroup = int(rt::kCursorGroup);
constexpr int kResourceIconGroup = int(rt::kIconGroup);

// The data RVA range of a leaf, as the dump recorded it.
struct EntryRange {
    std::string start;
    std::string end;
};

class Project {
public:
    explicit Project(Prompter& prompter, TreeSink* tree = nullptr);

    // Loads the manifest; the folder becomes the manifest's folder.
    HRESULT Load(const std::string& manifestPath);
    // Writes the manifest back over its file (through a temporary file).
    HRESULT Save() const;

    XmlDocument& Manifest() { return manifest_; }
    const std::string& Folder() const { return folder_; }
    const std::string& ManifestPath() const { return manifestPath_; }
    void SetTree(TreeSink* tree) { tree_ = tree; }

    // ---- manifest navigation --------------------------------------------------------------
    XmlNode* RootDirectory();
    XmlNode* FindType(int id);
    XmlNode* FindNamedType(std::string_view name);
    // The type entry, created at its sorted place among the root's entries when missing.
    XmlNode* EnsureType(int id);
    XmlNode* EnsureNamedType(const std::string& name);
    // The resource entries under a type entry, in manifest order.
    std::vector<XmlNode*> ResourcesOf(XmlNode* typeEntry);
    static XmlNode* FirstLanguageOf(XmlNode* resourceEntry);
    static XmlNode* FileOf(XmlNode* resourceEntry);
    // A language entry's File node; null when its first child is not a File element (a type
    // entry, a resource entry, the root).
    static XmlNode* FileOfLanguage(XmlNode* languageEntry);
    // The resource entry that holds a language entry, and the type entry that holds a resource
    // entry; null when the node two levels up is not an Entry.
    static XmlNode* ResourceOfLanguage(XmlNode* languageEntry);
    static XmlNode* TypeOfResource(XmlNode* resourceEntry);
    // The child elements of a node, in manifest order.
    static std::vector<XmlNode*> ChildrenOf(XmlNode* node);
    // An Entry's Name, else its ID; empty for every other element.
    std::string EntryLabel(XmlNode* node);
    // The attribute's decoded text; empty when it (or the node) is missing.
    static std::string Text(const XmlNode* node, std::string_view attribute);
    // The attribute as a number; `fallback` when it (or the node) is missing.
    static int Int(const XmlNode* node, std::string_view attribute, int fallback = 0);
    void Set(XmlNode* node, std::string_view attribute, const std::string& value);
    // The tree label of a resource: "NAME (LANG)" from its name or ID and its first language.
    std::string ResourceLabel(XmlNode* resourceEntry);
    // The same for one language entry of a resource: "NAME (LANG)" with that language.
    std::string LanguageLabel(XmlNode* languageEntry);
    // The language entries of a resource, in manifest order.
    static std::vector<XmlNode*> LanguagesOf(XmlNode* resourceEntry);

    // ---- removing ---------------------------------------------------------------------------
    // Unlinks the entry and lowers its Directory's ID_Entries (for an entry with an ID) or
    // Named_Entries; a Directory left with no entries takes its owning entry with it, up to the
    // type entries under the root.
    void RemoveEntry(XmlNode* entry);
    // Removes a resource entry and its tree items.
    void RemoveResource(XmlNode* resourceEntry);
    // Removes one language of a resource and its tree item; the last language takes the resource.
    void RemoveLanguage(XmlNode* languageEntry);
    // The Start and End of the node's first child.
    EntryRange GetEntryRange(XmlNode* node);

    // ---- resource files ----------------------------------------------------------------------
    // The resource type of a File node: its type entry's ID, 0 under a named type.
    int TypeOfFile(XmlNode* fileNode);
    // True for a bitmap's File node: type 2, or a line that carries a Png flag.
    bool IsBitmapFile(XmlNode* fileNode);
    // The full path of the file that holds a File node's data: the one the compiler reads
    // (ResourceDataFileName), matched without regard to case inside the folder. Empty when the
    // node names no file or the name would leave the folder.
    std::string DataFilePath(XmlNode* fileNode);
    // The same for the Name and Png flag the node is about to get.
    std::string DataFilePath(XmlNode* fileNode, const std::string& name, bool png);

    // ---- inserting resources ----------------------------------------------------------------
    // Inserts a resource entry with an ID, at its sorted place under the type entry, for a file
    // already in the project folder, and shows it in the tree.
    XmlNode* InsertIdResource(XmlNode* typeEntry, int id, int language, const std::string& fileName,
                              std::uint64_t size);
    // Inserts a named resource entry for a file already in the project folder.
    XmlNode* InsertNamedResource(XmlNode* typeEntry, const std::string& name, int language,
                                 const std::string& fileName, std::uint64_t size, bool png);
    // True when a resource of the type already carries the name (ignoring case).
    bool HasResourceNamed(XmlNode* typeEntry, std::string_view name);
    // True when some language entry's data lives in the file at `path`.
    bool UsesFile(const std::string& path);

    Prompter& GetPrompter() { return prompter_; }
    TreeSink* Tree() { return tree_; }

private:
    XmlNode* NewTypeEntry(XmlNode* before, std::string_view key, const std::string& value);
    XmlNode* NewResourceEntry(XmlNode* typeDirectory, XmlNode* before, const std::string& key,
                              const std::string& value, int language);
    void AddToCount(XmlNode* directory, bool named, int delta);
    void ShowItem(XmlNode* typeEntry, XmlNode* resourceEntry);

    Prompter& prompter_;
    TreeSink* tree_;
    XmlDocument manifest_;
    std::string manifestPath_;
    std::string folder_;
};

} // namespace vellum
