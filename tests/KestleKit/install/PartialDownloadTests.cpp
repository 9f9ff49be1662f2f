#include "install/PartialDownload.hpp"

#include <chrono>
#include <filesystem>
#include <set>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "helpers/TempFolder.hpp"
#include "install/Leftovers.hpp"

namespace kestle {
namespace {

using namespace std::chrono_literals;
using test::TempFolder;
namespace fs = std::filesystem;
using SystemClock = std::chrono::system_clock;

void setWritten(const fs::path& file, SystemClock::time_point when) {
    const timespec time{SystemClock::to_time_t(when), 0};
    const timespec times[2] = {time, time};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0) << file;
}

TEST(PartialDownload, TheNameTellsDownloadsApart) {
    const fs::path folder = "/partials";
    const Url url = *Url::parse("https://example.com/Notes.dmg");
    const fs::path file = PartialDownload::file(folder, url, 1000, "c2ln");
    EXPECT_EQ(file.parent_path(), folder);
    EXPECT_EQ(PartialDownload::file(folder, url, 1000, "c2ln"), file) << "not stable";
    const std::set<fs::path> others{
        PartialDownload::file(folder, *Url::parse("https://example.com/Other.dmg"), 1000, "c2ln"),
        PartialDownload::file(folder, url, 1001, "c2ln"),
        PartialDownload::file(folder, url, 1000, "b3RoZXI="),
    };
    EXPECT_EQ(others.size(), 3u);
    EXPECT_FALSE(others.contains(file)) << "another release would resume this one";
}

TEST(PartialDownload, TheFolderIsPrivateAndAValidatorMustFitAHeader) {
    TempFolder work;
    auto folder = PartialDownload::folder(work.path());
    ASSERT_TRUE(folder);
    struct stat st {};
    ASSERT_EQ(::stat(folder->c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A folder of that name that others may write in is not used.
    ::chmod(folder->c_str(), 0777);
    EXPECT_FALSE(PartialDownload::folder(work.path()));
    ::chmod(folder->c_str(), 0700);

    const fs::path partial = *folder / "x.partial";
    EXPECT_TRUE(PartialDownload::writeValidator(partial, "\"abc\""));
    EXPECT_EQ(PartialDownload::readValidator(partial), "\"abc\"");
    EXPECT_FALSE(PartialDownload::writeValidator(partial, "\"a\"\r\nX-Injected: 1"));
    TempFolder::writeText(PartialDownload::validatorFile(partial), "\"a\"\r\nX-Injected: 1");
    EXPECT_FALSE(PartialDownload::readValidator(partial)) << "a line end would split the header";
}

TEST(PartialDownload, TheLaunchSweepKeepsYoungPartialFilesAndRemovesOldOnes) {
    TempFolder work;
    const fs::path folder = *PartialDownload::folder(work.path());
    const auto now = SystemClock::now();
    const fs::path young = folder / "young.partial";
    const fs::path old = folder / "old.partial";
    const fs::path stray = folder / "notes.txt";
    for (const fs::path& partial : {young, old}) {
        TempFolder::writeText(partial, "bytes");
        ASSERT_TRUE(PartialDownload::writeValidator(partial, "\"v\""));
    }
    // The validator is written when the download starts; only the data's age counts.
    setWritten(PartialDownload::validatorFile(young), now - 30 * 24h);
    setWritten(young, now - PartialDownload::maxAge + 1h);
    setWritten(old, now - PartialDownload::maxAge - 1h);
    const fs::path orphan = folder / "gone.validator";
    TempFolder::writeText(orphan, "\"v\"");
    TempFolder::writeText(stray, "mine");
    setWritten(stray, now - 30 * 24h);

    auto removed = Leftovers::sweep(work.path(), {}, DiskImage::defaultTool(), now);
    const std::set<fs::path> gone(removed.begin(), removed.end());
    EXPECT_EQ(gone, (std::set<fs::path>{old, PartialDownload::validatorFile(old), orphan}));
    EXPECT_TRUE(fs::exists(young)) << "a young partial file did not survive the sweep";
    EXPECT_TRUE(fs::exists(PartialDownload::validatorFile(young)));
    EXPECT_TRUE(fs::exists(stray)) << "a file that is no partial download was removed";
    EXPECT_FALSE(fs::exists(old));

    // A week on, the young one has aged too.
    Leftovers::sweep(work.path(), {}, DiskImage::defaultTool(), now + PartialDownload::maxAge);
    EXPECT_FALSE(fs::exists(young));
    EXPECT_FALSE(fs::exists(PartialDownload::validatorFile(young)));
}

} // namespace
} // namespace kestle
