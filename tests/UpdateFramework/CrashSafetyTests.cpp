#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "UpdateWork.hpp"
#include "helpers/AppBundleMaker.hpp"
#include "helpers/CrashChild.hpp"
#include "helpers/TempFolder.hpp"
#include "helpers/TestSigning.hpp"
#include "install/BundleFiles.hpp"
#include "install/Installer.hpp"
#include "install/Leftovers.hpp"
#include "install/PreviousCopy.hpp"
#include "install/WorkFolder.hpp"

using kestle::BundleFiles;
using kestle::DownloadError;
using kestle::Installer;
using kestle::InstallRequest;
using kestle::Leftovers;
using kestle::PreviousCopy;
using kestle::Url;
using kestle::WorkFolder;
using kestle::framework::AppcastItem;
using kestle::framework::UpdateWork;
using kestle::test::AppBundleMaker;
using kestle::test::killedAt;
using kestle::test::TempFolder;
using kestle::test::TestSigning;
namespace fs = std::filesystem;

namespace {

using Snapshot = std::map<std::string, std::string>;

// An Applications folder, a working folder and the disk-image tool's state, with an
// installer whose download copies a local image (the child process has no server).
struct Fixture {
    TempFolder temp;
    fs::path apps = temp / "Applications";
    fs::path work = temp / "work";
    fs::path state = temp / "state";
    fs::path imageFile = temp / "Notes.iso";
    std::string bytes;
    Installer installer{
        .key = TestSigning::shared().key(),
        .fetch = [this](const Url&, const fs::path& file, uint64_t,
                        const kestle::Download::Progress&, std::stop_token,
                        const kestle::Download::Options&) -> std::expected<void, DownloadError> {
            std::error_code error;
            fs::copy_file(imageFile, file, error);
            if (error) {
                return std::unexpected(DownloadError::file());
            }
            return {};
        },
        .images = Installer::Images::system(KESTLE_DISKUTIL_TOOL),
        .work = temp / "work",
        .anchors = AppBundleMaker::anchors()};

    Fixture() {
        fs::create_directories(apps);
        fs::create_directories(work);
        fs::create_directories(state);
        fs::permissions(state, fs::perms::owner_all);
        ::setenv("KESTLE_DISKUTIL_STATE", state.c_str(), 1);
        AppBundleMaker::Spec newer;
        newer.build = "200";
        AppBundleMaker::make(temp / "image/Notes.app", newer);
        bytes = AppBundleMaker::image(temp / "image", imageFile);
    }
    ~Fixture() { ::unsetenv("KESTLE_DISKUTIL_STATE"); }

    InstallRequest request() const {
        return {AppBundleMaker::identifier,
                *Url::parse("https://downloads.velmar.test/Notes.iso"),
                static_cast<int64_t>(bytes.size()),
                TestSigning::shared().sign(bytes),
                Url::fromPath(apps.string()),
                "200"};
    }

    void install() const { (void)installer.install(request(), {}); }

