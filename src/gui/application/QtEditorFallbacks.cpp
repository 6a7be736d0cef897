// The window's editor fallbacks.
#include "application/QtEditorFallbacks.h"

#include <QDesktopServices>
#include <QUrl>

namespace vellum::gui {

HRESULT QtEditorFallbacks::ShellEdit(const std::string& file) {
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(file));
    return QDesktopServices::openUrl(url) ? S_OK : E_FAIL;
}

HRESULT QtEditorFallbacks::Launch(const std::string& commandLine, const std::string& folder) {
    return system_.Launch(commandLine, folder);
}

std::optional<std::string> QtEditorFallbacks::Notepad() {
    return system_.Notepad();
}

} // namespace vellum::gui
