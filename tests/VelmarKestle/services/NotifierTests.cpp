#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QDBusConnection>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include "helpers/LogCapture.hpp"
#include "helpers/NotificationBus.hpp"
#include "model/KestleModel.hpp"
#include "platform/FreedesktopNotifications.hpp"
#include "services/Notifier.hpp"
#include "services/WindowOpener.hpp"

#include "VelmarKestle/views/ViewTestModel.hpp"

using kestle::Alert;
using kestle::AppEntry;
using kestle::FreedesktopNotifications;
using kestle::app::Notifier;
using kestle::app::WindowOpener;
using kestle::test::LogCapture;
using kestle::test::MockNotificationServer;
using kestle::test::PrivateBus;
using kestle::test::runUntil;
using kestle::test::ViewTestModel;

namespace {

std::unique_ptr<Notifier> notifierOn(const QDBusConnection& connection) {
    return std::make_unique<Notifier>(
        std::make_unique<FreedesktopNotifications>(connection, QStringLiteral("VelmarKestle"),
                                                   QStringLiteral("com.velmar.VelmarKestle")),
        std::nullopt);
}

bool post(Notifier& notifier, std::vector<Alert> alerts) {
    bool done = false;
    notifier.post(std::move(alerts), [&] { done = true; });
    return runUntil([&] { return done; }, std::chrono::seconds(15));
}

// The windows a click opened, recorded instead of shown.
struct OpenedWindows {
    std::shared_ptr<QStringList> opened = std::make_shared<QStringList>();
    OpenedWindows() {
        WindowOpener::shared().setOpenWindow(
            [opened = opened](const QString& identifier, bool) { *opened << identifier; });
    }
    ~OpenedWindows() { WindowOpener::shared().setOpenWindow({}); }
};

class NotifierOnBus : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bus.isUp()) {
            GTEST_SKIP() << "dbus-daemon is missing: no private session bus to test on";
        }
        if (!MockNotificationServer::available()) {
            GTEST_SKIP() << "python3-dbusmock is missing (apt-get install python3-dbusmock)";
        }
    }

    // A server with these capabilities, and the notifier attached to the fixture's model.
    void start(const QString& capabilities) {
        server = std::make_unique<MockNotificationServer>(bus, capabilities);
        ASSERT_TRUE(server->isUp()) << "the mock notification daemon did not start";
        notifier = notifierOn(bus.connection());
        notifier->attach(*fixture.model, false);
    }

    PrivateBus bus;
    ViewTestModel fixture;
    std::unique_ptr<MockNotificationServer> server;
    std::unique_ptr<Notifier> notifier;
};

// What goes out follows the server: actions only where it shows them, escapes only
// where it reads markup; the hints are always there and urgency is a byte.
TEST_F(NotifierOnBus, NotifyFollowsTheServersCapabilities) {
    struct Case {
        const char* name;
        QString capabilities;
        QStringList updateActions;
        QStringList releaseActions;
        QString body;
    } cases[] = {
        {"actions and markup",
         "actions body body-markup",
         {"default", "Show", "update", "Update"},
         {"default", "Show", "install", "Install"},
         "Version 1.2 &lt;beta&gt; &amp; co is ready to install."},
        {"plain server", "body", {}, {}, "Version 1.2 <beta> & co is ready to install."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start(c.capabilities);
        AppEntry notes = fixture.entry("notes");
        notes.latest->version = "1.2 <beta> & co";
        LogCapture log;
        ASSERT_TRUE(
            post(*notifier, {Alert::update(notes), Alert::released(fixture.entry("maps"))}));

        const auto calls = server->notifyCalls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].summary, "There’s an Update for Notes");
        EXPECT_EQ(calls[0].body, c.body);
        EXPECT_EQ(calls[0].actions, c.updateActions);
        EXPECT_EQ(calls[1].summary, "Maps Is Out");
        EXPECT_EQ(calls[1].body, "It’s ready to install.");
        EXPECT_EQ(calls[1].actions, c.releaseActions);
        for (const auto& call : calls) {
            EXPECT_EQ(call.replacesId, 0u);
            EXPECT_EQ(call.hints.value("desktop-entry").toString(), "com.velmar.VelmarKestle");
            EXPECT_EQ(call.hints.value("urgency").userType(), QMetaType::UChar)
                << "an integer urgency is ignored by some servers";
            EXPECT_EQ(call.hints.value("urgency").toInt(), 1);
            EXPECT_FALSE(call.hints.contains("image-path")) << "the icons are not local files";
        }
        EXPECT_NE(notifier->shownId("update.notes"), notifier->shownId("release.maps"));
        EXPECT_TRUE(log.contains("Permission asked: granted"));
        EXPECT_TRUE(log.contains("Notification update notes 1.2 <beta> & co: There’s an Update "
                                 "for Notes"));
        EXPECT_TRUE(log.contains("Notification release maps 3.0: Maps Is Out"));
        server.reset();
    }
}

