#include "views/jobs/UpdateProblemRow.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include "model/KestleModel.hpp"
#include "platform/PlatformWords.hpp"
#include "views/components/SymbolView.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/controls/SquareButton.hpp"
#include "views/style/KestleStyle.hpp"

namespace kestle::app {

namespace {

constexpr qreal kIconSize = 14;
constexpr qreal kMessageFont = 12.5;
constexpr int kSpacing = 8;
constexpr qreal kDismissSymbol = 11;

} // namespace

UpdateProblemRow::UpdateProblemRow(KestleModel& model, AppEntry entry, AppActions actions,
                                   bool compact, QWidget* parent)
    : QWidget(parent), model_(model), entry_(std::move(entry)), actions_(std::move(actions)),
      compact_(compact), icon_(new SymbolView(QStringLiteral("exclamationmark.triangle"), kIconSize,
                                              SymbolView::Tone::danger, this)),
      text_(new QLabel(this)), action_(new KestleButton(QString(), false, false, this)),
      dismiss_(new SquareButton(QStringLiteral("xmark"), kDismissSymbol, this)) {
    text_->setFont(KestleStyle::font(kMessageFont, QFont::Normal));
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    text_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    text_->setVisible(!compact_);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    row->addWidget(icon_, 0, Qt::AlignVCenter);
    row->addWidget(text_, 1);
    row->addWidget(action_, 0, Qt::AlignVCenter);
    row->addWidget(dismiss_, 0, Qt::AlignVCenter);
    if (compact_) {
        row->addStretch(1);
    }

    //: Help and accessibility label of the button that clears a failed job
    const QString dismiss = tr("Dismiss");
    dismiss_->setToolTip(dismiss);
    dismiss_->setAccessibleName(dismiss);
    connect(dismiss_, &QAbstractButton::clicked, this,
            [this] { model_.queue().cancel(entry_.id()); });
    connect(action_, &QAbstractButton::clicked, this, &UpdateProblemRow::act);
    connect(&model_.queueSignals(), &UpdateQueueSignals::statesChanged, this,
            &UpdateProblemRow::refresh);
    connect(&model_.queueSignals(), &UpdateQueueSignals::kindsChanged, this,
            &UpdateProblemRow::refresh);
    applyColors();
    refresh();
}

UpdateProblemRow::~UpdateProblemRow() = default;

void UpdateProblemRow::setEntry(AppEntry entry) {
    entry_ = std::move(entry);
    refresh();
}

std::optional<UpdateState> UpdateProblemRow::state() const {
    return model_.queue().state(entry_.id());
}

void UpdateProblemRow::refresh() {
    std::optional<UpdateState> state = this->state();
    const bool handed = state && state->kind == UpdateState::Kind::handedToApp;
    message_ = state ? message(entry_, *state, model_.queue().kind(entry_.id())) : QString();
    text_->setText(message_);
    icon_->setToolTip(message_);
    icon_->setAccessibleName(message_);
    // The app took the update over: information, not a failure.
    icon_->setSymbol(handed ? QStringLiteral("info.circle")
                            : QStringLiteral("exclamationmark.triangle"),
                     handed ? SymbolView::Tone::secondary : SymbolView::Tone::danger);

    const bool failed = state && state->kind == UpdateState::Kind::failed;
    const bool siteHelps = failed &&
                           (state->failure.kind == UpdateFailure::Kind::notWritable ||
                            state->failure.kind == UpdateFailure::Kind::informationOnly) &&
                           entry_.app.site.has_value();
    if (handed) {
        help_ = Help::open;
        //: Button of an update the app took over: opens the app, by name
        action_->setText(tr("Open %1").arg(QString::fromStdString(entry_.app.name)));
    } else if (siteHelps) {
        help_ = Help::openSite;
        //: Button of a failed job that only the app's web page can help with
        action_->setText(tr("Open Site"));
    } else {
        help_ = Help::tryAgain;
        //: Button of a failed job: runs it again
        action_->setText(tr("Try Again"));
    }
}

void UpdateProblemRow::act() {
    switch (help_) {
    case Help::open:
        if (actions_.open) {
            actions_.open(entry_);
        }
        return;
    case Help::openSite:
        if (actions_.openSite) {
            actions_.openSite(entry_);
        }
        return;
    case Help::tryAgain:
        model_.retry(entry_.id());
        return;
    }
}

void UpdateProblemRow::applyColors() {
    KestleStyle::setColor(*text_, QPalette::WindowText, KestleStyle::primaryText(palette()));
}

void UpdateProblemRow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        applyColors();
    }
}

