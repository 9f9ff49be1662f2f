#pragma once

#include <QAbstractButton>

namespace kestle::app {

// A button that knows whether the pointer is over it and repaints when that changes,
// for the buttons whose look follows the pointer.
class HoverButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit HoverButton(QWidget* parent = nullptr);

    bool isHovered() const { return hovered_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hovered_ = false;
};

} // namespace kestle::app
