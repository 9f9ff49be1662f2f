#pragma once

#include <QImage>
#include <QPainterPath>
#include <QWidget>

class QPainter;

namespace kestle::app {

// The two parts of the glyph.
enum class GlyphPart { tent, arrow };

// The product's glyph: a tent with a door, and a gold arrow pointing down into it.
// Drawn in the top-left square of its rectangle, so it never stretches.
class KestleGlyph : public QWidget {
    Q_OBJECT

public:
    explicit KestleGlyph(QWidget* parent = nullptr);

    // A part's outline on a grid of 128 units whose unit is min(width, height) / 128,
    // counted from the rectangle's top-left corner. The tent's fill rule is even-odd
    // (the inner triangle is the door); the arrow's is non-zero.
    static QPainterPath path(GlyphPart part, const QRectF& rect);
    // Both parts, tent under arrow, in the palette's colours.
    static void paint(QPainter& painter, const QRectF& rect, const QPalette& palette);
    // The glyph in its light colours on a clear square, whatever the appearance: an
    // icon written once must not keep the appearance of the day it was written.
    static QImage image(int side);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestle::app