    void sweep() const { Leftovers::sweep(work, {apps}, KESTLE_DISKUTIL_TOOL); }
};

TEST(CrashSafety, AFirstInstallKilledAtAnyStepLeavesNothingOrTheWholeAppOnceSwept) {
    Snapshot installed;
    {
        Fixture reference;
        reference.install();
        installed = TempFolder::snapshot(reference.apps);
        ASSERT_TRUE(installed.contains("Notes.app/Contents/MacOS/Notes"));
    }
    for (const char* step : {"install.work", "install.staging", "install.copied", "install.checked",
                             "install.placed"}) {
        SCOPED_TRACE(step);
        Fixture f;
        ASSERT_TRUE(killedAt(step, [&] { f.install(); }));
        // Killed while the image was attached, or while its copy was staged.
        const bool placed = std::string_view(step) == "install.placed";
        f.sweep();

        EXPECT_EQ(TempFolder::snapshot(f.apps), placed ? installed : Snapshot{});
        EXPECT_TRUE(fs::is_empty(f.work)) << "a working folder is left";
        EXPECT_TRUE(fs::is_empty(f.state)) << "an image is still attached";
        // And the next attempt is not in the way of what was left.
        if (!placed) {
            f.install();
            EXPECT_EQ(TempFolder::snapshot(f.apps), installed);
        }
    }
}

// The updater's disk work in its order: a working folder, the image in it, the staged
// copy beside the app, the exchange, then the old copy is kept and the working folder
// goes.
void update(const Fixture& f) {
    const fs::path work = f.work / (std::string(Leftovers::updateWork) + BundleFiles::uniqueName());
    if (WorkFolder::create(work) != 0) {
        return;
    }
    fs::copy_file(f.imageFile, work / "update.dmg");
    AppcastItem item;
    item.item.build = "200";
    item.item.length = static_cast<int64_t>(f.bytes.size());
    item.item.edSignature = TestSigning::shared().sign(f.bytes);
    UpdateWork::Preparation preparation{work / "update.dmg",         work / "volume",
                                        f.apps / "Notes.app",        AppBundleMaker::identifier,
                                        TestSigning::shared().key(), AppBundleMaker::anchors(),
                                        KESTLE_DISKUTIL_TOOL};
    const fs::path staging = f.apps / (std::string(Leftovers::staging) + BundleFiles::uniqueName());
    auto staged = UpdateWork::prepare(item, preparation, staging);
    if (staged && UpdateWork::swap(*staged, preparation.installed, AppBundleMaker::identifier) &&
        PreviousCopy::keep(staging, preparation.installed, AppBundleMaker::identifier, "200",
                           std::chrono::system_clock::now()) != 0) {
        BundleFiles::removeTree(staging);
    }
    BundleFiles::removeTree(work);
}

// An update to build as the updater ends one, without the image: staged, exchanged,
// the old copy kept.
void quickUpdate(const fs::path& apps, const std::string& build) {
    const fs::path staging = apps / (std::string(Leftovers::staging) + BundleFiles::uniqueName());
    if (WorkFolder::create(staging) != 0) {
        return;
    }
    AppBundleMaker::make(staging / "Notes.app", {.build = build, .version = build, .feedURL = ""});
    if (::renameat2(AT_FDCWD, (staging / "Notes.app").c_str(), AT_FDCWD,
                    (apps / "Notes.app").c_str(), RENAME_EXCHANGE) == 0) {
        (void)PreviousCopy::keep(staging, apps / "Notes.app", AppBundleMaker::identifier, build,
                                 std::chrono::system_clock::now());
    }
}

// The app's own files, without the folder of kept copies.
Snapshot appOnly(const Snapshot& all) {
    Snapshot app;
    for (const auto& [name, what] : all) {
        if (name.starts_with("Notes.app")) {
            app[name] = what;
        }
    }
    return app;
}

TEST(CrashSafety, AnUpdateKilledAtAnyStepLeavesTheOldAppOrTheNewOneOnceSwept) {
    Snapshot old;
    Snapshot updated;
    {
        Fixture reference;
        AppBundleMaker::make(reference.apps / "Notes.app", {});
        old = TempFolder::snapshot(reference.apps);
        update(reference);
        updated = TempFolder::snapshot(reference.apps);
        ASSERT_NE(old, updated);
        auto kept = PreviousCopy::find(reference.apps, AppBundleMaker::identifier);
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->build, "100");
        ASSERT_EQ(TempFolder::readText(reference.apps / "Notes.app/Contents/Resources/build.txt"),
                  "200");
    }
    for (const char* step : {"update.staged", "update.exchanged"}) {
        SCOPED_TRACE(step);
        Fixture f;
        AppBundleMaker::make(f.apps / "Notes.app", {});
        ASSERT_EQ(TempFolder::snapshot(f.apps), old);
        ASSERT_TRUE(killedAt(step, [&] { update(f); }));
        f.sweep();

        const bool exchanged = std::string_view(step) == "update.exchanged";
        // Killed before the old copy was kept: the sweep removes it with the staging folder.
        EXPECT_EQ(TempFolder::snapshot(f.apps), exchanged ? appOnly(updated) : old);
        EXPECT_TRUE(fs::is_empty(f.work)) << "a working folder is left";
        EXPECT_TRUE(fs::is_empty(f.state)) << "an image is still attached";
    }
}

// Replacing the kept copy with a newer one, and going back to it, each killed between
// its exchange and its removal: one whole app in place, and once swept nothing else but
// a kept copy that still matches it.
TEST(CrashSafety, KeepingAndGoingBackKilledMidwayLeaveOneWholeAppOnceSwept) {
    struct Case {
        const char* step;
        std::string installed;           // once swept
        std::optional<std::string> kept; // the kept copy's build, once swept
    };
    for (const Case& c : {Case{"previous.exchanged", "300", "200"},
                          Case{"previous.restored", "200", std::nullopt}}) {
        SCOPED_TRACE(c.step);
        TempFolder temp;
        const fs::path apps = temp / "Applications";
        AppBundleMaker::make(apps / "Notes.app", {});
        // In a process of its own, like the earlier run it stands for.
        (void)killedAt("none", [&] { quickUpdate(apps, "200"); });
        ASSERT_TRUE(PreviousCopy::find(apps, AppBundleMaker::identifier));
        ASSERT_TRUE(killedAt(c.step, [&] {
            quickUpdate(apps, "300");
            (void)PreviousCopy::restore(apps, AppBundleMaker::identifier,
                                        AppBundleMaker::anchors());
        }));
        Leftovers::sweep(temp / "work", {apps}, KESTLE_DISKUTIL_TOOL);

        EXPECT_EQ(TempFolder::readText(apps / "Notes.app/Contents/Resources/build.txt"),
                  c.installed);
        EXPECT_TRUE(kestle::CodeCheck::checkDeveloperID(
            apps / "Notes.app", kestle::CodeCheck::velmarTeam, AppBundleMaker::identifier,
            AppBundleMaker::anchors()));
        auto kept = PreviousCopy::find(apps, AppBundleMaker::identifier);
        EXPECT_EQ(kept ? std::optional(kept->build) : std::nullopt, c.kept);
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(apps)) {
            names.insert(entry.path().filename().string());
        }
        std::set<std::string> expected{"Notes.app"};
        if (c.kept) {
            expected.insert(std::string(PreviousCopy::folderName));
        }
        EXPECT_EQ(names, expected) << "a staging folder or an empty one is left";
    }
}

