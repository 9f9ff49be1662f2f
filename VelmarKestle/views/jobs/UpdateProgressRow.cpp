#include "views/jobs/UpdateProgressRow.hpp"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "views/components/Decorative.hpp"
#include "views/components/KestleProgressBar.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/controls/SquareButton.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/LocaleFormat.hpp"

namespace kestle::app {

namespace {

constexpr qreal kCompactFont = 12;
constexpr qreal kRegularFont = 12.5;
constexpr int kCompactSpacing = 5;
constexpr int kRegularSpacing = 7;
constexpr int kControlSpacing = 8;
constexpr qreal kCancelSymbol = 11;

} // namespace

UpdateProgressRow::UpdateProgressRow(KestleModel& model, AppEntry entry, bool compact,
                                     QWidget* parent)
    : QWidget(parent), model_(model), entry_(std::move(entry)), compact_(compact),
      stack_(new QWidget(this)), label_(new ToneLabel(ToneLabel::Tone::secondary, stack_)),
      bar_(new KestleProgressBar(stack_)),
      //: Button of a job waiting for the app to quit: asks the app to quit once more
      quitAgain_(new KestleButton(tr("Quit Again"), false, false, this)),
      cancel_(new SquareButton(QStringLiteral("xmark"), kCancelSymbol, this)) {
    auto* column = new QVBoxLayout(stack_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(compact_ ? kCompactSpacing : kRegularSpacing);
    label_->setFont(KestleStyle::font(compact_ ? kCompactFont : kRegularFont, QFont::Normal));
    label_->setTextFormat(Qt::PlainText);
    // The line gives up its middle when space runs short, so both the name and the
    // figures at the end stay readable.
    label_->setElideMode(Qt::ElideMiddle);
    label_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    // Screen readers meet the line and the bar as one progress indicator named by the
    // line, so the line is not read a second time.
    Decorative::mark(*label_);
    column->addWidget(label_);
    column->addWidget(bar_);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kControlSpacing);
    row->addWidget(stack_, 1, Qt::AlignVCenter);
    row->addWidget(quitAgain_, 0, Qt::AlignVCenter);
    row->addWidget(cancel_, 0, Qt::AlignVCenter);

    connect(quitAgain_, &QAbstractButton::clicked, this,
            [this] { model_.queue().retryQuit(entry_.id()); });
    connect(cancel_, &QAbstractButton::clicked, this,
            [this] { model_.queue().cancel(entry_.id()); });
    connect(&model_.queueSignals(), &UpdateQueueSignals::statesChanged, this,
            &UpdateProgressRow::refresh);
    connect(&model_.queueSignals(), &UpdateQueueSignals::kindsChanged, this,
            &UpdateProgressRow::refresh);
    refresh();
}

UpdateProgressRow::~UpdateProgressRow() = default;

void UpdateProgressRow::setEntry(AppEntry entry) {
    entry_ = std::move(entry);
    refresh();
}

std::optional<UpdateState> UpdateProgressRow::state() const {
    return model_.queue().state(entry_.id());
}

QString UpdateProgressRow::statusText() const {
    return label_->text();
}

QAbstractButton* UpdateProgressRow::control() const {
    if (!quitAgain_->isHidden()) {
        return quitAgain_;
    }
    if (!cancel_->isHidden()) {
        return cancel_;
    }
    return nullptr;
}

void UpdateProgressRow::refresh() {
    std::optional<UpdateState> state = this->state();
    JobKind kind = model_.queue().kind(entry_.id()).value_or(JobKind::update);
    QString goingBackTo;
    if (auto previous = kind == JobKind::goBack ? model_.previous(entry_) : std::nullopt) {
        goingBackTo = QString::fromStdString(previous->version);
    }
    QString text =
        state ? UpdateProgressRow::text(entry_, *state, kind, compact_, goingBackTo) : QString();
    label_->setText(text);
    label_->setToolTip(text);
    bar_->setAccessibleName(text);
    bar_->setFraction(state ? barFraction(*state) : 0.0);

    bool waiting = state && state->kind == UpdateState::Kind::active &&
                   state->step.kind == UpdateStep::Kind::waitingForQuit;
    bool queued = state && state->kind == UpdateState::Kind::queued;
    bool cancelable =
        queued || (state && state->kind == UpdateState::Kind::active && state->step.canCancel());
    quitAgain_->setVisible(waiting);
    cancel_->setVisible(cancelable);
    //: Help of the cancel button of a job that has not started yet
    QString takeOut = tr("Take Out of the Queue");
    //: Help of the cancel button of a running download
    QString cancel = tr("Cancel the Download");
    cancel_->setToolTip(queued ? takeOut : cancel);
    cancel_->setAccessibleName(queued ? takeOut : cancel);
}

std::optional<double> UpdateProgressRow::barFraction(const UpdateState& state) {
    if (state.kind != UpdateState::Kind::active) {
        return 0.0;
    }
    return state.step.fraction();
}

QString UpdateProgressRow::text(const AppEntry& entry, const UpdateState& state, JobKind kind,
                                bool compact, const QString& goingBackTo) {
    const QString name = QString::fromStdString(entry.app.name);
    const QString latest = entry.latest ? QString::fromStdString(entry.latest->version) : QString();
    const bool install = kind == JobKind::install;
    if (state.kind == UpdateState::Kind::queued) {
        if (compact) {
            //: Status of a job waiting for the one before it
            return tr("Queued");
        }
        if (install) {
            //: Status of a first install waiting for the jobs before it
            return tr("Queued after the other apps");
        }
        //: Status of an update waiting for the jobs before it
        return tr("Queued after the other updates");
    }
    if (state.kind != UpdateState::Kind::active) {
        return {};
    }

    const UpdateStep& step = state.step;
    if (kind == JobKind::goBack && step.kind != UpdateStep::Kind::waitingForQuit) {
        if (compact) {
            //: The app is being put back to the version before its last update
            return tr("Going Back…");
        }
        if (step.closesApp) {
            //: The running app quits, goes back to the earlier version and reopens: its
            //: name and that version
            return tr("Quitting %1, going back to %2 and opening it again…").arg(name, goingBackTo);
        }
        //: The app goes back to the version before its last update: its name and that version
        return tr("Going back to %1 %2…").arg(name, goingBackTo);
    }
    switch (step.kind) {
    case UpdateStep::Kind::downloading: {
        const QString received = LocaleFormat::byteCount(step.received);
        if (step.expected > 0) {
            const QString expected = LocaleFormat::byteCount(step.expected);
            const QString share = LocaleFormat::percent(step.fraction().value_or(0));
            if (compact) {
                //: Download progress: the percentage and the download's size
                return tr("%1 of %2").arg(share, expected);
            }
            if (install) {
                //: First install's download progress: received size, total size, percentage
                return tr("Downloading: %1 of %2 · %3").arg(received, expected, share);
            }
            //: Update's download progress: the new version, received and total size,
            //: percentage
            return tr("Downloading %1: %2 of %3 · %4").arg(latest, received, expected, share);
        }
        if (compact) {
            //: Download of unknown size
            return tr("Downloading…");
        }
        if (install) {
            //: First install's download of unknown size: the size received so far
            return tr("Downloading: %1").arg(received);
        }
        //: Update's download of unknown size: the new version, the size received so far
        return tr("Downloading %1: %2").arg(latest, received);
    }
    case UpdateStep::Kind::installing:
    case UpdateStep::Kind::waitingForQuit:
        if (compact) {
            if (step.kind == UpdateStep::Kind::waitingForQuit) {
                //: The app being updated has not quit yet: its name
                return tr("%1 is still open").arg(name);
            }
            if (install) {
                //: A first install copies the app into place
                return tr("Installing…");
            }
            //: The app is being replaced with the new version
            return tr("Replacing…");
        }
        if (install) {
            //: A first install copies the app into the Applications folder: its name
            return tr("Moving %1 to Applications…").arg(name);
        }
        if (step.kind == UpdateStep::Kind::waitingForQuit) {
            //: The app being updated has not quit yet: its name
            return tr("%1 hasn’t quit yet.").arg(name);
        }
        if (step.closesApp) {
            //: The running app quits, is replaced and reopens: its name
            return tr("Quitting %1, replacing it and opening it again…").arg(name);
        }
        //: The app is being replaced: its name and the new version
        return tr("Replacing %1 with %2…").arg(name, latest);
    case UpdateStep::Kind::checking:
        if (compact) {
            //: The job has started and looks for the update
            return tr("Preparing…");
        }
        if (install) {
            //: A first install has started
            return tr("Preparing the download…");
        }
        //: An update has started and reads the app's feed: the new version
        return tr("Preparing the update to %1…").arg(latest);
    case UpdateStep::Kind::verifying:
        if (compact) {
            //: The download's signature is being checked
            return tr("Checking Signature…");
        }
        //: The download's signature by the maker is being checked
        return tr("Checking velmar’s signature…");
    }
    return {};
}

} // namespace kestle::app
