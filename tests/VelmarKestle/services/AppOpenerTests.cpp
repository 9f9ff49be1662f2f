#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "apps/RunningApps.hpp"
#include "helpers/AppBundleMaker.hpp"
#include "helpers/TempFolder.hpp"
#include "model/Configuration.hpp"
#include "services/AppOpener.hpp"
#include "services/LiveActions.hpp"

using kestle::AppEntry;
using kestle::InstalledApp;
using kestle::RunningApps;
using kestle::Url;
using kestle::app::AppOpener;
using kestle::test::AppBundleMaker;
using kestle::test::TempFolder;
using kestle::test::ViewTestModel;

using namespace std::chrono_literals;

namespace {

AppEntry installedAt(const std::filesystem::path& bundle) {
    AppEntry entry;
    entry.app = ViewTestModel::catalogApp("notes", "Notes", true);
    entry.installed = InstalledApp{Url::fromPath(bundle.string()), "1.0", "100"};
    return entry;
}

// Copies running from the bundle once the ones just started have shown up.
size_t settledCopies(const std::filesystem::path& bundle) {
    kestle::test::runUntil([&] { return !RunningApps::find(bundle).empty(); }, 5s);
    kestle::test::spin(300ms);
    return RunningApps::find(bundle).size();
}

struct Bundle {
    TempFolder folder;
    std::filesystem::path path = folder.path() / "Notes.app";
    Bundle() { AppBundleMaker::make(path, {}); }
    ~Bundle() { AppBundleMaker::killAll(folder.path()); }
};

TEST(AppOpener, OpenTwiceInARowStartsOneCopy) {
    Bundle bundle;
    const auto actions = kestle::app::LiveActions::make(kestle::app::Configuration{});
    // A double click on "Open": the second comes before the first copy shows up.
    actions.open(installedAt(bundle.path));
    actions.open(installedAt(bundle.path));
    EXPECT_EQ(settledCopies(bundle.path), 1u);

    // Later, with the copy running, another request leaves it alone.
    AppOpener later({}, 0s);
    EXPECT_EQ(later.open(installedAt(bundle.path)), AppOpener::Outcome::alreadyRunning);
    EXPECT_EQ(settledCopies(bundle.path), 1u);
}

TEST(AppOpener, ACopyStartedElsewhereIsNotStartedAgain) {
    Bundle bundle;
    AppBundleMaker::launch(bundle.path);
    AppOpener opener;
    EXPECT_EQ(opener.open(installedAt(bundle.path)), AppOpener::Outcome::alreadyRunning);
    EXPECT_EQ(settledCopies(bundle.path), 1u);
}

TEST(AppOpener, RequestsInsideTheSettleTimeAreDroppedPerBundle) {
    AppOpener::Clock::time_point now{};
    std::vector<std::string> started;
    bool startFails = false;
    AppOpener opener(
        {.running = [](const std::filesystem::path&) { return std::vector<pid_t>{}; },
         .start = [&](const std::filesystem::path& bundle) -> std::expected<void, QString> {
             if (startFails) {
                 return std::unexpected(QStringLiteral("no"));
             }
             started.push_back(bundle.filename().string());
             return {};
         },
         .now = [&] { return now; }},
        3s);
    const AppEntry notes = installedAt("/Applications/Notes.app");
    const AppEntry maps = installedAt("/Applications/Maps.app");

    struct Step {
        const char* fault;
        std::chrono::milliseconds at;
        const AppEntry& entry;
        bool fails;
        AppOpener::Outcome outcome;
    };
    const Step steps[] = {
        {"the first request starts", 0ms, notes, false, AppOpener::Outcome::started},
        {"a double click is dropped", 200ms, notes, false, AppOpener::Outcome::justStarted},
        {"another bundle is not held up", 300ms, maps, false, AppOpener::Outcome::started},
        {"still settling", 2900ms, notes, false, AppOpener::Outcome::justStarted},
        {"once settled, a copy that quit opens again", 3000ms, notes, false,
         AppOpener::Outcome::started},
        {"a failed start", 9000ms, maps, true, AppOpener::Outcome::failed},
        {"does not hold up the retry", 9100ms, maps, false, AppOpener::Outcome::started},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.fault);
        now = AppOpener::Clock::time_point(step.at);
        startFails = step.fails;
        EXPECT_EQ(opener.open(step.entry), step.outcome);
    }
    EXPECT_EQ(started,
              (std::vector<std::string>{"Notes.app", "Maps.app", "Notes.app", "Maps.app"}));

    AppEntry notInstalled = notes;
    notInstalled.installed.reset();
    EXPECT_EQ(opener.open(notInstalled), AppOpener::Outcome::notInstalled);
}

} // namespace
