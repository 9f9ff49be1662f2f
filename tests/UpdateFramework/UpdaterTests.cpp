#include "Updater.hpp"

#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QPushButton>

#include <gtest/gtest.h>

#include "StandardUpdaterController.hpp"
#include "UpdaterError.hpp"
#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "apps/InstalledApps.hpp"
#include "helpers/AppBundleMaker.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/TempFolder.hpp"
#include "helpers/TestSigning.hpp"
#include "install/PreviousCopy.hpp"

using kestle::PlatformError;
using kestle::PreviousCopy;
using kestle::framework::AppcastItem;
using kestle::framework::Bundle;
using kestle::framework::StandardUpdaterController;
using kestle::framework::StandardUserDriverDelegate;
using kestle::framework::UpdateCheck;
using kestle::framework::Updater;
using kestle::framework::UpdaterDelegate;
using kestle::framework::UpdaterError;
using kestle::framework::UserDriver;
using kestle::framework::UserUpdateChoice;
using kestle::framework::UserUpdateState;
using kestle::test::AppBundleMaker;
using kestle::test::LoopbackServer;
using kestle::test::runUntil;
using kestle::test::TempFolder;
using kestle::test::TestSigning;
namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

// Writes down every call by name and answers like a user who says yes to everything.
class RecordingDriver : public UserDriver, public UpdaterDelegate {
public:
    std::vector<std::string> calls;
    std::optional<PlatformError> finishedWith;
    bool finished = false;
    Cancellation cancellation;
    Cancellation checkCancellation;
    bool cancelInDownload = false;
    std::function<void()> postponed;
    bool postpone = false;

    void showUpdatePermissionRequest(std::function<void(bool)> reply) override {
        calls.push_back("permission");
        reply(false);
    }
    void showUserInitiatedUpdateCheck(Cancellation c) override {
        calls.push_back("check");
        checkCancellation = std::move(c);
    }
    void showUpdateFound(const AppcastItem& item, const UserUpdateState& state,
                         Reply reply) override {
        calls.push_back("found " + item.displayVersionString() + " stage " +
                        std::to_string(static_cast<int>(state.stage)));
        reply(UserUpdateChoice::install);
    }
    void showUpdateReleaseNotes(const std::string&) override { calls.push_back("notes"); }
    void showUpdateReleaseNotesFailedToDownload(const PlatformError&) override {}
    void showUpdateNotFound(const PlatformError& error, Acknowledgement ack) override {
        calls.push_back("not found " + std::to_string(error.code));
        ack();
    }
    void showUpdaterError(const PlatformError& error, Acknowledgement ack) override {
        calls.push_back("error " + std::to_string(error.code));
        ack();
    }
    void showDownloadInitiated(Cancellation c) override {
        calls.push_back("download");
        cancellation = std::move(c);
    }
    void showDownloadDidReceiveExpectedContentLength(uint64_t) override {
        calls.push_back("length");
    }
    void showDownloadDidReceiveDataOfLength(uint64_t) override {
        if (calls.back() != "data") {
            calls.push_back("data");
        }
        if (cancelInDownload && cancellation) {
            std::exchange(cancellation, nullptr)();
        }
    }
    void showDownloadDidStartExtractingUpdate() override { calls.push_back("extracting"); }
    void showExtractionReceivedProgress(double) override { calls.push_back("extracted"); }
    void showReadyToInstallAndRelaunch(Reply reply) override {
        calls.push_back("ready");
        reply(UserUpdateChoice::install);
    }
    void showInstallingUpdate(bool terminated, std::function<void()>) override {
        calls.push_back(terminated ? "installing" : "installing, waiting");
    }
    void showUpdateInstalledAndRelaunched(bool relaunched, Acknowledgement ack) override {
        calls.push_back(relaunched ? "installed, relaunched" : "installed");
        ack();
    }
    void showUpdateInFocus() override { calls.push_back("focus"); }
    void dismissUpdateInstallation() override { calls.push_back("dismiss"); }

