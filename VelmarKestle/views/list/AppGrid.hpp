#pragma once

#include <string>
#include <vector>

#include <QWidget>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"
#include "views/list/LazyEntries.hpp"

namespace kestle::app {

class AppCard;
class KestleModel;
class LazyRows;

// The entries as cards in two columns, in the entries' order; an odd last card keeps
// the left cell. Cards are made when their row first scrolls into view and kept per
// app while the grid lives, so filtering and searching only show, hide and move them.
class AppGrid : public QWidget {
    Q_OBJECT

public:
    AppGrid(KestleModel& model, AppActions actions, QWidget* parent = nullptr);

    void setEntries(const std::vector<AppEntry>& entries);

    int rowCount() const;
    // The card in a cell, or nothing for an empty cell or one not on screen yet.
    AppCard* cardAt(int row, int column) const;
    // The card kept for an app, shown or not; nothing when it was never on screen.
    AppCard* card(const std::string& id) const;

private:
    KestleModel& model_;
    AppActions actions_;
    LazyEntries<AppCard> cards_;
    LazyRows* rows_;
};

} // namespace kestle::app
