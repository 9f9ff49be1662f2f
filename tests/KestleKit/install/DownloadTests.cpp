#include "install/Download.hpp"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "helpers/LoopbackServer.hpp"
#include "helpers/TempFolder.hpp"

namespace kestle {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::TempFolder;
using Clock = std::chrono::steady_clock;
using Contents = std::map<std::string, std::string>;

Url url(const std::string& text) {
    auto parsed = Url::parse(text);
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(Url::fromPath("/"));
}

std::string outcome(const std::expected<void, DownloadError>& result) {
    return result ? "success" : describe(result.error());
}

// Size and hash: a readable stand-in for megabytes of binary in a failure message.
std::string fingerprint(const std::string& bytes) {
    return std::to_string(bytes.size()) + " bytes #" +
           std::to_string(std::hash<std::string>{}(bytes));
}

// Every entry of the folder with its bytes: a stray temporary file shows up here.
Contents contents(const std::filesystem::path& folder) {
    Contents found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        found[entry.path().filename().string()] = fingerprint(TempFolder::readText(entry.path()));
    }
    return found;
}

Download::Options quick() {
    Download::Options options;
    options.timeout = 300ms;
    return options;
}

struct Report {
    uint64_t received;
    uint64_t expected;
};

TEST(DownloadTests, DeliversTheBytesWithRisingProgress) {
    LoopbackServer server;
    const auto large = LoopbackServer::generatedBytes(0, 3 * 1024 * 1024 + 7);
    const auto exact = LoopbackServer::generatedBytes(5, 1000);
    server.serveGenerated("/large", large.size());
    server.serve("/exact", exact);
    server.serve("/empty", "");
    server.redirect("/moved", "/exact", 302);
    server.route("/unannounced", [&](const auto&, auto& res) {
        res.set_chunked_content_provider("application/octet-stream",
                                         [&](size_t offset, httplib::DataSink& sink) {
                                             if (offset == exact.size()) {
                                                 sink.done();
                                                 return true;
                                             }
                                             return sink.write(exact.data() + offset, 100);
                                         });
    });

    TempFolder sources;
    TempFolder::writeText(sources / "large é.dmg", large);
    TempFolder::writeText(sources / "exact", exact);
    TempFolder::writeText(sources / "empty", "");
    auto local = [&](const char* name) { return Url::fromPath((sources / name).string()).str(); };

    struct Case {
        const char* name;
        std::string address;
        uint64_t limit;
        const std::string& bytes;
        uint64_t announced;
    };
    const std::string none;
    const Case cases[] = {
        {"many reads of binary data", server.url("/large"), Download::noLimit, large, large.size()},
        {"a body of exactly the limit", server.url("/exact"), 1000, exact, 1000},
        {"an empty body", server.url("/empty"), 0, none, 0},
        {"a redirect is followed", server.url("/moved"), 1000, exact, 1000},
        {"no announced length reports 0", server.url("/unannounced"), 1000, exact, 0},
        {"a local file in many blocks, escaped name", local("large é.dmg"), Download::noLimit,
         large, large.size()},
        {"a local file of exactly the limit", local("exact"), 1000, exact, 1000},
        {"an empty local file", local("empty"), 0, none, 0},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const auto target = folder / "app.dmg";
        std::vector<Report> reports;
        auto result = Download::run(
            url(c.address), target, c.limit,
            [&](uint64_t received, uint64_t expected) {
                reports.push_back({received, expected});
            },
            {}, quick());
        ASSERT_TRUE(result) << c.name << ": " << outcome(result);
        EXPECT_EQ(contents(folder.path()), Contents({{"app.dmg", fingerprint(c.bytes)}})) << c.name;
        uint64_t previous = 0;
        for (const auto& report : reports) {
            EXPECT_GT(report.received, previous) << c.name;
            EXPECT_EQ(report.expected, c.announced) << c.name;
            previous = report.received;
        }
        EXPECT_EQ(previous, c.bytes.size()) << c.name;
    }
}