    bool shouldPromptForPermissionToCheckForUpdates(Updater&) override { return false; }
    void didFinishUpdateCycle(Updater&, UpdateCheck,
                              const std::optional<PlatformError>& error) override {
        calls.push_back("finished");
        finished = true;
        finishedWith = error;
    }
    bool shouldPostponeRelaunchForUpdate(Updater&, const AppcastItem&,
                                         std::function<void()> install) override {
        calls.push_back("postpone?");
        if (!postpone) {
            return false;
        }
        postponed = std::move(install);
        return true;
    }
};

struct Fixture {
    TempFolder temp;
    fs::path app = temp / "Applications/Notes.app";
    fs::path work = temp / "work";
    fs::path state = temp / "state";
    LoopbackServer server;
    std::string image;
    RecordingDriver driver;

    Fixture() {
        fs::create_directories(work);
        fs::create_directories(state);
        fs::permissions(state, fs::perms::owner_all);
        ::setenv("KESTLE_DISKUTIL_STATE", state.c_str(), 1);
        AppBundleMaker::make(app, {.feedURL = server.url("/appcast.xml")});
        AppBundleMaker::make(
            temp / "new/Notes.app",
            {.build = "101", .version = "1.1", .feedURL = server.url("/appcast.xml")});
        image = AppBundleMaker::image(temp / "new", temp / "new.iso");
        offer("101", image);
    }

    // An appcast whose one item announces build and length for the signed image.
    void offer(const std::string& build, const std::string& bytes,
               std::optional<uint64_t> length = std::nullopt) {
        server.serve("/Notes.dmg", bytes);
        server.serve(
            "/appcast.xml",
            R"(<?xml version="1.0"?><rss xmlns:sparkle="http://example.com/s"><channel><item>)"
            "<sparkle:version>" +
                build +
                "</sparkle:version>"
                "<sparkle:shortVersionString>1.1</sparkle:shortVersionString>"
                "<description>Faster.</description>"
                R"(<enclosure url=")" +
                server.url("/Notes.dmg") + R"(" length=")" +
                std::to_string(length.value_or(bytes.size())) + R"(" sparkle:edSignature=")" +
                TestSigning::shared().sign(bytes) + R"("/></item></channel></rss>)");
    }

    // Only the app beside it, nothing in the working folder.
    void expectNoTraces() const {
        EXPECT_TRUE(fs::is_empty(work)) << "working files left";
        EXPECT_EQ(std::vector<fs::path>{app},
                  std::vector<fs::path>(fs::directory_iterator(app.parent_path()), {}))
            << "a staged copy left beside the app";
    }
    ~Fixture() {
        AppBundleMaker::killAll(temp.path());
        ::unsetenv("KESTLE_DISKUTIL_STATE");
    }

    Updater::Options options() const {
        Updater::Options options;
        options.anchors = AppBundleMaker::anchors();
        options.diskTool = KESTLE_DISKUTIL_TOOL;
        options.work = work;
        options.quitGrace = 200ms;
        options.quitPoll = 20ms;
        return options;
    }

    std::unique_ptr<Updater> updater() {
        auto bundle = *Bundle::open(app);
        return std::make_unique<Updater>(bundle, bundle, &driver, &driver, options());
    }

    std::string build() const {
        auto read = kestle::InstalledApps::read(kestle::Url::fromPath(app.string()));
        return read ? read->second.build : "?";
    }
};

TEST(Updater, ACompleteCycleCallsItsDriverInOrder) {
    Fixture f;
    auto updater = f.updater();
    ASSERT_TRUE(updater->startUpdater());
    updater->checkForUpdates();
    updater->checkForUpdates(); // a second request only brings the running cycle forward
    ASSERT_TRUE(runUntil([&] { return f.driver.finished; }));
    const std::vector<std::string> expected = {
        "check",     "focus",      "found 1.1 stage 0", "notes",     "download",
        "length",    "data",       "extracting",        "extracted", "ready",
        "postpone?", "installing", "installed",         "dismiss",   "finished"};
    EXPECT_EQ(f.driver.calls, expected);
    EXPECT_FALSE(f.driver.finishedWith.has_value());
    EXPECT_EQ(f.build(), "101");
    EXPECT_TRUE(fs::is_empty(f.work));
    // The app and the folder of kept copies, no staging folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(f.app.parent_path()), fs::directory_iterator()),
              2);
}

