#pragma once

#include <chrono>
#include <memory>

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "model/KestleModel.hpp"

namespace kestle::app {

// Runs the model's background check about once a day while the application runs,
// and at once when switched on with a check due.
class DailyCheck : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::hours interval{24};

    explicit DailyCheck(QObject* parent = nullptr);

    // The application's one instance.
    static DailyCheck& shared();

    void setModel(KestleModel* model) { model_ = model; }
    // (Re)configures the repeating check; switching on twice keeps one timer.
    void setActive(bool on);
    bool isActive() const { return timer_ != nullptr; }
    // For tests: the repeating interval.
    void setInterval(std::chrono::milliseconds interval) { interval_ = interval; }

private:
    void run();

    QPointer<KestleModel> model_;
    std::unique_ptr<QTimer> timer_;
    std::chrono::milliseconds interval_ = interval;
};

} // namespace kestle::app
