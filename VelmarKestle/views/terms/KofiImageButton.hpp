#pragma once

#include <QAbstractButton>

namespace kestle::app {

// The tip button: the "KofiButton" artwork at a given height, its aspect ratio kept.
// Fades while pressed and draws the focus ring around the artwork.
class KofiImageButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit KofiImageButton(int height, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestle::app
