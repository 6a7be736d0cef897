// The Options dialog: one page per list of outside editors. OK puts the pages' lists into the
// application's, Cancel leaves those as they were.
#pragma once

#include "application/AppServices.h"

#include <QDialog>

class QTabWidget;

namespace vellum::gui {

class EditorListPage;

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit OptionsDialog(AppServices& app, QWidget* parent = nullptr);

    QTabWidget* Tabs() { return tabs_; }
    EditorListPage* Page(EditorKind kind);

    void accept() override;
    void done(int result) override;

private:
    AppServices& app_;
    QTabWidget* tabs_;
};

} // namespace vellum::gui
