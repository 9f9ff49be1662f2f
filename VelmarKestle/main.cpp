#include <memory>

#include <QApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QThreadPool>
#include <QTranslator>
#include <QUrl>

#include "Logging.hpp"
#include "model/KestleModel.hpp"
#include "model/LiveSetup.hpp"
#include "platform/Workspace.hpp"
#include "services/LiveActions.hpp"
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

// The interface in the user's language where a translation exists, with Qt's own
// texts (standard buttons) to match.
void installTranslations(QApplication& app, const Configuration& config) {
    const QString folder =
        QString::fromStdString((config.bundle / "Contents/Resources/translations").string());
    auto* own = new QTranslator(&app);
    if (own->load(QLocale(), QStringLiteral("VelmarKestle"), QStringLiteral("_"), folder)) {
        QApplication::installTranslator(own);
    }
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(qt);
    }
}

// The maker's page in the interface language: the Italian path when Italian comes
// first, the English one otherwise.
void openSitePage(const Configuration& config, const QString& italianPath,
                  const QString& englishPath) {
    const bool italian = QLocale().uiLanguages().value(0).startsWith(QStringLiteral("it"));
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

    const Configuration config = LiveSetup::current();
    installTranslations(app, config);
    KestleModel& model = KestleModel::shared();
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
    };

    std::unique_ptr<TermsView> terms;
    if (model.termsAccepted()) {
        showMain();
    } else {
        terms = std::make_unique<TermsView>(
            model,
            [&config] {
                openSitePage(config, QStringLiteral("/velmarkestle/condizioni"),
                             QStringLiteral("/en/velmarkestle/terms"));
            },
            showMain, [] { QCoreApplication::quit(); });
        terms->show();
    }
    const int status = QApplication::exec();
    delete window.data();
    return status;
}
