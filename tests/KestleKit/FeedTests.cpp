#include "Feed.hpp"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "FeedDate.hpp"

using namespace kestle;
using namespace std::chrono;

namespace {

std::string feed(std::string_view items) {
    return std::string(R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://example.com/xml-namespaces/sparkle">
<channel><title>App</title><description>Channel text</description>
)") + std::string(items) +
           "</channel></rss>";
}

// Parses a feed that must be well-formed.
std::vector<FeedItem> itemsOf(std::string_view items) {
    auto result = Feed::items(feed(items));
    EXPECT_TRUE(result.has_value());
    return result.value_or(std::vector<FeedItem>{});
}

// An eligible item with the given build, told apart by its version text.
std::string item(std::string_view build, std::string_view version, std::string_view extra = "") {
    return "<item><sparkle:version>" + std::string(build) + "</sparkle:version>" +
           "<sparkle:shortVersionString>" + std::string(version) + "</sparkle:shortVersionString>" +
           std::string(extra) +
           R"(<enclosure url="https://example.com/app.zip" length="10"/></item>)";
}

} // namespace

TEST(Feed, ReadsEveryFieldOfAnItem) {
    auto items = itemsOf(R"(
<item>
  <title>Version 2.1</title>
  <pubDate>
    Tue, 03 Dec 2024 10:00:00 -0800
  </pubDate>
  <sparkle:version> 210 </sparkle:version>
  <sparkle:shortVersionString>2.1</sparkle:shortVersionString>
  <sparkle:minimumSystemVersion>14.0</sparkle:minimumSystemVersion>
  <sparkle:hardwareRequirements> arm64	x86_64,ppc
    riscv </sparkle:hardwareRequirements>
  <sparkle:channel>beta</sparkle:channel>
  <description><![CDATA[
    <ul><li>Faster &amp; smaller</li></ul>
  ]]></description>
  <description xml:lang="it">Più veloce</description>
  <enclosure url="https://example.com/App%202.1.zip" length="+1234"
             type="application/octet-stream" sparkle:edSignature="c2lnbmF0dXJl"/>
</item>)");
    ASSERT_EQ(items.size(), 1u);
    FeedItem expected{
        "210",
        "2.1",
        "14.0",
        {"arm64", "x86_64,ppc", "riscv"},
        "beta",
        sys_days{2024y / December / 3} + 18h,
        {{"en", "<ul><li>Faster &amp; smaller</li></ul>"}, {"it", "Più veloce"}},
        Url::parse("https://example.com/App%202.1.zip"),
        1234,
        "c2lnbmF0dXJl",
    };
    EXPECT_EQ(items[0], expected);
}

TEST(Feed, DocumentLevelOutcomes) {
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<size_t> count; // nothing: malformed
    };
    std::string twoItems = item("1", "1.0") + item("2", "2.0");
    std::string whole = feed(twoItems);
    const Case cases[] = {
        {"channel without items is an empty list", feed(""), 0},
        {"items in document order", whole, 2},
        {"no channel, even with items", "<rss>" + twoItems + "</rss>", std::nullopt},
        {"truncated document discards items read so far", whole.substr(0, whole.size() - 10),
         std::nullopt},
        {"not XML", "{\"items\": []}", std::nullopt},
        {"empty bytes", "", std::nullopt},
        {"junk after the root", whole + "<rss/>", std::nullopt},
        {"channel outside the rss element still counts", "<x><channel/>" + twoItems + "</x>", 2},
    };
    for (const Case& c : cases) {
        auto result = Feed::items(c.bytes);
        if (c.count) {
            ASSERT_TRUE(result.has_value()) << c.name;
            EXPECT_EQ(result->size(), *c.count) << c.name;
        } else {
            ASSERT_FALSE(result.has_value()) << c.name;
            EXPECT_EQ(result.error(), FeedError::malformed) << c.name;
        }
    }
    auto twoRead = Feed::items(whole);
    ASSERT_TRUE(twoRead.has_value());
    EXPECT_EQ((*twoRead)[0].build, "1");
    EXPECT_EQ((*twoRead)[1].build, "2");
}

