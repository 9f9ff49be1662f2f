#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QThreadPool>
#include <QTranslator>

#include "Logging.hpp"
#include "model/KestleModel.hpp"
#include "model/LiveSetup.hpp"
#include "platform/AutostartEntry.hpp"
#include "services/AppFlags.hpp"
#include "services/AppLanguage.hpp"
#include "shell/QuitSignals.hpp"
#include "shell/SingleInstance.hpp"
#include "shell/VelmarKestleApp.hpp"
#include "views/components/KestleGlyph.hpp"

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
    // English carries the singular forms of counted texts: it stands in for a language the
    // bundle lacks.
    if (own->load(locale, QStringLiteral("VelmarKestle"), QStringLiteral("_"),
                  translationsFolder(config)) ||
        own->load(QStringLiteral("VelmarKestle_en"), translationsFolder(config))) {
        QApplication::installTranslator(own);
    }
    auto* qt = new QTranslator(&app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(qt);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    // Before QApplication: Qt unsets DESKTOP_STARTUP_ID when it starts.
    const QByteArray launchToken = SingleInstance::launchToken();
    QApplication app(argc, argv);
    const kestle::app::LogEscaping escaping;
    QApplication::setApplicationName(QStringLiteral("VelmarKestle"));
    QApplication::setOrganizationName(QStringLiteral("Velmar"));
    QApplication::setDesktopFileName(QStringLiteral(KESTLE_BUNDLE_ID));

    // One copy per user: a second launch hands over and leaves, so two copies never
    // write the same preferences.
    SingleInstance instance(SingleInstance::defaultFolder(), QStringLiteral(KESTLE_BUNDLE_ID));
    if (instance.elect() == SingleInstance::Role::second) {
        const bool handed = instance.send({app.arguments().mid(1), launchToken});
        qCInfo(lcApp, "Already running: %s", handed ? "handed over" : "no answer");
        return handed ? 0 : 1;
    }
    QApplication::setWindowIcon(applicationIcon());

    // The one argument the application reads: the desktop's autostart entry passes it.
    AppFlags::launchedAtLogin = app.arguments().contains(QLatin1String(AutostartEntry::argument));
    AppFlags::closesWindowAtLogin = AppFlags::launchedAtLogin;

    const Configuration config = LiveSetup::current();
    KestleModel& model = KestleModel::shared();
    const AppLanguage language = AppLanguages::current(model.defaults().get());
    installTranslations(app, config, language);
    qCInfo(lcApp, "VelmarKestle %s (%s) started", config.shortVersion.c_str(),
           config.build.c_str());

    // Off the main thread: a killed install may have left a large tree behind.
    QThreadPool::globalInstance()->start(
        [config] { LiveSetup::sweepLeftovers(config, LiveSetup::standardPlaces(config)); });

    auto shell = std::make_unique<VelmarKestleApp>(config, model, language);
    QObject::connect(&instance, &SingleInstance::messageReceived, shell.get(),
                     &VelmarKestleApp::secondLaunch);
    // The session ending quits in order, not in the middle of a write.
    const QuitSignals quitSignals([&shell](int) { shell->quit(false); });
    shell->launch();
    const int status = QApplication::exec();
    if (!shell->finish(&instance)) {
        // Stopped work still running is not waited for: what it leaves behind is marked
        // as ours and removed at the next launch.
        std::fflush(nullptr);
        std::_Exit(status);
    }
    shell.reset();
    return status;
}
