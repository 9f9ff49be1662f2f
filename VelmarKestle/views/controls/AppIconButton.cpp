#include "views/controls/AppIconButton.hpp"

#include "views/components/AppIconView.hpp"

namespace kestle::app {

AppIconButton::AppIconButton(AppIconView* icon, QWidget* parent)
    : QAbstractButton(parent), icon_(icon) {
    icon_->setParent(this);
    icon_->setAttribute(Qt::WA_TransparentForMouseEvents);
    icon_->move(0, 0);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(icon_->sizeHint());
}

QSize AppIconButton::sizeHint() const {
    return icon_->sizeHint();
}

void AppIconButton::paintEvent(QPaintEvent*) {}

void AppIconButton::resizeEvent(QResizeEvent*) {
    icon_->setGeometry(rect());
}

} // namespace kestle::app
