#include "services/TrashFlow.hpp"

#include <csignal>
#include <fstream>
#include <memory>

#include <QApplication>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QUndoCommand>
#include <QUndoStack>

#include <unistd.h>

#include "Logging.hpp"
#include "apps/RunningApps.hpp"
#include "model/KestleModel.hpp"
#include "platform/PlatformWords.hpp"
#include "platform/Workspace.hpp"
#include "services/LoginItem.hpp"
#include "views/components/AppIconView.hpp"
#include "views/entry/EntryText.hpp"

namespace kestle::app {

namespace {

QString nameOf(const AppEntry& entry) {
    return QString::fromStdString(entry.app.name);
}

// Copies of the app running from this very bundle; copies elsewhere do not count.
std::vector<pid_t> runningCopies(const AppEntry& entry) {
    std::vector<pid_t> found = RunningApps::find(entry.installed->url.path());
    std::erase(found, ::getpid());
    return found;
}

// Gone, or a zombie its parent has not reaped yet: either way it no longer runs.
bool hasEnded(pid_t pid) {
    if (::kill(pid, 0) != 0 && errno == ESRCH) {
        return true;
    }
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    return close == std::string::npos || (close + 2 < line.size() && line[close + 2] == 'Z');
}

// The visible main window, where alerts become sheets and Undo is registered.
QWidget* visibleMainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName().startsWith(QStringLiteral("main")) && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

// Undo of a move: asks the flow to put the app back, after the stack has finished with
// the command (putting back clears the stack, and with it this command).
class PutBackCommand : public QUndoCommand {
public:
    PutBackCommand(AppEntry entry, QPointer<KestleModel> model)
        : QUndoCommand(TrashFlow::tr("Move to Trash")), entry_(std::move(entry)),
          model_(std::move(model)) {}

