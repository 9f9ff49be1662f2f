#include "apps/AppEntry.hpp"

#include <gtest/gtest.h>

#include "apps/AppFilter.hpp"
#include "apps/SearchText.hpp"

using namespace kestle;

namespace {

CatalogApp makeApp(const std::string& id,
                   CatalogApp::Status status = CatalogApp::Status::released) {
    CatalogApp app;
    app.id = id;
    app.bundleID = "com.velmar." + id;
    app.name = "App " + id;
    app.tagline = LocalizedText({{"en", "Tagline " + id}});
    app.summary = LocalizedText({{"en", "Summary " + id}});
    app.status = status;
    app.icon = id + ".png";
    app.minimumSystem = "14.0";
    return app;
}

InstalledApp installedBuild(const std::string& build) {
    return InstalledApp{Url::fromPath("/Applications/App.app"), "1.0", build};
}

FeedItem release(const std::string& build) {
    FeedItem item;
    item.build = build;
    item.version = build;
    item.download = Url::parse("https://velmar.example/app.dmg");
    return item;
}

using Status = AppEntry::Status;

struct Expectation {
    const char* fault;
    AppEntry entry;
    Status status;
    bool upToDate;
    std::array<bool, 4> included; // all, installed, updates, notInstalled
};

TEST(AppEntry, DerivesStatusAndFilterMembership) {
    const Expectation cases[] = {
        {"failed feed shown as up to date",
         {makeApp("a"), installedBuild("120"), std::nullopt, true},
         Status::installed,
         false,
         {true, true, false, false}},
        {"newer feed build not offered",
         {makeApp("a"), installedBuild("120"), release("121"), false},
         Status::updateAvailable,
         false,
         {true, true, true, false}},
        {"equal builds offered as update",
         {makeApp("a"), installedBuild("121"), release("121"), false},
         Status::installed,
         true,
         {true, true, false, false}},
        {"developer build offered a downgrade",
         {makeApp("a"), installedBuild("130"), release("121"), false},
         Status::installed,
         true,
         {true, true, false, false}},
        {"builds compared as text",
         {makeApp("a"), installedBuild("99"), release("100"), false},
         Status::updateAvailable,
         false,
         {true, true, true, false}},
        {"coming app not shown as coming",
         {makeApp("c", CatalogApp::Status::coming), std::nullopt, std::nullopt, false},
         Status::coming,
         false,
         {true, false, false, true}},
        {"installed coming app shown as coming",
         {makeApp("c", CatalogApp::Status::coming), installedBuild("5"), release("6"), false},
         Status::updateAvailable,
         false,
         {true, true, true, false}},
        {"release without install shown as update",
         {makeApp("n"), std::nullopt, release("6"), false},
         Status::notInstalled,
         false,
         {true, false, false, true}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.entry.status(), c.status) << c.fault;
        EXPECT_EQ(c.entry.isUpToDate(), c.upToDate) << c.fault;
        for (size_t i = 0; i < allAppFilters.size(); ++i) {
            EXPECT_EQ(includes(allAppFilters[i], c.entry), c.included[i])
                << c.fault << " (filter " << rawValue(allAppFilters[i]) << ")";
        }
    }
}

TEST(AppEntry, BuildsEntriesInCatalogOrderAndHidesHiddenApps) {
    Catalog catalog;
    catalog.apps = {makeApp("z"), makeApp("hidden"), makeApp("a", CatalogApp::Status::coming),
                    makeApp("shown")};
    catalog.apps[1].hidden = true;
    catalog.apps[3].hidden = true;
    std::map<std::string, InstalledApp> installed = {{"com.velmar.shown", installedBuild("1")},
                                                     {"com.velmar.z", installedBuild("3")}};
    std::map<std::string, FeedItem> latest = {{"z", release("4")},
                                              {"com.velmar.shown", release("9")}};
    auto entries = AppEntry::entries(catalog, installed, latest, {}, {"shown"});
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].id(), "z");
    EXPECT_EQ(entries[1].id(), "a");
    EXPECT_EQ(entries[2].id(), "shown");
    EXPECT_EQ(entries[0].latest->build, "4");
    EXPECT_FALSE(entries[0].feedFailed);
    // latest is keyed by app id, not bundle identifier.
    EXPECT_FALSE(entries[2].latest.has_value());
    EXPECT_TRUE(entries[2].feedFailed);
    EXPECT_EQ(entries[2].installed->build, "1");
}

