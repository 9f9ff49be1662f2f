#pragma once

#include <QComboBox>

namespace kestle::app {

// A pop-up picker for a settings row, with the settings' focus ring over the style's
// own look (which draws none under some styles).
class SettingsPicker : public QComboBox {
    Q_OBJECT

public:
    explicit SettingsPicker(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestle::app
