#include "views/entry/EntryActions.hpp"

#include <QHBoxLayout>

#include "views/entry/EntryControls.hpp"
#include "views/jobs/JobRow.hpp"

namespace kestle::app {

EntryActions::EntryActions(KestleModel& model, AppEntry entry, AppActions actions, bool compact,
                           QWidget* parent)
    : QWidget(parent), entry_(std::move(entry)), compact_(compact),
      controls_(new EntryControls(
          model, entry_, actions,
          compact ? EntryControls::Variant::row : EntryControls::Variant::card, this)),
      job_(new JobRow(model, entry_, std::move(actions), compact, this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(controls_);
    layout->addWidget(job_);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(job_, &JobRow::modeChanged, this, &EntryActions::showMode);
    showMode();
}

void EntryActions::setEntry(AppEntry entry) {
    if (entry_ == entry) {
        return;
    }
    entry_ = std::move(entry);
    controls_->setEntry(entry_);
    job_->setEntry(entry_);
}

EntryActions::Mode EntryActions::mode() const {
    switch (job_->mode()) {
    case JobRow::Mode::progress:
        return Mode::progress;
    case JobRow::Mode::problem:
        return Mode::problem;
    case JobRow::Mode::none:
        break;
    }
    return Mode::controls;
}

QAbstractButton* EntryActions::mainControl() const {
    return mode() == Mode::controls ? controls_->mainControl() : nullptr;
}

MoreMenu* EntryActions::moreMenu() const {
    return mode() == Mode::controls ? controls_->moreMenu() : nullptr;
}

UpdateProgressRow* EntryActions::progressRow() const {
    return job_->progressRow();
}

UpdateProblemRow* EntryActions::problemRow() const {
    return job_->problemRow();
}

void EntryActions::showMode() {
    const bool controls = mode() == Mode::controls;
    controls_->setVisible(controls);
    job_->setVisible(!controls);
}

} // namespace kestle::app
