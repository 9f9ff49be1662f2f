#include "views/components/BusyIndicator.hpp"

#include <QPainter>
#include <QVariantAnimation>

#include "views/style/KestleStyle.hpp"

namespace kestle::app {

namespace {

constexpr int kTurnMilliseconds = 900;

} // namespace

BusyIndicator::BusyIndicator(int size, QWidget* parent)
    : QWidget(parent), size_(size), animation_(new QVariantAnimation(this)) {
    setFixedSize(size, size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    animation_->setStartValue(0.0);
    animation_->setEndValue(360.0);
    animation_->setDuration(kTurnMilliseconds);
    animation_->setLoopCount(-1);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        angle_ = value.toDouble();
        update();
    });
}

bool BusyIndicator::isTurning() const {
    return animation_->state() == QAbstractAnimation::Running;
}

QSize BusyIndicator::sizeHint() const {
    return {size_, size_};
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal stroke = std::max(1.5, size_ / 8.0);
    const QRectF ring = QRectF(rect()).adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
    QColor color = KestleStyle::secondaryText(palette());
    QColor faint = color;
    faint.setAlphaF(0.25f);
    painter.setPen(QPen(faint, stroke));
    painter.drawEllipse(ring);
    painter.setPen(QPen(color, stroke, Qt::SolidLine, Qt::RoundCap));
    // Qt's angles run counter-clockwise in sixteenths of a degree.
    painter.drawArc(ring, static_cast<int>(-angle_ * 16), 100 * 16);
}

void BusyIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    animation_->start();
}

void BusyIndicator::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    animation_->stop();
}

} // namespace kestle::app
