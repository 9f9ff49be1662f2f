#pragma once

#include <QWidget>

class QVariantAnimation;

namespace kestle::app {

// An indeterminate progress indicator: an arc turning around a faint ring. It turns
// only while visible.
class BusyIndicator : public QWidget {
    Q_OBJECT

public:
    explicit BusyIndicator(int size, QWidget* parent = nullptr);

    bool isTurning() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int size_;
    QVariantAnimation* animation_;
    qreal angle_ = 0;
};

} // namespace kestle::app
