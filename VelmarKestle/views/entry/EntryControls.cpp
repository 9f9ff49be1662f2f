#include "views/entry/EntryControls.hpp"

#include <QHBoxLayout>

#include "model/KestleModel.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/entry/MoreItems.hpp"
#include "views/entry/MoreMenu.hpp"
#include "views/entry/NotifyMeButton.hpp"

namespace kestle::app {

namespace {

constexpr int kSpacing = 8;
constexpr int kMenuSide = 32;

} // namespace

EntryControls::EntryControls(KestleModel& model, AppEntry entry, AppActions actions,
                             Variant variant, QWidget* parent)
    : QWidget(parent), model_(model), entry_(std::move(entry)), actions_(std::move(actions)),
      variant_(variant), layout_(new QHBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(kSpacing);
    refresh();
}

void EntryControls::setEntry(AppEntry entry) {
    if (entry_ == entry) {
        return;
    }
    entry_ = std::move(entry);
    refresh();
}

QAbstractButton* EntryControls::mainControl() const {
    if (control_ == Control::notify) {
        return notify_;
    }
    return button_;
}

std::vector<QAbstractButton*> EntryControls::buttons() const {
    std::vector<QAbstractButton*> shown{mainControl()};
    if (open_ && !open_->isHidden()) {
        shown.push_back(open_);
    }
    return shown;
}

MoreMenu* EntryControls::moreMenu() const {
    return control_ != Control::notify ? more_ : nullptr;
}

void EntryControls::refresh() {
    using Status = AppEntry::Status;
    switch (entry_.status()) {
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
    const bool detail = variant_ == Variant::detail;

    if (coming) {
        if (!notify_) {
            notify_ = new NotifyMeButton(model_, entry_, actions_, isCompact(), !detail, this);
            layout_->insertWidget(0, notify_, detail ? 0 : 1);
        }
        notify_->setEntry(entry_);
    } else {
        if (!button_) {
            button_ = new KestleButton(QString(), false, !detail, this);
            layout_->insertWidget(0, button_, detail ? 0 : 1);
            connect(button_, &QAbstractButton::clicked, this, &EntryControls::act);
        }
        refreshButton();
    }
    if (notify_) {
        notify_->setVisible(coming);
    }
    if (button_) {
        button_->setVisible(!coming);
    }

    // The detail page opens an app with an update without updating it first.
    const bool openBeside = detail && control_ == Control::update;
    if (openBeside && !open_) {
        //: Button beside Update on the detail page: opens the installed app
        open_ = new KestleButton(tr("Open"), false, false, this);
        layout_->insertWidget(1, open_);
        connect(open_, &QAbstractButton::clicked, this, &EntryControls::open);
    }
    if (open_) {
        open_->setVisible(openBeside);
    }

    const QString name = QString::fromStdString(entry_.app.name);
    if (!coming) {
        if (!more_) {
            items_ = new MoreItems(model_, entry_, actions_,
                                   detail ? MoreItems::Variant::detail : MoreItems::Variant::card);
            more_ = new MoreMenu(name, items_, this);
            layout_->addWidget(more_, 0, Qt::AlignVCenter);
        }
        items_->setEntry(entry_);
        more_->setName(name);
    }
    if (more_) {
        more_->setVisible(!coming);
    }

    // In table rows a blank keeps the columns aligned where the menu would be.
    const bool blank = coming && isCompact();
    if (blank && !spacer_) {
        spacer_ = new QWidget(this);
        spacer_->setFixedSize(kMenuSide, kMenuSide);
        layout_->addWidget(spacer_, 0, Qt::AlignVCenter);
    }
    if (spacer_) {
        spacer_->setVisible(blank);
    }
}

void EntryControls::refreshButton() {
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
    // Cards and rows keep Open quiet; on the detail page the main control stands out.
    button_->setProminent(variant_ == Variant::detail || control_ != Control::open);
    // Nothing to download until the feed names a release.
    button_->setEnabled(control_ != Control::install || entry_.latest.has_value());
}

void EntryControls::act() {
    switch (control_) {
    case Control::install:
        model_.queue().install(entry_);
        return;
    case Control::update:
        model_.queue().update(entry_);
        return;
    case Control::open:
        open();
        return;
    case Control::notify:
        return;
    }
}

void EntryControls::open() {
    if (actions_.open) {
        actions_.open(entry_);
    }
}

} // namespace kestle::app
