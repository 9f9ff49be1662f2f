#include "views/terms/KofiImageButton.hpp"

#include <QPainter>
#include <QSvgRenderer>
#include <QtMath>

#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr float kPressedOpacity = 0.7f;
constexpr qreal kRingWidth = 2;

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
    setFocusPolicy(Qt::StrongFocus);
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
    const QRectF bounds = QRectF(rect()).adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth);
    artwork().render(&painter, bounds);
    if (hasFocus()) {
        painter.setOpacity(1);
        QPen ring(VelmarTheme::color(VelmarTheme::Color::accent, palette()), kRingWidth);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        const QRectF edge = QRectF(rect()).adjusted(1, 1, -1, -1);
        painter.drawRoundedRect(edge, edge.height() / 2, edge.height() / 2);
    }
}

} // namespace kestle::app
