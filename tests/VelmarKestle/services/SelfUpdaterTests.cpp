#include "services/SelfUpdater.hpp"

#include <chrono>
#include <filesystem>

#include <QPushButton>

#include <gtest/gtest.h>

#include "apps/RunningApps.hpp"
#include "helpers/AppBundleMaker.hpp"
#include "helpers/LogCapture.hpp"
#include "helpers/OfferedUpdate.hpp"
#include "helpers/TempFolder.hpp"
#include "model/Configuration.hpp"
#include "model/KestleModel.hpp"
#include "services/AppFlags.hpp"

#include "VelmarKestle/views/ViewTestModel.hpp"

using kestle::RunningApps;
using kestle::app::Configuration;
using kestle::app::SelfUpdater;
using kestle::framework::AppcastItem;
using kestle::framework::UserUpdateState;
using kestle::test::AppBundleMaker;
using kestle::test::LogCapture;
using kestle::test::runUntil;
using kestle::test::TempFolder;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

Configuration configured(bool feed, bool key) {
    Configuration config;
    config.feedURL = feed ? "https://velmar.example/kestle.xml" : "";
    config.publicEDKey = key ? "c29tZSBrZXk=" : "";
    return config;
}

AppcastItem item(const std::string& version) {
    AppcastItem found;
    found.item.build = "200";
    found.item.version = version;
    return found;
}

TEST(SelfUpdater, WithoutAFeedOrAKeyNothingStarts) {
    for (auto [feed, key] :
         {std::pair{false, true}, std::pair{true, false}, std::pair{false, false}}) {
        LogCapture log;
        SelfUpdater updater(configured(feed, key));
        EXPECT_FALSE(updater.isConfigured());
        updater.start(true, [] { return false; });
        EXPECT_EQ(updater.controller(), nullptr);
        updater.checkForUpdates();
        EXPECT_TRUE(LogCapture::contains("Check for VelmarKestle updates chosen"));
        EXPECT_FALSE(LogCapture::contains("Started"));
    }
}

TEST(SelfUpdater, StartingMakesOneControllerWithTheDailyChoice) {
    TempFolder temp;
    AppBundleMaker::make(temp / "VelmarKestle.app", {});
    SelfUpdater updater(configured(true, true));
    updater.setOptions(temp / "VelmarKestle.app", {});
    LogCapture log;
    updater.start(false, [] { return false; });
    ASSERT_NE(updater.controller(), nullptr);
    ASSERT_NE(updater.controller()->updater(), nullptr);
    EXPECT_FALSE(updater.controller()->updater()->automaticallyChecksForUpdates());
    EXPECT_TRUE(LogCapture::contains("Started, daily check off"));
    auto* first = updater.controller();
    updater.start(true, [] { return false; });
    EXPECT_EQ(updater.controller(), first);
}

// The relaunch waits while the queue is busy and happens exactly once when it is idle.
TEST(SelfUpdater, ARelaunchWaitsForTheQueueAndHappensOnce) {
    TempFolder temp;
    AppBundleMaker::make(temp / "VelmarKestle.app", {});
    SelfUpdater updater(configured(true, true));
    updater.setOptions(temp / "VelmarKestle.app", {});
    bool busy = true;
    updater.start(false, [&] { return busy; });
    ASSERT_NE(updater.controller(), nullptr);
    ASSERT_NE(updater.controller()->updater(), nullptr);
    auto& delegate = updater.delegate();
    kestle::framework::Updater* framework = updater.controller()->updater();
    int relaunches = 0;
    LogCapture log;
    EXPECT_TRUE(
        delegate.shouldPostponeRelaunchForUpdate(*framework, item("2.0"), [&] { ++relaunches; }));
    EXPECT_TRUE(LogCapture::contains("Relaunch for 2.0 waits for the queue"));
    // A newer one replaces it.
    EXPECT_TRUE(delegate.shouldPostponeRelaunchForUpdate(*framework, item("2.1"),
                                                         [&] { relaunches += 10; }));
    updater.relaunchIfIdle();
    EXPECT_EQ(relaunches, 0) << "still busy";
    busy = false;
    updater.relaunchIfIdle();
    updater.relaunchIfIdle();
    EXPECT_EQ(relaunches, 10);
    EXPECT_TRUE(LogCapture::contains("Queue empty: relaunching for the update"));
    EXPECT_FALSE(delegate.shouldPostponeRelaunchForUpdate(*framework, item("2.2"), [&] {
        ++relaunches;
    })) << "an idle queue does not postpone";

    // Replacing itself, the application leaves the start of the new copy to the shell,
    // which waits until this one has ended: the new copy must be the one instance.
    kestle::app::AppFlags::relaunchRequested = false;
    delegate.relaunchHostApplication(*framework, temp / "VelmarKestle.app/Contents/MacOS/Notes");
    EXPECT_TRUE(kestle::app::AppFlags::relaunchRequested);
    kestle::app::AppFlags::relaunchRequested = false;
}

