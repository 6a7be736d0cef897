// The resource tree: type items at the root, resource items below them. Every item carries a
// manifest node and owns nothing; the project reaches the tree through the TreeSink interface.
#pragma once

#include "document/TreeFill.h"
#include "project/ResourceTree.h"

#include <QIcon>
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
    // The language entry of the item inserted last; null after ForgetLastInserted.
    XmlNode* LastInserted() const { return lastInserted_; }
    void ForgetLastInserted() { lastInserted_ = nullptr; }

private:
    QTreeWidgetItem* NewSubtree(const TreeFillItem& fill);
    QTreeWidgetItem* NewItem(const std::string& label, XmlNode* node);
    QTreeWidgetItem* EnsureTypeItem(const std::string& label, XmlNode* typeEntry);
    void UpdateIcon(QTreeWidgetItem* item);

    // The style's images, looked up once: each lookup reads and decodes the image files again,
    // which for a few thousand items took longer than decompiling the file.
    QIcon fileIcon_;
    QIcon closedFolderIcon_;
    QIcon openFolderIcon_;
    XmlNode* lastInserted_ = nullptr;
};

} // namespace vellum::gui
