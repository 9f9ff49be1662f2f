#pragma once

#include <QAbstractButton>

namespace kestle::app {

// A quiet button on a capsule of the control fill, darker while pressed. It hugs its
// label and has no hover look and no disabled dimming of its own.
class CapsuleButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit CapsuleButton(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void changeEvent(QEvent* event) override;
};

} // namespace kestle::app
