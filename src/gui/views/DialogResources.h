// What a dialog names among its module's resources: the pictures of SS_ICON and SS_BITMAP
// statics and the window's menu, found among the project's own resources by ordinal or by name,
// as the dialog would load them from its module.
#pragma once

#include "formats/MenuTemplate.h"
#include "formats/TemplateFields.h"
#include "project/Project.h"

#include <QPixmap>
#include <functional>
#include <optional>

namespace vellum::gui {

struct DialogResources {
    // The picture of an SS_ICON (icon true) or SS_BITMAP static; null when missing.
    std::function<QPixmap(const NameOrOrdinal& name, bool icon)> image;
    // The menu the dialog's template names; nothing when missing or damaged.
    std::function<std::optional<MenuTemplate>(const NameOrOrdinal& name)> menu;
};

// Lookups in the project; empty ones without a project.
DialogResources ProjectDialogResources(Project* project);

// The icon group's member closest to `size` pixels square (an icon resource of that name when
// there is no group); a null pixmap when nothing can be found or decoded.
QPixmap ProjectIcon(Project& project, const NameOrOrdinal& name, int size);
// The bitmap resource, whether the project keeps it as a bitmap or as PNG; null when missing.
QPixmap ProjectBitmap(Project& project, const NameOrOrdinal& name);
std::optional<MenuTemplate> ProjectMenu(Project& project, const NameOrOrdinal& name);

} // namespace vellum::gui
