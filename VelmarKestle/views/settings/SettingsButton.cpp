#include "views/settings/SettingsButton.hpp"

#include <QPainter>

#include "views/settings/FocusRing.hpp"
#include "views/settings/PressOnReturn.hpp"

namespace kestle::app {

namespace {

constexpr qreal kRadius = 8; // the button's own corners

} // namespace

SettingsButton::SettingsButton(const QString& text, QWidget* parent)
    : KestleButton(text, false, false, parent) {
    setFocusPolicy(Qt::StrongFocus);
    PressOnReturn::install(*this);
}

void SettingsButton::paintEvent(QPaintEvent* event) {
    KestleButton::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        FocusRing::paint(painter, rect(), kRadius, palette());
    }
}

} // namespace kestle::app
