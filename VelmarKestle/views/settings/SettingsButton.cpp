#include "views/settings/SettingsButton.hpp"

#include <QKeyEvent>
#include <QPainter>

#include "views/settings/FocusRing.hpp"

namespace kestle::app {

namespace {

constexpr qreal kRadius = 8; // the button's own corners

} // namespace

SettingsButton::SettingsButton(const QString& text, QWidget* parent)
    : KestleButton(text, false, false, parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void SettingsButton::paintEvent(QPaintEvent* event) {
    KestleButton::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        FocusRing::paint(painter, rect(), kRadius, palette());
    }
}

void SettingsButton::keyPressEvent(QKeyEvent* event) {
    // A button takes only Space by itself; Return presses the focused one here too.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        animateClick();
        return;
    }
    KestleButton::keyPressEvent(event);
}

} // namespace kestle::app
