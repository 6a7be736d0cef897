// Icon and cursor groups of a project: an .ico or .cur file becomes a group resource that lists
// one member resource per image; members and groups are deleted so that every group's list stays
// true. The editor works on a Project's manifest and folder and keeps no state of its own.
#pragma once

#include "common/Result.h"
#include "project/Project.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

struct GroupMember;

// What a group add created.
struct GroupAdded {
    int groupType = 0;
    int groupId = 0;
    std::vector<int> memberIds;
    std::string groupFile; // the group data file's name in the project folder
};

class GroupEditor {
public:
    explicit GroupEditor(Project& project) : project_(project) {}

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
    // True when a group of the type already uses that data file name (ignoring case).
    bool HasGroupFile(int groupType, std::string_view fileName);

private:
    std::optional<std::vector<std::uint8_t>> ReadGroupData(XmlNode* groupEntry);
    std::optional<std::string> GroupDataPath(XmlNode* groupEntry);
    HRESULT DropGroupEntry(XmlNode* groupEntry, int memberId, int* remaining);
    void ReplaceMemberEntries(const std::vector<GroupMember>& members, bool cursor, int firstId,
                              int language, std::uint64_t addedSize);

    Project& project_;
};

// Allocation rules for new IDs, over the IDs already in use (any order).
// The lowest ID from 1 on that is not in use.
int FirstFreeId(std::vector<int> used);
// The first ID of the lowest run of `count` free IDs from 1 on; 0 when it would pass 65535.
int FirstFreeRun(std::vector<int> used, int count);

} // namespace vellum
