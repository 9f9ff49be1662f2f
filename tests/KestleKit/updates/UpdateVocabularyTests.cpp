#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "helpers/TempFolder.hpp"
#include "updates/UpdateOutcome.hpp"
#include "updates/UpdateScope.hpp"
#include "updates/UpdateState.hpp"

using namespace kestle;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

namespace {

TEST(UpdateStep, FractionOnlyWhileDownloadingAKnownSize) {
    EXPECT_FALSE(UpdateStep::downloading(5, 0).fraction().has_value());
    EXPECT_EQ(UpdateStep::downloading(150, 100).fraction(), 1.0);
    EXPECT_EQ(UpdateStep::downloading(0, 100).fraction(), 0.0);
    EXPECT_EQ(UpdateStep::downloading(25, 100).fraction(), 0.25);
    EXPECT_FALSE(UpdateStep::verifying().fraction().has_value());
    auto huge = std::numeric_limits<uint64_t>::max();
    EXPECT_EQ(UpdateStep::downloading(huge, huge).fraction(), 1.0);
}

TEST(UpdateState, CancelsOnlyWhatCanStillStop) {
    EXPECT_TRUE(UpdateState::active(UpdateStep::checking()).canCancel());
    EXPECT_TRUE(UpdateState::active(UpdateStep::downloading(1, 2)).canCancel());
    EXPECT_FALSE(UpdateState::active(UpdateStep::verifying()).canCancel());
    EXPECT_FALSE(UpdateState::active(UpdateStep::installing(true)).canCancel());
    EXPECT_FALSE(UpdateState::active(UpdateStep::waitingForQuit()).canCancel());
    EXPECT_TRUE(UpdateState::queued().canCancel());
    EXPECT_TRUE(
        UpdateState::failed(UpdateFailure::of(UpdateFailure::Kind::connection)).canCancel());
    EXPECT_TRUE(UpdateState::handedToApp().canCancel());
    EXPECT_TRUE(UpdateState::queued().isRunning());
    EXPECT_FALSE(UpdateState::handedToApp().isRunning());
}

PlatformError chain(std::vector<std::pair<std::string, int64_t>> links) {
    std::shared_ptr<const PlatformError> below;
    for (auto it = links.rbegin(); it != links.rend(); ++it) {
        below = std::make_shared<PlatformError>(it->first, it->second, "", below);
    }
    return *below;
}

TEST(UpdateFailure, ClassifiesErrorsByDomainCodeAndCause) {
    const std::string url = PlatformError::urlLoadingDomain;
    const std::string updater = PlatformError::updaterDomain;
    using K = UpdateFailure::Kind;
    struct Case {
        const char* fault;
        PlatformError error;
        UpdateFailure expected;
    };
    std::vector<std::pair<std::string, int64_t>> nine(8, {updater, 3000});
    nine.push_back({url, -1009});
    std::vector<std::pair<std::string, int64_t>> eight(7, {updater, 3000});
    eight.push_back({url, -1009});
    const Case cases[] = {
        {"cause not searched", chain({{updater, 3000}, {url, -1001}}),
         UpdateFailure::of(K::connection)},
        {"code without cause", chain({{updater, 3000}}), UpdateFailure::other(3000)},
        {"ninth error looked at", chain(nine), UpdateFailure::other(3000)},
        {"eighth error not looked at", chain(eight), UpdateFailure::of(K::connection)},
        {"download failure", chain({{updater, 2001}}), UpdateFailure::of(K::connection)},
        {"signature codes", chain({{updater, 3002}}), UpdateFailure::of(K::signature)},
        {"signature codes", chain({{updater, 1}}), UpdateFailure::of(K::signature)},
        {"permission code", chain({{updater, 4012}}), UpdateFailure::of(K::noPermission)},
        {"other domain read as updater", chain({{"NSPOSIXErrorDomain", 4012}}),
         UpdateFailure::other(4012)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UpdateFailure::from(c.error), c.expected)
            << c.fault << ": got " << describe(UpdateFailure::from(c.error));
    }
}

TEST(UpdateOutcome, EndOfCycleWithoutErrorIsACancel) {
    const std::string updater = PlatformError::updaterDomain;
    EXPECT_EQ(UpdateOutcome::endOfCycle(std::nullopt), UpdateOutcome::canceled());
    EXPECT_EQ(UpdateOutcome::endOfCycle(PlatformError(updater, 4007)), UpdateOutcome::canceled());
    EXPECT_EQ(UpdateOutcome::endOfCycle(PlatformError(updater, 4008)), UpdateOutcome::canceled());
    EXPECT_EQ(UpdateOutcome::endOfCycle(PlatformError(updater, 1001)), UpdateOutcome::noUpdate());
    EXPECT_EQ(UpdateOutcome::endOfCycle(PlatformError("other", 1001)),
              UpdateOutcome::failed(UpdateFailure::other(1001)));
    EXPECT_EQ(UpdateOutcome::endOfCycle(PlatformError(updater, 2001)),
              UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::connection)));
}

TEST(UpdateScope, AllowsBundlesDirectlyInsideTheFolders) {
    TempFolder root;
    fs::create_directories(root / "Applications/Tool.app");
    fs::create_directories(root / "Applications/Utilities/Deep.app");
    fs::create_directories(root / "home/Applications");
    fs::create_directories(root / "Desktop/Loose.app");
    fs::create_directory_symlink(root / "Applications", root / "Linked");
    UpdateScope scope{{Url::fromPath((root / "Applications").string()),
                       Url::fromPath((root / "home/Applications").string())}};
    EXPECT_EQ(scope.installFolder(), scope.folders.front());
    EXPECT_FALSE(UpdateScope{}.installFolder().has_value());

    auto at = [&](const std::string& relative) {
        return Url::fromPath((root.path() / relative).string());
    };
    struct Case {
        const char* fault;
        Url url;
        bool allowed;
    };
    const Case cases[] = {
        {"plain bundle refused", at("Applications/Tool.app"), true},
        {"bundle not yet there refused", at("home/Applications/New.app"), true},
        {"'.' component refused", at("Applications/./Tool.app"), true},
        {"'..' not resolved", at("Applications/Utilities/../Tool.app"), true},
        {"symbolic link to an allowed folder refused", at("Linked/Tool.app"), true},
        {"trailing slash refused", *Url::parse(at("Applications/Tool.app").str() + "/"), true},
        {"no extension allowed", at("Applications/Tool"), false},
        {"capital extension allowed", at("Applications/Tool.APP"), false},
        {"nested bundle allowed", at("Applications/Utilities/Deep.app"), false},
        {"outside bundle allowed", at("Desktop/Loose.app"), false},
        {"escape by '..' allowed", at("Applications/../Desktop/Loose.app"), false},
        {"the folder itself allowed", at("Applications"), false},
        {"web URL allowed", *Url::parse("https://velmar.example/Tool.app"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scope.allows(c.url), c.allowed) << c.fault << ": " << c.url.str();
    }
    EXPECT_FALSE(UpdateScope{}.allows(at("Applications/Tool.app")));
}

} // namespace
