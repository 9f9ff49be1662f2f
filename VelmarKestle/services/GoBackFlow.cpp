#include "services/GoBackFlow.hpp"

#include <QPointer>

#include <unistd.h>

#include "Logging.hpp"
#include "apps/RunningApps.hpp"
#include "model/KestleModel.hpp"
#include "views/style/LocaleFormat.hpp"

namespace kestle::app {

GoBackFlow& GoBackFlow::shared() {
    static GoBackFlow* flow = new GoBackFlow();
    return *flow;
}

TrashFlow::Alert GoBackFlow::confirmation(const AppEntry& entry, const PreviousCopy& copy,
                                          bool running) {
    const QString name = QString::fromStdString(entry.app.name);
    const QString older = QString::fromStdString(copy.version);
    const QString newer = QString::fromStdString(entry.installed->version);
    //: Going back: the app's name, the version put back, the version removed and the
    //: space that frees
    QString text = tr("%1 %2 takes the place of %1 %3, which is removed, freeing %4.")
                       .arg(name, older, newer, LocaleFormat::byteCount(copy.bytes));
    if (running) {
        //: Going back while the app is open: its name
        text += u' ' + tr("%1 is open: VelmarKestle quits it and opens it again.").arg(name);
    }
    //: Going back: the version gone back from, which is still offered in the window
    text += u' ' + tr("You won’t be notified about %1 again, but you can still update to it "
                      "from the window.")
                       .arg(newer);
    return {QMessageBox::Question,
            //: Title of the question before going back: the app's name and the earlier version
            tr("Go Back to %1 %2?").arg(name, older),
            text,
            //: Button that goes back to the earlier version
            {tr("Go Back"), tr("Cancel")},
            1,
            {}};
}

void GoBackFlow::start(const AppEntry& given, KestleModel& model) {
    const std::optional<AppEntry> entry = model.entry(given.id());
    if (!entry || !entry->installed || model.queue().state(entry->id())) {
        return;
    }
    const std::optional<PreviousCopy> copy = model.previous(*entry);
    if (!copy) {
        return;
    }
    std::vector<pid_t> running = RunningApps::find(entry->installed->url.path());
    std::erase(running, ::getpid());
    TrashFlow::Alert alert = confirmation(*entry, *copy, !running.empty());
    alert.icon = TrashFlow::shared().alertIcon(*entry, model);
    qCInfo(lcUpdate, "%s: going back to %s asked", entry->id().c_str(), copy->version.c_str());
    QPointer<KestleModel> guard(&model);
    TrashFlow::shared().present(alert, true, [guard, id = entry->id()](int chosen) {
        if (chosen != 0 || !guard) {
            return;
        }
        // Looked up again: the question gave a rescan or a job all the time it wanted.
        const std::optional<AppEntry> now = guard->entry(id);
        const std::optional<PreviousCopy> still = now ? guard->previous(*now) : std::nullopt;
        if (still) {
            guard->queue().goBack(*now, still->version);
        }
    });
}

} // namespace kestle::app
