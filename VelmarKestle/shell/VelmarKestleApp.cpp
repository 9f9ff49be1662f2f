#include "shell/VelmarKestleApp.hpp"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenuBar>
#include <QSessionManager>
#include <QTextBrowser>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>

#include "Logging.hpp"
#include "model/KestleModel.hpp"
#include "platform/Workspace.hpp"
#include "services/AppFlags.hpp"
#include "services/AppInfo.hpp"
#include "services/DailyCheck.hpp"
#include "services/LauncherItem.hpp"
#include "services/LiveActions.hpp"
#include "services/Notifier.hpp"
#include "services/SelfUpdater.hpp"
#include "services/TrashFlow.hpp"
#include "services/WindowOpener.hpp"
#include "shell/AppDelegate.hpp"
#include "shell/KestleCommands.hpp"
#include "views/menubar/MenuBarContent.hpp"
#include "views/menubar/TrayIcon.hpp"
#include "views/settings/SettingsView.hpp"
#include "views/terms/TermsView.hpp"
#include "views/terms/TipPromptView.hpp"
#include "views/window/MainWindow.hpp"

namespace kestle::app {

namespace {

QString translationsFolder(const Configuration& config) {
    return QString::fromStdString((config.bundle / "Contents/Resources/translations").string());
}

} // namespace

VelmarKestleApp::VelmarKestleApp(Configuration config, KestleModel& model, AppLanguage language,
                                 QObject* parent)
    : QObject(parent), config_(std::move(config)), model_(model), language_(language),
      actions_(LiveActions::make(config_, [this] { return static_cast<QWidget*>(main_.data()); })),
      delegate_(new AppDelegate(model,
                                {[this](const QString& prefix) { return isVisible(prefix); },
                                 [this](const QString& identifier) {
                                     if (identifier == QLatin1String(MainWindow::identifier) &&
                                         main_ != nullptr) {
                                         main_->close();
                                     }
                                 }},
                                this)) {}

VelmarKestleApp::~VelmarKestleApp() {
    WindowOpener::shared().setOpenWindow({});
    TrashFlow::shared().setUndoStack({});
    delete main_.data();
    delete settings_.data();
}

void VelmarKestleApp::launch() {
    delegate_->willFinishLaunching();
    launchLanguage_ =
        AppLanguages::resolved(AppLanguages::available(translationsFolder(config_)), language_);
    MenuBarContent::Actions menu;
    menu.openWindow = [this](const QString& identifier, bool activate) {
        openWindow(identifier, activate);
    };
    menu.quit = [this](bool userQuit) { quit(userQuit); };
    menu.openSettings = [this] { openWindow(QString::fromLatin1(SettingsView::identifier), true); };
    menu_ = new MenuBarContent(model_, &SelfUpdater::shared(), menu, this);
    tray_ = new TrayIcon(*menu_, model_.defaults(), config_.bundle, this);
    // With the icon the application lives on without windows; without one (no tray on
    // this desktop, or the user hid it) the window is the whole interface.
    QApplication::setQuitOnLastWindowClosed(!tray_->isShown());
    connect(tray_, &TrayIcon::shownChanged, this,
            [](bool shown) { QApplication::setQuitOnLastWindowClosed(!shown); });
#ifndef QT_NO_SESSIONMANAGER
    // A session manager that asks before logging out gets no panel in its way.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { sessionEnding(); });
#endif
    // The desktop's launcher shows the application and names its windows and notices.
    QTimer::singleShot(0, this, [this] { LauncherItem::ensureInstalled(config_); });
    TrashFlow::shared().setUndoStack(
        [this] { return main_ != nullptr ? main_->undoStack() : nullptr; });
    if (!AppFlags::launchedAtLogin) {
        openWindow(model_.termsAccepted() ? QStringLiteral("main") : QStringLiteral("terms"), true);
    }
    WindowOpener::shared().setOpenWindow(
        [this](const QString& identifier, bool activate) { openWindow(identifier, activate); });
    delegate_->didFinishLaunching(QLocale().uiLanguages().value(0),
                                  QString::fromUtf8(AppLanguages::rawValue(language_)));
}

MainWindow* VelmarKestleApp::mainWindow() const {
    return main_;
}

SettingsView* VelmarKestleApp::settingsWindow() const {
    return settings_;
}

bool VelmarKestleApp::isVisible(const QString& prefix) const {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->objectName().startsWith(prefix)) {
            return true;
        }
    }
    return false;
}

