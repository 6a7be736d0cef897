// The Import dialog's fields, browsing and checks.
#include "dialogs/ImportDialog.h"

#include "application/Settings.h"
#include "operations/ImportChecks.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

constexpr SettingKey kDefaultImportKey{"Dir", "DefaultImport"};

QWidget* FieldWithBrowse(QLineEdit* edit, QPushButton* browse) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit, 1);
    layout->addWidget(browse);
    return row;
}

bool HoldsProjectFile(const QString& folder) {
    return !QDir(folder).entryList({"*.vellum"}, QDir::Files).isEmpty();
}

} // namespace

ImportDialog::ImportDialog(AppServices& app, QWidget* parent)
    : QDialog(parent), app_(app), file_(new QLineEdit), folder_(new QLineEdit) {
    setWindowTitle("Import Resource File");
    file_->setObjectName("ImportFile");
    folder_->setObjectName("ImportFolder");
    auto* browseFile = new QPushButton("Browse...");
    auto* browseFolder = new QPushButton("Browse...");
    connect(browseFile, &QPushButton::clicked, this, &ImportDialog::BrowseFile);
    connect(browseFolder, &QPushButton::clicked, this, &ImportDialog::BrowseFolder);

    auto* form = new QFormLayout;
    form->addRow("&File to import:", FieldWithBrowse(file_, browseFile));
    form->addRow("&Extract into:", FieldWithBrowse(folder_, browseFolder));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &ImportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ImportDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(560, sizeHint().height());
}

void ImportDialog::ChooseFile(const QString& path) {
    file_->setText(path);
    QString base = ReadSetting(kDefaultImportKey, QString::fromStdString(app_.dataFolder));
    while (base.size() > 1 && (base.endsWith('/') || base.endsWith('\\')))
        base.chop(1);
    folder_->setText(base + QDir::separator() + QFileInfo(path).completeBaseName());
}

bool ImportDialog::ChooseFolder(const QString& folder) {
    if (HoldsProjectFile(folder)) {
        int answer = app_.prompter.Ask("A vellum file already exists in the directory you have "
                                       "chosen.\r\n\r\nDo you want to pick a different "
                                       "destination?",
                                       "Import Resource File", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDYES)
            return false;
        if (answer != IDNO)
            return true; // Cancel keeps the folder chosen before
    }
    folder_->setText(folder);
    return true;
}

void ImportDialog::BrowseFile() {
    QString path =
        QFileDialog::getOpenFileName(this, "Browse For an Import File", file_->text(),
                                     "Resource Files (*.exe *.dll *.msstyles);;All Files (*)");
    if (!path.isEmpty())
        ChooseFile(path);
}

void ImportDialog::BrowseFolder() {
    for (;;) {
        QString folder = QFileDialog::getExistingDirectory(
            this, "Select a location to extract the imported files", folder_->text());
        if (folder.isEmpty() || ChooseFolder(folder))
            return;
    }
}

// The folder first, then the file, as the messages would come one after the other.
void ImportDialog::accept() {
    std::optional<std::string> folder =
        CheckImportFolder(folder_->text().trimmed().toStdString(), app_.prompter);
    if (!folder)
        return;
    std::string file = file_->text().trimmed().toStdString();
    if (!CheckImportFile(file, app_.prompter))
        return;
    checkedFolder_ = *folder;
    checkedFile_ = file;
    QDialog::accept();
}

} // namespace vellum::gui
