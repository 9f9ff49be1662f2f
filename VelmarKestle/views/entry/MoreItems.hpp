#pragma once

#include <QMenu>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"

namespace kestle::app {

class KestleModel;

// The items of an entry's "more" menu. They are rebuilt each time the menu is about
// to show, so they reflect the queue and the entry as they are then.
class MoreItems : public QMenu {
    Q_OBJECT

public:
    enum class Variant {
        card,  // cards and table rows: what's new, finder, site, report, go back, trash
        detail // the detail page, which shows the notes and the report itself
    };

    MoreItems(KestleModel& model, AppEntry entry, AppActions actions, Variant variant,
              QWidget* parent = nullptr);

    void setEntry(AppEntry entry);
    const AppEntry& entry() const { return entry_; }
    Variant variant() const { return variant_; }

    // Replaces the items with the current ones; done before each showing.
    void rebuild();

private:
    void addCardItems();
    void addDetailItems();
    // "Show in Finder" and "Open ⟨host⟩", where they apply.
    void addPlaces();
    // "Go Back to ⟨version⟩…" while the last update's previous copy is kept.
    void addGoBack();
    void addTrash();

    KestleModel& model_;
    AppEntry entry_;
    AppActions actions_;
    Variant variant_;
};

} // namespace kestle::app
