#include "sessions/UpdateQueueSignals.hpp"

namespace kestle::app {

UpdateQueueSignals::UpdateQueueSignals(UpdateQueue& queue, QObject* parent)
    : QObject(parent), queue_(queue), token_(queue.observe([this](UpdateQueue::Change change) {
          switch (change) {
          case UpdateQueue::Change::states:
              emit statesChanged();
              break;
          case UpdateQueue::Change::kinds:
              emit kindsChanged();
              break;
          case UpdateQueue::Change::notice:
              emit noticeChanged();
              break;
          }
      })) {}

UpdateQueueSignals::~UpdateQueueSignals() {
    queue_.unobserve(token_);
}

} // namespace kestle::app
