#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPointF>
#include <QStringView>

class QPainter;

namespace kestle::app {

// The few platform symbols the views use ("xmark", "info.circle", "checkmark",
// "exclamationmark.triangle" and its filled form, "arrow.up.right", "chevron.left",
// "arrow.clockwise", "gearshape", "arrow.down.circle", "square.grid.2x2", "list.bullet"), drawn as
// strokes so they follow any colour and size; Linux has no symbol font to take them from.
class SystemSymbol {
public:
    static bool has(QStringView name);
    // Draws the symbol centred on center, in a square of side size points; heavier
    // weights draw thicker strokes. An unknown name draws nothing.
    static void paint(QPainter& painter, QPointF center, qreal size, QStringView name,
                      const QColor& color, QFont::Weight weight = QFont::Normal);
    // The symbol as an icon for tool buttons and menus, drawn at the screen's scale.
    static QIcon icon(QStringView name, qreal size, const QColor& color);
};

} // namespace kestle::app
