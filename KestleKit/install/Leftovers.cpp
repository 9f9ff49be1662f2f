#include "install/Leftovers.hpp"

#include <array>

#include "install/PartialDownload.hpp"
#include "install/PreviousCopy.hpp"
#include "install/WorkFolder.hpp"

namespace kestle {

namespace fs = std::filesystem;

std::vector<fs::path> Leftovers::sweep(const fs::path& work,
                                       const std::vector<fs::path>& appFolders,
                                       const std::string& tool,
                                       std::chrono::system_clock::time_point now) {
    // Both kinds of working folder open their image at "volume".
    auto detach = [&tool](const fs::path& folder) {
        const fs::path volume = folder / "volume";
        std::error_code error;
        if (fs::is_directory(fs::symlink_status(volume, error))) {
            (void)DiskImage::detach({volume.string(), Url::fromPath(volume.string() + "/")}, tool);
        }
    };
    const std::array workPrefixes{installWork, updateWork};
    std::vector<fs::path> removed = WorkFolder::sweep(work, workPrefixes, detach);
    auto stale = PartialDownload::sweep(work, now);
    removed.insert(removed.end(), stale.begin(), stale.end());
    const std::array stagingPrefixes{staging};
    for (const fs::path& folder : appFolders) {
        auto more = WorkFolder::sweep(folder, stagingPrefixes);
        removed.insert(removed.end(), more.begin(), more.end());
        auto gone = PreviousCopy::sweep(folder);
        removed.insert(removed.end(), gone.begin(), gone.end());
    }
    return removed;
}

} // namespace kestle
