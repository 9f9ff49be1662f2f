#include "views/list/ListHeader.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "platform/PlatformWords.hpp"
#include "views/components/Hairline.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/FilterTabs.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/controls/SearchField.hpp"
#include "views/style/KestleStyle.hpp"

namespace kestle::app {

namespace {

constexpr int kHeaderSpacing = 12;
constexpr int kTitleSpacing = 10;
constexpr int kBlockSpacing = 18;
constexpr qreal kTitleSize = 17;
constexpr qreal kCountSize = 12.5;

} // namespace

ListHeader::ListHeader(KestleModel& model, QWidget* parent)
    : QWidget(parent), model_(model), search_(new SearchField(this)),
      updateAll_(new KestleButton(QString(), true, false, this)),
      count_(new ToneLabel(ToneLabel::Tone::secondary, this)) {
    auto* header = new QHBoxLayout;
    header->setSpacing(kHeaderSpacing);
    header->addWidget(new FilterTabs(model_, this), 0, Qt::AlignVCenter);
    header->addStretch(1);
    header->addWidget(search_, 0, Qt::AlignVCenter);
    header->addWidget(updateAll_, 0, Qt::AlignVCenter);

    auto* title = new QLabel(PlatformWords::text(PlatformWord::appsForComputer), this);
    title->setFont(KestleStyle::font(kTitleSize, QFont::Bold));
    count_->setFont(KestleStyle::font(kCountSize, QFont::Normal));
    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(kTitleSpacing);
    titleRow->addWidget(title, 0, Qt::AlignVCenter);
    titleRow->addWidget(new Hairline(this), 1, Qt::AlignVCenter);
    titleRow->addWidget(count_, 0, Qt::AlignVCenter);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kBlockSpacing);
    column->addLayout(header);
    column->addLayout(titleRow);

    search_->setText(model_.query());
    connect(search_, &SearchField::textChanged, this,
            [this](const QString& text) { model_.setQuery(text); });
    connect(&model_, &KestleModel::queryChanged, this,
            [this] { search_->setText(model_.query()); });
    connect(&model_, &KestleModel::searchRequestChanged, this,
            [this] { search_->setFocused(true); });
    connect(updateAll_, &QAbstractButton::clicked, this,
            [this] { model_.queue().updateAll(model_.entries()); });
    for (auto signal :
         {&KestleModel::entriesChanged, &KestleModel::filterChanged, &KestleModel::queryChanged}) {
        connect(&model_, signal, this, &ListHeader::refreshCount);
        connect(&model_, signal, this, &ListHeader::refreshUpdateAll);
    }
    connect(&model_.queueSignals(), &UpdateQueueSignals::statesChanged, this,
            &ListHeader::refreshUpdateAll);
    refreshUpdateAll();
    refreshCount();
}

QString ListHeader::countText() const {
    return count_->text();
}

void ListHeader::refreshUpdateAll() {
    if (model_.queue().isUpdating()) {
        updateAll_->setText(tr("Updating…"));
        updateAll_->setEnabled(false);
        updateAll_->show();
    } else if (const auto& updatable = model_.updatableEntries(); !updatable.empty()) {
        //: The update-all button: how many apps have an update
        updateAll_->setText(tr("Update All (%1)").arg(updatable.size()));
        updateAll_->setEnabled(true);
        updateAll_->show();
    } else {
        updateAll_->hide();
    }
}

void ListHeader::refreshCount() {
    const auto count = static_cast<qlonglong>(model_.visibleEntries().size());
    //: How many apps the list shows
    count_->setText(tr("%n apps", nullptr, static_cast<int>(count)));
}

} // namespace kestle::app
