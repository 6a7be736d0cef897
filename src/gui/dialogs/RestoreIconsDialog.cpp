#include "dialogs/RestoreIconsDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vellum::gui {

RestoreIconsDialog::RestoreIconsDialog(std::vector<ApplyBackupEntry> backups,
                                       const QString& workingFolder, QWidget* parent)
    : QDialog(parent), backups_(std::move(backups)) {
    setObjectName("RestoreIconsDialog");
    setWindowTitle("Restore Icons");
    QString text = backups_.empty()
                       ? QString("No saved icon settings were found in %1.")
                             .arg(QDir::toNativeSeparators(workingFolder + "Backup"))
                       : QString("Every apply and every restore first saved the icon settings it "
                                 "changed. Choose the state to put back; the present one is saved "
                                 "first, so a restore can be undone too.");
    auto* intro = new QLabel(text);
    intro->setWordWrap(true);
    list_ = new QTreeWidget;
    list_->setObjectName("BackupList");
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({"Saved", "Applied then", "Folder"});
    for (const ApplyBackupEntry& backup : backups_)
        new QTreeWidgetItem(list_, {QString::fromStdString(backup.when),
                                    QString::fromStdString(backup.iconset),
                                    QString::fromStdString(backup.folder)});
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    restore_ = buttons->addButton("&Restore", QDialogButtonBox::AcceptRole);
    restore_->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QTreeWidget::currentItemChanged, this,
            [this] { restore_->setEnabled(Chosen() != nullptr); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    if (!backups_.empty())
        list_->setCurrentItem(list_->topLevelItem(0));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    resize(760, 360);
}

const ApplyBackupEntry* RestoreIconsDialog::Chosen() const {
    int row = list_->indexOfTopLevelItem(list_->currentItem());
    return row >= 0 && row < int(backups_.size()) ? &backups_[row] : nullptr;
}

} // namespace vellum::gui
