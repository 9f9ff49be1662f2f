#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QLocale>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "model/KestleModel.hpp"

namespace kestle::test {

// Sessions that do nothing by themselves: the test reports their steps and ends
// through the handlers they were made with, and counts what the queue asked of them.
struct SessionScript {
    std::vector<UpdateHandlers> handlers;
    std::vector<std::string> ids;
    int cancels = 0;
    int retryQuits = 0;

    void step(const UpdateStep& step) { handlers.back().step(step); }
    void end(const UpdateOutcome& outcome) { handlers.back().end(outcome); }
};

struct ScriptedSession : UpdateSession {
    ScriptedSession(std::shared_ptr<SessionScript> script, UpdateHandlers handlers)
        : script(std::move(script)) {
        this->script->handlers.push_back(std::move(handlers));
    }
    void start() override {}
    void cancel() override { ++script->cancels; }
    void retryQuit() override { ++script->retryQuits; }
    std::shared_ptr<SessionScript> script;
};

// A model over three apps after one check: Notes installed 1.1 with 1.2 out and a
// site, Maps not installed with 3.0 out, Paint installed 2.0 with 2.1 out and no site.
// With keptCopies, the update to Notes 1.1 kept 1.0 (4.2 MB), and Paint has a copy
// kept by an update to a build other than the installed one.
struct ViewTestModel {
    std::shared_ptr<SessionScript> script = std::make_shared<SessionScript>();
    std::unique_ptr<app::KestleModel> model;

    explicit ViewTestModel(bool keptCopies = false) {
        app::Setup setup;
        setup.checker = [](std::stop_token) {
            CheckResult result;
            result.catalog =
                Catalog{1,
                        {catalogApp("notes", "Notes", true), catalogApp("maps", "Maps", true),
                         catalogApp("paint", "Paint", false)}};
            result.latest = {{"notes", release("12", "1.2")},
                             {"maps", release("30", "3.0")},
                             {"paint", release("21", "2.1")}};
            return result;
        };
        setup.scanInstalled = [](const std::set<std::string>&) {
            return std::map<std::string, InstalledApp>{
                {"com.velmar.notes",
                 InstalledApp{Url::fromPath("/Applications/Notes.app"), "1.1", "11"}},
                {"com.velmar.paint",
                 InstalledApp{Url::fromPath("/Applications/Paint.app"), "2.0", "20"}}};
        };
        if (keptCopies) {
            setup.findPrevious = [](const std::map<std::string, InstalledApp>&) {
                auto kept = [](const std::string& id, const std::string& name,
                               const std::string& version, const std::string& replacedBy) {
                    return PreviousCopy{"com.velmar." + id,
                                        version,
                                        version,
                                        replacedBy,
                                        "2026-12-01T09:00:00Z",
                                        "/Applications/.velmarkestle-previous/com.velmar." + id +
                                            "/" + name + ".app",
                                        "/Applications/" + name + ".app",
                                        4'200'000};
                };
                return std::map<std::string, PreviousCopy>{
                    {"com.velmar.notes", kept("notes", "Notes", "1.0", "11")},
                    {"com.velmar.paint", kept("paint", "Paint", "1.9", "19")}};
            };
        }
        setup.scope = UpdateScope{{Url::fromPath("/Applications")}};
        setup.termsAccepted = true;
        auto script = this->script;
        setup.makeSession = [script](const AppEntry& entry, JobKind, UpdateHandlers handlers) {
            script->ids.push_back(entry.id());
            return std::make_unique<ScriptedSession>(script, std::move(handlers));
        };
        model = std::make_unique<app::KestleModel>(std::move(setup));
        bool done = false;
        model->check(app::CheckReason::user, [&] { done = true; });
        runUntil([&] { return done; });
    }

    AppEntry entry(const std::string& id) const { return *model->entry(id); }

    static CatalogApp catalogApp(const std::string& id, const std::string& name, bool site) {
        CatalogApp app;
        app.id = id;
        app.bundleID = "com.velmar." + id;
        app.name = name;
        app.feed = Url::parse("https://velmar.example/" + id + ".xml");
        if (site) {
            app.site = Url::parse("https://velmar.example/" + id);
        }
        return app;
    }

    static FeedItem release(const std::string& build, const std::string& version) {
        FeedItem item;
        item.build = build;
        item.version = version;
        item.download = Url::parse("https://velmar.example/app.dmg");
        return item;
    }
};

// Numbers and percentages as in US English for the life of the guard.
struct EnglishLocale {
    QLocale saved;
    EnglishLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~EnglishLocale() { QLocale::setDefault(saved); }
};

} // namespace kestle::test
