#pragma once

#include <chrono>
#include <expected>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>

#include <QString>

#include <sys/types.h>

#include "apps/AppEntry.hpp"

namespace kestle::app {

// Opens installed apps, one copy each. A bundle that already runs is left to its
// running copy (this desktop gives no way to bring another program's window forward),
// and a second request for a bundle started a moment ago is taken for a double click:
// the copy it started may not show up among the processes yet.
class AppOpener {
public:
    using Clock = std::chrono::steady_clock;

    // What leaves the process; the defaults are the real system.
    struct Hooks {
        std::function<std::vector<pid_t>(const std::filesystem::path& bundle)> running;
        std::function<std::expected<void, QString>(const std::filesystem::path& bundle)> start;
        std::function<Clock::time_point()> now;
    };

    enum class Outcome { started, alreadyRunning, justStarted, failed, notInstalled };

    static constexpr std::chrono::seconds settleTime{3};

    explicit AppOpener(Hooks hooks = {}, Clock::duration settle = settleTime);

    Outcome open(const AppEntry& entry);

    // The one the application's actions use.
    static AppOpener& shared();

private:
    Hooks hooks_;
    Clock::duration settle_;
    std::map<std::filesystem::path, Clock::time_point> started_;
};

} // namespace kestle::app
