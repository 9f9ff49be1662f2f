// A whole check of a 50-app catalog against loopback servers that add 100 ms to every
// answer: the feeds must really run in parallel, on a few reused connections per host.
// The baseline is the same fetches made one after another. Then the same check over
// https, against one https request, and a 2,000-app catalog.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <sodium.h>

#include "catalog/SignedCatalog.hpp"
#include "check/Checker.hpp"
#include "check/WebSource.hpp"
#include "feeds/Feed.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/TestCertificates.hpp"
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

struct Signer {
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    Signer() { crypto_sign_keypair(publicKey, secretKey); }

    std::string envelope(const std::string& catalog) const {
        unsigned char signature[crypto_sign_BYTES];
        crypto_sign_detached(signature, nullptr,
                             reinterpret_cast<const unsigned char*>(catalog.data()), catalog.size(),
                             secretKey);
        return SignedCatalog::envelope(
            catalog, Base64::encode(std::span<const uint8_t>(signature, sizeof signature)));
    }
    UpdateSignature key() const {
        return *UpdateSignature::fromPublicKeyBase64(
            Base64::encode(std::span<const uint8_t>(publicKey, sizeof publicKey)));
    }
};

// A catalog of count released apps whose feeds are spread over the servers in turn.
std::string catalogOver(const std::vector<std::unique_ptr<test::LoopbackServer>>& servers,
                        int count, std::vector<std::string>* feeds = nullptr) {
    nlohmann::json apps = nlohmann::json::array();
    for (int i = 0; i < count; ++i) {
        std::string id = "app" + std::to_string(i);
        std::string path = "/feeds/" + id + ".xml";
        auto& server = *servers[static_cast<size_t>(i) % servers.size()];
        // A binary type: the test server would otherwise brotli-compress every answer
        // at its slowest setting, and the benchmark would measure that.
        server.serve(path, appcast(i));
        if (feeds) {
            feeds->push_back(server.url(path));
        }
        apps.push_back({{"id", id},
                        {"bundleID", "com.velmar." + id},
                        {"name", "App " + id},
                        {"tagline", {{"en", "Tagline"}}},
                        {"description", {{"en", "Description"}}},
                        {"status", "released"},
                        {"feed", server.url(path)},
                        {"icon", id + ".png"},
                        {"minimumSystem", "14.0"}});
    }
    return nlohmann::json{{"schema", 1}, {"apps", apps}}.dump();
}

size_t connectionsTo(const std::vector<std::unique_ptr<test::LoopbackServer>>& servers) {
    size_t count = 0;
    for (const auto& server : servers) {
        count += server->connections();
    }
    return count;
}

size_t resumedAt(const std::vector<std::unique_ptr<test::LoopbackServer>>& servers) {
    size_t count = 0;
    for (const auto& server : servers) {
        count += server->resumedSessions();
    }
    return count;
}

double bestCheck(const Checker& checker, int runs, size_t* offered = nullptr) {
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        auto result = checker.check();
        best = std::min(best, millisecondsSince(start));
        if (offered) {
            *offered = result.latest.size();
        }
    }
    return best;
}

} // namespace

