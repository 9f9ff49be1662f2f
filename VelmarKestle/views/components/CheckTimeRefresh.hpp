#pragma once

#include <functional>
#include <optional>

#include <QObject>
#include <QTimer>

#include "model/Setup.hpp"

namespace kestle::app {

// Keeps a relative check time ("Checked just now", "… today at", "… yesterday at")
// true while a window stays open: changed() comes at the next moment the text would
// read differently, a minute after the check and then at each local midnight until
// only the date is left. The clock is the model's, so tests can move it.
class CheckTimeRefresh : public QObject {
    Q_OBJECT

public:
    explicit CheckTimeRefresh(std::function<Clock::time_point()> now, QObject* parent = nullptr);

    // The check time shown now; none stops the refreshing.
    void watch(std::optional<Clock::time_point> lastCheck);
    // When the text next changes after now, none when it never will.
    static std::optional<Clock::time_point> nextChange(Clock::time_point lastCheck,
                                                       Clock::time_point now);
    bool isWaiting() const { return timer_.isActive(); }

signals:
    void changed();

private:
    void schedule();

    std::function<Clock::time_point()> now_;
    std::optional<Clock::time_point> lastCheck_;
    std::optional<Clock::time_point> due_;
    QTimer timer_;
};

} // namespace kestle::app
