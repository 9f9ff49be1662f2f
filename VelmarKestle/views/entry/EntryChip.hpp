#pragma once

#include "apps/AppEntry.hpp"
#include "views/components/StatusChip.hpp"

namespace kestle::app {

class KestleModel;

// The status chip of an entry as the model's queue has it now: it follows every change
// of the queue's states and job kinds by itself.
class EntryChip : public StatusChip {
    Q_OBJECT

public:
    EntryChip(KestleModel& model, AppEntry entry, bool shrinks, QWidget* parent = nullptr);

    void setEntry(AppEntry entry);

private:
    void refresh();

    KestleModel& model_;
};

} // namespace kestle::app
