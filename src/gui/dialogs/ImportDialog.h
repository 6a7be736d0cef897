// The Import dialog: a PE file to take apart and the folder to take it apart into. The folder is
// proposed from the DefaultImport setting and the file's title; OK checks both before the dialog
// closes, and every refusal keeps the dialog open with its fields.
#pragma once

#include "application/AppServices.h"

#include <QDialog>
#include <string>

class QLineEdit;

namespace vellum::gui {

class ImportDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportDialog(AppServices& app, QWidget* parent = nullptr);

    // Takes a file as the Browse button does and proposes its folder.
    void ChooseFile(const QString& path);
    // Takes a folder as the folder Browse button does, asking first when it already holds a
    // project; false when the user wants to pick another.
    bool ChooseFolder(const QString& folder);

    QLineEdit* FileEdit() const { return file_; }
    QLineEdit* FolderEdit() const { return folder_; }
    // After OK: the checked file and folder (ending in a separator).
    const std::string& File() const { return checkedFile_; }
    const std::string& Folder() const { return checkedFolder_; }

    void accept() override;

private:
    void BrowseFile();
    void BrowseFolder();

    AppServices& app_;
    QLineEdit* file_;
    QLineEdit* folder_;
    std::string checkedFile_;
    std::string checkedFolder_;
};

} // namespace vellum::gui
