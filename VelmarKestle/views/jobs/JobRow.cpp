#include "views/jobs/JobRow.hpp"

#include <QHBoxLayout>

#include "model/KestleModel.hpp"
#include "views/jobs/UpdateProblemRow.hpp"
#include "views/jobs/UpdateProgressRow.hpp"

namespace kestle::app {

JobRow::JobRow(KestleModel& model, AppEntry entry, AppActions actions, bool compact,
               QWidget* parent)
    : QWidget(parent), model_(model), entry_(std::move(entry)), actions_(std::move(actions)),
      compact_(compact), layout_(new QHBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    connect(&model_.queueSignals(), &UpdateQueueSignals::statesChanged, this, &JobRow::refresh);
    connect(&model_.queueSignals(), &UpdateQueueSignals::kindsChanged, this, &JobRow::refresh);
    refresh();
}

void JobRow::setEntry(AppEntry entry) {
    if (entry_ == entry) {
        return;
    }
    entry_ = std::move(entry);
    if (progress_) {
        progress_->setEntry(entry_);
    }
    if (problem_) {
        problem_->setEntry(entry_);
    }
    refresh();
}

JobRow::Mode JobRow::modeFor(const std::optional<UpdateState>& state) {
    if (!state) {
        return Mode::none;
    }
    switch (state->kind) {
    case UpdateState::Kind::queued:
    case UpdateState::Kind::active:
        return Mode::progress;
    case UpdateState::Kind::failed:
    case UpdateState::Kind::handedToApp:
        return Mode::problem;
    }
    return Mode::none;
}

void JobRow::refresh() {
    const Mode mode = modeFor(model_.queue().state(entry_.id()));
    if (mode == mode_) {
        return;
    }
    mode_ = mode;
    if (mode == Mode::progress && !progress_) {
        progress_ = new UpdateProgressRow(model_, entry_, compact_, this);
        layout_->addWidget(progress_);
    }
    if (mode == Mode::problem && !problem_) {
        problem_ = new UpdateProblemRow(model_, entry_, actions_, compact_, this);
        layout_->addWidget(problem_);
    }
    if (progress_) {
        progress_->setVisible(mode == Mode::progress);
    }
    if (problem_) {
        problem_->setVisible(mode == Mode::problem);
    }
    emit modeChanged(mode);
}

} // namespace kestle::app
