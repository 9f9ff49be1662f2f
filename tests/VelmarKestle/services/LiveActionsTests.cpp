#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "helpers/AppBundleMaker.hpp"
#include "helpers/LogCapture.hpp"
#include "helpers/TempFolder.hpp"
#include "platform/FreedesktopNotifications.hpp"
#include "platform/Workspace.hpp"
#include "services/LiveActions.hpp"
#include "services/Notifier.hpp"

#include "VelmarKestle/views/ViewTestModel.hpp"

using kestle::AppEntry;
using kestle::InstalledApp;
using kestle::Url;
using kestle::Workspace;
using kestle::app::AppActions;
using kestle::app::Configuration;
using kestle::app::LiveActions;
using kestle::app::Notifier;
using kestle::test::AppBundleMaker;
using kestle::test::LogCapture;
using kestle::test::TempFolder;
using kestle::test::ViewTestModel;

namespace {

// Records what would have left the process, and puts the real desktop back after.
struct RecordedDesktop {
    std::vector<QString> started;
    std::vector<QUrl> opened;
    std::vector<QUrl> shown;
    bool fileManager = true;

    RecordedDesktop() {
        Workspace::hooks() = {.start =
                                  [this](const QString& program, const QString&) {
                                      started.push_back(program);
                                      return true;
                                  },
                              .openUrl =
                                  [this](const QUrl& url) {
                                      opened.push_back(url);
                                      return true;
                                  },
                              .showItem =
                                  [this](const QUrl& item) {
                                      shown.push_back(item);
                                      return fileManager;
                                  }};
    }
    ~RecordedDesktop() { Workspace::hooks() = {}; }
};

AppEntry installedAt(const std::filesystem::path& bundle) {
    AppEntry entry;
    entry.app = ViewTestModel::catalogApp("notes", "Notes", true);
    entry.installed = InstalledApp{Url::fromPath(bundle.string()), "1.0", "100"};
    return entry;
}

TEST(LiveActions, OpenStartsTheBundlesProgramOrLogsWhyNot) {
    RecordedDesktop desktop;
    TempFolder folder;
    const auto bundle = folder.path() / "Notes.app";
    AppBundleMaker::make(bundle, {});
    const AppActions actions = LiveActions::make(Configuration{});

    actions.open(installedAt(bundle));
    ASSERT_EQ(desktop.started.size(), 1u);
    EXPECT_EQ(desktop.started[0].toStdString(), (bundle / "Contents/MacOS/Notes").string());

    AppEntry notInstalled = installedAt(bundle);
    notInstalled.installed.reset();
    actions.open(notInstalled);
    EXPECT_EQ(desktop.started.size(), 1u) << "nothing installed, nothing to open";

    LogCapture log;
    actions.open(installedAt(folder.path() / "Gone.app"));
    EXPECT_EQ(desktop.started.size(), 1u);
    EXPECT_TRUE(LogCapture::contains("Open notes failed: "));
}

TEST(LiveActions, ShowInFileManagerFallsBackToTheFolder) {
    RecordedDesktop desktop;
    const AppActions actions = LiveActions::make(Configuration{});
    const AppEntry entry = installedAt("/Applications/Notes.app");

    actions.showInFinder(entry);
    ASSERT_EQ(desktop.shown.size(), 1u);
    EXPECT_EQ(desktop.shown[0], QUrl::fromLocalFile("/Applications/Notes.app"));
    EXPECT_TRUE(desktop.opened.empty());

    desktop.fileManager = false;
    actions.showInFinder(entry);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], QUrl::fromLocalFile("/Applications"));

    actions.openSite(entry);
    ASSERT_EQ(desktop.opened.size(), 2u);
    EXPECT_EQ(desktop.opened[1], QUrl("https://velmar.example/notes"));
    AppEntry noSite = entry;
    noSite.app.site.reset();
    actions.openSite(noSite);
    EXPECT_EQ(desktop.opened.size(), 2u);
}

// A notifier whose server is out of reach, as on a desktop without one.
std::unique_ptr<Notifier> unreachableNotifier(std::optional<QStringList> settings) {
    auto server = std::make_unique<kestle::FreedesktopNotifications>(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                      QStringLiteral("live-actions-nowhere")),
        QStringLiteral("VelmarKestle"), QStringLiteral("com.velmar.VelmarKestle"));
    return std::make_unique<Notifier>(std::move(server), std::move(settings));
}

TEST(LiveActions, NotifyMeTogglesTheWatchAndConfirmsOnlyTurningOn) {
    ViewTestModel fixture;
    auto notifier = unreachableNotifier(std::nullopt);
    notifier->attach(*fixture.model, true);
    const AppActions actions = LiveActions::make(Configuration{}, {}, notifier.get());
    const AppEntry maps = fixture.entry("maps");

    actions.notifyMe(maps, *fixture.model);
    EXPECT_TRUE(fixture.model->ledger().isWatching("maps"));
    ASSERT_TRUE(fixture.model->banner().has_value());
    EXPECT_EQ(fixture.model->banner()->text, "We’ll let you know when Maps is ready");
    fixture.model->dismissBanner(fixture.model->banner()->id);

    actions.notifyMe(maps, *fixture.model);
    EXPECT_FALSE(fixture.model->ledger().isWatching("maps"));
    EXPECT_FALSE(fixture.model->banner().has_value()) << "turning it off says nothing";
}

// Without a server the watch stays on and the banner says so; "Open" only where the
// desktop has a settings page to open.
TEST(LiveActions, NotifyMeWithoutNotificationsOffersTheSettingsWhereThereAreAny) {
    for (const bool hasSettings : {false, true}) {
        SCOPED_TRACE(hasSettings ? "settings page" : "no settings page");
        ViewTestModel fixture;
        auto notifier = unreachableNotifier(
            hasSettings ? std::optional<QStringList>(QStringList{QStringLiteral("/bin/true")})
                        : std::nullopt);
        notifier->attach(*fixture.model, false);
        const AppActions actions = LiveActions::make(Configuration{}, {}, notifier.get());

        actions.notifyMe(fixture.entry("maps"), *fixture.model);
        EXPECT_TRUE(fixture.model->ledger().isWatching("maps"));
        ASSERT_TRUE(kestle::test::runUntil([&] { return fixture.model->banner().has_value(); },
                                           std::chrono::seconds(5)));
        EXPECT_EQ(fixture.model->banner()->text,
                  "Notifications from VelmarKestle are off in Settings");
        EXPECT_EQ(fixture.model->banner()->seconds, 8);
        EXPECT_EQ(fixture.model->banner()->button.has_value(), hasSettings);
    }
}

} // namespace
