// The bundle the build assembles: its Info.plist and the sample catalog the application
// falls back to, checked with the same keys and the same code the application uses.
#ifdef KESTLE_APP_BUNDLE

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <plist/plist.h>

#include "catalog/Catalog.hpp"
#include "catalog/SignedCatalog.hpp"
#include "codesign/CodeCheck.hpp"
#include "feeds/Feed.hpp"
#include "helpers/TempFolder.hpp"
#include "install/DiskImage.hpp"
#include "install/Installer.hpp"
#include "support/PropertyList.hpp"
#include "support/SystemInfo.hpp"
#include "support/UpdateSignature.hpp"
#include "support/Url.hpp"

using kestle::Catalog;
using kestle::CatalogApp;
using kestle::CodeCheck;
using kestle::DiskImage;
using kestle::Feed;
using kestle::FeedItem;
using kestle::Installer;
using kestle::PropertyList;
using kestle::SignedCatalog;
using kestle::SystemInfo;
using kestle::UpdateSignature;
using kestle::Url;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

namespace {

const fs::path bundle = KESTLE_APP_BUNDLE;
const fs::path catalogFile = bundle / "Contents/Resources/Catalog/catalog.json";

std::optional<PropertyList> readPlist(const fs::path& file) {
    return PropertyList::parse(TempFolder::readText(file));
}

const PropertyList& info() {
    static const PropertyList plist = [] {
        auto parsed = readPlist(bundle / "Contents/Info.plist");
        if (!parsed) {
            throw std::runtime_error("no readable Info.plist in " + bundle.string());
        }
        return std::move(*parsed);
    }();
    return plist;
}

std::optional<UpdateSignature> infoKey(const char* name) {
    return UpdateSignature::fromPublicKeyBase64(info().string(name).value_or(""));
}

// The sample is built only when no catalog address is configured.
bool isSampleBuild() {
    return info().string("VelmarKestleCatalogURL").value_or("x").empty();
}

std::vector<std::string> appFolders() {
    return info().strings("VelmarKestleAppFolders");
}

Catalog openSample() {
    auto key = infoKey("VelmarKestleCatalogKey");
    if (!key) {
        ADD_FAILURE() << "no usable VelmarKestleCatalogKey";
        return {};
    }
    auto catalog = SignedCatalog::open(TempFolder::readText(catalogFile), *key);
    EXPECT_TRUE(catalog.has_value()) << describe(catalog.error());
    return catalog.value_or(Catalog{});
}

std::vector<FeedItem> feedItems(const CatalogApp& app) {
    if (!app.feed || !app.feed->isFile()) {
        ADD_FAILURE() << app.id << ": no file: feed";
        return {};
    }
    auto items = Feed::items(TempFolder::readText(app.feed->path()));
    EXPECT_TRUE(items.has_value()) << app.id << ": feed malformed";
    return items.value_or(std::vector<FeedItem>{});
}

std::optional<FeedItem> latest(const CatalogApp& app) {
    return Feed::latest(feedItems(app), SystemInfo::version(), SystemInfo::architecture());
}

struct ProgramRun {
    std::string firstLine;
    int status = -1; // as waitpid gives it
};

// Starts exe, reads the first line it writes (within a few seconds), then asks it to
// quit with SIGTERM and waits for it.
ProgramRun runAndAskToQuit(const fs::path& exe) {
    ProgramRun run;
    int out[2];
    if (::pipe(out) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
    pid_t pid = 0;
    int spawned = ::posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned == 0) {
        char c = 0;
        pollfd ready{out[0], POLLIN, 0};
        while (::poll(&ready, 1, 5000) == 1 && ::read(out[0], &c, 1) == 1 && c != '\n') {
            run.firstLine += c;
        }
        ::kill(pid, SIGTERM);
        ::waitpid(pid, &run.status, 0);
    }
    ::close(out[0]);
    return run;
}

// Points the disk-image tool at a private state folder for the life of the value.
struct DiskToolState {
    explicit DiskToolState(const fs::path& folder) {
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all);
        ::setenv("KESTLE_DISKUTIL_STATE", folder.c_str(), 1);
    }
    ~DiskToolState() { ::unsetenv("KESTLE_DISKUTIL_STATE"); }
};

