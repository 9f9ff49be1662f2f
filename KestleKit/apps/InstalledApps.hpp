#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "apps/InstalledApp.hpp"
#include "support/Url.hpp"

namespace kestle {

// Finds which applications are present in an ordered list of folders by reading the
// Info.plist of each bundle at their top level. Never writes and never fails as a
// whole: unreadable folders and bundles are simply absent from the result.
class InstalledApps {
public:
    explicit InstalledApps(std::vector<Url> folders) : folders(std::move(folders)) {}

    // "/Applications", then the user's own Applications folder. The second is left out
    // only when the home folder cannot be found at all.
    static std::vector<Url> standardFolders();

    // The bundles whose identifier is in bundleIDs. A folder earlier in the list wins
    // over a later one whatever the versions; within one folder the newer build wins,
    // and on equal builds the bundle whose name sorts first.
    std::map<std::string, InstalledApp> scan(const std::set<std::string>& bundleIDs) const;

    // The identifier and versions of one bundle, or nothing when its Contents/Info.plist
    // is missing, unreadable, oversized, malformed or lacks a textual identifier or
    // CFBundleVersion.
    static std::optional<std::pair<std::string, InstalledApp>> read(const Url& bundle);

    friend bool operator==(const InstalledApps&, const InstalledApps&) = default;

    std::vector<Url> folders; // in order of precedence
};

} // namespace kestle