TEST(Feed, BuildAndVersionSources) {
    struct Case {
        const char* name;
        const char* body;
        std::optional<std::string> build; // nothing: item dropped
        std::string version;
    };
    const Case cases[] = {
        {"element", "<sparkle:version>5</sparkle:version>", "5", "5"},
        {"enclosure attribute (older style)", R"(<enclosure sparkle:version="6"/>)", "6", "6"},
        {"element beats attribute", R"(<sparkle:version>7</sparkle:version>
            <enclosure sparkle:version="8" sparkle:shortVersionString="8.0"/>)",
         "7", "8.0"},
        {"empty element drops the item despite the attribute",
         R"(<sparkle:version>  </sparkle:version><enclosure sparkle:version="8"/>)", std::nullopt,
         ""},
        {"no build anywhere", "<title>x</title>", std::nullopt, ""},
        {"empty short version stays empty",
         "<sparkle:version>9</sparkle:version><sparkle:shortVersionString/>", "9", ""},
        {"short version element beats attribute", R"(<sparkle:version>9</sparkle:version>
            <sparkle:shortVersionString>9.1</sparkle:shortVersionString>
            <enclosure sparkle:shortVersionString="9.2"/>)",
         "9", "9.1"},
        {"white space and line breaks of any kind trimmed",
         "<sparkle:version>\u00a0\t5\u2028</sparkle:version>", "5", "5"},
        {"last element of a name wins",
         "<sparkle:version>1</sparkle:version><sparkle:version>2</sparkle:version>", "2", "2"},
    };
    for (const Case& c : cases) {
        auto items = itemsOf(std::string("<item>") + c.body + "</item>");
        if (!c.build) {
            EXPECT_TRUE(items.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(items.size(), 1u) << c.name;
        EXPECT_EQ(items[0].build, *c.build) << c.name;
        EXPECT_EQ(items[0].version, c.version) << c.name;
    }
}

TEST(Feed, FieldsDoNotLeakBetweenItemsOrFromTheChannel) {
    auto items = itemsOf(R"(
<sparkle:minimumSystemVersion>99</sparkle:minimumSystemVersion>
<item><sparkle:version>1</sparkle:version><sparkle:channel>beta</sparkle:channel>
  <description>One</description><enclosure url="https://example.com/1" length="1"/></item>
<item><sparkle:version>2</sparkle:version></item>)");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].minimumSystem, std::nullopt);
    EXPECT_EQ(items[1].channel, std::nullopt);
    EXPECT_TRUE(items[1].notes.empty());
    EXPECT_EQ(items[1].download, std::nullopt);
    EXPECT_EQ(items[1].length, std::nullopt);
}

TEST(Feed, LastEnclosureReplacesEarlierOnes) {
    auto items = itemsOf(R"(<item><sparkle:version>3</sparkle:version>
  <enclosure url="https://example.com/full.zip" length="100" sparkle:edSignature="full"/>
  <sparkle:deltas>
    <enclosure url="https://example.com/delta.zip" length="7"/>
  </sparkle:deltas>
</item>)");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].download, Url::parse("https://example.com/delta.zip"));
    EXPECT_EQ(items[0].length, 7);
    EXPECT_EQ(items[0].edSignature, std::nullopt);
}

TEST(Feed, ReleaseNotesPerLanguage) {
    auto items = itemsOf(R"(<item><sparkle:version>1</sparkle:version>
  <description xml:lang="en">First</description>
  <description xml:lang="de">   </description>
  <description xml:lang="it">Prima</description>
  <description>Second</description>
</item>)");
    ASSERT_EQ(items.size(), 1u);
    std::map<std::string, std::string> expected{{"en", "Second"}, {"it", "Prima"}};
    EXPECT_EQ(items[0].notes, expected);

    FeedItem onlyFrench;
    onlyFrench.notes = {{"fr", "Notes"}};
    struct Case {
        const FeedItem& item;
        const char* language;
        std::optional<std::string> notes;
    };
    FeedItem none;
    const Case cases[] = {
        {items[0], "it", "Prima"},
        {items[0], "fr", "Second"},
        {onlyFrench, "it", "Notes"},
        {none, "en", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.item.notesFor(c.language), c.notes) << c.language;
    }
}

TEST(Feed, DatesReadOnlyInTheFixedForm) {
    struct Case {
        const char* text;
        std::optional<sys_seconds> date;
    };
    const Case cases[] = {
        {"Tue, 03 Dec 2024 10:00:00 +0000", sys_days{2024y / 12 / 3} + 10h},
        {"Tue, 3 Dec 2024 10:00:00 +0530", sys_days{2024y / 12 / 3} + 4h + 30min},
        {"Wed, 31 Dec 2025 23:30:00 -0100", sys_days{2026y / 1 / 1} + 30min},
        {"Thu, 29 Feb 2024 00:00:00 +0000", sys_days{2024y / 2 / 29}},
        {"MON, 01 jan 2024 00:00:00 +0000", sys_days{2024y / 1 / 1}},
        {"Fri, 03 Dec 2024 10:00:00 +0000", sys_days{2024y / 12 / 3} + 10h}, // wrong day name
        {"2024-12-03", std::nullopt},
        {"Wed, 29 Feb 2023 00:00:00 +0000", std::nullopt},
        {"Tue, 31 Apr 2024 10:00:00 +0000", std::nullopt},
        {"Tue, 00 Dec 2024 10:00:00 +0000", std::nullopt},
        {"Tue, 003 Dec 2024 10:00:00 +0000", std::nullopt},
        {"Tue, 03 Dec 2024 24:00:00 +0000", std::nullopt},
        {"Tue, 03 Dec 2024 10:60:00 +0000", std::nullopt},
        {"Tue, 03 Dec 2024 10:00:00 GMT", std::nullopt},
        {"Tue, 03 Dec 2024 10:00:00 +00:00", std::nullopt},
        {"Tue, 03 Dec 2024 10:00:00", std::nullopt},
        {"Tue, 03 Dec 2024 10:00:00 +0000 (UTC)", std::nullopt},
        {"Tue, 03 Dez 2024 10:00:00 +0000", std::nullopt},
        {"Tue 03 Dec 2024 10:00:00 +0000", std::nullopt},
        {"Tue, 03 Dec 24 10:00:00 +0000", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseFeedDate(c.text), c.date) << c.text;
    }
}

TEST(Feed, LengthOnlyAsPlainDecimal) {
    struct Case {
        const char* text;
        std::optional<int64_t> length;
    };
    const Case cases[] = {
        {"1234", 1234},
        {"+42", 42},
        {"-7", -7},
        {"0", 0},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", std::nullopt},
        {" 1234", std::nullopt},
        {"1234 ", std::nullopt},
        {"1234 MB", std::nullopt},
        {"0x10", std::nullopt},
        {"+-5", std::nullopt},
        {"+", std::nullopt},
        {"", std::nullopt},
        {"1e3", std::nullopt},
    };
    for (const Case& c : cases) {
        auto items = itemsOf(std::string(R"(<item><enclosure sparkle:version="1" length=")") +
                             c.text + R"("/></item>)");
        ASSERT_EQ(items.size(), 1u) << c.text;
        EXPECT_EQ(items[0].length, c.length) << c.text;
    }
}

TEST(Feed, LatestPicksTheNewestEligibleBuild) {
    struct Case {
        const char* name;
        std::string items;
        const char* system;
        std::optional<std::string> version; // of the chosen item
    };
    const std::string noDownload =
        "<item><sparkle:version>99</sparkle:version><sparkle:shortVersionString>nodl"
        "</sparkle:shortVersionString></item>";
    const Case cases[] = {
        {"numeric order, first of equal builds", item("9", "a") + item("10", "b") + item("10", "c"),
         "15.0.0", "b"},
        {"newer build later in the feed", item("2", "a") + item("1.5", "b") + item("3", "c"),
         "15.0.0", "c"},
        {"channel item never offered",
         item("1", "a") + item("5", "b", "<sparkle:channel>beta</sparkle:channel>"), "15.0.0", "a"},
        {"system below the minimum",
         item("1", "a") +
             item("2", "b", "<sparkle:minimumSystemVersion>16.0</sparkle:minimumSystemVersion>"),
         "15.3.1", "a"},
        {"system equal to the minimum",
         item("1", "a") +
             item("2", "b", "<sparkle:minimumSystemVersion>16.0</sparkle:minimumSystemVersion>"),
         "16.0", "b"},
        {"hardware naming the architecture",
         item("1", "a") +
             item("2", "b",
                  "<sparkle:hardwareRequirements>x86_64 arm64</sparkle:hardwareRequirements>"),
         "15.0.0", "b"},
        {"hardware naming another architecture",
         item("1", "a") +
             item("2", "b", "<sparkle:hardwareRequirements>x86_64</sparkle:hardwareRequirements>"),
         "15.0.0", "a"},
        {"architectures joined by a comma are one entry",
         item("1", "a") +
             item("2", "b",
                  "<sparkle:hardwareRequirements>arm64,x86_64</sparkle:hardwareRequirements>"),
         "15.0.0", "a"},
        {"no download", item("1", "a") + noDownload, "15.0.0", "a"},
        {"nothing eligible", noDownload, "15.0.0", std::nullopt},
        {"empty feed", "", "15.0.0", std::nullopt},
    };
    for (const Case& c : cases) {
        auto items = itemsOf(c.items);
        auto latest = Feed::latest(items, c.system, "arm64");
        EXPECT_EQ(latest ? std::optional(latest->version) : std::nullopt, c.version) << c.name;
    }
}

TEST(Feed, RunsHere) {
    struct Case {
        std::optional<std::string> minimumSystem;
        std::vector<std::string> hardware;
        const char* system;
        bool runs;
    };
    const Case cases[] = {
        {std::nullopt, {}, "10.0", true},
        {"15.4", {}, "15.3.9", false},
        {"15.4", {}, "15.10", true},
        {std::nullopt, {"arm64"}, "15.0", true},
        {std::nullopt, {"ARM64"}, "15.0", false},
        {"15.0", {"x86_64"}, "15.0", false},
    };
    for (const Case& c : cases) {
        FeedItem item;
        item.minimumSystem = c.minimumSystem;
        item.hardware = c.hardware;
        EXPECT_EQ(item.runs(c.system, "arm64"), c.runs)
            << c.minimumSystem.value_or("-") << " on " << c.system;
    }
}

TEST(Feed, EntityExpansionAttacksAreRefused) {
    std::string laughs = R"(<?xml version="1.0"?><!DOCTYPE rss [<!ENTITY l0 "lollollollol">)";
    for (int i = 1; i <= 10; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) {
            laughs += "&l" + std::to_string(i - 1) + ";";
        }
        laughs += "\">";
    }
    laughs += "]><rss><channel><item><sparkle:version>1</sparkle:version>"
              "<description>&l10;</description></item></channel></rss>";

    // One 10 kB entity used 10,000 times: no nesting, still 100 MB of text.
    std::string blowup = R"(<?xml version="1.0"?><!DOCTYPE rss [<!ENTITY big ")" +
                         std::string(10'000, 'x') + R"(">]><rss><channel><item><description>)";
    for (int i = 0; i < 10'000; ++i) {
        blowup += "&big;";
    }
    blowup += "</description></item></channel></rss>";

    for (const std::string& document : {laughs, blowup}) {
        auto start = steady_clock::now();
        auto result = Feed::items(document);
        EXPECT_FALSE(result.has_value());
        EXPECT_LT(steady_clock::now() - start, 5s);
    }
}

