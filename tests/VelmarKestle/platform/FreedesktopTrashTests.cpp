#include "platform/FreedesktopTrash.hpp"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "helpers/CrashChild.hpp"
#include "helpers/TempFolder.hpp"
#include "install/AppTrash.hpp"

using kestle::AppTrash;
using kestle::moveToFreedesktopTrash;
using kestle::TrashError;
using kestle::UpdateScope;
using kestle::Url;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

namespace {

// Keeps Qt away from the real home: its Trash follows HOME and XDG_DATA_HOME, which
// it reads on every call.
class FreedesktopTrash : public testing::Test {
protected:
    void SetUp() override {
        setenv("HOME", (temp / "home").c_str(), 1);
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        fs::create_directories(temp / "home");
        TempFolder::writeText(bundle / "Contents/Info.plist", "plist");
        TempFolder::writeText(bundle / "Contents/MacOS/Tool", "binary");
    }

    TempFolder temp;
    fs::path dataHome = temp / "home/data"; // not there yet, as on a fresh account
    fs::path bundle = temp / "Applications/Tool.app";
    AppTrash appTrash{UpdateScope{{Url::fromPath((temp / "Applications").string())}},
                      moveToFreedesktopTrash};
};

TEST_F(FreedesktopTrash, RoundTripThroughTheHomeTrash) {
    auto trashed = appTrash.trash(Url::fromPath(bundle.string()));
    ASSERT_TRUE(trashed) << describe(trashed.error());
    fs::path inTrash = trashed->inTrash.path();
    EXPECT_EQ(inTrash.parent_path(), dataHome / "Trash/files");
    EXPECT_FALSE(fs::exists(bundle));
    std::string info = TempFolder::readText(dataHome / "Trash/info" /
                                            (inTrash.filename().string() + ".trashinfo"));
    EXPECT_NE(info.find("Path=" + bundle.string()), std::string::npos) << info;

    ASSERT_TRUE(appTrash.restore(*trashed));
    EXPECT_FALSE(fs::exists(inTrash));
    EXPECT_EQ(TempFolder::readText(bundle / "Contents/Info.plist"), "plist");
    EXPECT_EQ(TempFolder::readText(bundle / "Contents/MacOS/Tool"), "binary");
}

// Killed on either side of the move, or of putting it back: the whole bundle is in
// exactly one place.
TEST_F(FreedesktopTrash, AMoveKilledAtAnyStepLeavesTheWholeBundleInOnePlace) {
    const auto bundleFiles = TempFolder::snapshot(bundle);
    const fs::path files = dataHome / "Trash/files";
    auto whereIsIt = [&]() -> std::string {
        const bool inPlace = fs::exists(bundle);
        const bool inTrash = fs::exists(files / "Tool.app");
        if (inPlace == inTrash) {
            return inPlace ? "in both places" : "nowhere";
        }
        return TempFolder::snapshot(inPlace ? bundle : files / "Tool.app") == bundleFiles
                   ? (inPlace ? "in place" : "in the Trash")
                   : "incomplete";
    };
    const Url url = Url::fromPath(bundle.string());
    ASSERT_TRUE(kestle::test::killedAt("trash.moving", [&] { (void)appTrash.trash(url); }));
    EXPECT_EQ(whereIsIt(), "in place");
    ASSERT_TRUE(kestle::test::killedAt("trash.moved", [&] { (void)appTrash.trash(url); }));
    EXPECT_EQ(whereIsIt(), "in the Trash");
    const kestle::TrashedApp trashed{url, Url::fromPath((files / "Tool.app").string())};
    ASSERT_TRUE(kestle::test::killedAt("trash.restored", [&] { (void)appTrash.restore(trashed); }));
    EXPECT_EQ(whereIsIt(), "in place");
}

TEST_F(FreedesktopTrash, UnusableDataFolderLeavesTheBundleInPlace) {
    TempFolder::writeText(dataHome, "a file where the data folder should be");
    auto trashed = appTrash.trash(Url::fromPath(bundle.string()));
    ASSERT_FALSE(trashed);
    EXPECT_EQ(trashed.error(), TrashError::failed(512)); // NSFileWriteUnknownError
    EXPECT_EQ(TempFolder::readText(bundle / "Contents/MacOS/Tool"), "binary");
}

} // namespace
