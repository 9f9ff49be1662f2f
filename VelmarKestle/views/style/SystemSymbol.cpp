#include "views/style/SystemSymbol.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kestle::app {

namespace {

qreal strokeWidth(qreal size, QFont::Weight weight) {
    // A regular symbol's stroke is about a tenth of its size; semibold a third more.
    qreal factor = weight >= QFont::Bold       ? 0.15
                   : weight >= QFont::DemiBold ? 0.13
                   : weight >= QFont::Medium   ? 0.11
                                               : 0.1;
    return std::max(1.0, size * factor);
}

void paintXmark(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    qreal half = size * 0.36;
    painter.setPen(pen);
    painter.drawLine(c + QPointF(-half, -half), c + QPointF(half, half));
    painter.drawLine(c + QPointF(-half, half), c + QPointF(half, -half));
}

void paintInfoCircle(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    qreal w = pen.widthF();
    qreal radius = size / 2 - w / 2;
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(c, radius, radius);
    painter.drawLine(c + QPointF(0, -size * 0.04), c + QPointF(0, size * 0.24));
    painter.setPen(Qt::NoPen);
    painter.setBrush(pen.color());
    painter.drawEllipse(c + QPointF(0, -size * 0.22), w * 0.65, w * 0.65);
}

QPainterPath warningTriangle(QPointF c, qreal half) {
    QPainterPath triangle;
    triangle.moveTo(c + QPointF(0, -half));
    triangle.lineTo(c + QPointF(half, half * 0.85));
    triangle.lineTo(c + QPointF(-half, half * 0.85));
    triangle.closeSubpath();
    return triangle;
}

void paintTriangle(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    qreal w = pen.widthF();
    const QPainterPath triangle = warningTriangle(c, size / 2 - w / 2);
    QPen outline = pen;
    outline.setJoinStyle(Qt::RoundJoin);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(triangle);
    painter.drawLine(c + QPointF(0, -size * 0.12), c + QPointF(0, size * 0.14));
    painter.setPen(Qt::NoPen);
    painter.setBrush(pen.color());
    painter.drawEllipse(c + QPointF(0, size * 0.29), w * 0.6, w * 0.6);
}

void paintFilledTriangle(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    const QPainterPath triangle = warningTriangle(c, size / 2);
    QPen outline = pen;
    outline.setJoinStyle(Qt::RoundJoin);
    painter.setPen(outline);
    painter.setBrush(pen.color());
    painter.drawPath(triangle);
    // The exclamation mark is cut out of the fill.
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    QPen mark(Qt::black, pen.widthF(), Qt::SolidLine, Qt::RoundCap);
    painter.setPen(mark);
    painter.drawLine(c + QPointF(0, -size * 0.1), c + QPointF(0, size * 0.12));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(c + QPointF(0, size * 0.27), pen.widthF() * 0.6, pen.widthF() * 0.6);
}

void paintCheckmark(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    QPainterPath check;
    check.moveTo(c + QPointF(-size * 0.36, size * 0.02));
    check.lineTo(c + QPointF(-size * 0.1, size * 0.3));
    check.lineTo(c + QPointF(size * 0.38, -size * 0.3));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(check);
}

void paintArrowUpRight(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    qreal half = size * 0.32;
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(c + QPointF(-half, half), c + QPointF(half, -half));
    QPainterPath head;
    head.moveTo(c + QPointF(-half * 0.5, -half));
    head.lineTo(c + QPointF(half, -half));
    head.lineTo(c + QPointF(half, half * 0.5));
    painter.drawPath(head);
}

void paintChevronLeft(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    QPainterPath chevron;
    chevron.moveTo(c + QPointF(size * 0.16, -size * 0.4));
    chevron.lineTo(c + QPointF(-size * 0.22, 0));
    chevron.lineTo(c + QPointF(size * 0.16, size * 0.4));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(chevron);
}

void paintArrowClockwise(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    qreal radius = size * 0.36;
    QRectF circle(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // An open circle from the top, clockwise round to about two o'clock.
    painter.drawArc(circle, 60 * 16, 300 * 16);
    QPointF tip = c + QPointF(radius * 0.5, -radius * 0.866);
    QPainterPath head;
    head.moveTo(tip + QPointF(-size * 0.2, -size * 0.14));
    head.lineTo(tip);
    head.lineTo(tip + QPointF(-size * 0.06, size * 0.22));
    painter.drawPath(head);
}

void paintGear(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    constexpr int teeth = 8;
    qreal outer = size * 0.46;
    qreal inner = size * 0.34;
    QPainterPath gear;
    for (int i = 0; i < teeth * 2; ++i) {
        qreal from = (i - 0.5) * M_PI / teeth;
        qreal to = (i + 0.5) * M_PI / teeth;
        qreal r = i % 2 == 0 ? outer : inner;
        QPointF a = c + QPointF(r * std::cos(from), r * std::sin(from));
        QPointF b = c + QPointF(r * std::cos(to), r * std::sin(to));
        if (i == 0) {
            gear.moveTo(a);
        } else {
            gear.lineTo(a);
        }
        gear.lineTo(b);
    }
    gear.closeSubpath();
    QPen outline = pen;
    outline.setJoinStyle(Qt::RoundJoin);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(gear);
    painter.drawEllipse(c, size * 0.13, size * 0.13);
}

void paintGrid(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    qreal cell = size * 0.3;
    qreal gap = size * 0.12;
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            QPointF origin = c + QPointF(column == 0 ? -gap / 2 - cell : gap / 2,
                                         row == 0 ? -gap / 2 - cell : gap / 2);
            painter.drawRoundedRect(QRectF(origin, QSizeF(cell, cell)), cell * 0.2, cell * 0.2);
        }
    }
}

