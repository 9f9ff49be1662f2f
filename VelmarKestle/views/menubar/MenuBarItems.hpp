#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QString>

#include "apps/AppEntry.hpp"
#include "updates/UpdateSession.hpp"
#include "updates/UpdateState.hpp"

namespace kestle::app {

class KestleModel;

// The per-app lines of the tray menu: what the queue is doing for each app, the updates
// on offer, or that there is nothing to do. Built from every entry, whatever the main
// window's filter or search shows.
class MenuBarItems {
    Q_DECLARE_TR_FUNCTIONS(kestle::app::MenuBarItems)

public:
    struct Item {
        std::string id; // the app's id, "all" or "none"
        std::optional<AppEntry> entry;
        QString title;
        bool isDisabled = false;
        std::function<void(KestleModel&)> run;
    };

    // open: how a handed-over app is opened; none is the application's own way.
    static std::vector<Item> items(const KestleModel& model,
                                   std::function<void(const AppEntry&)> open = {});

    // "⟨name⟩: queued", "⟨name⟩: 40% of 3 MB", … for a queued or running job.
    static QString progressTitle(const AppEntry& entry, const UpdateState& state, JobKind kind);
};

} // namespace kestle::app
