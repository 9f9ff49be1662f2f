#pragma once

#include <string>
#include <vector>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"
#include "views/components/SurfacePanel.hpp"
#include "views/list/AppTableRow.hpp"
#include "views/list/LazyEntries.hpp"
#include "views/list/TableColumns.hpp"

class QVBoxLayout;

namespace kestle::app {

class Eyebrow;
class KestleModel;
class LazyRows;
class TableColumnsLayout;

// The entries as a table: a header of column captions and one row per entry, on a
// rounded surface. Rows are kept per app and reused as the list is filtered.
class AppTable : public SurfacePanel {
    Q_OBJECT

public:
    static constexpr double columnSpacing = 14;
    // App, Status, Installed, Latest, Released, Action.
    static std::vector<TableColumns::Width> columns();

    AppTable(KestleModel& model, AppActions actions, QWidget* parent = nullptr);

    // The entries to show, already filtered and ordered.
    void setEntries(const std::vector<AppEntry>& entries);

    int rowCount() const { return static_cast<int>(rows_.entries().size()); }
    // The row at a place in the list, or nothing while it is off screen.
    AppTableRow* row(int index) const;
    // The row kept for an app, shown or not; nothing when it never was.
    AppTableRow* rowFor(const std::string& id) const;

    QWidget* header() const { return header_; }
    TableColumnsLayout* headerColumns() const { return headerColumns_; }
    Eyebrow* headerCell(int column) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    KestleModel& model_;
    AppActions actions_;
    QVBoxLayout* layout_;
    QWidget* header_;
    TableColumnsLayout* headerColumns_;
    std::vector<Eyebrow*> captions_;
    LazyEntries<AppTableRow> rows_;
    LazyRows* lazyRows_;
};

} // namespace kestle::app
