#pragma once

#include <functional>
#include <vector>

#include <QPointer>
#include <QWidget>

namespace kestle::app {

// Items in rows of one height, `columns` side by side, inside a scroll area. Only the
// rows near the visible part get widgets; the rest is empty space of the right height,
// so a list of hundreds costs about what a screenful costs. The owner keeps the item
// widgets (make returns the one for an index, made or refreshed); rows that scroll away
// are hidden, not destroyed. Outside a scroll area every row is visible.
class LazyRows : public QWidget {
    Q_OBJECT

public:
    using Make = std::function<QWidget*(size_t index)>;

    LazyRows(int columns, int spacing, Make make, QWidget* parent = nullptr);

    // The items changed: count of them, in the owner's order.
    void setCount(size_t count);
    size_t count() const { return count_; }
    int rowCount() const;
    int rowHeight() const { return rowHeight_; }
    // The widget placed for an index, or nothing while its row is off screen.
    QWidget* placed(size_t index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchScrollArea();
    void place();
    // The rows that intersect the visible part, with a screenful of margin.
    std::pair<int, int> visibleRows() const;

    int columns_;
    int spacing_;
    Make make_;
    size_t count_ = 0;
    int rowHeight_ = 0;
    std::vector<QPointer<QWidget>> placed_; // by index
    QPointer<QWidget> viewport_;            // of the enclosing scroll area
    bool placing_ = false;
    bool replacing_ = false;
};

} // namespace kestle::app
