#pragma once

#include <cstdint>
#include <string>

#include "feeds/FeedItem.hpp"

namespace kestle::framework {

// One release of an appcast as the updater offers it.
struct AppcastItem {
    kestle::FeedItem item;

    const std::string& versionString() const { return item.build; }
    // The marketing version, else the build.
    const std::string& displayVersionString() const {
        return item.version.empty() ? item.build : item.version;
    }
    // The announced size of the download in bytes; 0 when unknown or invalid.
    uint64_t contentLength() const {
        return item.length && *item.length > 0 ? static_cast<uint64_t>(*item.length) : 0;
    }
    // A release that announces itself without anything to install.
    bool isInformationOnlyUpdate() const { return !item.download.has_value(); }

    friend bool operator==(const AppcastItem&, const AppcastItem&) = default;
};

// Where an update found stands, as the user driver is told.
struct UserUpdateState {
    enum class Stage { notDownloaded = 0, downloaded = 1, installing = 2 };
    Stage stage = Stage::notDownloaded;
    bool userInitiated = false;

    friend bool operator==(const UserUpdateState&, const UserUpdateState&) = default;
};

// The user driver's answer to an update found or ready to install.
enum class UserUpdateChoice { skip = 0, install = 1, dismiss = 2 };

// What started a cycle.
enum class UpdateCheck { updates = 0, updatesInBackground = 1, updateInformation = 2 };

} // namespace kestle::framework
