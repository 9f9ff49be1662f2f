#include "model/KestleModel.hpp"

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "helpers/LogCapture.hpp"
#include "services/DailyCheck.hpp"

using kestle::AlertLedger;
using kestle::AppEntry;
using kestle::AppFilter;
using kestle::CatalogApp;
using kestle::CheckFailure;
using kestle::CheckResult;
using kestle::FeedItem;
using kestle::InstalledApp;
using kestle::MemoryPreferences;
using kestle::UpdateOutcome;
using kestle::Url;
using kestle::app::CheckReason;
using kestle::app::Clock;
using kestle::app::DailyCheck;
using kestle::app::KestleModel;
using kestle::app::ListLayout;

using kestle::test::LogCapture;
using kestle::test::runUntil;

namespace {

using namespace std::chrono_literals;

CatalogApp app(const std::string& id, CatalogApp::Status status = CatalogApp::Status::released) {
    CatalogApp app;
    app.id = id;
    app.bundleID = "com.velmar." + id;
    app.name = id;
    app.name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(app.name[0])));
    app.status = status;
    app.feed = Url::parse("https://velmar.example/" + id + ".xml");
    return app;
}

FeedItem release(const std::string& build) {
    FeedItem item;
    item.build = build;
    item.version = "1." + build;
    item.download = Url::parse("https://velmar.example/app.dmg");
    return item;
}

// Notes (installed 1, feed offers 2), Maps (not installed), Clock (coming),
// Paint (installed 5, its feed failed).
CheckResult freshResult() {
    CheckResult result;
    result.catalog = kestle::Catalog{
        1, {app("notes"), app("maps"), app("clock", CatalogApp::Status::coming), app("paint")}};
    result.latest = {{"notes", release("2")}, {"maps", release("3")}};
    result.failedFeeds = {{"paint", CheckFailure::offline()}};
    return result;
}

// A setup of fakes: a checker that answers what it is told, a fixed scan, a clock the
// test moves, preferences in memory.
struct Fakes {
    std::shared_ptr<std::atomic<int64_t>> seconds =
        std::make_shared<std::atomic<int64_t>>(1'000'000);
    std::shared_ptr<std::mutex> lock = std::make_shared<std::mutex>();
    std::shared_ptr<CheckResult> answer = std::make_shared<CheckResult>(freshResult());
    std::shared_ptr<std::atomic<int>> checks = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::shared_future<void>> gate;
    std::shared_ptr<MemoryPreferences> defaults = std::make_shared<MemoryPreferences>();
    std::shared_ptr<std::atomic<bool>> mapsInstalled = std::make_shared<std::atomic<bool>>(false);
    bool frontmost = false;
    bool notifies = true;

    kestle::app::Setup setup(bool termsAccepted = true) {
        kestle::app::Setup setup;
        auto answer = this->answer;
        auto lock = this->lock;
        auto checks = this->checks;
        auto gate = this->gate;
        setup.checker = [answer, lock, checks, gate](std::stop_token) {
            ++*checks;
            if (gate) {
                gate->wait();
            }
            std::lock_guard guard(*lock);
            return *answer;
        };
        auto mapsInstalled = this->mapsInstalled;
        setup.scanInstalled = [mapsInstalled](const std::set<std::string>& ids) {
            std::map<std::string, InstalledApp> found;
            if (*mapsInstalled) {
                found.emplace("com.velmar.maps",
                              InstalledApp{Url::fromPath("/Applications/Maps.app"), "1.3", "3"});
            }
            if (ids.contains("com.velmar.notes")) {
                found.emplace("com.velmar.notes",
                              InstalledApp{Url::fromPath("/Applications/Notes.app"), "1.1", "1"});
            }
            if (ids.contains("com.velmar.paint")) {
                found.emplace("com.velmar.paint",
                              InstalledApp{Url::fromPath("/Applications/Paint.app"), "1.5", "5"});
            }
            return found;
        };
        auto seconds = this->seconds;
        setup.now = [seconds] { return Clock::time_point(std::chrono::seconds(seconds->load())); };
        setup.defaults = defaults;
        setup.ledgerDefaults = defaults;
        setup.termsAccepted = termsAccepted;
        setup.notifiesUpdates = [this] { return notifies; };
        setup.isFrontmost = [this] { return frontmost; };
        return setup;
    }
    Clock::time_point now() const {
        return Clock::time_point(std::chrono::seconds(seconds->load()));
    }
};

