#include "check/Checker.hpp"

#include <variant>
#include <vector>

#include "catalog/SignedCatalog.hpp"
#include "feeds/Feed.hpp"

namespace kestle {

namespace {

// The bytes of text an item holds, the part a hostile feed can make large.
size_t textSize(const FeedItem& item) {
    size_t size = item.build.size() + item.version.size() + item.minimumSystem.value_or("").size() +
                  item.channel.value_or("").size() + item.edSignature.value_or("").size() +
                  (item.download ? item.download->str().size() : 0);
    for (const std::string& hardware : item.hardware) {
        size += hardware.size();
    }
    for (const auto& [language, text] : item.notes) {
        size += language.size() + text.size();
    }
    return size;
}

std::vector<FeedItem> keptEarlier(const std::vector<const FeedItem*>& earlier) {
    std::vector<FeedItem> kept;
    size_t held = 0;
    for (const FeedItem* item : earlier) {
        if (kept.size() == Checker::maxEarlier) {
            break;
        }
        FeedItem copy = *item;
        if (kept.size() >= Checker::notedEarlier) {
            copy.notes.clear();
        }
        if (held + textSize(copy) > Checker::earlierBudget) {
            copy.notes.clear();
            if (held + textSize(copy) > Checker::earlierBudget) {
                break;
            }
        }
        held += textSize(copy);
        kept.push_back(std::move(copy));
    }
    return kept;
}

} // namespace

struct Checker::FeedOutcome {
    std::string id;
    std::variant<std::vector<FeedItem>, CheckFailure> result;
};

Checker::Checker(std::shared_ptr<const KestleSource> source, UpdateSignature key,
                 std::optional<CheckCache> cache, std::string system, std::string architecture)
    : source_(std::move(source)), key_(key), cache_(std::move(cache)), system_(std::move(system)),
      architecture_(std::move(architecture)) {}

Checker::FeedOutcome Checker::readFeed(const std::string& id,
                                       std::expected<std::string, CheckFailure> bytes) const {
    if (!bytes) {
        return {id, bytes.error()};
    }
    try {
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
        // Bytes too big to hold are as unusable as bad bytes.
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

    // Every released app's feed at once; the source decides how many run together.
    std::vector<const CatalogApp*> released;
    std::vector<Url> urls;
    for (const auto& app : result.catalog->apps) {
        if (app.status == CatalogApp::Status::released && app.feed) {
            released.push_back(&app);
            urls.push_back(*app.feed);
        }
    }
    std::vector<std::expected<std::string, CheckFailure>> answers;
    try {
        answers = source_->feeds(urls, stop);
    } catch (...) {
        // A source that throws has given nothing usable.
    }
    answers.resize(urls.size(), std::unexpected(CheckFailure::invalid()));
    std::vector<FeedOutcome> finished;
    finished.reserve(released.size());
    for (size_t i = 0; i < released.size(); ++i) {
        finished.push_back(readFeed(released[i]->id, std::move(answers[i])));
    }

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
        if (auto earlier = keptEarlier(Feed::earlier(*items, system_, architecture_));
            !earlier.empty()) {
            result.earlier[outcome.id] = std::move(earlier);
        } else {
            // A later result for the same id replaces the earlier one whole.
            result.earlier.erase(outcome.id);
        }
    }
    return result;
}

} // namespace kestle
