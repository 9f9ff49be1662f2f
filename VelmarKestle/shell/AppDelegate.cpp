#include "shell/AppDelegate.hpp"

#include <QProcess>
#include <QTimer>

#include "Logging.hpp"
#include "model/KestleModel.hpp"
#include "services/AppFlags.hpp"
#include "services/AppInfo.hpp"
#include "services/DailyCheck.hpp"
#include "services/Notifier.hpp"
#include "services/SelfUpdater.hpp"
#include "services/WindowOpener.hpp"

namespace kestle::app {

AppDelegate::AppDelegate(KestleModel& model, Windows windows, QObject* parent)
    : QObject(parent), model_(model), windows_(std::move(windows)) {}

void AppDelegate::willFinishLaunching() {
    Notifier::shared().attach(model_, false);
}

void AppDelegate::didFinishLaunching(const QString& language, const QString& choice) {
    qCInfo(lcApp, "Launch: %s, language %s, choice %s", qPrintable(appVersionText()),
           qPrintable(language), qPrintable(choice));
    qCInfo(lcApp, "Launch at login: %s", AppFlags::launchedAtLogin ? "yes" : "no");
    if (AppFlags::launchedAtLogin && windows_.isVisible(QStringLiteral("main"))) {
        AppFlags::closesWindowAtLogin = false;
        windows_.close(QStringLiteral("main"));
    }
    if (AppFlags::closesWindowAtLogin) {
        QTimer::singleShot(loginQuietMs, this, [] { AppFlags::closesWindowAtLogin = false; });
    }
    if (!AppFlags::launchedAtLogin) {
        QTimer::singleShot(windowCheckMs, this, [this] {
            if (windows_.isVisible(QStringLiteral("main")) ||
                windows_.isVisible(QStringLiteral("terms"))) {
                return;
            }
            qCInfo(lcApp, "Launch: no window opened, opening it (opener ready %d)",
                   WindowOpener::shared().isReady() ? 1 : 0);
            WindowOpener::shared().open(
                model_.termsAccepted() ? QStringLiteral("main") : QStringLiteral("terms"), false);
        });
    }
    model_.onTermsAccepted = [this] { startServices(); };
    model_.onQueueIdle = [] { SelfUpdater::shared().relaunchIfIdle(); };
    if (model_.termsAccepted()) {
        startServices();
    } else {
        qCInfo(lcApp, "Terms of use not accepted: no request until they are");
    }
}

void AppDelegate::startServices() {
    if (servicesStarted_) {
        return;
    }
    servicesStarted_ = true;
    const auto& defaults = model_.defaults();
    const bool checksDaily = defaults ? defaults->boolean("checksDaily").value_or(true) : true;
    DailyCheck::shared().setModel(&model_);
    DailyCheck::shared().setActive(checksDaily);
    SelfUpdater::shared().start(checksDaily, [this] { return model_.queue().isBusy(); });
}

bool AppDelegate::reopen(bool hasVisibleWindows) {
    const bool ready = WindowOpener::shared().isReady();
    qCInfo(lcApp, "Reopen: visible windows %d, opener ready %d", hasVisibleWindows ? 1 : 0,
           ready ? 1 : 0);
    if (hasVisibleWindows || !ready) {
        return false;
    }
    WindowOpener::shared().open(
        model_.termsAccepted() ? QStringLiteral("main") : QStringLiteral("terms"), true);
    return true;
}

QString AppDelegate::relaunchScript() {
    return QStringLiteral("i=0; while /bin/kill -0 \"$1\" 2>/dev/null && [ $i -lt 150 ]; do "
                          "/bin/sleep 0.2; i=$((i+1)); done; "
                          "exec \"$0/Contents/MacOS/VelmarKestle\"");
}

QStringList AppDelegate::relaunchArguments(const QString& bundle, qint64 pid) {
    return {QStringLiteral("-c"), relaunchScript(), bundle, QString::number(pid)};
}

void AppDelegate::willTerminate(const QString& bundle, qint64 pid) {
    if (!AppFlags::relaunchRequested) {
        return;
    }
    QProcess helper;
    helper.setProgram(QStringLiteral("/bin/sh"));
    helper.setArguments(relaunchArguments(bundle, pid));
    if (!helper.startDetached()) {
        qCCritical(lcApp, "Relaunch failed: %s", qPrintable(helper.errorString()));
    }
}

} // namespace kestle::app
