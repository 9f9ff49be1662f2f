#pragma once

#include <expected>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "check/CheckCache.hpp"
#include "check/CheckResult.hpp"
#include "check/KestleSource.hpp"
#include "support/UpdateSignature.hpp"

namespace kestle {

// One check: the signed catalog, then every released app's feed in parallel, each
// falling back to its cached copy when the fresh one fails.
class Checker {
public:
    // What a result keeps of the releases before an app's latest, whatever the feed
    // holds: at most this many, newest first...
    static constexpr size_t maxEarlier = 100;
    // ...notes only on the newest of them, as no view shows more...
    static constexpr size_t notedEarlier = 9;
    // ...and about this many bytes of text in all; the older ones past it are dropped.
    static constexpr size_t earlierBudget = 2 << 20;

    Checker(std::shared_ptr<const KestleSource> source, UpdateSignature key,
            std::optional<CheckCache> cache, std::string system, std::string architecture);

    // Never fails: every problem ends up in catalogFailure or failedFeeds. Blocks
    // until all feeds are in; call it off the main thread. A stop request ends the
    // fetches still running at once: they count as offline.
    CheckResult check(std::stop_token stop = {}) const;

private:
    struct FeedOutcome;
    // The items of fetched bytes, cached when they read; the failure otherwise.
    FeedOutcome readFeed(const std::string& id,
                         std::expected<std::string, CheckFailure> bytes) const;

    std::shared_ptr<const KestleSource> source_;
    UpdateSignature key_;
    std::optional<CheckCache> cache_;
    std::string system_;
    std::string architecture_;
};

} // namespace kestle
