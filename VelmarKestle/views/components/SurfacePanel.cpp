#include "views/components/SurfacePanel.hpp"

#include <QPainter>

#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kRadius = 12;

} // namespace

SurfacePanel::SurfacePanel(QWidget* parent) : QWidget(parent) {}

QColor SurfacePanel::separatorColor(const QPalette& palette) {
    QColor color = KestleStyle::primaryText(palette);
    color.setAlphaF(VelmarTheme::isDark(palette) ? 0.15f : 0.1f);
    return color;
}

void SurfacePanel::paintSurface(QPainter& painter, const QRectF& rect, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(KestleStyle::roundedRect(rect, kRadius),
                     VelmarTheme::color(VelmarTheme::Color::surface, palette));
    // The outline sits inside the shape, so the panel is no bigger than its frame.
    painter.setPen(QPen(separatorColor(palette), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(KestleStyle::roundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), kRadius - 0.5));
    painter.restore();
}

void SurfacePanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintSurface(painter, rect(), palette());
}

} // namespace kestle::app
