#include "views/settings/SettingsPicker.hpp"

#include <QPainter>

#include "views/settings/FocusRing.hpp"

namespace kestle::app {

namespace {

constexpr qreal kRadius = 5;

} // namespace

SettingsPicker::SettingsPicker(QWidget* parent) : QComboBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

void SettingsPicker::paintEvent(QPaintEvent* event) {
    QComboBox::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        FocusRing::paint(painter, rect(), kRadius, palette());
    }
}

} // namespace kestle::app
