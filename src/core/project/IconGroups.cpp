// Icon and cursor groups: an .ico/.cur file becomes one group resource listing one member
// resource per image; deleting members keeps the groups' lists consistent.
//
//   group data  u16 0, u16 type (1 icon, 2 cursor), u16 count, then count entries of 14 bytes:
//     icon:   u8 width, u8 height, u8 colours, u8 0, u16 planes, u16 bit count, u32 bytes, u16 ID
//     cursor: u16 width, u16 height (the DIB's, both masks), u16 planes, u16 bit count,
//             u32 bytes (the hot spot's 4 included), u16 ID
//   member file a one-image .ico/.cur: 6-byte header, one 16-byte directory entry (a cursor's
//     carries its hot spot where an icon's has planes and bit count), then the image at 22
#include "common/ByteView.h"
#include "common/ByteWriter.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "formats/ResourceFiles.h"
#include "imaging/BmpToPng.h"
#include "project/Project.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace vellum {

namespace {

const char* const kModule = "VelDoc";
constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kDirectoryEntry = 16;
constexpr std::size_t kGroupEntry = 14;
constexpr std::uint32_t kSingleImageOffset = 22;
constexpr std::uint32_t kHotSpotBytes = 4;

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

// One image of an .ico/.cur file: its 16-byte directory entry and its bytes.
struct SourceImage {
    ByteView entry;
    ByteView image;
};

struct IconFile {
    bool cursor = false;
    std::vector<SourceImage> images;
};

// Every directory entry and every image must lie inside the file, behind the directory.
std::optional<IconFile> ParseIconFile(ByteView file) {
    std::uint16_t type = file.U16(2), count = file.U16(4);
    if (file.Size() <= 12 || file.U16(0) != 0 || (type != 1 && type != 2) || count == 0)
        return std::nullopt;
    std::uint64_t directoryEnd = kDirectoryHeader + std::uint64_t(kDirectoryEntry) * count;
    if (!file.Has(0, directoryEnd))
        return std::nullopt;
    IconFile icon{type == 2, {}};
    for (std::uint16_t i = 0; i < count; ++i) {
        ByteView entry = file.Sub(kDirectoryHeader + kDirectoryEntry * i, kDirectoryEntry);
        std::uint32_t bytes = entry.U32(8), offset = entry.U32(12);
        if (bytes == 0 || offset < directoryEnd || !file.Has(offset, bytes))
            return std::nullopt;
        icon.images.push_back({entry, file.Sub(offset, bytes)});
    }
    return icon;
}

// Width, height (of one mask), colour count and bit count, from the image itself.
struct ImageShape {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t colours = 0;
    std::uint16_t bitCount = 0;
    bool png = false;
};

ImageShape ShapeOf(ByteView image) {
    ImageShape shape;
    if (PngDimensions(image, shape.width, shape.height)) {
        shape.png = true;
        shape.bitCount = 32;
        return shape;
    }
    shape.width = image.U32(4);
    shape.height = std::uint32_t(std::int32_t(image.U32(8)) / 2);
    shape.bitCount = BitmapBitCount(image);
    std::uint32_t used = image.U32(0) >= 40 ? image.U32(32) : 0;
    if (used == 0 && shape.bitCount < 8)
        used = 1u << shape.bitCount;
    shape.colours = used < 256 ? std::uint8_t(used) : 0;
    return shape;
}

std::vector<std::uint8_t> MemberFile(const SourceImage& source, bool cursor) {
    ImageShape shape = ShapeOf(source.image);
    std::vector<std::uint8_t> out;
    AppendU16(out, 0);
    AppendU16(out, cursor ? 2 : 1);
    AppendU16(out, 1);
    out.push_back(std::uint8_t(shape.width));
    out.push_back(std::uint8_t(shape.height));
    out.push_back(shape.colours);
    out.push_back(0);
    AppendU16(out, cursor ? source.entry.U16(4) : 0);
    AppendU16(out, cursor ? source.entry.U16(6) : 0);
    AppendU32(out, std::uint32_t(source.image.Size()));
    AppendU32(out, kSingleImageOffset);
    out.insert(out.end(), source.image.Data(), source.image.Data() + source.image.Size());
    return out;
}

void AppendGroupEntry(std::vector<std::uint8_t>& out, const SourceImage& source, bool cursor,
                      int id) {
    ImageShape shape = ShapeOf(source.image);
    std::uint32_t bytes = std::uint32_t(source.image.Size());
    if (cursor) {
        AppendU16(out, shape.width);
        AppendU16(out, shape.png ? shape.height : shape.height * 2);
        AppendU16(out, 1);
        AppendU16(out, shape.bitCount);
        AppendU32(out, bytes + kHotSpotBytes);
    } else {
        std::uint16_t planes = source.entry.U16(4), bitCount = source.entry.U16(6);
        out.push_back(std::uint8_t(shape.width));
        out.push_back(std::uint8_t(shape.height));
        out.push_back(shape.colours);
        out.push_back(0);
        AppendU16(out, planes ? planes : 1);
        AppendU16(out, bitCount ? bitCount : shape.bitCount);
        AppendU32(out, bytes);
    }
    AppendU16(out, std::uint32_t(id));
}

std::vector<std::uint8_t> GroupHeader(bool cursor, std::size_t count) {
    std::vector<std::uint8_t> out;
    AppendU16(out, 0);
    AppendU16(out, cursor ? 2 : 1);
    AppendU16(out, std::uint32_t(count));
    return out;
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
    std::int32_t width = std::int32_t(dib.U32(4));
    std::int32_t height = std::int32_t(dib.U32(8)) / 2;
    // 40 to 124 bytes: the info header and its later versions.
    if (dib.U32(0) < 40 || dib.U32(0) > 124 || BitmapBitCount(dib) != 32 ||
        BitmapCompression(dib) != 0 || width < 1 || height < 1)
        return false;
    std::array<std::uint8_t, 14> fileHeader = BitmapFileHeader(dib);
    std::uint32_t pixels = ByteView(fileHeader.data(), fileHeader.size()).U32(10) - 14;
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
    std::uint32_t width = 0, height = 0;
    if (PngDimensions(image, width, height))
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
HRESULT WriteMember(FileBatch& batch, const std::string& path, const SourceImage& source,
                    bool cursor) {
    HRESULT hr = batch.Write(path, MemberFile(source, cursor));
    return SUCCEEDED(hr) ? WritePngCopy(batch, path, source.image) : hr;
}

HRESULT InvalidIcon(Prompter& prompter, const std::string& path) {
    prompter.Ask("The icon selected is not a valid icon.", "ERROR: Invalid Icon",
                 MB_OK | MB_ICONERROR);
    ReportError(kModule, __LINE__, E_FAIL, "%s is not a valid icon or cursor file", path.c_str());
    return E_FAIL;
}

} // namespace

// ---- reading groups ----------------------------------------------------------------------

std::optional<std::string> Project::GroupDataPath(XmlNode* groupEntry) {
    std::string name = Text(FileOf(groupEntry), "Name");
    if (name.empty())
        return std::nullopt;
    return ResolveInFolder(folder_, name);
}

std::optional<std::vector<std::uint8_t>> Project::ReadGroupData(XmlNode* groupEntry) {
    std::optional<std::string> path = GroupDataPath(groupEntry);
    std::vector<std::uint8_t> bytes;
    if (!path || FAILED(ReadWholeFile(*path, bytes)))
        return std::nullopt;
    ByteView data(bytes.data(), bytes.size());
    if (!data.Has(0, kDirectoryHeader + kGroupEntry * std::uint64_t(data.U16(4))))
        return std::nullopt;
    return bytes;
}

std::vector<int> Project::GroupMembers(XmlNode* groupEntry) {
    std::vector<int> members;
    if (std::optional<std::vector<std::uint8_t>> data = ReadGroupData(groupEntry)) {
        ByteView view(data->data(), data->size());
        for (std::size_t i = 0; i < view.U16(4); ++i)
            members.push_back(view.U16(kDirectoryHeader + kGroupEntry * i + 12));
    }
    return members;
}

int Project::GroupListsMember(XmlNode* groupEntry, int memberId) {
    std::vector<int> members = GroupMembers(groupEntry);
    bool listed = std::find(members.begin(), members.end(), memberId) != members.end();
    return listed ? Int(groupEntry, "ID") : 0;
}

bool Project::HasGroupFile(int groupType, std::string_view fileName) {
    for (XmlNode* group : ResourcesOf(FindType(groupType)))
        if (EqualsNoCase(Text(FileOf(group), "Name"), fileName))
            return true;
    return false;
}

// ---- adding --------------------------------------------------------------------------------

namespace {

std::vector<int> IdsOf(Project& project, XmlNode* typeEntry) {
    std::vector<int> ids;
    for (XmlNode* entry : project.ResourcesOf(typeEntry))
        if (entry->FindAttribute("ID"))
            ids.push_back(project.Int(entry, "ID"));
    return ids;
}

XmlNode* FindResourceWithId(Project& project, XmlNode* typeEntry, int id) {
    for (XmlNode* entry : project.ResourcesOf(typeEntry))
        if (entry->FindAttribute("ID") && project.Int(entry, "ID") == id)
            return entry;
    return nullptr;
}

} // namespace

HRESULT Project::AddIconOrCursorFile(const std::string& sourcePath, const std::string& name,
                                     int language, GroupAdded* added) {
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(sourcePath, bytes);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to read %s", sourcePath.c_str());
        return hr;
    }
    std::optional<IconFile> icon = ParseIconFile(ByteView(bytes.data(), bytes.size()));
    if (!icon)
        return InvalidIcon(prompter_, sourcePath);
    if (!RootDirectory()) {
        ReportError(kModule, __LINE__, E_FAIL, "The manifest has no root Directory");
        return E_FAIL;
    }
    GroupKind kind = KindOf(icon->cursor);
    int count = int(icon->images.size());
    int groupId = FirstFreeId(IdsOf(*this, FindType(kind.groupType)));
    int firstMember = FirstFreeRun(IdsOf(*this, FindType(kind.memberType)), count);
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

