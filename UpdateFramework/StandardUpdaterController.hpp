#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include <QObject>

#include "StandardUserDriver.hpp"
#include "Updater.hpp"

namespace kestle::framework {

// Keeps the running application itself up to date with the standard user driver's
// windows. The application's bundle is the folder two levels above its executable
// (Name.app/Contents/MacOS/Name) unless one is given.
class StandardUpdaterController : public QObject {
    Q_OBJECT

public:
    StandardUpdaterController(bool startingUpdater, UpdaterDelegate* updaterDelegate,
                              StandardUserDriverDelegate* userDriverDelegate,
                              QObject* parent = nullptr);
    StandardUpdaterController(bool startingUpdater, UpdaterDelegate* updaterDelegate,
                              StandardUserDriverDelegate* userDriverDelegate,
                              std::optional<std::filesystem::path> bundle, Updater::Options options,
                              QObject* parent = nullptr);
    ~StandardUpdaterController() override;

    // Nothing when the application does not run from a readable bundle.
    Updater* updater() const { return updater_.get(); }
    StandardUserDriver& userDriver() { return driver_; }

    // False with a warning in the log when the updater cannot start.
    bool startUpdater();
    // The menu action: a user-initiated check with the driver's windows.
    void checkForUpdates();

    // The bundle the running executable lies in, if it lies in one.
    static std::optional<std::filesystem::path> mainBundle();

private:
    UpdaterDelegate fallbackDelegate_;
    StandardUserDriver driver_;
    std::unique_ptr<Updater> updater_;
    bool started_ = false;
};

} // namespace kestle::framework
