#include "views/settings/PressOnReturn.hpp"

#include <QAbstractButton>
#include <QKeyEvent>

namespace kestle::app {

void PressOnReturn::install(QAbstractButton& button) {
    button.installEventFilter(new PressOnReturn(&button));
}

bool PressOnReturn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (button == nullptr || key->modifiers() != Qt::NoModifier ||
        (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)) {
        return false;
    }
    button->animateClick();
    return true;
}

} // namespace kestle::app
