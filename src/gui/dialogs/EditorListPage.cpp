// The editor-list page of the Options dialog.
#include "dialogs/EditorListPage.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

constexpr const char* kNewItemName = "New Item";

// Shows folders and the files that can be run; on Windows that is what "*.exe" picked out.
class ExecutableFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        auto* model = qobject_cast<QFileSystemModel*>(sourceModel());
        if (!model)
            return true;
        QFileInfo info = model->fileInfo(model->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }
};

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

EditorListPage::EditorListPage(const QString& helpText, std::vector<EditorEntry> entries,
                               QWidget* parent)
    : QWidget(parent), entries_(std::move(entries)), names_(new QListWidget) {
    names_->setObjectName("EditorNames");
    for (const EditorEntry& entry : entries_) {
        auto* item = new QListWidgetItem(FromStd(entry.name), names_);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    auto* help = new QLabel(helpText);
    help->setWordWrap(true);

    auto* listRow = new QHBoxLayout;
    listRow->addWidget(names_, 1);
    listRow->addWidget(CreateButtons());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addLayout(listRow, 1);
    layout->addWidget(CreateFields());

    connect(names_, &QListWidget::currentRowChanged, this, &EditorListPage::ShowSelected);
    connect(names_, &QListWidget::itemChanged, this, &EditorListPage::RenameItem);
    names_->setCurrentRow(entries_.empty() ? -1 : 0);
    ShowSelected();
}

QPushButton* EditorListPage::AddButton(const QString& text, void (EditorListPage::*slot)()) {
    auto* button = new QPushButton(text);
    connect(button, &QPushButton::clicked, this, slot);
    buttons_ << button;
    return button;
}

QWidget* EditorListPage::CreateButtons() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(AddButton("New Item", &EditorListPage::NewItem));
    layout->addWidget(AddButton("Delete", &EditorListPage::DeleteItem));
    layout->addSpacing(12);
    layout->addWidget(AddButton("Move Up", &EditorListPage::MoveUp));
    layout->addWidget(AddButton("Move Down", &EditorListPage::MoveDown));
    layout->addStretch(1);
    return column;
}

QWidget* EditorListPage::CreateFields() {
    command_ = new QLineEdit;
    arguments_ = new QLineEdit;
    folder_ = new QLineEdit;
    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(command_, 1);
    commandRow->addWidget(AddButton("Browse", &EditorListPage::Browse));

    auto* fields = new QWidget;
    auto* form = new QFormLayout(fields);
    form->setContentsMargins(0, 0, 0, 0);
    auto* commandLabel = new QLabel("&Command:");
    commandLabel->setBuddy(command_);
    form->addRow(commandLabel, commandRow);
    form->addRow("&Arguments:", arguments_);
    form->addRow("&Initial folder:", folder_);
    connect(command_, &QLineEdit::textEdited, this,
            [this](const QString& text) { EditField(&EditorEntry::command, text); });
    connect(arguments_, &QLineEdit::textEdited, this,
            [this](const QString& text) { EditField(&EditorEntry::arguments, text); });
    connect(folder_, &QLineEdit::textEdited, this,
            [this](const QString& text) { EditField(&EditorEntry::initialFolder, text); });
    return fields;
}

QPushButton* EditorListPage::Button(const QString& text) const {
    for (QPushButton* button : buttons_)
        if (button->text() == text)
            return button;
    return nullptr;
}

void EditorListPage::NewItem() {
    entries_.push_back({kNewItemName, {}, {}, {}});
    auto* item = new QListWidgetItem(kNewItemName, names_);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    names_->setCurrentItem(item);
    names_->setFocus();
    names_->editItem(item);
}

void EditorListPage::DeleteItem() {
    int row = names_->currentRow();
    if (row < 0)
        return;
    entries_.erase(entries_.begin() + row);
    delete names_->takeItem(row);
    // The next entry moves up into the row; after the last, the one before it is taken.
    names_->setCurrentRow(std::min(row, names_->count() - 1));
    ShowSelected();
}

void EditorListPage::MoveBy(int step) {
    int row = names_->currentRow();
    int other = row + step;
    if (row < 0 || other < 0 || other >= names_->count())
        return;
    std::swap(entries_[row], entries_[other]);
    QSignalBlocker block(names_);
    names_->item(row)->setText(FromStd(entries_[row].name));
    names_->item(other)->setText(FromStd(entries_[other].name));
    names_->setCurrentRow(other);
    block.unblock();
    ShowSelected();
}

void EditorListPage::ShowSelected() {
    int row = names_->currentRow();
    bool selected = row >= 0 && row < static_cast<int>(entries_.size());
    const EditorEntry empty;
    const EditorEntry& entry = selected ? entries_[row] : empty;
    command_->setText(FromStd(entry.command));
    arguments_->setText(FromStd(entry.arguments));
    folder_->setText(FromStd(entry.initialFolder));
    for (QLineEdit* field : {command_, arguments_, folder_})
        field->setEnabled(selected);
    UpdateButtons();
}

void EditorListPage::UpdateButtons() {
    int row = names_->currentRow();
    Button("Delete")->setEnabled(row >= 0);
    Button("Move Up")->setEnabled(row > 0);
    Button("Move Down")->setEnabled(row >= 0 && row + 1 < names_->count());
    Button("Browse")->setEnabled(row >= 0);
}

// A stored list ends at its first empty name, so an empty name is not taken: the old one returns.
void EditorListPage::RenameItem(QListWidgetItem* item) {
    int row = names_->row(item);
    if (row < 0 || row >= static_cast<int>(entries_.size()))
        return;
    if (item->text().trimmed().isEmpty()) {
        QSignalBlocker block(names_);
        item->setText(FromStd(entries_[row].name));
        return;
    }
    entries_[row].name = item->text().toStdString();
}

void EditorListPage::EditField(std::string EditorEntry::*field, const QString& text) {
    int row = names_->currentRow();
    if (row >= 0 && row < static_cast<int>(entries_.size()))
        entries_[row].*field = text.toStdString();
}

void EditorListPage::Browse() {
    if (names_->currentRow() < 0)
        return;
    QFileDialog dialog(this, "Browse");
    dialog.setObjectName("BrowseDialog");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter("Executables (*)");
    // The desktop's own dialog cannot be filtered on the executable bit.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new ExecutableFilter(&dialog));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString path = dialog.selectedFiles().first();
    if (!QFileInfo(path).isFile() || !QFileInfo(path).isExecutable())
        return;
    command_->setText(path);
    EditField(&EditorEntry::command, path);
}

} // namespace vellum::gui
