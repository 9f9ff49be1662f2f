#include "services/GoBackFlow.hpp"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QTimer>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "apps/InstalledApps.hpp"
#include "apps/RunningApps.hpp"
#include "helpers/AppBundleMaker.hpp"
#include "helpers/LogCapture.hpp"
#include "helpers/OfferedUpdate.hpp"
#include "helpers/TempFolder.hpp"
#include "model/KestleModel.hpp"
#include "model/LiveSetup.hpp"
#include "sessions/GoBackJob.hpp"
#include "sessions/SparkleSession.hpp"
#include "support/PreferenceStore.hpp"
#include "views/jobs/UpdateToast.hpp"

using kestle::AppEntry;
using kestle::CatalogApp;
using kestle::CheckResult;
using kestle::JobKind;
using kestle::PreviousCopy;
using kestle::RunningApps;
using kestle::UpdateFailure;
using kestle::UpdateState;
using kestle::Url;
using kestle::app::GoBackFlow;
using kestle::app::KestleModel;
using kestle::app::TrashFlow;
using kestle::test::AppBundleMaker;
using kestle::test::LogCapture;
using kestle::test::runUntil;
using kestle::test::TempFolder;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Notes installed at 1.0 (100) beside a feed offering 1.1 (101), and a model whose jobs
// are the application's own: the real updater and the go-back job. Alerts are recorded
// and answered with the first button. The checks tell of 1.1 only once offersLatest is
// set, so that no alert marks it seen before.
struct Fixture {
    kestle::test::OfferedUpdate offered{"Notes.app"};
    fs::path apps = offered.bundle.parent_path();
    std::unique_ptr<KestleModel> model;
    std::vector<TrashFlow::Alert> alerts;
    std::vector<std::vector<kestle::Alert>> posted;
    std::shared_ptr<bool> offersLatest = std::make_shared<bool>(false);

    Fixture() {
        kestle::app::Setup setup;
        const std::string feed = offered.feed;
        setup.checker = [feed, offersLatest = offersLatest](std::stop_token) {
            CatalogApp app;
            app.id = "notes";
            app.bundleID = AppBundleMaker::identifier;
            app.name = "Notes";
            app.feed = Url::parse(feed);
            CheckResult result;
            result.catalog = kestle::Catalog{1, {app}};
            kestle::FeedItem latest;
            latest.build = "101";
            latest.version = "1.1";
            if (*offersLatest) {
                result.latest = {{"notes", latest}};
            }
            return result;
        };
        const std::vector<Url> folders{Url::fromPath(apps.string())};
        setup.scanInstalled = [folders](const std::set<std::string>& ids) {
            return kestle::InstalledApps(folders).scan(ids);
        };
        setup.findPrevious = [folders](const std::map<std::string, kestle::InstalledApp>& found) {
            return kestle::app::LiveSetup::previousCopies(folders, found);
        };
        setup.scope = kestle::UpdateScope{folders};
        const auto options = offered.options();
        setup.makeSession =
            [options](const AppEntry& entry, JobKind kind,
                      kestle::UpdateHandlers handlers) -> std::unique_ptr<kestle::UpdateSession> {
            if (kind == JobKind::goBack) {
                return std::make_unique<kestle::app::GoBackJob>(entry, options.anchors,
                                                                std::move(handlers));
            }
            return std::make_unique<kestle::app::SparkleSession>(
                entry, std::move(handlers), kestle::app::SparkleSession::updaters(options));
        };
        setup.ledgerDefaults = std::make_shared<kestle::MemoryPreferences>();
        setup.termsAccepted = true;
        model = std::make_unique<KestleModel>(std::move(setup));
        model->post = [this](const std::vector<kestle::Alert>& due) { posted.push_back(due); };
        check();

        TrashFlow::shared().setPresenter(
            [this](const TrashFlow::Alert& alert, bool, std::function<void(int)> chosen) {
                alerts.push_back(alert);
                QTimer::singleShot(10, [chosen = std::move(chosen)] { chosen(0); });
            });
        TrashFlow::shared().setQuitDeadline(1500ms);
    }
    ~Fixture() {
        TrashFlow::shared().setPresenter({});
        TrashFlow::shared().setQuitDeadline(10s);
    }

