// What applying an iconset (or putting back an earlier state) did: the changes made, the ones left
// alone with their reasons, those that failed, and the folder holding the previous state.
#pragma once

#include "iconset/ApplyPlan.h"

#include <QDialog>

class QTabWidget;

namespace vellum::gui {

class ApplyResultDialog : public QDialog {
    Q_OBJECT
public:
    ApplyResultDialog(const QString& title, const QString& summary, const ApplyResult& result,
                      QWidget* parent);

    // The page's title and its lines, for tests: "Written (3)" and the three changes.
    QStringList PageTitles() const;
    QStringList PageLines(int page) const;

private:
    void AddPage(const QString& title, const std::vector<std::string>& lines);
    QWidget* BackupRow(const std::string& folder);

    QTabWidget* pages_;
};

} // namespace vellum::gui
