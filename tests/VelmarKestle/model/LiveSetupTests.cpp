#include "model/LiveSetup.hpp"

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "helpers/LogCapture.hpp"
#include "helpers/TempFolder.hpp"
#include "helpers/TestSigning.hpp"
#include "sessions/SparkleSession.hpp"

using kestle::MemoryPreferences;
using kestle::UpdateFailure;
using kestle::UpdateOutcome;
using kestle::app::Configuration;
using kestle::app::LiveSetup;
using kestle::test::LogCapture;
using kestle::test::TempFolder;
using kestle::test::TestSigning;
namespace fs = std::filesystem;

namespace {

struct Keys {
    std::string catalogURL;
    std::string catalogKey = TestSigning::shared().publicKeyBase64();
    std::string updateKey = TestSigning::shared().publicKeyBase64();
    bool sample = true;
};

Keys keys(const std::function<void(Keys&)>& change) {
    Keys keys;
    change(keys);
    return keys;
}

// A bundle with a generated Info.plist, and a sample catalog file when asked for.
fs::path makeBundle(const TempFolder& temp, const Keys& keys) {
    fs::path bundle = temp / "VelmarKestle.app";
    TempFolder::writeText(
        bundle / "Contents/Info.plist",
        R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)"
        "<key>CFBundleIdentifier</key><string>com.velmar.VelmarKestle</string>"
        "<key>CFBundleShortVersionString</key><string>1.0.0</string>"
        "<key>VelmarKestleCatalogURL</key><string>" +
            keys.catalogURL + "</string><key>VelmarKestleCatalogKey</key><string>" +
            keys.catalogKey + "</string><key>VelmarKestleUpdateKey</key><string>" + keys.updateKey +
            "</string><key>VelmarKestleAppFolders</key><array><string>" + (temp / "Apps").string() +
            "</string><string>~/Elsewhere</string></array></dict></plist>");
    if (keys.sample) {
        TempFolder::writeText(bundle / "Contents/Resources/Catalog/catalog.json", "{}");
    }
    return bundle;
}

TEST(LiveSetup, ReadsItsConfigurationFromInfoPlist) {
    struct Case {
        const char* name;
        Keys keys;
        bool checker;
        bool sample;
        bool installer;
        const char* logged;
    };
    const std::string newline = TestSigning::shared().publicKeyBase64() + "\n";
    const std::vector<Case> cases = {
        {"spaces only use the sample", keys([](Keys& k) { k.catalogURL = "  \t "; }), true, true,
         true, nullptr},
        {"a configured catalog",
         keys([](Keys& k) { k.catalogURL = " https://velmar.example/catalog.json\t"; }), true,
         false, true, nullptr},
        {"a catalog key with a line break", keys([&](Keys& k) { k.catalogKey = newline; }), false,
         true, true, "No catalog address or key in Info.plist"},
        {"no sample and no address", keys([](Keys& k) { k.sample = false; }), false, true, true,
         "No catalog address or key in Info.plist"},
        {"no update key", keys([](Keys& k) { k.updateKey = ""; }), true, true, false,
         "No update key in Info.plist: installs are refused"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        TempFolder temp;
        const Configuration config = Configuration::read(makeBundle(temp, c.keys));
        auto setup = LiveSetup::make(config, std::make_shared<MemoryPreferences>(), {});
        EXPECT_EQ(setup.checker != nullptr, c.checker);
        EXPECT_EQ(setup.isSample, c.sample);
        EXPECT_EQ(LiveSetup::installer(config, {}) != nullptr, c.installer);
        if (c.logged != nullptr) {
            EXPECT_TRUE(log.contains(c.logged));
        }
        if (!c.sample) {
            EXPECT_EQ(setup.catalogURL->str(), "https://velmar.example/catalog.json");
        }
        ASSERT_EQ(setup.scope.folders.size(), 2u);
        EXPECT_EQ(setup.scope.folders[0].path(), (temp / "Apps").string());
        EXPECT_EQ(setup.scope.folders[1].path(),
                  (fs::path(std::getenv("HOME")) / "Elsewhere").string());
    }
}

TEST(LiveSetup, WithoutAnUpdateKeyInstallsAreRefusedButUpdatesStillRun) {
    TempFolder temp;
    const Configuration config =
        Configuration::read(makeBundle(temp, keys([](Keys& k) { k.updateKey = ""; })));
    auto setup = LiveSetup::make(config, nullptr, {});
    kestle::test::Recorder recorder;
    kestle::AppEntry entry = kestle::test::notesEntry((temp / "Apps/Notes.app").string());
    entry.installed.reset();
    entry.latest = kestle::FeedItem{};
    entry.latest->build = "2";
    entry.latest->version = "1.2";
    entry.latest->download = kestle::Url::parse("https://velmar.example/n.dmg");
    auto install = setup.makeSession(entry, kestle::JobKind::install, recorder.handlers());
    install->start();
    EXPECT_EQ(recorder.ends, std::vector{UpdateOutcome::failed(
                                 UpdateFailure::of(UpdateFailure::Kind::signature))});
    auto update = setup.makeSession(kestle::test::notesEntry((temp / "Apps/Notes.app").string()),
                                    kestle::JobKind::update, recorder.handlers());
    EXPECT_NE(dynamic_cast<kestle::app::SparkleSession*>(update.get()), nullptr);
}

} // namespace

namespace {

TEST(LiveSetup, UnreadablePreferencesAreKeptAsideWithAWarning) {
    LogCapture log;
    TempFolder temp;
    ::setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
    Configuration config;
    config.bundleID = "com.velmar.VelmarKestle";
    const fs::path file = LiveSetup::preferencesFile(config);
    EXPECT_EQ(file, temp / "config/VelmarKestle/com.velmar.VelmarKestle.plist");
    TempFolder::writeText(file, "not a property list");
    auto store = LiveSetup::preferences(config);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(log.contains("Preferences could not be read; kept aside as"));
    EXPECT_FALSE(store->string("layout"));
    store->set("layout", std::string("table"));
    EXPECT_EQ(kestle::FilePreferences(file).string("layout"), "table");
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(file.parent_path())) {
        ++files;
    }
    EXPECT_EQ(files, 2u) << "the unreadable file is kept beside the new one";
}

} // namespace
