#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QLabel;

namespace kestle::app {

class CheckTimeRefresh;
class DailyCheck;
class KestleModel;
class SelfUpdater;
class SettingsSwitch;

// The settings' Updates section: the daily check of the maker's apps, the last check
// with "Check Now", where apps go, and VelmarKestle's own update check when it has one.
class UpdateSettings : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* checksDailyKey = "checksDaily";

    // updater: none, or one without the bundle's configuration, leaves out the section
    // of VelmarKestle's own updates.
    UpdateSettings(KestleModel& model, DailyCheck& daily, SelfUpdater* updater, QString versionText,
                   QWidget* parent = nullptr);

    SettingsSwitch* checksDailySwitch() const { return checksDaily_; }
    QLabel* lastCheckLabel() const { return lastCheck_; }
    QAbstractButton* checkNowButton() const { return checkNow_; }
    // None without the application's own update configuration.
    QAbstractButton* selfCheckButton() const { return selfCheck_; }
    CheckTimeRefresh* checkTimeRefresh() const { return ageing_; }

private:
    void refreshLastCheck();

    KestleModel& model_;
    DailyCheck& daily_;
    QPointer<SelfUpdater> updater_;
    SettingsSwitch* checksDaily_;
    QLabel* lastCheck_ = nullptr;
    QAbstractButton* checkNow_ = nullptr;
    QAbstractButton* selfCheck_ = nullptr;
    CheckTimeRefresh* ageing_;
};

} // namespace kestle::app
