#include "sessions/GoBackJob.hpp"

#include <cerrno>
#include <filesystem>

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <unistd.h>

#include "Logging.hpp"
#include "apps/RunningApps.hpp"
#include "services/AppOpener.hpp"
#include "services/TrashFlow.hpp"

namespace kestle::app {

namespace fs = std::filesystem;

GoBackJob::GoBackJob(AppEntry entry, CodeCheck::Anchors anchors, UpdateHandlers handlers,
                     QObject* parent)
    : QObject(parent), entry_(std::move(entry)), anchors_(std::move(anchors)),
      handlers_(std::move(handlers)) {}

UpdateFailure GoBackJob::failure(const GoBackError& error) {
    switch (error.kind) {
    case GoBackError::Kind::noCopy:
    case GoBackError::Kind::changed:
        return UpdateFailure::of(UpdateFailure::Kind::appMissing);
    case GoBackError::Kind::signature:
        return UpdateFailure::of(UpdateFailure::Kind::signature);
    case GoBackError::Kind::files:
        if (error.error == EACCES || error.error == EPERM) {
            return UpdateFailure::of(UpdateFailure::Kind::noPermission);
        }
        if (error.error == EROFS) {
            return UpdateFailure::of(UpdateFailure::Kind::notWritable);
        }
        return UpdateFailure::other(error.error);
    }
    return UpdateFailure::other(0);
}

std::vector<pid_t> GoBackJob::runningCopies() const {
    std::vector<pid_t> found = RunningApps::find(entry_.installed->url.path());
    std::erase(found, ::getpid());
    return found;
}

void GoBackJob::start() {
    if (!entry_.installed) {
        finish(UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::appMissing)));
        return;
    }
    quitting_ = runningCopies();
    wasRunning_ = !quitting_.empty();
    qCInfo(lcUpdate, "%s: going back from %s (%s)%s", entry_.id().c_str(),
           entry_.installed->version.c_str(), entry_.installed->build.c_str(),
           wasRunning_ ? ", open: asking it to quit" : "");
    handlers_.step(UpdateStep::installing(wasRunning_));
    if (!wasRunning_) {
        exchange();
        return;
    }
    RunningApps::terminate(quitting_);
    waitForQuit();
}

void GoBackJob::waitForQuit() {
    QPointer<GoBackJob> self(this);
    TrashFlow::shared().waitForQuit(quitting_, [self](bool allQuit) {
        if (!self || self->ended_) {
            return;
        }
        if (allQuit) {
            self->exchange();
            return;
        }
        // Nothing is exchanged under a running copy; the user may ask it again.
        qCInfo(lcUpdate, "%s: still running", self->entry_.id().c_str());
        self->handlers_.step(UpdateStep::waitingForQuit());
        self->waitForQuit();
    });
}

void GoBackJob::retryQuit() {
    if (!ended_ && !quitting_.empty()) {
        qCInfo(lcUpdate, "%s: asking it to quit again", entry_.id().c_str());
        RunningApps::terminate(quitting_);
        handlers_.step(UpdateStep::installing(true));
    }
}

void GoBackJob::exchange() {
    QPointer<GoBackJob> self(this);
    QCoreApplication* app = QCoreApplication::instance();
    const fs::path folder = fs::path(entry_.installed->url.path()).parent_path();
    QThreadPool::globalInstance()->start(
        [self, app, folder, bundleID = entry_.app.bundleID, anchors = anchors_] {
            auto restored = PreviousCopy::restore(folder, bundleID, anchors);
            QMetaObject::invokeMethod(
                app,
                [self, restored] {
                    if (!self) {
                        return;
                    }
                    if (!restored) {
                        qCWarning(lcUpdate, "%s: not gone back: %s", self->entry_.id().c_str(),
                                  describe(restored.error()).c_str());
                        self->finish(UpdateOutcome::failed(failure(restored.error())));
                        return;
                    }
                    if (self->wasRunning_) {
                        AppOpener::shared().open(self->entry_);
                    }
                    self->finish(UpdateOutcome::wentBack());
                },
                Qt::QueuedConnection);
        });
}

void GoBackJob::finish(const UpdateOutcome& outcome) {
    if (ended_) {
        return;
    }
    ended_ = true;
    qCInfo(lcUpdate, "%s: ended, %s", entry_.id().c_str(), describe(outcome).c_str());
    // Holds the handlers, not the job: the end arrives even if the job is gone by then.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [end = handlers_.end, outcome] { end(outcome); },
        Qt::QueuedConnection);
}

} // namespace kestle::app
