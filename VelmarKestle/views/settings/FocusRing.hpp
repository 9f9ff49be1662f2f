#pragma once

#include <QPalette>
#include <QRectF>

class QPainter;

namespace kestle::app {

// The ring the settings' controls draw around themselves while they have the keyboard
// focus: two points of the accent colour, rounded like the control.
class FocusRing {
public:
    static constexpr qreal width = 2;

    // Draws inside rect, so a control can keep the ring within its own bounds.
    static void paint(QPainter& painter, const QRectF& rect, qreal radius, const QPalette& palette);
};

} // namespace kestle::app