    std::vector<std::uint8_t> group = GroupHeader(kind.cursor, icon->images.size());
    FileBatch batch;
    for (int i = 0; i < count && SUCCEEDED(hr); ++i) {
        AppendGroupEntry(group, icon->images[i], kind.cursor, firstMember + i);
        std::optional<std::string> path =
            ResolveInFolder(folder_, MemberFileName(kind, firstMember + i));
        hr = path ? WriteMember(batch, *path, icon->images[i], kind.cursor) : E_FAIL;
    }
    std::optional<std::string> groupPath = ResolveInFolder(folder_, groupFile);
    if (SUCCEEDED(hr))
        hr = groupPath ? batch.Write(*groupPath, group) : E_FAIL;
    if (FAILED(hr)) {
        batch.Undo();
        ReportError(kModule, __LINE__, hr, "Failed to add %s to the project", sourcePath.c_str());
        return hr;
    }

    InsertIdResource(EnsureType(kind.groupType), groupId, language, groupFile, group.size());
    XmlNode* memberType = EnsureType(kind.memberType);
    for (int i = 0; i < count; ++i)
        InsertIdResource(memberType, firstMember + i, language,
                         MemberFileName(kind, firstMember + i), icon->images[i].image.Size() + 22);
    if (added) {
        added->groupType = kind.groupType;
        added->groupId = groupId;
        added->groupFile = groupFile;
        added->memberIds.clear();
        for (int i = 0; i < count; ++i)
            added->memberIds.push_back(firstMember + i);
    }
    return S_OK;
}

