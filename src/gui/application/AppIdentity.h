// Who the window program is to Qt and to the desktop: its name and maker (which also place its
// settings), its icon, and the desktop file it was started from.
#pragma once

#include <QIcon>
#include <QString>

namespace vellum::gui {

inline constexpr const char* kWebSiteUrl = "https://quillon.example/vellum";

// The icon drawn for Vellum in every size it ships in, from the program's own resources.
QIcon ApplicationIcon();

// The launcher's name without ".desktop"; also the icon's name in the desktop's icon theme.
QString DesktopFileName();

// Sets the application's name, organisation, desktop file name and window icon. Needs the
// QApplication.
void SetApplicationIdentity();

} // namespace vellum::gui
