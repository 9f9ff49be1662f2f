#include "views/list/AppGrid.hpp"

#include <QVBoxLayout>

#include "views/list/AppCard.hpp"
#include "views/list/LazyRows.hpp"

namespace kestle::app {

namespace {

constexpr int kSpacing = 14;

} // namespace

AppGrid::AppGrid(KestleModel& model, AppActions actions, QWidget* parent)
    : QWidget(parent), model_(model), actions_(std::move(actions)),
      cards_([this](const AppEntry& entry) { return new AppCard(model_, entry, actions_, rows_); }),
      rows_(new LazyRows(
          2, kSpacing, [this](size_t index) { return cards_.at(index); }, this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(rows_);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void AppGrid::setEntries(const std::vector<AppEntry>& entries) {
    cards_.set(entries, *rows_);
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
    return cards_.kept(id);
}

} // namespace kestle::app
