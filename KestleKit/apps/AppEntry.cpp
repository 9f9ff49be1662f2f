#include "apps/AppEntry.hpp"

#include "feeds/Version.hpp"
#include "support/TextTrim.hpp"

namespace kestle {

bool AppEntry::hasUpdate() const {
    return installed && latest && Version::isNewer(latest->build, installed->build);
}

std::vector<const FeedItem*> AppEntry::newerReleases() const {
    std::vector<const FeedItem*> newer;
    if (!hasUpdate()) {
        return newer;
    }
    newer.push_back(&*latest);
    // Newest first, so the newer ones are a leading run.
    for (const FeedItem& item : earlier) {
        if (!Version::isNewer(item.build, installed->build)) {
            break;
        }
        newer.push_back(&item);
    }
    return newer;
}

AppEntry::Status AppEntry::status() const {
    if (!installed) {
        return app.status == CatalogApp::Status::coming ? Status::coming : Status::notInstalled;
    }
    return hasUpdate() ? Status::updateAvailable : Status::installed;
}

bool AppEntry::isUpToDate() const {
    return installed && latest && !Version::isNewer(latest->build, installed->build);
}

bool AppEntry::matches(std::string_view query, std::string_view language) const {
    return matches(SearchQuery(trimmedWhitespace(query)), language);
}

bool AppEntry::matches(const SearchQuery& query, std::string_view language) const {
    if (query.isEmpty() || query.matches(app.name)) {
        return true;
    }
    // The tagline in that language, else English (the same fallback the views show).
    auto& values = app.tagline.values;
    auto it = values.find(language);
    if (it == values.end()) {
        it = values.find("en");
    }
    return it != values.end() && query.matches(it->second);
}

std::vector<AppEntry> AppEntry::entries(const Catalog& catalog,
                                        const std::map<std::string, InstalledApp>& installed,
                                        const std::map<std::string, FeedItem>& latest,
                                        const std::map<std::string, std::vector<FeedItem>>& earlier,
                                        const std::set<std::string>& failedFeeds) {
    std::vector<AppEntry> out;
    out.reserve(catalog.apps.size());
    for (const auto& app : catalog.apps) {
        auto found = installed.find(app.bundleID);
        bool isInstalled = found != installed.end();
        if (app.hidden && !isInstalled) {
            continue;
        }
        auto release = latest.find(app.id);
        auto before = earlier.find(app.id);
        out.push_back(AppEntry{
            app,
            isInstalled ? std::optional(found->second) : std::nullopt,
            release != latest.end() ? std::optional(release->second) : std::nullopt,
            failedFeeds.contains(app.id),
            before != earlier.end() ? before->second : std::vector<FeedItem>{},
        });
    }
    return out;
}

} // namespace kestle
