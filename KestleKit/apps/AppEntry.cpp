#include "apps/AppEntry.hpp"

#include "feeds/Version.hpp"
#include "support/TextTrim.hpp"

namespace kestle {

bool AppEntry::hasUpdate() const {
    return installed && latest && Version::isNewer(latest->build, installed->build);
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
        out.push_back(AppEntry{
            app,
            isInstalled ? std::optional(found->second) : std::nullopt,
            release != latest.end() ? std::optional(release->second) : std::nullopt,
            failedFeeds.contains(app.id),
        });
    }
    return out;
}

} // namespace kestle