TEST(SelfUpdater, OnlyAScheduledFindWaitsInTheMenu) {
    SelfUpdater updater(configured(true, true));
    auto& delegate = updater.delegate();
    delegate.owner = &updater;
    int changes = 0;
    QObject::connect(&updater, &SelfUpdater::updateWaitingChanged, [&] { ++changes; });
    delegate.standardUserDriverWillHandleShowingUpdate(true, item("2.0"),
                                                       UserUpdateState{.userInitiated = true});
    EXPECT_FALSE(updater.updateWaiting());
    LogCapture log;
    delegate.standardUserDriverWillHandleShowingUpdate(false, item("2.0"), UserUpdateState{});
    EXPECT_TRUE(updater.updateWaiting());
    EXPECT_TRUE(LogCapture::contains("Update 2.0 waiting in the menu"));
    delegate.standardUserDriverDidReceiveUserAttentionForUpdate(item("2.0"));
    EXPECT_FALSE(updater.updateWaiting());
    delegate.standardUserDriverWillHandleShowingUpdate(false, item("2.0"), UserUpdateState{});
    delegate.standardUserDriverWillFinishUpdateSession();
    EXPECT_FALSE(updater.updateWaiting());
    EXPECT_EQ(changes, 4);
}

// Presses the button with this text in the updater's window once it shows.
bool press(SelfUpdater& updater, const QString& text) {
    return runUntil(
        [&] {
            QDialog* window = updater.controller()->userDriver().window();
            if (window == nullptr) {
                return false;
            }
            for (QPushButton* button : window->findChildren<QPushButton*>()) {
                if (button->isVisible() && button->isEnabled() && button->text() == text) {
                    button->click();
                    return true;
                }
            }
            return false;
        },
        30s);
}

// The whole way: the running application at build 100, its loopback feed offering 101
// signed with the test key, and an app update running in the queue meanwhile. The self
// update downloads and waits for the queue, then installs and relaunches the new build.
TEST(SelfUpdater, AnUpdateWaitsForTheQueueThenInstallsAndRelaunchesTheNewBuild) {
    kestle::test::OfferedUpdate offered("VelmarKestle.app");
    const fs::path& bundle = offered.bundle;
    const pid_t old = AppBundleMaker::launch(bundle);

    kestle::test::ViewTestModel fixture;
    kestle::app::KestleModel& model = *fixture.model;
    model.queue().update(fixture.entry("notes"));
    ASSERT_TRUE(model.queue().isBusy());

    SelfUpdater updater(configured(true, true));
    updater.setOptions(bundle, offered.options());
    model.onQueueIdle = [&updater] { updater.relaunchIfIdle(); };
    updater.start(false, [&model] { return model.queue().isBusy(); });
    ASSERT_NE(updater.controller(), nullptr);
    LogCapture log;

    updater.checkForUpdates();
    ASSERT_TRUE(press(updater, "Install Update"));
    ASSERT_TRUE(press(updater, "Install and Relaunch"));
    ASSERT_TRUE(
        runUntil([] { return LogCapture::contains("Relaunch for 1.1 waits for the queue"); }, 30s));
    kestle::test::spin(300ms);
    EXPECT_EQ(offered.installedBuild(), "100") << "nothing installed while the queue is busy";
    EXPECT_EQ(RunningApps::find(bundle), std::vector<pid_t>{old});

    fixture.script->end(kestle::UpdateOutcome::updated());
    ASSERT_TRUE(runUntil(
        [&] {
            const auto running = RunningApps::find(bundle);
            return offered.installedBuild() == "101" && running.size() == 1 &&
                   running.front() != old;
        },
        30s))
        << "build " << offered.installedBuild();
    EXPECT_TRUE(LogCapture::contains("Queue empty: relaunching for the update"));
    EXPECT_TRUE(runUntil([&] { return !updater.controller()->updater()->sessionInProgress(); }));
    EXPECT_TRUE(fs::is_empty(offered.work)) << "working files left";
}

} // namespace
