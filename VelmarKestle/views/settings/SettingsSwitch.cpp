#include "views/settings/SettingsSwitch.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>

#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kTrackWidth = 36;
constexpr int kTrackHeight = 20;
constexpr qreal kKnobInset = 2;
// Room for the focus ring outside the track.
constexpr int kMargin = 3;
constexpr float kDisabledOpacity = 0.45f;

// Screen readers announce the switch as a check box with its state, and toggle it.
class SwitchAccessible : public QAccessibleWidget {
public:
    explicit SwitchAccessible(SettingsSwitch* toggle)
        : QAccessibleWidget(toggle, QAccessible::CheckBox) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = toggle()->isChecked();
        return state;
    }
    QStringList actionNames() const override {
        return toggle()->isEnabled() ? QStringList{toggleAction()} : QStringList{};
    }
    void doAction(const QString& action) override {
        if (action == toggleAction() && toggle()->isEnabled()) {
            toggle()->click();
        }
    }

private:
    SettingsSwitch* toggle() const { return static_cast<SettingsSwitch*>(widget()); }
};

QAccessibleInterface* switchFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(SettingsSwitch::staticMetaObject.className()) &&
        object != nullptr && object->isWidgetType()) {
        return new SwitchAccessible(static_cast<SettingsSwitch*>(object));
    }
    return nullptr;
}

} // namespace

SettingsSwitch::SettingsSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    static const bool installed = [] {
        QAccessible::installFactory(switchFactory);
        return true;
    }();
    (void)installed;
    connect(this, &QAbstractButton::toggled, this, [this] {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    });
}

QSize SettingsSwitch::sizeHint() const {
    return {kTrackWidth + 2 * kMargin, kTrackHeight + 2 * kMargin};
}

void SettingsSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        painter.setOpacity(kDisabledOpacity);
    }
    const QRectF track(kMargin, (height() - kTrackHeight) / 2.0, kTrackWidth, kTrackHeight);
    const QPalette& colours = palette();
    QColor fill = isChecked() ? VelmarTheme::color(VelmarTheme::Color::accent, colours)
                              : VelmarTheme::color(VelmarTheme::Color::track, colours);
    if (isDown()) {
        fill = KestleStyle::brightened(fill, -0.08);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPath(KestleStyle::capsule(track));

    const qreal knob = kTrackHeight - 2 * kKnobInset;
    const qreal x = isChecked() ? track.right() - kKnobInset - knob : track.left() + kKnobInset;
    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.drawEllipse(QRectF(x, track.top() + kKnobInset, knob, knob));

    KestleStyle::paintFocusRing(painter, *this,
                                track.adjusted(-kMargin, -kMargin, kMargin, kMargin),
                                (kTrackHeight + 2 * kMargin) / 2.0);
}

} // namespace kestle::app
