#include "sessions/InstallJob.hpp"

#include <algorithm>
#include <cstdint>

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QThreadPool>

#include "Logging.hpp"

namespace kestle::app {

int wholePercent(uint64_t received, uint64_t expected) {
    if (expected == 0) {
        return 0;
    }
    const double quotient = static_cast<double>(received) / static_cast<double>(expected);
    return static_cast<int>(100.0 * std::min(quotient >= 0 ? quotient : 0.0, 1.0));
}

InstallJob::InstallJob(AppEntry entry, std::optional<Url> folder,
                       std::shared_ptr<const Installer> installer, UpdateHandlers handlers,
                       QObject* parent)
    : QObject(parent), entry_(std::move(entry)), folder_(std::move(folder)),
      installer_(std::move(installer)), handlers_(std::move(handlers)) {}

void InstallJob::start() {
    const char* id = entry_.id().c_str();
    if (!folder_) {
        qCWarning(lcInstall, "%s: no folder to install into", id);
        handlers_.end(
            UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::outsideTestFolder)));
        return;
    }
    if (!installer_) {
        qCWarning(lcInstall, "%s: no key to check the download with (VelmarKestleUpdateKey)", id);
        handlers_.end(UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::signature)));
        return;
    }
    auto request = InstallRequest::from(entry_, *folder_);
    if (!request) {
        qCWarning(lcInstall, "%s: no download in the feed", id);
        handlers_.end(UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::damaged)));
        return;
    }
    qCInfo(lcInstall, "%s: install %s from %s into %s", id,
           entry_.latest ? entry_.latest->version.c_str() : "?", request->download.str().c_str(),
           folder_->path().c_str());

    task_ = std::make_shared<std::stop_source>();
    QPointer<InstallJob> job(this);
    QCoreApplication* app = QCoreApplication::instance();
    auto installer = installer_;
    auto stop = task_;
    std::string appID = entry_.id();
    QThreadPool::globalInstance()->start([job, app, installer, stop, appID, request = *request] {
        // The same thinning as report(), done here too so a fast download does not
        // flood the main thread with reports it would drop.
        int lastPercent = -1;
        bool lastWasDownload = false;
        auto step = [&](const UpdateStep& value) {
            if (value.kind == UpdateStep::Kind::downloading) {
                int percent = wholePercent(value.received, value.expected);
                if (lastWasDownload && percent == lastPercent) {
                    return;
                }
                lastPercent = percent;
            }
            lastWasDownload = value.kind == UpdateStep::Kind::downloading;
            QMetaObject::invokeMethod(
                app,
                [job, value] {
                    if (job) {
                        job->report(value);
                    }
                },
                Qt::QueuedConnection);
        };
        auto result = installer->install(request, step, stop->get_token());
        QMetaObject::invokeMethod(
            app,
            [job, installer, appID, result] {
                const char* id = appID.c_str();
                if (result) {
                    const std::string path = result->app.path();
                    qCInfo(lcInstall, "%s: installed %s (%s) at %s", id,
                           result->installed.version.c_str(), result->installed.build.c_str(),
                           path.c_str());
                    // Only logged: nothing waits for it.
                    QThreadPool::globalInstance()->start(
                        [installer, appID, path] {
                            bool notarized = CodeCheck::isNotarized(path, installer->anchors);
                            qCInfo(lcInstall, "%s: notarized %s", appID.c_str(),
                                   notarized ? "true" : "false");
                        },
                        -1);
                    if (job) {
                        job->finish(UpdateOutcome::installed());
                    }
                    return;
                }
                if (const DownloadError& why = result.error().downloadError;
                    result.error().kind == InstallError::Kind::download && why.needed > 0) {
                    qCWarning(lcInstall, "%s: not enough free space in %s: %llu bytes (%s) needed",
                              id, installer->work.c_str(),
                              static_cast<unsigned long long>(why.needed),
                              qPrintable(QLocale::c().formattedDataSize(
                                  static_cast<qint64>(std::min<uint64_t>(why.needed, INT64_MAX)))));
                }
                qCInfo(lcInstall, "%s: stopped: %s", id, describe(result.error()).c_str());
                if (job) {
                    job->finish(result.error().isCancel()
                                    ? UpdateOutcome::canceled()
                                    : UpdateOutcome::failed(result.error().failure()));
                }
            },
            Qt::QueuedConnection);
    });
}

void InstallJob::report(const UpdateStep& step) {
    if (step.kind == UpdateStep::Kind::downloading) {
        const int percent = wholePercent(step.received, step.expected);
        if (percent == lastPercent_ && step_.kind == UpdateStep::Kind::downloading) {
            return;
        }
        lastPercent_ = percent;
    } else if (step.kind == UpdateStep::Kind::verifying) {
        qCInfo(lcInstall, "%s: downloaded, checking", entry_.id().c_str());
    }
    step_ = step;
    handlers_.step(step);
}

void InstallJob::finish(const UpdateOutcome& outcome) {
    qCInfo(lcInstall, "%s: ended, %s", entry_.id().c_str(), describe(outcome).c_str());
    // Holds the handlers, not the job: the end arrives even if the job is gone by then.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [end = handlers_.end, outcome] { end(outcome); },
        Qt::QueuedConnection);
}

void InstallJob::cancel() {
    if (step_.canCancel() && task_) {
        qCInfo(lcInstall, "%s: canceled by the user", entry_.id().c_str());
        task_->request_stop();
    }
}

} // namespace kestle::app
