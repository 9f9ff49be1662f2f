#pragma once

#include <QAbstractButton>

namespace kestle::app {

// An on/off switch: a capsule track, accent-filled when on, with a round knob. Space
// toggles it; the accessible name is the label of its row.
class SettingsSwitch : public QAbstractButton {
    Q_OBJECT

public:
    explicit SettingsSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

} // namespace kestle::app