// A job that ends as soon as it starts.
struct EndingSession : kestle::UpdateSession {
    EndingSession(kestle::UpdateHandlers handlers, UpdateOutcome outcome)
        : handlers(std::move(handlers)), outcome(outcome) {}
    void start() override { handlers.end(outcome); }
    void cancel() override {}
    void retryQuit() override {}
    kestle::UpdateHandlers handlers;
    UpdateOutcome outcome;
};

bool runCheck(KestleModel& model, CheckReason reason) {
    bool done = false;
    model.check(reason, [&] { done = true; });
    return runUntil([&] { return done; });
}

TEST(KestleModel, TermsGateSkipsChecksUntilAccepted) {
    LogCapture log;
    Fakes fakes;
    KestleModel model(fakes.setup(/*termsAccepted=*/false));
    int opened = 0;
    model.onTermsAccepted = [&] { ++opened; };
    ASSERT_TRUE(runCheck(model, CheckReason::window));
    EXPECT_TRUE(log.contains("Check (window) skipped: terms of use not accepted"));
    EXPECT_FALSE(model.lastAttempt());
    EXPECT_FALSE(model.result());
    EXPECT_FALSE(model.isChecking());
    EXPECT_EQ(fakes.checks->load(), 0);

    model.acceptTerms();
    model.acceptTerms(); // already open: nothing more
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(KestleModel::hasAcceptedCurrentTerms(fakes.defaults.get()));
    EXPECT_EQ(fakes.defaults->date("termsAcceptedAt"), fakes.now());
    ASSERT_TRUE(runCheck(model, CheckReason::window));
    EXPECT_EQ(fakes.checks->load(), 1);

    fakes.defaults->set("termsAcceptedVersion", std::string("2025-01-01"));
    EXPECT_FALSE(KestleModel::hasAcceptedCurrentTerms(fakes.defaults.get()))
        << "older terms are asked again";
}

TEST(KestleModel, OnlyOneCheckRunsAtATime) {
    Fakes fakes;
    std::promise<void> release;
    fakes.gate = std::make_shared<std::shared_future<void>>(release.get_future().share());
    KestleModel model(fakes.setup());
    bool first = false;
    bool second = false;
    model.check(CheckReason::window, [&] { first = true; });
    EXPECT_TRUE(model.isChecking());
    model.check(CheckReason::user, [&] { second = true; });
    EXPECT_TRUE(second) << "a second request is dropped at once";
    release.set_value();
    ASSERT_TRUE(runUntil([&] { return first; }));
    EXPECT_EQ(fakes.checks->load(), 1);
    EXPECT_FALSE(model.isChecking());
    EXPECT_EQ(model.entries().size(), 4u);
}

