#include "views/components/KestleGlyph.hpp"

#include <algorithm>
#include <initializer_list>

#include <QPainter>

#include "views/components/Decorative.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

void addPolygon(QPainterPath& path, const QRectF& rect, qreal unit,
                std::initializer_list<QPointF> points) {
    bool first = true;
    for (QPointF point : points) {
        QPointF at = rect.topLeft() + point * unit;
        first ? path.moveTo(at) : path.lineTo(at);
        first = false;
    }
    path.closeSubpath();
}

} // namespace

KestleGlyph::KestleGlyph(QWidget* parent) : QWidget(parent) {
    Decorative::mark(*this);
}

QPainterPath KestleGlyph::path(GlyphPart part, const QRectF& rect) {
    qreal unit = std::min(rect.width(), rect.height()) / 128;
    QPainterPath path;
    switch (part) {
    case GlyphPart::tent:
        path.setFillRule(Qt::OddEvenFill);
        addPolygon(path, rect, unit, {{64, 48}, {116, 114}, {12, 114}});
        addPolygon(path, rect, unit, {{64, 82}, {80, 114}, {48, 114}});
        break;
    case GlyphPart::arrow:
        path.setFillRule(Qt::WindingFill);
        addPolygon(path, rect, unit,
                   {{57, 8}, {71, 8}, {71, 26}, {82, 26}, {64, 42}, {46, 26}, {57, 26}});
        break;
    }
    return path;
}

void KestleGlyph::paint(QPainter& painter, const QRectF& rect, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path(GlyphPart::tent, rect),
                     VelmarTheme::color(VelmarTheme::Color::wordmark, palette));
    painter.fillPath(path(GlyphPart::arrow, rect),
                     VelmarTheme::color(VelmarTheme::Color::gold, palette));
    painter.restore();
}

QImage KestleGlyph::image(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPalette light;
    light.setColor(QPalette::Window, Qt::white);
    QPainter painter(&image);
    paint(painter, QRectF(0, 0, side, side), light);
    return image;
}

QSize KestleGlyph::sizeHint() const {
    return {22, 22};
}

void KestleGlyph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect(), palette());
}

} // namespace kestle::app
