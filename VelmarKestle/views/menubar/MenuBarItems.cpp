#include "views/menubar/MenuBarItems.hpp"

#include "model/KestleModel.hpp"
#include "services/LiveActions.hpp"
#include "views/style/LocaleFormat.hpp"

namespace kestle::app {

std::vector<MenuBarItems::Item> MenuBarItems::items(const KestleModel& model,
                                                    std::function<void(const AppEntry&)> open) {
    if (!open) {
        open = &LiveActions::open;
    }
    const UpdateQueue& queue = model.queue();
    std::vector<Item> lines;
    int updateLines = 0;
    for (const AppEntry& entry : model.entries()) {
        const QString name = QString::fromStdString(entry.app.name);
        const std::string& id = entry.id();
        if (const std::optional<UpdateState> state = queue.state(id)) {
            switch (state->kind) {
            case UpdateState::Kind::queued:
            case UpdateState::Kind::active:
                lines.push_back(
                    {id, entry,
                     progressTitle(entry, *state, queue.kind(id).value_or(JobKind::update)), true,
                     [](KestleModel&) {}});
                break;
            case UpdateState::Kind::failed:
                //: Tray menu line of a job that failed; choosing it tries again
                lines.push_back({id, entry, tr("%1: didn’t go through, try again").arg(name), false,
                                 [id](KestleModel& model) { model.retry(id); }});
                break;
            case UpdateState::Kind::handedToApp:
                //: Tray menu line: the app installs its own update once opened
                lines.push_back({id, entry, tr("Open %1 to Install Its Update").arg(name), false,
                                 [entry, open](KestleModel&) { open(entry); }});
                break;
            }
            continue;
        }
        if (entry.status() == AppEntry::Status::updateAvailable) {
            const QString version = QString::fromStdString(entry.latest->version);
            //: Tray menu line: the app's name and the version on offer
            lines.push_back({id, entry, tr("Update %1 to %2").arg(name, version), false,
                             [entry](KestleModel& model) { model.queue().update(entry); }});
            ++updateLines;
        }
    }
    if (updateLines > 1) {
        //: Tray menu line updating every app that has an update
        lines.push_back({"all", std::nullopt, tr("Update All"), false,
                         [](KestleModel& model) { model.queue().updateAll(model.entries()); }});
    }
    if (lines.empty()) {
        //: Tray menu line when no app has an update or a job
        lines.push_back(
            {"none", std::nullopt, tr("Your Apps Are Up to Date"), true, [](KestleModel&) {}});
    }
    return lines;
}

QString MenuBarItems::progressTitle(const AppEntry& entry, const UpdateState& state, JobKind kind) {
    const QString name = QString::fromStdString(entry.app.name);
    if (state.kind == UpdateState::Kind::queued) {
        //: Tray menu line of a job waiting for the ones before it
        return tr("%1: queued").arg(name);
    }
    const UpdateStep& step = state.step;
    switch (step.kind) {
    case UpdateStep::Kind::downloading:
        if (step.expected > 0) {
            //: Tray menu line of a download: the app, the percentage and the download's size
            return tr("%1: %2 of %3")
                .arg(name, LocaleFormat::percent(step.fraction().value_or(0)),
                     LocaleFormat::byteCount(step.expected));
        }
        //: Tray menu line of a download of unknown size
        return tr("%1: downloading…").arg(name);
    case UpdateStep::Kind::checking:
        //: Tray menu line of a job looking for its download
        return tr("%1: preparing…").arg(name);
    case UpdateStep::Kind::verifying:
        //: Tray menu line of a download whose signature is being checked
        return tr("%1: checking the signature…").arg(name);
    case UpdateStep::Kind::installing:
    case UpdateStep::Kind::waitingForQuit:
        if (kind == JobKind::install) {
            //: Tray menu line of a first install being put in place
            return tr("%1: installing…").arg(name);
        }
        if (kind == JobKind::goBack) {
            //: Tray menu line of an app going back to the version before its last update
            return tr("%1: going back…").arg(name);
        }
        //: Tray menu line of an update replacing the installed app
        return tr("%1: replacing…").arg(name);
    }
    return name;
}

} // namespace kestle::app
