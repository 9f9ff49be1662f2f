#include "sessions/SparkleSession.hpp"

#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "UpdaterError.hpp"
#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "apps/InstalledApps.hpp"
#include "apps/RunningApps.hpp"
#include "helpers/AppBundleMaker.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/TempFolder.hpp"
#include "helpers/TestSigning.hpp"
#include "install/PreviousCopy.hpp"

using kestle::PlatformError;
using kestle::RunningApps;
using kestle::UpdateFailure;
using kestle::UpdateOutcome;
using kestle::UpdateStep;
using kestle::app::SparkleSession;
using kestle::test::AppBundleMaker;
using kestle::test::LoopbackServer;
using kestle::test::Recorder;
using kestle::test::runUntil;
using kestle::test::TempFolder;
using kestle::test::TestSigning;
namespace fs = std::filesystem;
namespace framework = kestle::framework;

namespace kestle {
void PrintTo(const UpdateOutcome& outcome, std::ostream* out) {
    *out << describe(outcome);
}
} // namespace kestle

namespace {

using namespace std::chrono_literals;
using Fail = UpdateFailure::Kind;

UpdateOutcome failed(Fail kind) {
    return UpdateOutcome::failed(UpdateFailure::of(kind));
}

std::string appcast(const std::string& items) {
    return R"(<?xml version="1.0"?><rss version="2.0" xmlns:sparkle="http://example.com/sparkle">)"
           "<channel><title>Notes</title>" +
           items + "</channel></rss>";
}

std::string item(const std::string& build, const std::string& version,
                 const std::string& enclosure) {
    return "<item><title>" + version + "</title><sparkle:version>" + build +
           "</sparkle:version><sparkle:shortVersionString>" + version +
           "</sparkle:shortVersionString>" + enclosure + "</item>";
}

std::string enclosure(const std::string& url, size_t length, const std::string& signature) {
    return R"(<enclosure type="application/octet-stream" url=")" + url + R"(" length=")" +
           std::to_string(length) + R"(" sparkle:edSignature=")" + signature + R"("/>)";
}

// An installed Notes.app at build 100 whose feed is served by a loopback server, and
// build 101 as a signed image.
struct Fixture {
    TempFolder temp;
    fs::path apps = temp / "Applications";
    fs::path app = apps / "Notes.app";
    fs::path work = temp / "work";
    fs::path state = temp / "state";
    LoopbackServer server;
    Recorder recorder;
    std::string image;

    explicit Fixture(bool refusesQuit = false) {
        fs::create_directories(apps);
        fs::create_directories(work);
        fs::create_directories(state);
        fs::permissions(state, fs::perms::owner_all);
        ::setenv("KESTLE_DISKUTIL_STATE", state.c_str(), 1);
        AppBundleMaker::make(app, {.build = "100",
                                   .version = "1.0",
                                   .feedURL = server.url("/appcast.xml"),
                                   .refusesQuit = refusesQuit});
        AppBundleMaker::make(
            temp / "new/Notes.app",
            {.build = "101", .version = "1.1", .feedURL = server.url("/appcast.xml")});
        image = AppBundleMaker::image(temp / "new", temp / "new.iso");
        server.serve("/Notes.dmg", image);
    }
    ~Fixture() {
        AppBundleMaker::killAll(temp.path());
        ::unsetenv("KESTLE_DISKUTIL_STATE");
    }

    void offer(const std::string& signature) {
        server.serve("/appcast.xml",
                     appcast(item("101", "1.1",
                                  enclosure(server.url("/Notes.dmg"), image.size(), signature))),
                     "application/xml");
    }
    void offerGood() { offer(TestSigning::shared().sign(image)); }

    framework::Updater::Options options() const {
        framework::Updater::Options options;
        options.anchors = AppBundleMaker::anchors();
        options.diskTool = KESTLE_DISKUTIL_TOOL;
        options.work = work;
        options.quitGrace = 300ms;
        options.quitPoll = 20ms;
        return options;
    }

    std::unique_ptr<SparkleSession> session(kestle::AppEntry entry) {
        return std::make_unique<SparkleSession>(std::move(entry), recorder.handlers(),
                                                SparkleSession::updaters(options()),
                                                SparkleSession::Timing{200ms, 100ms, 50ms});
    }

    // Runs one session to its end; the session is released afterwards, as the queue does.
    std::optional<UpdateOutcome>
    run(const std::function<void(SparkleSession&, const UpdateStep&)>& onStep = {}) {
        auto job = session(kestle::test::notesEntry(app.string()));
        SparkleSession* raw = job.get();
        recorder.onStep = [raw, onStep](const UpdateStep& step) {
            if (onStep) {
                onStep(*raw, step);
            }
        };
        job->start();
        EXPECT_TRUE(runUntil([&] { return !recorder.ends.empty(); }, 60s));
        kestle::test::spin(100ms); // the updater's release and any late calls
        job.reset();
        EXPECT_LE(recorder.ends.size(), 1u);
        return recorder.ends.empty() ? std::nullopt : std::optional(recorder.ends.front());
    }

