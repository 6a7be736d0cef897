// The Insert New Resource dialog: a file from disk, the name, type and language it is added
// under. OK runs the add's checks; every refusal keeps the dialog open with its fields, and the
// dialog closes only once the resource is in the project.
#pragma once

#include "application/AppServices.h"
#include "operations/InsertResource.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace vellum::gui {

class InsertResourceDialog : public QDialog {
    Q_OBJECT
public:
    InsertResourceDialog(AppServices& app, Project& project, InsertContext context,
                         QWidget* parent = nullptr);

    // Takes a file as the "..." button does: the path, and its title as the name.
    void ChooseFile(const QString& path);
    // The file-dialog filter the "..." button preselects for the chosen type.
    QString PreferredFilter() const;

    QLineEdit* FileEdit() const { return file_; }
    QLineEdit* NameEdit() const { return name_; }
    QComboBox* TypeBox() const { return type_; }
    QComboBox* LanguageBox() const { return language_; }

    void accept() override;

private:
    QComboBox* NewLanguageBox();
    void Browse();

    AppServices& app_;
    Project& project_;
    InsertContext context_;
    QLineEdit* file_;
    QLineEdit* name_;
    QComboBox* type_;
    QComboBox* language_;
};

} // namespace vellum::gui
