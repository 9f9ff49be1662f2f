#include <chrono>
#include <filesystem>

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/TempFolder.hpp"
#include "helpers/TestSigning.hpp"
#include "install/Installer.hpp"
#include "model/KestleModel.hpp"
#include "sessions/InstallJob.hpp"
#include "shell/VelmarKestleApp.hpp"

using kestle::AppEntry;
using kestle::Url;
using kestle::app::KestleModel;
using kestle::app::VelmarKestleApp;
using kestle::test::LoopbackServer;
using kestle::test::runUntil;
using kestle::test::TempFolder;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Quit while a first install downloads from a server that trickles: the download is
// stopped, its working folder removed, nothing is installed, and the end does not wait.
TEST(Quit, DuringAnInstallEndsQuicklyAndLeavesNothing) {
    TempFolder temp;
    const fs::path apps = temp / "Applications";
    const fs::path work = temp / "work";
    fs::create_directories(apps);
    LoopbackServer server;
    server.trickle("/maps.dmg", 20ms);

    kestle::app::Setup setup;
    const std::string download = server.url("/maps.dmg");
    setup.checker = [download](std::stop_token) {
        kestle::CatalogApp app;
        app.id = "maps";
        app.bundleID = "com.velmar.maps";
        app.name = "Maps";
        app.feed = Url::parse("https://velmar.example/maps.xml");
        kestle::FeedItem latest;
        latest.build = "30";
        latest.version = "3.0";
        latest.download = Url::parse(download);
        latest.length = 50'000'000;
        latest.edSignature = kestle::test::TestSigning::shared().sign("something else");
        kestle::CheckResult result;
        result.catalog = kestle::Catalog{1, {app}};
        result.latest = {{"maps", latest}};
        return result;
    };
    setup.scanInstalled = [](const std::set<std::string>&) {
        return std::map<std::string, kestle::InstalledApp>{};
    };
    const Url folder = Url::fromPath(apps.string());
    setup.scope = kestle::UpdateScope{{folder}};
    auto installer = std::make_shared<kestle::Installer>(kestle::Installer{
        .key = kestle::test::TestSigning::shared().key(), .work = work, .anchors = {}});
    setup.makeSession =
        [folder,
         installer](const AppEntry& entry, kestle::JobKind,
                    kestle::UpdateHandlers handlers) -> std::unique_ptr<kestle::UpdateSession> {
        return std::make_unique<kestle::app::InstallJob>(entry, folder, installer,
                                                         std::move(handlers));
    };
    setup.termsAccepted = true;
    KestleModel model(std::move(setup));
    bool checked = false;
    model.check(kestle::app::CheckReason::user, [&] { checked = true; });
    ASSERT_TRUE(runUntil([&] { return checked; }));

    model.queue().install(*model.entry("maps"));
    ASSERT_TRUE(runUntil(
        [&] {
            auto state = model.queue().state("maps");
            return state && state->isRunning() &&
                   state->step.kind == kestle::UpdateStep::Kind::downloading && fs::exists(work) &&
                   !fs::is_empty(work);
        },
        10s));

    VelmarKestleApp shell({}, model, kestle::app::AppLanguage::system);
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(shell.finish(nullptr)) << "the download did not stop";
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(fs::is_empty(work)) << "a working folder was left";
    EXPECT_TRUE(fs::is_empty(apps)) << "something was installed";
}

} // namespace
