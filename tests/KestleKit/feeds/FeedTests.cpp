#include "feeds/Feed.hpp"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

using namespace kestle;
using namespace std::chrono;

namespace {

std::string feed(const std::string& items) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://example.com/xml-namespaces/sparkle">
<channel><title>App</title><description>Channel text</description>)" +
           items + "</channel></rss>";
}

// The items of a feed that must be well-formed.
std::vector<FeedItem> itemsOf(const std::string& items) {
    auto result = Feed::items(feed(items));
    EXPECT_TRUE(result.has_value());
    return result.value_or(std::vector<FeedItem>{});
}

// An eligible item, told apart from others by its version text.
std::string item(const std::string& build, const std::string& version,
                 const std::string& extra = "") {
    return "<item><sparkle:version>" + build + "</sparkle:version><sparkle:shortVersionString>" +
           version + "</sparkle:shortVersionString>" + extra +
           R"(<enclosure url="https://example.com/app.zip"/></item>)";
}

} // namespace

TEST(Feed, ReadsEveryFieldOfAnItem) {
    auto items = itemsOf(R"(<item>
  <title>Version 2.1</title>
  <pubDate>
    Tue, 03 Dec 2024 10:00:00 -0800 </pubDate>
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
  <enclosure url="https://example.com/App%202.1.zip" length="+1234" type="application/zip"
             sparkle:edSignature="c2lnbmF0dXJl"/>
</item>)");
    ASSERT_EQ(items.size(), 1u);
    FeedItem expected{"210",
                      "2.1",
                      "14.0",
                      {"arm64", "x86_64,ppc", "riscv"},
                      "beta",
                      sys_days{2024y / December / 3} + 18h,
                      {{"en", "<ul><li>Faster &amp; smaller</li></ul>"}, {"it", "Più veloce"}},
                      Url::parse("https://example.com/App%202.1.zip"),
                      1234,
                      "c2lnbmF0dXJl"};
    EXPECT_EQ(items[0], expected);
}

TEST(Feed, DocumentLevelOutcomes) {
    std::string two = item("1", "1.0") + item("2", "2.0");
    std::string whole = feed(two);
    const std::pair<std::string, std::optional<size_t>> cases[] = {
        {feed(""), 0},                                      // channel without items
        {whole, 2},                                         // items in document order
        {"<x><channel/>" + two + "</x>", 2},                // channel anywhere counts
        {"<rss>" + two + "</rss>", std::nullopt},           // no channel, despite items
        {whole.substr(0, whole.size() - 10), std::nullopt}, // truncated: items discarded
        {whole + "<rss/>", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [bytes, count] : cases) {
        auto result = Feed::items(bytes);
        EXPECT_EQ(result ? std::optional(result->size()) : std::nullopt, count) << bytes;
        EXPECT_TRUE(result || result.error() == FeedError::malformed);
    }
    EXPECT_EQ(itemsOf(two)[1].build, "2");
}

TEST(Feed, BuildAndVersionSources) {
    struct Case {
        const char* body;
        std::optional<std::string> build; // nothing: item dropped
        std::string version;
    };
    const Case cases[] = {
        {R"(<enclosure sparkle:version="6"/>)", "6", "6"},
        {R"(<sparkle:version>7</sparkle:version><enclosure sparkle:version="8"
            sparkle:shortVersionString="8.0"/>)",
         "7", "8.0"},
        {R"(<sparkle:version> </sparkle:version><enclosure sparkle:version="8"/>)", {}, ""},
        {"<title>no build anywhere</title>", {}, ""},
        {"<sparkle:version>9</sparkle:version><sparkle:shortVersionString/>", "9", ""},
        {"<sparkle:version>\u00a0\t5\u2028</sparkle:version>", "5", "5"},
        {"<sparkle:version>\t&#13;\n5&#13;\t</sparkle:version>", "5", "5"},
        {"<sparkle:version>1</sparkle:version><sparkle:version>2</sparkle:version>", "2", "2"},
    };
    for (const Case& c : cases) {
        auto items = itemsOf(std::string("<item>") + c.body + "</item>");
        ASSERT_EQ(items.size(), c.build ? 1u : 0u) << c.body;
        if (c.build) {
            EXPECT_EQ(items[0].build, *c.build) << c.body;
            EXPECT_EQ(items[0].version, c.version) << c.body;
        }
    }
}

TEST(Feed, FieldsDoNotLeakBetweenItemsOrFromTheChannel) {
    auto items = itemsOf(R"(<sparkle:minimumSystemVersion>99</sparkle:minimumSystemVersion>
<item><sparkle:version>1</sparkle:version><sparkle:channel>beta</sparkle:channel>
  <description>One</description><enclosure url="https://example.com/1" length="1"/></item>
<item><sparkle:version>2</sparkle:version></item>)");
    ASSERT_EQ(items.size(), 2u);
    FeedItem expected;
    expected.build = expected.version = "2";
    EXPECT_EQ(items[1], expected);
}

