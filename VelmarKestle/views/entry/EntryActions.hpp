#pragma once

#include <optional>

#include <QWidget>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"

class QAbstractButton;
class QHBoxLayout;

namespace kestle::app {

class KestleButton;
class KestleModel;
class MoreItems;
class MoreMenu;
class NotifyMeButton;
class UpdateProblemRow;
class UpdateProgressRow;

// What can be done to an entry, in the card, the detail page and table rows: the
// progress or problem row while the queue holds a state for it, otherwise the main
// control and the "more" menu.
class EntryActions : public QWidget {
    Q_OBJECT

public:
    enum class Mode { controls, progress, problem };

    EntryActions(KestleModel& model, AppEntry entry, AppActions actions, bool compact,
                 QWidget* parent = nullptr);

    void setEntry(AppEntry entry);
    const AppEntry& entry() const { return entry_; }
    bool isCompact() const { return compact_; }

    Mode mode() const { return mode_.value_or(Mode::controls); }
    // Install, Open, Update or the notify toggle; nothing while a row is shown.
    QAbstractButton* mainControl() const;
    // Nothing for coming apps and while a row is shown.
    MoreMenu* moreMenu() const;
    // Made on first need, then kept.
    UpdateProgressRow* progressRow() const { return progress_; }
    UpdateProblemRow* problemRow() const { return problem_; }

private:
    enum class Control { install, open, update, notify };

    // Shows what the queue state asks for; a refresh that finds the same mode does
    // nothing, since every view holding an entry hears every queue change.
    void refresh();
    void showMode(Mode mode);
    // Brings the controls row in line with the entry, making its widgets on first need.
    void updateControls();
    void act();

    KestleModel& model_;
    AppEntry entry_;
    AppActions actions_;
    bool compact_;
    std::optional<Mode> mode_;
    Control control_ = Control::install;

    QHBoxLayout* layout_;
    QWidget* controls_ = nullptr;
    QHBoxLayout* controlsLayout_ = nullptr;
    KestleButton* button_ = nullptr;
    NotifyMeButton* notify_ = nullptr;
    MoreMenu* more_ = nullptr;
    MoreItems* items_ = nullptr;
    QWidget* spacer_ = nullptr;
    UpdateProgressRow* progress_ = nullptr;
    UpdateProblemRow* problem_ = nullptr;
};

} // namespace kestle::app
