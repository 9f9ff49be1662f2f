#pragma once

#include <QComboBox>

namespace kestle::app {

// A pop-up picker for a settings row: a quiet rounded box with the choice and a
// chevron, and the settings' focus ring.
class SettingsPicker : public QComboBox {
    Q_OBJECT

public:
    explicit SettingsPicker(QWidget* parent = nullptr);

    // Wide enough for the longest choice.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestle::app