TEST(Feed, LastEnclosureReplacesEarlierOnes) {
    auto items = itemsOf(R"(<item><sparkle:version>3</sparkle:version>
  <enclosure url="https://example.com/full.zip" length="100" sparkle:edSignature="full"/>
  <sparkle:deltas><enclosure url="https://example.com/delta.zip" length="7"/></sparkle:deltas>
</item>)");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].download, Url::parse("https://example.com/delta.zip"));
    EXPECT_EQ(items[0].length, 7);
    EXPECT_EQ(items[0].edSignature, std::nullopt);
}

TEST(Feed, ReleaseNotesPerLanguage) {
    auto items = itemsOf(R"(<item><sparkle:version>1</sparkle:version>
  <description xml:lang="en">First</description><description xml:lang="de">  </description>
  <description xml:lang="it">Prima</description><description>Second</description></item>)");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].notes,
              (std::map<std::string, std::string>{{"en", "Second"}, {"it", "Prima"}}));
    EXPECT_EQ(items[0].notesFor("it"), "Prima");
    EXPECT_EQ(items[0].notesFor("fr"), "Second");
    FeedItem other;
    EXPECT_EQ(other.notesFor("en"), std::nullopt);
    other.notes = {{"fr", "Notes"}};
    EXPECT_EQ(other.notesFor("it"), "Notes");
}

TEST(Feed, LengthOnlyAsPlainDecimal) {
    const std::pair<const char*, std::optional<int64_t>> cases[] = {
        {"1234", 1234},
        {"+42", 42},
        {"-7", -7},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", {}},
        {" 1234", {}},
        {"1234 MB", {}},
        {"0x10", {}},
        {"+-5", {}},
        {"+", {}},
        {"", {}},
    };
    for (const auto& [text, length] : cases) {
        auto items = itemsOf(std::string(R"(<item><enclosure sparkle:version="1" length=")") +
                             text + R"("/></item>)");
        ASSERT_EQ(items.size(), 1u) << text;
        EXPECT_EQ(items[0].length, length) << text;
    }
}

TEST(Feed, LatestPicksTheNewestEligibleBuildAndEarlierTheRestNewestFirst) {
    auto minimum = [](const char* v) {
        return std::string("<sparkle:minimumSystemVersion>") + v +
               "</sparkle:minimumSystemVersion>";
    };
    auto hardware = [](const char* v) {
        return std::string("<sparkle:hardwareRequirements>") + v +
               "</sparkle:hardwareRequirements>";
    };
    std::string noDownload = "<item><sparkle:version>99</sparkle:version></item>";
    struct Case {
        std::string items;
        const char* system;
        std::optional<std::string> version; // of the item chosen
        std::vector<std::string> earlier;   // versions, newest first
    };
    const Case cases[] = {
        // Numeric order; the first of equal builds is kept.
        {item("9", "a") + item("10", "b") + item("10", "c"), "15.0", "b", {"a"}},
        {item("1", "a") + item("5", "b", "<sparkle:channel>beta</sparkle:channel>"),
         "15.0",
         "a",
         {}},
        // Equal builds however written; nothing as new as the latest.
        {item("2", "a") + item("10", "b") + item("9", "c") + item("9.0", "d") + item("10.0", "e"),
         "15.0",
         "b",
         {"c", "a"}},
        {item("1", "a") + item("2", "b", minimum("16.0")), "15.3.1", "a", {}},
        {item("1", "a") + item("2", "b", minimum("16.0")), "16.0", "b", {"a"}},
        {item("1", "a") + item("2", "b", hardware("x86_64 arm64")), "15.0", "b", {"a"}},
        {item("1", "a") + item("2", "b", hardware("x86_64")), "15.0", "a", {}},
        {item("1", "a") + item("2", "b", hardware("arm64,x86_64")), "15.0", "a", {}},
        {item("1", "a") + noDownload, "15.0", "a", {}},
        {noDownload, "15.0", std::nullopt, {}},
        {"", "15.0", std::nullopt, {}},
    };
    for (const Case& c : cases) {
        auto latest = Feed::latest(itemsOf(c.items), c.system, "arm64");
        EXPECT_EQ(latest ? std::optional(latest->version) : std::nullopt, c.version) << c.items;
        std::vector<FeedItem> items = itemsOf(c.items);
        std::vector<std::string> earlier;
        for (const FeedItem* item : Feed::earlier(items, c.system, "arm64")) {
            earlier.push_back(item->version);
        }
        EXPECT_EQ(earlier, c.earlier) << c.items;
    }
}

