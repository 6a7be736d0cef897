#include "application/AppIdentity.h"

#include <QApplication>

namespace vellum::gui {

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/vellum-%1.png").arg(size), QSize(size, size));
    return icon;
}

QString DesktopFileName() {
    return VELLUM_APP_ID;
}

void SetApplicationIdentity() {
    QApplication::setApplicationName("Vellum");
    QApplication::setOrganizationName("Quillon");
    // Wayland compositors and X11 task bars match the window to its launcher (and so find its
    // icon and name) by this name.
    QGuiApplication::setDesktopFileName(DesktopFileName());
    QApplication::setWindowIcon(ApplicationIcon());
}

} // namespace vellum::gui
