#include "views/list/TableColumnsLayout.hpp"

#include <algorithm>
#include <cmath>

#include <QStyle>
#include <QWidget>
#include <QWidgetItem>

namespace kestle::app {

TableColumnsLayout::TableColumnsLayout(std::vector<TableColumns::Width> columns, double spacing,
                                       QWidget* parent)
    : QLayout(parent), columns_(std::move(columns)), spacing_(spacing) {
    setContentsMargins(0, 0, 0, 0);
}

TableColumnsLayout::~TableColumnsLayout() {
    qDeleteAll(items_);
}

std::vector<double> TableColumnsLayout::columnWidths() const {
    return TableColumns::widths(columns_, spacing_, contentsRect().width());
}

void TableColumnsLayout::addCell(QWidget* widget, Qt::Alignment alignment) {
    addChildWidget(widget);
    auto* item = new QWidgetItemV2(widget);
    item->setAlignment(alignment);
    addItem(item);
}

void TableColumnsLayout::addItem(QLayoutItem* item) {
    items_.append(item);
    invalidate();
}

int TableColumnsLayout::count() const {
    return static_cast<int>(items_.size());
}

QLayoutItem* TableColumnsLayout::itemAt(int index) const {
    return items_.value(index);
}

QLayoutItem* TableColumnsLayout::takeAt(int index) {
    if (index < 0 || index >= items_.size()) {
        return nullptr;
    }
    QLayoutItem* item = items_.takeAt(index);
    invalidate();
    return item;
}

Qt::Orientations TableColumnsLayout::expandingDirections() const {
    return Qt::Horizontal;
}

bool TableColumnsLayout::hasHeightForWidth() const {
    return std::any_of(items_.begin(), items_.end(),
                       [](const QLayoutItem* item) { return item->hasHeightForWidth(); });
}

int TableColumnsLayout::heightForWidth(int width) const {
    QMargins margins = contentsMargins();
    return contentHeight(width - margins.left() - margins.right()) + margins.top() +
           margins.bottom();
}

QSize TableColumnsLayout::sizeHint() const {
    QMargins margins = contentsMargins();
    return {static_cast<int>(TableColumns::openWidth) + margins.left() + margins.right(),
            contentHeight(TableColumns::openWidth) + margins.top() + margins.bottom()};
}

QSize TableColumnsLayout::minimumSize() const {
    // Any width will do: narrower than the fixed columns, the share columns vanish and
    // the rest runs past the edge, as the rule says.
    return {0, sizeHint().height()};
}

int TableColumnsLayout::cellWidth(const QLayoutItem* item, double column) {
    const int available = static_cast<int>(std::floor(column + 0.5));
    // Qt drops the expansion of aligned items; here alignment only places what is
    // narrower than its column, so an expanding cell still takes the whole column.
    const Qt::Orientations expanding = item->widget()
                                           ? item->widget()->sizePolicy().expandingDirections()
                                           : item->expandingDirections();
    int width =
        expanding & Qt::Horizontal ? available : std::min(available, item->sizeHint().width());
    return std::clamp(width, 0, std::max(0, std::min(available, item->maximumSize().width())));
}

int TableColumnsLayout::cellHeight(const QLayoutItem* item, int width) {
    int height =
        item->hasHeightForWidth() ? item->heightForWidth(width) : item->sizeHint().height();
    return std::clamp(height, item->minimumSize().height(),
                      std::max(item->minimumSize().height(), item->maximumSize().height()));
}

int TableColumnsLayout::contentHeight(double width) const {
    const std::vector<double> widths = TableColumns::widths(columns_, spacing_, width);
    int height = 0;
    for (size_t i = 0; i < widths.size() && i < static_cast<size_t>(items_.size()); ++i) {
        const QLayoutItem* item = items_[static_cast<qsizetype>(i)];
        if (!item->isEmpty()) {
            height = std::max(height, cellHeight(item, cellWidth(item, widths[i])));
        }
    }
    return height;
}

void TableColumnsLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QRect inner = contentsRect();
    const std::vector<double> widths = TableColumns::widths(columns_, spacing_, inner.width());
    const Qt::LayoutDirection direction =
        parentWidget() ? parentWidget()->layoutDirection() : Qt::LeftToRight;
    const double middle = inner.top() + inner.height() / 2.0;
    double x = inner.left();
    for (size_t i = 0; i < widths.size() && i < static_cast<size_t>(items_.size()); ++i) {
        QLayoutItem* item = items_[static_cast<qsizetype>(i)];
        const int left = static_cast<int>(std::lround(x));
        const int columnWidth = static_cast<int>(std::lround(x + widths[i])) - left;
        x += widths[i] + spacing_;
        if (item->isEmpty()) {
            continue;
        }
        const int width = cellWidth(item, columnWidth);
        const int height = cellHeight(item, width);
        const bool trailing = (item->alignment() & (Qt::AlignTrailing | Qt::AlignRight)) != 0;
        QRect cell(trailing ? left + columnWidth - width : left,
                   static_cast<int>(std::lround(middle - height / 2.0)), width, height);
        item->setGeometry(QStyle::visualRect(direction, inner, cell));
    }
}

} // namespace kestle::app