TEST(Feed, PublishedFeedReadsAsWritten) {
    // Shaped like the feeds publishers' tools write: a byte-order mark, CRLF line ends,
    // the build both as an element and on the enclosure, CDATA notes per language and a
    // delta enclosure after the full one.
    std::string lf = R"(<?xml version="1.0" encoding="utf-8" standalone="yes"?>
<rss version="2.0" xmlns:sparkle="http://example.com/xml-namespaces/sparkle"
     xmlns:dc="http://purl.org/dc/elements/1.1/">
  <channel>
    <title>App Changelog</title>
    <link>https://example.com/appcast.xml</link>
    <language>en</language>
    <item>
      <title>Version 2.4.1</title>
      <link>https://example.com/releases/2.4.1</link>
      <sparkle:version>2410</sparkle:version>
      <sparkle:shortVersionString>2.4.1</sparkle:shortVersionString>
      <sparkle:minimumSystemVersion>13.0</sparkle:minimumSystemVersion>
      <pubDate>Mon, 02 Dec 2024 09:30:00 +0000</pubDate>
      <description><![CDATA[
        <h2>What's new</h2>
        <ul><li>Faster sync &amp; search</li></ul>
      ]]></description>
      <description xml:lang="de"><![CDATA[<ul><li>Schnellere Synchronisierung</li></ul>]]></description>
      <description xml:lang="ja"><![CDATA[<ul><li>同期が速くなりました</li></ul>]]></description>
      <enclosure url="https://example.com/App-2.4.1.zip" length="48213377"
                 type="application/octet-stream" sparkle:version="2410"
                 sparkle:shortVersionString="2.4.1" sparkle:edSignature="ZnVsbA=="/>
      <sparkle:deltas>
        <enclosure url="https://example.com/App2410-2400.delta" sparkle:deltaFrom="2400"
                   length="1048576" type="application/octet-stream" sparkle:edSignature="ZGVsdGE="/>
      </sparkle:deltas>
    </item>
    <item>
      <title>Version 2.4.0</title>
      <pubDate>Thu, 21 Nov 2024 18:00:00 -0800</pubDate>
      <enclosure url="https://example.com/App-2.4.0.zip" length="48000000"
                 type="application/octet-stream" sparkle:version="2400"
                 sparkle:shortVersionString="2.4.0"/>
    </item>
  </channel>
</rss>
)";
    std::string bytes = "\xEF\xBB\xBF";
    for (char c : lf) {
        bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    auto items = Feed::items(bytes);
    ASSERT_TRUE(items.has_value());
    const std::vector<FeedItem> expected = {
        {"2410",
         "2.4.1",
         "13.0",
         {},
         std::nullopt,
         sys_days{2024y / December / 2} + 9h + 30min,
         {{"en", "<h2>What's new</h2>\n        <ul><li>Faster sync &amp; search</li></ul>"},
          {"de", "<ul><li>Schnellere Synchronisierung</li></ul>"},
          {"ja", "<ul><li>同期が速くなりました</li></ul>"}},
         Url::parse("https://example.com/App2410-2400.delta"),
         1048576,
         "ZGVsdGE="},
        {"2400",
         "2.4.0",
         std::nullopt,
         {},
         std::nullopt,
         sys_days{2024y / November / 22} + 2h,
         {},
         Url::parse("https://example.com/App-2.4.0.zip"),
         48000000,
         std::nullopt},
    };
    EXPECT_EQ(*items, expected);
}

TEST(Feed, DeclarationsDeepNestingAndHugeNamesAreRefused) {
    auto inItem = [](const std::string& body) {
        return "<rss><channel><item><sparkle:version>1</sparkle:version>" + body +
               "</item></channel></rss>";
    };
    // Under expat's own expansion guard, which only starts counting at 8 MiB.
    std::string references;
    for (int i = 0; i < 1000; ++i) {
        references += "&n;";
    }
    std::string entity = R"(<!DOCTYPE rss [<!ENTITY n ")" + std::string(1000, 'x') + R"(">]>)" +
                         inItem("<description>" + references + "</description>");
    std::string laughs = R"(<!DOCTYPE rss [<!ENTITY l0 "lollollollol">)";
    for (int i = 1; i <= 10; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) {
            laughs += "&l" + std::to_string(i - 1) + ";";
        }
        laughs += "\">";
    }
    laughs += "]>" + inItem("<description>&l10;</description>");
    auto nested = [&](int depth) {
        // rss, channel and item are three levels of the depth.
        std::string open, close;
        for (int i = 3; i < depth; ++i) {
            open += "<a>";
            close += "</a>";
        }
        return inItem(open + close);
    };
    // Expat keeps an entry for every distinct element name, many times the name's size.
    std::string names;
    for (int i = 0; i < 300'000; ++i) {
        names += "<n" + std::to_string(i) + "/>";
    }

    const std::pair<std::string, bool> cases[] = {
        {entity, false},
        {laughs, false},
        // A default attribute would be copied into every enclosure.
        {R"(<!DOCTYPE rss [<!ATTLIST enclosure url CDATA "https://example.com/a">]>)" +
             inItem("<enclosure/>"),
         false},
        {R"(<!DOCTYPE rss [<!ELEMENT rss ANY>]>)" + inItem(""), false},
        // A document type that only names an outside definition is harmless: it is
        // never loaded.
        {R"(<!DOCTYPE rss PUBLIC "-//Netscape Communications//DTD RSS 0.91//EN"
            "http://my.netscape.com/publish/formats/rss-0.91.dtd">)" +
             inItem(""),
         true},
        {nested(256), true},
        {nested(257), false},
        {inItem(names), false},
    };
    for (const auto& [bytes, accepted] : cases) {
        auto result = Feed::items(bytes);
        EXPECT_EQ(result.has_value(), accepted) << bytes.substr(0, 120);
        if (result) {
            EXPECT_EQ(result->size(), 1u);
        }
    }
}

