#include "check/WebSource.hpp"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>
#include <set>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "helpers/LoopbackServer.hpp"
#include "helpers/TestCertificates.hpp"

namespace kestle {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using Clock = std::chrono::steady_clock;
using Result = std::expected<std::string, CheckFailure>;

Url url(const std::string& text) {
    auto parsed = Url::parse(text);
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(Url::fromPath("/"));
}

std::string outcome(const Result& result) {
    return result ? "bytes(" + std::to_string(result->size()) + ")" : describe(result.error());
}

// Bytes a text-based shortcut would mangle: NULs, high bytes, more than one read's worth.
std::string binaryBody(size_t size) {
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        body[i] = static_cast<char>((i * 7919) % 256);
    }
    return body;
}

WebSource::Options withTimeout(std::chrono::milliseconds timeout) {
    WebSource::Options options;
    options.timeout = timeout;
    return options;
}

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "websource-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            throw std::runtime_error("mkdtemp");
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

TEST(WebSourceTests, ReturnsTheBodyOfA200ForCatalogAndFeed) {
    LoopbackServer server;
    const auto catalog = binaryBody(300 * 1024);
    server.serve("/catalog.json", catalog);
    server.serve("/feed.xml", "<rss/>", "application/xml");
    server.serve("/empty", "");

    WebSource source(url(server.url("/catalog.json")));
    EXPECT_EQ(source.catalog(), Result(catalog));
    EXPECT_EQ(source.feed(url(server.url("/feed.xml"))), Result("<rss/>"));
    // An empty body is for the reader to judge, not a transport failure.
    EXPECT_EQ(source.feed(url(server.url("/empty"))), Result(""));
}

TEST(WebSourceTests, HttpsTrustsTheNamedAuthorityAloneAndChecksTheHost) {
    const test::TestCertificates certificates; // for 127.0.0.1 only
    const test::TestCertificates stranger;
    LoopbackServer server(certificates.server());
    server.serve("/catalog.json", "catalog");
    server.serve("/feed.xml", "<rss/>");

    WebSource::Options trusting;
    trusting.caFile = certificates.caFile().string();
    WebSource source(url(server.url("/catalog.json")), trusting);
    EXPECT_EQ(source.catalog(), Result("catalog"));
    const Url feed = url(server.url("/feed.xml"));
    EXPECT_EQ(source.feeds({feed, feed, feed}), std::vector<Result>(3, Result("<rss/>")))
        << "every transfer of a check trusts the named authority";

    const struct {
        const char* name;
        std::string caFile;
    } untrusted[] = {
        {"the system's authorities", ""},
        {"another authority", stranger.caFile().string()},
        {"a bundle that is not there", (certificates.caFile().parent_path() / "none.pem").string()},
    };
    for (const auto& c : untrusted) {
        WebSource::Options options;
        options.caFile = c.caFile;
        WebSource refusing(url(server.url("/catalog.json")), options);
        auto start = Clock::now();
        EXPECT_EQ(outcome(refusing.catalog()), "offline") << c.name;
        EXPECT_EQ(outcome(refusing.feeds({feed}).front()), "offline") << c.name;
        EXPECT_LT(Clock::now() - start, 3s) << c.name;
    }

    // A good certificate, but for another address than the one asked.
    LoopbackServer elsewhere(certificates.server(), "127.0.0.2");
    elsewhere.serve("/feed.xml", "<rss/>");
    EXPECT_EQ(outcome(source.feed(url(elsewhere.url("/feed.xml")))), "offline");

    EXPECT_EQ(server.totalRequests(), 4u) << "a refused server was still asked";
    EXPECT_EQ(elsewhere.totalRequests(), 0u);
}

TEST(WebSourceTests, HttpsSessionsAreResumedWithinACallButNeverKeptForTheNext) {
    const test::TestCertificates certificates;
    LoopbackServer server(certificates.server());
    // Each answer ends its connection, so the ninth feed needs a new one; the delay lets
    // the first eight handshakes finish before then.
    server.setLatency(50ms);
    server.route("/feed.xml", [](const auto&, auto& res) {
        res.set_header("Connection", "close");
        res.set_content("<rss/>", "application/octet-stream");
    });
    WebSource::Options trusting;
    trusting.caFile = certificates.caFile().string();
    WebSource source(url(server.url("/feed.xml")), trusting);
    const Url feed = url(server.url("/feed.xml"));

    ASSERT_TRUE(source.catalog());
    ASSERT_TRUE(source.feed(feed));
    EXPECT_EQ(server.resumedSessions(), 0u) << "a call resumed the session of an earlier one";

    auto answers = source.feeds(std::vector<Url>(9, feed));
    EXPECT_EQ(answers, std::vector<Result>(9, Result("<rss/>")));
    EXPECT_GE(server.resumedSessions(), 1u) << "every connection made a full handshake";
}

