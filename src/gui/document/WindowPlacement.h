// The main window's placement between runs: "MainRect" as "left,top,right,bottom" and "Max".
#pragma once

#include <QRect>
#include <QString>
#include <optional>

namespace vellum::gui {

QString FormatMainRect(const QRect& rect);
// Nothing when the text is not four numbers or the rectangle is smaller than `minimum`.
std::optional<QRect> ParseMainRect(const QString& text, const QSize& minimum);
// Half the desktop, centred.
QRect DefaultMainRect(const QRect& desktop);

} // namespace vellum::gui
