// The application as built, on its own sample catalog: a check offline and a first
// install through the real installer, into a temporary folder.
#ifdef KESTLE_APP_BUNDLE

#include <filesystem>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "apps/InstalledApps.hpp"
#include "helpers/TempFolder.hpp"
#include "model/Configuration.hpp"
#include "model/KestleModel.hpp"
#include "model/LiveSetup.hpp"
#include "platform/Workspace.hpp"

#include "services/LiveActions.hpp"
#include "views/entry/EntryActions.hpp"
#include "views/jobs/ToastButton.hpp"
#include "views/jobs/ToastOverlay.hpp"
#include "views/jobs/UpdateToast.hpp"
#include "views/list/AppCard.hpp"
#include "views/list/AppGrid.hpp"
#include "views/window/MainWindow.hpp"

using kestle::AppEntry;
using kestle::MemoryPreferences;
using kestle::app::CheckReason;
using kestle::app::Configuration;
using kestle::app::KestleModel;
using kestle::app::LiveActions;
using kestle::app::LiveSetup;
using kestle::test::runUntil;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

namespace {

// The live setup of the built bundle with everything it writes in a temporary folder:
// installs, cache, work files and the disk tool's attachments.
struct SampleFixture {
    TempFolder temp;
    Configuration config = Configuration::read(KESTLE_APP_BUNDLE);
    std::unique_ptr<KestleModel> made;

    SampleFixture() {
        fs::create_directories(temp / "state");
        fs::permissions(temp / "state", fs::perms::owner_all);
        ::setenv("KESTLE_DISKUTIL_STATE", (temp / "state").c_str(), 1);
        config.folders = {temp / "Applications"};
    }
    ~SampleFixture() { ::unsetenv("KESTLE_DISKUTIL_STATE"); }

    KestleModel& model() {
        kestle::app::Setup setup = LiveSetup::make(config, std::make_shared<MemoryPreferences>(),
                                                   {temp / "cache", {}, temp / "work"});
        EXPECT_TRUE(setup.isSample);
        EXPECT_TRUE(setup.checker) << "the sample build has a catalog key";
        setup.termsAccepted = true;
        made = std::make_unique<KestleModel>(std::move(setup));
        return *made;
    }
};

} // namespace

TEST(SampleBuild, ChecksTheSampleCatalogOfflineAndInstallsASampleApp) {
    SampleFixture sample;
    KestleModel& model = sample.model();
    const TempFolder& temp = sample.temp;
    const Configuration& config = sample.config;

    bool checked = false;
    model.check(CheckReason::user, [&] { checked = true; });
    ASSERT_TRUE(runUntil([&] { return checked; }));
    ASSERT_TRUE(model.result() && model.result()->catalog);
    EXPECT_FALSE(model.result()->catalogFailure);
    EXPECT_TRUE(model.result()->failedFeeds.empty());
    ASSERT_FALSE(model.entries().empty());

    std::optional<AppEntry> candidate;
    for (const AppEntry& entry : model.entries()) {
        if (entry.status() == AppEntry::Status::notInstalled && entry.latest &&
            entry.latest->download) {
            candidate = entry;
            break;
        }
    }
    ASSERT_TRUE(candidate) << "the sample lists a released app to install";
    model.queue().install(*candidate);
    ASSERT_TRUE(runUntil([&] { return !model.queue().isBusy(); }, std::chrono::seconds(60)));
    ASSERT_TRUE(model.queue().notice());
    EXPECT_EQ(model.queue().notice()->kind, kestle::UpdateNotice::Kind::installed);
    ASSERT_TRUE(runUntil([&] {
        auto entry = model.entry(candidate->id());
        return entry && entry->installed;
    }));
    const auto installed = model.entry(candidate->id())->installed;
    EXPECT_EQ(fs::path(installed->url.path()).parent_path(), temp / "Applications");
    EXPECT_TRUE(kestle::CodeCheck::checkDeveloperID(installed->url.path(),
                                                    kestle::CodeCheck::velmarTeam,
                                                    candidate->app.bundleID, config.anchors));
    EXPECT_TRUE(fs::is_empty(temp / "state")) << "the image was detached";
}

// The same, as the user does it: the window shows the sample, the card's "Install"
// installs through the real installer, the notice's "Open" starts the installed copy,
// and the card then offers "Open".
TEST(SampleBuild, InstallsFromTheWindowAndOpensTheApp) {
    SampleFixture sample;
    KestleModel& model = sample.model();
    const TempFolder& temp = sample.temp;
    std::vector<QString> started;
    kestle::Workspace::hooks().start = [&](const QString& program, const QString&) {
        started.push_back(program);
        return true;
    };
    struct Restore {
        ~Restore() { kestle::Workspace::hooks() = {}; }
    } restore;

    kestle::app::MainWindow window(model, LiveActions::make(sample.config));
    window.resize(1000, 900);
    window.show();
    ASSERT_TRUE(runUntil([&] {
        return window.page() == kestle::app::MainWindow::Page::list && window.grid() &&
               window.grid()->card("lumen");
    }));
    kestle::app::AppCard* lumen = window.grid()->card("lumen");
    QAbstractButton* install = lumen->entryActions()->mainControl();
    ASSERT_NE(install, nullptr);
    EXPECT_EQ(install->text(), "Install");
    install->click();

    ASSERT_TRUE(runUntil([&] { return !model.queue().isBusy(); }, std::chrono::seconds(60)));
    ASSERT_TRUE(runUntil([&] {
        auto* toast = window.toasts()->toast();
        return toast && toast->isVisible();
    }));
    EXPECT_EQ(window.toasts()->toast()->text(), "Lumen is installed");
    ASSERT_NE(window.toasts()->toast()->button(), nullptr);
    window.toasts()->toast()->button()->click();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(fs::path(started[0].toStdString()).parent_path(),
              temp / "Applications/Lumen.app/Contents/MacOS");

    ASSERT_TRUE(runUntil([&] {
        QAbstractButton* control = lumen->entryActions()->mainControl();
        return control && control->text() == "Open";
    }));
    EXPECT_TRUE(fs::is_empty(temp / "state")) << "the image was detached";
}

#endif
