// Icon and cursor groups: an .ico/.cur file becomes one group resource listing one member
// resource per image, each member kept as a one-image .ico/.cur file; deleting members keeps the
// groups' lists consistent. The layouts are those of formats/IconDirectory.h.
#include "project/GroupEditor.h"

#include "common/ByteView.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "formats/DibShape.h"
#include "formats/IconDirectory.h"
#include "imaging/BmpToPng.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kProject;

struct GroupKind {
    int groupType;
    int memberType;
    const char* suffix;
    bool cursor;
};

GroupKind KindOf(bool cursor) {
    return cursor ? GroupKind{kResourceCursorGroup, kResourceCursor, "_CUR", true}
                  : GroupKind{kResourceIconGroup, kResourceIcon, "_ICO", false};
}

std::string MemberFileName(const GroupKind& kind, int id) {
    return kind.cursor ? Format("Cursor%.5u.cur", unsigned(id))
                       : Format("Icon%.5u.ico", unsigned(id));
}

bool IsCursorFile(const IconFile& icon) {
    return icon.header.type == kIconDirCursor;
}

// The one-image file of an image; a cursor's hot spot comes from its entry in the source file.
std::vector<std::uint8_t> MemberFile(const IconDirImage& source, bool cursor) {
    return SingleImageFile(source.image, cursor, {source.entry.planes, source.entry.bitCount});
}

// The group entry of an image: its size from the image itself. A cursor entry counts both blocks
// of a DIB's rows and the hot spot's bytes; an icon entry keeps the planes and bit count the
// source file states, when it states them.
GroupEntry GroupEntryOf(const IconDirImage& source, bool cursor, int id) {
    IconImageShape shape = ShapeOfIconImage(source.image);
    GroupEntry entry;
    entry.bytes = std::uint32_t(source.image.Size());
    entry.id = std::uint16_t(id);
    if (cursor) {
        entry.width = std::uint16_t(shape.width);
        entry.height = std::uint16_t(shape.png ? shape.height : shape.height * 2);
        entry.planes = 1;
        entry.bitCount = shape.bitCount;
        entry.bytes += kHotSpotSize;
    } else {
        entry.width = std::uint8_t(shape.width);
        entry.height = std::uint8_t(shape.height);
        entry.colours = shape.colours;
        entry.planes = source.entry.planes ? source.entry.planes : 1;
        entry.bitCount = source.entry.bitCount ? source.entry.bitCount : shape.bitCount;
    }
    return entry;
}

GroupDirectory NewGroup(bool cursor) {
    return {{0, cursor ? kIconDirCursor : kIconDirIcon, 0}, {}};
}

// Files written or renamed for one edit; Undo puts back what was there before, so a failed edit
// leaves the folder as it was.
class FileBatch {
public:
    HRESULT Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
        HRESULT hr = Remember(path);
        if (SUCCEEDED(hr))
            hr = ReplaceFileContents(path, bytes.data(), bytes.size());
        if (FAILED(hr)) {
            ReportError(kModule, __LINE__, hr, "Failed to write %s", path.c_str());
            return hr;
        }
        return S_OK;
    }
    // Records what `path` holds now, before some other writer replaces it.
    HRESULT Remember(const std::string& path) {
        Written record{path, {}, false, {}};
        std::error_code ec;
        record.existed = std::filesystem::exists(path, ec);
        if (record.existed && FAILED(ReadWholeFile(path, record.old)))
            return E_FAIL;
        done_.push_back(std::move(record));
        return S_OK;
    }
    // Renames `from` to `to`, replacing what `to` held; Undo renames it back.
    HRESULT Move(const std::string& from, const std::string& to) {
        HRESULT hr = Remember(to);
        std::error_code ec;
        if (SUCCEEDED(hr))
            std::filesystem::rename(from, to, ec);
        if (FAILED(hr) || ec) {
            if (SUCCEEDED(hr))
                done_.pop_back();
            ReportError(kModule, __LINE__, E_FAIL, "Failed to rename %s to %s", from.c_str(),
                        to.c_str());
            return E_FAIL;
        }
        done_.back().movedFrom = from;
        return S_OK;
    }
    void Undo() {
        for (auto it = done_.rbegin(); it != done_.rend(); ++it) {
            std::error_code ignored;
            if (!it->movedFrom.empty())
                std::filesystem::rename(it->path, it->movedFrom, ignored);
            if (it->existed)
                ReplaceFileContents(it->path, it->old.data(), it->old.size());
            else if (it->movedFrom.empty())
                std::filesystem::remove(it->path, ignored);
        }
        done_.clear();
    }

