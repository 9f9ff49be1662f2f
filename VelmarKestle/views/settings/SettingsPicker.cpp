#include "views/settings/SettingsPicker.hpp"

#include <algorithm>

#include <QPainter>
#include <QPainterPath>

#include "views/components/Hairline.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kRadius = 6;
constexpr int kPaddingX = 10;
constexpr qreal kChevron = 4;

} // namespace

SettingsPicker::SettingsPicker(QWidget* parent) : QComboBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

QSize SettingsPicker::sizeHint() const {
    int widest = 0;
    for (int i = 0; i < count(); ++i) {
        widest = std::max(widest, KestleStyle::textWidth(font(), itemText(i)));
    }
    const int height = std::max(QComboBox::sizeHint().height(), fontMetrics().height() + 10);
    return {widest + kPaddingX * 3 + static_cast<int>(kChevron * 2) + 2, height};
}

void SettingsPicker::paintEvent(QPaintEvent*) {
    // Drawn here rather than by the style, so it takes the window's colours in light
    // and dark alike.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colours = palette();
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(QPen(Hairline::color(colours), 1));
    painter.setBrush(VelmarTheme::color(VelmarTheme::Color::controlFill, colours));
    painter.drawPath(KestleStyle::roundedRect(box, kRadius));
    const QColor text = KestleStyle::primaryText(colours);
    painter.setPen(text);
    painter.setFont(font());
    const QRectF label = box.adjusted(kPaddingX, 0, -kPaddingX * 2 - kChevron, 0);
    KestleStyle::drawLine(painter, label, currentText(), Qt::AlignLeft | Qt::AlignVCenter);
    const QPointF tip(box.right() - kPaddingX - kChevron, box.center().y() + kChevron / 2);
    QPainterPath chevron;
    chevron.moveTo(tip + QPointF(-kChevron, -kChevron));
    chevron.lineTo(tip);
    chevron.lineTo(tip + QPointF(kChevron, -kChevron));
    painter.setPen(QPen(text, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(chevron);
    KestleStyle::paintFocusRing(painter, *this, rect(), kRadius + 1);
}

} // namespace kestle::app
