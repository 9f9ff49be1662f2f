#include "check/Checker.hpp"

#include <mutex>
#include <thread>
#include <variant>
#include <vector>

#include "catalog/SignedCatalog.hpp"
#include "feeds/Feed.hpp"

namespace kestle {

struct Checker::FeedOutcome {
    std::string id;
    std::variant<std::vector<FeedItem>, CheckFailure> result;
};

Checker::Checker(std::shared_ptr<const KestleSource> source, UpdateSignature key,
                 std::optional<CheckCache> cache, std::string system, std::string architecture)
    : source_(std::move(source)), key_(key), cache_(std::move(cache)), system_(std::move(system)),
      architecture_(std::move(architecture)) {}

Checker::FeedOutcome Checker::fetchFeed(const std::string& id, const Url& url,
                                        std::stop_token stop) const {
    try {
        auto bytes = source_->feed(url, std::move(stop));
        if (!bytes) {
            return {id, bytes.error()};
        }
        auto items = Feed::items(*bytes);
        if (!items) {
            // Bad bytes never replace a good cached copy.
            return {id, CheckFailure::invalid()};
        }
        if (cache_) {
            cache_->writeFeed(id, *bytes);
        }
        return {id, std::move(*items)};
    } catch (...) {
        // A source that throws, or bytes too big to hold, are as unusable as bad bytes.
        return {id, CheckFailure::invalid()};
    }
}

CheckResult Checker::check(std::stop_token stop) const {
    CheckResult result;

    std::optional<CheckFailure> failure;
    std::expected<std::string, CheckFailure> fetched = std::unexpected(CheckFailure::invalid());
    try {
        fetched = source_->catalog(stop);
    } catch (...) {
        fetched = std::unexpected(CheckFailure::invalid());
    }
    if (fetched) {
        if (auto catalog = SignedCatalog::open(*fetched, key_)) {
            if (cache_) {
                cache_->writeCatalog(*fetched);
            }
            result.catalog = std::move(*catalog);
        } else {
            failure = CheckFailure::invalid();
        }
    } else {
        failure = fetched.error();
    }
    if (failure) {
        result.catalogFailure = failure;
        // The cached copy passes the same checks: no catalog rather than an unverified one.
        if (auto cached = cache_ ? cache_->readCatalog() : std::nullopt) {
            if (auto catalog = SignedCatalog::open(*cached, key_)) {
                result.catalog = std::move(*catalog);
            }
        }
        if (!result.catalog) {
            return result;
        }
    }

    // Every released app's feed at once, each on its own thread and connection.
    std::mutex finishedLock;
    std::vector<FeedOutcome> finished; // in the order the fetches end
    auto run = [&finishedLock, &finished, this](const std::string& id, const Url& url,
                                                std::stop_token token) {
        FeedOutcome outcome = fetchFeed(id, url, std::move(token));
        std::lock_guard lock(finishedLock);
        try {
            finished.push_back(std::move(outcome));
        } catch (...) {
            // Out of memory: the feed is simply missing from the result.
        }
    };
    {
        std::vector<std::jthread> workers;
        for (const auto& app : result.catalog->apps) {
            if (app.status != CatalogApp::Status::released || !app.feed) {
                continue;
            }
            try {
                workers.emplace_back(run, std::cref(app.id), std::cref(*app.feed), stop);
            } catch (...) {
                run(app.id, *app.feed, stop); // out of threads: fetch this one here
            }
        }
    } // joins

    for (auto& outcome : finished) {
        std::vector<FeedItem>* items = std::get_if<std::vector<FeedItem>>(&outcome.result);
        std::optional<std::vector<FeedItem>> cachedItems;
        if (auto* failed = std::get_if<CheckFailure>(&outcome.result)) {
            result.failedFeeds[outcome.id] = *failed;
            if (auto cached = cache_ ? cache_->readFeed(outcome.id) : std::nullopt) {
                if (auto parsed = Feed::items(*cached)) {
                    cachedItems = std::move(*parsed);
                    items = &*cachedItems;
                }
            }
        }
        if (!items) {
            continue;
        }
        if (auto item = Feed::latest(*items, system_, architecture_)) {
            result.latest[outcome.id] = std::move(*item);
        }
    }
    return result;
}

} // namespace kestle
