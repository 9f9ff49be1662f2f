#pragma once

#include <QWidget>

class QAbstractButton;

namespace kestle::app {

class KestleModel;

// The toolbar's "View" control: two segments, Grid and Table, bound to the model's
// layout.
class LayoutPicker : public QWidget {
    Q_OBJECT

public:
    explicit LayoutPicker(KestleModel& model, QWidget* parent = nullptr);

    QAbstractButton* gridButton() const { return grid_; }
    QAbstractButton* tableButton() const { return table_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    KestleModel& model_;
    QAbstractButton* grid_;
    QAbstractButton* table_;
};

} // namespace kestle::app
