#pragma once

#include <vector>

#include <QLayout>
#include <QList>

#include "views/list/TableColumns.hpp"

namespace kestle::app {

// Places its items one per column by the TableColumns rule: each at its column's
// leading edge (or trailing edge when the item is aligned so), vertically centred, as
// wide as it wants up to the column width. Items beyond the columns are not placed.
class TableColumnsLayout : public QLayout {
    Q_OBJECT

public:
    TableColumnsLayout(std::vector<TableColumns::Width> columns, double spacing,
                       QWidget* parent = nullptr);
    ~TableColumnsLayout() override;

    const std::vector<TableColumns::Width>& columns() const { return columns_; }
    double columnSpacing() const { return spacing_; }
    // The column widths for the current geometry, inside the margins.
    std::vector<double> columnWidths() const;

    // A cell; alignment Qt::AlignTrailing puts it at its column's trailing edge.
    void addCell(QWidget* widget, Qt::Alignment alignment = {});

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    // The width a cell takes in a column of that width.
    static int cellWidth(const QLayoutItem* item, double column);
    static int cellHeight(const QLayoutItem* item, int width);
    // The tallest cell for the column widths of an inner width.
    int contentHeight(double width) const;

    std::vector<TableColumns::Width> columns_;
    double spacing_;
    QList<QLayoutItem*> items_;
};

} // namespace kestle::app