private:
    struct Written {
        std::string path;
        std::string movedFrom; // set for a rename
        bool existed;
        std::vector<std::uint8_t> old;
    };
    std::vector<Written> done_;
};

// A 32-bit DIB's colour image (the rows in front of the AND mask) as a record; its alpha channel
// already carries the transparency the mask repeats. False for other depths, compressed pixels,
// or rows that run past the image.
bool XorImageRecord(ByteView dib, ImageRecord& record) {
    DibHeader header = DibHeader::Read(dib);
    std::int32_t width = header.width;
    std::int32_t height = header.height / 2;
    // The info header and its later versions.
    if (header.size < kInfoHeaderSize || header.size > kV5HeaderSize || header.bitCount != 32 ||
        header.compression != kDibRgb || width < 1 || height < 1)
        return false;
    std::uint64_t pixels = header.PixelOffset();
    std::uint64_t bytes = ImageRecord::StrideFor(width, 32) * std::uint64_t(height);
    if (!dib.Has(pixels, bytes) || !record.Allocate(width, height, 32, 0, false))
        return false;
    std::memcpy(record.pixels.Data(), dib.Data() + pixels, std::size_t(bytes));
    return true;
}

// The PNG copy kept beside a member file whose image has 32 bits per pixel: the image's colours
// and alpha. A PNG-stream image is copied as it is; other images get no copy.
HRESULT WritePngCopy(FileBatch& batch, const std::string& memberPath, ByteView image) {
    std::string pngPath = PngPathFor(memberPath);
    if (IsPngStream(image))
        return batch.Write(pngPath,
                           std::vector<std::uint8_t>(image.Data(), image.Data() + image.Size()));
    ImageRecord record;
    if (!XorImageRecord(image, record))
        return S_OK;
    HRESULT hr = batch.Remember(pngPath);
    if (SUCCEEDED(hr) && !WritePng(pngPath, record))
        hr = E_FAIL;
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed to write %s", pngPath.c_str());
    return hr;
}

// The member file of an image, and its PNG copy when it has one.
HRESULT WriteMember(FileBatch& batch, const std::string& path, const IconDirImage& source,
                    bool cursor) {
    HRESULT hr = batch.Write(path, MemberFile(source, cursor));
    return SUCCEEDED(hr) ? WritePngCopy(batch, path, source.image) : hr;
}

// The group type of a group entry (the ID of its type entry, two levels up).
int GroupTypeOf(const XmlNode* groupEntry) {
    const XmlNode* directory = groupEntry ? groupEntry->parent : nullptr;
    return Project::Int(directory ? directory->parent : nullptr, "ID");
}

bool IsCursorGroup(const XmlNode* groupEntry) {
    return GroupTypeOf(groupEntry) == kResourceCursorGroup;
}

HRESULT InvalidIcon(Prompter& prompter, const std::string& path) {
    prompter.Ask("The icon selected is not a valid icon.", "ERROR: Invalid Icon",
                 MB_OK | MB_ICONERROR);
    ReportError(kModule, __LINE__, E_FAIL, "%s is not a valid icon or cursor file", path.c_str());
    return E_FAIL;
}

} // namespace

int FirstFreeId(std::vector<int> used) {
    return FirstFreeRun(std::move(used), 1);
}

int FirstFreeRun(std::vector<int> used, int count) {
    std::sort(used.begin(), used.end());
    int start = 1;
    for (int id : used) {
        if (id < start)
            continue;
        if (id - start >= count)
            break;
        start = id + 1;
    }
    return start + count - 1 <= 0xFFFF ? start : 0;
}

// ---- reading groups ----------------------------------------------------------------------

std::optional<std::string> GroupEditor::GroupDataPath(XmlNode* groupEntry) {
    std::string name = Project::Text(Project::FileOf(groupEntry), "Name");
    if (name.empty())
        return std::nullopt;
    return ResolveInFolder(project_.Folder(), name);
}