MainWindow* VelmarKestleApp::ensureMain() {
    if (main_ == nullptr) {
        MainWindow::Options options;
        options.openSettings = [this] {
            openWindow(QString::fromLatin1(SettingsView::identifier), true);
        };
        main_ = new MainWindow(model_, actions_, options);
        main_->setAttribute(Qt::WA_DeleteOnClose, false);
        main_->resize(mainWidth, mainHeight);
        KestleCommands::Actions commands;
        commands.about = [this] { showAbout(); };
        commands.quit = [this] { quit(true); };
        commands.openTipPage = [this] { openTipPage(); };
        commands.openSitePage = [this](const QString& italian, const QString& english) {
            openSitePage(italian, english);
        };
        commands.reportProblem = [this] { actions_.reportProblem(std::nullopt, model_); };
        commands.openSettings = [this] {
            openWindow(QString::fromLatin1(SettingsView::identifier), true);
        };
        SelfUpdater* updater =
            SelfUpdater::shared().isConfigured() ? &SelfUpdater::shared() : nullptr;
        commands_ = new KestleCommands(model_, updater, main_->undoAction(), commands, main_);
        commands_->install(*main_->menuBar());
    }
    return main_;
}

TermsView* VelmarKestleApp::ensureTerms() {
    if (terms_ == nullptr) {
        terms_ = std::make_unique<TermsView>(
            model_,
            [this] {
                openSitePage(QStringLiteral("/velmarkestle/condizioni"),
                             QStringLiteral("/en/velmarkestle/terms"));
            },
            [this] { openWindow(QStringLiteral("main"), true); }, [this] { quit(false); });
        terms_->setObjectName(QString::fromLatin1(TermsView::identifier));
    }
    return terms_.get();
}

SettingsView* VelmarKestleApp::ensureSettings() {
    if (settings_ == nullptr) {
        GeneralSettings::Services services;
        services.defaults = model_.defaults();
        services.available = AppLanguages::available(translationsFolder(config_));
        services.launchLanguage = launchLanguage_;
        services.tray = tray_;
        services.notifier = &Notifier::shared();
        services.openTipPage = [this] { openTipPage(); };
        services.versionText = appVersionText(config_);
        settings_ = new SettingsView(model_, std::move(services), DailyCheck::shared(),
                                     &SelfUpdater::shared());
        settings_->setAttribute(Qt::WA_DeleteOnClose);
    }
    return settings_;
}

void VelmarKestleApp::openWindow(const QString& identifier, bool activate) {
    QWidget* window = nullptr;
    if (identifier == QLatin1String(SettingsView::identifier)) {
        window = ensureSettings();
    } else if (identifier == QLatin1String(MainWindow::identifier) && model_.termsAccepted()) {
        if (AppFlags::closesWindowAtLogin) {
            // A login launch stays quiet: the window the desktop restores closes at once.
            AppFlags::closesWindowAtLogin = false;
            return;
        }
        window = ensureMain();
    } else {
        // Nothing shows the apps before the terms are accepted: the terms come instead.
        window = ensureTerms();
    }
    window->show();
    if (activate) {
        window->raise();
        window->activateWindow();
    }
}

void VelmarKestleApp::secondLaunch(const SingleInstance::Message& message) {
    qCInfo(lcApp, "Second launch: %s", qPrintable(message.arguments.join(u' ')));
    if (!message.activationToken.isEmpty()) {
        // Wayland gives the focus only to a window that shows the launcher's token.
        qputenv("XDG_ACTIVATION_TOKEN", message.activationToken);
    }
    const bool visible = isVisible(QStringLiteral("main")) || isVisible(QStringLiteral("terms"));
    if (!delegate_->reopen(visible)) {
        openWindow(model_.termsAccepted() && isVisible(QStringLiteral("main"))
                       ? QStringLiteral("main")
                       : QStringLiteral("terms"),
                   true);
    }
}

