#pragma once

#include <memory>
#include <optional>

#include <QObject>
#include <QPointer>
#include <QString>

#include "model/Configuration.hpp"
#include "services/AppActions.hpp"
#include "services/AppLanguage.hpp"
#include "shell/SingleInstance.hpp"

namespace kestle::app {

class AppDelegate;
class KestleCommands;
class KestleModel;
class MainWindow;
class MenuBarContent;
class TrayIcon;
class SettingsView;
class TermsView;
class TipPromptView;

// The application's windows and how they open: the main window ("main", guarded by the
// terms), the terms window ("terms"), their menus, reopening on a second launch, and a
// quit that does not wait for work in flight. Main thread only.
class VelmarKestleApp : public QObject {
    Q_OBJECT

public:
    static constexpr int mainWidth = 1130;
    static constexpr int mainHeight = 820;
    // How long a quit lets cancelled work tidy up before the process ends regardless.
    static constexpr int quitGraceMs = 1500;

    VelmarKestleApp(Configuration config, KestleModel& model, AppLanguage language,
                    QObject* parent = nullptr);
    ~VelmarKestleApp() override;

    // Shows the first window (none at a login launch) and runs the launch sequence.
    void launch();
    // Opens a window by identifier; the main window only once the terms are accepted.
    void openWindow(const QString& identifier, bool activate);
    // A second launch handed over its arguments and token.
    void secondLaunch(const SingleInstance::Message& message);
    // userQuit: the user's own Quit command, which may first ask for a tip.
    void quit(bool userQuit);
    // On the user's own quit, once per version until the tip page is opened: the thank-you
    // panel, run modally; its tip button opens the tip page.
    void showTipPromptIfNeeded();
    // The desktop session ends: quits come without asking anything.
    void sessionEnding();
    // The panel while it asks, else none.
    TipPromptView* tipPrompt() const;
    // After the event loop: cancels what runs, gives it a moment, releases the instance
    // and starts the relaunch helper. False when work is still running: the caller ends
    // the process without waiting for it.
    bool finish(SingleInstance* instance);

    bool isVisible(const QString& prefix) const;
    MainWindow* mainWindow() const;
    TermsView* termsWindow() const { return terms_.get(); }
    SettingsView* settingsWindow() const;
    AppDelegate& delegate() const { return *delegate_; }
    KestleCommands* commands() const { return commands_; }
    TrayIcon* trayIcon() const { return tray_; }

    // The maker's page in the interface language.
    void openSitePage(const QString& italianPath, const QString& englishPath) const;
    // Records the version the tip page was opened for, then opens it.
    void openTipPage() const;
    void showAbout();

private:
    MainWindow* ensureMain();
    TermsView* ensureTerms();
    SettingsView* ensureSettings();

    Configuration config_;
    KestleModel& model_;
    AppLanguage language_;
    AppActions actions_;
    AppDelegate* delegate_;
    QPointer<MainWindow> main_;
    std::unique_ptr<TermsView> terms_;
    // Made anew at each opening, so it shows the login item and language as they are.
    QPointer<SettingsView> settings_;
    std::optional<QString> launchLanguage_; // the translation this run shows
    KestleCommands* commands_ = nullptr;
    MenuBarContent* menu_ = nullptr;
    TrayIcon* tray_ = nullptr;
    QPointer<TipPromptView> tipPrompt_;
    bool sessionEnding_ = false;
};

} // namespace kestle::app
