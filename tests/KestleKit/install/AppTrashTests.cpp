#include "install/AppTrash.hpp"

#include <cerrno>
#include <expected>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "helpers/TempFolder.hpp"

using kestle::AppTrash;
using kestle::PlatformError;
using kestle::TrashedApp;
using kestle::TrashError;
using kestle::UpdateScope;
using kestle::Url;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

namespace kestle {
void PrintTo(const TrashError& error, std::ostream* out) {
    *out << describe(error);
}
} // namespace kestle

namespace {

struct Folders {
    TempFolder temp;
    fs::path apps = temp / "Applications";
    fs::path trash = temp / "Trash";
    fs::path desktop = temp / "Desktop";
    int moves = 0;

    Folders() { fs::create_directories(trash); }

    static void makeBundle(const fs::path& bundle, const std::string& text) {
        TempFolder::writeText(bundle / "Contents/Info.plist", text);
    }
    static std::string bundleText(const fs::path& bundle) {
        return TempFolder::readText(bundle / "Contents/Info.plist");
    }

    // Moves into the fake Trash as the platform would, or fails with error.
    AppTrash appTrash(std::optional<PlatformError> error = std::nullopt) {
        return AppTrash(UpdateScope{{Url::fromPath(apps.string())}},
                        [this, error](const Url& url) -> std::expected<Url, PlatformError> {
                            ++moves;
                            if (error) {
                                return std::unexpected(*error);
                            }
                            fs::path to = trash / fs::path(url.path()).filename();
                            fs::rename(url.path(), to);
                            return Url::fromPath(to.string());
                        });
    }
};

Url at(const fs::path& path) {
    return Url::fromPath(path.string());
}

template <typename T>
std::optional<TrashError> refusal(const std::expected<T, TrashError>& result) {
    return result ? std::nullopt : std::optional(result.error());
}

TEST(AppTrash, RefusedTrashLeavesTheBundleInPlace) {
    Folders f;
    Folders::makeBundle(f.apps / "Tool.app", "apps");
    Folders::makeBundle(f.desktop / "Tool.app", "desktop");

    EXPECT_EQ(refusal(f.appTrash().trash(at(f.desktop / "Tool.app"))),
              TrashError::outsideTestFolder());
    EXPECT_EQ(refusal(f.appTrash().trash(at(f.apps / "Gone.app"))), TrashError::missing());
    EXPECT_EQ(f.moves, 0);
    // The platform's code is what the trash flow shows.
    auto refused = f.appTrash(PlatformError(PlatformError::fileDomain, 513));
    EXPECT_EQ(refusal(refused.trash(at(f.apps / "Tool.app"))), TrashError::failed(513));

    EXPECT_EQ(Folders::bundleText(f.apps / "Tool.app"), "apps");
    EXPECT_EQ(Folders::bundleText(f.desktop / "Tool.app"), "desktop");
}

TEST(AppTrash, RoundTripKeepsContents) {
    Folders f;
    fs::path bundle = f.apps / "Tool.app";
    Folders::makeBundle(bundle, "v1");
    auto trash = f.appTrash();

    auto trashed = trash.trash(at(bundle));
    ASSERT_TRUE(trashed) << describe(trashed.error());
    EXPECT_EQ(*trashed, (TrashedApp{at(bundle), at(f.trash / "Tool.app")}));
    EXPECT_FALSE(fs::exists(bundle));

    ASSERT_TRUE(trash.restore(*trashed));
    EXPECT_EQ(Folders::bundleText(bundle), "v1");
    EXPECT_FALSE(fs::exists(f.trash / "Tool.app"));
}

TEST(AppTrash, FailedPutBackLeavesBothSidesAlone) {
    struct Case {
        const char* fault;
        std::function<void(Folders&)> meanwhile;
        bool outsideScope;
        TrashError expected;
    };
    const Case cases[] = {
        {"puts back an emptied Trash", [](Folders& f) { fs::remove_all(f.trash / "Tool.app"); },
         false, TrashError::notInTrash()},
        {"replaces a newly installed copy",
         [](Folders& f) { Folders::makeBundle(f.apps / "Tool.app", "new"); }, false,
         TrashError::placeTaken()},
        {"says the item left the Trash when the folder was removed",
         [](Folders& f) { fs::remove_all(f.apps); }, false, TrashError::failed(ENOENT)},
        {"puts back outside the scope", [](Folders&) {}, true, TrashError::outsideTestFolder()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        Folders f;
        Folders::makeBundle(f.apps / "Tool.app", "old");
        auto trash = f.appTrash();
        auto trashed = trash.trash(at(f.apps / "Tool.app"));
        ASSERT_TRUE(trashed);
        c.meanwhile(f);
        bool wasInTrash = fs::exists(f.trash / "Tool.app");
        if (c.outsideScope) {
            trashed->original = at(f.desktop / "Tool.app");
        }

        EXPECT_EQ(refusal(trash.restore(*trashed)), c.expected);
        if (wasInTrash) {
            EXPECT_EQ(Folders::bundleText(f.trash / "Tool.app"), "old");
        }
        if (fs::exists(f.apps / "Tool.app")) {
            EXPECT_EQ(Folders::bundleText(f.apps / "Tool.app"), "new");
        }
        EXPECT_FALSE(fs::exists(f.desktop / "Tool.app"));
    }
}

} // namespace
