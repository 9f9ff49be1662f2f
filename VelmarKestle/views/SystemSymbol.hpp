#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QStringView>

class QPainter;

namespace kestle::app {

// The few platform symbols the update views use ("xmark", "info.circle",
// "exclamationmark.triangle"), drawn as strokes so they follow any colour and size;
// Linux has no symbol font to take them from.
class SystemSymbol {
public:
    static bool has(QStringView name);
    // Draws the symbol centred on center, in a square of side size points; heavier
    // weights draw thicker strokes. An unknown name draws nothing.
    static void paint(QPainter& painter, QPointF center, qreal size, QStringView name,
                      const QColor& color, QFont::Weight weight = QFont::Normal);
};

} // namespace kestle::app
