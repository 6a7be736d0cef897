// The About box: the program's icon and version, the libraries it runs on with the versions
// loaded at run time, and the data folder, which a button opens in the desktop's file manager.
#pragma once

#include "application/AppServices.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vellum::gui {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(AppServices& app, QWidget* parent = nullptr);

    QLabel* Icon() const { return icon_; }
    QLabel* Version() const { return version_; }
    // The library names and their versions, in the order shown: Qt first, then the engine's.
    QList<QPair<QString, QString>> Libraries() const { return libraries_; }
    QLineEdit* DataFolder() const { return dataFolder_; }
    QPushButton* OpenFolderButton() const { return openFolder_; }

private:
    QWidget* MakeLibraryList();
    QWidget* MakeDataFolderRow();
    void OpenDataFolder();

    AppServices& app_;
    QLabel* icon_;
    QLabel* version_;
    QList<QPair<QString, QString>> libraries_;
    QLineEdit* dataFolder_ = nullptr;
    QPushButton* openFolder_ = nullptr;
};

} // namespace vellum::gui
