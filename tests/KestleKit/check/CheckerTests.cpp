#include "check/Checker.hpp"

#include <chrono>
#include <future>
#include <stop_token>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "apps/AppEntry.hpp"
#include "check/WebSource.hpp"
#include "helpers/FakeSource.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/TempFolder.hpp"
#include "helpers/TestAppcast.hpp"
#include "helpers/TestSigning.hpp"

using namespace kestle;
using kestle::test::AppcastItem;
using kestle::test::FakeSource;
using kestle::test::LoopbackServer;
using kestle::test::TempFolder;
using kestle::test::TestSigning;
using Json = nlohmann::json;

namespace {

std::vector<std::string> builds(const std::vector<FeedItem>& items) {
    std::vector<std::string> out;
    for (const FeedItem& item : items) {
        out.push_back(item.build);
    }
    return out;
}

std::string feedURL(const std::string& id) {
    return "https://velmar.example/" + id + ".xml";
}

Json app(const std::string& id, const std::string& status = "released") {
    return {{"id", id},
            {"bundleID", "com.velmar." + id},
            {"name", id},
            {"tagline", {{"en", "t"}}},
            {"description", {{"en", "d"}}},
            {"status", status},
            {"feed", feedURL(id)},
            {"icon", id + ".png"},
            {"minimumSystem", "14.0"}};
}

std::string signedCatalog(const Json& apps, int schema = 1) {
    return TestSigning::shared().envelope(Json{{"schema", schema}, {"apps", apps}}.dump());
}

std::string appcast(const std::string& build, const std::string& minimumSystem = "") {
    std::string min = minimumSystem.empty() ? ""
                                            : "<sparkle:minimumSystemVersion>" + minimumSystem +
                                                  "</sparkle:minimumSystemVersion>";
    return R"(<?xml version="1.0"?><rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><item>)"
           "<sparkle:version>" +
           build + "</sparkle:version>" + min +
           R"(<enclosure url="https://velmar.example/a.dmg" length="10"/></item></channel></rss>)";
}

class CheckerTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeSource> source = std::make_shared<FakeSource>();
    TempFolder folder;
    CheckCache cache{folder / "cache"};

    CheckResult check(bool withCache = true) {
        Checker checker(source, TestSigning::shared().key(),
                        withCache ? std::optional(cache) : std::nullopt, "15.3.1", "arm64");
        return checker.check();
    }
    void primeCache(const Json& apps) {
        source->catalogAnswer = signedCatalog(apps);
        for (const auto& a : apps) {
            source->feeds[feedURL(a["id"])] = appcast("100");
        }
        ASSERT_TRUE(check().isComplete());
        source->feeds.clear();
    }
};

TEST_F(CheckerTest, FreshCheckFillsTheCache) {
    source->catalogAnswer = signedCatalog(Json::array({app("a"), app("b")}));
    source->feeds[feedURL("a")] = appcast("10");
    source->feeds[feedURL("b")] = appcast("20");
    auto result = check();
    ASSERT_TRUE(result.catalog.has_value());
    EXPECT_TRUE(result.isComplete());
    EXPECT_EQ(result.latest.at("a").build, "10");
    EXPECT_EQ(result.latest.at("b").build, "20");
    EXPECT_EQ(TempFolder::readText(folder / "cache/catalog.json"), *source->catalogAnswer);
    EXPECT_EQ(TempFolder::readText(folder / "cache/feed-b.xml"), appcast("20"));
}