TEST(AppEntry, NewerReleasesAreWhatAnUpdateBrings) {
    auto newer = [](std::optional<std::string> installed) {
        AppEntry entry;
        entry.app = makeApp("a");
        if (installed) {
            entry.installed = installedBuild(*installed);
        }
        entry.latest = release("14");
        entry.earlier = {release("13"), release("12"), release("11"), release("10")};
        std::vector<std::string> builds;
        for (const FeedItem* item : entry.newerReleases()) {
            builds.push_back(item->build);
        }
        return builds;
    };
    using Builds = std::vector<std::string>;
    EXPECT_EQ(newer("11"), (Builds{"14", "13", "12"}));
    EXPECT_EQ(newer("9"), (Builds{"14", "13", "12", "11", "10"}));
    EXPECT_EQ(newer("13.5"), (Builds{"14"}));
    EXPECT_EQ(newer("14"), Builds{}) << "up to date";
    EXPECT_EQ(newer("15"), Builds{}) << "installed ahead of the feed";
    EXPECT_EQ(newer(std::nullopt), Builds{}) << "not installed";
}

TEST(AppEntry, SearchesNameAndTaglineIgnoringCaseAndAccents) {
    CatalogApp app = makeApp("x");
    app.name = "Pixel Forge";
    app.tagline = LocalizedText({{"en", "Draw SPRITES fast"}, {"it", "Disegna più veloce"}});
    app.summary = LocalizedText({{"en", "Contains the word hidden"}});
    AppEntry entry{app, std::nullopt, std::nullopt, false};

    struct Case {
        const char* query;
        const char* language;
        bool matches;
    };
    const Case cases[] = {
        {"   ", "en", true},         {"", "en", true},
        {"forge", "en", true},       {" forge\t", "en", true},
        {"sprites", "en", true},     {"sprites", "it", false},
        {"piu", "it", true},         {"PIÙ", "it", true},
        {"piu", "fr", false},        {"hidden", "en", false},
        {"com.velmar", "en", false}, {"forge\n", "en", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(entry.matches(c.query, c.language), c.matches)
            << "query \"" << c.query << "\" in " << c.language;
    }
}

TEST(SearchText, FoldsCaseAndDiacritics) {
    EXPECT_TRUE(SearchText::contains("Café Crème", "cafe creme"));
    EXPECT_TRUE(SearchText::contains("cafe", "CAFÉ"));
    EXPECT_TRUE(SearchText::contains("Straße", "STRASSE"));
    EXPECT_TRUE(SearchText::contains("Ångström", "angstrom"));
    EXPECT_FALSE(SearchText::contains("Cafe", "cafés"));
    EXPECT_TRUE(SearchText::contains("bad \xff bytes", "bytes"));
    EXPECT_FALSE(SearchText::contains("", "a"));
    // Latin text folds through a lookup table, anything else through the full rules:
    // both must give the same folding.
    const std::string latin = "Ærøskøbing ĞÜŞ ǅ Ĳ ŉ ſ Ḁ";
    EXPECT_EQ(SearchText::fold(latin + " Ωμέγα"), SearchText::fold(latin) + " ωμεγα");
    EXPECT_TRUE(SearchText::contains("Ωμέγα Άλφα", "ΑΛΦΑ"));
}

TEST(AppFilter, RoundTripsRawValuesExactly) {
    for (auto filter : allAppFilters) {
        EXPECT_EQ(appFilter(rawValue(filter)), filter);
    }
    EXPECT_EQ(rawValue(AppFilter::notInstalled), "notInstalled");
    EXPECT_FALSE(appFilter("Installed").has_value());
    EXPECT_FALSE(appFilter("notinstalled").has_value());
    EXPECT_FALSE(appFilter("").has_value());
}

} // namespace