// ---- adding an image to a group ------------------------------------------------------------

// A member of a group being extended: its description in the group data (the entry's first 12
// bytes), its resource and its file.
struct GroupMember {
    int id = 0;
    ByteView description;
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
        if (EqualsNoCase(project.Text(Project::FileOf(group), "Name"), fileName))
            return group;
    return nullptr;
}

std::vector<int> MembersOfOtherGroups(Project& project, XmlNode* group, int groupType) {
    std::vector<int> listed;
    for (XmlNode* other : project.ResourcesOf(project.FindType(groupType)))
        if (other != group)
            for (int id : project.GroupMembers(other))
                listed.push_back(id);
    return listed;
}

bool Contains(const std::vector<int>& ids, int id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// The group's members in the order of its data. Renumbering moves files and entries, so every
// member must exist once, with its file, and belong to no other group.
HRESULT CollectMembers(Project& project, XmlNode* group, ByteView data, const GroupKind& kind,
                       std::vector<GroupMember>& members) {
    std::vector<int> elsewhere = MembersOfOtherGroups(project, group, kind.groupType);
    std::vector<int> seen;
    for (std::size_t i = 0; i < data.U16(4); ++i) {
        GroupMember member;
        std::size_t at = kDirectoryHeader + kGroupEntry * i;
        member.id = data.U16(at + 12);
        member.description = data.Sub(at, 12);
        if (Contains(seen, member.id) || Contains(elsewhere, member.id))
            return Refuse(
                Format("Image %d of the group is listed twice or by another group", member.id));
        seen.push_back(member.id);
        member.resource = FindResourceWithId(project, project.FindType(kind.memberType), member.id);
        std::string name = project.Text(Project::FileOf(member.resource), "Name");
        std::optional<std::string> path = ResolveInFolder(project.Folder(), name);
        std::error_code ec;
        if (!member.resource || !path || !std::filesystem::is_regular_file(*path, ec))
            return Refuse(Format("The file of image %d of the group is missing", member.id));
        member.path = *path;
        member.size = std::filesystem::file_size(*path, ec);
        member.language = project.Int(Project::FirstLanguageOf(member.resource), "ID", 1033);
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

std::vector<std::uint8_t> ExtendedGroupData(const std::vector<GroupMember>& members,
                                            const SourceImage& added, bool cursor, int firstId) {
    std::vector<std::uint8_t> out = GroupHeader(cursor, members.size() + 1);
    for (std::size_t i = 0; i < members.size(); ++i) {
        const GroupMember& member = members[i];
        out.insert(out.end(), member.description.Data(),
                   member.description.Data() + member.description.Size());
        AppendU16(out, std::uint32_t(firstId) + std::uint32_t(i));
    }
    AppendGroupEntry(out, added, cursor, firstId + int(members.size()));
    return out;
}

// The file side of adding an image: members renamed, the new member written, and the group data
// written beside the group file under a "_TEMP" name that then replaces it.
HRESULT WriteExtendedGroup(FileBatch& batch, const std::string& folder,
                           const std::string& groupPath, const std::vector<GroupMember>& members,
                           const SourceImage& added, const GroupKind& kind, int firstId) {
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

HRESULT Project::AddImageToGroup(const std::string& groupName, const std::string& imagePath,
                                 bool cursor, GroupAdded* added) {
    GroupKind kind = KindOf(cursor);
    std::string groupFile = MakeSafeFileName(groupName + kind.suffix);
    XmlNode* group = FindGroupByFile(*this, kind.groupType, groupFile);
    std::optional<std::vector<std::uint8_t>> data = group ? ReadGroupData(group) : std::nullopt;
    std::optional<std::string> groupPath = group ? GroupDataPath(group) : std::nullopt;
    if (!data || !groupPath)
        return Refuse(Format("The group file %s is missing or damaged", groupFile.c_str()));
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(imagePath, bytes);
    if (FAILED(hr))
        return Refuse(Format("Failed to read %s", imagePath.c_str()));
    std::optional<IconFile> icon = ParseIconFile(ByteView(bytes.data(), bytes.size()));
    if (!icon || icon->cursor != cursor)
        return InvalidIcon(prompter_, imagePath);

    std::vector<GroupMember> members;
    hr = CollectMembers(*this, group, ByteView(data->data(), data->size()), kind, members);
    if (FAILED(hr))
        return hr;
    std::vector<int> used = IdsOf(*this, FindType(kind.memberType));
    std::erase_if(used, [&](int id) {
        return std::any_of(members.begin(), members.end(), [&](auto& m) { return m.id == id; });
    });
    int count = int(members.size()) + 1;
    int firstId = count <= 0xFFFF ? FirstFreeRun(used, count) : 0;
    if (firstId == 0)
        return Refuse(Format("There are no free resource IDs left for %d images", count));

    FileBatch batch;
    hr = WriteExtendedGroup(batch, folder_, *groupPath, members, icon->images[0], kind, firstId);
    if (FAILED(hr)) {
        batch.Undo();
        ReportError(kModule, __LINE__, hr, "Failed to add %s to %s", imagePath.c_str(),
                    groupFile.c_str());
        return hr;
    }
    ReplaceMemberEntries(members, cursor, firstId, Int(FirstLanguageOf(group), "ID", 1033),
                         icon->images[0].image.Size() + kSingleImageOffset);
    Set(FileOf(group), "Size", std::to_string(kDirectoryHeader + kGroupEntry * count));
    if (added) {
        added->groupType = kind.groupType;
        added->groupId = Int(group, "ID");
        added->groupFile = groupFile;
        added->memberIds.clear();
        for (int i = 0; i < count; ++i)
            added->memberIds.push_back(firstId + i);
    }
    return S_OK;
}

// Takes the members' entries (and tree items) out and adds them back under their new IDs, the
// added image last in the group's language.
void Project::ReplaceMemberEntries(const std::vector<GroupMember>& members, bool cursor,
                                   int firstId, int language, std::uint64_t addedSize) {
    GroupKind kind = KindOf(cursor);
    for (const GroupMember& member : members)
        RemoveResource(member.resource);
    XmlNode* memberType = EnsureType(kind.memberType);
    int id = firstId;
    for (const GroupMember& member : members) {
        InsertIdResource(memberType, id, member.language, MemberFileName(kind, id), member.size);
        ++id;
    }
    InsertIdResource(memberType, id, language, MemberFileName(kind, id), addedSize);
}

// ---- deleting --------------------------------------------------------------------------------

namespace {

// The group type of a group entry (the ID of its type entry, two levels up).
int GroupTypeOf(Project& project, XmlNode* groupEntry) {
    XmlNode* directory = groupEntry ? groupEntry->parent : nullptr;
    return project.Int(directory ? directory->parent : nullptr, "ID");
}

} // namespace

void Project::DeleteGroupMembers(XmlNode* groupEntry) {
    int groupType = GroupTypeOf(*this, groupEntry);
    if (groupType != kResourceIconGroup && groupType != kResourceCursorGroup)
        return;
    GroupKind kind = KindOf(groupType == kResourceCursorGroup);
    for (int member : GroupMembers(groupEntry)) {
        bool listedElsewhere = false;
        for (XmlNode* other : ResourcesOf(FindType(groupType)))
            listedElsewhere |= other != groupEntry && GroupListsMember(other, member) != 0;
        XmlNode* entry = FindResourceWithId(*this, FindType(kind.memberType), member);
        if (entry && !listedElsewhere)
            RemoveResource(entry);
    }
}

void Project::DeleteGroup(XmlNode* groupEntry) {
    RemoveResource(groupEntry);
}

// Rewrites the group's data file without the member's entries; *remaining gets the new count.
HRESULT Project::DropGroupEntry(XmlNode* groupEntry, int memberId, int* remaining) {
    std::optional<std::vector<std::uint8_t>> data = ReadGroupData(groupEntry);
    std::optional<std::string> path = GroupDataPath(groupEntry);
    if (!data || !path)
        return E_FAIL;
    ByteView view(data->data(), data->size());
    std::vector<std::uint8_t> kept(data->begin(), data->begin() + kDirectoryHeader);
    int count = 0;
    for (std::size_t i = 0; i < view.U16(4); ++i) {
        std::size_t at = kDirectoryHeader + kGroupEntry * i;
        if (view.U16(at + 12) == memberId)
            continue;
        kept.insert(kept.end(), data->begin() + std::ptrdiff_t(at),
                    data->begin() + std::ptrdiff_t(at + kGroupEntry));
        ++count;
    }
    kept[4] = std::uint8_t(count);
    kept[5] = std::uint8_t(count >> 8);
    HRESULT hr = ReplaceFileContents(*path, kept.data(), kept.size());
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to write the group file %s", path->c_str());
        return hr;
    }
    Set(FileOf(groupEntry), "Size", std::to_string(kept.size()));
    *remaining = count;
    return S_OK;
}

HRESULT Project::RemoveMemberFromGroups(int memberId, int groupType, bool deleteGroups) {
    for (XmlNode* group : ResourcesOf(FindType(groupType))) {
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