    void check() {
        bool checked = false;
        model->check(kestle::app::CheckReason::background, [&] { checked = true; });
        ASSERT_TRUE(runUntil([&] { return checked; }));
    }
    AppEntry notes() const { return *model->entry("notes"); }
    std::string installedBuild() const {
        return TempFolder::readText(offered.bundle / "Contents/Resources/build.txt");
    }
    // Runs the update through the queue, as the window's Update button does.
    void update() {
        model->queue().update(notes());
        ASSERT_TRUE(runUntil(
            [&] { return !model->queue().state("notes") && model->previous(notes()).has_value(); },
            60s));
        ASSERT_EQ(installedBuild(), "101");
    }
    // Asks, and waits for the job's notice or its failure.
    void goBack() {
        const auto& notice = model->queue().notice();
        const int64_t last = notice ? notice->id : 0;
        GoBackFlow::shared().start(notes(), *model);
        ASSERT_TRUE(runUntil([&] {
            auto state = model->queue().state("notes");
            return (notice && notice->id != last) ||
                   (state && state->kind == UpdateState::Kind::failed);
        }));
    }
};

TEST(GoBackFlow, GoingBackQuitsTheOpenAppPutsTheOldOneBackReopensItAndSkipsTheBuild) {
    LogCapture log;
    Fixture f;
    f.update();
    const PreviousCopy kept = *f.model->previous(f.notes());
    EXPECT_EQ(kept.version, "1.0");
    const pid_t before = AppBundleMaker::launch(f.offered.bundle);

    f.goBack();
    ASSERT_EQ(f.alerts.size(), 1u);
    const TrashFlow::Alert& alert = f.alerts.front();
    EXPECT_EQ(alert.title, "Go Back to Notes 1.0?");
    EXPECT_TRUE(alert.text.startsWith("Notes 1.0 takes the place of Notes 1.1, which is removed"))
        << alert.text.toStdString();
    EXPECT_TRUE(alert.text.contains("Notes is open")) << alert.text.toStdString();
    EXPECT_EQ(alert.buttons, (QStringList{"Go Back", "Cancel"}));
    ASSERT_TRUE(f.model->queue().notice());
    EXPECT_EQ(kestle::app::UpdateToast::noticeText(*f.model->queue().notice()),
              "Notes is back to 1.0");

    EXPECT_EQ(f.installedBuild(), "100");
    EXPECT_FALSE(fs::exists(f.apps / PreviousCopy::folderName)) << "the newer bundle stays";
    // The open copy quit and the old version was opened in its place.
    ASSERT_TRUE(runUntil(
        [&] {
            auto running = RunningApps::find(f.offered.bundle);
            return !running.empty() && running.front() != before;
        },
        5s));
    EXPECT_TRUE(LogCapture::contains("notes: ended, wentBack"));

    // The next check offers 1.1 again but does not announce it.
    EXPECT_EQ(f.model->ledger().skippedBuilds.at("notes"), "101");
    *f.offersLatest = true;
    f.check();
    EXPECT_TRUE(f.notes().hasUpdate());
    EXPECT_FALSE(f.model->previous(f.notes()));
    for (const auto& due : f.posted) {
        for (const kestle::Alert& one : due) {
            EXPECT_NE(one.entry.id(), "notes") << "the skipped build was announced";
        }
    }
}

TEST(GoBackFlow, AKeptCopyChangedOnDiskIsRefusedAndNothingMoves) {
    Fixture f;
    f.update();
    const PreviousCopy kept = *f.model->previous(f.notes());
    TempFolder::writeText(kept.bundle / "Contents/Resources/build.txt", "100, patched");
    const auto before = TempFolder::snapshot(f.apps);

    f.goBack();
    auto state = f.model->queue().state("notes");
    ASSERT_TRUE(state);
    EXPECT_EQ(*state, UpdateState::failed(UpdateFailure::of(UpdateFailure::Kind::signature)));
    EXPECT_EQ(TempFolder::snapshot(f.apps), before);
    EXPECT_EQ(f.installedBuild(), "101");
    EXPECT_FALSE(f.model->ledger().skippedBuilds.contains("notes"));
}

} // namespace