void paintListBullet(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    painter.setPen(pen);
    for (int row = -1; row <= 1; ++row) {
        qreal y = c.y() + row * size * 0.3;
        painter.drawLine(QPointF(c.x() - size * 0.12, y), QPointF(c.x() + size * 0.42, y));
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(pen.color());
        painter.drawEllipse(QPointF(c.x() - size * 0.36, y), pen.widthF() * 0.8,
                            pen.widthF() * 0.8);
        painter.restore();
    }
}

void paintArrowDownCircle(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    qreal radius = size / 2 - pen.widthF() / 2;
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(c, radius, radius);
    painter.drawLine(c + QPointF(0, -size * 0.22), c + QPointF(0, size * 0.2));
    QPainterPath head;
    head.moveTo(c + QPointF(-size * 0.17, size * 0.04));
    head.lineTo(c + QPointF(0, size * 0.21));
    head.lineTo(c + QPointF(size * 0.17, size * 0.04));
    painter.drawPath(head);
}

using Painter = void (*)(QPainter&, QPointF, qreal, const QPen&);

struct Symbol {
    QStringView name;
    Painter paint;
};

constexpr Symbol kSymbols[] = {
    {u"xmark", paintXmark},
    {u"info.circle", paintInfoCircle},
    {u"exclamationmark.triangle", paintTriangle},
    {u"exclamationmark.triangle.fill", paintFilledTriangle},
    {u"checkmark", paintCheckmark},
    {u"arrow.up.right", paintArrowUpRight},
    {u"chevron.left", paintChevronLeft},
    {u"arrow.clockwise", paintArrowClockwise},
    {u"gearshape", paintGear},
    {u"arrow.down.circle", paintArrowDownCircle},
    {u"square.grid.2x2", paintGrid},
    {u"list.bullet", paintListBullet},
};

const Symbol* find(QStringView name) {
    auto it = std::ranges::find(kSymbols, name, &Symbol::name);
    return it == std::end(kSymbols) ? nullptr : it;
}

} // namespace

bool SystemSymbol::has(QStringView name) {
    return find(name) != nullptr;
}

void SystemSymbol::paint(QPainter& painter, QPointF center, qreal size, QStringView name,
                         const QColor& color, QFont::Weight weight) {
    const Symbol* symbol = find(name);
    if (symbol == nullptr) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, strokeWidth(size, weight), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    symbol->paint(painter, center, size, pen);
    painter.restore();
}

QIcon SystemSymbol::icon(QStringView name, qreal size, const QColor& color) {
    const qreal scale = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    const int side = static_cast<int>(std::ceil(size * scale));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    pixmap.setDevicePixelRatio(scale);
    QPainter painter(&pixmap);
    paint(painter, QPointF(size / 2, size / 2), size, name, color);
    painter.end();
    return QIcon(pixmap);
}

} // namespace kestle::app