TEST(WebSourceTests, AnyStatusOtherThan200IsAServerFailure) {
    LoopbackServer server;
    server.serve("/target", "followed");
    server.redirect("/moved", server.url("/target"), 301);
    server.respond("/missing", 404, "not here");
    server.respond("/broken", 500, "oops");
    server.respond("/busy", 503);
    server.respond("/nothing", 204);
    server.respond("/unchanged", 304);
    // An error page larger than the cap still reports the status, not the size.
    server.respond("/big-error", 404, std::string(4096, 'e'));

    const struct {
        const char* path;
        int status;
    } cases[] = {
        {"/moved", 301},   {"/missing", 404},   {"/broken", 500},    {"/busy", 503},
        {"/nothing", 204}, {"/unchanged", 304}, {"/big-error", 404},
    };
    WebSource::Options options;
    options.maxBodyBytes = 100;
    WebSource source(url(server.url("/catalog")), options);
    for (const auto& c : cases) {
        EXPECT_EQ(outcome(source.feed(url(server.url(c.path)))),
                  describe(CheckFailure::server(c.status)))
            << c.path;
    }
    EXPECT_EQ(server.requestCount("/target"), 0u) << "redirects must not be followed";
}

TEST(WebSourceTests, TransportFailuresAreOfflineAndEndPromptly) {
    LoopbackServer server;
    test::RefusingPort refusing;
    server.stall("/stalled", 30s);
    server.cutShort("/cut", binaryBody(10000), 4000);

    const struct {
        const char* name;
        std::string address;
        std::chrono::milliseconds timeout;
    } cases[] = {
        {"connection refused", refusing.url("/feed.xml"), 10s},
        {"no answer within the time-out", server.url("/stalled"), 300ms},
        // A long time-out here shows the short body is noticed, not waited out.
        {"body shorter than its Content-Length", server.url("/cut"), 10s},
    };
    for (const auto& c : cases) {
        WebSource source(url(c.address), withTimeout(c.timeout));
        auto start = Clock::now();
        auto result = source.catalog();
        auto elapsed = Clock::now() - start;
        EXPECT_EQ(outcome(result), "offline") << c.name;
        EXPECT_LT(elapsed, 3s) << c.name;
    }
}

TEST(WebSourceTests, ATricklingServerMeetsTheDeadlineAndAStopEndsAFetchAtOnce) {
    LoopbackServer server;
    server.trickle("/trickle", 100ms);
    server.stall("/stalled", 30s);

    WebSource::Options options = withTimeout(10s);
    options.deadline = 700ms;
    auto start = Clock::now();
    EXPECT_EQ(outcome(WebSource(url(server.url("/trickle")), options).catalog()), "offline")
        << "a byte now and then keeps an idle time-out waiting for ever";
    EXPECT_LT(Clock::now() - start, 3s);

    std::stop_source stop;
    WebSource patient(url(server.url("/stalled")), withTimeout(20s));
    start = Clock::now();
    auto pending = std::async(std::launch::async, [&] {
        return patient.feed(url(server.url("/stalled")), stop.get_token());
    });
    std::this_thread::sleep_for(150ms);
    stop.request_stop();
    ASSERT_EQ(pending.wait_for(3s), std::future_status::ready);
    EXPECT_EQ(outcome(pending.get()), "offline");
    EXPECT_LT(Clock::now() - start, 900ms) << "the stop waited for the next progress call";
}

TEST(WebSourceTests, OnlyHttpHttpsAndFileUrlsAreFetched) {
    LoopbackServer server;
    server.serve("/feed.xml", "<rss/>");
    // A relative reference that libcurl, left to guess, would fetch over http.
    const std::string guessable =
        "guest@" + server.url("/feed.xml").substr(std::string("http://").size());
    for (const std::string& text :
         {guessable, std::string("feeds/app.xml"), std::string("ftp://127.0.0.1/feed.xml"),
          std::string("gopher://127.0.0.1/feed.xml")}) {
        auto parsed = Url::parse(text);
        ASSERT_TRUE(parsed) << text;
        EXPECT_EQ(outcome(WebSource(*parsed).feed(*parsed)), "offline") << text;
    }
    EXPECT_EQ(server.requestCount("/feed.xml"), 0u) << "a scheme was guessed";
}

TEST(WebSourceTests, ManyFeedsShareAFewConnectionsToTheirHost) {
    LoopbackServer server;
    // Long enough that the fetches overlap.
    server.setLatency(30ms);
    constexpr int kFeeds = 40;
    std::vector<Url> urls;
    for (int i = 0; i < kFeeds; ++i) {
        const std::string path = "/feed-" + std::to_string(i) + ".xml";
        server.serve(path, "<rss>" + std::to_string(i) + "</rss>");
        urls.push_back(url(server.url(path)));
    }
    urls.push_back(url("feeds/relative.xml"));

    auto answers = WebSource(url(server.url("/catalog.json"))).feeds(urls);
    ASSERT_EQ(answers.size(), urls.size());
    for (int i = 0; i < kFeeds; ++i) {
        EXPECT_EQ(answers[static_cast<size_t>(i)], Result("<rss>" + std::to_string(i) + "</rss>"))
            << "each answer in the place of its URL";
    }
    EXPECT_EQ(outcome(answers.back()), "offline");
    EXPECT_LE(server.mostAtOnce(), 8) << "one connection per feed";
    EXPECT_GT(server.mostAtOnce(), 1) << "the feeds were fetched one after another";
    EXPECT_LE(server.connections(), 8u) << "connections were not reused";
}

