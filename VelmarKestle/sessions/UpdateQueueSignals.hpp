#pragma once

#include <QObject>

#include "updates/UpdateQueue.hpp"

namespace kestle::app {

// The queue's change callbacks as Qt signals, for views and services. The queue must
// outlive it.
class UpdateQueueSignals : public QObject {
    Q_OBJECT

public:
    explicit UpdateQueueSignals(UpdateQueue& queue, QObject* parent = nullptr);
    ~UpdateQueueSignals() override;

    UpdateQueue& queue() const { return queue_; }

signals:
    void statesChanged();
    void kindsChanged();
    void noticeChanged();

private:
    UpdateQueue& queue_;
    int token_;
};

} // namespace kestle::app
