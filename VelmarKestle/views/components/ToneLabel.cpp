#include "views/components/ToneLabel.hpp"

#include <QApplication>
#include <QEvent>

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

QColor ToneLabel::toneColor() const {
    // The parent's palette is the one the system changes; this label's own has its
    // text colour overridden.
    const QPalette base = parentWidget() ? parentWidget()->palette() : QApplication::palette();
    switch (tone_) {
    case Tone::secondary:
        return KestleStyle::secondaryText(base);
    case Tone::update:
        return VelmarTheme::color(VelmarTheme::Color::update, base);
    case Tone::primary:
        break;
    }
    return KestleStyle::primaryText(base);
}

void ToneLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) {
        applyTone();
    }
}

void ToneLabel::applyTone() {
    const QColor color = toneColor();
    if (palette().color(QPalette::WindowText) != color) {
        KestleStyle::setColor(*this, QPalette::WindowText, color);
    }
}

} // namespace kestle::app
