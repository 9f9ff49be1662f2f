#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "Updater.hpp"
#include "UpdaterDelegate.hpp"
#include "UserDriver.hpp"
#include "apps/AppEntry.hpp"
#include "updates/UpdateSession.hpp"

namespace kestle::app {

// The session that updates an installed app: runs the update framework's updater for
// the app's own bundle, answers its questions itself (it never shows a window), turns
// its callbacks into steps and ends the job exactly once.
class SparkleSession : public QObject,
                       public UpdateSession,
                       public framework::UserDriver,
                       public framework::UpdaterDelegate {
    Q_OBJECT

public:
    using MakeUpdater = std::function<std::unique_ptr<framework::Updater>(
        const framework::Bundle& bundle, SparkleSession& session)>;

    struct Timing {
        std::chrono::milliseconds quitWatch{10000}; // before telling that the app still runs
        std::chrono::milliseconds dismissal{3000};  // for the cycle's end after a dismissal
        std::chrono::milliseconds release{1000};    // before the updater is released
    };

    SparkleSession(AppEntry entry, UpdateHandlers handlers, MakeUpdater makeUpdater);
    SparkleSession(AppEntry entry, UpdateHandlers handlers, MakeUpdater makeUpdater, Timing timing,
                   QObject* parent = nullptr);
    ~SparkleSession() override;

    // A real updater with these options.
    static MakeUpdater updaters(framework::Updater::Options options);
    // "VelmarKestle/<version> Sparkle/<framework version>".
    static const std::string& userAgent();

    void start() override;
    void cancel() override;
    void retryQuit() override;

    // UserDriver
    void showUpdatePermissionRequest(std::function<void(bool)> reply) override;
    void showUserInitiatedUpdateCheck(Cancellation cancellation) override;
    void showUpdateFound(const framework::AppcastItem& item,
                         const framework::UserUpdateState& state, Reply reply) override;
    void showUpdateReleaseNotes(const std::string&) override {}
    void showUpdateReleaseNotesFailedToDownload(const PlatformError&) override {}
    void showUpdateNotFound(const PlatformError& error, Acknowledgement acknowledgement) override;
    void showUpdaterError(const PlatformError& error, Acknowledgement acknowledgement) override;
    void showDownloadInitiated(Cancellation cancellation) override;
    void showDownloadDidReceiveExpectedContentLength(uint64_t length) override;
    void showDownloadDidReceiveDataOfLength(uint64_t length) override;
    void showDownloadDidStartExtractingUpdate() override;
    void showExtractionReceivedProgress(double) override {}
    void showReadyToInstallAndRelaunch(Reply reply) override;
    void showInstallingUpdate(bool applicationTerminated,
                              std::function<void()> retryTerminatingApplication) override;
    void showUpdateInstalledAndRelaunched(bool relaunched,
                                          Acknowledgement acknowledgement) override;
    void showUpdateInFocus() override {}
    void dismissUpdateInstallation() override;

    // UpdaterDelegate
    std::expected<void, PlatformError> mayPerformUpdateCheck(framework::Updater&,
                                                             framework::UpdateCheck kind) override;
    bool shouldPromptForPermissionToCheckForUpdates(framework::Updater&) override { return false; }
    void didFinishUpdateCycle(framework::Updater&, framework::UpdateCheck,
                              const std::optional<PlatformError>& error) override;

    bool hasUpdater() const { return updater_ != nullptr; }

private:
    void report(const UpdateStep& step);
    void reportProgress();
    void record(const UpdateOutcome& outcome);
    UpdateOutcome finalOutcome(const std::optional<UpdateOutcome>& fallback) const;
    void finish(const UpdateOutcome& outcome);
    void startQuitWatch();
    bool appRuns() const;

    AppEntry entry_;
    std::filesystem::path app_;
    UpdateHandlers handlers_;
    MakeUpdater makeUpdater_;
    Timing timing_;
    std::unique_ptr<framework::Updater> updater_;
    Cancellation cancellation_;
    bool waitsForQuit_ = false;
    uint64_t received_ = 0;
    uint64_t expected_ = 0;
    int lastPercent_ = -1;
    std::optional<UpdateOutcome> outcome_;
    bool userCanceled_ = false;
    bool ended_ = false;
    QPointer<QTimer> quitWatch_;
};

} // namespace kestle::app
