#pragma once

#include <optional>

#include <QWidget>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"
#include "updates/UpdateState.hpp"

class QHBoxLayout;

namespace kestle::app {

class KestleModel;
class UpdateProblemRow;
class UpdateProgressRow;

// An entry's job while the queue holds a state for it: the progress row while it is
// queued or running, the problem row once it failed or was handed to the app. Each row
// is made on first need and kept. Owners show the row in place of the entry's controls
// while its mode is not none.
class JobRow : public QWidget {
    Q_OBJECT

public:
    enum class Mode { none, progress, problem };

    JobRow(KestleModel& model, AppEntry entry, AppActions actions, bool compact,
           QWidget* parent = nullptr);

    void setEntry(AppEntry entry);
    Mode mode() const { return mode_; }
    UpdateProgressRow* progressRow() const { return progress_; }
    UpdateProblemRow* problemRow() const { return problem_; }

    static Mode modeFor(const std::optional<UpdateState>& state);

signals:
    void modeChanged(kestle::app::JobRow::Mode mode);

private:
    // Every view holding an entry hears every queue change: a refresh that finds the
    // same mode does nothing.
    void refresh();

    KestleModel& model_;
    AppEntry entry_;
    AppActions actions_;
    bool compact_;
    Mode mode_ = Mode::none;
    QHBoxLayout* layout_;
    UpdateProgressRow* progress_ = nullptr;
    UpdateProblemRow* problem_ = nullptr;
};

} // namespace kestle::app
