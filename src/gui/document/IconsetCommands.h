// The window's commands that change the icons the running system shows: applying an iconset and
// putting back the state an earlier apply saved. On Linux the system is the Wine prefix.
#pragma once

#include "application/AppServices.h"

#include <QObject>
#include <QString>
#include <string>

class QWidget;

namespace vellum {
struct ApplyResult;
}

namespace vellum::gui {

class IconsetCommands : public QObject {
    Q_OBJECT
public:
    IconsetCommands(AppServices& app, QWidget* window);

    // "Choose Iconset to Apply", then ApplyFile.
    void ApplyIconset();
    // Applies the iconset with a progress dialog, then shows what was written, what was left
    // alone and where the previous state is saved.
    void ApplyFile(const QString& path);
    // An iconset opened from outside (a double click): asks first, then ApplyFile.
    void OfferToApply(const QString& path);
    // "Restore Icons": the saved states, newest first, then RestoreBackup for the chosen one.
    void RestoreIcons();
    // Puts back the state saved in `folder`, after saving the present one.
    void RestoreBackup(const std::string& folder);

private:
    // The running system can be read and changed now; otherwise says why.
    bool SystemReady();
    void ShowResult(const QString& title, const QString& summary, const ApplyResult& result);
    QString InitialFolder();

    AppServices& app_;
    QWidget* window_;
};

} // namespace vellum::gui
