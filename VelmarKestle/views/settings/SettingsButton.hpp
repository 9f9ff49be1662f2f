#pragma once

#include "views/controls/KestleButton.hpp"

namespace kestle::app {

// The quiet push button of the settings rows, with a focus ring: Tab reaches it, Space
// and Return press it.
class SettingsButton : public KestleButton {
    Q_OBJECT

public:
    explicit SettingsButton(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestle::app