// A server that takes the name over later (the desktop restarted its own) is asked
// what it shows: the next notification follows the new server.
TEST_F(NotifierOnBus, ANewServerIsAskedWhatItShows) {
    server = std::make_unique<MockNotificationServer>(bus, "body");
    auto owned =
        std::make_unique<FreedesktopNotifications>(bus.connection(), QStringLiteral("VelmarKestle"),
                                                   QStringLiteral("com.velmar.VelmarKestle"));
    const FreedesktopNotifications& seen = *owned;
    notifier = std::make_unique<Notifier>(std::move(owned), std::nullopt);
    notifier->attach(*fixture.model, false);
    ASSERT_TRUE(post(*notifier, {Alert::update(fixture.entry("notes"))}));
    ASSERT_EQ(server->notifyCalls().size(), 1u);
    EXPECT_TRUE(server->notifyCalls()[0].actions.isEmpty());
    server.reset();
    server = std::make_unique<MockNotificationServer>(bus, "actions body");
    ASSERT_TRUE(server->isUp());
    ASSERT_TRUE(
        runUntil([&] { return seen.capabilities().contains("actions"); }, std::chrono::seconds(5)));
    ASSERT_TRUE(post(*notifier, {Alert::update(fixture.entry("paint"))}));
    const auto calls = server->notifyCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].actions, (QStringList{"default", "Show", "update", "Update"}));
}

// A second alert for the same request replaces the shown one; once the server closed
// it, the next one is new.
TEST_F(NotifierOnBus, SameRequestReplacesUntilTheServerClosesIt) {
    start("actions body");
    ASSERT_TRUE(post(*notifier, {Alert::update(fixture.entry("notes"))}));
    const auto first = notifier->shownId("update.notes");
    ASSERT_TRUE(first.has_value());
    ASSERT_TRUE(post(
        *notifier, {Alert::update(fixture.entry("notes")), Alert::update(fixture.entry("paint"))}));
    auto calls = server->notifyCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].replacesId, *first);
    EXPECT_EQ(calls[2].replacesId, 0u) << "another app's notification is its own";

    server->emitSignal("NotificationClosed", "uu", {*first, 2u});
    ASSERT_TRUE(
        runUntil([&] { return !notifier->shownId("update.notes"); }, std::chrono::seconds(5)));
    ASSERT_TRUE(post(*notifier, {Alert::update(fixture.entry("notes"))}));
    calls = server->notifyCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[3].replacesId, 0u);
    EXPECT_TRUE(notifier->shownId("release.paint") == std::nullopt);
}

// A button queues its job only while its condition holds; every click of ours opens the
// window on the app's detail with the server's token; clicks on others' ids do nothing.
TEST_F(NotifierOnBus, ClicksOpenTheDetailAndQueueOnlyWhatStillApplies) {
    start("actions body");
    OpenedWindows windows;
    ASSERT_TRUE(post(*notifier,
                     {Alert::update(fixture.entry("notes")), Alert::released(fixture.entry("maps")),
                      Alert::released(fixture.entry("paint"))}));
    const uint notes = *notifier->shownId("update.notes");
    const uint maps = *notifier->shownId("release.maps");
    const uint paint = *notifier->shownId("release.paint");
    LogCapture log;

    server->emitSignal("ActivationToken", "us", {notes + 100, QStringLiteral("foreign")});
    server->emitSignal("ActionInvoked", "us", {notes + 100, QStringLiteral("update")});
    kestle::test::spin(std::chrono::milliseconds(300));
    EXPECT_TRUE(windows.opened->isEmpty()) << "a click on another program's notification";
    EXPECT_FALSE(log.contains("Notification clicked"));

    qunsetenv("XDG_ACTIVATION_TOKEN");
    server->emitSignal("ActivationToken", "us", {notes, QStringLiteral("token-1")});
    server->emitSignal("ActionInvoked", "us", {notes, QStringLiteral("update")});
    ASSERT_TRUE(runUntil([&] { return fixture.script->ids.size() == 1; }, std::chrono::seconds(5)));
    EXPECT_EQ(qgetenv("XDG_ACTIVATION_TOKEN"), "token-1");
    EXPECT_EQ(*windows.opened, QStringList{"main"});
    EXPECT_EQ(fixture.model->detail(), "notes");
    EXPECT_EQ(fixture.script->ids, std::vector<std::string>{"notes"});
    EXPECT_TRUE(log.contains("Notification clicked: notes, update"));
    qunsetenv("XDG_ACTIVATION_TOKEN");

    // Paint is installed: "Install" no longer applies.
    server->emitSignal("ActionInvoked", "us", {paint, QStringLiteral("install")});
    ASSERT_TRUE(
        runUntil([&] { return fixture.model->detail() == "paint"; }, std::chrono::seconds(5)));
    server->emitSignal("ActionInvoked", "us", {maps, QStringLiteral("default")});
    ASSERT_TRUE(
        runUntil([&] { return fixture.model->detail() == "maps"; }, std::chrono::seconds(5)));
    kestle::test::spin(std::chrono::milliseconds(200));
    EXPECT_FALSE(fixture.model->queue().state("paint")) << "nothing more queued";
    EXPECT_FALSE(fixture.model->queue().state("maps"));
    EXPECT_EQ(windows.opened->size(), 3);

    // Queued behind the running update: the queue runs one job at a time.
    server->emitSignal("ActionInvoked", "us", {maps, QStringLiteral("install")});
    ASSERT_TRUE(runUntil([&] { return fixture.model->queue().state("maps").has_value(); },
                         std::chrono::seconds(5)));
}

