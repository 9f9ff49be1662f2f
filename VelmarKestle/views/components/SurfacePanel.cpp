#include "views/components/SurfacePanel.hpp"

#include <QPainter>

#include "views/components/Hairline.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kRadius = 12;

} // namespace

SurfacePanel::SurfacePanel(QWidget* parent) : QWidget(parent) {}

void SurfacePanel::paintSurface(QPainter& painter, const QRectF& rect, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(KestleStyle::roundedRect(rect, kRadius),
                     VelmarTheme::color(VelmarTheme::Color::surface, palette));
    // The outline sits inside the shape, so the panel is no bigger than its frame.
    painter.setPen(QPen(Hairline::color(palette), Hairline::thickness));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(KestleStyle::roundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), kRadius - 0.5));
    painter.restore();
}

void SurfacePanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintSurface(painter, rect(), palette());
}

} // namespace kestle::app
