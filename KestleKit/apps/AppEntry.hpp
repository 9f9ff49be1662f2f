#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "apps/InstalledApp.hpp"
#include "apps/SearchText.hpp"
#include "catalog/Catalog.hpp"
#include "feeds/FeedItem.hpp"

namespace kestle {

// One catalog app joined with what is installed of it and the newest release its
// feed offers for this machine. What every view, the queue and the notifier use.
struct AppEntry {
    enum class Status { notInstalled, installed, updateAvailable, coming };

    CatalogApp app;
    std::optional<InstalledApp> installed;
    std::optional<FeedItem> latest;
    bool feedFailed = false;
    // The releases offered before latest, newest first, as far as the check kept them.
    std::vector<FeedItem> earlier = {};

    const std::string& id() const { return app.id; }
    Status status() const;
    // Installed and the feed's build is not newer. False while the latest release is
    // unknown, so a view can tell "up to date" from "can't tell".
    bool isUpToDate() const;
    // Installed, and the feed offers a newer build.
    bool hasUpdate() const;
    // What an update brings, newest first: latest, then the earlier releases newer
    // than the installed build. Empty without an update.
    std::vector<const FeedItem*> newerReleases() const;
    // The search test: the name or the tagline in that language contains the query
    // (trimmed of spaces and tabs), ignoring case and diacritics.
    bool matches(std::string_view query, std::string_view language) const;
    // The same with a query prepared once for a whole list (query trimmed first).
    bool matches(const SearchQuery& query, std::string_view language) const;

    // The entries in catalog order. installed is keyed by bundle identifier, latest,
    // earlier and failedFeeds by app id. Hidden apps are left out unless installed.
    static std::vector<AppEntry>
    entries(const Catalog& catalog, const std::map<std::string, InstalledApp>& installed,
            const std::map<std::string, FeedItem>& latest,
            const std::map<std::string, std::vector<FeedItem>>& earlier,
            const std::set<std::string>& failedFeeds);

    friend bool operator==(const AppEntry&, const AppEntry&) = default;
};

} // namespace kestle