int main() {
    if (sodium_init() < 0) {
        return 1;
    }
    const Signer signer;
    const UpdateSignature key = signer.key();
    std::vector<std::unique_ptr<test::LoopbackServer>> one;
    one.push_back(std::make_unique<test::LoopbackServer>());
    test::LoopbackServer& server = *one.front();
    std::vector<std::string> feeds;
    std::string envelope = signer.envelope(catalogOver(one, kApps, &feeds));
    server.serve("/catalog.json", envelope);
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
    size_t offered = 0;
    const double oneHost = bestCheck(checker, 3, &offered);

    // The same 50 feeds over seven hosts (loopback addresses): no host has more feeds
    // than connections, so every feed is in flight at once.
    std::vector<std::unique_ptr<test::LoopbackServer>> seven;
    for (int host = 1; host <= 7; ++host) {
        seven.push_back(std::make_unique<test::LoopbackServer>("127.0.0." + std::to_string(host)));
    }
    seven.front()->serve("/catalog.json", signer.envelope(catalogOver(seven, kApps)));
    for (auto& host : seven) {
        host->setLatency(kLatency);
    }
    Checker spread(std::make_shared<WebSource>(*Url::parse(seven.front()->url("/catalog.json"))),
                   key, std::nullopt, "15.3.1", "arm64");
    const double parallel = bestCheck(spread, 3);

    // The same again over https, trusting a test authority through caFile: every new
    // connection adds a handshake. The baseline is one https request on a connection of
    // its own, as the catalog's is.
    std::vector<std::string> hosts;
    for (int host = 1; host <= 7; ++host) {
        hosts.push_back("127.0.0." + std::to_string(host));
    }
    const test::TestCertificates certificates(hosts);
    std::vector<std::unique_ptr<test::LoopbackServer>> secure;
    for (const auto& host : hosts) {
        secure.push_back(std::make_unique<test::LoopbackServer>(certificates.server(), host));
    }
    std::vector<std::string> secureFeeds;
    secure.front()->serve("/catalog.json",
                          signer.envelope(catalogOver(secure, kApps, &secureFeeds)));
    for (auto& host : secure) {
        host->setLatency(kLatency);
    }
    WebSource::Options trusting;
    trusting.caFile = certificates.caFile().string();
    auto secureSource =
        std::make_shared<WebSource>(*Url::parse(secure.front()->url("/catalog.json")), trusting);
    Checker secureChecker(secureSource, key, std::nullopt, "15.3.1", "arm64");
    double oneSecure = 1e9;
    for (int run = 0; run < 5; ++run) {
        auto start = Clock::now();
        bool read = secureSource->feed(*Url::parse(secureFeeds.front())).has_value();
        oneSecure = std::min(oneSecure, read ? millisecondsSince(start) : 1e9);
    }
    constexpr int kSecureRuns = 3;
    const size_t connectionsBefore = connectionsTo(secure);
    const size_t resumedBefore = resumedAt(secure);
    size_t secureOffered = 0;
    const double secureCheck = bestCheck(secureChecker, kSecureRuns, &secureOffered);
    const size_t secureConnections = (connectionsTo(secure) - connectionsBefore) / kSecureRuns;
    const size_t secureResumed = (resumedAt(secure) - resumedBefore) / kSecureRuns;

    // What the fetches cost without any latency: connections and the server's own work,
    // all on this machine's cores.
    server.setLatency(std::chrono::milliseconds(0));
    const double setup = bestCheck(checker, 3) - parsing;
    server.setLatency(kLatency);

    auto start = Clock::now();
    (void)source->catalog();
    for (const auto& url : feeds) {
        (void)source->feed(*Url::parse(url));
    }
    double sequential = millisecondsSince(start);

    // A big catalog on one host: one thread and one connection per feed would run out
    // of descriptors here.
    constexpr int kBigCatalog = 2000;
    std::vector<std::unique_ptr<test::LoopbackServer>> big;
    big.push_back(std::make_unique<test::LoopbackServer>());
    big.front()->serve("/catalog.json", signer.envelope(catalogOver(big, kBigCatalog)));
    big.front()->setLatency(std::chrono::milliseconds(5));
    Checker bigChecker(std::make_shared<WebSource>(*Url::parse(big.front()->url("/catalog.json"))),
                       key, std::nullopt, "15.3.1", "arm64");
    start = Clock::now();
    CheckResult bigResult = bigChecker.check();
    const double bigTime = millisecondsSince(start);

    double latency = std::chrono::duration<double, std::milli>(kLatency).count();
    double limit = 2 * latency + parsing;
    std::printf("check of %d apps (%zu offered), %.0f ms added to every answer\n", kApps, offered,
                latency);
    std::printf("parsing alone: %.2f ms\n", parsing);
    std::printf("parallel check, feeds over 7 hosts: %.1f ms (target at most 2 x %.0f ms + "
                "parsing = %.1f ms): %s\n",
                parallel, latency, limit, parallel <= limit ? "met" : "MISSED");
    constexpr double kSecureLimit = 2.5;
    const double secureRatio = secureCheck / oneSecure;
    std::printf("https check, feeds over 7 hosts: %.1f ms, %zu offered, %zu connections a check "
                "(%zu resumed a session); one https request (baseline): %.1f ms; %.2fx the "
                "baseline (target at most %.2fx): %s\n",
                secureCheck, secureOffered, secureConnections, secureResumed, oneSecure,
                secureRatio, kSecureLimit,
                secureOffered == static_cast<size_t>(kApps) && secureRatio <= kSecureLimit
                    ? "met"
                    : "MISSED");
    std::printf("parallel check, all feeds on one host: %.1f ms (8 connections: %d rounds of "
                "%.0f ms at the least); %zu connections, at most %d requests at once\n",
                oneHost, (kApps + 7) / 8, latency, server.connections(), server.mostAtOnce());
    std::printf("the same check without latency, less parsing: %.1f ms of connection and server "
                "work\n",
                setup);
    std::printf("same fetches one after another (baseline): %.1f ms, %.1fx the parallel check\n",
                sequential, sequential / parallel);
    std::printf("catalog of %d apps on one host (5 ms per answer): %.0f ms, %zu offered, %zu "
                "failed feeds, %zu connections, at most %d requests at once\n",
                kBigCatalog, bigTime, bigResult.latest.size(), bigResult.failedFeeds.size(),
                big.front()->connections(), big.front()->mostAtOnce());
    return 0;
}
