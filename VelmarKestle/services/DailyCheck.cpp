#include "services/DailyCheck.hpp"

#include <QCoreApplication>

#include "Logging.hpp"

namespace kestle::app {

DailyCheck::DailyCheck(QObject* parent) : QObject(parent) {}

DailyCheck& DailyCheck::shared() {
    static DailyCheck* instance = new DailyCheck(QCoreApplication::instance());
    return *instance;
}

void DailyCheck::setActive(bool on) {
    timer_.reset();
    if (!on || !model_) {
        qCInfo(lcCheck, "Daily check off");
        return;
    }
    timer_ = std::make_unique<QTimer>();
    // A coarse timer: the check may run up to about an hour late, like any daily task.
    timer_->setTimerType(Qt::VeryCoarseTimer);
    timer_->setInterval(interval_);
    connect(timer_.get(), &QTimer::timeout, this, [this] { run(); });
    timer_->start();
    const bool due = model_->isCheckDue();
    qCInfo(lcCheck, "Daily check on, due now: %s", due ? "yes" : "no");
    if (due) {
        QMetaObject::invokeMethod(
            this, [this] { run(); }, Qt::QueuedConnection);
    }
}

void DailyCheck::run() {
    if (model_) {
        model_->check(CheckReason::background);
    }
}

} // namespace kestle::app
