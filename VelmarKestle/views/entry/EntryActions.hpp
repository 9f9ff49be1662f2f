#pragma once

#include <QWidget>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"

class QAbstractButton;

namespace kestle::app {

class EntryControls;
class JobRow;
class KestleModel;
class MoreMenu;
class UpdateProblemRow;
class UpdateProgressRow;

// What can be done to an entry in a card or a table row: its job's row while the
// queue holds a state for it, otherwise its controls.
class EntryActions : public QWidget {
    Q_OBJECT

public:
    enum class Mode { controls, progress, problem };

    EntryActions(KestleModel& model, AppEntry entry, AppActions actions, bool compact,
                 QWidget* parent = nullptr);

    void setEntry(AppEntry entry);
    const AppEntry& entry() const { return entry_; }
    bool isCompact() const { return compact_; }

    Mode mode() const;
    // Install, Open, Update or the notify toggle; nothing while a row is shown.
    QAbstractButton* mainControl() const;
    // Nothing for coming apps and while a row is shown.
    MoreMenu* moreMenu() const;
    // Made on first need, then kept.
    UpdateProgressRow* progressRow() const;
    UpdateProblemRow* problemRow() const;

private:
    void showMode();

    AppEntry entry_;
    bool compact_;
    EntryControls* controls_;
    JobRow* job_;
};

} // namespace kestle::app
