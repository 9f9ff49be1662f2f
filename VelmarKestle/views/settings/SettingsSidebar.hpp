#pragma once

#include <QListWidget>

#include "views/settings/SettingsSection.hpp"

namespace kestle::app {

// The settings' sidebar: one row per section with its symbol and title. The arrow keys
// move the selection; the focused row draws the focus ring.
class SettingsSidebar : public QListWidget {
    Q_OBJECT

public:
    static constexpr int fixedWidth = 190;

    explicit SettingsSidebar(QWidget* parent = nullptr);

    SettingsSection selected() const;
    void select(SettingsSection section);

signals:
    void selectedChanged(SettingsSection section);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestle::app
