#include "model/LiveSetup.hpp"

#include <QGuiApplication>
#include <QStandardPaths>

#include "Logging.hpp"
#include "StandardUpdaterController.hpp"
#include "apps/InstalledApps.hpp"
#include "check/Checker.hpp"
#include "check/WebSource.hpp"
#include "install/Leftovers.hpp"
#include "install/PreviousCopy.hpp"
#include "model/KestleModel.hpp"
#include "platform/FreedesktopTrash.hpp"
#include "sessions/GoBackJob.hpp"
#include "sessions/InstallJob.hpp"
#include "sessions/SparkleSession.hpp"
#include "support/SystemInfo.hpp"

namespace kestle::app {

namespace fs = std::filesystem;

LiveSetup::Places LiveSetup::standardPlaces(const Configuration& config) {
    Places places;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty() && !config.bundleID.empty()) {
        places.cache = fs::path(cache.toStdString()) / config.bundleID;
    }
    return places;
}

fs::path LiveSetup::preferencesFile(const Configuration& config) {
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const std::string name = config.bundleID.empty() ? bundleIdentifier : config.bundleID;
    return fs::path(home.toStdString()) / "VelmarKestle" / (name + ".plist");
}

std::shared_ptr<PreferenceStore> LiveSetup::preferences(const Configuration& config) {
    auto store = std::make_shared<FilePreferences>(preferencesFile(config));
    if (const auto& aside = store->keptAside()) {
        qCWarning(lcApp, "Preferences could not be read; kept aside as %s, starting empty",
                  aside->c_str());
    }
    return store;
}

Configuration LiveSetup::current() {
    if (auto bundle = framework::StandardUpdaterController::mainBundle()) {
        return Configuration::read(*bundle);
    }
    return Configuration::read(KESTLE_BUILT_BUNDLE);
}

KestleModel& KestleModel::shared() {
    static KestleModel* model = [] {
        const Configuration config = LiveSetup::current();
        return new KestleModel(LiveSetup::make(config, LiveSetup::preferences(config),
                                               LiveSetup::standardPlaces(config)),
                               QCoreApplication::instance());
    }();
    return *model;
}

std::shared_ptr<const Installer> LiveSetup::installer(const Configuration& config,
                                                      const Places& places) {
    if (!config.updateKey) {
        return nullptr;
    }
    Installer installer{.key = *config.updateKey,
                        .requirement = Installer::velmarRequirement,
                        .fetch = Installer::systemFetch,
                        .resumed =
                            [](std::string_view bundleID, uint64_t offset) {
                                qCInfo(lcInstall, "%.*s: download resumed at %llu bytes",
                                       static_cast<int>(bundleID.size()), bundleID.data(),
                                       static_cast<unsigned long long>(offset));
                            },
                        .images = places.diskTool.empty()
                                      ? Installer::Images::system()
                                      : Installer::Images::system(places.diskTool),
                        .work = places.work.empty() ? Installer::defaultWork() : places.work,
                        .anchors = config.anchors};
    return std::make_shared<const Installer>(std::move(installer));
}

void LiveSetup::sweepLeftovers(const Configuration& config, const Places& places) {
    const auto removed = Leftovers::sweep(
        places.work.empty() ? Installer::defaultWork() : places.work, config.folders,
        places.diskTool.empty() ? DiskImage::defaultTool() : places.diskTool);
    for (const fs::path& folder : removed) {
        qCInfo(lcInstall, "Removed %s, left by an earlier run", folder.c_str());
    }
}

std::map<std::string, PreviousCopy>
LiveSetup::previousCopies(const std::vector<Url>& folders,
                          const std::map<std::string, InstalledApp>& installed) {
    for (const Url& folder : folders) {
        for (const fs::path& stale : PreviousCopy::sweep(folder.path())) {
            qCInfo(lcUpdate, "Removed %s: its app went or changed since", stale.c_str());
        }
    }
    std::map<std::string, PreviousCopy> found;
    for (const auto& [bundleID, app] : installed) {
        if (auto copy = PreviousCopy::find(fs::path(app.url.path()).parent_path(), bundleID)) {
            found.emplace(bundleID, std::move(*copy));
        }
    }
    return found;
}

