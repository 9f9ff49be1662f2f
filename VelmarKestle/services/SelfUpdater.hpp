#pragma once

#include <functional>
#include <memory>

#include <QObject>

#include "StandardUpdaterController.hpp"
#include "StandardUserDriverDelegate.hpp"
#include "UpdaterDelegate.hpp"

namespace kestle::app {

struct Configuration;

// Keeps VelmarKestle itself up to date through the framework's standard controller and
// its windows. Inert unless the bundle names its feed and key. Never relaunches for an
// update while the job queue installs or updates other apps: the relaunch waits for
// relaunchIfIdle(). An update found by a scheduled check waits in the menu.
class SelfUpdater : public QObject {
    Q_OBJECT

public:
    // Receives the controller's delegate calls on the main thread.
    class Delegate : public framework::UpdaterDelegate,
                     public framework::StandardUserDriverDelegate {
    public:
        SelfUpdater* owner = nullptr;
        std::function<bool()> isBusy = [] { return false; };
        std::function<void()> relaunch; // kept while a relaunch is postponed

        bool shouldPostponeRelaunchForUpdate(framework::Updater&,
                                             const framework::AppcastItem& item,
                                             std::function<void()> install) override;
        bool supportsGentleScheduledUpdateReminders() override { return true; }
        void
        standardUserDriverWillHandleShowingUpdate(bool handleShowingUpdate,
                                                  const framework::AppcastItem& item,
                                                  const framework::UserUpdateState& state) override;
        void
        standardUserDriverDidReceiveUserAttentionForUpdate(const framework::AppcastItem&) override;
        void standardUserDriverWillFinishUpdateSession() override;
        // Through the shell's relaunch: the new copy starts once this one has ended, so
        // that it becomes the one instance.
        void relaunchHostApplication(framework::Updater&,
                                     const std::filesystem::path& executable) override;
    };

    // Configured by the bundle's "SUFeedURL" and "SUPublicEDKey".
    explicit SelfUpdater(const Configuration& config, QObject* parent = nullptr);
    ~SelfUpdater() override;

    static SelfUpdater& shared();

    bool isConfigured() const { return configured_; }
    bool updateWaiting() const { return updateWaiting_; }
    framework::StandardUpdaterController* controller() const { return controller_.get(); }
    Delegate& delegate() { return delegate_; }

    void start(bool checksDaily, std::function<bool()> isBusy);
    void checkForUpdates();
    // The framework's scheduled checks, when it runs; the daily-check switch sets them.
    void setAutomaticChecks(bool on);
    // The model calls it whenever its queue has become idle.
    void relaunchIfIdle();

    // Tests give the bundle and the framework's options; the application its own.
    void setOptions(std::optional<std::filesystem::path> bundle,
                    framework::Updater::Options options);

signals:
    void updateWaitingChanged();

private:
    void setUpdateWaiting(bool waiting);

    bool configured_ = false;
    bool updateWaiting_ = false;
    Delegate delegate_;
    std::optional<std::filesystem::path> bundle_;
    framework::Updater::Options options_;
    bool hasOptions_ = false;
    std::unique_ptr<framework::StandardUpdaterController> controller_;
};

} // namespace kestle::app