    std::string installedBuild() const {
        auto read = kestle::InstalledApps::read(kestle::Url::fromPath(app.string()));
        return read ? read->second.build : "?";
    }

    // Only the app in the folder (and the replaced copy, kept, after an update), an
    // empty working folder, no image left attached.
    void expectNoTraces(bool updated = false) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(apps)) {
            names.insert(entry.path().filename().string());
        }
        std::set<std::string> expected{"Notes.app"};
        if (updated) {
            expected.insert(std::string(kestle::PreviousCopy::folderName));
        }
        EXPECT_EQ(names, expected);
        EXPECT_TRUE(fs::is_empty(work)) << "working files left";
        EXPECT_TRUE(fs::is_empty(state)) << "an image is still attached";
    }
};

TEST(SparkleSessionCycle, UpdatesARunningAppQuitsItAndReopensIt) {
    Fixture fixture;
    fixture.offerGood();
    const pid_t old = AppBundleMaker::launch(fixture.app);
    ASSERT_FALSE(RunningApps::find(fixture.app).empty());

    EXPECT_EQ(fixture.run(), UpdateOutcome::updated());

    EXPECT_EQ(fixture.installedBuild(), "101");
    EXPECT_TRUE(kestle::CodeCheck::checkDeveloperID(fixture.app, kestle::CodeCheck::velmarTeam,
                                                    AppBundleMaker::identifier,
                                                    AppBundleMaker::anchors()));
    fixture.expectNoTraces(/*updated=*/true);
    // The old copy quit; a new one runs from the updated bundle.
    ASSERT_TRUE(runUntil([&] { return !RunningApps::find(fixture.app).empty(); }, 5s));
    for (pid_t pid : RunningApps::find(fixture.app)) {
        EXPECT_NE(pid, old);
    }
    const auto& steps = fixture.recorder.steps;
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), UpdateStep::checking());
    EXPECT_GE(fixture.recorder.count(UpdateStep::Kind::downloading), 2u);
    EXPECT_EQ(fixture.recorder.count(UpdateStep::Kind::verifying), 1u);
    EXPECT_EQ(steps.back(), UpdateStep::installing(false));
    EXPECT_EQ(fixture.server.lastHeaders("/appcast.xml")->find("User-Agent")->second,
              SparkleSession::userAgent());
}

TEST(SparkleSessionCycle, AnAppThatRefusesToQuitIsReportedAndAskedAgain) {
    Fixture fixture(/*refusesQuit=*/true);
    fixture.offerGood();
    const pid_t stubborn = AppBundleMaker::launch(fixture.app);
    bool askedAgain = false;
    auto outcome = fixture.run([&](SparkleSession& session, const UpdateStep& step) {
        if (step.kind == UpdateStep::Kind::waitingForQuit && !askedAgain) {
            askedAgain = true;
            session.retryQuit(); // still ignored by the app
            ::kill(stubborn, SIGKILL);
        }
    });
    EXPECT_TRUE(askedAgain);
    EXPECT_EQ(outcome, UpdateOutcome::updated());
    EXPECT_EQ(fixture.installedBuild(), "101");
    const auto& steps = fixture.recorder.steps;
    auto installing = std::find(steps.begin(), steps.end(), UpdateStep::installing(true));
    ASSERT_NE(installing, steps.end()) << "the wait for the app was not reported";
    auto waiting = std::find(installing, steps.end(), UpdateStep::waitingForQuit());
    ASSERT_NE(waiting, steps.end());
    EXPECT_NE(std::find(waiting, steps.end(), UpdateStep::installing(true)), steps.end())
        << "retryQuit reports the new request";
    fixture.expectNoTraces(/*updated=*/true);
}

