#include "dialogs/ApplyResultDialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace vellum::gui {

ApplyResultDialog::ApplyResultDialog(const QString& title, const QString& summary,
                                     const ApplyResult& result, QWidget* parent)
    : QDialog(parent) {
    setObjectName("ApplyResultDialog");
    setWindowTitle(title);
    auto* heading = new QLabel(summary);
    heading->setObjectName("ApplySummary");
    heading->setWordWrap(true);
    pages_ = new QTabWidget;
    AddPage("Written", result.done);
    AddPage("Skipped", result.skipped);
    AddPage("Failed", result.failed);
    if (!result.failed.empty())
        pages_->setCurrentIndex(2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(pages_, 1);
    if (!result.backupFolder.empty())
        layout->addWidget(BackupRow(result.backupFolder));
    layout->addWidget(buttons);
    resize(720, 420);
}

void ApplyResultDialog::AddPage(const QString& title, const std::vector<std::string>& lines) {
    auto* list = new QListWidget;
    list->setObjectName(title + "List");
    list->setUniformItemSizes(true);
    list->setTextElideMode(Qt::ElideNone); // long registry paths scroll instead
    for (const std::string& line : lines) {
        auto* item = new QListWidgetItem(QString::fromStdString(line), list);
        item->setToolTip(item->text());
    }
    pages_->addTab(list, QString("%1 (%2)").arg(title).arg(lines.size()));
}

// The previous state's folder, to be found again for a restore.
QWidget* ApplyResultDialog::BackupRow(const std::string& folder) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* path = new QLineEdit(QString::fromStdString(folder));
    path->setObjectName("BackupFolder");
    path->setReadOnly(true);
    auto* open = new QPushButton("Open Folder");
    connect(open, &QPushButton::clicked, this, [folder] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
    });
    layout->addWidget(new QLabel("The previous state is saved in:"));
    layout->addWidget(path, 1);
    layout->addWidget(open);
    return row;
}

QStringList ApplyResultDialog::PageTitles() const {
    QStringList titles;
    for (int i = 0; i < pages_->count(); ++i)
        titles << pages_->tabText(i);
    return titles;
}

QStringList ApplyResultDialog::PageLines(int page) const {
    QStringList lines;
    auto* list = qobject_cast<QListWidget*>(pages_->widget(page));
    for (int i = 0; list && i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

} // namespace vellum::gui
