#include "support/AtomicFile.hpp"

#include <cerrno>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "check/CheckCache.hpp"
#include "helpers/SmallDisk.hpp"
#include "helpers/TempFolder.hpp"
#include "support/PreferenceStore.hpp"

using kestle::AtomicFile;
using kestle::CheckCache;
using kestle::FilePreferences;
using kestle::test::SmallDisk;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

namespace {

// What a failed write must leave: the folder's names exactly as given.
std::string namesIn(const fs::path& folder) {
    std::string names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names += entry.path().filename().string() + " ";
    }
    return names;
}

// The cache, the preferences and any file written whole: on a full disk and then on a
// read-only one, each write fails with the disk's error, the previous file stays as it
// was, and no temporary file is left.
TEST(AtomicFile, AFullOrReadOnlyDiskKeepsThePreviousFileAndLeavesNothingHalfWritten) {
    TempFolder temp;
    const fs::path disk = temp / "disk";
    fs::create_directories(disk);
    const std::string big(256 * 1024, 'x');
    EXPECT_ON_SMALL_DISK(SmallDisk::run(disk, 64 * 1024, false, [&]() -> std::string {
        const fs::path file = disk / "file.json";
        if (!AtomicFile::write(file, "previous")) {
            return "the first write failed";
        }
        if (AtomicFile::write(file, big) || errno != ENOSPC) {
            return "a write beyond the disk's room did not fail with ENOSPC";
        }
        if (AtomicFile::read(file, 1 << 20) != "previous") {
            return "the previous file was not kept";
        }

        CheckCache cache(disk / "cache");
        cache.writeCatalog("catalog 1");
        cache.writeCatalog(big);
        if (cache.readCatalog() != "catalog 1") {
            return "the cached catalog was lost";
        }

        const fs::path prefsFile = disk / "prefs/store.plist";
        {
            FilePreferences prefs(prefsFile);
            prefs.set("kept", true);
            if (prefs.lastWriteFailed()) {
                return "the first preference was not written";
            }
            prefs.set("big", big);
            if (!prefs.lastWriteFailed()) {
                return "a preference too big for the disk was reported written";
            }
        }
        if (auto reopened = FilePreferences(prefsFile).value("kept");
            !reopened || *reopened != kestle::PreferenceValue(true) ||
            FilePreferences(prefsFile).value("big")) {
            return "the preferences file does not hold what was last written";
        }
        for (const auto& folder : {disk, disk / "cache", disk / "prefs"}) {
            const std::string names = namesIn(folder);
            if (names.find(".XXXX") != std::string::npos ||
                names.find(".json.") != std::string::npos ||
                names.find(".plist.") != std::string::npos) {
                return "a temporary file was left: " + names;
            }
        }

        if (!SmallDisk::makeReadOnly(disk)) {
            return "the disk could not be made read-only";
        }
        if (AtomicFile::write(file, "new") || errno != EROFS) {
            return "a write to a read-only disk did not fail with EROFS";
        }
        FilePreferences prefs(prefsFile);
        prefs.set("later", true);
        if (!prefs.lastWriteFailed() || !FilePreferences(prefsFile).value("kept")) {
            return "a preference on a read-only disk was reported written, or the file was lost";
        }
        return {};
    }));
}

} // namespace
