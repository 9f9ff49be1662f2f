#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include "apps/AlertLedger.hpp"
#include "apps/AppEntry.hpp"
#include "apps/AppFilter.hpp"
#include "check/CheckResult.hpp"
#include "model/Setup.hpp"
#include "sessions/UpdateQueueSignals.hpp"
#include "updates/UpdateQueue.hpp"

namespace kestle::app {

enum class ListLayout { grid, table };
enum class CheckReason { user, window, background };

// "user", "window", "background".
const char* logName(CheckReason reason);

// A short message over the bottom of the main window.
struct Banner {
    int64_t id = 0;
    QString text;
    std::optional<QString> button;
    std::function<void()> action;
    double seconds = 4.2;
};

// The one object behind every window, menu and service: the last check's result, the
// installed apps, the entries the views show, the job queue, the alert ledger, the
// list settings, the banner and the terms gate. Main thread only; slow work runs on
// worker threads and its results are applied here.
class KestleModel : public QObject {
    Q_OBJECT

public:
    static constexpr const char* currentTermsVersion = "2026-12-03";
    static constexpr std::chrono::seconds checkWindow{60};
    static constexpr std::chrono::seconds day{86400};

    explicit KestleModel(Setup setup, QObject* parent = nullptr);
    ~KestleModel() override;

    // The application's one model, made from the live setup on first use (main thread).
    static KestleModel& shared();

    // The current terms were accepted in these preferences.
    static bool hasAcceptedCurrentTerms(const PreferenceStore* defaults);
    // The application's preferences, shared with every service that reads them; none in
    // tests that give none.
    const std::shared_ptr<PreferenceStore>& defaults() const { return setup_.defaults; }
    // The language of catalog texts and release notes: "en" or "it" from the user's
    // preferred languages, else "en".
    static std::string preferredLanguage();

    const Setup& setup() const { return setup_; }
    const std::string& language() const { return language_; }
    UpdateQueue& queue() { return *queue_; }
    const UpdateQueue& queue() const { return *queue_; }
    UpdateQueueSignals& queueSignals() { return *queueSignals_; }

    const std::optional<CheckResult>& result() const { return result_; }
    const std::map<std::string, InstalledApp>& installed() const { return installed_; }
    // The copy an update replaced, when the entry's app can go back to it.
    std::optional<PreviousCopy> previous(const AppEntry& entry) const;
    const std::vector<AppEntry>& entries() const { return entries_; }
    bool isChecking() const { return isChecking_; }
    const std::optional<Clock::time_point>& lastCheck() const { return lastCheck_; }
    const std::optional<Clock::time_point>& lastAttempt() const { return lastAttempt_; }
    bool termsAccepted() const { return termsAccepted_; }
    const AlertLedger& ledger() const { return ledger_; }
    const std::optional<Banner>& banner() const { return banner_; }
    int64_t bannerSerial() const { return bannerSerial_; }
    AppFilter filter() const { return filter_; }
    const QString& query() const { return query_; }
    ListLayout layout() const { return layout_; }
    const std::optional<std::string>& detail() const { return detail_; }
    int searchRequest() const { return searchRequest_; }

    // Hooks of the services and the shell; main thread.
    std::function<void(const std::vector<Alert>&)> post = [](const std::vector<Alert>&) {};
    std::function<void()> onTermsAccepted = [] {};
    std::function<void()> onQueueIdle = [] {};

    // One check cycle; done runs when it is over or was skipped. At most one runs.
    void check(CheckReason reason, std::function<void()> done = {});
    // A check unless one started less than a minute ago.
    void windowAppeared(std::function<void()> done = {});
    bool isCheckDue() const;
    // Rescans the installed apps and rebuilds the entries.
    void refreshInstalled(std::function<void()> done = {});

    void recordTermsAcceptance();
    void acceptTerms();
    void setWatching(const AppEntry& entry, bool on);
    void saveLedger();
    void showBanner(QString text, std::optional<QString> button, double seconds,
                    std::function<void()> action = {});
    void dismissBanner(int64_t id);
    void retry(const std::string& id);
    std::optional<AppEntry> entry(const std::string& id) const;

    // Derived lists, kept until what they depend on changes.
    const std::vector<AppEntry>& visibleEntries() const;
    int count(AppFilter filter) const;
    const std::vector<AppEntry>& updatableEntries() const;
    std::vector<std::string> failedFeedNames() const;

    void setFilter(AppFilter filter);
    void setQuery(const QString& query);
    void setLayout(ListLayout layout);
    void setDetail(std::optional<std::string> id);
    void requestSearch();
    // At quit: the running check and every queued or running job are told to stop.
    void stopAll();

signals:
    void resultChanged();
    void installedChanged();
    void entriesChanged();
    void isCheckingChanged();
    void lastCheckChanged();
    void lastAttemptChanged();
    void termsAcceptedChanged();
    void ledgerChanged();
    void bannerChanged();
    void filterChanged();
    void queryChanged();
    void layoutChanged();
    void detailChanged();
    void searchRequestChanged();
    // A check cycle ended (not sent for skipped ones).
    void checkFinished();

private:
    void applyResult(CheckReason reason, CheckResult result, std::function<void()> done);
    void logOutcome(CheckReason reason) const;
    void postAlerts(CheckReason reason);
    void setEntries(std::vector<AppEntry> entries);
    void queueEnded();
    void invalidateDerived();

    Setup setup_;
    std::string language_;
    std::unique_ptr<UpdateQueue> queue_;
    std::unique_ptr<UpdateQueueSignals> queueSignals_;
    std::optional<CheckResult> result_;
    std::map<std::string, InstalledApp> installed_;
    std::map<std::string, PreviousCopy> previous_;
    std::vector<AppEntry> entries_;
    bool isChecking_ = false;
    std::stop_source checkStop_;
    std::optional<Clock::time_point> lastCheck_;
    std::optional<Clock::time_point> lastAttempt_;
    bool termsAccepted_ = false;
    AlertLedger ledger_;
    std::optional<Banner> banner_;
    int64_t bannerSerial_ = 0;
    AppFilter filter_ = AppFilter::all;
    QString query_;
    ListLayout layout_ = ListLayout::grid;
    std::optional<std::string> detail_;
    int searchRequest_ = 0;

    struct Derived {
        std::optional<std::vector<AppEntry>> visible;
        std::optional<std::vector<AppEntry>> updatable;
        std::optional<std::array<int, 4>> counts;
    };
    mutable Derived derived_;
};

} // namespace kestle::app