TEST_F(CheckerTest, FallsBackToTheCachedCatalog) {
    primeCache(Json::array({app("a")}));
    const std::string good = TempFolder::readText(folder / "cache/catalog.json");

    struct Case {
        const char* fault;
        FakeSource::Answer answer;
        CheckFailure expected;
    };
    const Case cases[] = {
        {"server error not reported", std::unexpected(CheckFailure::server(404)),
         CheckFailure::server(404)},
        {"offline not reported", std::unexpected(CheckFailure::offline()), CheckFailure::offline()},
        {"bad signature accepted",
         SignedCatalog::envelope(R"({"schema":1,"apps":[]})", TestSigning::shared().sign("x")),
         CheckFailure::invalid()},
        {"newer schema accepted", signedCatalog(Json::array(), 2), CheckFailure::invalid()},
        {"garbage accepted", std::string("<html>"), CheckFailure::invalid()},
        {"catalog nested past the limit accepted",
         TestSigning::shared().envelope(R"({"schema":1,"apps":[],"x":)" + std::string(64, '[') +
                                        std::string(64, ']') + "}"),
         CheckFailure::invalid()},
    };
    for (const auto& c : cases) {
        source->catalogAnswer = c.answer;
        source->feeds[feedURL("a")] = appcast("101");
        auto result = check();
        ASSERT_TRUE(result.catalog.has_value()) << c.fault;
        EXPECT_EQ(result.catalog->apps.size(), 1u) << c.fault;
        EXPECT_EQ(result.catalogFailure, c.expected) << c.fault;
        EXPECT_EQ(result.latest.at("a").build, "101") << c.fault << ": feeds not checked";
        EXPECT_EQ(TempFolder::readText(folder / "cache/catalog.json"), good)
            << c.fault << ": the cached catalog was replaced";
    }
}

TEST_F(CheckerTest, NoUsableCatalogMeansNoFeedRequests) {
    source->catalogAnswer = std::unexpected(CheckFailure::offline());
    auto result = check();
    EXPECT_FALSE(result.catalog.has_value());
    EXPECT_EQ(result.catalogFailure, CheckFailure::offline());
    EXPECT_TRUE(result.latest.empty());
    EXPECT_TRUE(result.failedFeeds.empty());
    EXPECT_EQ(source->totalFeedRequests(), 0);

    // A tampered cached catalog is not used either.
    TempFolder::writeText(folder / "cache/catalog.json",
                          SignedCatalog::envelope(R"({"schema":1,"apps":[]})", "AAAA"));
    EXPECT_FALSE(check().catalog.has_value());
    TempFolder::writeText(folder / "cache/catalog.json",
                          signedCatalog(Json::array()).substr(0, 30));
    EXPECT_FALSE(check().catalog.has_value());
    TempFolder::writeText(folder / "cache/catalog.json",
                          TestSigning::shared().envelope(R"({"schema":1,"apps":[],"x":)" +
                                                         std::string(64, '[') +
                                                         std::string(64, ']') + "}"));
    EXPECT_FALSE(check().catalog.has_value()) << "cached catalog nested past the limit used";
}

TEST_F(CheckerTest, FeedFailuresFallBackToCachedFeeds) {
    primeCache(Json::array({app("down"), app("junk"), app("gone")}));
    source->catalogAnswer = signedCatalog(Json::array({app("down"), app("junk"), app("gone")}));
    source->feeds[feedURL("down")] = std::unexpected(CheckFailure::server(500));
    source->feeds[feedURL("junk")] = std::string("not xml at all");
    source->feeds[feedURL("gone")] = std::string(""); // 200 with an empty body
    std::filesystem::remove(folder / "cache/feed-gone.xml");

    auto result = check();
    EXPECT_FALSE(result.isComplete());
    EXPECT_FALSE(result.catalogFailure.has_value());
    EXPECT_EQ(result.failedFeeds.at("down"), CheckFailure::server(500));
    EXPECT_EQ(result.failedFeeds.at("junk"), CheckFailure::invalid());
    EXPECT_EQ(result.failedFeeds.at("gone"), CheckFailure::invalid());
    EXPECT_EQ(result.latest.at("down").build, "100");
    EXPECT_EQ(result.latest.at("junk").build, "100");
    EXPECT_FALSE(result.latest.contains("gone"));
    EXPECT_EQ(TempFolder::readText(folder / "cache/feed-junk.xml"), appcast("100"))
        << "bad bytes replaced the good cached feed";
}

