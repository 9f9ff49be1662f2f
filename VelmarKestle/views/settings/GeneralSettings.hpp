#pragma once

#include <expected>
#include <functional>
#include <memory>
#include <optional>

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "services/AppLanguage.hpp"
#include "services/LoginItem.hpp"
#include "support/PreferenceStore.hpp"
#include "views/settings/VelmarSettingsForm.hpp"

class QAbstractButton;
class QLabel;

namespace kestle::app {

class KofiImageButton;
class Notifier;
class SettingsPicker;
class SettingsSwitch;
class TrayIcon;

// The settings' General section: the interface language, opening at login, the tray
// icon, update notifications, the version and the tip button. Reads its state fresh
// when made.
class GeneralSettings : public QWidget {
    Q_OBJECT

public:
    struct Services {
        std::shared_ptr<PreferenceStore> defaults; // the standard preferences
        // The languages the bundle is translated into, the user's, and the one this run
        // shows (read once at launch; none when no translation matched).
        QStringList available;
        QStringList systemLanguages = AppLanguages::systemLanguages();
        std::optional<QString> launchLanguage;
        std::function<void()> relaunch = [] { AppLanguages::relaunch(); };
        std::function<LoginItem::Status()> loginStatus = [] { return LoginItem::status(); };
        std::function<std::expected<void, QString>(bool)> setOpenAtLogin = [](bool on) {
            return LoginItem::setOpenAtLogin(on);
        };
        // None where the desktop has no page for the programs started at login.
        std::function<void()> openLoginItems = LoginItem::settingsOpener();
        QPointer<TrayIcon> tray; // none: the desktop has no tray
        QPointer<Notifier> notifier;
        std::function<void()> openTipPage;
        QString versionText;
    };

    explicit GeneralSettings(Services services, QWidget* parent = nullptr);

    // Whether the language chosen differs from the one this run shows.
    static bool needsRelaunch(const std::optional<QString>& chosen,
                              const std::optional<QString>& launched);

    SettingsPicker* languagePicker() const { return language_; }
    QWidget* relaunchRow() const { return relaunchRow_; }
    SettingsSwitch* openAtLoginSwitch() const { return openAtLogin_; }
    QWidget* approvalRow() const { return approvalRow_; }
    QLabel* loginErrorLabel() const { return loginError_; }
    SettingsSwitch* trayIconSwitch() const { return trayIcon_; }
    QLabel* trayReasonLabel() const { return trayReason_; }
    SettingsSwitch* notificationsSwitch() const { return notifications_; }
    QWidget* deniedRow() const { return deniedRow_; }
    KofiImageButton* tipButton() const { return tip_; }

    // Asks the Notifier again whether notifications are refused.
    void refreshNotifications();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void addLanguage(VelmarSettingsForm& form);
    void addStartup(VelmarSettingsForm& form);
    void addNotifications(VelmarSettingsForm& form);
    void addApplication(VelmarSettingsForm& form);
    void chooseLanguage(AppLanguage language);
    void changeOpenAtLogin(bool on);
    void readLoginItem();

    Services services_;
    bool appeared_ = false;
    SettingsPicker* language_ = nullptr;
    QWidget* relaunchRow_ = nullptr;
    SettingsSwitch* openAtLogin_ = nullptr;
    QWidget* approvalRow_ = nullptr;
    QWidget* loginErrorRow_ = nullptr;
    QLabel* loginError_ = nullptr;
    SettingsSwitch* trayIcon_ = nullptr;
    QLabel* trayReason_ = nullptr;
    SettingsSwitch* notifications_ = nullptr;
    QWidget* deniedRow_ = nullptr;
    KofiImageButton* tip_ = nullptr;
};

} // namespace kestle::app
