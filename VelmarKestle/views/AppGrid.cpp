#include "AppGrid.hpp"

#include <QGridLayout>

#include "AppCard.hpp"

namespace kestle::app {

namespace {

constexpr int kSpacing = 14;

} // namespace

AppGrid::AppGrid(KestleModel& model, AppActions actions, QWidget* parent)
    : QWidget(parent), model_(model), actions_(std::move(actions)), grid_(new QGridLayout(this)) {
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setHorizontalSpacing(kSpacing);
    grid_->setVerticalSpacing(kSpacing);
    grid_->setColumnStretch(0, 1);
    grid_->setColumnStretch(1, 1);
    grid_->setAlignment(Qt::AlignTop);
}

void AppGrid::setEntries(const std::vector<AppEntry>& entries) {
    std::vector<std::string> order;
    order.reserve(entries.size());
    for (const AppEntry& entry : entries) {
        order.push_back(entry.id());
    }
    // Cards of apps that left the list stay, hidden, for when they come back.
    const bool sameOrder = order == order_;
    if (!sameOrder) {
        while (QLayoutItem* item = grid_->takeAt(0)) {
            delete item;
        }
        for (auto& [id, card] : cards_) {
            card->hide();
        }
    }
    for (size_t index = 0; index < entries.size(); ++index) {
        const AppEntry& entry = entries[index];
        auto found = cards_.find(entry.id());
        AppCard* card = nullptr;
        if (found == cards_.end()) {
            card = new AppCard(model_, entry, actions_, this);
            cards_.emplace(entry.id(), card);
        } else {
            card = found->second;
            card->setEntry(entry);
        }
        if (!sameOrder) {
            grid_->addWidget(card, static_cast<int>(index / 2), static_cast<int>(index % 2));
            card->show();
        }
    }
    order_ = std::move(order);
}

int AppGrid::rowCount() const {
    return static_cast<int>((order_.size() + 1) / 2);
}

AppCard* AppGrid::cardAt(int row, int column) const {
    const size_t index = static_cast<size_t>(row) * 2 + static_cast<size_t>(column);
    if (row < 0 || column < 0 || column > 1 || index >= order_.size()) {
        return nullptr;
    }
    return card(order_[index]);
}

AppCard* AppGrid::card(const std::string& id) const {
    auto found = cards_.find(id);
    return found == cards_.end() ? nullptr : found->second;
}

} // namespace kestle::app