    void undo() override {
        QTimer::singleShot(0, [entry = entry_, model = model_] {
            if (model) {
                TrashFlow::shared().putBack(entry, *model);
            }
        });
    }
    void redo() override {}

private:
    AppEntry entry_;
    QPointer<KestleModel> model_;
};

} // namespace

TrashFlow& TrashFlow::shared() {
    static TrashFlow* flow = new TrashFlow();
    return *flow;
}

QString TrashFlow::failureText(const AppEntry& entry, const TrashError& error) {
    const QString name = nameOf(entry);
    switch (error.kind) {
    case TrashError::Kind::failed:
        //: The system refused to move an app to the Trash: its error code
        return PlatformWords::text(PlatformWord::systemRefusedTrash).arg(error.code);
    case TrashError::Kind::outsideTestFolder:
        return tr("The development build moves to the Trash only the apps in the test folder.");
    case TrashError::Kind::missing:
        return tr("%1 isn’t where it was any more.").arg(name);
    case TrashError::Kind::placeTaken:
        return tr("There’s already an app called %1 in its place: VelmarKestle doesn’t replace "
                  "it. %1 stays in the Trash.")
            .arg(name);
    case TrashError::Kind::notInTrash:
        return tr("%1 isn’t in the Trash any more.").arg(name);
    }
    return {};
}

QPixmap TrashFlow::alertIcon(const AppEntry& entry, const KestleModel& model) const {
    if (QApplication::instance() == nullptr) {
        return {};
    }
    // The bundle's own icon, else a local catalog icon, else the quiet placeholder.
    std::optional<Url> catalogIcon = EntryText::catalogIcon(model, entry);
    if (catalogIcon && !catalogIcon->isFile()) {
        catalogIcon.reset();
    }
    AppIconView view(entry, catalogIcon, 64);
    view.resize(view.sizeHint());
    return view.grab();
}

void TrashFlow::present(const Alert& alert, bool activate, std::function<void(int)> chosen) {
    if (presenter_) {
        presenter_(alert, activate, std::move(chosen));
        return;
    }
    QWidget* window = visibleMainWindow();
    auto* box =
        new QMessageBox(alert.style, alert.title, alert.title, QMessageBox::NoButton, window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(alert.text);
    if (!alert.icon.isNull()) {
        box->setIconPixmap(alert.icon);
    }
    // One role for all: the box keeps them in this order on every desktop.
    std::vector<QPushButton*> buttons;
    for (const QString& text : alert.buttons) {
        buttons.push_back(box->addButton(text, QMessageBox::ActionRole));
    }
    if (!buttons.empty()) {
        box->setDefaultButton(buttons.front());
    }
    if (alert.escape >= 0 && alert.escape < static_cast<int>(buttons.size())) {
        box->setEscapeButton(buttons[static_cast<size_t>(alert.escape)]);
    }
    box->setWindowModality(window != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, chosen = std::move(chosen)] {
        const auto it = std::ranges::find(buttons, box->clickedButton());
        chosen(it == buttons.end() ? static_cast<int>(buttons.size()) - 1
                                   : static_cast<int>(it - buttons.begin()));
    });
    box->open();
    if (activate) {
        box->raise();
        box->activateWindow();
    }
}

void TrashFlow::start(const AppEntry& given, KestleModel& model) {
    const std::optional<AppEntry> entry = model.entry(given.id());
    if (!entry || !entry->installed) {
        return;
    }
    if (model.queue().state(entry->id())) {
        return;
    }
    const QString name = nameOf(*entry);
    QPointer<KestleModel> guard(&model);
    if (entry->app.manualRemoval) {
        qCInfo(lcTrash, "%s: steps by hand shown", entry->id().c_str());
        const auto settings = LoginItem::settingsCommand();
        Alert steps{QMessageBox::Information,
                    tr("Move %1 to the Trash Yourself").arg(name),
                    PlatformWords::text(PlatformWord::manualRemovalSteps).arg(name),
                    {},
                    -1,
                    alertIcon(*entry, model)};
        if (settings) {
            steps.buttons << PlatformWords::text(PlatformWord::openSettings);
        }
        steps.buttons << PlatformWords::text(PlatformWord::showInFileManager) << tr("OK");
        steps.escape = static_cast<int>(steps.buttons.size()) - 1;
        const int reveal = settings ? 1 : 0;
        const std::filesystem::path bundle = entry->installed->url.path();
        present(steps, true, [settings, reveal, bundle](int chosen) {
            if (settings && chosen == 0) {
                QProcess::startDetached(settings->first, settings->second);
            } else if (chosen == reveal) {
                Workspace::revealInFileManager(bundle);
            }
        });
        return;
    }
    QString text = PlatformWords::text(PlatformWord::dataStaysOnComputer);
    if (!runningCopies(*entry).empty()) {
        //: Before moving a running app to the Trash: the app's name, twice
        text = tr("%1 is open: VelmarKestle quits it before moving it.").arg(name) + u' ' + text;
    }
    const Alert confirm{QMessageBox::Question,
                        tr("Move %1 to the Trash?").arg(name),
                        text,
                        {tr("Move to Trash"), tr("Cancel")},
                        1,
                        alertIcon(*entry, model)};
    QPointer<TrashFlow> self(this);
    present(confirm, true, [self, guard, entry = *entry](int chosen) {
        if (chosen == 0 && self && guard) {
            self->perform(entry, *guard);
        }
    });
}

void TrashFlow::perform(const AppEntry& given, KestleModel& model) {
    // Looked up again: the dialog gave a rescan or a check all the time it wanted.
    const std::optional<AppEntry> entry = model.entry(given.id());
    if (!entry || !entry->installed || !model.setup().trash) {
        return;
    }
    const std::vector<pid_t> running = runningCopies(*entry);
    if (running.empty()) {
        move(*entry, model);
        return;
    }
    const std::string id = entry->id();
    qCInfo(lcTrash, "%s: open, asking it to quit", id.c_str());
    //: Banner while a running app is asked to quit before its move: the app's name
    model.showBanner(tr("Quitting %1…").arg(nameOf(*entry)), std::nullopt, 11);
    const int64_t banner = model.bannerSerial();
    RunningApps::terminate(running);
    QPointer<KestleModel> guard(&model);
    QPointer<TrashFlow> self(this);
    waitForQuit(running, [self, guard, entry = *entry, banner, id](bool allQuit) {
        if (!self || !guard) {
            return;
        }
        if (!allQuit) {
            qCInfo(lcTrash, "%s: didn't quit, nothing moved", id.c_str());
            guard->dismissBanner(banner);
            const QString name = nameOf(entry);
            self->present({QMessageBox::Warning,
                           tr("%1 Didn’t Quit").arg(name),
                           tr("Nothing was moved. Quit %1 and try again.").arg(name),
                           {tr("OK")},
                           0,
                           self->alertIcon(entry, *guard)},
                          false, [](int) {});
            return;
        }
        const std::optional<AppEntry> now = guard->entry(id);
        if (now && now->installed) {
            self->move(*now, *guard);
        }
    });
}

void TrashFlow::move(const AppEntry& entry, KestleModel& model) {
    const std::string id = entry.id();
    const QString name = nameOf(entry);
    // An update or an install may have been queued while the app was being quit.
    if (model.queue().state(id)) {
        qCInfo(lcTrash, "%s: queued meanwhile, nothing moved", id.c_str());
        model.dismissBanner(model.bannerSerial());
        return;
    }
    auto trashed = model.setup().trash->trash(entry.installed->url);
    if (!trashed) {
        qCInfo(lcTrash, "%s: not moved: %s", id.c_str(), describe(trashed.error()).c_str());
        model.dismissBanner(model.bannerSerial());
        present({QMessageBox::Warning,
                 tr("Couldn’t Move %1 to the Trash").arg(name),
                 failureText(entry, trashed.error()),
                 {tr("OK")},
                 0,
                 alertIcon(entry, model)},
                true, [](int) {});
        return;
    }
    last_ = *trashed;
    qCInfo(lcTrash, "%s: moved to the Trash at %s", id.c_str(), trashed->inTrash.path().c_str());
    QPointer<KestleModel> guard(&model);
    QPointer<TrashFlow> self(this);
    model.refreshInstalled([self, guard, entry] {
        if (self && guard) {
            self->moved(entry, *guard);
        }
    });
}

void TrashFlow::moved(const AppEntry& entry, KestleModel& model) {
    QPointer<KestleModel> guard(&model);
    if (QUndoStack* stack = undoStack_ ? undoStack_() : nullptr;
        stack != nullptr && visibleMainWindow() != nullptr) {
        stack->push(new PutBackCommand(entry, guard));
    }
    QPointer<TrashFlow> self(this);
    //: Banner after a move to the Trash, with "Undo": the app's name
    model.showBanner(tr("%1 is in the Trash").arg(nameOf(entry)), tr("Undo"), 8,
                     [self, guard, entry] {
                         if (self && guard) {
                             self->putBack(entry, *guard);
                         }
                     });
}

void TrashFlow::putBack(const AppEntry& entry, KestleModel& model) {
    if (!last_ || !entry.installed) {
        return;
    }
    // Another move's undo: only the latest move can be put back.
    if (last_->original.lastPathComponent() != entry.installed->url.lastPathComponent()) {
        return;
    }
    if (!model.setup().trash) {
        return;
    }
    const TrashedApp trashed = *std::exchange(last_, std::nullopt);
    if (QUndoStack* stack = undoStack_ ? undoStack_() : nullptr) {
        stack->clear(); // the flow's moves are all it holds
    }
    model.dismissBanner(model.bannerSerial());
    const std::string id = entry.id();
    if (auto restored = model.setup().trash->restore(trashed); !restored) {
        qCInfo(lcTrash, "%s: not put back: %s", id.c_str(), describe(restored.error()).c_str());
        present({QMessageBox::Warning,
                 tr("Couldn’t Put %1 Back").arg(nameOf(entry)),
                 failureText(entry, restored.error()),
                 {tr("OK")},
                 0,
                 alertIcon(entry, model)},
                true, [](int) {});
    } else {
        qCInfo(lcTrash, "%s: put back at %s", id.c_str(), trashed.original.path().c_str());
    }
    model.refreshInstalled();
}

void TrashFlow::waitForQuit(std::vector<pid_t> processes, std::function<void(bool)> done) {
    const auto deadline = std::chrono::steady_clock::now() + quitDeadline_;
    auto allEnded = [processes] { return std::ranges::all_of(processes, hasEnded); };
    if (allEnded()) {
        done(true);
        return;
    }
    // Polled on the event loop: the window stays responsive while the app quits.
    auto* timer = new QTimer(this);
    timer->setInterval(200);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, allEnded, done] {
        const bool ended = allEnded();
        if (ended || std::chrono::steady_clock::now() >= deadline) {
            timer->deleteLater();
            timer->stop();
            done(ended);
        }
    });
    timer->start();
}

} // namespace kestle::app
