#include "updates/UpdateQueue.hpp"

#include <algorithm>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "helpers/TempFolder.hpp"

using namespace kestle;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

namespace {

using Outcome = UpdateOutcome;
using Change = UpdateQueue::Change;
const auto failure = UpdateFailure::of;
using F = UpdateFailure::Kind;

// What a fake session was asked to do, kept past the session's release.
struct Record {
    std::string id;
    UpdateHandlers handlers; // a copy, for reports that come late
    int cancels = 0;
    int retryQuits = 0;
    bool released = false;
    class FakeSession* live = nullptr;
};

struct Script {
    std::vector<Outcome> endsAtStart; // reported one after another inside start()
    std::optional<Outcome> endAtCancel;
};

// Owns its handlers and writes to itself after calling them, as a real session does,
// so that ASan catches a queue that releases it while it is still running.
class FakeSession : public UpdateSession {
public:
    FakeSession(std::shared_ptr<Record> record, UpdateHandlers handlers, Script script)
        : record_(std::move(record)), handlers_(std::move(handlers)), script_(std::move(script)) {
        record_->live = this;
    }
    ~FakeSession() override {
        record_->released = true;
        record_->live = nullptr;
    }
    // An end reported later by the session's own code, as after work on another thread.
    void end(const Outcome& outcome) {
        handlers_.end(outcome);
        ++reports_;
    }
    void start() override {
        for (const auto& outcome : script_.endsAtStart) {
            end(outcome);
        }
    }
    void cancel() override {
        ++record_->cancels;
        if (script_.endAtCancel) {
            end(*script_.endAtCancel);
        }
    }
    void retryQuit() override { ++record_->retryQuits; }

private:
    std::shared_ptr<Record> record_;
    UpdateHandlers handlers_;
    Script script_;
    int reports_ = 0;
};

struct Harness {
    TempFolder temp;
    fs::path apps = temp / "Applications";
    std::map<std::string, Script> scripts;
    std::vector<std::shared_ptr<Record>> made;
    std::vector<std::pair<std::string, Outcome>> ends;
    std::unique_ptr<UpdateQueue> queue;

    explicit Harness(bool withScope = true) {
        fs::create_directories(apps);
        UpdateScope scope;
        if (withScope) {
            scope.folders = {Url::fromPath(apps.string())};
        }
        auto make = [this](const AppEntry& entry, JobKind, UpdateHandlers handlers) {
            made.push_back(std::make_shared<Record>());
            made.back()->id = entry.id();
            made.back()->handlers = handlers;
            return std::make_unique<FakeSession>(made.back(), handlers, scripts[entry.id()]);
        };
        auto onEnd = [this](const AppEntry& entry, const Outcome& o) {
            ends.emplace_back(entry.id(), o);
        };
        queue = std::make_unique<UpdateQueue>(scope, make, onEnd);
    }

