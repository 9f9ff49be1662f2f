#pragma once

#include "views/controls/HoverButton.hpp"

namespace kestle::app {

// A plain icon button: a symbol in a 32 x 32 frame that shows a quiet rounded fill
// with an outline only while the pointer is over it. The caller connects clicked and
// sets the tooltip and accessible name.
class SquareButton : public HoverButton {
    Q_OBJECT

public:
    // systemImage names a SystemSymbol; size is the symbol's size in points.
    SquareButton(const QString& systemImage, qreal size, QWidget* parent = nullptr);

    const QString& systemImage() const { return systemImage_; }
    qreal symbolSize() const { return size_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString systemImage_;
    qreal size_;
};

} // namespace kestle::app
