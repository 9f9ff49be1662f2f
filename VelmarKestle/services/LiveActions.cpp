#include "services/LiveActions.hpp"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QUrl>

#include "Logging.hpp"
#include "model/KestleModel.hpp"
#include "platform/Workspace.hpp"
#include "services/ProblemReport.hpp"

namespace kestle::app {

namespace {

QString trashFailure(const AppEntry& entry, const TrashError& error) {
    const QString name = QString::fromStdString(entry.app.name);
    switch (error.kind) {
    case TrashError::Kind::failed:
        //: The system refused to move an app to the Trash: its error code
        return LiveActions::tr(
                   "macOS didn’t let VelmarKestle move it (error %1). You can do it from the "
                   "Finder.")
            .arg(error.code);
    case TrashError::Kind::outsideTestFolder:
        return LiveActions::tr(
            "The development build moves to the Trash only the apps in the test folder.");
    case TrashError::Kind::missing:
        return LiveActions::tr("%1 isn’t where it was any more.").arg(name);
    case TrashError::Kind::placeTaken:
        return LiveActions::tr(
                   "There’s already an app called %1 in its place: VelmarKestle doesn’t replace "
                   "it. %1 stays in the Trash.")
            .arg(name);
    case TrashError::Kind::notInTrash:
        return LiveActions::tr("%1 isn’t in the Trash any more.").arg(name);
    }
    return {};
}

void warn(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, title, QMessageBox::Ok, parent);
    box.setInformativeText(text);
    box.exec();
}

// An app that may carry a system service only it can remove is never moved from here:
// the user gets the steps instead.
void showManualRemoval(const AppEntry& entry, QWidget* parent) {
    const QString name = QString::fromStdString(entry.app.name);
    const QString title = LiveActions::tr("Move %1 to the Trash Yourself").arg(name);
    QMessageBox steps(QMessageBox::Information, title, title, QMessageBox::NoButton, parent);
    steps.setInformativeText(
        LiveActions::tr("%1 may have a system service that only it can remove. First turn %1 off "
                        "in System Settings › General › Login Items & Extensions. Then quit %1 "
                        "and move it to the Trash from the Finder.")
            .arg(name));
    QPushButton* show = steps.addButton(LiveActions::tr("Show in Finder"), QMessageBox::ActionRole);
    QPushButton* ok = steps.addButton(QMessageBox::Ok);
    steps.setDefaultButton(ok);
    steps.setEscapeButton(ok);
    steps.exec();
    if (steps.clickedButton() == show) {
        Workspace::revealInFileManager(entry.installed->url.path());
    }
}

// Confirms, moves the bundle with the model's trash, offers Undo in a banner and
// rescans. The full flow (quitting a running copy first) builds on this.
void moveToTrash(const AppEntry& entry, KestleModel& model,
                 const std::function<QWidget*()>& window) {
    QWidget* parent = window();
    if (!entry.installed || !model.setup().trash) {
        return;
    }
    if (entry.app.manualRemoval) {
        showManualRemoval(entry, parent);
        return;
    }
    const QString name = QString::fromStdString(entry.app.name);
    QMessageBox confirm(QMessageBox::Question, LiveActions::tr("Move %1 to the Trash?").arg(name),
                        LiveActions::tr("Move %1 to the Trash?").arg(name), QMessageBox::NoButton,
                        parent);
    confirm.setInformativeText(
        LiveActions::tr("Its settings and data stay on this Mac: if you install "
                        "it again, you’ll find them."));
    QPushButton* move =
        confirm.addButton(LiveActions::tr("Move to Trash"), QMessageBox::DestructiveRole);
    QPushButton* cancel = confirm.addButton(LiveActions::tr("Cancel"), QMessageBox::RejectRole);
    confirm.setDefaultButton(move);
    confirm.setEscapeButton(cancel);
    confirm.exec();
    if (confirm.clickedButton() != move) {
        return;
    }
    const AppTrash trash = *model.setup().trash;
    auto trashed = trash.trash(entry.installed->url);
    if (!trashed) {
        warn(parent, LiveActions::tr("Couldn’t Move %1 to the Trash").arg(name),
             trashFailure(entry, trashed.error()));
        model.refreshInstalled();
        return;
    }
    QPointer<KestleModel> guard(&model);
    TrashedApp moved = *trashed;
    model.showBanner(LiveActions::tr("%1 is in the Trash").arg(name), LiveActions::tr("Undo"), 8,
                     [guard, trash, moved, entry, window] {
                         if (auto restored = trash.restore(moved); !restored) {
                             warn(window(),
                                  LiveActions::tr("Couldn’t Put %1 Back")
                                      .arg(QString::fromStdString(entry.app.name)),
                                  trashFailure(entry, restored.error()));
                         }
                         if (guard) {
                             guard->refreshInstalled();
                         }
                     });
    model.refreshInstalled();
}

} // namespace

AppActions LiveActions::make(const Configuration& config, std::function<QWidget*()> window) {
    if (!window) {
        window = [] { return static_cast<QWidget*>(nullptr); };
    }
    AppActions actions;
    actions.open = [](const AppEntry& entry) {
        if (!entry.installed) {
            return;
        }
        if (auto opened = Workspace::openApplication(entry.installed->url.path()); !opened) {
            qCWarning(lcActions, "Open %s failed: %s", entry.id().c_str(),
                      qPrintable(opened.error()));
        }
    };
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
    actions.notifyMe = [](const AppEntry& entry, KestleModel& model) {
        const bool watching = model.ledger().isWatching(entry.id());
        model.setWatching(entry, !watching);
        if (!watching) {
            //: Banner after "Notify Me": the app's name
            model.showBanner(LiveActions::tr("We’ll let you know when %1 is ready")
                                 .arg(QString::fromStdString(entry.app.name)),
                             std::nullopt, 4.2);
        }
    };
    const QString support = QString::fromStdString(config.supportAddress);
    actions.reportProblem = [support, window](const std::optional<AppEntry>& entry,
                                              KestleModel& model) {
        ProblemReport::show(entry, model.entries(), support, window());
    };
    actions.moveToTrash = [window](const AppEntry& entry, KestleModel& model) {
        moveToTrash(entry, model, window);
    };
    return actions;
}

} // namespace kestle::app
