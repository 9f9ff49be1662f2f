#include <memory>

#include <QApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QProcess>
#include <QThreadPool>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

#include "Logging.hpp"
#include "model/KestleModel.hpp"
#include "model/LiveSetup.hpp"
#include "platform/AutostartEntry.hpp"
#include "platform/Workspace.hpp"
#include "services/AppFlags.hpp"
#include "services/AppLanguage.hpp"
#include "services/DailyCheck.hpp"
#include "services/LiveActions.hpp"
#include "services/Notifier.hpp"
#include "services/SelfUpdater.hpp"
#include "services/TrashFlow.hpp"
#include "services/WindowOpener.hpp"
#include "views/components/KestleGlyph.hpp"
#include "views/terms/TermsView.hpp"
#include "views/window/MainWindow.hpp"

using namespace kestle;
using namespace kestle::app;

namespace {

// The glyph as the windows' icon, at the sizes desktops ask for.
QIcon applicationIcon() {
    QIcon icon;
    for (int side : {16, 32, 64, 128, 256}) {
        KestleGlyph glyph;
        glyph.resize(side, side);
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        glyph.render(&pixmap, QPoint(), QRegion(), QWidget::DrawChildren);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QString translationsFolder(const Configuration& config) {
    return QString::fromStdString((config.bundle / "Contents/Resources/translations").string());
}

// The interface in the chosen language (else the system's) where a translation exists,
// with Qt's own texts (standard buttons) to match.
void installTranslations(QApplication& app, const Configuration& config, AppLanguage language) {
    const QLocale locale = language == AppLanguage::system
                               ? QLocale()
                               : QLocale(QString::fromUtf8(AppLanguages::rawValue(language)));
    auto* own = new QTranslator(&app);
    if (own->load(locale, QStringLiteral("VelmarKestle"), QStringLiteral("_"),
                  translationsFolder(config))) {
        QApplication::installTranslator(own);
    }
    auto* qt = new QTranslator(&app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(qt);
    }
}

// The maker's page in the interface language: the Italian path when the interface is
// Italian, the English one otherwise.
void openSitePage(const Configuration& config, AppLanguage language, const QString& italianPath,
                  const QString& englishPath) {
    const bool italian = AppLanguages::resolved(AppLanguages::available(translationsFolder(config)),
                                                language) == QStringLiteral("it");
    QUrl site(QString::fromStdString(config.site));
    QString path = site.path();
    if (path.endsWith(u'/')) {
        path.chop(1);
    }
    site.setPath(path + (italian ? italianPath : englishPath));
    Workspace::openUrl(site);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const kestle::app::LogEscaping escaping;
    QApplication::setApplicationName(QStringLiteral("VelmarKestle"));
    QApplication::setOrganizationName(QStringLiteral("Velmar"));
    QApplication::setDesktopFileName(QStringLiteral(KESTLE_BUNDLE_ID));
    QApplication::setWindowIcon(applicationIcon());

    // The one argument the application reads: the desktop's autostart entry passes it.
    AppFlags::launchedAtLogin = app.arguments().contains(QLatin1String(AutostartEntry::argument));
    AppFlags::closesWindowAtLogin = AppFlags::launchedAtLogin;
    QTimer::singleShot(3000, [] { AppFlags::closesWindowAtLogin = false; });

    const Configuration config = LiveSetup::current();
    KestleModel& model = KestleModel::shared();
    Notifier::shared().attach(model, false);
    const AppLanguage language = AppLanguages::current(model.defaults().get());
    installTranslations(app, config, language);
    qCInfo(lcApp, "VelmarKestle %s (%s) started", config.shortVersion.c_str(),
           config.build.c_str());

    // Off the main thread: a killed install may have left a large tree behind.
    QThreadPool::globalInstance()->start(
        [config] { LiveSetup::sweepLeftovers(config, LiveSetup::standardPlaces(config)); });

    QPointer<MainWindow> window;
    const AppActions actions =
        LiveActions::make(config, [&window] { return static_cast<QWidget*>(window.data()); });
    auto showMain = [&] {
        if (window == nullptr) {
            window = new MainWindow(model, actions);
            window->setAttribute(Qt::WA_DeleteOnClose, false);
        }
        window->show();
        window->raise();
        window->activateWindow();
        // Once the terms are accepted: the daily check reads the catalog on its own.
        static const bool started = [&model] {
            const auto& defaults = model.defaults();
            const bool checksDaily =
                defaults ? defaults->boolean("checksDaily").value_or(true) : true;
            DailyCheck::shared().setModel(&model);
            DailyCheck::shared().setActive(checksDaily);
            model.onQueueIdle = [] { SelfUpdater::shared().relaunchIfIdle(); };
            SelfUpdater::shared().start(checksDaily, [&model] { return model.queue().isBusy(); });
            return true;
        }();
        (void)started;
    };

    std::unique_ptr<TermsView> terms;
    if (model.termsAccepted()) {
        showMain();
    } else {
        terms = std::make_unique<TermsView>(
            model,
            [&config, language] {
                openSitePage(config, language, QStringLiteral("/velmarkestle/condizioni"),
                             QStringLiteral("/en/velmarkestle/terms"));
            },
            showMain, [] { QCoreApplication::quit(); });
        terms->show();
    }
    TrashFlow::shared().setUndoStack(
        [&window] { return window != nullptr ? window->undoStack() : nullptr; });
    WindowOpener::shared().setOpenWindow([&](const QString& identifier, bool) {
        if (identifier == QStringLiteral("main") && model.termsAccepted()) {
            showMain();
        } else if (terms != nullptr) {
            terms->show();
            terms->raise();
            terms->activateWindow();
        }
    });
    const int status = QApplication::exec();
    delete window.data();
    if (AppFlags::relaunchRequested) {
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
    }
    return status;
}
