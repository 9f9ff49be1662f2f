#include "services/WindowOpener.hpp"

#include <QAction>
#include <QMenu>

#include "Logging.hpp"

namespace kestle::app {

WindowOpener& WindowOpener::shared() {
    static WindowOpener opener;
    return opener;
}

void WindowOpener::setOpenWindow(OpenWindow openWindow) {
    openWindow_ = std::move(openWindow);
    const QStringList waiting = std::exchange(pending_, {});
    for (const QString& identifier : waiting) {
        open(identifier, true);
    }
}

void WindowOpener::open(const QString& identifier, bool activate) {
    if (openWindow_) {
        openWindow_(identifier, activate);
        return;
    }
    if (identifier == QStringLiteral("main") && openFromWindowMenu()) {
        return;
    }
    pending_ << identifier;
}

void WindowOpener::setWindowMenu(QMenu* menu) {
    windowMenu_ = menu;
}

bool WindowOpener::openFromWindowMenu() {
    if (windowMenu_ == nullptr) {
        return false;
    }
    QStringList items;
    for (QAction* action : windowMenu_->actions()) {
        if (action->text() == QStringLiteral("VelmarKestle") && action->isEnabled()) {
            qCInfo(lcApp, "Opening the window from the Window menu");
            action->trigger();
            return true;
        }
        items << QStringLiteral("%1|%2|%3")
                     .arg(action->text(), action->shortcut().toString(),
                          QString::number(
                              action->shortcut().isEmpty()
                                  ? 0
                                  : static_cast<int>(action->shortcut()[0].keyboardModifiers())));
    }
    qCCritical(lcApp, "No VelmarKestle item in the Window menu: %s",
               qUtf8Printable(items.join(QStringLiteral("; "))));
    return false;
}

} // namespace kestle::app
