#include <vector>

#include <QWidget>

#include <gtest/gtest.h>

#include "views/list/AppTable.hpp"
#include "views/list/TableColumns.hpp"
#include "views/list/TableColumnsLayout.hpp"

using kestle::app::AppTable;
using kestle::app::TableColumns;
using kestle::app::TableColumnsLayout;
using Width = TableColumns::Width;

namespace {

// A cell that asks for a set size, optionally taking its whole column.
class Cell : public QWidget {
public:
    Cell(QSize hint, bool expands = false) : hint_(hint) {
        setSizePolicy(expands ? QSizePolicy::Expanding : QSizePolicy::Preferred,
                      QSizePolicy::Preferred);
    }
    QSize sizeHint() const override { return hint_; }

private:
    QSize hint_;
};

void expectWidths(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-9) << "column " << i;
    }
}

} // namespace

TEST(TableColumns, WidthsShareWhatTheFixedColumnsAndSpacingLeave) {
    struct Case {
        const char* fault;
        std::vector<Width> columns;
        double spacing;
        double total;
        std::vector<double> widths;
    };
    const Case cases[] = {
        {"the table's columns at the open width",
         AppTable::columns(),
         14,
         900,
         {179.4, 132.6, 76, 76, 104, 262}},
        {"exactly the fixed columns and spacing leave nothing to share",
         AppTable::columns(),
         14,
         588,
         {0, 0, 76, 76, 104, 262}},
        {"too narrow: shares are zero, never negative; fixed columns keep their width",
         AppTable::columns(),
         14,
         400,
         {0, 0, 76, 76, 104, 262}},
        {"spacing is counted between columns only",
         {Width::share(1), Width::share(3)},
         10,
         110,
         {25, 75}},
        {"one column has no spacing", {Width::share(2)}, 50, 80, {80}},
        {"weights adding to nothing share nothing",
         {Width::share(0), Width::fixed(20)},
         0,
         100,
         {0, 20}},
        {"no columns give no widths", {}, 14, 900, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        expectWidths(TableColumns::widths(c.columns, c.spacing, c.total), c.widths);
    }
}

TEST(TableColumns, LayoutMeasuresOpenWidthAndTallestCellAndPlacesByTheRule) {
    QWidget row;
    auto* layout = new TableColumnsLayout(
        {Width::share(1), Width::share(1), Width::fixed(100), Width::fixed(60)}, 10, &row);
    auto* narrow = new Cell({50, 20});
    auto* wide = new Cell({800, 30});
    auto* expanding = new Cell({10, 10}, true);
    auto* trailing = new Cell({40, 44});
    auto* extra = new Cell({500, 300});
    layout->addCell(narrow);
    layout->addCell(wide);
    layout->addCell(expanding);
    layout->addCell(trailing, Qt::AlignTrailing);
    layout->addCell(extra);

    // Nothing proposed: 900 wide, as tall as the tallest cell in a column; the extra
    // cell beyond the columns counts for nothing.
    EXPECT_EQ(layout->sizeHint(), QSize(900, 44));

    extra->setGeometry(1, 2, 3, 4);
    row.resize(500, 100);
    layout->setGeometry(QRect(0, 0, 500, 100));
    // free = 500 - 160 - 30 = 310: the share columns are 155 wide each.
    EXPECT_EQ(narrow->geometry(), QRect(0, 40, 50, 20)) << "leading edge, vertically centred";
    EXPECT_EQ(wide->geometry(), QRect(165, 35, 155, 30)) << "cut to its column";
    EXPECT_EQ(expanding->geometry(), QRect(330, 45, 100, 10)) << "an expanding cell fills";
    EXPECT_EQ(trailing->geometry(), QRect(500 - 40, 28, 40, 44)) << "trailing at the column end";
    EXPECT_EQ(extra->geometry(), QRect(1, 2, 3, 4)) << "beyond the columns: left alone";

    // Narrower than the fixed columns: the shares vanish and the fixed ones keep
    // their place one after the other.
    layout->setGeometry(QRect(0, 0, 100, 100));
    EXPECT_EQ(narrow->width(), 0);
    EXPECT_EQ(wide->width(), 0);
    EXPECT_EQ(expanding->geometry(), QRect(20, 45, 100, 10));
    EXPECT_EQ(trailing->geometry(), QRect(130 + 60 - 40, 28, 40, 44));
}

TEST(TableColumns, MarginsAreOutsideTheColumns) {
    QWidget row;
    auto* layout = new TableColumnsLayout({Width::share(1), Width::fixed(30)}, 0, &row);
    layout->setContentsMargins(16, 1, 16, 0);
    auto* first = new Cell({10, 10}, true);
    auto* second = new Cell({10, 10}, true);
    layout->addCell(first);
    layout->addCell(second);
    EXPECT_EQ(layout->sizeHint(), QSize(932, 11));
    layout->setGeometry(QRect(0, 0, 132, 41));
    expectWidths(layout->columnWidths(), {70, 30});
    EXPECT_EQ(first->geometry(), QRect(16, 16, 70, 10));
    EXPECT_EQ(second->geometry(), QRect(86, 16, 30, 10));
}
