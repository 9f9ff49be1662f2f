#include "views/components/Hairline.hpp"

#include <QPainter>

#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

Hairline::Hairline(QWidget* parent) : QWidget(parent) {
    setFixedHeight(thickness);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QColor Hairline::color(const QPalette& palette) {
    QColor color = KestleStyle::primaryText(palette);
    color.setAlphaF(VelmarTheme::isDark(palette) ? 0.15f : 0.1f);
    return color;
}

void Hairline::paint(QPainter& painter, const QRectF& rect, const QPalette& palette) {
    painter.fillRect(rect, color(palette));
}

void Hairline::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect(), palette());
}

} // namespace kestle::app
