#include "views/entry/EntryActions.hpp"

#include <QHBoxLayout>

#include "model/KestleModel.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/entry/MoreItems.hpp"
#include "views/entry/MoreMenu.hpp"
#include "views/entry/NotifyMeButton.hpp"
#include "views/jobs/UpdateProblemRow.hpp"
#include "views/jobs/UpdateProgressRow.hpp"

namespace kestle::app {

namespace {

constexpr int kSpacing = 8;
constexpr int kMenuSide = 32;

EntryActions::Mode modeFor(const std::optional<UpdateState>& state) {
    if (!state) {
        return EntryActions::Mode::controls;
    }
    switch (state->kind) {
    case UpdateState::Kind::queued:
    case UpdateState::Kind::active:
        return EntryActions::Mode::progress;
    case UpdateState::Kind::failed:
    case UpdateState::Kind::handedToApp:
        return EntryActions::Mode::problem;
    }
    return EntryActions::Mode::controls;
}

} // namespace

EntryActions::EntryActions(KestleModel& model, AppEntry entry, AppActions actions, bool compact,
                           QWidget* parent)
    : QWidget(parent), model_(model), entry_(std::move(entry)), actions_(std::move(actions)),
      compact_(compact), layout_(new QHBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(&model_.queueSignals(), &UpdateQueueSignals::statesChanged, this,
            &EntryActions::refresh);
    connect(&model_.queueSignals(), &UpdateQueueSignals::kindsChanged, this,
            &EntryActions::refresh);
    refresh();
}

void EntryActions::setEntry(AppEntry entry) {
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
    if (controls_) {
        updateControls();
    }
    refresh();
}

QAbstractButton* EntryActions::mainControl() const {
    if (mode() != Mode::controls) {
        return nullptr;
    }
    if (control_ == Control::notify) {
        return notify_;
    }
    return button_;
}

MoreMenu* EntryActions::moreMenu() const {
    return mode() == Mode::controls && control_ != Control::notify ? more_ : nullptr;
}

void EntryActions::refresh() {
    Mode mode = modeFor(model_.queue().state(entry_.id()));
    if (mode != mode_) {
        showMode(mode);
    }
}

void EntryActions::showMode(Mode mode) {
    mode_ = mode;
    switch (mode) {
    case Mode::controls:
        if (!controls_) {
            controls_ = new QWidget(this);
            controlsLayout_ = new QHBoxLayout(controls_);
            controlsLayout_->setContentsMargins(0, 0, 0, 0);
            controlsLayout_->setSpacing(kSpacing);
            layout_->addWidget(controls_);
            updateControls();
        }
        break;
    case Mode::progress:
        if (!progress_) {
            progress_ = new UpdateProgressRow(model_, entry_, compact_, this);
            layout_->addWidget(progress_);
        }
        break;
    case Mode::problem:
        if (!problem_) {
            problem_ = new UpdateProblemRow(model_, entry_, actions_, compact_, this);
            layout_->addWidget(problem_);
        }
        break;
    }
    if (controls_) {
        controls_->setVisible(mode == Mode::controls);
    }
    if (progress_) {
        progress_->setVisible(mode == Mode::progress);
    }
    if (problem_) {
        problem_->setVisible(mode == Mode::problem);
    }
}

void EntryActions::updateControls() {
    using Status = AppEntry::Status;
    const Status status = entry_.status();
    switch (status) {
    case Status::notInstalled:
        control_ = Control::install;
        break;
    case Status::installed:
        control_ = Control::open;
        break;
    case Status::updateAvailable:
        control_ = Control::update;
        break;
    case Status::coming:
        control_ = Control::notify;
        break;
    }
    const bool coming = control_ == Control::notify;

    if (coming) {
        if (!notify_) {
            notify_ = new NotifyMeButton(model_, entry_, actions_, compact_, true, controls_);
            controlsLayout_->insertWidget(0, notify_, 1);
        }
        notify_->setEntry(entry_);
    } else {
        if (!button_) {
            button_ = new KestleButton(QString(), false, true, controls_);
            controlsLayout_->insertWidget(0, button_, 1);
            connect(button_, &QAbstractButton::clicked, this, &EntryActions::act);
        }
        switch (control_) {
        case Control::install:
            //: Main button of an app that is not installed
            button_->setText(tr("Install"));
            break;
        case Control::open:
            //: Main button of an installed, up-to-date app
            button_->setText(tr("Open"));
            break;
        case Control::update:
            //: Main button of an app with an update: the new version
            button_->setText(tr("Update to %1")
                                 .arg(QString::fromStdString(entry_.latest ? entry_.latest->version
                                                                           : std::string())));
            break;
        case Control::notify:
            break;
        }
        button_->setProminent(control_ != Control::open);
        // Nothing to download until the feed names a release.
        button_->setEnabled(control_ != Control::install || entry_.latest.has_value());
    }
    if (notify_) {
        notify_->setVisible(coming);
    }
    if (button_) {
        button_->setVisible(!coming);
    }

    const QString name = QString::fromStdString(entry_.app.name);
    if (!coming) {
        if (!more_) {
            items_ = MoreItems::menu(model_, entry_, actions_, MoreItems::Variant::card);
            more_ = new MoreMenu(name, items_, controls_);
            controlsLayout_->addWidget(more_, 0, Qt::AlignVCenter);
        }
        items_->setEntry(entry_);
        more_->setName(name);
    }
    if (more_) {
        more_->setVisible(!coming);
    }

    // In table rows a blank keeps the columns aligned where the menu would be.
    const bool blank = coming && compact_;
    if (blank && !spacer_) {
        spacer_ = new QWidget(controls_);
        spacer_->setFixedSize(kMenuSide, kMenuSide);
        controlsLayout_->addWidget(spacer_, 0, Qt::AlignVCenter);
    }
    if (spacer_) {
        spacer_->setVisible(blank);
    }
}

void EntryActions::act() {
    switch (control_) {
    case Control::install:
        model_.queue().install(entry_);
        return;
    case Control::update:
        model_.queue().update(entry_);
        return;
    case Control::open:
        if (actions_.open) {
            actions_.open(entry_);
        }
        return;
    case Control::notify:
        return;
    }
}

} // namespace kestle::app
