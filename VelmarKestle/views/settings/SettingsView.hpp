#pragma once

#include <QWidget>

#include "views/settings/GeneralSettings.hpp"
#include "views/settings/SettingsSection.hpp"

class QLabel;
class QStackedWidget;

namespace kestle::app {

class DailyCheck;
class KestleModel;
class SelfUpdater;
class SettingsSidebar;
class UpdateSettings;

// The settings window: the sidebar of sections, the selected one's title and subtitle,
// and its form. The selection is kept in the preferences, so it survives closing and
// reopening the window.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* identifier = "settings";
    static constexpr const char* selectionKey = "settings.selectedSection";
    static constexpr int fixedWidth = 720;
    static constexpr int defaultHeight = 520;

    SettingsView(KestleModel& model, GeneralSettings::Services general, DailyCheck& daily,
                 SelfUpdater* updater, int height = defaultHeight, QWidget* parent = nullptr);

    SettingsSection selected() const;
    void select(SettingsSection section);

    SettingsSidebar* sidebar() const { return sidebar_; }
    QLabel* titleLabel() const { return title_; }
    GeneralSettings* general() const { return general_; }
    UpdateSettings* updates() const { return updates_; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showSection(SettingsSection section);

    KestleModel& model_;
    SettingsSidebar* sidebar_;
    QLabel* title_;
    QLabel* subtitle_;
    QStackedWidget* pages_;
    GeneralSettings* general_;
    UpdateSettings* updates_;
};

} // namespace kestle::app
