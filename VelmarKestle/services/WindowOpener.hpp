#pragma once

#include <functional>

#include <QPointer>
#include <QStringList>

class QMenu;

namespace kestle::app {

// Opens the application's windows ("main", "terms", "settings") from code that has none
// of its own: a notification's click, the tray, a second launch. Windows asked for before
// the shell hands over its way of opening them wait in `pending`. Main thread only.
class WindowOpener {
public:
    // Opens the window with that identifier; activate: raise it and give it the focus
    // (Qt activates windows, not applications).
    using OpenWindow = std::function<void(const QString& identifier, bool activate)>;

    static WindowOpener& shared();

    // Stores the action, then opens every pending window in order, activated.
    void setOpenWindow(OpenWindow openWindow);
    void open(const QString& identifier, bool activate);
    const QStringList& pending() const { return pending_; }
    bool isReady() const { return static_cast<bool>(openWindow_); }

    // The menu whose "VelmarKestle" item opens the main window, once menus exist.
    void setWindowMenu(QMenu* menu);
    // Triggers the Window menu's first enabled "VelmarKestle" item; false, with an error
    // log listing the menu's items, when there is none.
    bool openFromWindowMenu();

private:
    OpenWindow openWindow_;
    QStringList pending_;
    QPointer<QMenu> windowMenu_;
};

} // namespace kestle::app