std::optional<std::vector<std::uint8_t>> GroupEditor::ReadGroupData(XmlNode* groupEntry) {
    std::optional<std::string> path = GroupDataPath(groupEntry);
    std::vector<std::uint8_t> bytes;
    if (!path || FAILED(ReadWholeFile(*path, bytes)))
        return std::nullopt;
    ByteView data(bytes.data(), bytes.size());
    if (!data.Has(0, GroupDirectory::SizeFor(IconDirHeader::Read(data).count)))
        return std::nullopt;
    return bytes;
}

std::vector<int> GroupEditor::GroupMembers(XmlNode* groupEntry) {
    std::vector<int> members;
    if (std::optional<std::vector<std::uint8_t>> data = ReadGroupData(groupEntry)) {
        ByteView view(data->data(), data->size());
        for (const GroupEntry& entry :
             GroupDirectory::Read(view, IsCursorGroup(groupEntry)).entries)
            members.push_back(entry.id);
    }
    return members;
}

int GroupEditor::GroupListsMember(XmlNode* groupEntry, int memberId) {
    std::vector<int> members = GroupMembers(groupEntry);
    bool listed = std::find(members.begin(), members.end(), memberId) != members.end();
    return listed ? Project::Int(groupEntry, "ID") : 0;
}

bool GroupEditor::HasGroupFile(int groupType, std::string_view fileName) {
    for (XmlNode* group : project_.ResourcesOf(project_.FindType(groupType)))
        if (EqualsNoCase(Project::Text(Project::FileOf(group), "Name"), fileName))
            return true;
    return false;
}

// ---- adding --------------------------------------------------------------------------------

namespace {

std::vector<int> IdsOf(Project& project, XmlNode* typeEntry) {
    std::vector<int> ids;
    for (XmlNode* entry : project.ResourcesOf(typeEntry))
        if (entry->FindAttribute("ID"))
            ids.push_back(Project::Int(entry, "ID"));
    return ids;
}

XmlNode* FindResourceWithId(Project& project, XmlNode* typeEntry, int id) {
    for (XmlNode* entry : project.ResourcesOf(typeEntry))
        if (entry->FindAttribute("ID") && Project::Int(entry, "ID") == id)
            return entry;
    return nullptr;
}

// The files of a new group: one member file per image, then the group data.
HRESULT WriteNewGroup(FileBatch& batch, const std::string& folder, const IconFile& icon,
                      const GroupKind& kind, int firstMember, const std::string& groupFile) {
    GroupDirectory group = NewGroup(kind.cursor);
    HRESULT hr = S_OK;
    for (std::size_t i = 0; i < icon.images.size() && SUCCEEDED(hr); ++i) {
        int id = firstMember + int(i);
        group.entries.push_back(GroupEntryOf(icon.images[i], kind.cursor, id));
        std::optional<std::string> path = ResolveInFolder(folder, MemberFileName(kind, id));
        hr = path ? WriteMember(batch, *path, icon.images[i], kind.cursor) : E_FAIL;
    }
    std::optional<std::string> groupPath = ResolveInFolder(folder, groupFile);
    if (SUCCEEDED(hr))
        hr = groupPath ? batch.Write(*groupPath, group.Write(kind.cursor)) : E_FAIL;
    return hr;
}

void ReportAdded(GroupAdded* added, const GroupKind& kind, int groupId,
                 const std::string& groupFile, int firstMember, int count) {
    if (!added)
        return;
    added->groupType = kind.groupType;
    added->groupId = groupId;
    added->groupFile = groupFile;
    added->memberIds.clear();
    for (int i = 0; i < count; ++i)
        added->memberIds.push_back(firstMember + i);
}

} // namespace