TEST(Updater, AnUpdateKeepsThePreviousCopyPrivatelyAndTheNextUpdateReplacesIt) {
    Fixture f;
    const fs::path apps = f.app.parent_path();
    auto run = [&] {
        f.driver.calls.clear();
        f.driver.finished = false;
        f.driver.finishedWith.reset();
        auto updater = f.updater();
        ASSERT_TRUE(updater->startUpdater());
        updater->checkForUpdates();
        ASSERT_TRUE(runUntil([&] { return f.driver.finished; }));
        ASSERT_FALSE(f.driver.finishedWith.has_value());
    };
    run();
    auto kept = PreviousCopy::find(apps, AppBundleMaker::identifier);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->build, "100");
    EXPECT_EQ(kept->version, "1.0");
    EXPECT_EQ(kept->replacedBy, "101");
    EXPECT_EQ(kept->date.size(), 20u) << kept->date;
    EXPECT_EQ(kept->installed, f.app);
    EXPECT_EQ(TempFolder::readText(kept->bundle / "Contents/Resources/build.txt"), "100");
    EXPECT_GT(kept->bytes, 0u);
    for (const fs::path& folder : {apps / PreviousCopy::folderName, kept->bundle.parent_path()}) {
        EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all)
            << folder;
    }

    AppBundleMaker::make(f.temp / "newer/Notes.app",
                         {.build = "102", .version = "1.2", .feedURL = ""});
    f.offer("102", AppBundleMaker::image(f.temp / "newer", f.temp / "newer.iso"));
    run();
    EXPECT_EQ(f.build(), "102");
    kept = PreviousCopy::find(apps, AppBundleMaker::identifier);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->build, "101");
    EXPECT_EQ(kept->replacedBy, "102");
    EXPECT_EQ(TempFolder::readText(kept->bundle / "Contents/Resources/build.txt"), "101");
    EXPECT_EQ(std::distance(fs::directory_iterator(apps / PreviousCopy::folderName),
                            fs::directory_iterator()),
              1);
    EXPECT_EQ(std::distance(fs::directory_iterator(apps), fs::directory_iterator()), 2)
        << "the copy kept before is gone, no staging folder stays";
}

TEST(Updater, APostponedInstallWaitsForItsOwner) {
    Fixture f;
    f.driver.postpone = true;
    auto updater = f.updater();
    ASSERT_TRUE(updater->startUpdater());
    updater->checkForUpdates();
    ASSERT_TRUE(runUntil([&] { return f.driver.postponed != nullptr; }));
    kestle::test::spin(100ms);
    EXPECT_EQ(f.build(), "100") << "nothing is installed while postponed";
    f.driver.postponed();
    f.driver.postponed(); // a second call does nothing more
    ASSERT_TRUE(runUntil([&] { return f.driver.finished; }));
    EXPECT_EQ(f.build(), "101");
    EXPECT_EQ(std::count(f.driver.calls.begin(), f.driver.calls.end(), "installed"), 1);
}

TEST(Updater, RefusesToStartWithoutWhatACycleNeeds) {
    TempFolder temp;
    RecordingDriver driver;
    struct Case {
        const char* name;
        std::string feed;
        std::string key;
        int64_t code;
    };
    for (const Case& c :
         {Case{"no feed", "", TestSigning::shared().publicKeyBase64(),
               UpdaterError::invalidFeedURL},
          Case{"ftp feed", "ftp://example.com/a.xml", TestSigning::shared().publicKeyBase64(),
               UpdaterError::invalidFeedURL},
          Case{"no key", "https://example.com/a.xml", "", UpdaterError::noPublicKey},
          Case{"key with a line break", "https://example.com/a.xml",
               TestSigning::shared().publicKeyBase64() + "\n", UpdaterError::noPublicKey}}) {
        SCOPED_TRACE(c.name);
        fs::path app = temp / (std::string(c.name) + ".app");
        TempFolder::writeText(app / "Contents/Info.plist",
                              R"(<?xml version="1.0"?><plist version="1.0"><dict>)"
                              "<key>CFBundleIdentifier</key><string>com.velmar.Notes</string>"
                              "<key>CFBundleVersion</key><string>1</string>"
                              "<key>SUFeedURL</key><string>" +
                                  c.feed +
                                  "</string>"
                                  "<key>SUPublicEDKey</key><string>" +
                                  c.key + "</string></dict></plist>");
        auto bundle = *Bundle::open(app);
        Updater updater(bundle, bundle, &driver, &driver);
        auto started = updater.startUpdater();
        ASSERT_FALSE(started);
        EXPECT_EQ(started.error().domain, PlatformError::updaterDomain);
        EXPECT_EQ(started.error().code, c.code);
    }
}