TEST_F(CheckerTest, OnlyReleasedAppsWithFeedsAreChecked) {
    Json noFeed = app("nofeed");
    noFeed.erase("feed");
    Json hidden = app("hidden");
    hidden["hidden"] = true;
    source->catalogAnswer =
        signedCatalog(Json::array({app("soon", "coming"), noFeed, hidden, app("newer")}));
    source->feeds[feedURL("soon")] = appcast("1");
    source->feeds[feedURL("hidden")] = appcast("3");
    source->feeds[feedURL("newer")] = appcast("9", "16.0");
    auto result = check();
    EXPECT_EQ(source->feedRequests(feedURL("soon")), 0) << "coming app's feed requested";
    EXPECT_EQ(source->totalFeedRequests(), 2);
    EXPECT_EQ(result.latest.at("hidden").build, "3");
    // Needs a newer system: neither offered nor failed.
    EXPECT_FALSE(result.latest.contains("newer"));
    EXPECT_FALSE(result.failedFeeds.contains("newer"));
    EXPECT_TRUE(result.isComplete());
}

TEST_F(CheckerTest, WithoutACacheNothingTouchesTheDisk) {
    source->catalogAnswer = signedCatalog(Json::array({app("a")}));
    source->feeds[feedURL("a")] = std::unexpected(CheckFailure::offline());
    auto result = check(false);
    EXPECT_EQ(result.failedFeeds.at("a"), CheckFailure::offline());
    EXPECT_FALSE(result.latest.contains("a"));
    EXPECT_FALSE(std::filesystem::exists(folder / "cache"));
}

TEST_F(CheckerTest, FeedsRunInParallelAndAnIdCannotEscapeTheCache) {
    Json apps = Json::array();
    for (int i = 0; i < 20; ++i) {
        std::string id = "app" + std::to_string(i);
        apps.push_back(app(id));
        source->feeds[feedURL(id)] = appcast(std::to_string(i + 1));
        source->delays[feedURL(id)] = std::chrono::milliseconds(200);
    }
    Json sneaky = app("../../escape");
    apps.push_back(sneaky);
    source->feeds[sneaky["feed"]] = appcast("5");
    source->catalogAnswer = signedCatalog(apps);

    auto start = std::chrono::steady_clock::now();
    auto result = check();
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.latest.size(), 21u);
    EXPECT_LT(elapsed, std::chrono::seconds(2)) << "feeds fetched one after another";
    EXPECT_FALSE(std::filesystem::exists(folder / "escape.xml"));
    EXPECT_FALSE(std::filesystem::exists(folder.path().parent_path() / "escape.xml"));
}

