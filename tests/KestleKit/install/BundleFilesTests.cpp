#include "install/BundleFiles.hpp"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "helpers/TempFolder.hpp"

using kestle::BundleFiles;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

namespace {

TEST(BundleFiles, ATreeSwappedForALinkDuringRemovalNeverCostsWhatTheLinkReaches) {
    TempFolder temp;
    const fs::path victim = temp / "victim";
    for (int i = 0; i < 8; ++i) {
        TempFolder::writeText(victim / ("file" + std::to_string(i)), "precious");
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    int rounds = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        ++rounds;
        const fs::path tree = temp / "tree";
        for (int i = 0; i < 8; ++i) {
            TempFolder::writeText(tree / "folder" / ("file" + std::to_string(i)), "ours");
        }
        fs::create_directory_symlink(victim, tree / "link");
        // Another user of a shared folder exchanging a folder of the tree and a link.
        std::atomic<bool> done{false};
        std::thread swapper([&] {
            while (!done) {
                ::renameat2(AT_FDCWD, (tree / "folder").c_str(), AT_FDCWD, (tree / "link").c_str(),
                            RENAME_EXCHANGE);
            }
        });
        BundleFiles::removeTree(tree);
        done = true;
        swapper.join();
        BundleFiles::removeTree(tree);

        ASSERT_FALSE(fs::exists(fs::symlink_status(tree))) << "round " << rounds;
        for (int i = 0; i < 8; ++i) {
            ASSERT_EQ(TempFolder::readText(victim / ("file" + std::to_string(i))), "precious")
                << "round " << rounds;
        }
    }
}

TEST(BundleFiles, ReadOnlyTreesGoAndTreesDeeperThanAnyBundleAreNotCopied) {
    TempFolder temp;
    fs::path deep = temp / "Deep.app";
    for (int level = 0; level < 140; ++level) {
        deep /= "d";
    }
    TempFolder::writeText(deep / "file", "x");
    fs::create_directories(temp / "into");
    EXPECT_EQ(BundleFiles::copy(temp / "Deep.app", temp / "into"), ELOOP);

    const fs::path shallow = temp / "Shallow.app";
    TempFolder::writeText(shallow / "Contents/Resources/file", "x");
    fs::permissions(shallow / "Contents/Resources", fs::perms(0555));
    fs::permissions(shallow / "Contents", fs::perms(0555));
    EXPECT_EQ(BundleFiles::copy(shallow, temp / "into"), 0);
    EXPECT_EQ(TempFolder::readText(temp / "into/Shallow.app/Contents/Resources/file"), "x");

    BundleFiles::removeTree(shallow);
    BundleFiles::removeTree(temp / "into");
    EXPECT_FALSE(fs::exists(shallow));
    EXPECT_FALSE(fs::exists(temp / "into"));
}

} // namespace
