#include "sessions/SparkleSession.hpp"

#include "Logging.hpp"
#include "StandardUpdaterController.hpp"
#include "UpdaterError.hpp"
#include "apps/InstalledApps.hpp"
#include "apps/RunningApps.hpp"
#include "sessions/InstallJob.hpp"

namespace kestle::app {

using framework::AppcastItem;
using framework::UpdateCheck;
using framework::UserUpdateChoice;
using framework::UserUpdateState;

namespace {

const char* yesNo(bool value) {
    return value ? "true" : "false";
}

} // namespace

SparkleSession::SparkleSession(AppEntry entry, UpdateHandlers handlers, MakeUpdater makeUpdater)
    : SparkleSession(std::move(entry), std::move(handlers), std::move(makeUpdater), Timing()) {}

SparkleSession::SparkleSession(AppEntry entry, UpdateHandlers handlers, MakeUpdater makeUpdater,
                               Timing timing, QObject* parent)
    : QObject(parent), entry_(std::move(entry)),
      app_(entry_.installed ? entry_.installed->url.path() : std::string("/nonexistent")),
      handlers_(std::move(handlers)), makeUpdater_(std::move(makeUpdater)), timing_(timing) {}

SparkleSession::~SparkleSession() {
    qCInfo(lcUpdate, "%s: session released", entry_.id().c_str());
}

SparkleSession::MakeUpdater SparkleSession::updaters(framework::Updater::Options options) {
    return [options](const framework::Bundle& bundle, SparkleSession& session) {
        return std::make_unique<framework::Updater>(bundle, bundle, &session, &session, options);
    };
}

const std::string& SparkleSession::userAgent() {
    static const std::string text = [] {
        std::string version = "0.0.0";
        if (auto bundle = framework::StandardUpdaterController::mainBundle()) {
            if (auto opened = framework::Bundle::open(*bundle)) {
                version = opened->shortVersion().value_or(version);
            }
        }
        return "VelmarKestle/" + version + " Sparkle/" + framework::Updater::frameworkVersion;
    }();
    return text;
}

bool SparkleSession::appRuns() const {
    return !RunningApps::find(app_).empty();
}

void SparkleSession::start() {
    const char* id = entry_.id().c_str();
    const std::string path = app_.string();
    auto bundle = framework::Bundle::open(app_);
    if (!bundle || bundle->identifier() != entry_.app.bundleID) {
        qCWarning(lcUpdate, "%s: no %s at %s", id, entry_.app.bundleID.c_str(), path.c_str());
        finish(UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::appMissing)));
        return;
    }
    qCInfo(lcUpdate, "%s: update %s at %s, %s", id,
           entry_.installed ? entry_.installed->version.c_str() : "?", path.c_str(),
           appRuns() ? "running" : "not running");
    updater_ = makeUpdater_(*bundle, *this);
    updater_->setUserAgentString(userAgent());
    if (auto started = updater_->startUpdater(); !started) {
        qCWarning(lcUpdate, "%s: updater didn't start: %s", id,
                  framework::errorText(started.error()).c_str());
        finish(UpdateOutcome::failed(UpdateFailure::from(started.error())));
        return;
    }
    updater_->checkForUpdates();
}

void SparkleSession::cancel() {
    if (!cancellation_) {
        return;
    }
    qCInfo(lcUpdate, "%s: canceled by the user", entry_.id().c_str());
    userCanceled_ = true;
    Cancellation cancellation = std::move(cancellation_);
    cancellation_ = nullptr;
    cancellation();
}

void SparkleSession::retryQuit() {
    if (!waitsForQuit_) {
        return;
    }
    qCInfo(lcUpdate, "%s: asking the app to quit again", entry_.id().c_str());
    report(UpdateStep::installing(true));
    RunningApps::terminate(RunningApps::find(app_));
    startQuitWatch();
}

void SparkleSession::report(const UpdateStep& step) {
    if (!ended_) {
        handlers_.step(step);
    }
}

void SparkleSession::reportProgress() {
    const int percent = wholePercent(received_, expected_);
    if (percent == lastPercent_) {
        return;
    }
    lastPercent_ = percent;
    report(UpdateStep::downloading(received_, expected_));
}

void SparkleSession::record(const UpdateOutcome& outcome) {
    outcome_ = outcome;
}

UpdateOutcome SparkleSession::finalOutcome(const std::optional<UpdateOutcome>& fallback) const {
    if (outcome_ && outcome_->kind == UpdateOutcome::Kind::updated) {
        return *outcome_;
    }
    if (userCanceled_) {
        return UpdateOutcome::canceled();
    }
    return outcome_ ? *outcome_ : fallback.value_or(UpdateOutcome::canceled());
}

void SparkleSession::finish(const UpdateOutcome& outcome) {
    if (ended_) {
        return;
    }
    ended_ = true;
    delete quitWatch_.data();
    cancellation_ = nullptr;
    waitsForQuit_ = false;
    qCInfo(lcUpdate, "%s: ended, %s", entry_.id().c_str(), describe(outcome).c_str());
    handlers_.end(outcome);
    // Not at once: this may run inside one of the updater's own calls.
    QTimer::singleShot(timing_.release, this, [this] { updater_.reset(); });
}

