#include "views/terms/KofiImageButton.hpp"

#include <QPainter>
#include <QSvgRenderer>
#include <QtMath>

#include "views/controls/ReturnPress.hpp"
#include "views/style/KestleStyle.hpp"

namespace kestle::app {

namespace {

constexpr float kPressedOpacity = 0.7f;

QSvgRenderer& artwork() {
    static QSvgRenderer renderer(QStringLiteral(":/art/KofiButton.svg"));
    return renderer;
}

} // namespace

KofiImageButton::KofiImageButton(int height, QWidget* parent) : QAbstractButton(parent) {
    const QSizeF art = artwork().defaultSize();
    const int width = art.height() > 0 ? qCeil(art.width() * height / art.height()) : height * 4;
    setFixedSize(width, height);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    ReturnPress::install(*this);
    //: Accessible name of the Ko-fi tip button
    setAccessibleName(tr("Buy me a coffee: leave a tip on Ko-fi"));
}

QSize KofiImageButton::sizeHint() const {
    return size();
}

void KofiImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown()) {
        painter.setOpacity(kPressedOpacity);
    }
    const qreal ring = KestleStyle::focusRingWidth;
    const QRectF bounds = QRectF(rect()).adjusted(ring, ring, -ring, -ring);
    artwork().render(&painter, bounds);
    KestleStyle::paintFocusRing(painter, *this, rect(), height() / 2.0);
}

} // namespace kestle::app