TEST(Updater, ReleasedMidDownloadLeavesNothingBehind) {
    Fixture f;
    f.server.pauseMidway("/Notes.dmg", f.image, f.image.size() / 2, 20s);
    auto updater = f.updater();
    ASSERT_TRUE(updater->startUpdater());
    updater->checkForUpdates();
    ASSERT_TRUE(runUntil([&] {
        return std::find(f.driver.calls.begin(), f.driver.calls.end(), "data") !=
               f.driver.calls.end();
    }));
    updater.reset();
    // The stopped download removes the working folder as it returns.
    EXPECT_TRUE(runUntil([&] { return fs::is_empty(f.work); }));
    EXPECT_EQ(f.build(), "100");
}

TEST(Updater, ReleasedWhileATricklingAppcastIsReadItNeitherWaitsNorCallsBack) {
    Fixture f;
    f.server.trickle("/appcast.xml", 50ms);
    auto updater = f.updater();
    ASSERT_TRUE(updater->startUpdater());
    updater->checkForUpdates();
    ASSERT_TRUE(runUntil([&] { return f.server.requestCount("/appcast.xml") == 1; }));
    ASSERT_TRUE(f.driver.checkCancellation);
    f.driver.checkCancellation();
    ASSERT_TRUE(runUntil([&] { return f.driver.finished; }));
    ASSERT_TRUE(f.driver.finishedWith);
    EXPECT_EQ(f.driver.finishedWith->code, UpdaterError::installationCanceled);

    // Neither a new cycle nor the release may wait for a request still in flight.
    auto began = std::chrono::steady_clock::now();
    updater->checkForUpdates();
    EXPECT_LT(std::chrono::steady_clock::now() - began, 2s) << "a new check waited";
    ASSERT_TRUE(runUntil([&] { return f.server.requestCount("/appcast.xml") == 2; }));
    began = std::chrono::steady_clock::now();
    updater.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - began, 2s) << "the release waited";

    const std::vector<std::string> calls = f.driver.calls;
    kestle::test::spin(300ms);
    EXPECT_EQ(f.driver.calls, calls) << "called after its release";
    EXPECT_TRUE(fs::is_empty(f.work));
}

TEST(Updater, AnImageThatIsNotTheOfferedNewerReleaseChangesNothing) {
    struct Case {
        const char* fault;
        std::string announced; // the item's build
        std::string holds;     // the build in the signed image
        std::string installed; // the installed build when the cycle starts
    };
    for (const Case& c : {
             Case{"an old release installed under a new build's name", "999", "100", "100"},
             Case{"a release other than the announced one installed", "999", "101", "100"},
             Case{"a copy updated meanwhile rolled back", "101", "101", "200"},
         }) {
        SCOPED_TRACE(c.fault);
        Fixture f;
        AppBundleMaker::make(f.temp / "offered/Notes.app",
                             {.build = c.holds, .version = "1.1", .feedURL = ""});
        f.offer(c.announced, AppBundleMaker::image(f.temp / "offered", f.temp / "offered.iso"));
        auto updater = f.updater(); // reads build 100
        if (c.installed != "100") {
            fs::remove_all(f.app);
            AppBundleMaker::make(
                f.app,
                {.build = c.installed, .version = "2.0", .feedURL = f.server.url("/appcast.xml")});
        }
        const auto before = TempFolder::snapshot(f.app);
        ASSERT_TRUE(updater->startUpdater());
        updater->checkForUpdates();
        ASSERT_TRUE(runUntil([&] { return f.driver.finished; }));
        EXPECT_EQ(f.driver.finishedWith.value_or(PlatformError("none", 0)).code,
                  UpdaterError::validation)
            << "reported as updated";
        EXPECT_EQ(f.build(), c.installed);
        EXPECT_EQ(TempFolder::snapshot(f.app), before);
        f.expectNoTraces();
    }
}

