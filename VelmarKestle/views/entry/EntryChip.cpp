#include "views/entry/EntryChip.hpp"

#include "model/KestleModel.hpp"

namespace kestle::app {

EntryChip::EntryChip(KestleModel& model, AppEntry entry, bool shrinks, QWidget* parent)
    : StatusChip(std::move(entry), std::nullopt, false, shrinks, parent), model_(model) {
    connect(&model_.queueSignals(), &UpdateQueueSignals::statesChanged, this, &EntryChip::refresh);
    connect(&model_.queueSignals(), &UpdateQueueSignals::kindsChanged, this, &EntryChip::refresh);
    refresh();
}

void EntryChip::setEntry(AppEntry entry) {
    const std::string& id = entry.id();
    setState(std::move(entry), model_.queue().state(id),
             model_.queue().kind(id) == JobKind::install);
}

void EntryChip::refresh() {
    setEntry(entry());
}

} // namespace kestle::app
