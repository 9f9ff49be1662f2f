#include "views/jobs/ToastButton.hpp"

#include <QPainter>

#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kFontSize = 13;
constexpr int kHorizontalPadding = 12;
constexpr int kVerticalPadding = 3;
constexpr double kFillAlpha = 0.18;

} // namespace

ToastButton::ToastButton(const QString& text, QWidget* parent) : CapsuleButton(text, parent) {
    setFont(KestleStyle::font(kFontSize, QFont::DemiBold));
}

QSize ToastButton::sizeHint() const {
    QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kHorizontalPadding,
            metrics.height() + 2 * kVerticalPadding};
}

QSize ToastButton::minimumSizeHint() const {
    return sizeHint();
}

void ToastButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    // The toast sits on the accent colour, so the button is drawn in what goes on it.
    QColor label = VelmarTheme::color(VelmarTheme::Color::onAccent, palette());
    QColor fill = label;
    fill.setAlphaF(static_cast<float>(kFillAlpha));
    painter.fillPath(KestleStyle::capsule(rect()), fill);
    painter.setFont(font());
    painter.setPen(label);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    // The toast is the accent colour, so the ring is drawn in the label's.
    KestleStyle::paintFocusRing(painter, *this, rect(), height() / 2.0, label);
}

} // namespace kestle::app
