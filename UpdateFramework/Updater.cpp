#include "Updater.hpp"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QProcess>
#include <QThreadPool>

#include "UpdateWork.hpp"
#include "UpdaterError.hpp"
#include "apps/RunningApps.hpp"
#include "install/BundleFiles.hpp"
#include "install/DiskImage.hpp"
#include "install/Installer.hpp"
#include "install/Leftovers.hpp"
#include "install/PreviousCopy.hpp"
#include "install/WorkFolder.hpp"
#include "support/SystemInfo.hpp"

namespace kestle::framework {

namespace fs = std::filesystem;

struct Updater::Cycle {
    enum class Phase {
        checking,
        found,
        downloading,
        preparing,
        ready,
        postponed,
        installing,
        done
    };

    UpdateCheck kind = UpdateCheck::updates;
    Phase phase = Phase::checking;
    std::optional<AppcastItem> item;
    std::stop_source stop;
    fs::path work;    // download and image contents
    fs::path staging; // beside the installed bundle; holds the new copy, then the old
    fs::path staged;

    // Written by the download on the worker, read on the main thread.
    struct Progress {
        std::atomic<uint64_t> received{0};
        std::atomic<uint64_t> expected{0};
        std::atomic<bool> posted{false};
    };
    std::shared_ptr<Progress> progress = std::make_shared<Progress>();
    uint64_t shownReceived = 0;
    bool shownExpected = false;

