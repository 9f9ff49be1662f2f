#pragma once

#include "platform/LauncherEntry.hpp"

namespace kestle::app {

struct Configuration;

// The running application in the desktop's launcher, brought up to date at start.
struct LauncherItem {
    // The entry of this program in config's bundle, named after the desktop file name
    // the windows carry, with the glyph as its icon.
    static LauncherEntry entry(const Configuration& config);
    // Logs "Launcher entry written|unchanged", or why it could not be written.
    static void ensureInstalled(const Configuration& config);
};

} // namespace kestle::app
