// Feed::items against a bare expat pass (empty handlers) over the same appcast.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include <expat.h>

#include "RatioReporter.hpp"
#include "feeds/Feed.hpp"

namespace {

// An appcast of 2,000 releases, about 2 MB, shaped like the feeds apps publish.
const std::string& appcast() {
    static const std::string bytes = [] {
        static const char* const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
        static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        std::string s = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://example.com/xml-namespaces/sparkle" xmlns:dc="http://purl.org/dc/elements/1.1/">
  <channel>
    <title>Example App Changelog</title>
    <link>https://example.com/app/appcast.xml</link>
    <description>Most recent changes with links to updates.</description>
    <language>en</language>
)";
        char buffer[2048];
        for (int i = 0; i < 2000; ++i) {
            int major = 1 + i / 100, minor = (i / 10) % 10, patch = i % 10;
            int length = std::snprintf(buffer, sizeof buffer, R"(    <item>
      <title>Version %d.%d.%d</title>
      <pubDate>%s, %02d %s %d 10:%02d:00 +0000</pubDate>
      <sparkle:version>%d</sparkle:version>
      <sparkle:shortVersionString>%d.%d.%d</sparkle:shortVersionString>
      <sparkle:minimumSystemVersion>13.%d</sparkle:minimumSystemVersion>
      <description><![CDATA[
        <h2>What's new in %d.%d.%d</h2>
        <ul>
          <li>Faster start-up when the library holds many documents.</li>
          <li>Fixed a crash when a file was renamed while it was open.</li>
        </ul>
      ]]></description>
      <description xml:lang="it"><![CDATA[
        <h2>Novità della %d.%d.%d</h2>
        <ul>
          <li>Avvio più rapido quando la libreria contiene molti documenti.</li>
          <li>Corretto un arresto quando un file veniva rinominato mentre era aperto.</li>
        </ul>
      ]]></description>
      <enclosure url="https://downloads.example.com/app/ExampleApp-%d.%d.%d.zip"
                 length="%d" type="application/octet-stream"
                 sparkle:edSignature="7cLALFUHSwvEJWSkV8aMreoBe4fhRa4FncC5NoThKxwThL6FDR7hTiPJh1fo2uagnPogisnQsgFgq6mGkt2RBw=="/>
    </item>
)",
                                       major, minor, patch, days[i % 7], 1 + i % 28, months[i % 12],
                                       2014 + i / 200, i % 60, 1000 + i, major, minor, patch, i % 6,
                                       major, minor, patch, major, minor, patch, major, minor,
                                       patch, 40'000'000 + i * 1000);
            s.append(buffer, static_cast<size_t>(length));
        }
        s += "  </channel>\n</rss>\n";
        return s;
    }();
    return bytes;
}

void XMLCALL ignoreStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL ignoreEnd(void*, const XML_Char*) {}
void XMLCALL ignoreText(void*, const XML_Char*, int) {}

void BM_BareExpat(benchmark::State& state) {
    const std::string& bytes = appcast();
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(parser, ignoreStart, ignoreEnd);
        XML_SetCharacterDataHandler(parser, ignoreText);
        auto status = XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE);
        benchmark::DoNotOptimize(status);
        XML_ParserFree(parser);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_BareExpat)->Unit(benchmark::kMillisecond);

void BM_FeedItems(benchmark::State& state) {
    const std::string& bytes = appcast();
    for (auto _ : state) {
        auto items = kestle::Feed::items(bytes);
        if (!items || items->size() != 2000) {
            state.SkipWithError("the appcast did not read as 2,000 items");
            break;
        }
        benchmark::DoNotOptimize(items);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_FeedItems)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    kestle::bench::RatioReporter reporter;
    if (!kestle::bench::runBenchmarks(argc, argv, reporter)) {
        return 1;
    }
    double megabytes = static_cast<double>(appcast().size()) / 1e6;
    double bare = reporter.seconds("BM_BareExpat");
    double feed = reporter.seconds("BM_FeedItems");
    if (bare <= 0 || feed <= 0) {
        std::printf("Feed::items / bare expat: not measured\n");
        return 1;
    }
    std::printf("appcast: %.2f MB; bare expat %.1f MB/s, Feed::items %.1f MB/s\n", megabytes,
                megabytes / bare, megabytes / feed);
    double ratio = bare / feed;
    std::printf("Feed::items / bare expat: %.2f of the throughput (target at least 0.60): %s\n",
                ratio, ratio >= 0.60 ? "met" : "MISSED");
    return 0;
}
