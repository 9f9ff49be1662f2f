#include "services/LiveActions.hpp"

#include <QPointer>
#include <QUrl>

#include "Logging.hpp"
#include "model/KestleModel.hpp"
#include "platform/PlatformWords.hpp"
#include "platform/Workspace.hpp"
#include "services/AppOpener.hpp"
#include "services/GoBackFlow.hpp"
#include "services/Notifier.hpp"
#include "services/ProblemReport.hpp"
#include "services/TrashFlow.hpp"

namespace kestle::app {

void LiveActions::open(const AppEntry& entry) {
    AppOpener::shared().open(entry);
}

AppActions LiveActions::make(const Configuration& config, std::function<QWidget*()> window,
                             Notifier* notifier) {
    if (!window) {
        window = [] { return static_cast<QWidget*>(nullptr); };
    }
    if (notifier == nullptr) {
        notifier = &Notifier::shared();
    }
    AppActions actions;
    actions.open = &LiveActions::open;
    actions.showInFinder = [](const AppEntry& entry) {
        if (entry.installed) {
            Workspace::revealInFileManager(entry.installed->url.path());
        }
    };
    actions.openSite = [](const AppEntry& entry) {
        if (entry.app.site) {
            Workspace::openUrl(QUrl(QString::fromStdString(entry.app.site->str())));
        }
    };
    actions.notifyMe = [notifier](const AppEntry& entry, KestleModel& model) {
        const bool watching = model.ledger().isWatching(entry.id());
        model.setWatching(entry, !watching);
        if (watching) {
            return;
        }
        QPointer<KestleModel> guard(&model);
        const QString name = QString::fromStdString(entry.app.name);
        notifier->askPermissionIfNeeded([guard, name, notifier](bool allowed) {
            if (!guard) {
                return;
            }
            if (allowed) {
                //: Banner after "Notify Me": the app's name
                guard->showBanner(LiveActions::tr("We’ll let you know when %1 is ready").arg(name),
                                  std::nullopt, 4.2);
                return;
            }
            // Desktops without a settings page get no button to reach it.
            std::optional<QString> open;
            if (notifier->canOpenNotificationSettings()) {
                open = LiveActions::tr("Open");
            }
            guard->showBanner(PlatformWords::text(PlatformWord::notificationsOffBanner), open, 8,
                              [notifier] { notifier->openNotificationSettings(); });
        });
    };
    const QString support = QString::fromStdString(config.supportAddress);
    actions.reportProblem = [support, window](const std::optional<AppEntry>& entry,
                                              KestleModel& model) {
        ProblemReport::show(entry, model.entries(), support, window());
    };
    actions.moveToTrash = [](const AppEntry& entry, KestleModel& model) {
        TrashFlow::shared().start(entry, model);
    };
    actions.goBack = [](const AppEntry& entry, KestleModel& model) {
        GoBackFlow::shared().start(entry, model);
    };
    return actions;
}

} // namespace kestle::app
