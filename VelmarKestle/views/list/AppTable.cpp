#include "views/list/AppTable.hpp"

#include <set>

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "views/components/AppIconView.hpp"
#include "views/components/Eyebrow.hpp"
#include "views/components/StatusChip.hpp"
#include "views/controls/AppIconButton.hpp"
#include "views/controls/NameButton.hpp"
#include "views/entry/EntryActions.hpp"
#include "views/entry/EntryText.hpp"
#include "views/list/LazyRows.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/LocaleFormat.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kPadX = 16;
constexpr int kRowHeight = 66;
constexpr int kHeaderHeight = 40;
constexpr int kSeparator = 1;
constexpr qreal kIconSize = 38;
constexpr int kIconSpacing = 12;
constexpr qreal kNameSize = 14;
constexpr qreal kTaglineSize = 12;
constexpr qreal kCellTextSize = 13;
constexpr int kColumnCount = 6;

const QString kDash = QStringLiteral("—");

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TableText::TableText(qreal size, Tone tone, QWidget* parent)
    : QWidget(parent), size_(size), tone_(tone) {
    setFont(KestleStyle::font(size_, QFont::Normal));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TableText::setText(const QString& text) {
    if (text_ != text) {
        text_ = text;
        setAccessibleName(text);
        updateGeometry();
        update();
    }
}

void TableText::setTone(Tone tone) {
    if (tone_ != tone) {
        tone_ = tone;
        update();
    }
}

void TableText::setBold(bool bold) {
    if (isBold() != bold) {
        setFont(KestleStyle::font(size_, bold ? QFont::Bold : QFont::Normal));
        updateGeometry();
        update();
    }
}

QColor TableText::color() const {
    switch (tone_) {
    case Tone::secondary:
        return KestleStyle::secondaryText(palette());
    case Tone::update:
        return VelmarTheme::color(VelmarTheme::Color::update, palette());
    case Tone::primary:
        break;
    }
    return KestleStyle::primaryText(palette());
}

QSize TableText::sizeHint() const {
    return {KestleStyle::textWidth(font(), text_), fontMetrics().height()};
}

QSize TableText::minimumSizeHint() const {
    return {0, fontMetrics().height()};
}

void TableText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(color());
    KestleStyle::drawLine(painter, rect(), text_, Qt::AlignLeading | Qt::AlignVCenter);
}

AppTableRow::AppTableRow(KestleModel& model, AppEntry entry, AppActions actions, QWidget* parent)
    : QWidget(parent), model_(model), entry_(std::move(entry)),
      columns_(new TableColumnsLayout(AppTable::columns(), AppTable::columnSpacing, this)),
      appCell_(new QWidget(this)),
      icon_(new AppIconView(entry_, EntryText::catalogIcon(model_, entry_), kIconSize)),
      name_(new NameButton(qs(entry_.app.name), kNameSize)),
      tagline_(new TableText(kTaglineSize, TableText::Tone::secondary)),
      chip_(new StatusChip(entry_, std::nullopt, false, true, this)),
      installed_(new TableText(kCellTextSize, TableText::Tone::primary, this)),
      latest_(new TableText(kCellTextSize, TableText::Tone::primary, this)),
      released_(new TableText(kCellTextSize, TableText::Tone::secondary, this)),
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

    columns_->setContentsMargins(kPadX, kSeparator, kPadX, 0);
    columns_->addCell(appCell_);
    columns_->addCell(chip_);
    columns_->addCell(installed_);
    columns_->addCell(latest_);
    columns_->addCell(released_);
    // The controls fill the column like the card's; what does not fill ends at its
    // trailing edge.
    actions_->setSizePolicy(QSizePolicy::Expanding, actions_->sizePolicy().verticalPolicy());
    columns_->addCell(actions_, Qt::AlignTrailing);
    setMinimumHeight(kRowHeight + kSeparator);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    connect(iconButton_, &QAbstractButton::clicked, this, &AppTableRow::openDetail);
    connect(name_, &QAbstractButton::clicked, this, &AppTableRow::openDetail);
    connect(&model_.queueSignals(), &UpdateQueueSignals::statesChanged, this,
            &AppTableRow::refreshChip);
    connect(&model_.queueSignals(), &UpdateQueueSignals::kindsChanged, this,
            &AppTableRow::refreshChip);
    refreshTexts();
    refreshChip();
}

