#pragma once

#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "model/KestleModel.hpp"
#include "services/AppActions.hpp"

namespace kestle::test {

using kestle::app::AppActions;
using kestle::app::CheckReason;
using kestle::app::Clock;
using kestle::app::KestleModel;

// Five apps: Notes installed with an update, Maps and Clock not installed, Paint
// installed up to date, Orbit coming.
inline CheckResult fiveApps() {
    CheckResult result;
    CatalogApp orbit = ViewTestModel::catalogApp("orbit", "Orbit", false);
    orbit.status = CatalogApp::Status::coming;
    result.catalog = kestle::Catalog{1,
                                     {ViewTestModel::catalogApp("notes", "Notes", true),
                                      ViewTestModel::catalogApp("maps", "Maps", true),
                                      ViewTestModel::catalogApp("clock", "Clock", false),
                                      ViewTestModel::catalogApp("paint", "Paint", false), orbit}};
    for (CatalogApp& app : result.catalog->apps) {
        app.tagline = kestle::LocalizedText{{"en", app.name + ", the tidy way"}};
        app.summary = kestle::LocalizedText{{"en", "What " + app.name + " does, in two lines."}};
        app.minimumSystem = "14.2";
    }
    FeedItem notes = ViewTestModel::release("12", "1.2");
    notes.date = std::chrono::sys_days{std::chrono::year{2026} / 11 / 30};
    notes.length = 4'200'000;
    notes.notes = {{"en", "- **Faster** search\n- Fixes a crash with `tabs`"}};
    result.latest = {{"notes", notes},
                     {"maps", ViewTestModel::release("30", "3.0")},
                     {"clock", ViewTestModel::release("10", "1.0")},
                     {"paint", ViewTestModel::release("20", "2.0")}};
    return result;
}

// A model over fakes whose check answers what the test says, held at a gate when asked.
struct WindowFixture {
    std::shared_ptr<std::mutex> lock = std::make_shared<std::mutex>();
    std::shared_ptr<CheckResult> answer = std::make_shared<CheckResult>(fiveApps());
    std::shared_ptr<std::promise<void>> gate = std::make_shared<std::promise<void>>();
    std::shared_future<void> opened = gate->get_future().share();
    std::shared_ptr<std::atomic<int64_t>> seconds =
        std::make_shared<std::atomic<int64_t>>(1'796'000'000);
    std::shared_ptr<kestle::test::SessionScript> script =
        std::make_shared<kestle::test::SessionScript>();
    std::unique_ptr<KestleModel> model;
    int problemReports = 0;

    explicit WindowFixture(bool gated = false) {
        kestle::app::Setup setup;
        auto answer = this->answer;
        auto lock = this->lock;
        std::shared_future<void> opened = this->opened;
        if (!gated) {
            gate->set_value();
        }
        setup.checker = [answer, lock, opened](std::stop_token) {
            opened.wait();
            std::lock_guard guard(*lock);
            return *answer;
        };
        setup.catalogURL = Url::parse("https://velmar.example/catalog.json");
        setup.scanInstalled = [](const std::set<std::string>&) {
            return std::map<std::string, InstalledApp>{
                {"com.velmar.notes",
                 InstalledApp{Url::fromPath("/Applications/Notes.app"), "1.1", "11"}},
                {"com.velmar.paint",
                 InstalledApp{Url::fromPath("/Applications/Paint.app"), "2.0", "20"}}};
        };
        auto seconds = this->seconds;
        setup.now = [seconds] { return Clock::time_point(std::chrono::seconds(seconds->load())); };
        setup.scope = kestle::UpdateScope{{Url::fromPath("/Applications")}};
        setup.termsAccepted = true;
        auto script = this->script;
        setup.makeSession = [script](const AppEntry& entry, kestle::JobKind,
                                     kestle::UpdateHandlers handlers) {
            script->ids.push_back(entry.id());
            return std::make_unique<kestle::test::ScriptedSession>(script, std::move(handlers));
        };
        model = std::make_unique<KestleModel>(std::move(setup));
    }

    ~WindowFixture() {
        if (!isOpen()) {
            gate->set_value();
        }
        runUntil([&] { return !model->isChecking(); });
    }

    bool isOpen() const {
        return opened.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }

    void answerWith(CheckResult result) {
        std::lock_guard guard(*lock);
        *answer = std::move(result);
    }

    bool check() {
        bool done = false;
        model->check(CheckReason::user, [&] { done = true; });
        return runUntil([&] { return done; });
    }

    AppActions actions() {
        AppActions actions;
        actions.open = [](const AppEntry&) {};
        actions.reportProblem = [this](const std::optional<AppEntry>&, KestleModel&) {
            ++problemReports;
        };
        return actions;
    }
};

} // namespace kestle::test
