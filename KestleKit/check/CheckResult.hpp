#pragma once

#include <map>
#include <optional>
#include <string>

#include "catalog/Catalog.hpp"
#include "check/CheckFailure.hpp"
#include "feeds/FeedItem.hpp"

namespace kestle {

// What one check found: the catalog used (fresh, or cached when catalogFailure is
// set), and per app id the release to offer and why a fresh feed failed.
struct CheckResult {
    std::optional<Catalog> catalog;
    std::optional<CheckFailure> catalogFailure;
    std::map<std::string, FeedItem> latest;
    std::map<std::string, CheckFailure> failedFeeds;

    // Everything came fresh.
    bool isComplete() const { return !catalogFailure && failedFeeds.empty(); }

    friend bool operator==(const CheckResult&, const CheckResult&) = default;
};

} // namespace kestle
