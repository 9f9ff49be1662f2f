#include "views/components/ToneLabel.hpp"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>

#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

ToneLabel::ToneLabel(Tone tone, QWidget* parent) : QLabel(parent), tone_(tone) {
    applyTone();
}

void ToneLabel::setTone(Tone tone) {
    if (tone_ != tone) {
        tone_ = tone;
        applyTone();
    }
}

QColor ToneLabel::color(Tone tone, const QPalette& palette) {
    switch (tone) {
    case Tone::secondary:
        return KestleStyle::secondaryText(palette);
    case Tone::update:
        return VelmarTheme::color(VelmarTheme::Color::update, palette);
    case Tone::primary:
        break;
    }
    return KestleStyle::primaryText(palette);
}

QColor ToneLabel::toneColor() const {
    // The parent's palette is the one the system changes; this label's own has its
    // text colour overridden.
    return color(tone_, parentWidget() ? parentWidget()->palette() : QApplication::palette());
}

void ToneLabel::setBold(bool bold) {
    if (isBold() != bold) {
        QFont changed = font();
        changed.setWeight(bold ? QFont::Bold : QFont::Normal);
        setFont(changed);
    }
}

void ToneLabel::setElideMode(Qt::TextElideMode mode) {
    if (elideMode_ != mode) {
        elideMode_ = mode;
        updateGeometry();
        update();
    }
}

QString ToneLabel::shownText() const {
    const int room = contentsRect().width();
    // Sizes are rounded up, so a text given its own width always fits.
    if (!elides() || QFontMetricsF(font()).horizontalAdvance(text()) <= room + 0.5) {
        return text();
    }
    return QFontMetricsF(font()).elidedText(text(), elideMode_, room);
}

QSize ToneLabel::minimumSizeHint() const {
    if (!elides()) {
        return QLabel::minimumSizeHint();
    }
    const QMargins margins = contentsMargins();
    return {margins.left() + margins.right(),
            fontMetrics().height() + margins.top() + margins.bottom()};
}

void ToneLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) {
        applyTone();
    }
}

void ToneLabel::paintEvent(QPaintEvent* event) {
    if (!elides()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect(),
                     QStyle::visualAlignment(layoutDirection(), alignment()) | Qt::TextSingleLine,
                     shownText());
}

void ToneLabel::applyTone() {
    const QColor color = toneColor();
    if (palette().color(QPalette::WindowText) != color) {
        KestleStyle::setColor(*this, QPalette::WindowText, color);
    }
}

} // namespace kestle::app
