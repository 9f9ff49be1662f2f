#include "views/controls/HoverButton.hpp"

namespace kestle::app {

HoverButton::HoverButton(QWidget* parent) : QAbstractButton(parent) {}

void HoverButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void HoverButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace kestle::app
