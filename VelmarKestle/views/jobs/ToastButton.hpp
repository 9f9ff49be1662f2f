#pragma once

#include "views/controls/CapsuleButton.hpp"

namespace kestle::app {

// The button inside a toast: a semibold label on a light capsule of the toast's own
// text colour, faded while pressed. It takes its shape (hit area, size updates) from
// the capsule button and only draws and measures itself differently.
class ToastButton : public CapsuleButton {
    Q_OBJECT

public:
    explicit ToastButton(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestle::app