TEST(WebSourceTests, BodiesOverTheCapAreInvalid) {
    LoopbackServer server;
    server.serve("/at-cap", std::string(1000, 'a'));
    server.serve("/over-cap", std::string(1001, 'a'));
    server.endless("/endless");

    WebSource::Options options;
    options.maxBodyBytes = 1000;
    options.timeout = 10s;
    WebSource source(url(server.url("/catalog")), options);

    EXPECT_EQ(outcome(source.feed(url(server.url("/at-cap")))), "bytes(1000)");
    EXPECT_EQ(outcome(source.feed(url(server.url("/over-cap")))), "invalid");
    auto start = Clock::now();
    EXPECT_EQ(outcome(source.feed(url(server.url("/endless")))), "invalid");
    EXPECT_LT(Clock::now() - start, 3s);
}

TEST(WebSourceTests, FileUrlsAreReadFromDisk) {
    TempFolder folder;
    const auto bytes = binaryBody(200 * 1024);
    {
        std::ofstream(folder / "sample catalog.json", std::ios::binary) << bytes;
        std::ofstream(folder / "large", std::ios::binary) << std::string(2000, 'x');
    }
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "folder");

    WebSource::Options options;
    options.maxBodyBytes = 1024 * 1024;
    // A space in the name checks the path is percent-decoded before opening.
    EXPECT_EQ(
        WebSource(Url::fromPath((folder / "sample catalog.json").string()), options).catalog(),
        Result(bytes));

    options.maxBodyBytes = 1000;
    const char* unreadable[] = {"missing", "folder", "large",
                                // Opening a FIFO for reading would wait for a writer forever.
                                "fifo"};
    for (const char* name : unreadable) {
        WebSource source(Url::fromPath((folder / name).string()), options);
        auto start = Clock::now();
        EXPECT_EQ(outcome(source.catalog()), "invalid") << name;
        EXPECT_LT(Clock::now() - start, 3s) << name;
    }
}

TEST(WebSourceTests, SendsItsUserAgentAndLanguageAndNeverACookie) {
    LoopbackServer server;
    server.route("/feed.xml", [](const auto&, auto& res) {
        res.set_header("Set-Cookie", "session=tracking; Path=/");
        res.set_content("<rss/>", "application/xml");
    });

    WebSource::Options options;
    options.userAgent = "VelmarKestle/1.2 (Linux 6.1.0)";
    options.acceptLanguage = "it-IT, it;q=0.9, en;q=0.8";
    WebSource source(url(server.url("/catalog")), options);
    // Twice: the second request would carry the cookie if the first one was kept.
    ASSERT_TRUE(source.feed(url(server.url("/feed.xml"))));
    ASSERT_TRUE(source.feed(url(server.url("/feed.xml"))));

    auto headers = server.lastHeaders("/feed.xml").value_or(httplib::Headers{});
    auto header = [&](const char* name) {
        auto it = headers.find(name);
        return it == headers.end() ? std::string("<none>") : it->second;
    };
    EXPECT_EQ(header("User-Agent"), options.userAgent);
    EXPECT_EQ(header("Accept-Language"), options.acceptLanguage);
    EXPECT_EQ(header("Cookie"), "<none>");

    ASSERT_TRUE(WebSource(url(server.url("/feed.xml"))).catalog());
    headers = server.lastHeaders("/feed.xml").value_or(httplib::Headers{});
    EXPECT_EQ(header("Accept-Language"), "<none>");
    EXPECT_NE(header("User-Agent"), "<none>");
}

TEST(WebSourceTests, ServesManyThreadsAtOnce) {
    LoopbackServer server;
    server.setLatency(200ms);
    constexpr int count = 20;
    for (int i = 0; i < count; ++i) {
        server.serve("/feed-" + std::to_string(i) + ".xml", "feed " + std::to_string(i));
    }

    const WebSource source(url(server.url("/catalog")));
    auto start = Clock::now();
    std::vector<std::future<Result>> results;
    for (int i = 0; i < count; ++i) {
        results.push_back(std::async(std::launch::async, [&source, &server, i] {
            return source.feed(url(server.url("/feed-" + std::to_string(i) + ".xml")));
        }));
    }
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(results[i].get(), Result("feed " + std::to_string(i))) << i;
    }
    // One after another this would take count × latency = 4 s.
    EXPECT_LT(Clock::now() - start, 2s);
}

} // namespace
} // namespace kestle
