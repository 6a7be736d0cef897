// Delete: the question and the removal come from the project library; the tree only picks the
// item to select afterwards.
#include "document/DeleteResource.h"

#include "document/ResourceTreeWidget.h"
#include "project/DeleteCommand.h"

namespace vellum::gui {

namespace {

// The next visible item, else the previous one, skipping the item and its own children.
XmlNode* NodeToSelectAfter(ResourceTreeWidget& tree, QTreeWidgetItem* item) {
    QTreeWidgetItem* next = tree.itemBelow(item);
    while (next && next->parent() == item)
        next = tree.itemBelow(next);
    QTreeWidgetItem* chosen = next ? next : tree.itemAbove(item);
    return ResourceTreeWidget::NodeOf(chosen);
}

} // namespace

bool DeleteSelectedResource(ResourceTreeWidget& tree, Project& project, Prompter& prompter) {
    QTreeWidgetItem* item = tree.currentItem();
    if (!item)
        return false;
    auto target = LocateDeleteTarget(ResourceTreeWidget::NodeOf(item));
    if (!target)
        return false;
    DeleteQuestion question = QuestionFor(*target, item->text(0).toStdString());
    int answer = prompter.Ask(question.text, question.caption, question.style);
    XmlNode* selectAfter = NodeToSelectAfter(tree, item);
    QTreeWidgetItem* typeItem = item->parent();
    XmlNode* typeNode = ResourceTreeWidget::NodeOf(typeItem);
    bool removed = false;
    if (FAILED(ApplyDeleteAnswer(project, *target, answer, &removed)) || !removed)
        return false;
    // Type items carry their type entry; one that lost its last resource goes with it.
    if (selectAfter == typeNode && !tree.FindItem(typeNode))
        selectAfter = nullptr;
    if (QTreeWidgetItem* select = selectAfter ? tree.FindItem(selectAfter) : nullptr)
        tree.setCurrentItem(select);
    return true;
}

} // namespace vellum::gui