void VelmarKestleApp::quit(bool userQuit) {
    if (tipPrompt_ != nullptr) {
        // Asked again while the panel asks (a signal, the session ending, a second Quit):
        // the panel goes and the quit it interrupted carries on.
        tipPrompt_->reject();
        return;
    }
    AppFlags::isUserQuit = userQuit;
    qCInfo(lcApp, "Quit%s", userQuit ? " chosen" : "");
    showTipPromptIfNeeded();
    // The windows go at once; what runs is stopped before the event loop ends.
    model_.stopAll();
    QCoreApplication::quit();
    AppFlags::isUserQuit = false;
}

void VelmarKestleApp::showTipPromptIfNeeded() {
    if (sessionEnding_ || tipPrompt_ != nullptr ||
        !TipPromptView::isNeeded(AppFlags::isUserQuit, model_.termsAccepted(),
                                 model_.defaults().get(), appVersionText())) {
        return;
    }
    TipPromptView prompt;
    tipPrompt_ = &prompt;
    prompt.show();
    prompt.raise();
    prompt.activateWindow();
    const int code = prompt.exec();
    prompt.hide();
    tipPrompt_ = nullptr;
    // "Not Now" keeps nothing: the next quit asks again.
    if (code == QDialog::Accepted) {
        openTipPage();
    }
}

TipPromptView* VelmarKestleApp::tipPrompt() const {
    return tipPrompt_;
}

void VelmarKestleApp::sessionEnding() {
    sessionEnding_ = true;
    if (tipPrompt_ != nullptr) {
        tipPrompt_->reject();
    }
}

bool VelmarKestleApp::finish(SingleInstance* instance) {
    model_.stopAll();
    QElapsedTimer timer;
    timer.start();
    QThreadPool& pool = *QThreadPool::globalInstance();
    // The stopped work removes what it made and reports back through the event loop.
    while (pool.activeThreadCount() > 0 && timer.elapsed() < quitGraceMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        pool.waitForDone(20);
    }
    const bool idle = pool.activeThreadCount() == 0;
    if (!idle) {
        qCWarning(lcApp, "Quit: %d tasks still running, not waiting for them",
                  pool.activeThreadCount());
    }
    if (instance != nullptr) {
        instance->release(); // the relaunched copy must become the first one
    }
    delegate_->willTerminate(QString::fromStdString(config_.bundle.string()),
                             QCoreApplication::applicationPid());
    return idle;
}

void VelmarKestleApp::openSitePage(const QString& italianPath, const QString& englishPath) const {
    const QString folder =
        QString::fromStdString((config_.bundle / "Contents/Resources/translations").string());
    const bool italian =
        AppLanguages::resolved(AppLanguages::available(folder), language_) == QStringLiteral("it");
    QUrl site(QString::fromStdString(config_.site));
    QString path = site.path();
    if (path.endsWith(u'/')) {
        path.chop(1);
    }
    site.setPath(path + (italian ? italianPath : englishPath));
    Workspace::openUrl(site);
}

void VelmarKestleApp::openTipPage() const {
    if (const auto& defaults = model_.defaults()) {
        defaults->set("tipPageOpenedVersion", appVersionText().toStdString());
    }
    if (!config_.tipPage.empty()) {
        Workspace::openUrl(QUrl(QString::fromStdString(config_.tipPage)));
    }
}

void VelmarKestleApp::showAbout() {
    auto* dialog = new QDialog(main_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    //: The about window's title
    dialog->setWindowTitle(tr("About VelmarKestle"));
    auto* column = new QVBoxLayout(dialog);
    auto* icon = new QLabel(dialog);
    icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignHCenter);
    icon->setAccessibleName(QStringLiteral("VelmarKestle"));
    auto* name = new QLabel(appDisplayName(config_.bundle), dialog);
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    name->setFont(bold);
    name->setAlignment(Qt::AlignHCenter);
    auto* version = new QLabel(appVersionText(config_), dialog);
    version->setAlignment(Qt::AlignHCenter);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* credits = new QTextBrowser(dialog);
    credits->setPlainText(aboutCredits(config_.bundle));
    //: Accessible name of the about window's open source notices
    credits->setAccessibleName(tr("Credits"));
    credits->setMinimumSize(420, 240);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    for (QWidget* widget :
         {static_cast<QWidget*>(icon), static_cast<QWidget*>(name), static_cast<QWidget*>(version),
          static_cast<QWidget*>(credits), static_cast<QWidget*>(buttons)}) {
        column->addWidget(widget);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace kestle::app
