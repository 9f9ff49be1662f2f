#pragma once

#include <QAbstractButton>

namespace kestle::app {

class AppIconView;

// An app's icon as a plain button: the icon view draws, the button takes the clicks
// (the icon lets them through) and the keyboard focus.
class AppIconButton : public QAbstractButton {
    Q_OBJECT

public:
    // Takes the icon view as its child.
    AppIconButton(AppIconView* icon, QWidget* parent = nullptr);

    AppIconView* icon() const { return icon_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    AppIconView* icon_;
    // Above the icon, which would cover a ring the button painted itself.
    QWidget* ring_;
};

} // namespace kestle::app
