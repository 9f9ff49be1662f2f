#include "views/settings/FocusRing.hpp"

#include <QPainter>

#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

void FocusRing::paint(QPainter& painter, const QRectF& rect, qreal radius,
                      const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(1);
    painter.setPen(QPen(VelmarTheme::color(VelmarTheme::Color::accent, palette), width));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = width / 2;
    painter.drawPath(KestleStyle::roundedRect(rect.adjusted(inset, inset, -inset, -inset), radius));
    painter.restore();
}

} // namespace kestle::app
