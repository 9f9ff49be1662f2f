#pragma once

#include <map>
#include <string>
#include <vector>

#include <QWidget>

#include "AppActions.hpp"
#include "AppEntry.hpp"

class QGridLayout;

namespace kestle::app {

class AppCard;
class KestleModel;

// The entries as cards in two columns, in the entries' order; an odd last card keeps
// the left cell. Cards are kept per app while the grid lives, so filtering and
// searching only show, hide and move them.
class AppGrid : public QWidget {
    Q_OBJECT

public:
    AppGrid(KestleModel& model, AppActions actions, QWidget* parent = nullptr);

    void setEntries(const std::vector<AppEntry>& entries);

    int rowCount() const;
    // The card in a cell, or nothing for an empty cell.
    AppCard* cardAt(int row, int column) const;
    AppCard* card(const std::string& id) const;

private:
    KestleModel& model_;
    AppActions actions_;
    QGridLayout* grid_;
    std::map<std::string, AppCard*> cards_;
    std::vector<std::string> order_;
};

} // namespace kestle::app
