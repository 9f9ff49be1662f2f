#pragma once

#include <functional>

#include <QObject>
#include <QString>
#include <QStringList>

namespace kestle::app {

class KestleModel;

// The application's life cycle: the launch sequence, the services once the terms are
// accepted, reopening, and the relaunch after the end. Main thread only.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    struct Windows {
        // Whether a window whose identifier begins with prefix is visible.
        std::function<bool(const QString& prefix)> isVisible;
        std::function<void(const QString& identifier)> close;
    };

    AppDelegate(KestleModel& model, Windows windows, QObject* parent = nullptr);

    // How long a launch waits for a window of its own before opening one.
    static constexpr int windowCheckMs = 1500;
    // How long a login launch keeps closing the main window that appears.
    static constexpr int loginQuietMs = 3000;

    // Before the windows: notifications get their model.
    void willFinishLaunching();
    // After the first window was asked for: the launch sequence.
    void didFinishLaunching(const QString& language, const QString& choice);
    // The daily check and the self updater, from the stored "checksDaily".
    void startServices();
    bool servicesStarted() const { return servicesStarted_; }
    // The user opened the application again (a second launch): opens the main window, or
    // the terms, when nothing is visible. True when it did.
    bool reopen(bool hasVisibleWindows);
    // At the very end: starts the relaunch helper when one was asked for.
    void willTerminate(const QString& bundle, qint64 pid);

    // The helper waits up to 30 s for the old process to end, then starts the bundle's
    // executable: its program, arguments ($0: the bundle, $1: the old process).
    static QString relaunchScript();
    static QStringList relaunchArguments(const QString& bundle, qint64 pid);

private:
    KestleModel& model_;
    Windows windows_;
    bool servicesStarted_ = false;
};

} // namespace kestle::app
