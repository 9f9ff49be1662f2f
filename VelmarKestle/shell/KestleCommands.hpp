#pragma once

#include <functional>
#include <map>

#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QMenuBar;

namespace kestle::app {

class KestleModel;
class SelfUpdater;
class UpdateQueueSignals;

// The main window's menus: the application's own items, File, Edit, View and Help, each
// with its shortcut and kept enabled as the model allows. Main thread only.
class KestleCommands : public QObject {
    Q_OBJECT

public:
    struct Actions {
        std::function<void()> about;
        std::function<void()> quit; // the user's own Quit
        std::function<void()> openTipPage;
        std::function<void(const QString& italianPath, const QString& englishPath)> openSitePage;
        std::function<void()> reportProblem;
        std::function<void()> openSettings; // none leaves the item out
    };

    // updater: none or an unconfigured one leaves its item out; undo: the window's own
    // Undo, shared so that its shortcut stays one.
    KestleCommands(KestleModel& model, SelfUpdater* updater, QAction* undo, Actions actions,
                   QObject* parent = nullptr);
    ~KestleCommands() override;

    // Fills the bar with the menus; their actions stay owned by the bar.
    void install(QMenuBar& bar);

    // The item with this English title, for tests and for the Window-menu opener.
    QAction* action(const QString& title) const;

private:
    void refresh();

    KestleModel& model_;
    SelfUpdater* updater_;
    QPointer<QAction> undo_;
    Actions actions_;
    UpdateQueueSignals* queueSignals_;
    std::map<QString, QPointer<QAction>> byTitle_;
};

} // namespace kestle::app
