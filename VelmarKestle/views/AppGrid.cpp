#include "AppGrid.hpp"

#include <QVBoxLayout>

#include "AppCard.hpp"
#include "LazyRows.hpp"

namespace kestle::app {

namespace {

constexpr int kSpacing = 14;

} // namespace

AppGrid::AppGrid(KestleModel& model, AppActions actions, QWidget* parent)
    : QWidget(parent), model_(model), actions_(std::move(actions)),
      rows_(new LazyRows(
          2, kSpacing, [this](size_t index) { return cardFor(index); }, this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(rows_);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void AppGrid::setEntries(const std::vector<AppEntry>& entries) {
    if (entries == entries_) {
        return;
    }
    const bool sameApps = std::ranges::equal(entries, entries_, {}, &AppEntry::id, &AppEntry::id);
    entries_ = entries;
    if (sameApps) {
        // The same apps in the same places: refresh the cards on screen, and the others
        // when they come into view.
        for (size_t index = 0; index < entries_.size(); ++index) {
            if (auto* card = qobject_cast<AppCard*>(rows_->placed(index))) {
                card->setEntry(entries_[index]);
            }
        }
        return;
    }
    rows_->setCount(entries_.size());
}

AppCard* AppGrid::cardFor(size_t index) {
    const AppEntry& entry = entries_[index];
    auto found = cards_.find(entry.id());
    if (found != cards_.end()) {
        found->second->setEntry(entry);
        return found->second;
    }
    auto* card = new AppCard(model_, entry, actions_, rows_);
    cards_.emplace(entry.id(), card);
    return card;
}

int AppGrid::rowCount() const {
    return rows_->rowCount();
}

AppCard* AppGrid::cardAt(int row, int column) const {
    if (row < 0 || column < 0 || column > 1) {
        return nullptr;
    }
    return qobject_cast<AppCard*>(
        rows_->placed(static_cast<size_t>(row) * 2 + static_cast<size_t>(column)));
}

AppCard* AppGrid::card(const std::string& id) const {
    auto found = cards_.find(id);
    return found == cards_.end() ? nullptr : found->second;
}

} // namespace kestle::app
