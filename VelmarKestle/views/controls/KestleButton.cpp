#include "views/controls/KestleButton.hpp"

#include <QEnterEvent>
#include <QPainter>
#include <QtMath>

#include "views/style/KestleStyle.hpp"
#include "views/style/SystemSymbol.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kFontSize = 13;
constexpr int kPadding = 14;
constexpr int kMinHeight = 32;
constexpr qreal kRadius = 8;
constexpr qreal kBrightening = 0.06;
constexpr qreal kSymbolSize = 11;
constexpr qreal kSymbolSpacing = 6;

QFont labelFont() {
    return KestleStyle::font(kFontSize, QFont::DemiBold);
}

} // namespace

KestleButton::KestleButton(const QString& text, bool prominent, bool fills, QWidget* parent)
    : HoverButton(parent), prominent_(prominent), fills_(fills) {
    setText(text);
    setFont(labelFont());
    updatePolicy();
}

void KestleButton::setProminent(bool prominent) {
    if (prominent_ != prominent) {
        prominent_ = prominent;
        update();
    }
}

void KestleButton::setFills(bool fills) {
    if (fills_ != fills) {
        fills_ = fills;
        updatePolicy();
    }
}

void KestleButton::setSymbol(const QString& name) {
    if (symbol_ != name) {
        symbol_ = name;
        updateGeometry();
        update();
    }
}

void KestleButton::updatePolicy() {
    setSizePolicy(fills_ ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);
    updateGeometry();
}

QSize KestleButton::sizeHint() const {
    QFontMetrics metrics(font());
    int width = KestleStyle::textWidth(font(), text()) + 2 * kPadding;
    if (!symbol_.isEmpty()) {
        width += qCeil(kSymbolSize + kSymbolSpacing);
    }
    return {width, std::max(kMinHeight, metrics.height())};
}

QSize KestleButton::minimumSizeHint() const {
    // Hugging the label means never narrower than it; a filling button may be squeezed.
    return fills_ ? QSize(2 * kPadding, sizeHint().height()) : sizeHint();
}

void KestleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(!isEnabled() ? 0.55 : isDown() ? 0.8 : 1.0);

    const QPalette& pal = palette();
    QRectF bounds = rect();
    bool lit = isHovered() || isDown();
    QColor label;
    if (prominent_) {
        QColor fill = VelmarTheme::color(VelmarTheme::Color::accent, pal);
        label = VelmarTheme::color(VelmarTheme::Color::onAccent, pal);
        if (lit) {
            fill = KestleStyle::brightened(fill, kBrightening);
            label = KestleStyle::brightened(label, kBrightening);
        }
        painter.fillPath(KestleStyle::roundedRect(bounds, kRadius), fill);
    } else {
        if (isHovered()) {
            painter.fillPath(KestleStyle::roundedRect(bounds, kRadius),
                             VelmarTheme::color(VelmarTheme::Color::controlFill, pal));
        }
        // The 1-point outline lies inside the shape.
        QPen pen(VelmarTheme::color(VelmarTheme::Color::strongSeparator, pal), 1);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(
            KestleStyle::roundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), kRadius - 0.5));
        label = KestleStyle::primaryText(pal);
    }

    // On the accent fill the ring takes the colour of the label instead.
    KestleStyle::paintFocusRing(painter, *this, bounds, kRadius, prominent_ ? label : QColor());

    painter.setFont(font());
    painter.setPen(label);
    QRectF textRect = bounds.adjusted(kPadding, 0, -kPadding, 0);
    if (symbol_.isEmpty()) {
        KestleStyle::drawLine(painter, textRect, text());
        return;
    }
    // Symbol and label are centred together as one row.
    qreal lead = kSymbolSize + kSymbolSpacing;
    qreal row = std::min<qreal>(lead + KestleStyle::textWidth(font(), text()), textRect.width());
    qreal left = textRect.left() + (textRect.width() - row) / 2;
    SystemSymbol::paint(painter, QPointF(left + kSymbolSize / 2, textRect.center().y()),
                        kSymbolSize, symbol_, label, QFont::Bold);
    painter.setPen(label);
    KestleStyle::drawLine(painter,
                          QRectF(left + lead, textRect.top(), row - lead, textRect.height()),
                          text(), Qt::AlignLeft | Qt::AlignVCenter);
}

bool KestleButton::hitButton(const QPoint& pos) const {
    return KestleStyle::roundedRect(rect(), kRadius).contains(QPointF(pos) + QPointF(0.5, 0.5));
}

void KestleButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
    }
    HoverButton::changeEvent(event);
}

} // namespace kestle::app
