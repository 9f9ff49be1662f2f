#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include <QObject>
#include <QTimer>

#include "AppcastItem.hpp"
#include "Bundle.hpp"
#include "UpdaterDelegate.hpp"
#include "UserDriver.hpp"
#include "codesign/CodeCheck.hpp"
#include "support/UpdateSignature.hpp"
#include "support/Url.hpp"
#include "updates/PlatformError.hpp"

namespace kestle::framework {

// Keeps one application bundle up to date from the appcast its Info.plist names
// ("SUFeedURL"), checking downloads with its "SUPublicEDKey".
//
// One cycle: the appcast, the newest eligible item newer than the bundle's
// CFBundleVersion, the download, its length and EdDSA signature, the image opened and
// its app checked (same identifier, code signed by the installed app's team) and
// staged beside the installed bundle, running copies asked to quit and waited for,
// the bundles exchanged in one rename, the old copy kept as the previous one (see
// PreviousCopy, which replaces the one kept before), the app reopened if it
// was running. Any failure before the exchange leaves the installed bundle untouched
// and removes everything the cycle made.
//
// Lives on the main thread and calls its user driver and delegate there; the blocking
// steps run on worker threads, which the main thread never waits for. Driver and
// delegate must outlive it.
class Updater : public QObject {
    Q_OBJECT

public:
    struct Options {
        CodeCheck::Anchors anchors;                // whose code signatures are trusted
        std::string diskTool;                      // empty: the default disk-image tool
        std::filesystem::path work;                // empty: the system's temporary folder
        std::string system;                        // empty: this machine's system version
        std::string architecture;                  // empty: this build's architecture
        std::chrono::milliseconds quitGrace{1000}; // for a running copy to quit at once
        std::chrono::milliseconds quitPoll{100};   // how often to look again afterwards
        std::chrono::milliseconds firstScheduledCheck{std::chrono::minutes(1)};
        std::chrono::milliseconds scheduledCheckInterval{std::chrono::hours(24)};
    };

    Updater(Bundle hostBundle, Bundle applicationBundle, UserDriver* userDriver,
            UpdaterDelegate* delegate, QObject* parent = nullptr);
    Updater(Bundle hostBundle, Bundle applicationBundle, UserDriver* userDriver,
            UpdaterDelegate* delegate, Options options, QObject* parent = nullptr);
    // Stops a running cycle and removes what it made, at once or, when a step is still
    // running, as soon as that step returns; the installed bundle stays as it is.
    // Nothing it started calls back afterwards.
    ~Updater() override;

    // This framework's own version, for user-agent texts.
    static constexpr const char* frameworkVersion = "1.0.0";

    virtual void setUserAgentString(std::string userAgent);
    const std::string& userAgentString() const { return userAgent_; }

    // Fails (invalidFeedURL, noPublicKey, invalidHostBundle) when the bundle lacks what
    // a cycle needs. Starts scheduled checks when they are on.
    virtual std::expected<void, PlatformError> startUpdater();
    // One user-initiated cycle; brings a running one into focus instead.
    virtual void checkForUpdates();
    // One cycle that shows nothing unless it finds an update.
    void checkForUpdatesInBackground();

    bool sessionInProgress() const { return cycle_ != nullptr; }
    bool automaticallyChecksForUpdates() const { return automaticChecks_.value_or(false); }
    void setAutomaticallyChecksForUpdates(bool on);

    const Bundle& hostBundle() const { return host_; }

private:
    struct Cycle;
    struct Workers;
    using Continuation = std::function<void()>;

    void beginCycle(UpdateCheck kind);
    void found(std::optional<AppcastItem> item);
    void replied(UserUpdateChoice choice);
    void startDownload();
    void downloaded();
    void prepared(std::filesystem::path staged);
    void installChosen();
    void install();
    void waitForQuit();
    void swapBundles();
    void fail(const PlatformError& error);
    void endCycle(std::optional<PlatformError> error);
    void cancelPhase();
    void drainProgress();
    void scheduleChecks();
    void removeTraces();

    // A closure that runs continuation later on the main thread, once, and only while
    // the cycle it was made for is still the current one.
    std::function<void()> later(Continuation continuation);
    // A reply for the current cycle that counts only the first answer.
    UserDriver::Reply replyOnce();
    // Runs work on a worker thread, then done with its result on the main thread, unless
    // the cycle it was made for has ended or the updater is gone by then.
    template <typename Result>
    void runWork(std::function<Result(std::stop_token)> work, std::function<void(Result)> done);

    Bundle host_;
    Bundle application_;
    std::optional<Url> feed_;            // set by startUpdater
    std::optional<UpdateSignature> key_; // set by startUpdater
    UserDriver* driver_;
    UpdaterDelegate* delegate_;
    Options options_;
    std::string userAgent_;
    bool started_ = false;
    std::optional<bool> automaticChecks_;
    QTimer scheduled_;

    std::unique_ptr<Cycle> cycle_;
    uint64_t serial_ = 0; // of the current cycle; replies carry the one they were made in
    std::shared_ptr<Workers> workers_;
};

} // namespace kestle::framework
