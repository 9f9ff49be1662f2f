#include <chrono>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "apps/InstalledApps.hpp"
#include "check/Checker.hpp"
#include "check/WebSource.hpp"
#include "helpers/AppBundleMaker.hpp"
#include "helpers/LogCapture.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/NotificationBus.hpp"
#include "helpers/OfferedUpdate.hpp"
#include "helpers/TestSigning.hpp"
#include "model/KestleModel.hpp"
#include "platform/FreedesktopNotifications.hpp"
#include "services/Notifier.hpp"
#include "services/WindowOpener.hpp"
#include "sessions/SparkleSession.hpp"
#include "updates/UpdateSession.hpp"

using kestle::Url;
using kestle::app::CheckReason;
using kestle::app::KestleModel;
using kestle::app::Notifier;
using kestle::app::SparkleSession;
using kestle::app::WindowOpener;
using kestle::test::AppBundleMaker;
using kestle::test::DunstServer;
using kestle::test::LogCapture;
using kestle::test::LoopbackServer;
using kestle::test::PrivateBus;
using kestle::test::runUntil;
using kestle::test::TestSigning;
using Json = nlohmann::json;
using namespace std::chrono_literals;

namespace {

// The whole way with a real server: Notes 1.0 is installed, the signed catalog and its
// feed offer 1.1 from a loopback server; a background check notifies it through dunst,
// and pressing the notification's "Update" button installs it.
TEST(NotifierWithDunst, ACheckNotifiesTheUpdateAndItsButtonInstallsIt) {
    if (!DunstServer::available()) {
        GTEST_SKIP() << "dunst or Xvfb is missing (scripts/setup installs them)";
    }
    PrivateBus bus;
    ASSERT_TRUE(bus.isUp());
    DunstServer dunst(bus);
    ASSERT_TRUE(dunst.isUp()) << "dunst did not start: " << dunst.diagnostics();

    kestle::test::OfferedUpdate offered("Notes.app");
    LoopbackServer& server = offered.server;
    const Json notes{{"id", "notes"},
                     {"bundleID", AppBundleMaker::identifier},
                     {"name", "Notes"},
                     {"tagline", {{"en", "Notes"}}},
                     {"description", {{"en", "Notes"}}},
                     {"status", "released"},
                     {"feed", offered.feed},
                     {"icon", "notes.png"},
                     {"minimumSystem", "14.0"}};
    server.serve(
        "/catalog.json",
        TestSigning::shared().envelope(Json{{"schema", 1}, {"apps", Json::array({notes})}}.dump()),
        "application/json");

    kestle::app::Setup setup;
    const Url catalog = *Url::parse(server.url("/catalog.json"));
    auto checker = std::make_shared<const kestle::Checker>(
        std::make_shared<const kestle::WebSource>(catalog), TestSigning::shared().key(),
        std::nullopt, "15.3.1", "arm64");
    setup.checker = [checker](std::stop_token stop) { return checker->check(std::move(stop)); };
    setup.catalogURL = catalog;
    const Url folder = Url::fromPath(offered.bundle.parent_path().string());
    setup.scanInstalled = [folder](const std::set<std::string>& ids) {
        return kestle::InstalledApps({folder}).scan(ids);
    };
    setup.scope = kestle::UpdateScope{{folder}};
    setup.makeSession =
        [options = offered.options()](
            const kestle::AppEntry& entry, kestle::JobKind,
            kestle::UpdateHandlers handlers) -> std::unique_ptr<kestle::UpdateSession> {
        return std::make_unique<SparkleSession>(entry, std::move(handlers),
                                                SparkleSession::updaters(options));
    };
    setup.termsAccepted = true;
    setup.defaults = std::make_shared<kestle::MemoryPreferences>();
    setup.ledgerDefaults = std::make_shared<kestle::MemoryPreferences>();
    KestleModel model(std::move(setup));

    Notifier notifier(std::make_unique<kestle::FreedesktopNotifications>(
                          bus.connection(), QStringLiteral("VelmarKestle"),
                          QStringLiteral("com.velmar.VelmarKestle")),
                      std::nullopt);
    notifier.attach(model, false);
    QStringList opened;
    WindowOpener::shared().setOpenWindow(
        [&opened](const QString& identifier, bool) { opened << identifier; });
    LogCapture log;

    bool checked = false;
    model.check(CheckReason::background, [&] { checked = true; });
    ASSERT_TRUE(runUntil([&] { return checked; }, 30s));
    ASSERT_TRUE(runUntil([&] { return notifier.shownId("update.notes").has_value(); }, 15s))
        << "the update was not notified";
    EXPECT_EQ(dunst.displayed(), 1);
    EXPECT_TRUE(log.contains("Notification update notes 1.1: There’s an Update for Notes"));

    ASSERT_TRUE(dunst.invoke(QStringLiteral("update")));
    ASSERT_TRUE(runUntil([&] { return log.contains("Notification clicked: notes, update"); }, 10s));
    ASSERT_TRUE(
        runUntil([&] { return offered.installedBuild() == "101" && !model.queue().isBusy(); }, 60s))
        << "installed build " << offered.installedBuild();
    EXPECT_EQ(opened, QStringList{"main"});
    EXPECT_EQ(model.detail(), "notes");
    EXPECT_TRUE(runUntil(
        [&] {
            const auto entry = model.entry("notes");
            return entry && entry->installed && entry->installed->build == "101";
        },
        10s))
        << "the model rescanned after the update";

    WindowOpener::shared().setOpenWindow({});
}

} // namespace
