#include "views/controls/CapsuleButton.hpp"

#include <QEvent>
#include <QPainter>

#include "views/controls/ReturnPress.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/SystemSymbol.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kFontSize = 13;
constexpr int kPadding = 14;
constexpr int kMinHeight = 28;
constexpr int kSymbolSpacing = 6;

} // namespace

CapsuleButton::CapsuleButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setFont(KestleStyle::font(kFontSize, QFont::Medium));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Reached with Tab; a click does not leave a ring behind.
    setFocusPolicy(Qt::TabFocus);
    ReturnPress::install(*this);
}

void CapsuleButton::setSymbol(const QString& name, qreal size) {
    symbol_ = name;
    symbolSize_ = name.isEmpty() ? 0 : size;
    updateGeometry();
    update();
}

QSize CapsuleButton::sizeHint() const {
    QFontMetrics metrics(font());
    const int symbol = symbol_.isEmpty() ? 0 : qRound(symbolSize_) + kSymbolSpacing;
    return {KestleStyle::textWidth(font(), text()) + 2 * kPadding + symbol,
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
    QRectF textRect = QRectF(rect()).adjusted(kPadding, 0, -kPadding, 0);
    Qt::Alignment alignment = Qt::AlignCenter;
    if (!symbol_.isEmpty()) {
        SystemSymbol::paint(painter, QPointF(kPadding + symbolSize_ / 2, height() / 2.0),
                            symbolSize_, symbol_, label, QFont::Bold);
        textRect.setLeft(textRect.left() + symbolSize_ + kSymbolSpacing);
        alignment = Qt::AlignLeading | Qt::AlignVCenter;
    }
    painter.setFont(font());
    painter.setPen(label);
    KestleStyle::drawLine(painter, textRect, text(), alignment);
    KestleStyle::paintFocusRing(painter, *this, rect(), height() / 2.0);
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
