#pragma once

#include <QAbstractButton>

namespace kestle::app {

// The button inside a toast: a semibold label on a light capsule of the toast's own
// text colour, faded while pressed.
class ToastButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit ToastButton(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void changeEvent(QEvent* event) override;
};

} // namespace kestle::app
