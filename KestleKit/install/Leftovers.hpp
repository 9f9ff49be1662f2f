#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "install/DiskImage.hpp"

namespace kestle {

// What installs and updates of ended runs left behind: working folders (with a disk
// image perhaps still attached inside) and staging folders beside the apps. Only
// folders this program made and marked, of a process that no longer runs; and kept
// previous copies whose app was removed or replaced by hand (see PreviousCopy).
struct Leftovers {
    // Prefixes of the folders, each followed by a UUID.
    static constexpr std::string_view installWork = "VelmarKestle-";
    static constexpr std::string_view updateWork = "VelmarKestle-update-";
    static constexpr std::string_view staging = ".velmarkestle-";

    // Removes them from work and from each app folder; an image attached in a working
    // folder is detached first through tool. Partial downloads in work stay until they
    // are older than PartialDownload::maxAge at now. Returns what was removed. Disk
    // work: call it off the main thread.
    static std::vector<std::filesystem::path>
    sweep(const std::filesystem::path& work, const std::vector<std::filesystem::path>& appFolders,
          const std::string& tool = DiskImage::defaultTool(),
          std::chrono::system_clock::time_point now = std::chrono::system_clock::now());
};

} // namespace kestle
