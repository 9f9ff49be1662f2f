#pragma once

#include "views/controls/HoverButton.hpp"

namespace kestle::app {

// The application's push button: a rounded rectangle, either prominent (accent fill)
// or quiet (outlined, filled while hovered). With fills it stretches to the width it
// is given, else it hugs its label.
class KestleButton : public HoverButton {
    Q_OBJECT

public:
    explicit KestleButton(const QString& text, bool prominent = false, bool fills = false,
                          QWidget* parent = nullptr);

    bool isProminent() const { return prominent_; }
    void setProminent(bool prominent);
    bool fills() const { return fills_; }
    void setFills(bool fills);
    // A SystemSymbol drawn before the label; empty for none.
    const QString& symbol() const { return symbol_; }
    void setSymbol(const QString& name);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void changeEvent(QEvent* event) override;

private:
    void updatePolicy();

    bool prominent_;
    bool fills_;
    QString symbol_;
};

} // namespace kestle::app