TEST(KestleModel, AModelThatGoesAwayStopsItsRunningCheck) {
    Fakes fakes;
    kestle::app::Setup setup = fakes.setup();
    std::promise<bool> stopped;
    std::future<bool> seen = stopped.get_future();
    setup.checker = [&stopped](std::stop_token stop) {
        // A check that would otherwise wait for a minute, as a trickling server does.
        std::mutex lock;
        std::unique_lock held(lock);
        std::condition_variable_any never;
        never.wait_for(held, stop, std::chrono::seconds(60), [] { return false; });
        stopped.set_value(stop.stop_requested());
        return CheckResult{};
    };
    {
        KestleModel model(std::move(setup));
        model.check(CheckReason::window);
        ASSERT_TRUE(model.isChecking());
    }
    ASSERT_EQ(seen.wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "the check ran on after the model was gone";
    EXPECT_TRUE(seen.get());
    QCoreApplication::processEvents(); // the late result finds no model
}

TEST(KestleModel, WorkThatThrowsEndsTheCheckInsteadOfTheProcess) {
    Fakes fakes;
    kestle::app::Setup setup = fakes.setup();
    auto checkThrows = std::make_shared<std::atomic<bool>>(true);
    auto scanThrows = std::make_shared<std::atomic<bool>>(false);
    auto check = setup.checker;
    setup.checker = [checkThrows, check](std::stop_token stop) {
        if (*checkThrows) {
            throw std::bad_alloc();
        }
        return check(stop);
    };
    auto scan = setup.scanInstalled;
    setup.scanInstalled = [scanThrows, scan](const std::set<std::string>& ids) {
        if (*scanThrows) {
            throw std::runtime_error("scan failed");
        }
        return scan(ids);
    };
    KestleModel model(std::move(setup));

    ASSERT_TRUE(runCheck(model, CheckReason::user));
    EXPECT_FALSE(model.isChecking());
    ASSERT_TRUE(model.result());
    EXPECT_EQ(model.result()->catalogFailure, CheckFailure::invalid()) << "a checker that throws";

    *checkThrows = false;
    ASSERT_TRUE(runCheck(model, CheckReason::user));
    const auto installed = model.installed();
    ASSERT_FALSE(installed.empty());

    *scanThrows = true;
    ASSERT_TRUE(runCheck(model, CheckReason::user));
    EXPECT_TRUE(model.result()->catalog);
    EXPECT_EQ(model.installed(), installed) << "a scan that throws emptied the list";
}

TEST(KestleModel, WindowAppearanceChecksAtMostOncePerMinute) {
    Fakes fakes;
    KestleModel model(fakes.setup());
    auto appeared = [&] {
        bool done = false;
        model.windowAppeared([&] { done = true; });
        EXPECT_TRUE(runUntil([&] { return done; }));
    };
    appeared(); // right after launch: checks
    EXPECT_EQ(fakes.checks->load(), 1);
    *fakes.seconds += 30;
    appeared();
    EXPECT_EQ(fakes.checks->load(), 1);
    *fakes.seconds += 31;
    appeared();
    EXPECT_EQ(fakes.checks->load(), 2);
}

TEST(KestleModel, OnlyAFreshCatalogMovesLastCheck) {
    Fakes fakes;
    const Clock::time_point stored = Clock::time_point(std::chrono::seconds(500));
    fakes.defaults->set("lastCheck", stored);
    KestleModel model(fakes.setup());
    EXPECT_EQ(model.lastCheck(), stored);

    fakes.answer->catalogFailure = CheckFailure::server(500); // the cached catalog was used
    ASSERT_TRUE(runCheck(model, CheckReason::user));
    EXPECT_EQ(model.lastCheck(), stored);
    EXPECT_EQ(fakes.defaults->date("lastCheck"), stored);
    EXPECT_EQ(model.entries().size(), 4u) << "the cached catalog still gives entries";

    fakes.answer->catalogFailure.reset();
    ASSERT_TRUE(runCheck(model, CheckReason::user));
    EXPECT_EQ(model.lastCheck(), fakes.now());
    EXPECT_EQ(fakes.defaults->date("lastCheck"), fakes.now());
    EXPECT_FALSE(model.isCheckDue());
    *fakes.seconds += 86'399;
    EXPECT_FALSE(model.isCheckDue());
    *fakes.seconds += 1;
    EXPECT_TRUE(model.isCheckDue());
}

TEST(KestleModel, WithoutACheckerEveryCheckEndsWithoutCatalog) {
    LogCapture log;
    Fakes fakes;
    kestle::app::Setup setup = fakes.setup();
    setup.checker = nullptr;
    KestleModel model(std::move(setup));
    int posted = 0;
    model.post = [&](const auto&) { ++posted; };
    ASSERT_TRUE(runCheck(model, CheckReason::background));
    ASSERT_TRUE(model.result());
    EXPECT_FALSE(model.result()->catalog);
    EXPECT_EQ(model.result()->catalogFailure, CheckFailure::invalid());
    EXPECT_TRUE(model.entries().empty());
    EXPECT_EQ(posted, 0);
    EXPECT_FALSE(fakes.defaults->data("alerts")) << "no alerts computed, nothing saved";
    EXPECT_TRUE(log.contains("Check (background): catalog failed (invalid), 0 apps"));
}

TEST(KestleModel, LogsTheOutcomeLineByLine) {
    LogCapture log;
    Fakes fakes;
    KestleModel model(fakes.setup());
    ASSERT_TRUE(runCheck(model, CheckReason::user));
    EXPECT_TRUE(log.contains("Check (user): catalog ok, 4 apps"));
    EXPECT_TRUE(log.contains(
        "notes: installed 1.1 (1) at /Applications/Notes.app, latest 1.2 (2), updateAvailable"));
    EXPECT_TRUE(log.contains("maps: installed none, latest 1.3 (3), notInstalled"));
    EXPECT_TRUE(
        log.contains("paint: installed 1.5 (5) at /Applications/Paint.app, latest none, installed, "
                     "feed failed (offline)"));
}

TEST(KestleModel, UpdateAlertsOnlyForBackgroundChecksInTheBackground) {
    struct Case {
        const char* name;
        CheckReason reason;
        bool frontmost;
        bool notifies;
        bool posts;
    };
    for (const Case& c : {Case{"user check", CheckReason::user, false, true, false},
                          Case{"frontmost", CheckReason::background, true, true, false},
                          Case{"switched off", CheckReason::background, false, false, false},
                          Case{"in the background", CheckReason::background, false, true, true}}) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        Fakes fakes;
        fakes.frontmost = c.frontmost;
        fakes.notifies = c.notifies;
        KestleModel model(fakes.setup());
        std::vector<kestle::Alert> posted;
        model.post = [&](const std::vector<kestle::Alert>& alerts) { posted = alerts; };
        ASSERT_TRUE(runCheck(model, c.reason));
        EXPECT_EQ(!posted.empty(), c.posts);
        // Either way the new build counts as seen and is saved.
        EXPECT_EQ(model.ledger().seenBuilds.at("notes"), "2");
        auto saved = fakes.defaults->data("alerts");
        ASSERT_TRUE(saved);
        auto decoded = AlertLedger::decode(std::string(saved->begin(), saved->end()));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(*decoded, model.ledger());
        EXPECT_EQ(log.contains(", updates only marked seen"), !c.posts);
    }
}

