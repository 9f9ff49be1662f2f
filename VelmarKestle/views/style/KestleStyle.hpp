#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPalette>
#include <QRectF>
#include <QString>

class QPainter;
class QWidget;

namespace kestle::app {

// Drawing helpers the views share: the system font at a size in points, the text
// colours of the palette, and the rounded shapes that stand in for continuous corners.
class KestleStyle {
public:
    // The system font at size points (device-independent pixels), with the weight and
    // the extra space between letters (tracking) in points.
    static QFont font(qreal size, QFont::Weight weight, qreal tracking = 0);

    // The primary and secondary label colours of the palette's active group.
    static QColor primaryText(const QPalette& palette);
    static QColor secondaryText(const QPalette& palette);

    // A rounded rectangle; the radius is clamped to half the shorter side.
    static QPainterPath roundedRect(const QRectF& rect, qreal radius);
    static QPainterPath capsule(const QRectF& rect);

    // The width a one-line text takes, rounded up to whole points.
    static int textWidth(const QFont& font, const QString& text);
    // Draws one line in rect with the painter's font, eliding it only when it does not fit.
    static void drawLine(QPainter& painter, const QRectF& rect, const QString& text,
                         Qt::Alignment alignment = Qt::AlignCenter);

    // Pins one colour role of a widget and leaves every other role to follow its
    // parent, so a later change of appearance still reaches the widget. (Copying the
    // widget's palette and changing one role would pin all of them.)
    static void setColor(QWidget& widget, QPalette::ColorRole role, const QColor& color);

    // Adds amount to each colour channel, as a brightness adjustment does.
    static QColor brightened(const QColor& color, qreal amount);

    // The keyboard focus ring of every custom control, painted last over its content: a
    // line just inside rect that follows its corners, in the accent colour unless the
    // control sits on the accent itself and passes another. Nothing without focus.
    static void paintFocusRing(QPainter& painter, const QWidget& widget, const QRectF& rect,
                               qreal radius, const QColor& color = {});
    static constexpr qreal focusRingWidth = 2;
};

} // namespace kestle::app
