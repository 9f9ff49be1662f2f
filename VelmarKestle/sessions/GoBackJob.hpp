#pragma once

#include <optional>
#include <sys/types.h>
#include <vector>

#include <QObject>

#include "apps/AppEntry.hpp"
#include "codesign/CodeCheck.hpp"
#include "install/PreviousCopy.hpp"
#include "updates/UpdateSession.hpp"

namespace kestle::app {

// The session that takes an installed app back to the copy its last update replaced:
// quits a running copy the way moving to the Trash does, puts the kept copy back (its
// signature checked again) on a worker thread, and reopens the app if it was running.
// Past its start it cannot stop: the step that matters is one rename.
class GoBackJob : public QObject, public UpdateSession {
    Q_OBJECT

public:
    GoBackJob(AppEntry entry, CodeCheck::Anchors anchors, UpdateHandlers handlers,
              QObject* parent = nullptr);

    void start() override;
    void cancel() override {}
    // Asks the app to quit again while it has not.
    void retryQuit() override;

    // How a refusal reads in the queue's vocabulary.
    static UpdateFailure failure(const GoBackError& error);

private:
    void waitForQuit();
    void exchange();
    void finish(const UpdateOutcome& outcome);
    std::vector<pid_t> runningCopies() const;

    AppEntry entry_;
    CodeCheck::Anchors anchors_;
    UpdateHandlers handlers_;
    std::vector<pid_t> quitting_;
    bool wasRunning_ = false;
    bool ended_ = false;
};

} // namespace kestle::app