TEST_F(CheckerTest, AStopRequestEndsTheFeedsStillRunningAtOnce) {
    Json apps = Json::array();
    for (const char* id : {"quick", "slow"}) {
        apps.push_back(app(id));
        source->feeds[feedURL(id)] = appcast("2");
    }
    source->delays[feedURL("slow")] = std::chrono::seconds(60);
    source->catalogAnswer = signedCatalog(apps);
    Checker checker(source, TestSigning::shared().key(), cache, "15.3.1", "arm64");

    std::stop_source stop;
    auto start = std::chrono::steady_clock::now();
    auto pending = std::async(std::launch::async, [&] { return checker.check(stop.get_token()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop.request_stop();
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "the check waited for the slow feed";
    CheckResult result = pending.get();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(result.catalog);
    EXPECT_TRUE(result.latest.contains("quick"));
    EXPECT_EQ(result.failedFeeds.at("slow"), CheckFailure::offline());
}

TEST_F(CheckerTest, ASourceThatThrowsIsAFailedFeedNotACrash) {
    Json apps = Json::array({app("fine"), app("broken")});
    source->feeds[feedURL("fine")] = appcast("2");
    source->throwing.insert(feedURL("broken"));
    source->catalogAnswer = signedCatalog(apps);

    auto result = check();
    EXPECT_TRUE(result.latest.contains("fine"));
    EXPECT_EQ(result.failedFeeds.at("broken"), CheckFailure::invalid());
}

TEST(CheckerOverHttp, KeepsTheEligibleEarlierReleasesNewestFirstAlsoFromTheCache) {
    LoopbackServer server;
    Json notes = app("notes");
    notes["feed"] = server.url("/notes.xml");
    server.serve("/catalog.json", signedCatalog(Json::array({notes})));
    server.serve("/notes.xml", kestle::test::mixedAppcast());
    TempFolder folder;
    Checker checker(std::make_shared<WebSource>(*Url::parse(server.url("/catalog.json"))),
                    TestSigning::shared().key(), CheckCache(folder / "cache"), "15.3.1", "arm64");

    for (bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "from the cache" : "fresh");
        if (cached) {
            server.respond("/notes.xml", 500);
        }
        CheckResult result = checker.check();
        EXPECT_EQ(result.failedFeeds.contains("notes"), cached);
        ASSERT_TRUE(result.latest.contains("notes"));
        EXPECT_EQ(result.latest.at("notes").build, "14");
        const std::vector<FeedItem>& earlier = result.earlier["notes"];
        EXPECT_EQ(builds(earlier), (std::vector<std::string>{"13", "12", "11", "10"}))
            << "channels, other processors, newer systems or no download let in";
        ASSERT_FALSE(earlier.empty());
        EXPECT_EQ(earlier[0].version, "1.3") << "of equal builds the first wins";
        EXPECT_EQ(earlier[0].notesFor("en"), "- Tags");

        // Installed at 1.1, the update brings 1.4, 1.3 and 1.2.
        std::map<std::string, InstalledApp> installed = {
            {"com.velmar.notes",
             InstalledApp{Url::fromPath("/Applications/notes.app"), "1.1", "11"}}};
        auto entries =
            AppEntry::entries(*result.catalog, installed, result.latest, result.earlier, {});
        ASSERT_EQ(entries.size(), 1u);
        std::vector<std::string> newer;
        for (const FeedItem* item : entries[0].newerReleases()) {
            newer.push_back(item->build);
        }
        EXPECT_EQ(newer, (std::vector<std::string>{"14", "13", "12"}));
    }
}

TEST_F(CheckerTest, EarlierReleasesStayWithinBounds) {
    source->catalogAnswer = signedCatalog(Json::array({app("many"), app("wordy"), app("one")}));
    std::vector<AppcastItem> many;
    for (int build = 1; build <= 120; ++build) {
        many.push_back({std::to_string(build), "", "- Fix " + std::to_string(build)});
    }
    source->feeds[feedURL("many")] = kestle::test::appcast(many);
    // Notes large enough that only a few fit the budget.
    std::vector<AppcastItem> wordy;
    for (int build = 1; build <= 6; ++build) {
        wordy.push_back({std::to_string(build), "", "- " + std::string(700 << 10, 'x')});
    }
    source->feeds[feedURL("wordy")] = kestle::test::appcast(wordy);
    source->feeds[feedURL("one")] = appcast("7");

    CheckResult result = check();
    const std::vector<FeedItem>& earlier = result.earlier["many"];
    ASSERT_EQ(earlier.size(), Checker::maxEarlier);
    EXPECT_EQ(earlier.front().build, "119");
    EXPECT_EQ(earlier.back().build, "20") << "the oldest dropped first";
    for (size_t i = 0; i < earlier.size(); ++i) {
        EXPECT_EQ(earlier[i].notes.empty(), i >= Checker::notedEarlier) << "release " << i;
    }
    // 5 earlier releases of 700 KiB notes each: two fit in 2 MiB, the rest lose theirs.
    const std::vector<FeedItem>& heavy = result.earlier["wordy"];
    ASSERT_EQ(heavy.size(), 5u) << "releases without notes are still kept";
    EXPECT_FALSE(heavy[1].notes.empty());
    EXPECT_TRUE(heavy[2].notes.empty());
    EXPECT_TRUE(heavy[4].notes.empty());
    EXPECT_FALSE(result.earlier.contains("one")) << "a feed of one release has no earlier";
}

} // namespace
