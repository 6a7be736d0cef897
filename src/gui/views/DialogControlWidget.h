// The Qt widget nearest to each kind of dialog control, made inert: a preview shows what the
// control looks like and takes no input.
#pragma once

#include "formats/DialogControl.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace vellum::gui {

// A widget for the control, a child of `parent`, shown or hidden and enabled as its styles say.
// `image` is the picture of an icon or bitmap static (null when it could not be found).
QWidget* CreateControlWidget(const DialogItem& item, const ControlLook& look, const QPixmap& image,
                             QWidget* parent);

// A static's text for a rich-text label: the mnemonic character underlined, line breaks kept,
// everything else escaped.
QString LabelMarkup(std::u16string_view text, bool noPrefix);

} // namespace vellum::gui
