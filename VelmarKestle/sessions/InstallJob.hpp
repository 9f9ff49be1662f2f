#pragma once

#include <memory>
#include <optional>
#include <stop_token>

#include <QObject>

#include "apps/AppEntry.hpp"
#include "install/Installer.hpp"
#include "support/Url.hpp"
#include "updates/UpdateSession.hpp"

namespace kestle::app {

// The session of a first install: runs the installer on a worker thread and reports
// its steps (download progress thinned to whole percents) and one outcome on the main
// thread. Released by the queue, a running install finishes silently.
class InstallJob : public QObject, public UpdateSession {
    Q_OBJECT

public:
    // installer is nothing when the application has no key to check downloads with.
    InstallJob(AppEntry entry, std::optional<Url> folder,
               std::shared_ptr<const Installer> installer, UpdateHandlers handlers,
               QObject* parent = nullptr);

    void start() override;
    // Only while checking or downloading; later steps run to their end.
    void cancel() override;
    void retryQuit() override {}

private:
    void report(const UpdateStep& step);
    void finish(const UpdateOutcome& outcome);

    AppEntry entry_;
    std::optional<Url> folder_;
    std::shared_ptr<const Installer> installer_;
    UpdateHandlers handlers_;
    std::shared_ptr<std::stop_source> task_; // set by start
    UpdateStep step_ = UpdateStep::checking();
    int lastPercent_ = -1;
};

// The whole percent of a download: 100 × received/expected, at most 100, 0 when the
// size is unknown.
int wholePercent(uint64_t received, uint64_t expected);

} // namespace kestle::app
