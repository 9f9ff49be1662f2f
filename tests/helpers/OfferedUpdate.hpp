#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Updater.hpp"
#include "apps/InstalledApps.hpp"
#include "helpers/AppBundleMaker.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/TempFolder.hpp"
#include "helpers/TestAppcast.hpp"

namespace kestle::test {

// A bundle installed at build 100 and its build 101 offered by a loopback feed
// ("/appcast.xml") as an image signed with the test key, with the working and
// attached-image folders an update needs. Kills what runs from it at the end.
struct OfferedUpdate {
    TempFolder temp;
    std::filesystem::path bundle;
    std::filesystem::path work = temp / "work";
    std::filesystem::path state = temp / "state";
    LoopbackServer server;
    std::string feed = server.url("/appcast.xml");

    // name: the bundle's folder name, in temp/Applications.
    explicit OfferedUpdate(const std::string& name) : bundle(temp / "Applications" / name) {
        std::filesystem::create_directories(work);
        std::filesystem::create_directories(state);
        std::filesystem::permissions(state, std::filesystem::perms::owner_all);
        ::setenv("KESTLE_DISKUTIL_STATE", state.c_str(), 1);
        AppBundleMaker::make(bundle, {.build = "100", .version = "1.0", .feedURL = feed});
        AppBundleMaker::make(temp / "new" / name,
                             {.build = "101", .version = "1.1", .feedURL = feed});
        const std::string image = AppBundleMaker::image(temp / "new", temp / "new.iso");
        server.serve("/update.dmg", image);
        server.serve("/appcast.xml", signedAppcast("101", "1.1", server.url("/update.dmg"), image),
                     "application/xml");
    }
    ~OfferedUpdate() {
        AppBundleMaker::killAll(temp.path());
        ::unsetenv("KESTLE_DISKUTIL_STATE");
    }
    OfferedUpdate(const OfferedUpdate&) = delete;
    OfferedUpdate& operator=(const OfferedUpdate&) = delete;

    framework::Updater::Options options() const {
        framework::Updater::Options options;
        options.anchors = AppBundleMaker::anchors();
        options.diskTool = KESTLE_DISKUTIL_TOOL;
        options.work = work;
        options.quitGrace = std::chrono::milliseconds(300);
        options.quitPoll = std::chrono::milliseconds(20);
        return options;
    }

    std::string installedBuild() const {
        auto read = InstalledApps::read(Url::fromPath(bundle.string()));
        return read ? read->second.build : "?";
    }
};

} // namespace kestle::test
