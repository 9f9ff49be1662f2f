#include "views/controls/ReturnPress.hpp"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QToolButton>

namespace kestle::app {

void ReturnPress::install(QAbstractButton& button) {
    // One filter for every button; it lives as long as the application.
    static QPointer<ReturnPress> shared;
    if (!shared) {
        shared = new ReturnPress(QCoreApplication::instance());
    }
    button.installEventFilter(shared);
}

bool ReturnPress::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        modifiers != Qt::NoModifier || key->isAutoRepeat()) {
        return false;
    }
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (button == nullptr || !button->isEnabled()) {
        return false;
    }
    auto* tool = qobject_cast<QToolButton*>(button);
    if (tool != nullptr && tool->menu() != nullptr &&
        tool->popupMode() == QToolButton::InstantPopup) {
        tool->showMenu();
    } else {
        button->click();
    }
    return true;
}

} // namespace kestle::app
