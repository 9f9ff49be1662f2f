#include "StandardUpdaterController.hpp"

#include <QCoreApplication>
#include <QLoggingCategory>

#include "UpdaterError.hpp"

namespace kestle::framework {

namespace {
Q_LOGGING_CATEGORY(lcFramework, "kestle.update-framework", QtInfoMsg)
}

StandardUpdaterController::StandardUpdaterController(bool startingUpdater,
                                                     UpdaterDelegate* updaterDelegate,
                                                     StandardUserDriverDelegate* userDriverDelegate,
                                                     QObject* parent)
    : StandardUpdaterController(startingUpdater, updaterDelegate, userDriverDelegate, mainBundle(),
                                Updater::Options{}, parent) {}

StandardUpdaterController::StandardUpdaterController(bool startingUpdater,
                                                     UpdaterDelegate* updaterDelegate,
                                                     StandardUserDriverDelegate* userDriverDelegate,
                                                     std::optional<std::filesystem::path> bundle,
                                                     Updater::Options options, QObject* parent)
    : QObject(parent),
      driver_(QCoreApplication::applicationName().toStdString(), userDriverDelegate, this) {
    std::optional<Bundle> opened = bundle ? Bundle::open(*bundle) : std::nullopt;
    if (opened) {
        updater_ = std::make_unique<Updater>(
            *opened, *opened, &driver_,
            updaterDelegate != nullptr ? updaterDelegate : &fallbackDelegate_, std::move(options));
    } else {
        qCWarning(lcFramework, "No application bundle to update");
    }
    if (startingUpdater) {
        startUpdater();
    }
}

StandardUpdaterController::~StandardUpdaterController() = default;

bool StandardUpdaterController::startUpdater() {
    if (!updater_) {
        return false;
    }
    if (auto started = updater_->startUpdater(); !started) {
        qCWarning(lcFramework, "The updater didn't start: %s", errorText(started.error()).c_str());
        return false;
    }
    started_ = true;
    return true;
}

void StandardUpdaterController::checkForUpdates() {
    if (updater_ && started_) {
        updater_->checkForUpdates();
    }
}

std::optional<std::filesystem::path> StandardUpdaterController::mainBundle() {
    std::filesystem::path folder = QCoreApplication::applicationDirPath().toStdString();
    if (folder.filename() != "MacOS" || folder.parent_path().filename() != "Contents") {
        return std::nullopt;
    }
    std::filesystem::path bundle = folder.parent_path().parent_path();
    if (bundle.extension() != ".app") {
        return std::nullopt;
    }
    return bundle;
}

} // namespace kestle::framework