TEST(Updater, AnUpdateLargerThanTheFreeSpaceIsNotDownloaded) {
    Fixture f;
    f.offer("101", f.image, uint64_t{1} << 60);
    auto updater = f.updater();
    ASSERT_TRUE(updater->startUpdater());
    updater->checkForUpdates();
    ASSERT_TRUE(runUntil([&] { return f.driver.finished; }));
    ASSERT_TRUE(f.driver.finishedWith);
    EXPECT_EQ(f.driver.finishedWith->code, UpdaterError::fileCopy);
    EXPECT_NE(f.driver.finishedWith->description.find("1152921504606846976 bytes"),
              std::string::npos)
        << f.driver.finishedWith->description;
    EXPECT_EQ(f.server.requestCount("/Notes.dmg"), 0u);
    EXPECT_EQ(f.build(), "100");
    f.expectNoTraces();
}

TEST(Updater, ACanceledDownloadEndsTheCycleAsCanceled) {
    Fixture f;
    f.server.pauseMidway("/Notes.dmg", f.image, f.image.size() / 2, 20s);
    f.driver.cancelInDownload = true;
    auto updater = f.updater();
    ASSERT_TRUE(updater->startUpdater());
    updater->checkForUpdates();
    ASSERT_TRUE(runUntil([&] { return f.driver.finished; }));
    ASSERT_TRUE(f.driver.finishedWith);
    EXPECT_EQ(f.driver.finishedWith->code, UpdaterError::installationCanceled);
    EXPECT_EQ(f.driver.calls.back(), "finished");
    EXPECT_EQ(std::count(f.driver.calls.begin(), f.driver.calls.end(), "error 4007"), 0)
        << "a cancel is not shown as an error";
    EXPECT_TRUE(fs::is_empty(f.work));
    EXPECT_EQ(f.build(), "100");
}

// The standard controller's delegate calls for the application's own updates.
class Gentle : public UpdaterDelegate, public StandardUserDriverDelegate {
public:
    std::vector<std::string> calls;
    bool supportsGentleScheduledUpdateReminders() override { return true; }
    void standardUserDriverWillHandleShowingUpdate(bool handle, const AppcastItem&,
                                                   const UserUpdateState& state) override {
        calls.push_back(std::string("will show ") + (handle ? "itself" : "quietly") +
                        (state.userInitiated ? ", asked" : ", scheduled"));
    }
    void standardUserDriverDidReceiveUserAttentionForUpdate(const AppcastItem&) override {
        calls.push_back("attention");
    }
    void standardUserDriverWillFinishUpdateSession() override { calls.push_back("finish"); }
};

TEST(StandardUpdaterController, AScheduledFindWaitsQuietlyUntilTheUserAsks) {
    Fixture f;
    Gentle gentle;
    Updater::Options options = f.options();
    options.firstScheduledCheck = 10ms;
    StandardUpdaterController controller(true, &gentle, &gentle, f.app, options);
    ASSERT_NE(controller.updater(), nullptr);
    controller.updater()->setAutomaticallyChecksForUpdates(true);
    ASSERT_TRUE(runUntil([&] { return !gentle.calls.empty(); }));
    EXPECT_EQ(gentle.calls, std::vector<std::string>{"will show quietly, scheduled"});
    EXPECT_EQ(controller.userDriver().window(), nullptr) << "no window for a scheduled find";

    controller.checkForUpdates();
    EXPECT_EQ(gentle.calls.back(), "attention");
    QDialog* window = controller.userDriver().window();
    ASSERT_NE(window, nullptr);
    // "Remind Me Later" ends the cycle and closes the window.
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->text() == "Remind Me Later") {
            button->click();
        }
    }
    ASSERT_TRUE(runUntil([&] { return gentle.calls.back() == "finish"; }));
    EXPECT_EQ(controller.userDriver().window(), nullptr);
    EXPECT_FALSE(controller.updater()->sessionInProgress());
    EXPECT_EQ(f.build(), "100");
}

} // namespace