TEST(DownloadTests, FailuresLeaveTheFolderAsItWas) {
    LoopbackServer server;
    test::RefusingPort refusing;
    const auto body = LoopbackServer::generatedBytes(0, 256 * 1024);
    server.serve("/body", body);
    server.serve("/1001", std::string(1001, 'x'));
    server.serve("/guessed", body);
    server.respond("/error", 500, std::string(64 * 1024, 'e'));
    server.redirect("/to-missing", "/missing");
    server.redirect("/to-disk", "file:///etc/hostname");
    server.endless("/endless");
    server.cutShort("/cut", body, 100 * 1024);
    server.pauseMidway("/paused", body, 100 * 1024, 30s);
    server.stall("/stalled", 30s);
    TempFolder sources;
    TempFolder::writeText(sources / "1001", std::string(1001, 'x'));
    ASSERT_EQ(::mkfifo((sources / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(sources / "folder");
    auto local = [&](const char* name) { return Url::fromPath((sources / name).string()).str(); };

    struct Case {
        const char* name;
        std::string address;
        uint64_t limit;
        DownloadError expected;
        bool targetExists = false;
        std::string target = "app.dmg";
    };
    const Case cases[] = {
        {"a 404", server.url("/missing"), Download::noLimit, DownloadError::server(404)},
        {"an error page is not kept", server.url("/error"), Download::noLimit,
         DownloadError::server(500)},
        {"a redirect to a 404", server.url("/to-missing"), Download::noLimit,
         DownloadError::server(404)},
        {"one byte over the limit", server.url("/1001"), 1000, DownloadError::tooLarge()},
        {"an endless body", server.url("/endless"), 1024 * 1024, DownloadError::tooLarge()},
        {"a body cut short", server.url("/cut"), Download::noLimit, DownloadError::connection()},
        {"silence mid-body", server.url("/paused"), Download::noLimit, DownloadError::connection()},
        {"no answer at all", server.url("/stalled"), Download::noLimit,
         DownloadError::connection()},
        {"a refused connection", refusing.url("/body"), Download::noLimit,
         DownloadError::connection()},
        {"a scheme other than http(s) or file", "ftp" + server.url("/body").substr(4),
         Download::noLimit, DownloadError::connection()},
        {"a redirect off the web", server.url("/to-disk"), Download::noLimit,
         DownloadError::connection()},
        {"no scheme is not guessed as http",
         "guest@" + server.url("/guessed").substr(std::string("http://").size()), Download::noLimit,
         DownloadError::connection()},
        {"a target that exists", server.url("/body"), Download::noLimit, DownloadError::file(),
         true},
        {"a target folder that does not exist", server.url("/body"), Download::noLimit,
         DownloadError::file(), false, "absent/app.dmg"},
        {"a missing local file", local("missing"), Download::noLimit, DownloadError::connection()},
        {"a FIFO is not waited on", local("fifo"), Download::noLimit, DownloadError::connection()},
        {"a folder is not a file", local("folder"), Download::noLimit, DownloadError::connection()},
        {"a local file one byte over the limit", local("1001"), 1000, DownloadError::tooLarge()},
        // Sized 0 by the kernel, yet it has content: the limit holds while reading.
        {"a local file larger than it says", "file:///proc/self/maps", 10,
         DownloadError::tooLarge()},
        {"a local file onto an existing target", local("1001"), Download::noLimit,
         DownloadError::file(), true},
        {"a local file into a folder that does not exist", local("1001"), Download::noLimit,
         DownloadError::file(), false, "absent/app.dmg"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        if (c.targetExists) {
            TempFolder::writeText(folder / c.target, "installed");
        }
        const auto before = contents(folder.path());
        const auto start = Clock::now();
        auto result = Download::run(url(c.address), folder / c.target, c.limit, {}, {}, quick());
        EXPECT_LT(Clock::now() - start, 3s) << c.name;
        EXPECT_EQ(outcome(result), describe(c.expected)) << c.name;
        EXPECT_EQ(contents(folder.path()), before) << c.name;
    }
    EXPECT_EQ(server.requestCount("/guessed"), 0u) << "a URL without a scheme reached the server";
}

TEST(DownloadTests, StopTokenCancelsPromptly) {
    LoopbackServer server;
    const auto body = LoopbackServer::generatedBytes(0, 256 * 1024);
    server.pauseMidway("/paused", body, 100 * 1024, 30s);
    server.endless("/endless");

    TempFolder sources;
    TempFolder::writeText(sources / "large", LoopbackServer::generatedBytes(0, 4 * 1024 * 1024));
    const auto local = Url::fromPath((sources / "large").string()).str();

    struct Case {
        const char* name;
        std::string address;
        // When to ask for the stop: before the start, from another thread while the
        // body has paused, or from the progress report itself.
        enum { before, elsewhere, fromProgress } when;
    };
    const Case cases[] = {
        {"stopped before the start", server.url("/paused"), Case::before},
        {"stopped while the server is silent", server.url("/paused"), Case::elsewhere},
        {"stopped while data pours in", server.url("/endless"), Case::fromProgress},
        {"a local copy stopped before the start", local, Case::before},
        {"a local copy stopped midway", local, Case::fromProgress},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        std::stop_source stop;
        if (c.when == Case::before) {
            stop.request_stop();
        }
        std::jthread canceler;
        auto progress = [&](uint64_t received, uint64_t) {
            if (c.when == Case::elsewhere && !canceler.joinable()) {
                canceler = std::jthread([&] {
                    std::this_thread::sleep_for(100ms);
                    stop.request_stop();
                });
            }
            if (c.when == Case::fromProgress && received > 1024 * 1024) {
                stop.request_stop();
            }
        };
        Download::Options options; // the default time-out must not be what ends it
        const auto start = Clock::now();
        auto result = Download::run(url(c.address), folder / "app.dmg", Download::noLimit, progress,
                                    stop.get_token(), options);
        EXPECT_LT(Clock::now() - start, 2s) << c.name;
        EXPECT_EQ(outcome(result), "canceled") << c.name;
        EXPECT_TRUE(contents(folder.path()).empty()) << c.name;
    }
}

} // namespace
} // namespace kestle
