#include "apps/AlertLedger.hpp"

#include <gtest/gtest.h>

#include "support/PropertyList.hpp"

using namespace kestle;

namespace {

AppEntry entry(const std::string& id, std::optional<std::string> installed,
               std::optional<std::string> latest,
               CatalogApp::Status status = CatalogApp::Status::released) {
    AppEntry e;
    e.app.id = id;
    e.app.bundleID = "com.velmar." + id;
    e.app.status = status;
    if (installed) {
        e.installed =
            InstalledApp{Url::fromPath("/Applications/" + id + ".app"), *installed, *installed};
    }
    if (latest) {
        e.latest = FeedItem{};
        e.latest->build = *latest;
    }
    return e;
}

TEST(AlertLedger, AnnouncesEachNewBuildOnce) {
    AlertLedger ledger;
    std::vector<AppEntry> entries = {entry("a", "100", "101")};
    auto alerts = ledger.alerts(entries, true);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0], Alert::update(entries[0]));
    EXPECT_EQ(ledger.seenBuilds.at("a"), "101");
    EXPECT_TRUE(ledger.alerts(entries, true).empty()) << "same build announced twice";

    entries = {entry("a", "100", "102")};
    EXPECT_EQ(ledger.alerts(entries, true).size(), 1u) << "moved-on build not announced";
    // Any different build counts, even an older one.
    entries = {entry("a", "100", "101")};
    EXPECT_EQ(ledger.alerts(entries, true).size(), 1u) << "rolled-back build not announced";
}

TEST(AlertLedger, ABuildGoneBackFromIsNeverAnnouncedAgainButALaterOneIs) {
    AlertLedger ledger;
    ledger.skip("a", "101");
    std::vector<AppEntry> entries = {entry("a", "100", "101")};
    EXPECT_TRUE(ledger.alerts(entries, true).empty());
    ledger.seenBuilds["a"] = "99"; // another build announced in between
    EXPECT_TRUE(ledger.alerts(entries, true).empty()) << "skipped build announced";
    EXPECT_TRUE(entries[0].hasUpdate()) << "the update is still offered";

    entries = {entry("a", "100", "102")};
    EXPECT_EQ(ledger.alerts(entries, true).size(), 1u) << "later build not announced";
}

TEST(AlertLedger, MarksBuildsSeenSilentlyWhenUpdatesAreNotNotified) {
    AlertLedger ledger;
    std::vector<AppEntry> entries = {entry("a", "100", "101"), entry("b", "5", std::nullopt),
                                     entry("c", std::nullopt, "7")};
    EXPECT_TRUE(ledger.alerts(entries, false).empty());
    EXPECT_EQ(ledger.seenBuilds, (std::map<std::string, std::string>{{"a", "101"}}));
    EXPECT_TRUE(ledger.alerts(entries, true).empty()) << "silently seen build announced later";
}

TEST(AlertLedger, AnnouncesWatchedReleasesOnceWhateverTheSetting) {
    AlertLedger ledger;
    ledger.watch("soon", true);
    ledger.watch("gone", true);
    EXPECT_TRUE(ledger.isWatching("soon"));

    std::vector<AppEntry> coming = {
        entry("soon", std::nullopt, std::nullopt, CatalogApp::Status::coming)};
    EXPECT_TRUE(ledger.alerts(coming, true).empty());
    EXPECT_TRUE(ledger.isWatching("soon"));

    // Released and installed with an update at once: released comes first.
    std::vector<AppEntry> released = {entry("soon", "1", "2")};
    auto alerts = ledger.alerts(released, false);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].kind, Alert::Kind::released);
    EXPECT_FALSE(ledger.isWatching("soon"));
    EXPECT_TRUE(ledger.isWatching("gone")) << "absent app dropped from watching";

    ledger.watch("soon", true);
    ledger.seenBuilds.clear();
    alerts = ledger.alerts(released, true);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].kind, Alert::Kind::released);
    EXPECT_EQ(alerts[1].kind, Alert::Kind::update);
    EXPECT_TRUE(ledger.alerts(released, true).empty());

    ledger.watch("gone", false);
    ledger.watch("gone", false);
    EXPECT_FALSE(ledger.isWatching("gone"));
}

TEST(AlertLedger, StoredFormRoundTripsAndRejectsOtherShapes) {
    AlertLedger ledger;
    ledger.seenBuilds = {{"a", "101"}, {"b", "7.0"}};
    ledger.skippedBuilds = {{"a", "102"}};
    ledger.watching = {"soon"};
    auto decoded = AlertLedger::decode(ledger.encoded());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, ledger);
    auto plain = nlohmann::json::parse(ledger.encoded());
    EXPECT_EQ(plain.size(), 3u);
    EXPECT_TRUE(plain["watching"].is_array());

    const char* refused[] = {
        R"({"seenBuilds":{}})",
        R"({"watching":[]})",
        R"({"seenBuilds":[],"watching":[]})",
        R"({"seenBuilds":{"a":1},"watching":[]})",
        R"({"seenBuilds":{},"watching":[1]})",
        R"({"seenBuilds":{},"skippedBuilds":[],"watching":[]})",
        R"({"seenBuilds":{},"skippedBuilds":{"a":2},"watching":[]})",
        R"([])",
        "not json",
        "",
    };
    for (const char* text : refused) {
        EXPECT_FALSE(AlertLedger::decode(text).has_value()) << text;
    }
    EXPECT_TRUE(AlertLedger::decode(R"({"seenBuilds":{},"watching":[],"extra":1})").has_value());
}

// The stored value comes back from a preferences file anyone can edit.
TEST(AlertLedger, StoredFormIsBoundedBeforeItIsRead) {
    auto withExtra = [](const std::string& extra) {
        return R"({"seenBuilds":{"a":"101"},"watching":["soon"],"extra":)" + extra + "}";
    };
    auto nested = [](size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    struct Case {
        const char* fault;
        std::string stored;
        bool reads;
    };
    const Case cases[] = {
        // The ledger's own object is the first of 64 levels.
        {"nesting at the limit refused", withExtra(nested(63)), true},
        {"nesting past the limit read", withExtra(nested(64)), false},
        {"value larger than preferences hold read",
         withExtra('"' + std::string(PropertyList::maxBytes, 'x') + '"'), false},
    };
    for (const auto& c : cases) {
        auto decoded = AlertLedger::decode(c.stored);
        ASSERT_EQ(decoded.has_value(), c.reads) << c.fault;
        if (decoded) {
            EXPECT_EQ(decoded->seenBuilds.at("a"), "101") << c.fault;
            EXPECT_TRUE(decoded->isWatching("soon")) << c.fault;
        }
    }
}

} // namespace
