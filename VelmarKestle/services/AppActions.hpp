#pragma once

#include <functional>
#include <optional>

#include "apps/AppEntry.hpp"

namespace kestle::app {

class KestleModel;

// What can be done to an entry, as the running application does it. Every view that
// offers one of these operations (cards, detail, table, menu bar, menu commands) is
// given one value, so views never reach for the services themselves.
struct AppActions {
    // Opens the installed app.
    std::function<void(const AppEntry&)> open;
    // Shows the installed bundle in the file manager.
    std::function<void(const AppEntry&)> showInFinder;
    // Opens the app's web page.
    std::function<void(const AppEntry&)> openSite;
    // Turns "Notify me" on or off for a coming app.
    std::function<void(const AppEntry&, KestleModel&)> notifyMe;
    // Opens the problem report about one app, or about this application when none.
    std::function<void(const std::optional<AppEntry>&, KestleModel&)> reportProblem;
    // Starts moving the app to the Trash.
    std::function<void(const AppEntry&, KestleModel&)> moveToTrash;
    // Asks to go back to the copy the app's last update replaced.
    std::function<void(const AppEntry&, KestleModel&)> goBack;
};

} // namespace kestle::app
