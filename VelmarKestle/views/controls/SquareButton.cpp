#include "views/controls/SquareButton.hpp"

#include <QEnterEvent>
#include <QPainter>

#include "views/style/KestleStyle.hpp"
#include "views/style/SystemSymbol.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kFrame = 32;
constexpr qreal kRadius = 8;

} // namespace

SquareButton::SquareButton(const QString& systemImage, qreal size, QWidget* parent)
    : HoverButton(parent), systemImage_(systemImage), size_(size) {
    setFixedSize(kFrame, kFrame);
    setFocusPolicy(Qt::TabFocus);
}

QSize SquareButton::sizeHint() const {
    return {kFrame, kFrame};
}

QSize SquareButton::minimumSizeHint() const {
    return sizeHint();
}

void SquareButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    if (isHovered()) {
        QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath shape = KestleStyle::roundedRect(bounds, kRadius);
        painter.fillPath(shape, VelmarTheme::color(VelmarTheme::Color::controlFill, pal));
        painter.setPen(QPen(VelmarTheme::color(VelmarTheme::Color::strongSeparator, pal), 1));
        painter.drawPath(shape);
    }
    QColor color = KestleStyle::primaryText(pal);
    if (!isEnabled()) {
        color = pal.color(QPalette::Disabled, QPalette::WindowText);
    } else if (isDown()) {
        color.setAlphaF(color.alphaF() * 0.6f);
    }
    SystemSymbol::paint(painter, QRectF(rect()).center(), size_, systemImage_, color,
                        QFont::DemiBold);
    KestleStyle::paintFocusRing(painter, *this, rect(), kRadius);
}

} // namespace kestle::app
