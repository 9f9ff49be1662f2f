#include "views/components/KestleProgressBar.hpp"

#include <cmath>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QDateTime>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVariantAnimation>

#include "views/style/KestleStyle.hpp"
#include "views/style/MotionPreference.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kHeight = 6;
constexpr qreal kRadius = 3;
constexpr qreal kTip = 2;
constexpr int kAnimationMs = 120;
constexpr int kFrameMs = 16;
constexpr qreal kStripeStep = 20;
constexpr qreal kStripeWidth = 10;
constexpr qint64 kStripePeriodMs = 800;
constexpr qreal kStripeOpacity = 0.75;

double clamped(double fraction) {
    return fraction >= 0 ? std::min(fraction, 1.0) : 0.0; // NaN fails fraction >= 0
}

// Screen readers see a standard progress indicator: a value out of 1, or a range of
// 0...0, which is how Qt marks a busy indicator.
class AccessibleProgressBar : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleProgressBar(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return bar()->fraction().value_or(0.0); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return bar()->isIndeterminate() ? 0.0 : 1.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.0; }

private:
    const KestleProgressBar* bar() const { return static_cast<const KestleProgressBar*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(KestleProgressBar::staticMetaObject.className()) &&
        object != nullptr && object->isWidgetType()) {
        return new AccessibleProgressBar(static_cast<QWidget*>(object));
    }
    return nullptr;
}

} // namespace

KestleProgressBar::KestleProgressBar(QWidget* parent)
    : QWidget(parent), animation_(new QVariantAnimation(this)), frames_(new QTimer(this)) {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    (void)installed;

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(kHeight);

    animation_->setDuration(kAnimationMs);
    animation_->setEasingCurve(QEasingCurve::Linear);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        shown_ = value.toDouble();
        update();
    });
    frames_->setInterval(kFrameMs);
    frames_->setTimerType(Qt::PreciseTimer);
    connect(frames_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

KestleProgressBar::~KestleProgressBar() = default;

void KestleProgressBar::setFraction(std::optional<double> fraction) {
    if (fraction) {
        fraction = clamped(*fraction);
    }
    if (fraction == fraction_) {
        return;
    }
    bool wasDeterminate = fraction_.has_value();
    fraction_ = fraction;
    animation_->stop();
    if (fraction_) {
        // The fill appears at once when it replaces the stripes; only moves animate.
        if (wasDeterminate && isVisible() && !MotionPreference::isReduced(this)) {
            animation_->setStartValue(shown_);
            animation_->setEndValue(*fraction_);
            animation_->start();
        } else {
            shown_ = *fraction_;
        }
    } else {
        shown_ = 0;
    }
    updateMotion();
    update();
    QAccessibleValueChangeEvent event(this, fraction_.value_or(0.0));
    QAccessible::updateAccessibility(&event);
}

bool KestleProgressBar::areStripesMoving() const {
    return frames_->isActive();
}

double KestleProgressBar::stripePhase() const {
    if (!areStripesMoving()) {
        return 0;
    }
    qint64 ms = QDateTime::currentMSecsSinceEpoch() % kStripePeriodMs;
    return static_cast<double>(ms) / kStripePeriodMs * kStripeStep;
}

void KestleProgressBar::updateMotion() {
    bool moving = !fraction_ && isVisible() && !MotionPreference::isReduced(this);
    if (moving && !frames_->isActive()) {
        frames_->start();
    } else if (!moving && frames_->isActive()) {
        frames_->stop();
        update();
    }
}

QSize KestleProgressBar::sizeHint() const {
    return {120, kHeight};
}

QSize KestleProgressBar::minimumSizeHint() const {
    return {2 * kHeight, kHeight};
}

void KestleProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const qreal width = this->width();
    const qreal height = this->height();
    if (layoutDirection() == Qt::RightToLeft) {
        // The fill grows from the leading edge and the stripes travel towards the end.
        painter.translate(width, 0);
        painter.scale(-1, 1);
    }
    painter.setClipPath(KestleStyle::roundedRect(QRectF(0, 0, width, height), kRadius));
    painter.fillRect(QRectF(0, 0, width, height),
                     VelmarTheme::color(VelmarTheme::Color::track, pal));

    const QColor accent = VelmarTheme::color(VelmarTheme::Color::accent, pal);
    if (fraction_) {
        qreal filled = width * shown_;
        if (filled > 0) {
            painter.fillRect(QRectF(0, 0, filled, height), accent);
            painter.fillRect(
                QRectF(std::max(0.0, filled - kTip), 0, std::min(kTip, filled), height),
                VelmarTheme::color(VelmarTheme::Color::gold, pal));
        }
        return;
    }
    painter.setOpacity(kStripeOpacity);
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    for (qreal x = -kStripeStep - height + stripePhase(); x < width + kStripeStep;
         x += kStripeStep) {
        const QPointF stripe[] = {{x, height},
                                  {x + height, 0},
                                  {x + height + kStripeWidth, 0},
                                  {x + kStripeWidth, height}};
        painter.drawPolygon(stripe, 4);
    }
}

void KestleProgressBar::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateMotion();
}

void KestleProgressBar::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateMotion();
}

void KestleProgressBar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange) {
        updateMotion();
    }
}

} // namespace kestle::app