    bool wasRunning = false;
    bool updatesItself = false; // this process runs from the bundle
    std::chrono::steady_clock::time_point quitAsked;
    bool installingShown = false;
    QTimer quitPoll;
};

// What the updater shares with the steps running for it, so that a step that outlives
// the updater finds this alive and removes what the released cycle left behind.
struct Updater::Workers {
    std::mutex mutex;
    int running = 0;
    bool released = false;
    std::vector<fs::path> leftovers; // removed by the last step to return after release
};

Updater::Updater(Bundle hostBundle, Bundle applicationBundle, UserDriver* userDriver,
                 UpdaterDelegate* delegate, QObject* parent)
    : Updater(std::move(hostBundle), std::move(applicationBundle), userDriver, delegate, Options{},
              parent) {}

Updater::Updater(Bundle hostBundle, Bundle applicationBundle, UserDriver* userDriver,
                 UpdaterDelegate* delegate, Options options, QObject* parent)
    : QObject(parent), host_(std::move(hostBundle)), application_(std::move(applicationBundle)),
      driver_(userDriver), delegate_(delegate), options_(std::move(options)),
      userAgent_("VelmarKestle"), workers_(std::make_shared<Workers>()) {
    if (options_.diskTool.empty()) {
        options_.diskTool = DiskImage::defaultTool();
    }
    if (options_.work.empty()) {
        options_.work = Installer::defaultWork();
    }
    if (options_.system.empty()) {
        options_.system = SystemInfo::version();
    }
    if (options_.architecture.empty()) {
        options_.architecture = std::string(SystemInfo::architecture());
    }
    scheduled_.setTimerType(Qt::VeryCoarseTimer);
    connect(&scheduled_, &QTimer::timeout, this, [this] {
        scheduled_.setInterval(static_cast<int>(options_.scheduledCheckInterval.count()));
        if (!cycle_) {
            checkForUpdatesInBackground();
        }
    });
}

void UpdaterDelegate::relaunchHostApplication(Updater&, const fs::path& executable) {
    QProcess::startDetached(QString::fromStdString(executable.string()), {});
    QCoreApplication::quit();
}

Updater::~Updater() {
    if (cycle_) {
        cycle_->stop.request_stop();
    }
    {
        std::lock_guard lock(workers_->mutex);
        workers_->released = true;
        if (cycle_ && workers_->running > 0) {
            // A step may still write there; the last one to return removes it.
            for (fs::path* trace : {&cycle_->work, &cycle_->staging}) {
                if (!trace->empty()) {
                    workers_->leftovers.push_back(std::move(*trace));
                    trace->clear();
                }
            }
        }
    }
    if (cycle_) {
        removeTraces();
    }
}

void Updater::setUserAgentString(std::string userAgent) {
    userAgent_ = std::move(userAgent);
}

std::expected<void, PlatformError> Updater::startUpdater() {
    if (!host_.identifier() || host_.identifier()->empty() || !host_.version()) {
        return std::unexpected(UpdaterError::make(UpdaterError::invalidHostBundle,
                                                  "The app has no bundle identifier or version."));
    }
    auto feed = Url::parse(host_.string("SUFeedURL").value_or(""));
    if (!feed || !(feed->isFile() || feed->isRemote())) {
        return std::unexpected(
            UpdaterError::make(UpdaterError::invalidFeedURL, "The app names no usable SUFeedURL."));
    }
    auto key = UpdateSignature::fromPublicKeyBase64(host_.string("SUPublicEDKey").value_or(""));
    if (!key) {
        return std::unexpected(
            UpdaterError::make(UpdaterError::noPublicKey, "The app has no valid SUPublicEDKey."));
    }
    feed_ = std::move(*feed);
    key_ = std::move(*key);
    if (!started_) {
        started_ = true;
        if (!automaticChecks_ && delegate_->shouldPromptForPermissionToCheckForUpdates(*this)) {
            QPointer<Updater> self(this);
            QMetaObject::invokeMethod(
                this,
                [this, self] {
                    if (automaticChecks_) {
                        return; // the owner decided in the meantime
                    }
                    driver_->showUpdatePermissionRequest([self](bool automatic) {
                        if (self) {
                            self->setAutomaticallyChecksForUpdates(automatic);
                        }
                    });
                },
                Qt::QueuedConnection);
        }
        scheduleChecks();
    }
    return {};
}

void Updater::setAutomaticallyChecksForUpdates(bool on) {
    automaticChecks_ = on;
    scheduleChecks();
}

void Updater::scheduleChecks() {
    if (started_ && automaticChecks_.value_or(false)) {
        if (!scheduled_.isActive()) {
            scheduled_.start(static_cast<int>(options_.firstScheduledCheck.count()));
        }
    } else {
        scheduled_.stop();
    }
}

void Updater::checkForUpdates() {
    if (!started_) {
        return;
    }
    if (cycle_) {
        driver_->showUpdateInFocus();
        return;
    }
    beginCycle(UpdateCheck::updates);
}

void Updater::checkForUpdatesInBackground() {
    if (started_ && !cycle_) {
        beginCycle(UpdateCheck::updatesInBackground);
    }
}

std::function<void()> Updater::later(Continuation continuation) {
    QPointer<Updater> self(this);
    const uint64_t serial = serial_;
    return [self, serial, continuation = std::move(continuation)] {
        if (!self) {
            return;
        }
        QMetaObject::invokeMethod(
            self.data(),
            [self, serial, continuation] {
                if (self && self->cycle_ && self->serial_ == serial) {
                    continuation();
                }
            },
            Qt::QueuedConnection);
    };
}

UserDriver::Reply Updater::replyOnce() {
    auto answered = std::make_shared<bool>(false);
    auto chosen = std::make_shared<UserUpdateChoice>(UserUpdateChoice::dismiss);
    auto go = later([this, chosen] { replied(*chosen); });
    return [answered, chosen, go](UserUpdateChoice choice) {
        if (!*answered) {
            *answered = true;
            *chosen = choice;
            go();
        }
    };
}

template <typename Result>
void Updater::runWork(std::function<Result(std::stop_token)> work,
                      std::function<void(Result)> done) {
    QPointer<Updater> self(this);
    const uint64_t serial = serial_;
    std::shared_ptr<Workers> workers = workers_;
    {
        std::lock_guard lock(workers->mutex);
        ++workers->running;
    }
    // Touches only what it holds: the updater may be gone before the step returns.
    QThreadPool::globalInstance()->start([self, serial, workers, token = cycle_->stop.get_token(),
                                          work = std::move(work), done = std::move(done)] {
        auto result = std::make_shared<Result>(work(token));
        std::vector<fs::path> leftovers;
        bool released = false;
        {
            std::lock_guard lock(workers->mutex);
            released = workers->released;
            if (--workers->running == 0) {
                leftovers = std::move(workers->leftovers);
                workers->leftovers.clear();
            }
        }
        for (const fs::path& leftover : leftovers) {
            BundleFiles::removeTree(leftover);
        }
        QCoreApplication* app = QCoreApplication::instance();
        if (released || app == nullptr) {
            return;
        }
        QMetaObject::invokeMethod(
            app,
            [self, serial, result, done] {
                if (self && self->cycle_ && self->serial_ == serial) {
                    done(std::move(*result));
                }
            },
            Qt::QueuedConnection);
    });
}

void Updater::beginCycle(UpdateCheck kind) {
    cycle_ = std::make_unique<Cycle>();
    cycle_->kind = kind;
    ++serial_;
    if (auto allowed = delegate_->mayPerformUpdateCheck(*this, kind); !allowed) {
        PlatformError error = allowed.error();
        later([this, error] { endCycle(error); })();
        return;
    }
    if (kind == UpdateCheck::updates) {
        driver_->showUserInitiatedUpdateCheck(later([this] { cancelPhase(); }));
    }
    UpdateWork::Appcast appcast{*feed_, userAgent_, host_.version().value_or("0"), options_.system,
                                options_.architecture};
    using Found = std::expected<std::optional<AppcastItem>, PlatformError>;
    runWork<Found>([appcast](std::stop_token stop) { return UpdateWork::newest(appcast, stop); },
                   [this](Found result) {
                       if (!result) {
                           fail(result.error());
                       } else {
                           found(std::move(*result));
                       }
                   });
}

void Updater::found(std::optional<AppcastItem> item) {
    const bool userInitiated = cycle_->kind == UpdateCheck::updates;
    if (!item) {
        PlatformError none = UpdaterError::make(UpdaterError::noUpdate, "You're up to date.");
        if (userInitiated) {
            driver_->showUpdateNotFound(none, later([this, none] { endCycle(none); }));
        } else {
            endCycle(none);
        }
        return;
    }
    cycle_->phase = Cycle::Phase::found;
    cycle_->item = std::move(item);
    driver_->showUpdateFound(*cycle_->item, {UserUpdateState::Stage::notDownloaded, userInitiated},
                             replyOnce());
    const std::string language = QLocale::system().name().left(2).toStdString();
    if (cycle_ && cycle_->item) {
        if (auto notes = cycle_->item->item.notesFor(language)) {
            driver_->showUpdateReleaseNotes(*notes);
        }
    }
}

void Updater::replied(UserUpdateChoice choice) {
    if (cycle_->phase == Cycle::Phase::found) {
        if (choice == UserUpdateChoice::install && !cycle_->item->isInformationOnlyUpdate()) {
            startDownload();
        } else {
            endCycle(std::nullopt);
        }
    } else if (cycle_->phase == Cycle::Phase::ready) {
        if (choice == UserUpdateChoice::install) {
            installChosen();
        } else {
            endCycle(std::nullopt);
        }
    }
}

void Updater::cancelPhase() {
    if (cycle_->phase == Cycle::Phase::checking) {
        // The cycle ends now; the request stops and its answer, if any, is dropped.
        cycle_->stop.request_stop();
        endCycle(UpdaterError::make(UpdaterError::installationCanceled, "The check was canceled."));
    } else if (cycle_->phase == Cycle::Phase::downloading) {
        cycle_->stop.request_stop(); // the download ends as canceled and ends the cycle
    }
}

void Updater::startDownload() {
    const fs::path work =
        options_.work / (std::string(Leftovers::updateWork) + BundleFiles::uniqueName());
    std::error_code error;
    fs::create_directories(options_.work, error);
    // Private: the image is opened here, in a folder other users may share.
    if (error || WorkFolder::create(work) != 0) {
        fail(UpdaterError::make(UpdaterError::fileCopy, "No room to download the update."));
        return;
    }
    cycle_->work = work;
    cycle_->phase = Cycle::Phase::downloading;
    driver_->showDownloadInitiated(later([this] { cancelPhase(); }));

    QPointer<Updater> self(this);
    const uint64_t serial = serial_;
    std::shared_ptr<Cycle::Progress> progress = cycle_->progress;
    auto report = [self, serial, progress](uint64_t received, uint64_t expected) {
        progress->received = received;
        progress->expected = expected;
        // One pending report at a time: the main thread reads the latest figures.
        QCoreApplication* app = QCoreApplication::instance();
        if (app != nullptr && !progress->posted.exchange(true)) {
            // Posted to the application: the updater may be destroyed at any moment.
            QMetaObject::invokeMethod(
                app,
                [self, serial] {
                    if (self && self->cycle_ && self->serial_ == serial) {
                        self->drainProgress();
                    }
                },
                Qt::QueuedConnection);
        }
    };
    AppcastItem item = *cycle_->item;
    std::string userAgent = userAgent_;
    fs::path file = work / "update.dmg";
    using Done = std::expected<void, PlatformError>;
    runWork<Done>(
        [item, file, userAgent, report, partials = options_.work](std::stop_token stop) {
            return UpdateWork::download(item, file, userAgent, report, stop, partials);
        },
        [this](Done result) {
            drainProgress();
            if (result) {
                downloaded();
            } else if (result.error().code == UpdaterError::installationCanceled) {
                endCycle(result.error());
            } else {
                fail(result.error());
            }
        });
}

void Updater::drainProgress() {
    Cycle::Progress& progress = *cycle_->progress;
    progress.posted = false;
    const uint64_t expected = progress.expected;
    const uint64_t received = progress.received;
    if (!cycle_->shownExpected) {
        cycle_->shownExpected = true;
        driver_->showDownloadDidReceiveExpectedContentLength(
            expected > 0 ? expected : cycle_->item->contentLength());
    }
    if (cycle_ && received > cycle_->shownReceived) {
        const uint64_t delta = received - cycle_->shownReceived;
        cycle_->shownReceived = received;
        driver_->showDownloadDidReceiveDataOfLength(delta);
    }
}

void Updater::downloaded() {
    cycle_->phase = Cycle::Phase::preparing;
    driver_->showDownloadDidStartExtractingUpdate();
    if (!cycle_) {
        return;
    }
    UpdateWork::Preparation preparation{cycle_->work / "update.dmg",
                                        cycle_->work / "volume",
                                        application_.path(),
                                        host_.identifier().value_or(""),
                                        *key_,
                                        options_.anchors,
                                        options_.diskTool};
    cycle_->staging = application_.path().parent_path() /
                      (std::string(Leftovers::staging) + BundleFiles::uniqueName());
    AppcastItem item = *cycle_->item;
    fs::path staging = cycle_->staging;
    using Staged = std::expected<fs::path, PlatformError>;
    runWork<Staged>(
        [item, preparation, staging](std::stop_token) {
            return UpdateWork::prepare(item, preparation, staging);
        },
        [this](Staged result) {
            if (!result) {
                fail(result.error());
                return;
            }
            driver_->showExtractionReceivedProgress(1.0);
            if (cycle_) {
                prepared(std::move(*result));
            }
        });
}

void Updater::prepared(fs::path staged) {
    cycle_->staged = std::move(staged);
    cycle_->phase = Cycle::Phase::ready;
    driver_->showReadyToInstallAndRelaunch(replyOnce());
}

void Updater::installChosen() {
    cycle_->phase = Cycle::Phase::postponed;
    auto once = std::make_shared<bool>(false);
    auto go = later([this] { install(); });
    if (delegate_->shouldPostponeRelaunchForUpdate(*this, *cycle_->item, [once, go] {
            if (!*once) {
                *once = true;
                go();
            }
        })) {
        return;
    }
    if (cycle_ && !*once) {
        *once = true;
        install();
    }
}

void Updater::install() {
    cycle_->phase = Cycle::Phase::installing;
    std::vector<pid_t> running = RunningApps::find(application_.path());
    const pid_t own = ::getpid();
    cycle_->updatesItself = std::ranges::find(running, own) != running.end();
    std::erase(running, own);
    cycle_->wasRunning = cycle_->updatesItself || !running.empty();
    if (running.empty()) {
        driver_->showInstallingUpdate(true, [] {});
        if (cycle_) {
            swapBundles();
        }
        return;
    }
    RunningApps::terminate(running);
    cycle_->quitAsked = std::chrono::steady_clock::now();
    cycle_->quitPoll.setInterval(static_cast<int>(options_.quitPoll.count()));
    connect(&cycle_->quitPoll, &QTimer::timeout, this, [this] { waitForQuit(); });
    cycle_->quitPoll.start();
}

void Updater::waitForQuit() {
    std::vector<pid_t> running = RunningApps::find(application_.path());
    std::erase(running, ::getpid());
    const bool gone = running.empty();
    if (!cycle_->installingShown &&
        (gone || std::chrono::steady_clock::now() - cycle_->quitAsked >= options_.quitGrace)) {
        cycle_->installingShown = true;
        QPointer<Updater> self(this);
        const uint64_t serial = serial_;
        driver_->showInstallingUpdate(gone, [self, serial] {
            if (self && self->cycle_ && self->serial_ == serial) {
                std::vector<pid_t> again = RunningApps::find(self->application_.path());
                std::erase(again, ::getpid());
                RunningApps::terminate(again);
            }
        });
        if (!cycle_) {
            return;
        }
    }
    if (gone && cycle_->installingShown) {
        cycle_->quitPoll.stop();
        swapBundles();
    }
}

void Updater::swapBundles() {
    if (auto swapped =
            UpdateWork::swap(cycle_->staged, application_.path(), host_.identifier().value_or(""));
        !swapped) {
        fail(swapped.error());
        return;
    }
    cycle_->phase = Cycle::Phase::done;
    fs::path staging = cycle_->staging;
    const fs::path installed = application_.path();
    const std::string identifier = host_.identifier().value_or("");
    const std::string replacedBy = cycle_->item->item.build;
    runWork<bool>(
        [staging, installed, identifier, replacedBy](std::stop_token) {
            // The old copy is kept for going back; should that fail, the update stands.
            if (PreviousCopy::keep(staging, installed, identifier, replacedBy,
                                   std::chrono::system_clock::now()) != 0) {
                BundleFiles::removeTree(staging);
            }
            return true;
        },
        [this](bool) {
            cycle_->staging.clear();
            bool relaunched = false;
            const bool updatesItself = cycle_->updatesItself;
            std::optional<fs::path> executable;
            if (auto bundle = Bundle::open(application_.path())) {
                executable = bundle->executable();
            }
            if (cycle_->wasRunning && !updatesItself && executable) {
                relaunched =
                    QProcess::startDetached(QString::fromStdString(executable->string()), {});
            } else if (updatesItself) {
                relaunched = executable.has_value();
            }
            driver_->showUpdateInstalledAndRelaunched(
                relaunched, later([this, updatesItself, executable] {
                    endCycle(std::nullopt);
                    if (updatesItself && executable) {
                        // The running program is the old copy.
                        delegate_->relaunchHostApplication(*this, *executable);
                    }
                }));
        });
}

void Updater::fail(const PlatformError& error) {
    cycle_->phase = Cycle::Phase::done;
    if (cycle_->kind != UpdateCheck::updates) {
        endCycle(error); // a scheduled check does not interrupt anyone with its failure
        return;
    }
    driver_->showUpdaterError(error, later([this, error] { endCycle(error); }));
}

void Updater::removeTraces() {
    if (!cycle_->work.empty()) {
        BundleFiles::removeTree(cycle_->work);
        cycle_->work.clear();
    }
    if (!cycle_->staging.empty()) {
        BundleFiles::removeTree(cycle_->staging);
        cycle_->staging.clear();
    }
}

void Updater::endCycle(std::optional<PlatformError> error) {
    if (!cycle_) {
        return;
    }
    removeTraces();
    const UpdateCheck kind = cycle_->kind;
    cycle_.reset();
    driver_->dismissUpdateInstallation();
    delegate_->didFinishUpdateCycle(*this, kind, error);
}

} // namespace kestle::framework