// A click for an app the catalog does not know checks once, then says so.
TEST_F(NotifierOnBus, ClickForAnUnknownAppChecksOnceThenGivesUp) {
    start("actions body");
    OpenedWindows windows;
    AppEntry ghost = fixture.entry("maps");
    ghost.app.id = "ghost";
    ASSERT_TRUE(post(*notifier, {Alert::released(ghost)}));
    int checks = 0;
    QObject::connect(fixture.model.get(), &kestle::app::KestleModel::checkFinished,
                     [&] { ++checks; });
    LogCapture log;
    server->emitSignal("ActionInvoked", "us",
                       {*notifier->shownId("release.ghost"), QStringLiteral("install")});
    ASSERT_TRUE(runUntil(
        [&] {
            return log.contains("Notification for ghost: the app isn't in the "
                                "catalog");
        },
        std::chrono::seconds(10)));
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(*windows.opened, QStringList{"main"}) << "the window opens all the same";
    EXPECT_TRUE(fixture.script->ids.empty());
}

// Without a server, or without a bus, permission reads as refused at once: nothing
// waits for a time-out, and every alert is logged as not shown.
TEST(Notifier, NoServerIsRefusedWithoutWaiting) {
    PrivateBus bus;
    std::vector<std::pair<const char*, QDBusConnection>> cases{
        {"no session bus",
         QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                       QStringLiteral("notifier-nowhere"))}};
    if (bus.isUp()) {
        cases.emplace_back("bus without a server", bus.connection());
    }
    for (const auto& [name, connection] : cases) {
        SCOPED_TRACE(name);
        ViewTestModel fixture;
        auto notifier = notifierOn(connection);
        notifier->attach(*fixture.model, false);
        LogCapture log;
        QElapsedTimer timer;
        timer.start();
        ASSERT_TRUE(post(*notifier, {Alert::update(fixture.entry("notes")),
                                     Alert::update(fixture.entry("paint"))}));
        EXPECT_LT(timer.elapsed(), 3000);
        EXPECT_TRUE(log.contains("Permission asked: refused"));
        EXPECT_TRUE(log.contains("Notification update notes not shown: not allowed"));
        EXPECT_TRUE(log.contains("Notification update paint not shown: not allowed"));
        std::optional<bool> denied;
        notifier->notificationsDenied([&](bool answer) { denied = answer; });
        // A refusal is asked again: a server may have started since.
        ASSERT_TRUE(runUntil([&] { return denied.has_value(); }, std::chrono::seconds(15)));
        EXPECT_EQ(denied, true);
    }
}

// Logs-only mode asks nothing and shows nothing, on any bus.
TEST(Notifier, LogsOnlyModeOnlyLogs) {
    ViewTestModel fixture;
    auto notifier = notifierOn(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("notifier-nowhere")));
    notifier->attach(*fixture.model, true);
    LogCapture log;
    ASSERT_TRUE(post(*notifier, {Alert::update(fixture.entry("notes"))}));
    EXPECT_TRUE(log.contains("Notification update notes 1.2: There’s an Update for Notes"));
    EXPECT_FALSE(log.contains("Permission asked"));
    EXPECT_FALSE(log.contains("not shown"));
    std::optional<bool> denied;
    notifier->notificationsDenied([&](bool answer) { denied = answer; });
    EXPECT_EQ(denied, false);
}

} // namespace
