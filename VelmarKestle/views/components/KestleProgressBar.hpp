#pragma once

#include <optional>

#include <QWidget>

class QTimer;
class QVariantAnimation;

namespace kestle::app {

// A thin rounded bar: an accent fill with a gold leading tip for a known fraction, or
// slanted stripes that travel to the right while the amount is unknown. Changes of
// the fraction ease in over a moment, and the stripes stand still, when reduced
// motion is asked for (MotionPreference).
class KestleProgressBar : public QWidget {
    Q_OBJECT

public:
    explicit KestleProgressBar(QWidget* parent = nullptr);
    ~KestleProgressBar() override;

    // Nothing shows the stripes. A value is clamped to 0...1; not-a-number counts as 0.
    void setFraction(std::optional<double> fraction);
    const std::optional<double>& fraction() const { return fraction_; }
    bool isIndeterminate() const { return !fraction_.has_value(); }
    // What is drawn now; trails the fraction while a change animates.
    double shownFraction() const { return shown_; }
    // The stripes are drawn and redrawn on every frame.
    bool areStripesMoving() const;
    // How far the stripes have travelled in points (0...20), 0 while still.
    double stripePhase() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateMotion();

    std::optional<double> fraction_ = 0.0;
    double shown_ = 0;
    QVariantAnimation* animation_;
    QTimer* frames_;
};

} // namespace kestle::app