QString UpdateProblemRow::message(const AppEntry& entry, const UpdateState& state,
                                  std::optional<JobKind> kind) {
    const QString name = QString::fromStdString(entry.app.name);
    if (state.kind == UpdateState::Kind::handedToApp) {
        //: The app's own updater has the update ready: the app's name, twice
        return tr("%1 has already downloaded the update: in %1, click “Install and Relaunch”.")
            .arg(name);
    }
    if (state.kind != UpdateState::Kind::failed) {
        return {};
    }
    using F = UpdateFailure::Kind;
    const F failure = state.failure.kind;
    const QString code = QString::number(state.failure.code);
    // A failure only a first install can meet reads the same for an update.
    const bool install = kind == JobKind::install || failure == F::notWritable ||
                         failure == F::alreadyThere || failure == F::damaged;
    if (install) {
        switch (failure) {
        case F::other:
            //: A first install failed: the error code
            return tr("The installation didn’t go through (error %1).").arg(code);
        case F::connection:
            return tr("Download interrupted: the connection was lost.");
        case F::signature:
            return tr("The download isn’t signed by velmar, so VelmarKestle didn’t install it.");
        case F::notWritable:
            //: The Applications folder cannot be written: the app's name
            return tr("This account can’t add apps to Applications. Download %1 from velmar’s "
                      "site.")
                .arg(name);
        case F::alreadyThere:
            //: Another app has the same name in the Applications folder: the app's name
            return tr("There’s already an app called %1 in Applications: VelmarKestle doesn’t "
                      "replace it.")
                .arg(name);
        case F::damaged:
            return tr("The download is damaged, so VelmarKestle didn’t install it.");
        case F::outsideTestFolder:
            return tr("The development build installs only into the test folder.");
        case F::noPermission:
        case F::informationOnly:
        case F::appMissing:
            return tr("The installation didn’t go through.");
        }
        return {};
    }
    const QString installed =
        entry.installed ? QString::fromStdString(entry.installed->version) : QString();
    if (kind == JobKind::goBack) {
        switch (failure) {
        case F::signature:
            //: The kept earlier version changed on disk, so it was not put back: the
            //: installed version that stays
            return tr("The earlier version was changed since it was kept, so VelmarKestle didn’t "
                      "put it back. %1 stays as it is.")
                .arg(installed);
        case F::appMissing:
            //: The app or its earlier version changed since the last update: the app's name
            return tr("%1 changed since its last update, so there’s no earlier version to go "
                      "back to.")
                .arg(name);
        case F::other:
            //: Going back failed: the error code, the installed version that stays
            return tr("Going back didn’t work (error %1). %2 stays as it is.").arg(code, installed);
        default:
            break; // the same words as an update's, below
        }
    }
    switch (failure) {
    case F::other:
        //: An update failed: the error code, the installed version that stays
        return tr("The update didn’t go through (error %1). %2 stays as it is.")
            .arg(code, installed);
    case F::connection:
        //: An update's download failed: the installed version that stays
        return tr("Download interrupted: the connection was lost. %1 stays as it is.")
            .arg(installed);
    case F::signature:
        //: An update with a bad signature: the installed version that stays
        return tr("The update isn’t signed by velmar, so VelmarKestle didn’t install it. %1 "
                  "stays as it is.")
            .arg(installed);
    case F::noPermission:
        //: The system refused to let the app be changed: the app's name
        return PlatformWords::text(PlatformWord::systemRefusedChange).arg(name);
    case F::informationOnly:
        //: The update can only be downloaded from the app's site: the app's name
        return tr("This version of %1 is downloaded from its site.").arg(name);
    case F::outsideTestFolder:
        return tr("The development build updates only the apps in the test folder.");
    case F::appMissing:
        //: The installed app was moved or deleted: the app's name
        return tr("%1 isn’t where it was any more.").arg(name);
    case F::notWritable:
    case F::alreadyThere:
    case F::damaged:
        break; // read as a first install's, above
    }
    return {};
}

} // namespace kestle::app
