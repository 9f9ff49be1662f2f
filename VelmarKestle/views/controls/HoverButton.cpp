#include "views/controls/HoverButton.hpp"

#include "views/controls/ReturnPress.hpp"

namespace kestle::app {

HoverButton::HoverButton(QWidget* parent) : QAbstractButton(parent) {
    // Reached with Tab; a click does not leave a ring behind.
    setFocusPolicy(Qt::TabFocus);
    ReturnPress::install(*this);
}

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
