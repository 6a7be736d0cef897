// Window rectangles as the settings store them: right and bottom are exclusive edges.
#include "document/WindowPlacement.h"

#include <QStringList>

namespace vellum::gui {

QString FormatMainRect(const QRect& rect) {
    return QString("%1,%2,%3,%4")
        .arg(rect.left())
        .arg(rect.top())
        .arg(rect.left() + rect.width())
        .arg(rect.top() + rect.height());
}

std::optional<QRect> ParseMainRect(const QString& text, const QSize& minimum) {
    QStringList parts = text.split(',');
    if (parts.size() != 4)
        return std::nullopt;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    QRect rect(values[0], values[1], values[2] - values[0], values[3] - values[1]);
    if (rect.width() < minimum.width() || rect.height() < minimum.height())
        return std::nullopt;
    return rect;
}

QRect DefaultMainRect(const QRect& desktop) {
    QSize size = desktop.size() / 2;
    QRect rect(QPoint(0, 0), size);
    rect.moveCenter(desktop.center());
    return rect;
}

} // namespace vellum::gui