TEST(SparkleSessionCycle, FailuresLeaveTheInstalledAppUntouched) {
    struct Case {
        const char* name;
        std::function<void(Fixture&)> arrange;
        UpdateOutcome expected;
    };
    const std::vector<Case> cases = {
        {"nothing newer",
         [](Fixture& f) {
             f.server.serve("/appcast.xml",
                            appcast(item("100", "1.0",
                                         enclosure(f.server.url("/Notes.dmg"), f.image.size(),
                                                   TestSigning::shared().sign(f.image)))),
                            "application/xml");
         },
         UpdateOutcome::noUpdate()},
        {"signature by another key",
         [](Fixture& f) { f.offer(kestle::test::otherSigning().sign(f.image)); },
         failed(Fail::signature)},
        {"download cut off",
         [](Fixture& f) {
             f.offerGood();
             f.server.cutShort("/Notes.dmg", f.image, f.image.size() / 2);
         },
         failed(Fail::connection)},
        {"information only",
         [](Fixture& f) { f.server.serve("/appcast.xml", appcast(item("101", "1.1", ""))); },
         failed(Fail::informationOnly)},
        {"feed server error", [](Fixture& f) { f.server.respond("/appcast.xml", 500); },
         failed(Fail::connection)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture fixture;
        c.arrange(fixture);
        const auto before = TempFolder::snapshot(fixture.app);
        EXPECT_EQ(fixture.run(), c.expected);
        EXPECT_EQ(TempFolder::snapshot(fixture.app), before);
        fixture.expectNoTraces();
    }
}

TEST(SparkleSessionCycle, UserCancelDuringTheDownloadEndsCanceled) {
    Fixture fixture;
    fixture.offerGood();
    fixture.server.pauseMidway("/Notes.dmg", fixture.image, fixture.image.size() / 3, 20s);
    const auto before = TempFolder::snapshot(fixture.app);
    bool canceled = false;
    auto outcome = fixture.run([&](SparkleSession& session, const UpdateStep& step) {
        if (step.kind == UpdateStep::Kind::downloading && step.received > 0 && !canceled) {
            canceled = true;
            session.cancel();
        }
    });
    EXPECT_TRUE(canceled);
    EXPECT_EQ(outcome, UpdateOutcome::canceled());
    EXPECT_EQ(TempFolder::snapshot(fixture.app), before);
    fixture.expectNoTraces();
}

TEST(SparkleSessionCycle, AnAppMovedAwayEndsWithoutAnUpdater) {
    Fixture fixture;
    fixture.offerGood();
    fs::rename(fixture.app, fixture.apps / "Elsewhere.app");
    auto job = fixture.session(kestle::test::notesEntry(fixture.app.string()));
    job->start(); // ends before it returns
    ASSERT_EQ(fixture.recorder.ends.size(), 1u);
    EXPECT_EQ(fixture.recorder.ends.front(), failed(Fail::appMissing));
    EXPECT_FALSE(job->hasUpdater());
    EXPECT_EQ(fixture.server.requestCount("/appcast.xml"), 0u);
}

// An updater that does nothing by itself: the test plays the framework's part.
class ScriptedUpdater : public framework::Updater {
public:
    using Updater::Updater;
    std::expected<void, PlatformError> startUpdater() override { return startResult; }
    void checkForUpdates() override { ++checks; }

    std::expected<void, PlatformError> startResult;
    int checks = 0;
};

struct Scripted {
    TempFolder temp;
    fs::path app = temp / "Notes.app";
    Recorder recorder;
    ScriptedUpdater* updater = nullptr;
    std::unique_ptr<SparkleSession> session;

    Scripted() {
        AppBundleMaker::make(app, {.feedURL = "https://example.com/appcast.xml"});
        session = std::make_unique<SparkleSession>(
            kestle::test::notesEntry(app.string()), recorder.handlers(),
            [this](const framework::Bundle& bundle, SparkleSession& owner) {
                auto made = std::make_unique<ScriptedUpdater>(bundle, bundle, &owner, &owner);
                updater = made.get();
                return made;
            },
            SparkleSession::Timing{200ms, 50ms, 20ms});
    }
    ~Scripted() { AppBundleMaker::killAll(temp.path()); }

    framework::AppcastItem item(bool withDownload = true) const {
        kestle::FeedItem feed;
        feed.build = "101";
        feed.version = "1.1";
        feed.length = 1000;
        if (withDownload) {
            feed.download = *kestle::Url::parse("https://example.com/Notes.dmg");
        }
        return {feed};
    }
    void endCycle(const std::optional<PlatformError>& error) {
        session->didFinishUpdateCycle(*updater, framework::UpdateCheck::updates, error);
    }
};

TEST(SparkleSessionCallbacks, FinalOutcomeFollowsWhatWasRecorded) {
    const PlatformError downloadFailed =
        framework::UpdaterError::make(framework::UpdaterError::download, "failed");
    {
        SCOPED_TRACE("a cancel wins over an error that follows it");
        Scripted s;
        s.session->start();
        ASSERT_EQ(s.updater->checks, 1);
        bool stopped = false;
        s.session->showDownloadInitiated([&] { stopped = true; });
        s.session->cancel();
        EXPECT_TRUE(stopped);
        s.session->showUpdaterError(downloadFailed, [] {});
        s.endCycle(downloadFailed);
        EXPECT_EQ(s.recorder.ends, std::vector{UpdateOutcome::canceled()});
    }
    {
        SCOPED_TRACE("a cycle that ends quietly with nothing recorded was called off");
        Scripted s;
        s.session->start();
        s.endCycle(std::nullopt);
        EXPECT_EQ(s.recorder.ends, std::vector{UpdateOutcome::canceled()});
    }
    {
        SCOPED_TRACE("an install already under way in the running app is handed to it");
        Scripted s;
        AppBundleMaker::launch(s.app);
        s.session->start();
        std::optional<framework::UserUpdateChoice> choice;
        s.session->showUpdateFound(s.item(), {framework::UserUpdateState::Stage::installing, true},
                                   [&](framework::UserUpdateChoice c) { choice = c; });
        EXPECT_EQ(choice, framework::UserUpdateChoice::dismiss);
        s.endCycle(std::nullopt);
        EXPECT_EQ(s.recorder.ends, std::vector{UpdateOutcome::handedToApp()});
    }
    {
        SCOPED_TRACE("updated stays updated whatever follows");
        Scripted s;
        s.session->start();
        s.session->showUpdateInstalledAndRelaunched(true, [] {});
        s.session->showUpdaterError(downloadFailed, [] {});
        s.endCycle(downloadFailed);
        EXPECT_EQ(s.recorder.ends, std::vector{UpdateOutcome::updated()});
    }
    {
        SCOPED_TRACE("the end is reported once, whichever comes first");
        Scripted s;
        s.session->start();
        s.session->showUpdateNotFound(
            framework::UpdaterError::make(framework::UpdaterError::noUpdate, "none"), [] {});
        s.session->dismissUpdateInstallation();
        s.endCycle(framework::UpdaterError::make(framework::UpdaterError::noUpdate, "none"));
        kestle::test::spin(150ms); // past the dismissal timer
        EXPECT_EQ(s.recorder.ends, std::vector{UpdateOutcome::noUpdate()});
    }
    {
        SCOPED_TRACE("a dismissal without the cycle's end still ends the job");
        Scripted s;
        s.session->start();
        s.session->dismissUpdateInstallation();
        EXPECT_TRUE(s.recorder.ends.empty());
        EXPECT_TRUE(runUntil([&] { return !s.recorder.ends.empty(); }, 2s));
        EXPECT_EQ(s.recorder.ends, std::vector{UpdateOutcome::canceled()});
    }
}

TEST(SparkleSessionCallbacks, QuestionsAreAnsweredWithoutAWindow) {
    Scripted s;
    s.session->start();
    EXPECT_TRUE(s.session->mayPerformUpdateCheck(*s.updater, framework::UpdateCheck::updates));
    auto refused =
        s.session->mayPerformUpdateCheck(*s.updater, framework::UpdateCheck::updatesInBackground);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().domain, "VelmarKestle");
    EXPECT_EQ(refused.error().code, 1);
    EXPECT_FALSE(s.session->shouldPromptForPermissionToCheckForUpdates(*s.updater));

    std::optional<framework::UserUpdateChoice> info;
    s.session->showUpdateFound(s.item(false), {}, [&](auto c) { info = c; });
    EXPECT_EQ(info, framework::UserUpdateChoice::dismiss);

    s.session->showUpdatePermissionRequest([](bool) { FAIL() << "never answered"; });
    EXPECT_EQ(s.recorder.ends, std::vector{UpdateOutcome::failed(UpdateFailure::other(0))});
}

