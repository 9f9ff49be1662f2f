#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "helpers/LoopbackServer.hpp"
#include "helpers/RangedFile.hpp"
#include "helpers/TempFolder.hpp"
#include "install/Download.hpp"
#include "install/PartialDownload.hpp"

namespace kestle {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::RangedFile;
using test::TempFolder;
namespace fs = std::filesystem;

std::string outcome(const std::expected<void, DownloadError>& result) {
    return result ? "success" : describe(result.error());
}

unsigned mode(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

struct Fixture {
    LoopbackServer server;
    TempFolder folder;
    const std::string body = LoopbackServer::generatedBytes(0, 300'007);
    std::shared_ptr<RangedFile> file = RangedFile::of(body);
    fs::path partial = folder / "image.partial";
    fs::path target = folder / "image.dmg";
    std::vector<uint64_t> resumedAt;

    Fixture() { file->serve(server, "/image.dmg"); }

    std::expected<void, DownloadError> run(uint64_t limit, std::stop_token stop = {},
                                           const Download::Progress& progress = {}) {
        Download::Options options;
        options.timeout = 500ms;
        options.partial = partial;
        options.resumed = [this](uint64_t offset) { resumedAt.push_back(offset); };
        return Download::run(*Url::parse(server.url("/image.dmg")), target, limit, progress,
                             std::move(stop), options);
    }

    // A first attempt that the connection ends at `at` bytes.
    void cutAt(uint64_t at) {
        file->settings.cutAt = at;
        ASSERT_EQ(outcome(run(body.size())), "connection");
        file->settings.cutAt.reset();
        file->resetSent();
        ASSERT_EQ(fs::file_size(partial), at);
    }
};

TEST(DownloadResume, ACutDownloadResumesWithOnlyTheMissingBytes) {
    Fixture f;
    const uint64_t cut = f.body.size() * 6 / 10;
    f.cutAt(cut);
    EXPECT_EQ(mode(f.partial), 0600u) << "others could read the partial file";
    EXPECT_EQ(PartialDownload::readValidator(f.partial), "\"v1\"");
    EXPECT_FALSE(fs::exists(f.target));

    std::vector<uint64_t> received;
    ASSERT_EQ(outcome(f.run(f.body.size(), {},
                            [&](uint64_t got, uint64_t expected) {
                                received.push_back(got);
                                EXPECT_EQ(expected, f.body.size()) << "total not the file's";
                            })),
              "success");
    EXPECT_EQ(f.file->lastRange(), "bytes=" + std::to_string(cut) + "-");
    EXPECT_EQ(f.file->lastIfRange(), "\"v1\"");
    EXPECT_EQ(f.file->sent(), f.body.size() - cut) << "sent more than the missing bytes";
    EXPECT_EQ(f.resumedAt, std::vector<uint64_t>{cut});
    ASSERT_FALSE(received.empty());
    EXPECT_GT(received.front(), cut);
    EXPECT_EQ(received.back(), f.body.size());
    EXPECT_TRUE(TempFolder::readText(f.target) == f.body) << "the resumed file differs";
    EXPECT_FALSE(fs::exists(f.partial));
    EXPECT_FALSE(fs::exists(PartialDownload::validatorFile(f.partial)));
}

TEST(DownloadResume, AnAnswerThatCannotContinueThePartialFileStartsOver) {
    struct Case {
        const char* fault;
        std::function<void(Fixture&)> arrange;
        std::string finalBody; // empty: the fixture's body
        size_t requests;       // made by the second attempt
    };
    const std::string changed = LoopbackServer::generatedBytes(11, 300'007);
    const std::vector<Case> cases{
        {"a server without ranges appended to", [](Fixture& f) { f.file->settings.ranges = false; },
         "", 1},
        {"a changed file continued (If-Range differs)",
         [&](Fixture& f) {
             f.file->settings.etag = "\"v2\"";
             f.file->settings.bytes = [changed](uint64_t offset, size_t length) {
                 return changed.substr(offset, length);
             };
         },
         changed, 1},
        {"a range that starts before the file's end appended",
         [](Fixture& f) { f.file->settings.misstate = -1000; }, "", 2},
        {"a range that starts after the file's end appended",
         [](Fixture& f) { f.file->settings.misstate = 1000; }, "", 2},
        {"a range that stops short of the end taken for the rest",
         [](Fixture& f) { f.file->settings.misstateEnd = -1000; }, "", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        Fixture f;
        f.cutAt(100'000);
        c.arrange(f);
        const size_t before = f.server.requestCount("/image.dmg");
        ASSERT_EQ(outcome(f.run(f.body.size())), "success");
        EXPECT_EQ(f.server.requestCount("/image.dmg") - before, c.requests);
        const std::string& expected = c.finalBody.empty() ? f.body : c.finalBody;
        EXPECT_TRUE(TempFolder::readText(f.target) == expected) << "old and new bytes mixed";
        EXPECT_FALSE(fs::exists(f.partial));
    }
}

TEST(DownloadResume, APartialFileLongerThanAnnouncedIsNotResumed) {
    Fixture f;
    TempFolder::writeText(f.partial, f.body + "tail");
    ASSERT_TRUE(PartialDownload::writeValidator(f.partial, "\"v1\""));
    ASSERT_EQ(outcome(f.run(f.body.size())), "success");
    EXPECT_EQ(f.file->lastRange(), "") << "asked for a range past the announced length";
    EXPECT_EQ(f.file->sent(), f.body.size());
    EXPECT_TRUE(TempFolder::readText(f.target) == f.body);
}

TEST(DownloadResume, OnlyAGuardedStartOfTheFileIsKeptAfterAFailure) {
    struct Case {
        const char* fault;
        std::string etag;
        uint64_t limit; // 0: the body's size
        bool cancel;
        std::string result;
        bool kept;
    };
    const std::vector<Case> cases{
        {"a cut download thrown away", "\"v1\"", 0, false, "connection", true},
        {"a canceled download thrown away", "\"v1\"", 0, true, "canceled", true},
        {"kept with nothing to guard a range", "", 0, false, "connection", false},
        {"kept with a weak ETag as the guard", "W/\"v1\"", 0, false, "connection", false},
        {"bytes beyond the limit kept", "\"v1\"", 1000, false, "tooLarge", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        Fixture f;
        f.file->settings.etag = c.etag;
        f.file->settings.cutAt = 200'000;
        std::stop_source stop;
        auto result = f.run(c.limit > 0 ? c.limit : f.body.size(), stop.get_token(),
                            [&](uint64_t received, uint64_t) {
                                if (c.cancel && received > 50'000) {
                                    stop.request_stop();
                                }
                            });
        EXPECT_EQ(outcome(result), c.result);
        EXPECT_EQ(fs::exists(f.partial), c.kept);
        EXPECT_EQ(fs::exists(PartialDownload::validatorFile(f.partial)), c.kept);
        EXPECT_FALSE(fs::exists(f.target));
    }
}

} // namespace
} // namespace kestle
