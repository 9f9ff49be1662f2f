#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QMessageBox>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include "apps/AppEntry.hpp"
#include "install/AppTrash.hpp"

class QUndoStack;
class QWidget;

namespace kestle::app {

class KestleModel;

// The dialogue around moving an installed app to the Trash: confirmation, quitting a
// running copy first, the move, what happened, and putting it back (the banner's Undo
// and the main window's). Every step takes the entry by value and looks it up again in
// the model after each dialog and each wait: the views that asked may be gone by then,
// and the app may have changed. Main thread only; dialogs never block.
class TrashFlow : public QObject {
    Q_OBJECT

public:
    struct Alert {
        QMessageBox::Icon style = QMessageBox::Question;
        QString title;
        QString text;
        QStringList buttons; // the first is the default
        int escape = -1;     // the button Escape chooses; -1: none
        QPixmap icon;
    };
    // Shows an alert and later calls back with the index of the chosen button.
    using Presenter =
        std::function<void(const Alert& alert, bool activate, std::function<void(int)> chosen)>;

    static TrashFlow& shared();

    void start(const AppEntry& entry, KestleModel& model);
    void perform(const AppEntry& entry, KestleModel& model);
    void putBack(const AppEntry& entry, KestleModel& model);

    // Calls back with whether every process ended before the deadline (10 s).
    void waitForQuit(std::vector<pid_t> processes, std::function<void(bool)> done);
    // A sheet on the visible main window, else an application-modal panel; never a
    // nested event loop.
    void present(const Alert& alert, bool activate, std::function<void(int)> chosen);

    const std::optional<TrashedApp>& last() const { return last_; }

    // Tests answer alerts and shorten the wait; empty presenter: the real panels.
    void setPresenter(Presenter presenter) { presenter_ = std::move(presenter); }
    void setQuitDeadline(std::chrono::milliseconds deadline) { quitDeadline_ = deadline; }
    // The main window's undo stack, while one is shown.
    void setUndoStack(std::function<QUndoStack*()> undoStack) { undoStack_ = std::move(undoStack); }

    // The failure sentence for an error of the move or the put-back.
    static QString failureText(const AppEntry& entry, const TrashError& error);
    // The app's icon as alerts about it show it.
    QPixmap alertIcon(const AppEntry& entry, const KestleModel& model) const;

private:
    void moved(const AppEntry& entry, KestleModel& model);
    void move(const AppEntry& entry, KestleModel& model);

    std::optional<TrashedApp> last_;
    Presenter presenter_;
    std::function<QUndoStack*()> undoStack_;
    std::chrono::milliseconds quitDeadline_{10000};
};

} // namespace kestle::app
