#include "sessions/InstallJob.hpp"

#include <atomic>
#include <filesystem>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include <QtGlobal>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "helpers/LogCapture.hpp"
#include "helpers/TempFolder.hpp"
#include "helpers/TestSigning.hpp"

using kestle::AppEntry;
using kestle::DownloadError;
using kestle::Installer;
using kestle::UpdateFailure;
using kestle::UpdateOutcome;
using kestle::UpdateStep;
using kestle::Url;
using kestle::app::InstallJob;
using kestle::test::LogCapture;
using kestle::test::Recorder;
using kestle::test::runUntil;
using kestle::test::TempFolder;
using kestle::test::TestSigning;
namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

const std::string payload = "not really a disk image";

AppEntry entryWithDownload(bool download = true) {
    AppEntry entry;
    entry.app.id = "notes";
    entry.app.bundleID = "com.velmar.Notes";
    entry.app.name = "Notes";
    kestle::FeedItem latest;
    latest.build = "101";
    latest.version = "1.1";
    if (download) {
        latest.download = *Url::parse("https://example.com/Notes.dmg");
    }
    latest.length = static_cast<int64_t>(payload.size());
    latest.edSignature = TestSigning::shared().sign(payload);
    entry.latest = latest;
    return entry;
}

struct Fixture {
    TempFolder temp;
    Recorder recorder;
    std::shared_ptr<Installer> installer = std::make_shared<Installer>(
        Installer{.key = TestSigning::shared().key(), .work = temp / "work", .anchors = {}});
    Url folder = Url::fromPath((temp / "Applications").string());

    Fixture() { fs::create_directories(temp / "Applications"); }
};

TEST(InstallJob, EndsAtOnceWhenItCannotBegin) {
    struct Case {
        const char* name;
        bool folder;
        bool installer;
        bool download;
        UpdateFailure::Kind expected;
    };
    for (const Case& c :
         {Case{"no folder", false, true, true, UpdateFailure::Kind::outsideTestFolder},
          Case{"no key", true, false, true, UpdateFailure::Kind::signature},
          Case{"no download", true, true, false, UpdateFailure::Kind::damaged}}) {
        SCOPED_TRACE(c.name);
        Fixture f;
        InstallJob job(entryWithDownload(c.download),
                       c.folder ? std::optional(f.folder) : std::nullopt,
                       c.installer ? f.installer : nullptr, f.recorder.handlers());
        job.start();
        EXPECT_EQ(f.recorder.ends,
                  std::vector{UpdateOutcome::failed(UpdateFailure::of(c.expected))});
        EXPECT_TRUE(f.recorder.steps.empty());
    }
}

