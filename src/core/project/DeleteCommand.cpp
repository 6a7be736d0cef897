// The decisions of the Delete command, free of any window.
#include "project/DeleteCommand.h"

#include "common/Strings.h"
#include "project/GroupEditor.h"

namespace vellum {

namespace {

bool IsLinked(const XmlNode* node) {
    for (const XmlNode* sibling = node->parent ? node->parent->firstChild : nullptr; sibling;
         sibling = sibling->next)
        if (sibling == node)
            return true;
    return false;
}

XmlNode* GrandParent(XmlNode* node) {
    return node && node->parent ? node->parent->parent : nullptr;
}

} // namespace

std::optional<DeleteTarget> LocateDeleteTarget(XmlNode* itemNode) {
    XmlNode* resource = GrandParent(itemNode);
    XmlNode* type = GrandParent(resource);
    if (!resource || !type)
        return std::nullopt;
    DeleteTarget target{
        itemNode,         resource, type, Project::Int(type, "ID"), Project::Int(resource, "ID"),
        DeleteKind::Other};
    bool namedType = !type->FindAttribute("ID");
    // A string-table item stands for a language of many blocks and keeps the block rule.
    if (Project::LanguagesOf(resource).size() > 1 &&
        (namedType || target.typeId != int(rt::kStringTable)))
        target.kind = DeleteKind::Language;
    else if (!namedType &&
             (target.typeId == kResourceIconGroup || target.typeId == kResourceCursorGroup))
        target.kind = DeleteKind::Group;
    else if (!namedType && (target.typeId == kResourceIcon || target.typeId == kResourceCursor))
        target.kind = DeleteKind::Member;
    return target;
}

DeleteQuestion QuestionFor(const DeleteTarget& target, const std::string& itemLabel) {
    const char* caption = "Remove Resource";
    switch (target.kind) {
    case DeleteKind::Group:
        return {Format("Resource \"%s\" is a group.\nDeleting it will remove other resources as "
                       "well.\nContinue?\n",
                       itemLabel.c_str()),
                caption, MB_YESNO};
    case DeleteKind::Member:
        return {Format("Resource \"%s\" may be a member of a group(s).\nDo you want to delete all "
                       "the groups that this resource belongs to as well?\n",
                       itemLabel.c_str()),
                caption, MB_YESNOCANCEL};
    default:
        return {Format("Remove resource \"%s\"\n", itemLabel.c_str()), caption, MB_YESNO};
    }
}

HRESULT ApplyDeleteAnswer(Project& project, const DeleteTarget& target, int answer, bool* removed) {
    *removed = false;
    if (answer != IDYES && !(target.kind == DeleteKind::Member && answer == IDNO))
        return S_OK;
    if (target.kind == DeleteKind::Language) {
        project.RemoveLanguage(target.language);
        *removed = true;
        return S_OK;
    }
    GroupEditor groups(project);
    if (target.kind == DeleteKind::Group)
        groups.DeleteGroupMembers(target.resource);
    if (target.kind == DeleteKind::Member) {
        int groupType = target.typeId == kResourceIcon ? kResourceIconGroup : kResourceCursorGroup;
        HRESULT hr = groups.RemoveMemberFromGroups(target.resourceId, groupType, answer == IDYES);
        if (FAILED(hr))
            return hr;
    }
    // Deleting the member's groups may already have taken the resource with them.
    if (IsLinked(target.resource))
        project.RemoveResource(target.resource);
    *removed = true;
    return S_OK;
}

} // namespace vellum
