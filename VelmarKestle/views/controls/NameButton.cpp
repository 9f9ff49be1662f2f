#include "views/controls/NameButton.hpp"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QPainter>

#include "views/style/KestleStyle.hpp"

namespace kestle::app {

namespace {

// Large names are set a little tighter, as display type is.
constexpr qreal kTightAbove = 16;
constexpr qreal kTracking = -0.2;
constexpr qreal kRingRadius = 4;

} // namespace

NameButton::NameButton(const QString& name, qreal size, QWidget* parent)
    : HoverButton(parent), name_(name), size_(size) {
    setFont(KestleStyle::font(size, QFont::Bold, size > kTightAbove ? kTracking : 0));
    setText(name);
    setAccessibleName(name);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void NameButton::setName(const QString& name) {
    if (name_ == name) {
        return;
    }
    name_ = name;
    setText(name);
    setAccessibleName(name);
    updateGeometry();
    update();
}

QSize NameButton::sizeHint() const {
    return {KestleStyle::textWidth(font(), name_), QFontMetrics(font()).height()};
}

QSize NameButton::minimumSizeHint() const {
    // A long name is elided rather than widening its column.
    return {0, sizeHint().height()};
}

void NameButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont shown = font();
    shown.setUnderline(isHovered());
    painter.setFont(shown);
    QColor color = KestleStyle::primaryText(palette());
    if (isDown()) {
        color.setAlphaF(color.alphaF() * 0.7f);
    }
    painter.setPen(color);
    KestleStyle::drawLine(painter, rect(), name_, Qt::AlignLeading | Qt::AlignVCenter);
    KestleStyle::paintFocusRing(painter, *this, rect(), kRingRadius);
}

} // namespace kestle::app
