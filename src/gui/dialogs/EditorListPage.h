// One page of outside editors in the Options dialog: the help text, the list of names with the
// buttons that add, remove and reorder entries, and the selected entry's command, arguments and
// initial folder. The page edits its own copy of a list; the dialog decides whether it is kept.
#pragma once

#include "platform/ExternalEditors.h"

#include <QWidget>
#include <vector>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace vellum::gui {

class EditorListPage : public QWidget {
    Q_OBJECT
public:
    EditorListPage(const QString& helpText, std::vector<EditorEntry> entries,
                   QWidget* parent = nullptr);

    const std::vector<EditorEntry>& Entries() const { return entries_; }
    QListWidget* Names() { return names_; }
    QLineEdit* CommandField() { return command_; }
    QLineEdit* ArgumentsField() { return arguments_; }
    QLineEdit* FolderField() { return folder_; }
    // "New Item", "Delete", "Move Up", "Move Down", "Browse".
    QPushButton* Button(const QString& text) const;

    void NewItem();
    void DeleteItem();
    void MoveUp() { MoveBy(-1); }
    void MoveDown() { MoveBy(1); }
    // The file dialog for the command; only an executable file is taken.
    void Browse();

private:
    QPushButton* AddButton(const QString& text, void (EditorListPage::*slot)());
    QWidget* CreateButtons();
    QWidget* CreateFields();
    void MoveBy(int step);
    void ShowSelected();
    void UpdateButtons();
    void RenameItem(QListWidgetItem* item);
    void EditField(std::string EditorEntry::*field, const QString& text);

    std::vector<EditorEntry> entries_;
    QListWidget* names_;
    QLineEdit* command_ = nullptr;
    QLineEdit* arguments_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QList<QPushButton*> buttons_;
};

} // namespace vellum::gui