HRESULT GroupEditor::AddIconOrCursorFile(const std::string& sourcePath, const std::string& name,
                                         int language, GroupAdded* added) {
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(sourcePath, bytes);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to read %s", sourcePath.c_str());
        return hr;
    }
    std::optional<IconFile> icon = IconFile::Read(ByteView(bytes.data(), bytes.size()));
    if (!icon)
        return InvalidIcon(project_.GetPrompter(), sourcePath);
    if (!project_.RootDirectory()) {
        ReportError(kModule, __LINE__, E_FAIL, "The manifest has no root Directory");
        return E_FAIL;
    }
    GroupKind kind = KindOf(IsCursorFile(*icon));
    int count = int(icon->images.size());
    int groupId = FirstFreeId(IdsOf(project_, project_.FindType(kind.groupType)));
    int firstMember = FirstFreeRun(IdsOf(project_, project_.FindType(kind.memberType)), count);
    if (groupId == 0 || firstMember == 0) {
        ReportError(kModule, __LINE__, E_FAIL, "There are no free resource IDs left for %d images",
                    count);
        return E_FAIL;
    }
    std::string groupFile = MakeSafeFileName(
        (name.empty() ? Format("%d%.5d", kind.groupType, groupId) : name) + kind.suffix);
    if (HasGroupFile(kind.groupType, groupFile)) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "A resource with that name already exists in that category.\n%s",
                    groupFile.c_str());
        return E_FAIL;
    }

    FileBatch batch;
    hr = WriteNewGroup(batch, project_.Folder(), *icon, kind, firstMember, groupFile);
    if (FAILED(hr)) {
        batch.Undo();
        ReportError(kModule, __LINE__, hr, "Failed to add %s to the project", sourcePath.c_str());
        return hr;
    }

    project_.InsertIdResource(project_.EnsureType(kind.groupType), groupId, language, groupFile,
                              GroupDirectory::SizeFor(count));
    XmlNode* memberType = project_.EnsureType(kind.memberType);
    for (int i = 0; i < count; ++i)
        project_.InsertIdResource(memberType, firstMember + i, language,
                                  MemberFileName(kind, firstMember + i),
                                  icon->images[i].image.Size() + kSingleImageOffset);
    ReportAdded(added, kind, groupId, groupFile, firstMember, count);
    return S_OK;
}

// ---- adding an image to a group ------------------------------------------------------------

// A member of a group being extended: its entry in the group data, its resource and its file.
struct GroupMember {
    int id = 0;
    GroupEntry entry;
    XmlNode* resource = nullptr;
    std::string path;
    std::uint64_t size = 0;
    int language = 0;
};

