#pragma once

#include <QWidget>

namespace kestle::app {

// The logo: the glyph, the Velmar wordmark and the product word, sitting on one
// baseline. One accessible element named after the product.
class KestleLockup : public QWidget {
    Q_OBJECT

public:
    explicit KestleLockup(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestle::app
