#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stop_token>
#include <string>

#include "apps/InstalledApp.hpp"
#include "check/CheckResult.hpp"
#include "install/AppTrash.hpp"
#include "install/PreviousCopy.hpp"
#include "support/PreferenceStore.hpp"
#include "support/Url.hpp"
#include "updates/UpdateQueue.hpp"
#include "updates/UpdateScope.hpp"

namespace kestle::app {

using Clock = std::chrono::system_clock;

// Everything the model depends on, so that it runs against fakes in tests. The
// application's own value comes from LiveSetup.
struct Setup {
    // One check; none makes every check end without a catalog (invalid). Any thread;
    // it ends soon after its token is stopped (the model stops it when it goes away).
    std::function<CheckResult(std::stop_token)> checker;
    std::optional<Url> catalogURL; // also the base of icon URLs
    bool isSample = false;         // the catalog is the built-in sample
    // The installed-apps scan; any thread.
    std::function<std::map<std::string, InstalledApp>(const std::set<std::string>& bundleIDs)>
        scanInstalled;
    // The copies kept by updates of those apps that can be gone back to, by bundle
    // identifier; it may remove stale ones. Same thread as the scan, after it.
    std::function<std::map<std::string, PreviousCopy>(const std::map<std::string, InstalledApp>&)>
        findPrevious;
    std::function<Clock::time_point()> now = [] { return Clock::now(); }; // any thread
    std::shared_ptr<PreferenceStore> defaults;                            // "layout", "lastCheck"
    UpdateScope scope;
    UpdateQueue::MakeSession makeSession;
    bool termsAccepted = false;
    std::shared_ptr<PreferenceStore> ledgerDefaults; // "alerts"
    std::function<bool()> notifiesUpdates = [] { return true; };
    std::function<bool()> isFrontmost = [] { return false; };
    std::optional<AppTrash> trash;
};

} // namespace kestle::app