// Detached when the scope ends, failed assertions included.
struct Attachment {
    kestle::AttachedImage image;
    ~Attachment() { (void)DiskImage::detach(image, KESTLE_DISKUTIL_TOOL); }
};

} // namespace

TEST(SampleCatalog, InfoPlistConfiguresTheSampleBuild) {
    EXPECT_EQ(info().string("CFBundleIdentifier"), KESTLE_BUNDLE_ID);
    EXPECT_EQ(info().string("CFBundleExecutable"), "VelmarKestle");
    EXPECT_EQ(info().string("CFBundleName"), "VelmarKestle");
    EXPECT_FALSE(info().string("CFBundleShortVersionString").value_or("").empty());
    EXPECT_FALSE(info().string("CFBundleVersion").value_or("").empty());
    // Absent would make the application fall back silently; empty is how "none" is written.
    for (const char* key :
         {"VelmarKestleCatalogURL", "SUFeedURL", "SUPublicEDKey", "VelmarKestleSite",
          "VelmarKestleSupportAddress", "VelmarKestleTipPage"}) {
        EXPECT_TRUE(info().string(key).has_value()) << key << " missing";
    }
    if (!isSampleBuild()) {
        GTEST_SKIP() << "a build for a real catalog carries no sample";
    }
    for (const char* key : {"VelmarKestleCatalogKey", "VelmarKestleUpdateKey",
                            "VelmarKestleTeamKey", "VelmarKestleNotaryKey"}) {
        EXPECT_TRUE(infoKey(key).has_value()) << key << " is not a usable public key";
    }
    // An ordinary user must be able to install the sample's apps.
    EXPECT_EQ(appFolders(), std::vector<std::string>{"~/Applications"});
}

TEST(SampleCatalog, ListsReleasedComingAndHiddenAppsInBothLanguages) {
    if (!isSampleBuild()) {
        GTEST_SKIP() << "a build for a real catalog carries no sample";
    }
    struct Expected {
        CatalogApp::Status status;
        bool hidden;
        bool manualRemoval;
    };
    const std::map<std::string, Expected> expected{
        {"lumen", {CatalogApp::Status::released, false, false}},
        {"tessera", {CatalogApp::Status::released, false, true}},
        {"quill", {CatalogApp::Status::released, false, false}},
        {"orbit", {CatalogApp::Status::coming, false, false}},
        {"cipher", {CatalogApp::Status::released, true, false}},
    };

    Catalog catalog = openSample();
    ASSERT_EQ(catalog.apps.size(), expected.size()) << "an app failed to decode";
    const Url base = Url::fromPath(catalogFile.string());
    for (const CatalogApp& app : catalog.apps) {
        SCOPED_TRACE(app.id);
        auto want = expected.find(app.id);
        ASSERT_NE(want, expected.end());
        EXPECT_EQ(app.status, want->second.status);
        EXPECT_EQ(app.hidden, want->second.hidden);
        EXPECT_EQ(app.manualRemoval, want->second.manualRemoval);
        EXPECT_EQ(app.bundleID, "com.velmar.sample." + app.id);
        for (const auto* text : {&app.tagline, &app.summary}) {
            EXPECT_TRUE(text->values.contains("it")) << "no Italian text";
            EXPECT_NE(text->text("it"), text->text("en")) << "Italian text left in English";
        }
        EXPECT_TRUE(app.site.has_value());
        EXPECT_EQ(app.feed.has_value(), app.status == CatalogApp::Status::released)
            << "only released apps are checked for versions";
        auto icon = app.iconURL(base);
        ASSERT_TRUE(icon.has_value());
        EXPECT_TRUE(fs::is_regular_file(icon->path())) << icon->str() << " not beside the catalog";
    }
}

