#include "views/controls/CapsuleButton.hpp"

#include <QEvent>
#include <QPainter>

#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kFontSize = 13;
constexpr int kPadding = 14;
constexpr int kMinHeight = 28;

} // namespace

CapsuleButton::CapsuleButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setFont(KestleStyle::font(kFontSize, QFont::Medium));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CapsuleButton::sizeHint() const {
    QFontMetrics metrics(font());
    return {KestleStyle::textWidth(font(), text()) + 2 * kPadding,
            std::max(kMinHeight, metrics.height())};
}

QSize CapsuleButton::minimumSizeHint() const {
    return sizeHint();
}

void CapsuleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    auto fill = isDown() ? VelmarTheme::Color::controlFillHover : VelmarTheme::Color::controlFill;
    painter.fillPath(KestleStyle::capsule(rect()), VelmarTheme::color(fill, pal));

    // A disabled label takes the platform's disabled text colour, nothing more.
    QColor label = isEnabled() ? KestleStyle::primaryText(pal)
                               : pal.color(QPalette::Disabled, QPalette::WindowText);
    painter.setFont(font());
    painter.setPen(label);
    QRectF textRect = QRectF(rect()).adjusted(kPadding, 0, -kPadding, 0);
    KestleStyle::drawLine(painter, textRect, text());
}

bool CapsuleButton::hitButton(const QPoint& pos) const {
    return KestleStyle::capsule(rect()).contains(QPointF(pos) + QPointF(0.5, 0.5));
}

void CapsuleButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
    }
    QAbstractButton::changeEvent(event);
}

} // namespace kestle::app