void AppTableRow::setEntry(AppEntry entry) {
    if (entry_ == entry) {
        return;
    }
    entry_ = std::move(entry);
    icon_->setIcon(entry_, EntryText::catalogIcon(model_, entry_));
    actions_->setEntry(entry_);
    refreshTexts();
    refreshChip();
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
    painter.fillRect(QRect(0, 0, width(), kSeparator), SurfacePanel::separatorColor(palette()));
}

void AppTableRow::refreshChip() {
    const std::string& id = entry_.id();
    chip_->setState(entry_, model_.queue().state(id), model_.queue().kind(id) == JobKind::install);
}

void AppTableRow::refreshTexts() {
    const QString name = qs(entry_.app.name);
    name_->setName(name);
    //: Accessibility label of an app's icon in the table and on cards
    iconButton_->setAccessibleName(tr("Open the Page of %1").arg(name));
    tagline_->setText(qs(entry_.app.tagline.text(model_.language())));
    installed_->setText(entry_.installed ? qs(entry_.installed->version) : kDash);
    latest_->setText(entry_.latest ? qs(entry_.latest->version) : kDash);
    const bool update = entry_.status() == AppEntry::Status::updateAvailable;
    latest_->setBold(update);
    latest_->setTone(update ? TableText::Tone::update : TableText::Tone::primary);
    released_->setText(releaseText(entry_));
}

void AppTableRow::openDetail() {
    model_.setDetail(entry_.id());
}

std::vector<TableColumns::Width> AppTable::columns() {
    using W = TableColumns::Width;
    return {W::share(2.3), W::share(1.7), W::fixed(76), W::fixed(76), W::fixed(104), W::fixed(262)};
}

AppTable::AppTable(KestleModel& model, AppActions actions, QWidget* parent)
    : SurfacePanel(parent), model_(model), actions_(std::move(actions)),
      layout_(new QVBoxLayout(this)), header_(new QWidget(this)),
      headerColumns_(new TableColumnsLayout(columns(), columnSpacing, header_)),
      rows_([this](const AppEntry& entry) {
          return new AppTableRow(model_, entry, actions_, lazyRows_);
      }),
      lazyRows_(new LazyRows(
          1, 0, [this](size_t index) { return rows_.at(index); }, this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    headerColumns_->setContentsMargins(kPadX, 0, kPadX, 0);
    for (int i = 0; i < kColumnCount; ++i) {
        auto* caption = new Eyebrow({}, header_);
        headerColumns_->addCell(caption);
        captions_.push_back(caption);
    }
    header_->setMinimumHeight(kHeaderHeight);
    header_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout_->addWidget(header_);
    layout_->addWidget(lazyRows_);
    retranslate();
}

void AppTable::setEntries(const std::vector<AppEntry>& entries) {
    // Typing in the search field filters on every key: rows stay, only those on
    // screen are placed.
    rows_.set(entries, *lazyRows_);
}

AppTableRow* AppTable::row(int index) const {
    return index >= 0 ? qobject_cast<AppTableRow*>(lazyRows_->placed(static_cast<size_t>(index)))
                      : nullptr;
}

AppTableRow* AppTable::rowFor(const std::string& id) const {
    return rows_.kept(id);
}

Eyebrow* AppTable::headerCell(int column) const {
    return column >= 0 && column < kColumnCount ? captions_[static_cast<size_t>(column)] : nullptr;
}

void AppTable::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    SurfacePanel::changeEvent(event);
}

void AppTable::retranslate() {
    const QString titles[kColumnCount] = {
        //: Column of the table: icon, name and tagline
        tr("App"),
        //: Column of the table
        tr("Status"),
        //: Column of the table: the installed version
        tr("Installed"),
        //: Column of the table: the latest released version
        tr("Latest"),
        //: Column of the table: the release date
        tr("Released"),
        //: Column of the table: the app's controls
        tr("Action"),
    };
    for (int i = 0; i < kColumnCount; ++i) {
        captions_[static_cast<size_t>(i)]->setText(titles[i]);
    }
    header_->setAccessibleName(QStringList(std::begin(titles), std::end(titles)).join(u", "));
}

} // namespace kestle::app