TEST(InstallJob, ProgressReachesTheQueueOncePerWholePercent) {
    Fixture f;
    f.installer->fetch =
        [](const Url&, const fs::path&, uint64_t, const kestle::Download::Progress& progress,
           std::stop_token,
           const kestle::Download::Options&) -> std::expected<void, DownloadError> {
        for (uint64_t i = 1; i <= 10'000; ++i) {
            progress(i, 10'000);
        }
        return std::unexpected(DownloadError::connection());
    };
    InstallJob job(entryWithDownload(), f.folder, f.installer, f.recorder.handlers());
    job.start();
    EXPECT_TRUE(f.recorder.ends.empty()) << "the end comes through the event loop";
    ASSERT_TRUE(runUntil([&] { return !f.recorder.ends.empty(); }));
    EXPECT_EQ(f.recorder.ends, std::vector{UpdateOutcome::failed(
                                   UpdateFailure::of(UpdateFailure::Kind::connection))});
    const size_t downloads = f.recorder.count(UpdateStep::Kind::downloading);
    EXPECT_LE(downloads, 101u);
    EXPECT_GE(downloads, 100u);
    uint64_t last = 0;
    for (const UpdateStep& step : f.recorder.steps) {
        EXPECT_GE(step.received, last) << "steps arrive in order";
        last = step.received;
    }
    EXPECT_EQ(f.recorder.steps.back(), UpdateStep::downloading(10'000, 10'000));
}

TEST(InstallJob, CancelStopsTheDownloadButNotTheChecks) {
    {
        SCOPED_TRACE("while downloading");
        Fixture f;
        f.installer->fetch =
            [](const Url&, const fs::path&, uint64_t, const kestle::Download::Progress& progress,
               std::stop_token stop,
               const kestle::Download::Options&) -> std::expected<void, DownloadError> {
            progress(1, 100);
            while (!stop.stop_requested()) {
                std::this_thread::sleep_for(5ms);
            }
            return std::unexpected(DownloadError::canceled());
        };
        InstallJob job(entryWithDownload(), f.folder, f.installer, f.recorder.handlers());
        job.start();
        ASSERT_TRUE(runUntil([&] { return f.recorder.count(UpdateStep::Kind::downloading) > 0; }));
        job.cancel();
        ASSERT_TRUE(runUntil([&] { return !f.recorder.ends.empty(); }));
        EXPECT_EQ(f.recorder.ends, std::vector{UpdateOutcome::canceled()});
    }
    {
        SCOPED_TRACE("while verifying");
        LogCapture log;
        Fixture f;
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        f.installer->fetch =
            [](const Url&, const fs::path& file, uint64_t, const kestle::Download::Progress&,
               std::stop_token,
               const kestle::Download::Options&) -> std::expected<void, DownloadError> {
            TempFolder::writeText(file, payload);
            return {};
        };
        f.installer->images.attach =
            [released](const Url&,
                       const Url&) -> std::expected<kestle::AttachedImage, kestle::DiskImageError> {
            released.wait();
            return std::unexpected(kestle::DiskImageError::attachFailed("not an image"));
        };
        InstallJob job(entryWithDownload(), f.folder, f.installer, f.recorder.handlers());
        job.start();
        ASSERT_TRUE(runUntil([&] { return f.recorder.count(UpdateStep::Kind::verifying) > 0; }));
        job.cancel();
        release.set_value();
        ASSERT_TRUE(runUntil([&] { return !f.recorder.ends.empty(); }));
        EXPECT_EQ(f.recorder.ends, std::vector{UpdateOutcome::failed(
                                       UpdateFailure::of(UpdateFailure::Kind::damaged))});
        EXPECT_FALSE(LogCapture::contains("canceled by the user"));
        EXPECT_TRUE(LogCapture::contains("notes: downloaded, checking"));
        EXPECT_TRUE(LogCapture::contains("notes: stopped: attach("));
    }
}

TEST(InstallJob, AnImageTooBigForTheDiskIsRefusedWithTheSpaceItNeeds) {
    LogCapture log;
    Fixture f;
    std::atomic<bool> fetched = false;
    f.installer->fetch =
        [&](const Url&, const fs::path&, uint64_t, const kestle::Download::Progress&,
            std::stop_token,
            const kestle::Download::Options&) -> std::expected<void, DownloadError> {
        fetched = true;
        return std::unexpected(DownloadError::connection());
    };
    AppEntry entry = entryWithDownload();
    entry.latest->length = int64_t{1} << 60;
    InstallJob job(entry, f.folder, f.installer, f.recorder.handlers());
    job.start();
    ASSERT_TRUE(runUntil([&] { return !f.recorder.ends.empty(); }));
    EXPECT_FALSE(fetched.load()) << "downloaded before the free space was looked at";
    EXPECT_EQ(f.recorder.ends, std::vector{UpdateOutcome::failed(UpdateFailure::other(-1))});
    EXPECT_TRUE(LogCapture::contains("notes: not enough free space in " +
                                     (f.temp / "work").string() +
                                     ": 1152921504606846976 bytes (1.00 EiB) needed"));
}

TEST(InstallJob, AReleasedJobFinishesSilently) {
    Fixture f;
    std::atomic<bool> fetched = false;
    f.installer->fetch =
        [&](const Url&, const fs::path&, uint64_t, const kestle::Download::Progress&,
            std::stop_token,
            const kestle::Download::Options&) -> std::expected<void, DownloadError> {
        std::this_thread::sleep_for(50ms);
        fetched = true;
        return std::unexpected(DownloadError::connection());
    };
    auto job = std::make_unique<InstallJob>(entryWithDownload(), f.folder, f.installer,
                                            f.recorder.handlers());
    job->start();
    job.reset();
    ASSERT_TRUE(runUntil([&] { return fetched.load(); }));
    kestle::test::spin(100ms);
    EXPECT_TRUE(f.recorder.ends.empty());
}

} // namespace
