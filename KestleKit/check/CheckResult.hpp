#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalog/Catalog.hpp"
#include "check/CheckFailure.hpp"
#include "feeds/FeedItem.hpp"

namespace kestle {

// What one check found: the catalog used (fresh, or cached when catalogFailure is
// set), and per app id the release to offer, the releases before it, and why a fresh
// feed failed.
struct CheckResult {
    std::optional<Catalog> catalog;
    std::optional<CheckFailure> catalogFailure;
    std::map<std::string, FeedItem> latest;
    std::map<std::string, CheckFailure> failedFeeds;
    // The newest of the releases offered before latest (Feed::earlier), within the
    // checker's bounds; no entry when there are none.
    std::map<std::string, std::vector<FeedItem>> earlier;

    // Everything came fresh.
    bool isComplete() const { return !catalogFailure && failedFeeds.empty(); }

    friend bool operator==(const CheckResult&, const CheckResult&) = default;
};

} // namespace kestle
