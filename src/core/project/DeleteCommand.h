// The manifest side of the tree's Delete command: which resource an item stands for, which
// question to ask, and what each answer removes.
#pragma once

#include "common/Result.h"
#include "project/Project.h"

#include <optional>
#include <string>

namespace vellum {

// Language: one of several languages of a resource; only that language goes, whatever the type
// (its other languages still stand for the resource, in groups too).
enum class DeleteKind { Group, Member, Other, Language };

struct DeleteTarget {
    XmlNode* language = nullptr; // the item's language entry
    XmlNode* resource = nullptr; // the resource entry
    XmlNode* type = nullptr;     // its type entry
    int typeId = 0;
    int resourceId = 0;
    DeleteKind kind = DeleteKind::Other;
};

// The resource entry two levels above the item's node and the type entry two above that;
// nothing when the node is not that deep (not a resource item).
std::optional<DeleteTarget> LocateDeleteTarget(XmlNode* itemNode);

struct DeleteQuestion {
    std::string text;
    std::string caption;
    unsigned style = 0;
};
// The question for the target; `itemLabel` is the selected item's label.
DeleteQuestion QuestionFor(const DeleteTarget& target, const std::string& itemLabel);

// Carries out the user's answer. Groups: Yes deletes the members and the group. Members: Yes
// deletes every group listing the resource (with their members), No takes the resource out of
// those groups; either way the resource goes. Other types: Yes removes the resource. Removed
// entries leave the tree through the project's tree sink. *removed tells whether anything went.
HRESULT ApplyDeleteAnswer(Project& project, const DeleteTarget& target, int answer, bool* removed);

} // namespace vellum
