// Filling the tree, inserting at the sorted place and removing items.
#include "document/ResourceTreeWidget.h"

#include <QApplication>
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

ResourceTreeWidget::ResourceTreeWidget(QWidget* parent) : QTreeWidget(parent) {
    setObjectName("ResourceTree");
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemExpanded, this, &ResourceTreeWidget::UpdateIcon);
    connect(this, &QTreeWidget::itemCollapsed, this, &ResourceTreeWidget::UpdateIcon);
}

void ResourceTreeWidget::Fill(Project* project) {
    clear();
    if (project)
        AddItems(invisibleRootItem(), BuildTreeItems(*project));
}

void ResourceTreeWidget::AddItems(QTreeWidgetItem* parent, const std::vector<TreeFillItem>& items) {
    for (const TreeFillItem& fill : items) {
        QTreeWidgetItem* item = NewItem(fill.label, fill.node);
        parent->addChild(item);
        AddItems(item, fill.children);
        UpdateIcon(item);
    }
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
    QStyle::StandardPixmap pixmap = QStyle::SP_FileIcon;
    if (item->childCount() > 0)
        pixmap = item->isExpanded() ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon;
    item->setIcon(0, QApplication::style()->standardIcon(pixmap));
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
}

void ResourceTreeWidget::RemoveResourceItem(XmlNode* node) {
    QTreeWidgetItem* item = FindItem(node);
    if (!item)
        return;
    QTreeWidgetItem* type = item->parent();
    delete item;
    if (type && type->childCount() == 0)
        delete type;
}

} // namespace vellum::gui
