#include "shell/KestleCommands.hpp"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "model/KestleModel.hpp"
#include "services/SelfUpdater.hpp"
#include "sessions/UpdateQueueSignals.hpp"
#include "views/controls/FilterTabs.hpp"

namespace kestle::app {

namespace {

void callIfSet(const std::function<void()>& action) {
    if (action) {
        action();
    }
}

} // namespace

KestleCommands::KestleCommands(KestleModel& model, SelfUpdater* updater, QAction* undo,
                               Actions actions, QObject* parent)
    : QObject(parent), model_(model), updater_(updater), undo_(undo), actions_(std::move(actions)),
      queueSignals_(new UpdateQueueSignals(model.queue(), this)) {
    for (auto signal :
         {&KestleModel::isCheckingChanged, &KestleModel::termsAcceptedChanged,
          &KestleModel::entriesChanged, &KestleModel::layoutChanged, &KestleModel::filterChanged}) {
        connect(&model_, signal, this, &KestleCommands::refresh);
    }
    connect(queueSignals_, &UpdateQueueSignals::statesChanged, this, &KestleCommands::refresh);
}

KestleCommands::~KestleCommands() = default;

QAction* KestleCommands::action(const QString& title) const {
    auto found = byTitle_.find(title);
    return found == byTitle_.end() ? nullptr : found->second.data();
}

void KestleCommands::install(QMenuBar& bar) {
    const auto add = [this](QMenu* menu, const QString& key, const QString& title,
                            const QKeySequence& shortcut, std::function<void()> run) {
        QAction* action = menu->addAction(title);
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, [run = std::move(run)] { callIfSet(run); });
        byTitle_[key] = action;
        return action;
    };
    const auto site = [this](const char* italian, const char* english) {
        return [this, italian, english] {
            if (actions_.openSitePage) {
                actions_.openSitePage(QString::fromLatin1(italian), QString::fromLatin1(english));
            }
        };
    };

    // The application's own menu, as the first one.
    QMenu* app = bar.addMenu(QStringLiteral("VelmarKestle"));
    add(app, "About VelmarKestle", tr("About VelmarKestle"), {}, actions_.about);
    app->addSeparator();
    if (actions_.openSettings) {
        add(app, "Settings…", tr("Settings…"), QKeySequence(Qt::CTRL | Qt::Key_Comma),
            actions_.openSettings)
            ->setMenuRole(QAction::PreferencesRole);
    }
    if (updater_ != nullptr && updater_->isConfigured()) {
        add(app, "Check for VelmarKestle Updates…", tr("Check for VelmarKestle Updates…"), {},
            [this] { updater_->checkForUpdates(); });
    }
    if (actions_.openSettings || (updater_ != nullptr && updater_->isConfigured())) {
        app->addSeparator();
    }
    add(app, "Buy Me a Coffee", tr("Buy Me a Coffee"), {}, actions_.openTipPage);
    app->addSeparator();
    add(app, "Quit VelmarKestle", tr("Quit VelmarKestle"), QKeySequence(Qt::CTRL | Qt::Key_Q),
        actions_.quit)
        ->setMenuRole(QAction::QuitRole);

    //: The File menu
    QMenu* file = bar.addMenu(tr("&File"));
    add(file, "Check for Updates", tr("Check for Updates"), QKeySequence(Qt::CTRL | Qt::Key_R),
        [this] { model_.check(CheckReason::user); });
    add(file, "Update All", tr("Update All"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U),
        [this] { model_.queue().updateAll(model_.updatableEntries()); });

    //: The Edit menu
    QMenu* edit = bar.addMenu(tr("&Edit"));
    if (undo_ != nullptr) {
        edit->addAction(undo_);
        byTitle_["Undo"] = undo_;
        edit->addSeparator();
    }
    add(edit, "Search", tr("Search"), QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
        model_.setDetail(std::nullopt);
        model_.requestSearch();
    });

    //: The View menu
    QMenu* view = bar.addMenu(tr("&View"));
    auto* layouts = new QActionGroup(view);
    const auto layout = [&](const char* key, const QString& title, int number, ListLayout value) {
        QAction* action = add(view, key, title, QKeySequence(Qt::CTRL | (Qt::Key_0 + number)),
                              [this, value] { model_.setLayout(value); });
        action->setCheckable(true);
        layouts->addAction(action);
    };
    layout("Grid", tr("Grid"), 1, ListLayout::grid);
    layout("Table", tr("Table"), 2, ListLayout::table);
    view->addSeparator();
    auto* filters = new QActionGroup(view);
    for (AppFilter filter : allAppFilters) {
        const QString title = FilterTabs::title(filter);
        QAction* action = add(view, QString::fromLatin1(rawValue(filter)), title, {},
                              [this, filter] { model_.setFilter(filter); });
        action->setCheckable(true);
        filters->addAction(action);
    }

    //: The Help menu
    QMenu* help = bar.addMenu(tr("&Help"));
    add(help, "VelmarKestle Help", tr("VelmarKestle Help"), QKeySequence(Qt::Key_F1),
        site("/velmarkestle", "/en/velmarkestle"));
    help->addSeparator();
    add(help, "Report a Problem…", tr("Report a Problem…"), {}, actions_.reportProblem);
    help->addSeparator();
    add(help, "Privacy", tr("Privacy"), {},
        site("/velmarkestle/privacy", "/en/velmarkestle/privacy"));
    add(help, "Terms of Use", tr("Terms of Use"), {},
        site("/velmarkestle/condizioni", "/en/velmarkestle/terms"));
    refresh();
}

void KestleCommands::refresh() {
    if (QAction* check = action("Check for Updates")) {
        check->setEnabled(!model_.isChecking() && model_.termsAccepted());
    }
    if (QAction* all = action("Update All")) {
        all->setEnabled(!model_.updatableEntries().empty() && !model_.queue().isUpdating());
    }
    if (QAction* grid = action("Grid")) {
        grid->setChecked(model_.layout() == ListLayout::grid);
    }
    if (QAction* table = action("Table")) {
        table->setChecked(model_.layout() == ListLayout::table);
    }
    for (AppFilter filter : allAppFilters) {
        if (QAction* item = action(QString::fromLatin1(rawValue(filter)))) {
            item->setChecked(model_.filter() == filter);
        }
    }
}

} // namespace kestle::app
