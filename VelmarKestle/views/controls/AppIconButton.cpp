#include "views/controls/AppIconButton.hpp"

#include <QPainter>

#include "views/components/AppIconView.hpp"
#include "views/components/Decorative.hpp"
#include "views/controls/ReturnPress.hpp"
#include "views/style/KestleStyle.hpp"

namespace kestle::app {

namespace {

// The corners of an app icon, as a share of its side.
constexpr qreal kCornerShare = 0.225;

class Ring : public QWidget {
public:
    explicit Ring(QAbstractButton* button) : QWidget(button), button_(button) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        Decorative::mark(*this);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        KestleStyle::paintFocusRing(painter, *button_, rect(), width() * kCornerShare);
    }

private:
    QAbstractButton* button_;
};

} // namespace

AppIconButton::AppIconButton(AppIconView* icon, QWidget* parent)
    : QAbstractButton(parent), icon_(icon), ring_(new Ring(this)) {
    icon_->setParent(this);
    icon_->setAttribute(Qt::WA_TransparentForMouseEvents);
    icon_->move(0, 0);
    ring_->raise();
    setFocusPolicy(Qt::TabFocus);
    ReturnPress::install(*this);
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
    ring_->setGeometry(rect());
}

} // namespace kestle::app
