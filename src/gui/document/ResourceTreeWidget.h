// The resource tree: type items at the root, resource items below them. Every item carries a
// manifest node and owns nothing; the project reaches the tree through the TreeSink interface.
#pragma once

#include "document/TreeFill.h"
#include "project/ResourceTree.h"

#include <QTreeWidget>

namespace vellum::gui {

class ResourceTreeWidget : public QTreeWidget, public TreeSink {
    Q_OBJECT
public:
    explicit ResourceTreeWidget(QWidget* parent = nullptr);

    void Fill(Project* project);
    static XmlNode* NodeOf(const QTreeWidgetItem* item);
    QTreeWidgetItem* FindItem(XmlNode* node) const;
    QTreeWidgetItem* FindTypeItem(const QString& label) const;

    void InsertResourceItem(const std::string& typeLabel, const std::string& resourceLabel,
                            XmlNode* node) override;
    void RemoveResourceItem(XmlNode* node) override;

private:
    void AddItems(QTreeWidgetItem* parent, const std::vector<TreeFillItem>& items);
    QTreeWidgetItem* NewItem(const std::string& label, XmlNode* node);
    QTreeWidgetItem* EnsureTypeItem(const std::string& label, XmlNode* typeEntry);
    void UpdateIcon(QTreeWidgetItem* item);
};

} // namespace vellum::gui