    // Version "1.0" (build 1) in the allowed folder unless told otherwise; the feed
    // offers "2.0" (build 2) when newBuild is set.
    AppEntry installed(const std::string& id, bool newBuild = true, fs::path folder = {}) {
        AppEntry entry = notInstalled(id);
        fs::path bundle = (folder.empty() ? apps : folder) / (id + ".app");
        fs::create_directories(bundle);
        entry.installed = InstalledApp{Url::fromPath(bundle.string()), "1.0", "1"};
        entry.latest->build = newBuild ? "2" : "1";
        return entry;
    }
    static AppEntry notInstalled(const std::string& id) {
        AppEntry entry;
        entry.app.id = id;
        entry.app.name = "App " + id;
        entry.latest.emplace();
        entry.latest->build = "2";
        entry.latest->version = "2.0";
        entry.latest->download = Url::parse("https://velmar.example/" + id + ".dmg");
        return entry;
    }
    Record& session(const std::string& id) {
        auto it = std::ranges::find(made, id, [](const auto& r) { return r->id; });
        return **it;
    }
    std::optional<UpdateState> state(const std::string& id) { return queue->state(id); }
};

const auto checking = UpdateState::active(UpdateStep::checking());

TEST(UpdateQueue, RunsOneJobAtATimeAndIgnoresRepeatedRequests) {
    Harness h;
    auto a = h.installed("a"), b = h.installed("b");
    h.queue->update(a);
    h.queue->update(a);
    h.queue->update(b);
    EXPECT_EQ(h.made.size(), 1u);
    EXPECT_EQ(h.state("a"), checking);
    EXPECT_EQ(h.state("b"), UpdateState::queued());
    EXPECT_EQ(h.queue->currentID(), "a");
    EXPECT_TRUE(h.queue->isUpdating());

    h.session("a").live->end(Outcome::failed(failure(F::connection)));
    EXPECT_EQ(h.state("a"), UpdateState::failed(failure(F::connection)));
    EXPECT_EQ(h.state("b"), checking);
    h.queue->update(a); // a failure does not block a new job
    EXPECT_TRUE(h.session("a").released);
    EXPECT_EQ(h.state("a"), UpdateState::queued());
    h.queue->cancel("a");
    h.session("b").handlers.end(Outcome::noUpdate());
    EXPECT_FALSE(h.queue->isBusy());
    EXPECT_EQ(h.made.size(), 2u);
}

TEST(UpdateQueue, RefusesJobsItCannotDo) {
    Harness h;
    AppEntry coming = Harness::notInstalled("coming");
    coming.app.status = CatalogApp::Status::coming;
    AppEntry noFeed = Harness::notInstalled("noFeed");
    noFeed.latest.reset();
    AppEntry noDownload = Harness::notInstalled("noDownload");
    noDownload.latest->download.reset();
    for (const auto& entry : {h.installed("installed"), coming, noFeed, noDownload}) {
        h.queue->install(entry);
    }
    h.queue->update(Harness::notInstalled("absent"));
    EXPECT_TRUE(h.queue->states().empty());

    // Only apps with an update available, in list order.
    h.queue->updateAll({h.installed("current", false), Harness::notInstalled("new"),
                        h.installed("c"), h.installed("d")});
    EXPECT_EQ(h.queue->states(),
              (std::map<std::string, UpdateState>{{"c", checking}, {"d", UpdateState::queued()}}));
}

TEST(UpdateQueue, FinishesEachOutcomeByItsTable) {
    using N = UpdateNotice::Kind;
    struct Case {
        const char* fault;
        JobKind kind;
        Outcome outcome;
        std::optional<UpdateState> state;
        std::optional<N> notice;
        std::string text;
        bool withFeed = true;
    };
    const Case cases[] = {
        {"updated", JobKind::update, Outcome::updated(), {}, N::updated, "2.0"},
        {"updated without a feed item",
         JobKind::update,
         Outcome::updated(),
         {},
         N::updated,
         "",
         false},
        {"installed", JobKind::install, Outcome::installed(), {}, N::installed, "2.0"},
        {"canceled install", JobKind::install, Outcome::canceled(), {}, N::downloadCanceled, ""},
        {"canceled update keeps version",
         JobKind::update,
         Outcome::canceled(),
         {},
         N::canceled,
         "1.0"},
        {"no update", JobKind::update, Outcome::noUpdate(), {}, N::noUpdate, ""},
        {"handed to app",
         JobKind::update,
         Outcome::handedToApp(),
         UpdateState::handedToApp(),
         {},
         ""},
        {"failed",
         JobKind::install,
         Outcome::failed(failure(F::damaged)),
         UpdateState::failed(failure(F::damaged)),
         {},
         ""},
        {"went back names the version put back",
         JobKind::goBack,
         Outcome::wentBack(),
         {},
         N::wentBack,
         "0.9"},
        {"going back refused",
         JobKind::goBack,
         Outcome::failed(failure(F::signature)),
         UpdateState::failed(failure(F::signature)),
         {},
         ""},
    };
    for (const auto& c : cases) {
        Harness h;
        AppEntry entry = c.kind == JobKind::install ? Harness::notInstalled("a") : h.installed("a");
        if (!c.withFeed) {
            entry.latest.reset();
        }
        if (c.kind == JobKind::update) {
            h.queue->update(entry);
        } else if (c.kind == JobKind::goBack) {
            h.queue->goBack(entry, "0.9");
        } else {
            h.queue->install(entry);
        }
        h.queue->update(h.installed("next"));
        h.session("a").handlers.end(c.outcome);

        EXPECT_EQ(h.state("a"), c.state) << c.fault;
        EXPECT_EQ(h.queue->kind("a"), c.state ? std::optional(c.kind) : std::nullopt) << c.fault;
        auto notice = h.queue->notice();
        EXPECT_EQ(notice ? std::optional(notice->kind) : std::nullopt, c.notice) << c.fault;
        if (notice) {
            EXPECT_EQ(notice->text, c.text) << c.fault;
            EXPECT_EQ(notice->name, "App a") << c.fault;
        }
        EXPECT_EQ(h.ends, (decltype(h.ends){{"a", c.outcome}})) << c.fault;
        EXPECT_EQ(h.state("next"), checking) << c.fault;
    }
}

TEST(UpdateQueue, SessionEndingInsideStartStartsTheNextAndIgnoresItsSecondEnd) {
    Harness h;
    h.scripts["a"].endsAtStart = {Outcome::updated(), Outcome::failed(failure(F::signature))};
    h.scripts["b"].endsAtStart = {Outcome::failed(failure(F::connection))};
    h.queue->updateAll({h.installed("a"), h.installed("b"), h.installed("c")});
    EXPECT_EQ(h.ends, (decltype(h.ends){{"a", Outcome::updated()},
                                        {"b", Outcome::failed(failure(F::connection))}}));
    EXPECT_EQ(h.state("a"), std::nullopt);
    EXPECT_EQ(h.state("b"), UpdateState::failed(failure(F::connection)));
    EXPECT_EQ(h.state("c"), checking);
    EXPECT_TRUE(h.session("a").released && h.session("b").released);
    EXPECT_FALSE(h.session("c").released);
}

TEST(UpdateQueue, IgnoresReportsFromAReplacedSession) {
    Harness h;
    h.queue->update(h.installed("a"));
    h.queue->update(h.installed("b"));
    UpdateHandlers old = h.session("a").handlers;
    h.session("a").live->end(Outcome::noUpdate());
    old.step(UpdateStep::downloading(1, 2));
    old.end(Outcome::failed(failure(F::connection)));
    EXPECT_EQ(h.state("b"), checking);
    EXPECT_EQ(h.state("a"), std::nullopt);
    EXPECT_EQ(h.ends.size(), 1u);
}

TEST(UpdateQueue, FailsJobsOutsideTheScopeWithoutASession) {
    Harness empty(false);
    empty.queue->install(Harness::notInstalled("x"));
    empty.queue->install(Harness::notInstalled("y"));
    EXPECT_EQ(empty.state("y"), UpdateState::failed(failure(F::outsideTestFolder)));
    EXPECT_EQ(empty.ends.size(), 2u);
    EXPECT_TRUE(empty.made.empty());

    Harness h;
    h.queue->update(h.installed("elsewhere", true, h.temp / "Elsewhere"));
    h.queue->update(h.installed("nested", true, h.apps / "Sub"));
    h.queue->update(h.installed("a"));
    EXPECT_EQ(h.state("nested"), UpdateState::failed(failure(F::outsideTestFolder)));
    EXPECT_EQ(h.queue->kind("nested"), JobKind::update);
    EXPECT_EQ(h.state("a"), checking);
    EXPECT_EQ(h.made.size(), 1u);
}

TEST(UpdateQueue, CancelAndRetryQuitActByState) {
    Harness h;
    h.scripts["c"].endAtCancel = Outcome::canceled();
    h.queue->updateAll({h.installed("a"), h.installed("b"), h.installed("c"), h.installed("d")});
    Record& a = h.session("a");
    struct Case {
        UpdateStep step;
        int cancels, retryQuits;
    } const cases[] = {
        {UpdateStep::checking(), 1, 0},       {UpdateStep::downloading(1, 0), 1, 0},
        {UpdateStep::verifying(), 0, 0},      {UpdateStep::installing(true), 0, 0},
        {UpdateStep::waitingForQuit(), 0, 1},
    };
    for (const auto& c : cases) {
        a.handlers.step(c.step);
        int cancels = a.cancels, retryQuits = a.retryQuits;
        h.queue->cancel("a");
        h.queue->retryQuit("a");
        h.queue->retryQuit("b"); // not the current job
        EXPECT_EQ(a.cancels - cancels, c.cancels);
        EXPECT_EQ(a.retryQuits - retryQuits, c.retryQuits);
        EXPECT_EQ(h.state("a"), UpdateState::active(c.step));
    }

    h.queue->cancel("b"); // queued: taken out silently
    EXPECT_EQ(h.state("b"), std::nullopt);
    EXPECT_EQ(h.queue->kind("b"), std::nullopt);
    a.handlers.end(Outcome::handedToApp());
    EXPECT_EQ(h.queue->currentID(), "c");
    h.queue->cancel("a"); // dismissal
    EXPECT_EQ(h.state("a"), std::nullopt);

    h.queue->cancel("c"); // the session ends inside cancel()
    EXPECT_EQ(h.queue->notice()->kind, UpdateNotice::Kind::canceled);
    EXPECT_EQ(h.queue->currentID(), "d");
    EXPECT_EQ(h.ends.size(), 2u);
    EXPECT_EQ(h.made.size(), 3u);
}

// Going back replaces the app's files, so it waits its turn like an update and never
// runs beside one of the same app; a failure stays while the app is installed.
TEST(UpdateQueue, GoingBackIsAJobOfItsOwnKindInTheSameLine) {
    Harness h;
    auto a = h.installed("a");
    h.queue->update(a);
    h.queue->goBack(a, "0.9");
    EXPECT_EQ(h.queue->kind("a"), JobKind::update) << "asked while the update runs";
    h.queue->goBack(Harness::notInstalled("b"), "0.9");
    EXPECT_FALSE(h.state("b")) << "nothing installed to go back from";
    h.queue->goBack(h.installed("c"), "0.9");
    h.queue->update(h.installed("c"));
    EXPECT_EQ(h.queue->kind("c"), JobKind::goBack);
    EXPECT_EQ(h.state("c"), UpdateState::queued());

    h.session("a").live->end(Outcome::updated());
    EXPECT_EQ(h.state("c"), checking);
    h.session("c").live->end(Outcome::failed(failure(F::signature)));
    h.queue->forgetEnded({h.installed("c", false)});
    EXPECT_EQ(h.state("c"), UpdateState::failed(failure(F::signature)));
    h.queue->forgetEnded({Harness::notInstalled("c")});
    EXPECT_FALSE(h.state("c")) << "a failure kept for an app no longer installed";
}

TEST(UpdateQueue, ForgetEndedKeepsOnlyFailuresThatStillApply) {
    Harness h;
    for (const char* id : {"u1", "u2", "i1", "i2"}) {
        h.scripts[id].endsAtStart = {Outcome::failed(failure(F::connection))};
    }
    h.scripts["h"].endsAtStart = {Outcome::handedToApp()};
    h.queue->install(Harness::notInstalled("i1"));
    h.queue->install(Harness::notInstalled("i2"));
    for (const char* id : {"u1", "u2", "h", "q", "r"}) {
        h.queue->update(h.installed(id));
    }
    EXPECT_EQ(h.state("i2"), UpdateState::failed(failure(F::connection)));

    h.queue->forgetEnded({h.installed("u1"), h.installed("u2", false), Harness::notInstalled("i1"),
                          h.installed("i2", false)});
    std::vector<std::string> left;
    for (const auto& [id, state] : h.queue->states()) {
        left.push_back(id);
    }
    EXPECT_EQ(left, (std::vector<std::string>{"i1", "q", "r", "u1"}));
    EXPECT_EQ(h.queue->kinds().size(), 4u);

    h.queue->forgetEnded({});
    EXPECT_EQ(h.queue->states(),
              (std::map<std::string, UpdateState>{{"q", checking}, {"r", UpdateState::queued()}}));
}

TEST(UpdateQueue, KeepsTheNewestNoticeWithAnIdAboveEverySerial) {
    Harness h;
    h.scripts["a"].endsAtStart = {Outcome::updated()};
    h.scripts["b"].endsAtStart = {Outcome::noUpdate()};
    h.queue->update(h.installed("a"));
    int64_t first = h.queue->notice()->id;
    h.queue->update(h.installed("b"));
    int64_t second = h.queue->notice()->id;
    EXPECT_EQ(first, 2); // after a's serial 1
    EXPECT_EQ(second, 4);
    h.queue->dismissNotice(first);
    EXPECT_EQ(h.queue->notice()->appID, "b");
    h.queue->dismissNotice(second);
    EXPECT_EQ(h.queue->notice(), std::nullopt);
}

TEST(UpdateQueue, TellsObserversOnlyOfRealChanges) {
    Harness h;
    std::vector<Change> told;
    int token = h.queue->observe([&](Change change) { told.push_back(change); });
    auto expect = [&](std::vector<Change> changes, const char* after) {
        EXPECT_EQ(told, changes) << after;
        told.clear();
    };
    h.queue->update(h.installed("a"));
    expect({Change::states, Change::kinds}, "update");
    h.session("a").handlers.step(UpdateStep::checking());
    h.queue->cancel("a"); // still checking: only the session is asked
    h.queue->dismissNotice(7);
    h.queue->forgetEnded({});
    expect({}, "nothing changed");
    h.session("a").handlers.end(Outcome::updated());
    expect({Change::states, Change::kinds, Change::notice}, "end");
    h.queue->dismissNotice(h.queue->notice()->id + 1);
    expect({}, "dismissing another notice");
    h.queue->dismissNotice(h.queue->notice()->id);
    expect({Change::notice}, "dismissal");
    h.queue->unobserve(token);
    h.queue->update(h.installed("b"));
    expect({}, "unobserved");
}

TEST(UpdateQueue, CallbacksMayCallBackIn) {
    Harness h;
    h.scripts["a"].endsAtStart = {Outcome::updated()};
    auto b = h.installed("b"), c = h.installed("c");
    std::string text = "kept past its own replacement";
    h.queue->setOnEnd([&, text](const AppEntry&, const Outcome&) {
        h.queue->setOnEnd({});
        h.queue->update(b);
        EXPECT_FALSE(text.empty());
    });
    int token = 0;
    token = h.queue->observe([&](Change change) {
        if (change == Change::notice) {
            h.queue->unobserve(token);
            h.queue->update(c);
        }
    });
    h.queue->update(h.installed("a"));
    EXPECT_EQ(h.state("b"), checking);
    EXPECT_EQ(h.state("c"), UpdateState::queued());
}

TEST(UpdateQueue, ReleasingTheQueueReleasesTheSessionWithoutCanceling) {
    Harness h;
    h.queue->update(h.installed("a"));
    Record& a = h.session("a");
    h.queue.reset();
    EXPECT_TRUE(a.released);
    EXPECT_EQ(a.cancels, 0);
    a.handlers.step(UpdateStep::verifying());
    a.handlers.end(Outcome::updated());
    EXPECT_TRUE(h.ends.empty());
}

} // namespace
