#pragma once

#include <filesystem>
#include <vector>

#include <sys/types.h>

namespace kestle {

// The running copies of an application bundle: processes whose executable lies inside
// the bundle. Processes of other users whose executable cannot be read are not seen.
struct RunningApps {
    // Process ids, the caller's own process included when it runs from the bundle.
    static std::vector<pid_t> find(const std::filesystem::path& bundle);

    // Asks each process to quit (SIGTERM): a request the app may refuse or delay.
    static void terminate(const std::vector<pid_t>& processes);
};

} // namespace kestle
