// Icons and bitmaps a dialog names (SS_ICON and SS_BITMAP statics), found among the project's
// own resources by ordinal or by name, as the dialog would load them from its module.
#pragma once

#include "formats/TemplateFields.h"
#include "project/Project.h"

#include <QPixmap>

namespace vellum::gui {

// The icon group's member closest to `size` pixels square (an icon resource of that name when
// there is no group); a null pixmap when nothing can be found or decoded.
QPixmap ProjectIcon(Project& project, const NameOrOrdinal& name, int size);
// The bitmap resource, whether the project keeps it as a bitmap or as PNG; null when missing.
QPixmap ProjectBitmap(Project& project, const NameOrOrdinal& name);

} // namespace vellum::gui
