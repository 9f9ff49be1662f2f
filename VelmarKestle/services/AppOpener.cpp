#include "services/AppOpener.hpp"

#include <algorithm>

#include <unistd.h>

#include "Logging.hpp"
#include "apps/RunningApps.hpp"
#include "platform/Workspace.hpp"

namespace kestle::app {

AppOpener::AppOpener(Hooks hooks, Clock::duration settle)
    : hooks_(std::move(hooks)), settle_(settle) {
    if (!hooks_.running) {
        hooks_.running = [](const std::filesystem::path& bundle) {
            std::vector<pid_t> found = RunningApps::find(bundle);
            // This program may run from a bundle itself; it does not count as the app.
            std::erase(found, ::getpid());
            return found;
        };
    }
    if (!hooks_.start) {
        hooks_.start = &Workspace::openApplication;
    }
    if (!hooks_.now) {
        hooks_.now = &Clock::now;
    }
}

AppOpener& AppOpener::shared() {
    static AppOpener opener;
    return opener;
}

AppOpener::Outcome AppOpener::open(const AppEntry& entry) {
    if (!entry.installed) {
        return Outcome::notInstalled;
    }
    const std::filesystem::path bundle = entry.installed->url.path();
    const Clock::time_point now = hooks_.now();
    std::erase_if(started_, [&](const auto& start) { return now - start.second >= settle_; });
    if (started_.contains(bundle)) {
        qCInfo(lcActions, "Open %s: started a moment ago", entry.id().c_str());
        return Outcome::justStarted;
    }
    if (!hooks_.running(bundle).empty()) {
        qCInfo(lcActions, "Open %s: already running", entry.id().c_str());
        return Outcome::alreadyRunning;
    }
    if (auto opened = hooks_.start(bundle); !opened) {
        qCWarning(lcActions, "Open %s failed: %s", entry.id().c_str(), qPrintable(opened.error()));
        return Outcome::failed;
    }
    started_[bundle] = now;
    return Outcome::started;
}

} // namespace kestle::app
