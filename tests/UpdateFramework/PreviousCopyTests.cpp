#include "install/PreviousCopy.hpp"

#include <chrono>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <stdio.h>

#include <gtest/gtest.h>

#include "helpers/AppBundleMaker.hpp"
#include "helpers/TempFolder.hpp"
#include "install/Leftovers.hpp"
#include "install/WorkFolder.hpp"

using kestle::GoBackError;
using kestle::PreviousCopy;
using kestle::WorkFolder;
using kestle::test::AppBundleMaker;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

namespace {

// Build 101 installed over build 100 the way an update does it: staged beside the app
// in a working folder, exchanged, and the old copy kept.
struct Kept {
    TempFolder temp;
    fs::path apps = temp / "Applications";
    fs::path app = apps / "Notes.app";

    Kept() {
        AppBundleMaker::make(app, {.build = "100", .version = "1.0", .feedURL = ""});
        const fs::path staging = apps / ".velmarkestle-0F6D2C1E-5A7B-4C3D-9E8F-102030405060";
        if (WorkFolder::create(staging) != 0) {
            throw std::runtime_error("no staging folder");
        }
        AppBundleMaker::make(staging / "Notes.app",
                             {.build = "101", .version = "1.1", .feedURL = ""});
        if (::renameat2(AT_FDCWD, (staging / "Notes.app").c_str(), AT_FDCWD, app.c_str(),
                        RENAME_EXCHANGE) != 0 ||
            PreviousCopy::keep(staging, app, AppBundleMaker::identifier, "101",
                               std::chrono::system_clock::now()) != 0) {
            throw std::runtime_error("nothing kept");
        }
    }
    ~Kept() { AppBundleMaker::killAll(temp.path()); }

    std::string installedBuild() const {
        return TempFolder::readText(app / "Contents/Resources/build.txt");
    }
    std::optional<PreviousCopy> kept() const {
        return PreviousCopy::find(apps, AppBundleMaker::identifier);
    }
};

TEST(PreviousCopy, GoingBackPutsTheKeptCopyInPlaceAndRemovesTheNewerOne) {
    Kept k;
    ASSERT_EQ(k.installedBuild(), "101");
    auto restored =
        PreviousCopy::restore(k.apps, AppBundleMaker::identifier, AppBundleMaker::anchors());
    ASSERT_TRUE(restored) << describe(restored.error());
    EXPECT_EQ(k.installedBuild(), "100");
    EXPECT_FALSE(k.kept());
    EXPECT_EQ(std::distance(fs::directory_iterator(k.apps), fs::directory_iterator()), 1)
        << "the newer bundle and the empty folder of kept copies are gone";

    auto again =
        PreviousCopy::restore(k.apps, AppBundleMaker::identifier, AppBundleMaker::anchors());
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().kind, GoBackError::Kind::noCopy);
}

TEST(PreviousCopy, GoingBackIsRefusedWithoutAChangeOnDiskWhenEitherCopyIsNotWhatWasKept) {
    struct Case {
        const char* fault;
        GoBackError::Kind expected;
        std::function<void(Kept&)> alter;
    };
    for (const Case& c : {
             Case{"a file of the kept copy changed", GoBackError::Kind::signature,
                  [](Kept& k) {
                      TempFolder::writeText(k.kept()->bundle / "Contents/Resources/build.txt",
                                            "999");
                  }},
             Case{"a file added to the kept copy", GoBackError::Kind::signature,
                  [](Kept& k) {
                      TempFolder::writeText(k.kept()->bundle / "Contents/MacOS/extra", "x");
                  }},
             Case{"the app reinstalled by hand", GoBackError::Kind::changed,
                  [](Kept& k) {
                      fs::remove_all(k.app);
                      AppBundleMaker::make(k.app,
                                           {.build = "105", .version = "1.5", .feedURL = ""});
                  }},
         }) {
        SCOPED_TRACE(c.fault);
        Kept k;
        c.alter(k);
        const auto before = TempFolder::snapshot(k.temp.path());
        auto restored =
            PreviousCopy::restore(k.apps, AppBundleMaker::identifier, AppBundleMaker::anchors());
        ASSERT_FALSE(restored);
        EXPECT_EQ(restored.error().kind, c.expected) << describe(restored.error());
        EXPECT_EQ(TempFolder::snapshot(k.temp.path()), before);
    }
}

TEST(PreviousCopy, TheSweepRemovesOnlyCopiesWhoseAppIsGoneOrNoLongerTheBuildThatReplacedThem) {
    struct Case {
        const char* what;
        bool stays;
        std::function<void(Kept&)> change;
    };
    for (const Case& c : {
             Case{"the app as the update left it", true, [](Kept&) {}},
             Case{"the app removed", false, [](Kept& k) { fs::remove_all(k.app); }},
             Case{"the app reinstalled by hand at another build", false,
                  [](Kept& k) {
                      fs::remove_all(k.app);
                      AppBundleMaker::make(k.app,
                                           {.build = "100", .version = "1.0", .feedURL = ""});
                  }},
             Case{"a link in the app's place", false,
                  [](Kept& k) {
                      fs::rename(k.app, k.temp / "Notes.app");
                      fs::create_directory_symlink(k.temp / "Notes.app", k.app);
                  }},
         }) {
        SCOPED_TRACE(c.what);
        Kept k;
        c.change(k);
        auto removed = kestle::Leftovers::sweep(k.temp / "no-work", {k.apps});
        EXPECT_EQ(k.kept().has_value(), c.stays);
        EXPECT_EQ(removed.size(), c.stays ? 0u : 1u);
        EXPECT_EQ(fs::exists(k.apps / PreviousCopy::folderName), c.stays);
    }
}

} // namespace