// Someone who may write the app's folder swaps the checked staging folder for one of
// their own before the exchange.
fs::path swappedApps;
void swapStaging(std::string_view step) {
    if (step != "update.staged") {
        return;
    }
    for (const auto& entry : fs::directory_iterator(swappedApps)) {
        if (entry.path().filename().string().starts_with(Leftovers::staging)) {
            fs::rename(entry.path(), swappedApps.parent_path() / "taken");
            TempFolder::writeText(entry.path() / "Notes.app/Contents/Resources/build.txt", "evil");
            fs::permissions(entry.path(), fs::perms(0700));
        }
    }
}

TEST(CrashSafety, AnExchangeRefusesAStagingFolderSwappedAfterTheCheck) {
    Fixture f;
    AppBundleMaker::make(f.apps / "Notes.app", {});
    const Snapshot old = TempFolder::snapshot(f.apps);
    swappedApps = f.apps;
    kestle::CrashPoint::setHook(swapStaging);
    update(f);
    kestle::CrashPoint::setHook(nullptr);

    EXPECT_EQ(TempFolder::readText(f.apps / "Notes.app/Contents/Resources/build.txt"), "100");
    EXPECT_EQ(TempFolder::snapshot(f.apps / "Notes.app"), [&] {
        Snapshot app;
        for (const auto& [name, what] : old) {
            if (name.starts_with("Notes.app/")) {
                app[name.substr(10)] = what;
            }
        }
        return app;
    }());
}

TEST(CrashSafety, TheSweepTakesOnlyWhatEndedRunsOfThisProgramLeft) {
    TempFolder temp;
    const fs::path apps = temp / "Applications";
    fs::create_directories(apps);
    const std::string uuid = BundleFiles::uniqueName();

    // Ours, of a process that ended: a marker naming a process that no longer runs.
    auto ended = WorkFolder::make(apps.string(), Leftovers::staging);
    ASSERT_TRUE(ended.has_value());
    TempFolder::writeText(ended->path() / "Notes.app/Contents/Info.plist", "old");
    TempFolder::writeText(ended->path() / WorkFolder::markerName, "pid 1\nstart 0\nboot x");
    const fs::path endedPath = ended->path();
    ended->keep();
    // Ours, of this running process: still at work.
    auto running = WorkFolder::make(apps.string(), Leftovers::staging);
    ASSERT_TRUE(running.has_value());
    // Empty, with our name: a crash between making and marking.
    const fs::path unmarked = apps / (std::string(Leftovers::staging) + BundleFiles::uniqueName());
    fs::create_directory(unmarked);
    // Not ours: no marker, a name that is not ours, a link to someone's folder.
    TempFolder::writeText(apps / (".velmarkestle-" + uuid) / "keep.txt", "someone's");
    TempFolder::writeText(apps / ".velmarkestle-notes" / WorkFolder::markerName, "pid 1");
    TempFolder::writeText(temp / "elsewhere" / WorkFolder::markerName, "pid 1");
    TempFolder::writeText(temp / "elsewhere/keep.txt", "mine");
    fs::create_directory_symlink(
        temp / "elsewhere", apps / (std::string(Leftovers::staging) + BundleFiles::uniqueName()));
    TempFolder::writeText(apps / "Notes.app/Contents/Info.plist", "installed");

    Snapshot before = TempFolder::snapshot(temp.path());
    auto removed = Leftovers::sweep(temp / "work", {apps}, KESTLE_DISKUTIL_TOOL);

    EXPECT_EQ(std::set(removed.begin(), removed.end()), (std::set{endedPath, unmarked}));
    Snapshot expected;
    for (const auto& [name, what] : before) {
        const fs::path path = temp.path() / name;
        if (path != unmarked && path != endedPath &&
            !name.starts_with(fs::relative(endedPath, temp.path()).string() + "/")) {
            expected[name] = what;
        }
    }
    EXPECT_EQ(TempFolder::snapshot(temp.path()), expected);
    EXPECT_TRUE(fs::exists(running->path() / WorkFolder::markerName));
    EXPECT_EQ(TempFolder::readText(temp / "elsewhere/keep.txt"), "mine");
}

} // namespace
