#include "views/entry/MoreMenu.hpp"

#include <QEvent>
#include <QMenu>
#include <QPainter>

#include "views/controls/ReturnPress.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kSide = 32;
constexpr qreal kRadius = 8;

// The "ellipsis" symbol at 13 points semibold: three dots on the centre line.
void paintEllipsis(QPainter& painter, QPointF center, const QColor& color) {
    constexpr qreal dot = 2.6;
    constexpr qreal gap = 4.6;
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int i = -1; i <= 1; ++i) {
        painter.drawEllipse(center + QPointF(i * gap, 0), dot / 2, dot / 2);
    }
}

} // namespace

MoreMenu::MoreMenu(const QString& name, QMenu* items, QWidget* parent)
    : QToolButton(parent), name_(name) {
    setPopupMode(QToolButton::InstantPopup);
    setFocusPolicy(Qt::TabFocus);
    ReturnPress::install(*this);
    setFixedSize(kSide, kSide);
    setItems(items);
    retranslate();
}

void MoreMenu::setName(const QString& name) {
    if (name_ != name) {
        name_ = name;
        retranslate();
    }
}

void MoreMenu::setItems(QMenu* items) {
    if (items && !items->parent()) {
        items->setParent(this, items->windowFlags());
    }
    setMenu(items);
}

QSize MoreMenu::sizeHint() const {
    return {kSide, kSide};
}

QSize MoreMenu::minimumSizeHint() const {
    return sizeHint();
}

void MoreMenu::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    paintEllipsis(painter, QRectF(rect()).center(),
                  isEnabled() ? KestleStyle::primaryText(pal)
                              : pal.color(QPalette::Disabled, QPalette::WindowText));
    painter.setPen(QPen(VelmarTheme::color(VelmarTheme::Color::strongSeparator, pal), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(
        KestleStyle::roundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kRadius - 0.5));
    KestleStyle::paintFocusRing(painter, *this, rect(), kRadius);
}

void MoreMenu::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QToolButton::changeEvent(event);
}

void MoreMenu::retranslate() {
    QString label = tr("More Actions for %1").arg(name_);
    setToolTip(label);
    setAccessibleName(label);
}

} // namespace kestle::app
