#pragma once

#include <QAbstractButton>
#include <QString>

namespace kestle::app {

// A quiet button on a capsule of the control fill, darker while pressed, with an
// optional bold symbol before its label (the detail page's back button). It hugs its
// label and has no hover look and no disabled dimming of its own.
class CapsuleButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit CapsuleButton(const QString& text, QWidget* parent = nullptr);

    // A SystemSymbol drawn before the label at size points; empty for none.
    const QString& symbol() const { return symbol_; }
    void setSymbol(const QString& name, qreal size);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void changeEvent(QEvent* event) override;

private:
    QString symbol_;
    qreal symbolSize_ = 0;
};

} // namespace kestle::app
