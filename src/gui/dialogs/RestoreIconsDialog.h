// Tools > Restore Icons: the states that applying iconsets (and earlier restores) saved, newest
// first, to choose the one to put back.
#pragma once

#include "iconset/ApplyRestore.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace vellum::gui {

class RestoreIconsDialog : public QDialog {
    Q_OBJECT
public:
    RestoreIconsDialog(std::vector<ApplyBackupEntry> backups, const QString& workingFolder,
                       QWidget* parent);

    QTreeWidget* List() { return list_; }
    // The chosen backup; null when none is selected.
    const ApplyBackupEntry* Chosen() const;

private:
    std::vector<ApplyBackupEntry> backups_;
    QTreeWidget* list_;
    QPushButton* restore_;
};

} // namespace vellum::gui
