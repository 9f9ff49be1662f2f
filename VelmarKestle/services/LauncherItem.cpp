#include "services/LauncherItem.hpp"

#include <QGuiApplication>

#include "Logging.hpp"
#include "model/Configuration.hpp"
#include "services/AppInfo.hpp"
#include "views/components/KestleGlyph.hpp"

namespace kestle::app {

LauncherEntry LauncherItem::entry(const Configuration& config) {
    // With the build: a self-update may keep the short version.
    const QString version = appVersionText(config);
    const QString name = QGuiApplication::desktopFileName().isEmpty()
                             ? QStringLiteral(KESTLE_BUNDLE_ID)
                             : QGuiApplication::desktopFileName();
    return LauncherEntry(
        LauncherEntry::forRunningApp(QString::fromStdString(config.bundle.string()), name, version),
        &KestleGlyph::image);
}

void LauncherItem::ensureInstalled(const Configuration& config) {
    const auto outcome = entry(config).ensureInstalled();
    if (outcome) {
        qCInfo(lcApp, "Launcher entry %s", LauncherEntry::outcomeName(*outcome));
    } else {
        qCWarning(lcApp, "Launcher entry not written: %s", qUtf8Printable(outcome.error()));
    }
}

} // namespace kestle::app
