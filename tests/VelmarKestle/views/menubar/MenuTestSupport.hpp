#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QMenu>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "model/KestleModel.hpp"

namespace kestle::test {

// The menu as the user sees it: one string per shown action, "---" for a divider, a
// disabled one marked " (off)", a shortcut in brackets.
inline std::vector<std::string> shownItems(const QMenu& menu) {
    std::vector<std::string> items;
    for (const QAction* action : menu.actions()) {
        if (!action->isVisible()) {
            continue;
        }
        if (action->isSeparator()) {
            items.push_back("---");
            continue;
        }
        std::string item = action->text().toStdString();
        if (!action->isEnabled()) {
            item += " (off)";
        }
        if (!action->shortcut().isEmpty()) {
            item += " [" + action->shortcut().toString().toStdString() + "]";
        }
        items.push_back(item);
    }
    return items;
}

inline QAction* shownAction(const QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->isVisible() && action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

// A model over Notes alone, installed 1.1 and up to date, with or without the terms
// accepted.
struct SmallModel {
    std::shared_ptr<SessionScript> script = std::make_shared<SessionScript>();
    std::unique_ptr<app::KestleModel> model;

    explicit SmallModel(bool termsAccepted) {
        app::Setup setup;
        setup.checker = [](std::stop_token) {
            CheckResult result;
            result.catalog = Catalog{1, {ViewTestModel::catalogApp("notes", "Notes", true)}};
            result.latest = {{"notes", ViewTestModel::release("11", "1.1")}};
            return result;
        };
        setup.scanInstalled = [](const std::set<std::string>&) {
            return std::map<std::string, InstalledApp>{
                {"com.velmar.notes",
                 InstalledApp{Url::fromPath("/Applications/Notes.app"), "1.1", "11"}}};
        };
        setup.scope = UpdateScope{{Url::fromPath("/Applications")}};
        setup.termsAccepted = termsAccepted;
        auto script = this->script;
        setup.makeSession = [script](const AppEntry&, JobKind, UpdateHandlers handlers) {
            return std::make_unique<ScriptedSession>(script, std::move(handlers));
        };
        model = std::make_unique<app::KestleModel>(std::move(setup));
        bool done = false;
        model->check(app::CheckReason::user, [&] { done = true; });
        runUntil([&] { return done; });
    }
};

} // namespace kestle::test
