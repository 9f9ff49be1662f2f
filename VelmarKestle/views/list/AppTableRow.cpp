#include "views/list/AppTableRow.hpp"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "views/components/AppIconView.hpp"
#include "views/components/Hairline.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/AppIconButton.hpp"
#include "views/controls/NameButton.hpp"
#include "views/entry/EntryActions.hpp"
#include "views/entry/EntryChip.hpp"
#include "views/entry/EntryText.hpp"
#include "views/list/AppTable.hpp"
#include "views/list/TableColumnsLayout.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/LocaleFormat.hpp"

namespace kestle::app {

namespace {

constexpr int kPadX = 16;
constexpr int kRowHeight = 66;
constexpr qreal kIconSize = 38;
constexpr int kIconSpacing = 12;
constexpr qreal kNameSize = 14;
constexpr qreal kTaglineSize = 12;
constexpr qreal kCellTextSize = 13;
constexpr qreal kNewerTextSize = 11;

const QString kDash = QStringLiteral("—");

// One line of a cell, cut short with an ellipsis when its column is too narrow.
ToneLabel* tableText(qreal size, ToneLabel::Tone tone, QWidget* parent = nullptr) {
    auto* text = new ToneLabel(tone, parent);
    text->setFont(KestleStyle::font(size, QFont::Normal));
    text->setTextFormat(Qt::PlainText);
    text->setElideMode(Qt::ElideRight);
    text->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return text;
}

} // namespace

AppTableRow::AppTableRow(KestleModel& model, AppEntry entry, AppActions actions, QWidget* parent)
    : QWidget(parent), model_(model), entry_(std::move(entry)),
      columns_(new TableColumnsLayout(AppTable::columns(), AppTable::columnSpacing, this)),
      appCell_(new QWidget(this)),
      icon_(new AppIconView(entry_, EntryText::catalogIcon(model_, entry_), kIconSize)),
      name_(new NameButton(QString::fromStdString(entry_.app.name), kNameSize)),
      tagline_(tableText(kTaglineSize, ToneLabel::Tone::secondary)),
      chip_(new EntryChip(model_, entry_, true, this)),
      installed_(tableText(kCellTextSize, ToneLabel::Tone::primary, this)),
      latestCell_(new QWidget(this)),
      latest_(tableText(kCellTextSize, ToneLabel::Tone::primary, latestCell_)),
      newer_(new ToneLabel(ToneLabel::Tone::secondary, latestCell_)),
      released_(tableText(kCellTextSize, ToneLabel::Tone::secondary, this)),
      actions_(new EntryActions(model_, entry_, std::move(actions), true, this)) {
    iconButton_ = new AppIconButton(icon_, appCell_);
    auto* names = new QVBoxLayout;
    names->setContentsMargins(0, 0, 0, 0);
    names->setSpacing(0);
    names->addWidget(name_, 0, Qt::AlignLeading);
    names->addWidget(tagline_);
    auto* app = new QHBoxLayout(appCell_);
    app->setContentsMargins(0, 0, 0, 0);
    app->setSpacing(kIconSpacing);
    app->addWidget(iconButton_, 0, Qt::AlignVCenter);
    app->addLayout(names, 1);

    // The count wraps rather than being cut: the column is narrow.
    newer_->setFont(KestleStyle::font(kNewerTextSize, QFont::Normal));
    newer_->setTextFormat(Qt::PlainText);
    newer_->setWordWrap(true);
    auto* latest = new QVBoxLayout(latestCell_);
    latest->setContentsMargins(0, 0, 0, 0);
    latest->setSpacing(0);
    latest->addWidget(latest_);
    latest->addWidget(newer_);
    latestCell_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    columns_->setContentsMargins(kPadX, Hairline::thickness, kPadX, 0);
    columns_->addCell(appCell_);
    columns_->addCell(chip_);
    columns_->addCell(installed_);
    columns_->addCell(latestCell_);
    columns_->addCell(released_);
    // The controls fill the column like the card's; what does not fill ends at its
    // trailing edge.
    actions_->setSizePolicy(QSizePolicy::Expanding, actions_->sizePolicy().verticalPolicy());
    columns_->addCell(actions_, Qt::AlignTrailing);
    setMinimumHeight(kRowHeight + Hairline::thickness);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    connect(iconButton_, &QAbstractButton::clicked, this, &AppTableRow::openDetail);
    connect(name_, &QAbstractButton::clicked, this, &AppTableRow::openDetail);
    refreshTexts();
}

void AppTableRow::setEntry(AppEntry entry) {
    if (entry_ == entry) {
        return;
    }
    entry_ = std::move(entry);
    icon_->setIcon(entry_, EntryText::catalogIcon(model_, entry_));
    actions_->setEntry(entry_);
    refreshTexts();
    chip_->setEntry(entry_);
}

QWidget* AppTableRow::cell(int column) const {
    QLayoutItem* item = columns_->itemAt(column);
    return item ? item->widget() : nullptr;
}

QString AppTableRow::releaseText(const AppEntry& entry) {
    if (entry.latest && entry.latest->date) {
        return LocaleFormat::releaseDate(*entry.latest->date);
    }
    if (entry.status() == AppEntry::Status::coming) {
        //: Released column of the table: a coming app without a date
        return tr("To Be Announced");
    }
    return kDash;
}

void AppTableRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Hairline::paint(painter, QRect(0, 0, width(), Hairline::thickness), palette());
}

void AppTableRow::refreshTexts() {
    const QString name = QString::fromStdString(entry_.app.name);
    name_->setName(name);
    //: Accessibility label of an app's icon in the table and on cards
    iconButton_->setAccessibleName(tr("Open the Page of %1").arg(name));
    tagline_->setText(QString::fromStdString(entry_.app.tagline.text(model_.language())));
    installed_->setText(entry_.installed ? QString::fromStdString(entry_.installed->version)
                                         : kDash);
    latest_->setText(entry_.latest ? QString::fromStdString(entry_.latest->version) : kDash);
    const bool update = entry_.status() == AppEntry::Status::updateAvailable;
    latest_->setBold(update);
    latest_->setTone(update ? ToneLabel::Tone::update : ToneLabel::Tone::primary);
    newer_->setText(EntryText::versionsNewer(entry_));
    newer_->setVisible(!newer_->text().isEmpty());
    released_->setText(releaseText(entry_));
}

void AppTableRow::openDetail() {
    model_.setDetail(entry_.id());
}

} // namespace kestle::app
