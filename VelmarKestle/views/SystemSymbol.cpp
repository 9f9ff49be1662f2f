#include "SystemSymbol.hpp"

#include <algorithm>

#include <QPainter>
#include <QPainterPath>

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

void paintTriangle(QPainter& painter, QPointF c, qreal size, const QPen& pen) {
    qreal w = pen.widthF();
    qreal half = size / 2 - w / 2;
    QPainterPath triangle;
    triangle.moveTo(c + QPointF(0, -half));
    triangle.lineTo(c + QPointF(half, half * 0.85));
    triangle.lineTo(c + QPointF(-half, half * 0.85));
    triangle.closeSubpath();
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

} // namespace

bool SystemSymbol::has(QStringView name) {
    return name == u"xmark" || name == u"info.circle" || name == u"exclamationmark.triangle";
}

void SystemSymbol::paint(QPainter& painter, QPointF center, qreal size, QStringView name,
                         const QColor& color, QFont::Weight weight) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, strokeWidth(size, weight), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (name == u"xmark") {
        paintXmark(painter, center, size, pen);
    } else if (name == u"info.circle") {
        paintInfoCircle(painter, center, size, pen);
    } else if (name == u"exclamationmark.triangle") {
        paintTriangle(painter, center, size, pen);
    }
    painter.restore();
}

} // namespace kestle::app
