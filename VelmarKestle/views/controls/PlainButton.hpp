#pragma once

#include <QAbstractButton>
#include <QFont>
#include <QString>

namespace kestle::app {

// A borderless text button in the accent colour, like a link in running text, with an
// optional symbol after its label. Fades while pressed.
class PlainButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit PlainButton(const QString& text, const QFont& font, QWidget* parent = nullptr);

    // A SystemSymbol drawn after the label at size points; empty for none.
    const QString& symbol() const { return symbol_; }
    void setSymbol(const QString& name, qreal size);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    qreal symbolSize_ = 0;
};

} // namespace kestle::app
