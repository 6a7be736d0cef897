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

// A desktop finds the window's launcher, and with it the icon and name to show, by the desktop
// file name on Wayland, and on X11 by the window class Qt makes from the application name (the
// launcher's StartupWMClass).
void SetApplicationIdentity() {
    QApplication::setApplicationName("Vellum");
    QApplication::setOrganizationName("Quillon");
    QGuiApplication::setDesktopFileName(DesktopFileName());
    QApplication::setWindowIcon(ApplicationIcon());
}

} // namespace vellum::gui
