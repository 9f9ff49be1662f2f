#pragma once

#include <QCoreApplication>

#include "model/Configuration.hpp"
#include "services/AppActions.hpp"

class QWidget;

namespace kestle::app {

class Notifier;

// The application's own AppActions: apps open as processes of their own, items show in
// the file manager, links open in the browser, problem reports become e-mails.
class LiveActions {
    Q_DECLARE_TR_FUNCTIONS(kestle::app::LiveActions)

public:
    // window: the parent of the dialogs, asked for when one is shown (the main window
    // may come and go). notifier: the one "Notify me" asks; none is the shared one.
    static AppActions make(const Configuration& config, std::function<QWidget*()> window = {},
                           Notifier* notifier = nullptr);
    // Opens the installed app as a process of its own, unless a copy already runs or
    // was just started; logs when it cannot.
    static void open(const AppEntry& entry);
};

} // namespace kestle::app