TEST(SampleCatalog, EveryFeedOffersASignedImageOfTheAnnouncedLength) {
    if (!isSampleBuild()) {
        GTEST_SKIP() << "a build for a real catalog carries no sample";
    }
    auto updateKey = infoKey("VelmarKestleUpdateKey");
    ASSERT_TRUE(updateKey.has_value());
    // The newest build must win whatever the order of the items.
    const std::map<std::string, std::string> latestBuild{
        {"lumen", "110"}, {"tessera", "240"}, {"quill", "31"}, {"cipher", "9"}};

    Catalog catalog = openSample();
    size_t feeds = 0;
    for (const CatalogApp& app : catalog.apps) {
        if (!app.feed) {
            continue;
        }
        SCOPED_TRACE(app.id);
        ++feeds;
        auto offered = latest(app);
        ASSERT_TRUE(offered.has_value()) << "nothing offered on this system";
        EXPECT_EQ(offered->build, latestBuild.at(app.id));
        EXPECT_TRUE(offered->date.has_value()) << "pubDate unreadable";
        EXPECT_TRUE(offered->notes.contains("en") && offered->notes.contains("it"));
        for (const FeedItem& item : feedItems(app)) {
            SCOPED_TRACE(item.build);
            ASSERT_TRUE(item.download && item.download->isFile());
            ASSERT_TRUE(item.length && item.edSignature);
            const fs::path image = item.download->path();
            ASSERT_TRUE(fs::is_regular_file(image));
            auto verified = Installer::verify(image, *item.length, *item.edSignature, *updateKey);
            EXPECT_TRUE(verified.has_value()) << describe(verified.error());
        }
    }
    EXPECT_EQ(feeds, latestBuild.size());
}

TEST(SampleCatalog, ImagesHoldAppsSignedByTheMakersTeamThatRunAndQuit) {
    if (!isSampleBuild()) {
        GTEST_SKIP() << "a build for a real catalog carries no sample";
    }
    auto teamKey = infoKey("VelmarKestleTeamKey");
    auto updateKey = infoKey("VelmarKestleUpdateKey");
    ASSERT_TRUE(teamKey && updateKey);
    const CodeCheck::Anchors anchors{.teams = {{std::string(CodeCheck::velmarTeam), *teamKey}},
                                     .notary = infoKey("VelmarKestleNotaryKey")};
    TempFolder temp;
    DiskToolState state(temp / "state");

    Catalog catalog = openSample();
    for (const CatalogApp& app : catalog.apps) {
        if (!app.feed) {
            continue;
        }
        SCOPED_TRACE(app.id);
        auto offered = latest(app);
        ASSERT_TRUE(offered && offered->download);
        auto attached = DiskImage::attach(
            *offered->download, Url::fromPath((temp / app.id).string()), KESTLE_DISKUTIL_TOOL);
        ASSERT_TRUE(attached.has_value()) << describe(attached.error());
        Attachment attachment{*attached};
        const fs::path bundlePath = temp / app.id / (app.name + ".app");

        auto checked =
            CodeCheck::checkDeveloperID(bundlePath, CodeCheck::velmarTeam, app.bundleID, anchors);
        EXPECT_TRUE(checked.has_value()) << describe(checked.error());
        EXPECT_TRUE(CodeCheck::isNotarized(bundlePath, anchors));
        // What the installer reads back and the updater later works from.
        auto plist = readPlist(bundlePath / "Contents/Info.plist");
        ASSERT_TRUE(plist.has_value());
        EXPECT_EQ(plist->string("CFBundleIdentifier"), app.bundleID);
        EXPECT_EQ(plist->string("CFBundleVersion"), offered->build);
        EXPECT_EQ(plist->string("CFBundleShortVersionString"), offered->version);
        EXPECT_EQ(plist->string("SUFeedURL"), app.feed->str());
        auto suKey =
            UpdateSignature::fromPublicKeyBase64(plist->string("SUPublicEDKey").value_or(""));
        EXPECT_EQ(suKey, updateKey) << "the app's own updates would not verify";

        // The program in the bundle finds its own bundle and quits when asked.
        ProgramRun run = runAndAskToQuit(bundlePath / "Contents/MacOS" /
                                         plist->string("CFBundleExecutable").value_or("?"));
        EXPECT_EQ(run.firstLine, app.name + " " + offered->version + " (" + offered->build +
                                     ") running from " + bundlePath.string());
        EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0)
            << "did not quit cleanly when asked";
    }
    EXPECT_TRUE(fs::is_empty(temp / "state")) << "an image left attached";
}

#endif
