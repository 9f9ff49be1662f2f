#pragma once

namespace kestle::app {

// Process-wide truth values that tell a login launch, a user's quit and a requested
// relaunch apart. Main thread only.
struct AppFlags {
    // The desktop started the application from its autostart entry.
    static inline bool launchedAtLogin = false;
    // The main window that appears next closes itself (a login launch stays quiet).
    static inline bool closesWindowAtLogin = false;
    // The quit under way came from the user's Quit command.
    static inline bool isUserQuit = false;
    // A relaunch starts once the application has terminated. Qt quits after the event
    // loop returns, so the flag stays set until then.
    static inline bool relaunchRequested = false;
};

} // namespace kestle::app