namespace {

HRESULT Refuse(const std::string& message) {
    ReportError(kModule, __LINE__, E_FAIL, "%s", message.c_str());
    return E_FAIL;
}

XmlNode* FindGroupByFile(Project& project, int groupType, std::string_view fileName) {
    for (XmlNode* group : project.ResourcesOf(project.FindType(groupType)))
        if (EqualsNoCase(Project::Text(Project::FileOf(group), "Name"), fileName))
            return group;
    return nullptr;
}

std::vector<int> MembersOfOtherGroups(GroupEditor& groups, Project& project, XmlNode* group,
                                      int groupType) {
    std::vector<int> listed;
    for (XmlNode* other : project.ResourcesOf(project.FindType(groupType)))
        if (other != group)
            for (int id : groups.GroupMembers(other))
                listed.push_back(id);
    return listed;
}

bool Contains(const std::vector<int>& ids, int id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// The group's members in the order of its data. Renumbering moves files and entries, so every
// member must exist once, with its file, and belong to no other group.
HRESULT CollectMembers(GroupEditor& groups, Project& project, XmlNode* group, ByteView data,
                       const GroupKind& kind, std::vector<GroupMember>& members) {
    std::vector<int> elsewhere = MembersOfOtherGroups(groups, project, group, kind.groupType);
    std::vector<int> seen;
    for (const GroupEntry& entry : GroupDirectory::Read(data, kind.cursor).entries) {
        GroupMember member;
        member.id = entry.id;
        member.entry = entry;
        if (Contains(seen, member.id) || Contains(elsewhere, member.id))
            return Refuse(
                Format("Image %d of the group is listed twice or by another group", member.id));
        seen.push_back(member.id);
        member.resource = FindResourceWithId(project, project.FindType(kind.memberType), member.id);
        std::string name = Project::Text(Project::FileOf(member.resource), "Name");
        std::optional<std::string> path = ResolveInFolder(project.Folder(), name);
        std::error_code ec;
        if (!member.resource || !path || !std::filesystem::is_regular_file(*path, ec))
            return Refuse(Format("The file of image %d of the group is missing", member.id));
        member.path = *path;
        member.size = std::filesystem::file_size(*path, ec);
        member.language = Project::Int(Project::FirstLanguageOf(member.resource), "ID", 1033);
        members.push_back(std::move(member));
    }
    return S_OK;
}

// Moves every member file, and its PNG copy, to the name of its new ID. All of them first go to
// temporary names: the old and new ID ranges may overlap, and a file must have left its name
// before another file takes that name.
HRESULT RenumberFiles(FileBatch& batch, const std::vector<GroupMember>& members,
                      const std::string& folder, const GroupKind& kind, int firstId) {
    std::vector<std::pair<std::string, std::string>> moves; // temporary name, new name
    for (std::size_t i = 0; i < members.size(); ++i) {
        std::string newName = MemberFileName(kind, firstId + int(i));
        moves.push_back({members[i].path, newName});
        std::error_code ec;
        if (std::filesystem::exists(PngPathFor(members[i].path), ec))
            moves.push_back({PngPathFor(members[i].path), PngPathFor(newName)});
    }
    for (auto& move : moves) {
        std::string temporary = TemporaryNameBeside(move.first);
        if (FAILED(batch.Move(move.first, temporary)))
            return E_FAIL;
        move.first = temporary;
    }
    for (const auto& [temporary, newName] : moves) {
        std::optional<std::string> target = ResolveInFolder(folder, newName);
        if (!target || FAILED(batch.Move(temporary, *target)))
            return E_FAIL;
    }
    return S_OK;
}

// The members' entries under their new IDs, then the added image's.
std::vector<std::uint8_t> ExtendedGroupData(const std::vector<GroupMember>& members,
                                            const IconDirImage& added, bool cursor, int firstId) {
    GroupDirectory group = NewGroup(cursor);
    for (std::size_t i = 0; i < members.size(); ++i) {
        group.entries.push_back(members[i].entry);
        group.entries.back().id = std::uint16_t(firstId + int(i));
    }
    group.entries.push_back(GroupEntryOf(added, cursor, firstId + int(members.size())));
    return group.Write(cursor);
}

// The file side of adding an image: members renamed, the new member written, and the group data
// written beside the group file under a "_TEMP" name that then replaces it.
HRESULT WriteExtendedGroup(FileBatch& batch, const std::string& folder,
                           const std::string& groupPath, const std::vector<GroupMember>& members,
                           const IconDirImage& added, const GroupKind& kind, int firstId) {
    HRESULT hr = RenumberFiles(batch, members, folder, kind, firstId);
    int addedId = firstId + int(members.size());
    std::optional<std::string> addedPath = ResolveInFolder(folder, MemberFileName(kind, addedId));
    if (SUCCEEDED(hr))
        hr = addedPath ? WriteMember(batch, *addedPath, added, kind.cursor) : E_FAIL;
    std::string temporary = groupPath + "_TEMP";
    if (SUCCEEDED(hr))
        hr = batch.Write(temporary, ExtendedGroupData(members, added, kind.cursor, firstId));
    if (SUCCEEDED(hr))
        hr = batch.Move(temporary, groupPath);
    return hr;
}

} // namespace

HRESULT GroupEditor::AddImageToGroup(const std::string& groupName, const std::string& imagePath,
                                     bool cursor, GroupAdded* added) {
    GroupKind kind = KindOf(cursor);
    std::string groupFile = MakeSafeFileName(groupName + kind.suffix);
    XmlNode* group = FindGroupByFile(project_, kind.groupType, groupFile);
    std::optional<std::vector<std::uint8_t>> data = group ? ReadGroupData(group) : std::nullopt;
    std::optional<std::string> groupPath = group ? GroupDataPath(group) : std::nullopt;
    if (!data || !groupPath)
        return Refuse(Format("The group file %s is missing or damaged", groupFile.c_str()));
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(imagePath, bytes);
    if (FAILED(hr))
        return Refuse(Format("Failed to read %s", imagePath.c_str()));
    std::optional<IconFile> icon = IconFile::Read(ByteView(bytes.data(), bytes.size()));
    if (!icon || IsCursorFile(*icon) != cursor)
        return InvalidIcon(project_.GetPrompter(), imagePath);

    std::vector<GroupMember> members;
    hr =
        CollectMembers(*this, project_, group, ByteView(data->data(), data->size()), kind, members);
    if (FAILED(hr))
        return hr;
    std::vector<int> used = IdsOf(project_, project_.FindType(kind.memberType));
    std::erase_if(used, [&](int id) {
        return std::any_of(members.begin(), members.end(), [&](auto& m) { return m.id == id; });
    });
    int count = int(members.size()) + 1;
    int firstId = count <= 0xFFFF ? FirstFreeRun(used, count) : 0;
    if (firstId == 0)
        return Refuse(Format("There are no free resource IDs left for %d images", count));

    FileBatch batch;
    hr = WriteExtendedGroup(batch, project_.Folder(), *groupPath, members, icon->images[0], kind,
                            firstId);
    if (FAILED(hr)) {
        batch.Undo();
        ReportError(kModule, __LINE__, hr, "Failed to add %s to %s", imagePath.c_str(),
                    groupFile.c_str());
        return hr;
    }
    ReplaceMemberEntries(members, cursor, firstId,
                         Project::Int(Project::FirstLanguageOf(group), "ID", 1033),
                         icon->images[0].image.Size() + kSingleImageOffset);
    project_.Set(Project::FileOf(group), "Size", std::to_string(GroupDirectory::SizeFor(count)));
    ReportAdded(added, kind, Project::Int(group, "ID"), groupFile, firstId, count);
    return S_OK;
}

// Takes the members' entries (and tree items) out and adds them back under their new IDs, the
// added image last in the group's language.
void GroupEditor::ReplaceMemberEntries(const std::vector<GroupMember>& members, bool cursor,
                                       int firstId, int language, std::uint64_t addedSize) {
    GroupKind kind = KindOf(cursor);
    for (const GroupMember& member : members)
        project_.RemoveResource(member.resource);
    XmlNode* memberType = project_.EnsureType(kind.memberType);
    int id = firstId;
    for (const GroupMember& member : members) {
        project_.InsertIdResource(memberType, id, member.language, MemberFileName(kind, id),
                                  member.size);
        ++id;
    }
    project_.InsertIdResource(memberType, id, language, MemberFileName(kind, id), addedSize);
}

// ---- deleting --------------------------------------------------------------------------------

void GroupEditor::DeleteGroupMembers(XmlNode* groupEntry) {
    int groupType = GroupTypeOf(groupEntry);
    if (groupType != kResourceIconGroup && groupType != kResourceCursorGroup)
        return;
    GroupKind kind = KindOf(groupType == kResourceCursorGroup);
    for (int member : GroupMembers(groupEntry)) {
        bool listedElsewhere = false;
        for (XmlNode* other : project_.ResourcesOf(project_.FindType(groupType)))
            listedElsewhere |= other != groupEntry && GroupListsMember(other, member) != 0;
        XmlNode* entry = FindResourceWithId(project_, project_.FindType(kind.memberType), member);
        if (entry && !listedElsewhere)
            project_.RemoveResource(entry);
    }
}

void GroupEditor::DeleteGroup(XmlNode* groupEntry) {
    project_.RemoveResource(groupEntry);
}

// Rewrites the group's data file without the member's entries; *remaining gets the new count.
HRESULT GroupEditor::DropGroupEntry(XmlNode* groupEntry, int memberId, int* remaining) {
    std::optional<std::vector<std::uint8_t>> data = ReadGroupData(groupEntry);
    std::optional<std::string> path = GroupDataPath(groupEntry);
    if (!data || !path)
        return E_FAIL;
    bool cursor = IsCursorGroup(groupEntry);
    GroupDirectory group = GroupDirectory::Read(ByteView(data->data(), data->size()), cursor);
    std::erase_if(group.entries, [&](const GroupEntry& entry) { return entry.id == memberId; });
    int count = int(group.entries.size());
    std::vector<std::uint8_t> kept = group.Write(cursor);
    HRESULT hr = ReplaceFileContents(*path, kept.data(), kept.size());
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to write the group file %s", path->c_str());
        return hr;
    }
    project_.Set(Project::FileOf(groupEntry), "Size", std::to_string(kept.size()));
    *remaining = count;
    return S_OK;
}

HRESULT GroupEditor::RemoveMemberFromGroups(int memberId, int groupType, bool deleteGroups) {
    for (XmlNode* group : project_.ResourcesOf(project_.FindType(groupType))) {
        if (!GroupListsMember(group, memberId))
            continue;
        if (!deleteGroups) {
            int remaining = 0;
            HRESULT hr = DropGroupEntry(group, memberId, &remaining);
            if (FAILED(hr))
                return hr;
            if (remaining > 0)
                continue;
        }
        DeleteGroupMembers(group);
        DeleteGroup(group);
    }
    return S_OK;
}

} // namespace vellum
