#include "services/SelfUpdater.hpp"

#include <QCoreApplication>

#include "Logging.hpp"
#include "model/Configuration.hpp"
#include "model/LiveSetup.hpp"
#include "services/AppFlags.hpp"

namespace kestle::app {

bool SelfUpdater::Delegate::shouldPostponeRelaunchForUpdate(framework::Updater&,
                                                            const framework::AppcastItem& item,
                                                            std::function<void()> install) {
    if (!isBusy()) {
        return false;
    }
    qCInfo(lcSelfUpdate, "Relaunch for %s waits for the queue",
           item.displayVersionString().c_str());
    relaunch = std::move(install); // a newer postponed relaunch replaces an older one
    return true;
}

void SelfUpdater::Delegate::standardUserDriverWillHandleShowingUpdate(
    bool, const framework::AppcastItem& item, const framework::UserUpdateState& state) {
    if (state.userInitiated) {
        return;
    }
    qCInfo(lcSelfUpdate, "Update %s waiting in the menu", item.displayVersionString().c_str());
    if (owner != nullptr) {
        owner->setUpdateWaiting(true);
    }
}

void SelfUpdater::Delegate::standardUserDriverDidReceiveUserAttentionForUpdate(
    const framework::AppcastItem&) {
    if (owner != nullptr) {
        owner->setUpdateWaiting(false);
    }
}

void SelfUpdater::Delegate::standardUserDriverWillFinishUpdateSession() {
    if (owner != nullptr) {
        owner->setUpdateWaiting(false);
    }
}

void SelfUpdater::Delegate::relaunchHostApplication(framework::Updater&,
                                                    const std::filesystem::path&) {
    qCInfo(lcSelfUpdate, "Updated: relaunching");
    AppFlags::relaunchRequested = true;
    QCoreApplication::quit();
}

SelfUpdater::SelfUpdater(const Configuration& config, QObject* parent)
    : QObject(parent), configured_(!config.feedURL.empty() && !config.publicEDKey.empty()) {}

SelfUpdater::~SelfUpdater() = default;

SelfUpdater& SelfUpdater::shared() {
    static SelfUpdater* updater = [] {
        const Configuration config = LiveSetup::current();
        auto* made = new SelfUpdater(config, QCoreApplication::instance());
        made->setOptions(config.bundle,
                         LiveSetup::updaterOptions(config, LiveSetup::standardPlaces(config)));
        return made;
    }();
    return *updater;
}

void SelfUpdater::setOptions(std::optional<std::filesystem::path> bundle,
                             framework::Updater::Options options) {
    bundle_ = std::move(bundle);
    options_ = std::move(options);
    hasOptions_ = true;
}

void SelfUpdater::start(bool checksDaily, std::function<bool()> isBusy) {
    if (!configured_ || controller_) {
        return;
    }
    delegate_.owner = this;
    delegate_.isBusy = isBusy ? std::move(isBusy) : [] { return false; };
    controller_ =
        hasOptions_
            ? std::make_unique<framework::StandardUpdaterController>(true, &delegate_, &delegate_,
                                                                     bundle_, options_)
            : std::make_unique<framework::StandardUpdaterController>(true, &delegate_, &delegate_);
    if (framework::Updater* updater = controller_->updater()) {
        updater->setAutomaticallyChecksForUpdates(checksDaily);
    }
    qCInfo(lcSelfUpdate, "Started, daily check %s", checksDaily ? "on" : "off");
}

void SelfUpdater::checkForUpdates() {
    qCInfo(lcSelfUpdate, "Check for VelmarKestle updates chosen");
    if (controller_) {
        controller_->checkForUpdates();
    }
}

void SelfUpdater::setAutomaticChecks(bool on) {
    if (framework::Updater* updater = controller_ ? controller_->updater() : nullptr) {
        updater->setAutomaticallyChecksForUpdates(on);
        qCInfo(lcSelfUpdate, "Daily check %s", on ? "on" : "off");
    }
}

void SelfUpdater::relaunchIfIdle() {
    if (!delegate_.relaunch || delegate_.isBusy()) {
        return;
    }
    std::function<void()> relaunch = std::exchange(delegate_.relaunch, nullptr);
    qCInfo(lcSelfUpdate, "Queue empty: relaunching for the update");
    relaunch();
}

void SelfUpdater::setUpdateWaiting(bool waiting) {
    if (updateWaiting_ != waiting) {
        updateWaiting_ = waiting;
        emit updateWaitingChanged();
    }
}

} // namespace kestle::app
