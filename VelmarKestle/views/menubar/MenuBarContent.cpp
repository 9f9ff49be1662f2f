#include "views/menubar/MenuBarContent.hpp"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>

#include "model/KestleModel.hpp"
#include "services/AppFlags.hpp"
#include "services/LiveActions.hpp"
#include "services/SelfUpdater.hpp"
#include "services/WindowOpener.hpp"
#include "views/menubar/MenuIcon.hpp"

namespace kestle::app {

namespace {

constexpr int kMinimumWidth = 300;

void quitApplication(bool userQuit) {
    // Qt asks the windows to close before quit() returns, so the flag covers that.
    AppFlags::isUserQuit = userQuit;
    QCoreApplication::quit();
    AppFlags::isUserQuit = false;
}

} // namespace

MenuBarContent::MenuBarContent(KestleModel& model, SelfUpdater* updater, Actions actions,
                               QObject* parent)
    : QObject(parent), model_(model), updater_(updater), actions_(std::move(actions)),
      menu_(std::make_unique<QMenu>()) {
    if (!actions_.openWindow) {
        actions_.openWindow = [](const QString& identifier, bool activate) {
            WindowOpener::shared().open(identifier, activate);
        };
    }
    if (!actions_.quit) {
        actions_.quit = &quitApplication;
    }
    if (!actions_.openApp) {
        actions_.openApp = &LiveActions::open;
    }
    menu_->setMinimumWidth(kMinimumWidth);

    //: Tray menu item while the terms of use wait to be accepted
    terms_ = addAction(tr("Terms of Use…"), [this] { actions_.openWindow("terms", true); });
    termsSeparator_ = addSeparator();
    //: Tray menu item ending the application
    termsQuit_ = addAction(tr("Quit VelmarKestle"), [this] { actions_.quit(false); });
    termsQuit_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    //: Tray menu item: an update of this application is ready to install
    selfUpdate_ = addAction(tr("Install VelmarKestle Update…"), [this] {
        if (updater_ != nullptr) {
            updater_->checkForUpdates();
        }
    });
    selfUpdateSeparator_ = addSeparator();
    openSeparator_ = addSeparator();
    lineActions_.before = openSeparator_;
    mainSeparator_ = addSeparator();
    openActions_.before = mainSeparator_;
    //: Tray menu item showing the main window
    openMain_ = addAction(tr("Open VelmarKestle"), [this] { actions_.openWindow("main", true); });
    //: Tray menu item starting a check of every app
    check_ = addAction(tr("Check for Updates"), [this] { model_.check(CheckReason::user); });
    if (actions_.openSettings) {
        //: Tray menu item opening the settings window
        settings_ = addAction(tr("Settings…"), [this] { actions_.openSettings(); });
    }
    quitSeparator_ = addSeparator();
    quit_ = addAction(tr("Quit VelmarKestle"), [this] { actions_.quit(true); });

    connect(&model_, &KestleModel::entriesChanged, this, &MenuBarContent::refresh);
    connect(&model_, &KestleModel::installedChanged, this, &MenuBarContent::refresh);
    connect(&model_, &KestleModel::isCheckingChanged, this, &MenuBarContent::refresh);
    connect(&model_, &KestleModel::termsAcceptedChanged, this, &MenuBarContent::refresh);
    connect(&model_.queueSignals(), &UpdateQueueSignals::statesChanged, this,
            &MenuBarContent::refresh);
    connect(&model_.queueSignals(), &UpdateQueueSignals::kindsChanged, this,
            &MenuBarContent::refresh);
    if (updater_ != nullptr) {
        connect(updater_, &SelfUpdater::updateWaitingChanged, this, &MenuBarContent::refresh);
    }
    refresh();
}

MenuBarContent::~MenuBarContent() = default;

QAction* MenuBarContent::addAction(const QString& text, std::function<void()> run) {
    QAction* action = menu_->addAction(text);
    action->setIconVisibleInMenu(true);
    connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    return action;
}

QAction* MenuBarContent::addSeparator() {
    return menu_->addSeparator();
}

void MenuBarContent::resize(Pool& pool, size_t count, std::function<void(size_t)> run) {
    while (pool.actions.size() < count) {
        auto* action = new QAction(menu_.get());
        action->setIconVisibleInMenu(true);
        const size_t index = pool.actions.size();
        connect(action, &QAction::triggered, this, [run, index] { run(index); });
        menu_->insertAction(pool.before, action);
        pool.actions.push_back(action);
    }
    for (size_t i = 0; i < pool.actions.size(); ++i) {
        pool.actions[i]->setVisible(i < count);
    }
}

void MenuBarContent::refresh() {
    const bool terms = !model_.termsAccepted();
    for (QAction* action : {terms_, termsSeparator_, termsQuit_}) {
        action->setVisible(terms);
    }
    const bool selfUpdate = !terms && updater_ != nullptr && updater_->updateWaiting();
    selfUpdate_->setVisible(selfUpdate);
    selfUpdateSeparator_->setVisible(selfUpdate);

    lines_ =
        terms ? std::vector<MenuBarItems::Item>{} : MenuBarItems::items(model_, actions_.openApp);
    resize(lineActions_, lines_.size(), [this](size_t index) { runLine(index); });
    for (size_t i = 0; i < lines_.size(); ++i) {
        QAction* action = lineActions_.actions[i];
        action->setText(lines_[i].title);
        action->setEnabled(!lines_[i].isDisabled);
        setIcon(action, lines_[i].entry);
    }

    installed_.clear();
    if (!terms) {
        for (const AppEntry& entry : model_.entries()) {
            if (entry.installed) {
                installed_.push_back(entry);
            }
        }
    }
    openSeparator_->setVisible(!installed_.empty());
    resize(openActions_, installed_.size(), [this](size_t index) { openInstalled(index); });
    for (size_t i = 0; i < installed_.size(); ++i) {
        QAction* action = openActions_.actions[i];
        //: Tray menu item opening an installed app
        action->setText(tr("Open %1").arg(QString::fromStdString(installed_[i].app.name)));
        setIcon(action, installed_[i]);
    }

    for (QAction* action : {mainSeparator_, openMain_, check_, settings_, quitSeparator_, quit_}) {
        if (action != nullptr) {
            action->setVisible(!terms);
        }
    }
    check_->setEnabled(!model_.isChecking());
}

void MenuBarContent::setIcon(QAction* action, const std::optional<AppEntry>& entry) {
    QIcon picture;
    if (entry) {
        auto found = icons_.find(entry->id());
        if (found == icons_.end() || found->second.installed != entry->installed ||
            found->second.icon != entry->app.icon) {
            found = icons_
                        .insert_or_assign(entry->id(), CachedIcon{entry->installed, entry->app.icon,
                                                                  MenuIcon(*entry, model_).icon()})
                        .first;
        }
        picture = found->second.picture;
    }
    // Every new icon is sent to the tray host again, so only a changed one is set.
    if (action->icon().cacheKey() != picture.cacheKey()) {
        action->setIcon(picture);
    }
}

void MenuBarContent::runLine(size_t index) {
    if (index >= lines_.size() || lines_[index].isDisabled || !lines_[index].run) {
        return;
    }
    // Running it changes the queue, which refreshes the lines under it.
    const auto run = lines_[index].run;
    run(model_);
}

void MenuBarContent::openInstalled(size_t index) {
    if (index < installed_.size()) {
        const AppEntry entry = installed_[index];
        actions_.openApp(entry);
    }
}

} // namespace kestle::app
