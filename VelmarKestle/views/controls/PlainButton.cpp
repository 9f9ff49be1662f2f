#include "views/controls/PlainButton.hpp"

#include <QFontMetrics>
#include <QPainter>
#include <QtMath>

#include "views/controls/ReturnPress.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/SystemSymbol.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kSymbolSpacing = 4;
constexpr float kPressedOpacity = 0.7f;
constexpr qreal kRingRadius = 4;

} // namespace

PlainButton::PlainButton(const QString& text, const QFont& font, QWidget* parent)
    : QAbstractButton(parent) {
    setFont(font);
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Reached with Tab; a click does not leave a ring behind.
    setFocusPolicy(Qt::TabFocus);
    ReturnPress::install(*this);
}

void PlainButton::setSymbol(const QString& name, qreal size) {
    symbol_ = name;
    symbolSize_ = name.isEmpty() ? 0 : size;
    updateGeometry();
    update();
}

QSize PlainButton::sizeHint() const {
    int width = KestleStyle::textWidth(font(), text());
    if (!symbol_.isEmpty()) {
        width += qCeil(kSymbolSpacing + symbolSize_);
    }
    return {width, std::max(QFontMetrics(font()).height(), qCeil(symbolSize_))};
}

QSize PlainButton::minimumSizeHint() const {
    return sizeHint();
}

void PlainButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor tint = VelmarTheme::color(VelmarTheme::Color::accent, palette());
    if (isDown()) {
        tint.setAlphaF(tint.alphaF() * kPressedOpacity);
    }
    const QRectF bounds = rect();
    const qreal symbolRoom = symbol_.isEmpty() ? 0 : kSymbolSpacing + symbolSize_;
    const qreal textWidth = std::max<qreal>(0, bounds.width() - symbolRoom);
    painter.setFont(font());
    painter.setPen(tint);
    KestleStyle::drawLine(painter, QRectF(bounds.left(), bounds.top(), textWidth, bounds.height()),
                          text(), Qt::AlignLeading | Qt::AlignVCenter);
    if (!symbol_.isEmpty()) {
        SystemSymbol::paint(painter,
                            QPointF(bounds.left() + textWidth + kSymbolSpacing + symbolSize_ / 2,
                                    bounds.center().y()),
                            symbolSize_, symbol_, tint, QFont::Bold);
    }
    KestleStyle::paintFocusRing(painter, *this, bounds, kRingRadius);
}

} // namespace kestle::app