void SparkleSession::startQuitWatch() {
    delete quitWatch_.data();
    quitWatch_ = new QTimer(this);
    quitWatch_->setSingleShot(true);
    connect(quitWatch_.data(), &QTimer::timeout, this, [this] {
        if (!ended_ && waitsForQuit_ && appRuns()) {
            qCInfo(lcUpdate, "%s: still running", entry_.id().c_str());
            report(UpdateStep::waitingForQuit());
        }
    });
    quitWatch_->start(timing_.quitWatch);
}

void SparkleSession::showUpdatePermissionRequest(std::function<void(bool)>) {
    qCCritical(lcUpdate, "%s: permission request, not answered", entry_.id().c_str());
    finish(UpdateOutcome::failed(UpdateFailure::other(0)));
}

void SparkleSession::showUserInitiatedUpdateCheck(Cancellation cancellation) {
    cancellation_ = std::move(cancellation);
    report(UpdateStep::checking());
}

void SparkleSession::showUpdateFound(const AppcastItem& item, const UserUpdateState& state,
                                     Reply reply) {
    qCInfo(lcUpdate, "%s: found %s (%s), stage %ld", entry_.id().c_str(),
           item.displayVersionString().c_str(), item.versionString().c_str(),
           static_cast<long>(state.stage));
    if (item.isInformationOnlyUpdate()) {
        record(UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::informationOnly)));
        reply(UserUpdateChoice::dismiss);
    } else if (state.stage == UserUpdateState::Stage::installing && appRuns()) {
        record(UpdateOutcome::handedToApp());
        reply(UserUpdateChoice::dismiss);
    } else {
        expected_ = item.contentLength();
        cancellation_ = nullptr;
        reply(UserUpdateChoice::install);
    }
}

void SparkleSession::showUpdateNotFound(const PlatformError& error,
                                        Acknowledgement acknowledgement) {
    qCInfo(lcUpdate, "%s: no update: %s", entry_.id().c_str(), framework::errorText(error).c_str());
    if (!outcome_) {
        record(UpdateOutcome::noUpdate());
    }
    acknowledgement();
}

void SparkleSession::showUpdaterError(const PlatformError& error, Acknowledgement acknowledgement) {
    qCWarning(lcUpdate, "%s: %s", entry_.id().c_str(), framework::errorText(error).c_str());
    if (!outcome_ && !userCanceled_) {
        record(UpdateOutcome::failed(UpdateFailure::from(error)));
    }
    acknowledgement();
}

void SparkleSession::showDownloadInitiated(Cancellation cancellation) {
    cancellation_ = std::move(cancellation);
    received_ = 0;
    lastPercent_ = -1;
    reportProgress();
}

void SparkleSession::showDownloadDidReceiveExpectedContentLength(uint64_t length) {
    expected_ = length;
    reportProgress();
}

void SparkleSession::showDownloadDidReceiveDataOfLength(uint64_t length) {
    received_ += length;
    reportProgress();
}

void SparkleSession::showDownloadDidStartExtractingUpdate() {
    qCInfo(lcUpdate, "%s: downloaded %llu bytes, checking", entry_.id().c_str(),
           static_cast<unsigned long long>(received_));
    cancellation_ = nullptr;
    report(UpdateStep::verifying());
}

void SparkleSession::showReadyToInstallAndRelaunch(Reply reply) {
    reply(UserUpdateChoice::install);
}

void SparkleSession::showInstallingUpdate(bool applicationTerminated, std::function<void()>) {
    qCInfo(lcUpdate, "%s: installing, app terminated %s", entry_.id().c_str(),
           yesNo(applicationTerminated));
    report(UpdateStep::installing(!applicationTerminated));
    if (!applicationTerminated) {
        waitsForQuit_ = true;
        startQuitWatch();
    }
}

void SparkleSession::showUpdateInstalledAndRelaunched(bool relaunched,
                                                      Acknowledgement acknowledgement) {
    std::string version = "?";
    if (auto read = InstalledApps::read(Url::fromPath(app_.string()))) {
        version = read->second.version + " (" + read->second.build + ")";
    }
    qCInfo(lcUpdate, "%s: installed %s, relaunched %s", entry_.id().c_str(), version.c_str(),
           yesNo(relaunched));
    record(UpdateOutcome::updated());
    acknowledgement();
}

void SparkleSession::dismissUpdateInstallation() {
    QTimer::singleShot(timing_.dismissal, this, [this] {
        if (!ended_) {
            qCWarning(lcUpdate, "%s: dismissed without the end of the cycle", entry_.id().c_str());
            finish(finalOutcome(UpdateOutcome::canceled()));
        }
    });
}

std::expected<void, PlatformError> SparkleSession::mayPerformUpdateCheck(framework::Updater&,
                                                                         UpdateCheck kind) {
    if (kind == UpdateCheck::updates) {
        return {};
    }
    qCInfo(lcUpdate, "%s: refused a check of kind %ld", entry_.id().c_str(),
           static_cast<long>(kind));
    return std::unexpected(PlatformError("VelmarKestle", 1, "Only the check the user asked for"));
}

void SparkleSession::didFinishUpdateCycle(framework::Updater&, UpdateCheck,
                                          const std::optional<PlatformError>& error) {
    if (error) {
        qCInfo(lcUpdate, "%s: cycle finished, %s", entry_.id().c_str(),
               framework::errorText(*error).c_str());
    }
    finish(finalOutcome(UpdateOutcome::endOfCycle(error)));
}

} // namespace kestle::app
