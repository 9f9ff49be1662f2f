#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "apps/AppEntry.hpp"
#include "updates/UpdateSession.hpp"

namespace kestle::test {

// What a session reported through its handlers.
struct Recorder {
    std::vector<UpdateStep> steps;
    std::vector<UpdateOutcome> ends;
    std::function<void(const UpdateStep&)> onStep;

    UpdateHandlers handlers() {
        return {[this](const UpdateStep& step) {
                    steps.push_back(step);
                    if (onStep) {
                        onStep(step);
                    }
                },
                [this](const UpdateOutcome& outcome) { ends.push_back(outcome); }};
    }

    size_t count(UpdateStep::Kind kind) const {
        size_t n = 0;
        for (const UpdateStep& step : steps) {
            n += step.kind == kind ? 1 : 0;
        }
        return n;
    }
};

// Runs the event loop until done() holds or the time is up; false on time-out.
inline bool runUntil(const std::function<bool()>& done,
                     std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limit.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

inline void spin(std::chrono::milliseconds time) {
    runUntil([] { return false; }, time);
}

inline AppEntry notesEntry(const std::string& appPath, const std::string& build = "100") {
    AppEntry entry;
    entry.app.id = "notes";
    entry.app.bundleID = "com.velmar.Notes";
    entry.app.name = "Notes";
    entry.installed = InstalledApp{Url::fromPath(appPath), "1.0", build};
    return entry;
}

} // namespace kestle::test
