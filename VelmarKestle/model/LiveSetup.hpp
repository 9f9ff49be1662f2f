#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "Updater.hpp"
#include "install/Installer.hpp"
#include "model/Configuration.hpp"
#include "model/Setup.hpp"
#include "support/PreferenceStore.hpp"

namespace kestle::app {

// The setup the running application uses: the real checker, scan, installer, update
// sessions and trash, configured from the application's Info.plist.
struct LiveSetup {
    struct Places {
        std::filesystem::path cache; // the checker's cache folder; empty: none
        std::string diskTool;        // empty: the disk-image tool built with the application
        std::filesystem::path work;  // empty: the system's temporary folder
    };

    // The user's cache folder for this application (XDG cache home + bundle identifier).
    static Places standardPlaces(const Configuration& config);
    // The preferences file: XDG config home/VelmarKestle/<bundle identifier>.plist.
    static std::filesystem::path preferencesFile(const Configuration& config);

    // The user's preferences file, opened; an unreadable one is kept aside with a warning.
    static std::shared_ptr<PreferenceStore> preferences(const Configuration& config);

    // The configuration of the running application: its own bundle, else the bundle the
    // build made (running a program straight from the build folder).
    static Configuration current();

    // Logs the configuration errors once (categories "check" and "install").
    static Setup make(const Configuration& config, std::shared_ptr<PreferenceStore> defaults,
                      const Places& places);

    // The installer for this configuration; nothing without an update key.
    static std::shared_ptr<const Installer> installer(const Configuration& config,
                                                      const Places& places);
    // Removes what installs and updates of earlier runs left when they were killed
    // (working and staging folders, images still attached). Disk work: off the main
    // thread.
    static void sweepLeftovers(const Configuration& config, const Places& places);

    // The kept copies of the installed apps, after removing, in folders, those whose app
    // went or changed since its update. Disk work: off the main thread.
    static std::map<std::string, PreviousCopy>
    previousCopies(const std::vector<Url>& folders,
                   const std::map<std::string, InstalledApp>& installed);

    // What the update sessions' updaters are given.
    static framework::Updater::Options updaterOptions(const Configuration& config,
                                                      const Places& places);
};

} // namespace kestle::app