framework::Updater::Options LiveSetup::updaterOptions(const Configuration& config,
                                                      const Places& places) {
    framework::Updater::Options options;
    options.anchors = config.anchors;
    options.diskTool = places.diskTool;
    options.work = places.work;
    return options;
}

Setup LiveSetup::make(const Configuration& config, std::shared_ptr<PreferenceStore> defaults,
                      const Places& places) {
    Setup setup;
    if (!config.catalogURL.empty()) {
        setup.catalogURL = Url::parse(config.catalogURL);
        setup.isSample = false;
    } else {
        const fs::path sample = config.sampleCatalog();
        if (fs::is_regular_file(sample)) {
            setup.catalogURL = Url::fromPath(sample.string());
        }
        setup.isSample = true;
    }

    std::optional<CheckCache> cache;
    if (!places.cache.empty()) {
        cache = CheckCache(places.cache);
    }
    if (!setup.catalogURL || !config.catalogKey) {
        qCWarning(lcCheck, "No catalog address or key in Info.plist");
    } else {
        WebSource::Options web;
        web.userAgent = "VelmarKestle/" + config.shortVersion;
        web.acceptLanguage = KestleModel::preferredLanguage();
        auto checker = std::make_shared<const Checker>(
            std::make_shared<const WebSource>(*setup.catalogURL, web), *config.catalogKey, cache,
            SystemInfo::version(), std::string(SystemInfo::architecture()));
        setup.checker = [checker](std::stop_token stop) { return checker->check(std::move(stop)); };
    }

    auto installer = LiveSetup::installer(config, places);
    if (!installer) {
        qCWarning(lcInstall, "No update key in Info.plist: installs are refused");
    }

    std::vector<Url> folders;
    for (const fs::path& folder : config.folders) {
        folders.push_back(Url::fromPath(folder.string()));
    }
    setup.scanInstalled = [folders](const std::set<std::string>& bundleIDs) {
        return InstalledApps(folders).scan(bundleIDs);
    };
    setup.findPrevious = [folders](const std::map<std::string, InstalledApp>& installed) {
        return previousCopies(folders, installed);
    };
    setup.scope = UpdateScope{folders};
    const std::optional<Url> installFolder = setup.scope.installFolder();
    const framework::Updater::Options updater = updaterOptions(config, places);
    setup.makeSession = [installer, installFolder,
                         updater](const AppEntry& entry, JobKind kind,
                                  UpdateHandlers handlers) -> std::unique_ptr<UpdateSession> {
        if (kind == JobKind::install) {
            // The folder may not exist yet on a fresh account.
            if (installFolder) {
                std::error_code ignored;
                fs::create_directories(installFolder->path(), ignored);
            }
            return std::make_unique<InstallJob>(entry, installFolder, installer,
                                                std::move(handlers));
        }
        if (kind == JobKind::goBack) {
            return std::make_unique<GoBackJob>(entry, updater.anchors, std::move(handlers));
        }
        return std::make_unique<SparkleSession>(entry, std::move(handlers),
                                                SparkleSession::updaters(updater));
    };
    setup.termsAccepted = KestleModel::hasAcceptedCurrentTerms(defaults.get());
    setup.notifiesUpdates = [defaults] {
        return defaults ? defaults->boolean("notifiesUpdates").value_or(true) : true;
    };
    setup.isFrontmost = [] {
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr &&
               QGuiApplication::applicationState() == Qt::ApplicationActive;
    };
    setup.defaults = defaults;
    setup.ledgerDefaults = defaults;
    setup.trash = AppTrash(setup.scope, moveToFreedesktopTrash);
    return setup;
}

} // namespace kestle::app