TEST(Feed, ExternalEntitiesAreNotLoaded) {
    auto secretPath = std::filesystem::temp_directory_path() /
                      ("feed-entity-" + std::to_string(::getpid()) + ".txt");
    std::ofstream(secretPath) << "SECRET-CONTENT";
    std::string url = "file://" + secretPath.string();
    std::string prologue = R"(<?xml version="1.0"?>
<!DOCTYPE rss [
  <!ENTITY secret SYSTEM ")" +
                           url + R"(">
  <!ENTITY % remote SYSTEM ")" +
                           url + R"(">
  %remote;
]>
<rss><channel><item><sparkle:version>1</sparkle:version>)";
    auto inText = Feed::items(prologue + "<description>before &secret; after</description>"
                                         "</item></channel></rss>");
    auto inAttribute = Feed::items(prologue + R"(<enclosure sparkle:edSignature="&secret;"/>)"
                                              "</item></channel></rss>");
    std::filesystem::remove(secretPath);

    // In text the reference is skipped; in an attribute value it is an XML error.
    ASSERT_TRUE(inText.has_value());
    ASSERT_EQ(inText->size(), 1u);
    EXPECT_EQ((*inText)[0].notesFor("en"), "before  after");
    EXPECT_FALSE(inAttribute.has_value());
}
