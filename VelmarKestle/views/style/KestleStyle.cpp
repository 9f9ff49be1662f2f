#include "views/style/KestleStyle.hpp"

#include <algorithm>

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>
#include <QtMath>

#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

QFont KestleStyle::font(qreal size, QFont::Weight weight, qreal tracking) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // Points here are device-independent pixels, not typographic points.
    font.setPixelSize(std::max(1, qRound(size)));
    font.setWeight(weight);
    if (tracking != 0) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    }
    return font;
}

QColor KestleStyle::primaryText(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::WindowText);
}

void KestleStyle::setColor(QWidget& widget, QPalette::ColorRole role, const QColor& color) {
    QPalette own;
    own.setColor(role, color);
    widget.setPalette(own);
}

QColor KestleStyle::secondaryText(const QPalette& palette) {
    // The platform's secondary label: the primary one, half faded.
    QColor color = primaryText(palette);
    color.setAlphaF(VelmarTheme::isDark(palette) ? 0.55f : 0.5f);
    return color;
}

QPainterPath KestleStyle::roundedRect(const QRectF& rect, qreal radius) {
    qreal r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2);
    QPainterPath path;
    path.addRoundedRect(rect, r, r);
    return path;
}

QPainterPath KestleStyle::capsule(const QRectF& rect) {
    return roundedRect(rect, std::min(rect.width(), rect.height()) / 2);
}

int KestleStyle::textWidth(const QFont& font, const QString& text) {
    return qCeil(QFontMetricsF(font).horizontalAdvance(text));
}

void KestleStyle::drawLine(QPainter& painter, const QRectF& rect, const QString& text,
                           Qt::Alignment alignment) {
    QFontMetricsF metrics(painter.font());
    // Sizes are rounded up, so a text given its own width always fits.
    QString shown = metrics.horizontalAdvance(text) <= rect.width() + 0.5
                        ? text
                        : metrics.elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, alignment | Qt::TextSingleLine, shown);
}

QColor KestleStyle::brightened(const QColor& color, qreal amount) {
    auto add = [amount](float channel) {
        return std::clamp(channel + static_cast<float>(amount), 0.0f, 1.0f);
    };
    QColor rgb = color.toRgb();
    return QColor::fromRgbF(add(rgb.redF()), add(rgb.greenF()), add(rgb.blueF()), rgb.alphaF());
}

void KestleStyle::paintFocusRing(QPainter& painter, const QWidget& widget, const QRectF& rect,
                                 qreal radius, const QColor& color) {
    if (!widget.hasFocus()) {
        return;
    }
    painter.save();
    // A pressed or disabled look must not fade the ring away.
    painter.setOpacity(1);
    painter.setClipping(false);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ring =
        color.isValid() ? color : VelmarTheme::color(VelmarTheme::Color::accent, widget.palette());
    painter.setPen(QPen(ring, focusRingWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = focusRingWidth / 2;
    painter.drawPath(roundedRect(rect.adjusted(inset, inset, -inset, -inset),
                                 std::max<qreal>(0, radius - inset)));
    painter.restore();
}

} // namespace kestle::app
