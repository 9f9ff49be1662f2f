#pragma once

#include <string>

#include "support/Url.hpp"

namespace kestle {

// One application bundle found on disk.
struct InstalledApp {
    Url url;             // the .app folder, standardized
    std::string version; // CFBundleShortVersionString, else CFBundleVersion
    std::string build;   // CFBundleVersion: what versions are compared on

    friend bool operator==(const InstalledApp&, const InstalledApp&) = default;
};

} // namespace kestle
