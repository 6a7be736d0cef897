// The project being edited: its manifest (pe.xml) and folder, and the edits the resource tree's
// commands make to them: adding resources, icon and cursor groups, removing entries.
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
#include "project/ResourceTree.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellum {

// Numeric resource types the group logic works with.
constexpr int kResourceCursor = 1;
constexpr int kResourceBitmap = 2;
constexpr int kResourceIcon = 3;
constexpr int kResourceCursorGroup = 12;
constexpr int kResourceIconGroup = 14;

struct GroupMember;

// What a group add created.
struct GroupAdded {
    int groupType = 0;
    int groupId = 0;
    std::vector<int> memberIds;
    std::string groupFile; // the group data file's name in the project folder
};

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
    std::string Text(XmlNode* node, std::string_view attribute);
    // The attribute as a number; `fallback` when it is missing.
    int Int(XmlNode* node, std::string_view attribute, int fallback = 0);
    void Set(XmlNode* node, std::string_view attribute, const std::string& value);
    // The tree label of a resource: "NAME (LANG)" from its name or ID and its first language.
    std::string ResourceLabel(XmlNode* resourceEntry);

    // ---- removing ---------------------------------------------------------------------------
    // Unlinks the entry and lowers its Directory's ID_Entries (for an entry with an ID) or
    // Named_Entries; a Directory left with no entries takes its owning entry with it, up to the
    // type entries under the root.
    void RemoveEntry(XmlNode* entry);
    // Removes a resource entry and its tree item.
    void RemoveResource(XmlNode* resourceEntry);
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

    // ---- icon and cursor groups --------------------------------------------------------------
    // Splits an .ico or .cur file into a new group resource and one member resource per image,
    // with the lowest free IDs. `name` names the group data file (name + "_ICO"/"_CUR"); an
    // empty one gives "<type><ID in five digits>_ICO". Nothing changes on failure.
    HRESULT AddIconOrCursorFile(const std::string& sourcePath, const std::string& name,
                                int language, GroupAdded* added = nullptr);
    // Adds the first image of an .ico or .cur file to the group whose data file is groupName +
    // "_ICO"/"_CUR". The group's members move to the lowest free run of count + 1 IDs (their
    // files renamed, their entries renumbered) and the image becomes the last member. Nothing
    // changes on failure.
    HRESULT AddImageToGroup(const std::string& groupName, const std::string& imagePath, bool cursor,
                            GroupAdded* added = nullptr);
    // The group's ID when its data lists the member, else 0.
    int GroupListsMember(XmlNode* groupEntry, int memberId);
    // Takes the member out of every group of `groupType` that lists it. Groups left empty, or
    // every such group when `deleteGroups`, are deleted with their members.
    HRESULT RemoveMemberFromGroups(int memberId, int groupType, bool deleteGroups);
    // Removes the member resources a group lists, except those another group still lists.
    void DeleteGroupMembers(XmlNode* groupEntry);
    void DeleteGroup(XmlNode* groupEntry);
    // The member IDs a group's data file lists; empty when it cannot be read.
    std::vector<int> GroupMembers(XmlNode* groupEntry);

    // ---- adding plain resources ------------------------------------------------------------
    // Inserts a named resource entry (and its type) for a file already in the project folder.
    XmlNode* InsertNamedResource(XmlNode* typeEntry, const std::string& name, int language,
                                 const std::string& fileName, std::uint64_t size, bool png);
    // True when a resource of the type already carries the name (ignoring case).
    bool HasResourceNamed(XmlNode* typeEntry, std::string_view name);
    // True when a group of the type already uses that data file name (ignoring case).
    bool HasGroupFile(int groupType, std::string_view fileName);

    Prompter& GetPrompter() { return prompter_; }
    TreeSink* Tree() { return tree_; }

private:
    XmlNode* NewTypeEntry(XmlNode* before, std::string_view key, const std::string& value);
    XmlNode* NewResourceEntry(XmlNode* typeDirectory, XmlNode* before, const std::string& key,
                              const std::string& value, int language);
    XmlNode* InsertIdResource(XmlNode* typeEntry, int id, int language, const std::string& fileName,
                              std::uint64_t size);
    void AddToCount(XmlNode* directory, bool named, int delta);
    void ShowItem(XmlNode* typeEntry, XmlNode* resourceEntry);
    std::optional<std::vector<std::uint8_t>> ReadGroupData(XmlNode* groupEntry);
    std::optional<std::string> GroupDataPath(XmlNode* groupEntry);
    HRESULT DropGroupEntry(XmlNode* groupEntry, int memberId, int* remaining);
    void ReplaceMemberEntries(const std::vector<GroupMember>& members, bool cursor, int firstId,
                              int language, std::uint64_t addedSize);

    Prompter& prompter_;
    TreeSink* tree_;
    XmlDocument manifest_;
    std::string manifestPath_;
    std::string folder_;
};

// Allocation rules for new IDs, over the IDs already in use (any order).
// The lowest ID from 1 on that is not in use.
int FirstFreeId(std::vector<int> used);
// The first ID of the lowest run of `count` free IDs from 1 on; 0 when it would pass 65535.
int FirstFreeRun(std::vector<int> used, int count);

} // namespace vellum
