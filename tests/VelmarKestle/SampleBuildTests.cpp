// The application as built, on its own sample catalog: a check offline and a first
// install through the real installer, into a temporary folder.
#ifdef KESTLE_APP_BUNDLE

#include <filesystem>

#include <gtest/gtest.h>

#include "Configuration.hpp"
#include "InstalledApps.hpp"
#include "KestleModel.hpp"
#include "LiveSetup.hpp"
#include "SessionTestSupport.hpp"
#include "TempFolder.hpp"

using kestle::AppEntry;
using kestle::MemoryPreferences;
using kestle::app::CheckReason;
using kestle::app::Configuration;
using kestle::app::KestleModel;
using kestle::app::LiveSetup;
using kestle::test::runUntil;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

TEST(SampleBuild, ChecksTheSampleCatalogOfflineAndInstallsASampleApp) {
    TempFolder temp;
    fs::create_directories(temp / "state");
    fs::permissions(temp / "state", fs::perms::owner_all);
    ::setenv("KESTLE_DISKUTIL_STATE", (temp / "state").c_str(), 1);
    Configuration config = Configuration::read(KESTLE_APP_BUNDLE);
    config.folders = {temp / "Applications"};
    kestle::app::Setup setup = LiveSetup::make(config, std::make_shared<MemoryPreferences>(),
                                               {temp / "cache", {}, temp / "work"});
    ASSERT_TRUE(setup.isSample);
    ASSERT_TRUE(setup.checker) << "the sample build has a catalog key";
    setup.termsAccepted = true;
    KestleModel model(std::move(setup));

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
    ::unsetenv("KESTLE_DISKUTIL_STATE");
}

#endif
