#include "views/list/LazyRows.hpp"

#include <algorithm>

#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>

namespace kestle::app {

namespace {

// Before anything was measured: a guess that keeps the first screenful small.
constexpr int kGuessedRowHeight = 60;

} // namespace

LazyRows::LazyRows(int columns, int spacing, Make make, QWidget* parent)
    : QWidget(parent), columns_(std::max(1, columns)), spacing_(spacing), make_(std::move(make)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void LazyRows::setCount(size_t count) {
    for (const QPointer<QWidget>& widget : placed_) {
        if (widget) {
            widget->hide();
        }
    }
    placed_.assign(count, nullptr);
    count_ = count;
    updateGeometry();
    place();
}

int LazyRows::rowCount() const {
    return static_cast<int>((count_ + static_cast<size_t>(columns_) - 1) /
                            static_cast<size_t>(columns_));
}

QWidget* LazyRows::placed(size_t index) const {
    return index < placed_.size() ? placed_[index].data() : nullptr;
}

QSize LazyRows::sizeHint() const {
    const int rows = rowCount();
    const int height = rows == 0 ? 0
                                 : rows * (rowHeight_ > 0 ? rowHeight_ : kGuessedRowHeight) +
                                       (rows - 1) * spacing_;
    return {0, height};
}

QSize LazyRows::minimumSizeHint() const {
    return sizeHint();
}

void LazyRows::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    watchScrollArea();
    place();
}

void LazyRows::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

bool LazyRows::event(QEvent* event) {
    // A placed item asks for more room (a job's row took its place, a text grew): rows
    // are measured again.
    if (event->type() == QEvent::LayoutRequest) {
        place();
    }
    return QWidget::event(event);
}

bool LazyRows::eventFilter(QObject* watched, QEvent* event) {
    if (viewport_ && watched == viewport_ && event->type() == QEvent::Resize) {
        place();
    }
    return QWidget::eventFilter(watched, event);
}

void LazyRows::watchScrollArea() {
    if (viewport_) {
        return;
    }
    for (QWidget* ancestor = parentWidget(); ancestor != nullptr;
         ancestor = ancestor->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(ancestor)) {
            // Only the viewport is kept: while the scroll area is being destroyed its
            // children still send events, and it is no longer a QScrollArea by then.
            viewport_ = area->viewport();
            connect(area->verticalScrollBar(), &QScrollBar::valueChanged, this, &LazyRows::place);
            area->viewport()->installEventFilter(this);
            return;
        }
    }
}

std::pair<int, int> LazyRows::visibleRows() const {
    const int rows = rowCount();
    if (!viewport_) {
        return {0, rows};
    }
    const int pitch = (rowHeight_ > 0 ? rowHeight_ : kGuessedRowHeight) + spacing_;
    QWidget* viewport = viewport_;
    const int top = mapFrom(viewport, QPoint(0, 0)).y();
    const int screen = viewport->height();
    // A quarter of a screenful above and below, so a short scroll finds its rows ready.
    const int first = std::max(0, (top - screen / 4) / pitch);
    const int last = std::min(rows, (top + screen + screen / 4) / pitch + 1);
    return {first, std::max(first, last)};
}

void LazyRows::place() {
    if (placing_ || count_ == 0) {
        return;
    }
    watchScrollArea();
    // In a scroll area, what is hidden needs nothing yet; standing alone, every row shows.
    if (viewport_ && !isVisible()) {
        return;
    }
    placing_ = true;
    if (rowHeight_ == 0) {
        // One item tells the height of all, before deciding how many rows fit.
        if (QWidget* widget = make_(0)) {
            widget->setParent(this);
            const int width = std::max(0, (this->width() - (columns_ - 1) * spacing_) / columns_);
            rowHeight_ = std::max(widget->hasHeightForWidth() ? widget->heightForWidth(width)
                                                              : widget->sizeHint().height(),
                                  widget->minimumHeight());
            updateGeometry();
        }
    }
    const auto [first, last] = visibleRows();
    const int columnWidth = std::max(0, (width() - (columns_ - 1) * spacing_) / columns_);
    // Measured afresh each time: a first pass at a width not yet laid out, or a tall
    // job row that has gone, must not keep the rows tall.
    int measured = 0;
    for (size_t index = 0; index < count_; ++index) {
        const int row = static_cast<int>(index / static_cast<size_t>(columns_));
        if (row < first || row >= last) {
            if (placed_[index]) {
                placed_[index]->hide();
                placed_[index] = nullptr;
            }
            continue;
        }
        QWidget* widget = make_(index);
        if (widget == nullptr) {
            continue;
        }
        if (widget->parentWidget() != this) {
            widget->setParent(this);
        }
        placed_[index] = widget;
        const int itemHeight = widget->hasHeightForWidth() ? widget->heightForWidth(columnWidth)
                                                           : widget->sizeHint().height();
        measured = std::max({measured, itemHeight, widget->minimumHeight()});
    }
    const bool changed = measured > 0 && measured != rowHeight_;
    if (measured > 0) {
        rowHeight_ = measured;
    }
    const int pitch = rowHeight_ + spacing_;
    for (size_t index = 0; index < count_; ++index) {
        if (QWidget* widget = placed_[index]) {
            const int row = static_cast<int>(index / static_cast<size_t>(columns_));
            const int column = static_cast<int>(index % static_cast<size_t>(columns_));
            const int x = layoutDirection() == Qt::RightToLeft
                              ? width() - (column + 1) * columnWidth - column * spacing_
                              : column * (columnWidth + spacing_);
            widget->setGeometry(x, row * pitch, columnWidth, rowHeight_);
            widget->show();
        }
    }
    placing_ = false;
    if (changed) {
        // Rows further down move with the new height; the scroll range follows. Once:
        // rows of other heights coming into view must not make it swing back and forth.
        updateGeometry();
        if (!replacing_) {
            replacing_ = true;
            place();
            replacing_ = false;
        }
    }
}

} // namespace kestle::app
