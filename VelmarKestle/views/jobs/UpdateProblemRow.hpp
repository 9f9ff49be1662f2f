#pragma once

#include <optional>

#include <QString>
#include <QWidget>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"
#include "updates/UpdateSession.hpp"
#include "updates/UpdateState.hpp"

class QLabel;

namespace kestle::app {

class KestleButton;
class KestleModel;
class SquareButton;
class SymbolView;

// A failed job, or one handed to the app itself: an icon whose tooltip is the
// message, the message beside it unless compact, the one button that helps (open
// the app, open its site, or try again) and a dismiss button. It follows the app's
// state in the model's queue.
class UpdateProblemRow : public QWidget {
    Q_OBJECT

public:
    UpdateProblemRow(KestleModel& model, AppEntry entry, AppActions actions, bool compact,
                     QWidget* parent = nullptr);
    ~UpdateProblemRow() override;

    void setEntry(AppEntry entry);
    const AppEntry& entry() const { return entry_; }
    bool isCompact() const { return compact_; }
    std::optional<UpdateState> state() const;

    QString message() const { return message_; }
    KestleButton* actionButton() const { return action_; }
    SquareButton* dismissButton() const { return dismiss_; }

    // The message for a failed or handed-to-app state; empty for other states. The
    // kind is the queue's for the app (nothing counts as an update).
    static QString message(const AppEntry& entry, const UpdateState& state,
                           std::optional<JobKind> kind);

protected:
    void changeEvent(QEvent* event) override;

private:
    enum class Help { open, openSite, tryAgain };
    void refresh();
    void act();
    void applyColors();

    KestleModel& model_;
    AppEntry entry_;
    AppActions actions_;
    bool compact_;
    QString message_;
    Help help_ = Help::tryAgain;
    SymbolView* icon_;
    QLabel* text_;
    KestleButton* action_;
    SquareButton* dismiss_;
};

} // namespace kestle::app
