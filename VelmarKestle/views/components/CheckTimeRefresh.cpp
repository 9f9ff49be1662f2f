#include "views/components/CheckTimeRefresh.hpp"

#include <algorithm>

#include <QDateTime>

namespace kestle::app {

namespace {

// Timers may fire a little early (coarse timers by up to 5%): the text is read again
// only once the clock has passed the boundary, and a little after it.
constexpr std::chrono::milliseconds kSlack{50};
constexpr std::chrono::seconds kJustNow{60};
constexpr std::chrono::milliseconds kLongestWait = std::chrono::hours(24);

QDateTime local(Clock::time_point time) {
    return QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count());
}

Clock::time_point fromLocal(const QDateTime& time) {
    return Clock::time_point(std::chrono::milliseconds(time.toMSecsSinceEpoch()));
}

} // namespace

CheckTimeRefresh::CheckTimeRefresh(std::function<Clock::time_point()> now, QObject* parent)
    : QObject(parent), now_(std::move(now)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (due_ && now_() < *due_) {
            schedule(); // woke early, or the clock was set back
            return;
        }
        schedule();
        emit changed();
    });
}

void CheckTimeRefresh::watch(std::optional<Clock::time_point> lastCheck) {
    if (lastCheck == lastCheck_ && (timer_.isActive() || !lastCheck)) {
        return;
    }
    lastCheck_ = lastCheck;
    schedule();
}

std::optional<Clock::time_point> CheckTimeRefresh::nextChange(Clock::time_point lastCheck,
                                                              Clock::time_point now) {
    if (now - lastCheck < kJustNow) {
        return lastCheck + kJustNow;
    }
    const QDate day = local(lastCheck).date();
    const QDate today = local(now).date();
    // Today's check becomes yesterday's at midnight, and yesterday's a date.
    if (day >= today.addDays(-1)) {
        return fromLocal(today.addDays(1).startOfDay());
    }
    return std::nullopt;
}

void CheckTimeRefresh::schedule() {
    timer_.stop();
    due_ = lastCheck_ ? nextChange(*lastCheck_, now_()) : std::nullopt;
    if (!due_) {
        return;
    }
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(*due_ - now_()) + kSlack;
    // Hours away the wake-up may be coarse; the last minute is kept exact.
    timer_.setTimerType(wait > std::chrono::minutes(2) ? Qt::CoarseTimer : Qt::PreciseTimer);
    // A check stamped in the future (the clock was set back) is looked at again daily.
    timer_.start(std::clamp<std::chrono::milliseconds>(wait, kSlack, kLongestWait));
}

} // namespace kestle::app
