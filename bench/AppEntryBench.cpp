// Building 5,000 entries, and the work of one keystroke in the search field:
// filter and search over all of them.
#include <cstdio>
#include <string>
#include <vector>

#include "RatioReporter.hpp"
#include "apps/AppEntry.hpp"
#include "apps/AppFilter.hpp"
#include "support/TextTrim.hpp"

namespace {

using namespace kestle;

struct Fixture {
    Catalog catalog;
    std::map<std::string, InstalledApp> installed;
    std::map<std::string, FeedItem> latest;
    std::set<std::string> failed;
    std::vector<AppEntry> entries;

    Fixture() {
        const char* words[] = {"Pixel",  "Forge", "Note",  "Tide",
                               "Ledger", "Atlas", "Quill", "Orbit"};
        for (int i = 0; i < 5000; ++i) {
            CatalogApp app;
            app.id = "app" + std::to_string(i);
            app.bundleID = "com.velmar." + app.id;
            app.name =
                std::string(words[i % 8]) + " " + words[(i / 8) % 8] + " " + std::to_string(i);
            app.tagline = LocalizedText({{"en", "Makes short work of everyday " +
                                                    std::string(words[(i + 3) % 8]) + " chores"},
                                         {"it", "Rende più facile il lavoro di ogni giorno"}});
            app.summary = LocalizedText({{"en", "A longer description"}});
            app.status = i % 10 == 0 ? CatalogApp::Status::coming : CatalogApp::Status::released;
            app.icon = app.id + ".png";
            app.minimumSystem = "14.0";
            app.hidden = i % 97 == 0;
            catalog.apps.push_back(app);
            if (i % 3 == 0) {
                installed.emplace(
                    app.bundleID,
                    InstalledApp{Url::fromPath("/Applications/" + app.id + ".app"), "1.0", "100"});
            }
            if (i % 2 == 0) {
                FeedItem item;
                item.build = std::to_string(99 + i % 3);
                latest.emplace(app.id, item);
            }
            if (i % 50 == 0) {
                failed.insert(app.id);
            }
        }
        entries = AppEntry::entries(catalog, installed, latest, {}, failed);
    }
};

const Fixture& fixture() {
    static const Fixture f;
    return f;
}

size_t visible(const std::vector<AppEntry>& entries, AppFilter filter, const std::string& query,
               const char* language) {
    size_t count = 0;
    SearchQuery prepared(trimmedWhitespace(query));
    for (const auto& entry : entries) {
        count += includes(filter, entry) && entry.matches(prepared, language);
    }
    return count;
}

void BM_BuildEntries(benchmark::State& state) {
    const auto& f = fixture();
    for (auto _ : state) {
        auto entries = AppEntry::entries(f.catalog, f.installed, f.latest, {}, f.failed);
        benchmark::DoNotOptimize(entries);
    }
}
BENCHMARK(BM_BuildEntries)->Unit(benchmark::kMicrosecond);

// One keystroke: the visible list for the current filter and the new query.
void BM_KeystrokeEnglish(benchmark::State& state) {
    const auto& f = fixture();
    const std::string queries[] = {"o", "or", "orb", "orbi", "orbit"};
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(visible(f.entries, AppFilter::all, queries[i++ % 5], "en"));
    }
}
BENCHMARK(BM_KeystrokeEnglish)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeItalianAccented(benchmark::State& state) {
    const auto& f = fixture();
    const std::string queries[] = {"p", "pi", "piu", "più f", "PIÙ FACILE"};
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(visible(f.entries, AppFilter::installed, queries[i++ % 5], "it"));
    }
}
BENCHMARK(BM_KeystrokeItalianAccented)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    kestle::bench::RatioReporter reporter;
    if (!kestle::bench::runBenchmarks(argc, argv, reporter)) {
        return 1;
    }
    std::printf("entries: %zu of 5000 apps\n", fixture().entries.size());
    for (const char* name : {"BM_KeystrokeEnglish", "BM_KeystrokeItalianAccented"}) {
        double ms = reporter.seconds(name) * 1e3;
        std::printf("%s: %.3f ms per keystroke over 5000 entries (target under 1 ms): %s\n", name,
                    ms, ms < 1.0 ? "met" : "MISSED");
    }
    std::printf("building the entries: %.3f ms (after each check or scan, not per keystroke)\n",
                reporter.seconds("BM_BuildEntries") * 1e3);
    return 0;
}