TEST(Feed, KeptTextIsBounded) {
    constexpr size_t mebibyte = 1 << 20;
    // A three-byte character that 1 MiB does not divide evenly, so the cut must step
    // back to a character boundary.
    std::string euros;
    for (size_t i = 0; i < 400'000; ++i) {
        euros += "€";
    }
    std::string longNote = "<description>" + euros + "</description>";
    std::string twoLanguages = "<description xml:lang=\"de\">" + std::string(700'000, 'd') +
                               "</description><description xml:lang=\"fr\">" +
                               std::string(700'000, 'f') + "</description>";
    std::string longVersion = "<sparkle:shortVersionString>" + std::string(100'000, '9') +
                              "</sparkle:shortVersionString>";
    std::string longUrl =
        R"(<enclosure url="https://example.com/)" + std::string(100'000, 'u') + R"("/>)";
    auto items =
        itemsOf(item("1", "long note", longNote) + item("2", "two", twoLanguages) +
                "<item><sparkle:version>3</sparkle:version>" + longVersion + longUrl + "</item>");
    ASSERT_EQ(items.size(), 3u);

    const std::string& kept = items[0].notes.at("en");
    EXPECT_EQ(kept.size(), (mebibyte - 2) / 3 * 3); // the language code counts too
    EXPECT_EQ(kept, euros.substr(0, kept.size()));

    // Notes in document order are kept whole while they fit; the one that does not
    // fit is cut.
    ASSERT_EQ(items[1].notes.size(), 2u);
    EXPECT_EQ(items[1].notes.at("de"), std::string(700'000, 'd'));
    EXPECT_EQ(items[1].notes.at("fr"), std::string(mebibyte - 700'000 - 4, 'f'));

    // A value far too long to be a version or an address is left out, not cut.
    EXPECT_EQ(items[2].version, "3");
    EXPECT_EQ(items[2].download, std::nullopt);
}

TEST(Feed, ItemsPastTenThousandAreDropped) {
    std::string many;
    for (int i = 1; i <= 10'001; ++i) {
        many += "<item><sparkle:version>" + std::to_string(i) + "</sparkle:version></item>";
    }
    auto items = itemsOf(many);
    ASSERT_EQ(items.size(), 10'000u);
    EXPECT_EQ(items.back().build, "10000");
}

TEST(Feed, OutsideDefinitionsAreNotLoaded) {
    auto definitionPath = std::filesystem::temp_directory_path() /
                          ("feed-entity-" + std::to_string(::getpid()) + ".dtd");
    std::ofstream(definitionPath) << R"(<!ENTITY secret "SECRET-CONTENT">)";
    std::string prologue = "<!DOCTYPE rss SYSTEM \"file://" + definitionPath.string() +
                           "\"><rss><channel><item><sparkle:version>1</sparkle:version>";
    auto inText = Feed::items(prologue + "<description>before &secret; after</description>"
                                         "</item></channel></rss>");
    auto inAttribute = Feed::items(prologue + R"(<enclosure sparkle:edSignature="a&secret;b"/>)"
                                              "</item></channel></rss>");
    std::filesystem::remove(definitionPath);

    // The reference to what only the outside definition declares is skipped.
    ASSERT_TRUE(inText.has_value());
    ASSERT_EQ(inText->size(), 1u);
    EXPECT_EQ((*inText)[0].notesFor("en"), "before  after");
    ASSERT_TRUE(inAttribute.has_value());
    ASSERT_EQ(inAttribute->size(), 1u);
    EXPECT_EQ((*inAttribute)[0].edSignature, "ab");
}