TEST(SparkleSessionCallbacks, ProgressIsThinnedToWholePercents) {
    Scripted s;
    s.session->start();
    std::optional<framework::UserUpdateChoice> choice;
    s.session->showUpdateFound(s.item(), {}, [&](auto c) { choice = c; });
    EXPECT_EQ(choice, framework::UserUpdateChoice::install);
    s.session->showDownloadInitiated([] {});
    s.session->showDownloadDidReceiveExpectedContentLength(10'000);
    for (int i = 0; i < 10'000; ++i) {
        s.session->showDownloadDidReceiveDataOfLength(1);
    }
    size_t downloads = s.recorder.count(UpdateStep::Kind::downloading);
    EXPECT_LE(downloads, 101u);
    EXPECT_GE(downloads, 100u);
    EXPECT_EQ(s.recorder.steps.back(), UpdateStep::downloading(10'000, 10'000));
}

TEST(SparkleSessionCallbacks, AnUpdaterThatCannotStartIsClassified) {
    Scripted s;
    s.session = std::make_unique<SparkleSession>(
        kestle::test::notesEntry(s.app.string()), s.recorder.handlers(),
        [](const framework::Bundle& bundle, SparkleSession& owner) {
            auto made = std::make_unique<ScriptedUpdater>(bundle, bundle, &owner, &owner);
            made->startResult = std::unexpected(
                framework::UpdaterError::make(framework::UpdaterError::noPublicKey, "no key"));
            return made;
        });
    s.session->start();
    EXPECT_EQ(s.recorder.ends, std::vector{failed(Fail::signature)});
}

} // namespace