TEST(KestleModel, StoredListSettingsAndLedgerAreReadDefensively) {
    struct Case {
        const char* name;
        std::optional<kestle::PreferenceValue> layout;
        ListLayout expected;
    };
    for (const Case& c : {Case{"absent", std::nullopt, ListLayout::grid},
                          Case{"table", std::string("table"), ListLayout::table},
                          Case{"other text", std::string("Table"), ListLayout::grid},
                          Case{"other type", true, ListLayout::grid}}) {
        SCOPED_TRACE(c.name);
        Fakes fakes;
        if (c.layout) {
            fakes.defaults->set("layout", *c.layout);
        }
        fakes.defaults->set("alerts", std::vector<uint8_t>{'{', 'x'});
        fakes.defaults->set("lastCheck", std::string("yesterday"));
        KestleModel model(fakes.setup());
        EXPECT_EQ(model.layout(), c.expected);
        EXPECT_EQ(model.ledger(), AlertLedger{}) << "undecodable alerts start empty";
        EXPECT_FALSE(model.lastCheck()) << "a lastCheck that is not a date is ignored";
        model.setWatching(AppEntry{app("clock", CatalogApp::Status::coming), {}, {}, false}, true);
        auto saved = fakes.defaults->data("alerts");
        ASSERT_TRUE(saved);
        EXPECT_TRUE(
            AlertLedger::decode(std::string(saved->begin(), saved->end()))->isWatching("clock"));
    }
}

TEST(KestleModel, ListSettingsCloseTheDetail) {
    Fakes fakes;
    KestleModel model(fakes.setup());
    int queries = 0;
    QObject::connect(&model, &KestleModel::queryChanged, [&] { ++queries; });
    model.setDetail("notes");
    model.setFilter(AppFilter::all); // the same value
    EXPECT_EQ(model.detail(), "notes");
    model.setFilter(AppFilter::updates);
    EXPECT_FALSE(model.detail());
    model.setDetail("notes");
    model.setLayout(ListLayout::grid); // even the same layout is stored and closes it
    EXPECT_FALSE(model.detail());
    EXPECT_EQ(fakes.defaults->string("layout"), "grid");
    model.setQuery("no");
    model.setQuery("no");
    EXPECT_EQ(queries, 1);
}

TEST(KestleModel, DerivedListsFollowEntriesFilterAndQuery) {
    Fakes fakes;
    KestleModel model(fakes.setup());
    ASSERT_TRUE(runCheck(model, CheckReason::user));
    EXPECT_EQ(model.count(AppFilter::all), 4);
    EXPECT_EQ(model.count(AppFilter::notInstalled), 2);
    EXPECT_EQ(model.count(AppFilter::installed), 2);
    EXPECT_EQ(model.count(AppFilter::updates), 1);
    ASSERT_EQ(model.updatableEntries().size(), 1u);
    EXPECT_EQ(model.updatableEntries().front().id(), "notes");
    EXPECT_EQ(model.failedFeedNames(), std::vector<std::string>{"Paint"});
    model.setQuery("  NÓTES ");
    ASSERT_EQ(model.visibleEntries().size(), 1u);
    EXPECT_EQ(model.visibleEntries().front().id(), "notes");
    model.setFilter(AppFilter::notInstalled);
    EXPECT_TRUE(model.visibleEntries().empty());
    model.setQuery("");
    ASSERT_EQ(model.visibleEntries().size(), 2u);
    EXPECT_EQ(model.visibleEntries().front().id(), "maps");
}

