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
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "decompiler/ResourceFiles.h"
#include "project/Project.h"

#include <algorithm>
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

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::vector<std::uint8_t> MemberFile(const SourceImage& source, bool cursor) {
    ImageShape shape = ShapeOf(source.image);
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, cursor ? 2 : 1);
    Put16(out, 1);
    out.push_back(std::uint8_t(shape.width));
    out.push_back(std::uint8_t(shape.height));
    out.push_back(shape.colours);
    out.push_back(0);
    Put16(out, cursor ? source.entry.U16(4) : 0);
    Put16(out, cursor ? source.entry.U16(6) : 0);
    Put32(out, std::uint32_t(source.image.Size()));
    Put32(out, kSingleImageOffset);
    out.insert(out.end(), source.image.Data(), source.image.Data() + source.image.Size());
    return out;
}

void AppendGroupEntry(std::vector<std::uint8_t>& out, const SourceImage& source, bool cursor,
                      int id) {
    ImageShape shape = ShapeOf(source.image);
    std::uint32_t bytes = std::uint32_t(source.image.Size());
    if (cursor) {
        Put16(out, shape.width);
        Put16(out, shape.png ? shape.height : shape.height * 2);
        Put16(out, 1);
        Put16(out, shape.bitCount);
        Put32(out, bytes + kHotSpotBytes);
    } else {
        std::uint16_t planes = source.entry.U16(4), bitCount = source.entry.U16(6);
        out.push_back(std::uint8_t(shape.width));
        out.push_back(std::uint8_t(shape.height));
        out.push_back(shape.colours);
        out.push_back(0);
        Put16(out, planes ? planes : 1);
        Put16(out, bitCount ? bitCount : shape.bitCount);
        Put32(out, bytes);
    }
    Put16(out, std::uint32_t(id));
}

std::vector<std::uint8_t> GroupHeader(bool cursor, std::size_t count) {
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, cursor ? 2 : 1);
    Put16(out, std::uint32_t(count));
    return out;
}

// Files written for one edit; Undo puts back what was there before, so a failed edit leaves the
// folder as it was.
class FileBatch {
public:
    HRESULT Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
        std::vector<std::uint8_t> old;
        bool existed = SUCCEEDED(ReadWholeFile(path, old));
        HRESULT hr = ReplaceFileContents(path, bytes.data(), bytes.size());
        if (FAILED(hr)) {
            ReportError(kModule, __LINE__, hr, "Failed to write %s", path.c_str());
            return hr;
        }
        done_.push_back({path, existed, std::move(old)});
        return S_OK;
    }
    void Undo() {
        for (auto it = done_.rbegin(); it != done_.rend(); ++it) {
            std::error_code ignored;
            if (it->existed)
                ReplaceFileContents(it->path, it->old.data(), it->old.size());
            else
                std::filesystem::remove(it->path, ignored);
        }
        done_.clear();
    }

private:
    struct Written {
        std::string path;
        bool existed;
        std::vector<std::uint8_t> old;
    };
    std::vector<Written> done_;
};

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
        hr = path ? batch.Write(*path, MemberFile(icon->images[i], kind.cursor)) : E_FAIL;
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

// ---- deleting --------------------------------------------------------------------------------

namespace {

// The group type of a group entry (the ID of its type entry, two levels up).
int GroupTypeOf(Project& project, XmlNode* groupEntry) {
    XmlNode* directory = groupEntry ? groupEntry->parent : nullptr;
    return project.Int(directory ? directory->parent : nullptr, "ID");
}

XmlNode* FindResourceWithId(Project& project, XmlNode* typeEntry, int id) {
    for (XmlNode* entry : project.ResourcesOf(typeEntry))
        if (entry->FindAttribute("ID") && project.Int(entry, "ID") == id)
            return entry;
    return nullptr;
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
