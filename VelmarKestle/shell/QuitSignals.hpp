#pragma once

#include <functional>

#include <QObject>

class QSocketNotifier;

namespace kestle::app {

// SIGTERM, SIGHUP and SIGINT (the session ending, a Ctrl+C in a terminal) become an orderly quit
// on the main thread instead of killing the process mid-work. One per process.
class QuitSignals : public QObject {
    Q_OBJECT

public:
    explicit QuitSignals(std::function<void(int signal)> quit, QObject* parent = nullptr);
    ~QuitSignals() override;

private:
    std::function<void(int)> quit_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kestle::app