TEST(KestleModel, BannersAreDismissedOnlyByTheirOwnId) {
    Fakes fakes;
    kestle::app::Setup setup = fakes.setup();
    setup.scope = kestle::UpdateScope{{Url::fromPath("/Applications")}};
    setup.makeSession = [](const AppEntry&, kestle::JobKind, kestle::UpdateHandlers handlers) {
        return std::make_unique<EndingSession>(std::move(handlers), UpdateOutcome::noUpdate());
    };
    KestleModel model(std::move(setup));
    ASSERT_TRUE(runCheck(model, CheckReason::user));
    int idle = 0;
    model.onQueueIdle = [&] { ++idle; };
    model.queue().update(*model.entry("notes"));
    ASSERT_TRUE(model.queue().notice());
    EXPECT_EQ(idle, 1);

    model.showBanner("First", std::nullopt, 4.2);
    EXPECT_FALSE(model.queue().notice()) << "banner and toast never show together";
    const int64_t first = model.banner()->id;
    model.showBanner("Second", QString("Undo"), 8.0);
    model.dismissBanner(first);
    ASSERT_TRUE(model.banner());
    EXPECT_EQ(model.banner()->text, "Second");
    model.dismissBanner(model.banner()->id);
    EXPECT_FALSE(model.banner());
}

TEST(KestleModel, RetryOfAFailedInstallThatWasInstalledMeanwhileClearsIt) {
    Fakes fakes;
    kestle::app::Setup setup = fakes.setup();
    setup.scope = kestle::UpdateScope{{Url::fromPath("/Applications")}};
    int sessions = 0;
    setup.makeSession = [&sessions](const AppEntry&, kestle::JobKind,
                                    kestle::UpdateHandlers handlers) {
        ++sessions;
        return std::make_unique<EndingSession>(std::move(handlers),
                                               UpdateOutcome::failed(kestle::UpdateFailure::of(
                                                   kestle::UpdateFailure::Kind::connection)));
    };
    KestleModel model(std::move(setup));
    ASSERT_TRUE(runCheck(model, CheckReason::user));
    model.queue().install(*model.entry("maps"));
    ASSERT_TRUE(model.queue().state("maps"));
    EXPECT_EQ(sessions, 1);
    model.retry("maps"); // still not installed: installs again
    EXPECT_EQ(sessions, 2);

    // Installed by hand in the meantime: the failure is cleared, nothing is installed.
    *fakes.mapsInstalled = true;
    ASSERT_TRUE(runCheck(model, CheckReason::user));
    EXPECT_EQ(model.entry("maps")->status(), AppEntry::Status::installed);
    model.retry("maps");
    EXPECT_EQ(sessions, 2);
    EXPECT_FALSE(model.queue().state("maps"));
}

TEST(DailyCheck, RunsWhenDueAndKeepsOneTimer) {
    struct Case {
        const char* name;
        std::optional<int64_t> lastCheckAgo;
        bool due;
    };
    for (const Case& c :
         {Case{"never checked", std::nullopt, true}, Case{"23 hours ago", 23 * 3600, false},
          Case{"24 hours ago", 24 * 3600, true}}) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        Fakes fakes;
        if (c.lastCheckAgo) {
            fakes.defaults->set("lastCheck", fakes.now() - std::chrono::seconds(*c.lastCheckAgo));
        }
        KestleModel model(fakes.setup());
        DailyCheck daily;
        daily.setModel(&model);
        daily.setActive(true);
        daily.setActive(true);
        EXPECT_TRUE(daily.isActive());
        EXPECT_TRUE(
            log.contains(std::string("Daily check on, due now: ") + (c.due ? "yes" : "no")));
        kestle::test::spin(200ms);
        EXPECT_EQ(fakes.checks->load() > 0, c.due);
        daily.setActive(false);
        EXPECT_FALSE(daily.isActive());
        EXPECT_TRUE(log.contains("Daily check off"));
    }
}

TEST(DailyCheck, TheTimerRunsBackgroundChecks) {
    Fakes fakes;
    fakes.defaults->set("lastCheck", fakes.now());
    KestleModel model(fakes.setup());
    DailyCheck daily;
    daily.setModel(&model);
    daily.setInterval(50ms);
    daily.setActive(true);
    ASSERT_TRUE(runUntil([&] { return fakes.checks->load() >= 2; }, 5s));
    daily.setActive(false);
    const int after = fakes.checks->load();
    kestle::test::spin(200ms);
    EXPECT_LE(fakes.checks->load(), after + 1);
}

} // namespace
