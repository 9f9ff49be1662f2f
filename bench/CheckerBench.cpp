// A whole check of a 50-app catalog against a loopback server that adds 100 ms to
// every answer: the feeds must really run in parallel. The baseline is the same
// fetches made one after another.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>
#include <sodium.h>

#include "catalog/SignedCatalog.hpp"
#include "check/Checker.hpp"
#include "check/WebSource.hpp"
#include "feeds/Feed.hpp"
#include "helpers/LoopbackServer.hpp"
#include "support/Base64.hpp"

namespace {

using namespace kestle;
using Clock = std::chrono::steady_clock;
constexpr int kApps = 50;
constexpr auto kLatency = std::chrono::milliseconds(100);

std::string appcast(int app) {
    std::string items;
    for (int build = 1; build <= 20; ++build) {
        items += "<item><title>Version " + std::to_string(build) +
                 "</title>"
                 "<pubDate>Tue, 03 Dec 2024 10:00:00 +0000</pubDate>"
                 "<sparkle:version>" +
                 std::to_string(build) +
                 "</sparkle:version>"
                 "<sparkle:shortVersionString>1." +
                 std::to_string(build) +
                 "</sparkle:shortVersionString>"
                 "<sparkle:minimumSystemVersion>14.0</sparkle:minimumSystemVersion>"
                 "<description><![CDATA[<ul><li>Fixes</li></ul>]]></description>"
                 "<enclosure url=\"https://velmar.example/app" +
                 std::to_string(app) + "-" + std::to_string(build) +
                 ".dmg\" length=\"123456\" type=\"application/x-apple-diskimage\" "
                 "sparkle:edSignature=\"AAAA\"/></item>";
    }
    return "<?xml version=\"1.0\"?><rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
           "<title>App</title>" +
           items + "</channel></rss>";
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main() {
    if (sodium_init() < 0) {
        return 1;
    }
    test::LoopbackServer server;
    nlohmann::json apps = nlohmann::json::array();
    std::vector<std::string> feeds;
    for (int i = 0; i < kApps; ++i) {
        std::string id = "app" + std::to_string(i);
        std::string path = "/feeds/" + id + ".xml";
        // A binary type: the test server would otherwise brotli-compress every answer
        // at its slowest setting, and the benchmark would measure that.
        server.serve(path, appcast(i));
        feeds.push_back(server.url(path));
        apps.push_back({{"id", id},
                        {"bundleID", "com.velmar." + id},
                        {"name", "App " + id},
                        {"tagline", {{"en", "Tagline"}}},
                        {"description", {{"en", "Description"}}},
                        {"status", "released"},
                        {"feed", feeds.back()},
                        {"icon", id + ".png"},
                        {"minimumSystem", "14.0"}});
    }
    std::string catalog = nlohmann::json{{"schema", 1}, {"apps", apps}}.dump();
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(publicKey, secretKey);
    unsigned char signature[crypto_sign_BYTES];
    crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(catalog.data()),
                         catalog.size(), secretKey);
    std::string envelope = SignedCatalog::envelope(
        catalog, Base64::encode(std::span<const uint8_t>(signature, sizeof signature)));
    server.serve("/catalog.json", envelope);
    auto key = *UpdateSignature::fromPublicKeyBase64(
        Base64::encode(std::span<const uint8_t>(publicKey, sizeof publicKey)));
    auto source = std::make_shared<WebSource>(*Url::parse(server.url("/catalog.json")));
    Checker checker(source, key, std::nullopt, "15.3.1", "arm64");

    // Parsing alone, with every byte already in memory.
    std::vector<std::string> feedBytes;
    for (const auto& url : feeds) {
        feedBytes.push_back(*source->feed(*Url::parse(url)));
    }
    double parsing = 1e9;
    for (int run = 0; run < 5; ++run) {
        auto start = Clock::now();
        auto opened = SignedCatalog::open(envelope, key);
        for (const auto& bytes : feedBytes) {
            auto items = Feed::items(bytes);
            (void)Feed::latest(*items, "15.3.1", "arm64");
        }
        parsing = std::min(parsing, millisecondsSince(start));
        (void)opened;
    }

    server.setLatency(kLatency);
    double parallel = 1e9;
    size_t offered = 0;
    for (int run = 0; run < 3; ++run) {
        auto start = Clock::now();
        auto result = checker.check();
        parallel = std::min(parallel, millisecondsSince(start));
        offered = result.latest.size();
    }

    // What 50 parallel fetches cost without any latency: threads, connections and
    // the server's own work, all on this machine's cores.
    server.setLatency(std::chrono::milliseconds(0));
    double setup = 1e9;
    for (int run = 0; run < 3; ++run) {
        auto begin = Clock::now();
        (void)checker.check();
        setup = std::min(setup, millisecondsSince(begin) - parsing);
    }
    server.setLatency(kLatency);

    auto start = Clock::now();
    (void)source->catalog();
    for (const auto& url : feeds) {
        (void)source->feed(*Url::parse(url));
    }
    double sequential = millisecondsSince(start);

    double latency = std::chrono::duration<double, std::milli>(kLatency).count();
    double limit = 2 * latency + parsing;
    std::printf("check of %d apps (%zu offered), %.0f ms added to every answer\n", kApps, offered,
                latency);
    std::printf("parsing alone: %.2f ms\n", parsing);
    std::printf("parallel check: %.1f ms (target at most 2 x %.0f ms + parsing = %.1f ms): %s\n",
                parallel, latency, limit, parallel <= limit ? "met" : "MISSED");
    std::printf("the same check without latency, less parsing: %.1f ms of thread, connection and "
                "server work\n",
                setup);
    std::printf("same fetches one after another (baseline): %.1f ms, %.1fx the parallel check\n",
                sequential, sequential / parallel);
    return 0;
}
