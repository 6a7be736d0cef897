// Filling the tree, inserting at the sorted place and removing items.
#include "document/ResourceTreeWidget.h"

#include <QStyle>

namespace vellum::gui {

namespace {

constexpr int kNodeRole = Qt::UserRole;

std::vector<std::string> ChildLabels(const QTreeWidgetItem* parent, int count) {
    std::vector<std::string> labels;
    for (int i = 0; i < count; ++i)
        labels.push_back(parent->child(i)->text(0).toStdString());
    return labels;
}

} // namespace

ResourceTreeWidget::ResourceTreeWidget(QWidget* parent)
    : QTreeWidget(parent), fileIcon_(style()->standardIcon(QStyle::SP_FileIcon)),
      closedFolderIcon_(style()->standardIcon(QStyle::SP_DirClosedIcon)),
      openFolderIcon_(style()->standardIcon(QStyle::SP_DirOpenIcon)) {
    setObjectName("ResourceTree");
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemExpanded, this, &ResourceTreeWidget::UpdateIcon);
    connect(this, &QTreeWidget::itemCollapsed, this, &ResourceTreeWidget::UpdateIcon);
}

// Each type's subtree is built before it joins the tree, and all of them join at once: items
// added to an attached parent tell the view one at a time.
void ResourceTreeWidget::Fill(Project* project) {
    clear();
    if (!project)
        return;
    QList<QTreeWidgetItem*> types;
    for (const TreeFillItem& fill : BuildTreeItems(*project))
        types.append(NewSubtree(fill));
    addTopLevelItems(types);
}

QTreeWidgetItem* ResourceTreeWidget::NewSubtree(const TreeFillItem& fill) {
    QTreeWidgetItem* item = NewItem(fill.label, fill.node);
    QList<QTreeWidgetItem*> children;
    for (const TreeFillItem& child : fill.children)
        children.append(NewSubtree(child));
    item->addChildren(children);
    UpdateIcon(item);
    return item;
}

QTreeWidgetItem* ResourceTreeWidget::NewItem(const std::string& label, XmlNode* node) {
    auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(label)));
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    return item;
}

XmlNode* ResourceTreeWidget::NodeOf(const QTreeWidgetItem* item) {
    return item ? reinterpret_cast<XmlNode*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}

// A closed folder for items with children (open while expanded), a page for the others.
void ResourceTreeWidget::UpdateIcon(QTreeWidgetItem* item) {
    if (item->childCount() == 0)
        item->setIcon(0, fileIcon_);
    else
        item->setIcon(0, item->isExpanded() ? openFolderIcon_ : closedFolderIcon_);
}

QTreeWidgetItem* ResourceTreeWidget::FindItem(XmlNode* node) const {
    for (QTreeWidgetItemIterator it(const_cast<ResourceTreeWidget*>(this)); *it; ++it)
        if (NodeOf(*it) == node)
            return *it;
    return nullptr;
}

QTreeWidgetItem* ResourceTreeWidget::FindTypeItem(const QString& label) const {
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->text(0) == label)
            return topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem* ResourceTreeWidget::EnsureTypeItem(const std::string& label, XmlNode* typeEntry) {
    if (QTreeWidgetItem* existing = FindTypeItem(QString::fromStdString(label)))
        return existing;
    std::vector<std::string> labels = ChildLabels(invisibleRootItem(), topLevelItemCount());
    std::size_t at = TypeInsertPosition(labels, label);
    QTreeWidgetItem* item = NewItem(label, typeEntry);
    insertTopLevelItem(int(at), item);
    return item;
}

void ResourceTreeWidget::InsertResourceItem(const std::string& typeLabel,
                                            const std::string& resourceLabel, XmlNode* node) {
    QTreeWidgetItem* type =
        EnsureTypeItem(typeLabel, Project::TypeOfResource(Project::ResourceOfLanguage(node)));
    std::size_t at = ResourceInsertPosition(ChildLabels(type, type->childCount()), resourceLabel);
    QTreeWidgetItem* item = NewItem(resourceLabel, node);
    type->insertChild(int(at), item);
    UpdateIcon(item);
    UpdateIcon(type);
    lastInserted_ = node;
}

void ResourceTreeWidget::RemoveResourceItem(XmlNode* node) {
    if (node == lastInserted_)
        lastInserted_ = nullptr;
    QTreeWidgetItem* item = FindItem(node);
    if (!item)
        return;
    QTreeWidgetItem* type = item->parent();
    delete item;
    if (type && type->childCount() == 0)
        delete type;
}

} // namespace vellum::gui
