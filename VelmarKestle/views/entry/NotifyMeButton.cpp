#include "views/entry/NotifyMeButton.hpp"

#include <QEvent>

#include "model/KestleModel.hpp"

namespace kestle::app {

NotifyMeButton::NotifyMeButton(KestleModel& model, AppEntry entry, AppActions actions, bool compact,
                               bool fills, QWidget* parent)
    : KestleButton(QString(), false, fills, parent), model_(model), entry_(std::move(entry)),
      actions_(std::move(actions)), compact_(compact) {
    // Checkable gives the control the toggle role for assistive technology; the ledger,
    // not a click, decides the checked state.
    setCheckable(true);
    connect(this, &QAbstractButton::clicked, this, [this] {
        setChecked(isOn());
        if (actions_.notifyMe) {
            actions_.notifyMe(entry_, model_);
        }
    });
    connect(&model_, &KestleModel::ledgerChanged, this, &NotifyMeButton::refresh);
    refresh();
}

void NotifyMeButton::setEntry(AppEntry entry) {
    if (entry_ == entry) {
        return;
    }
    entry_ = std::move(entry);
    refresh();
}

bool NotifyMeButton::isOn() const {
    return model_.ledger().isWatching(entry_.id());
}

void NotifyMeButton::refresh() {
    const bool on = isOn();
    const QString name = QString::fromStdString(entry_.app.name);
    QString label;
    QString help;
    if (on) {
        //: Notify-me button of a coming app while its release is watched
        label = tr("We’ll Let You Know");
        //: Tooltip of the notify-me button while on: the app's name
        help = tr("Click to stop the notice for %1").arg(name);
    } else {
        if (compact_) {
            //: Notify-me button of a coming app in a table row
            label = tr("Notify Me");
        } else {
            //: Notify-me button of a coming app
            label = tr("Notify Me When It’s Out");
        }
        //: Tooltip of the notify-me button while off: the app's name
        help = tr("A notification when %1 is out").arg(name);
    }
    const bool changed = text() != label;
    setText(label);
    setSymbol(on ? QStringLiteral("checkmark") : QString());
    setToolTip(help);
    setChecked(on);
    setAccessibleName(tr("Notify Me When It’s Out"));
    //: Accessibility value of the notify-me toggle
    setAccessibleDescription(on ? tr("On") : tr("Off"));
    if (changed) {
        updateGeometry();
    }
}

void NotifyMeButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        refresh();
    }
    KestleButton::changeEvent(event);
}

} // namespace kestle::app
