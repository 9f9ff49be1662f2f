#include <memory>

#include <QAbstractButton>
#include <QAccessible>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>

#include <gtest/gtest.h>

#include "VelmarKestle/views/settings/SettingsTestSupport.hpp"
#include "services/Notifier.hpp"
#include "views/menubar/MenuBarContent.hpp"
#include "views/menubar/TrayIcon.hpp"
#include "views/settings/GeneralSettings.hpp"
#include "views/settings/SettingsPicker.hpp"
#include "views/settings/SettingsSwitch.hpp"
#include "views/settings/VelmarSettingsForm.hpp"
#include "views/terms/KofiImageButton.hpp"

using kestle::MemoryPreferences;
using kestle::app::AppLanguage;
using kestle::app::AppLanguages;
using kestle::app::GeneralSettings;
using kestle::app::LoginItem;
using kestle::app::Notifier;
using kestle::test::englishRun;
using kestle::test::FakeLoginItem;
using kestle::test::FakeNotificationServer;
using kestle::test::runUntil;

namespace {

void pick(kestle::app::SettingsPicker& picker, AppLanguage language) {
    const int index = picker.findData(static_cast<int>(language));
    picker.setCurrentIndex(index);
    emit picker.activated(index);
}

TEST(GeneralSettings, RelaunchRowFollowsTheLanguageThisRunShows) {
    struct Case {
        const char* name;
        std::optional<QString> chosen;
        std::optional<QString> launched;
        bool needed;
    };
    for (const Case& c : {Case{"same", "en", "en", false}, Case{"other", "it", "en", true},
                          Case{"none matched at launch", "it", std::nullopt, true},
                          Case{"none matches now", std::nullopt, "en", true},
                          Case{"neither", std::nullopt, std::nullopt, false}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GeneralSettings::needsRelaunch(c.chosen, c.launched), c.needed);
    }

    auto defaults = std::make_shared<MemoryPreferences>();
    int relaunches = 0;
    auto services = englishRun(defaults);
    services.relaunch = [&] { ++relaunches; };
    GeneralSettings view(services);
    view.show();
    EXPECT_TRUE(view.relaunchRow()->isHidden()) << "the system's English is what runs";
    EXPECT_EQ(view.languagePicker()->itemText(1), "English");
    EXPECT_EQ(view.languagePicker()->itemText(2), "Italiano");

    pick(*view.languagePicker(), AppLanguage::italian);
    EXPECT_EQ(AppLanguages::current(defaults.get()), AppLanguage::italian) << "stored";
    ASSERT_FALSE(view.relaunchRow()->isHidden());
    auto* row = static_cast<kestle::app::VelmarSettingsForm::Row*>(view.relaunchRow());
    EXPECT_EQ(row->label()->text(), "VelmarKestle changes language when it relaunches.");
    auto* relaunch = qobject_cast<QAbstractButton*>(row->control());
    ASSERT_NE(relaunch, nullptr);
    EXPECT_EQ(relaunch->text(), "Relaunch Now");
    relaunch->click();
    EXPECT_EQ(relaunches, 1);

    pick(*view.languagePicker(), AppLanguage::system);
    EXPECT_TRUE(view.relaunchRow()->isHidden());
    EXPECT_FALSE(defaults->value(AppLanguages::key).has_value()) << "the system's again";

    // A run in Italian made with the choice stored shows the picker on it, and the row
    // only once the choice differs from what runs.
    auto italianRun = englishRun(defaults);
    AppLanguages::choose(*defaults, AppLanguage::italian);
    italianRun.launchLanguage = QStringLiteral("it");
    GeneralSettings italian(italianRun);
    EXPECT_EQ(italian.languagePicker()->currentData().toInt(),
              static_cast<int>(AppLanguage::italian));
    EXPECT_TRUE(italian.relaunchRow()->isHidden());
}

TEST(GeneralSettings, LoginItemSwitchShowsWhatTheSystemReports) {
    FakeLoginItem login;
    auto services = englishRun(std::make_shared<MemoryPreferences>());
    services.loginStatus = login.reader();
    services.setOpenAtLogin = login.changer();
    int opened = 0;
    services.openLoginItems = [&] { ++opened; };

    {
        SCOPED_TRACE("approval asked for");
        *login.onChange = LoginItem::Status::requiresApproval;
        GeneralSettings view(services);
        view.show();
        EXPECT_FALSE(view.openAtLoginSwitch()->isChecked());
        EXPECT_TRUE(view.approvalRow()->isHidden());
        view.openAtLoginSwitch()->click();
        EXPECT_FALSE(view.openAtLoginSwitch()->isChecked()) << "not enabled until approved";
        ASSERT_FALSE(view.approvalRow()->isHidden());
        auto* row = static_cast<kestle::app::VelmarSettingsForm::Row*>(view.approvalRow());
        EXPECT_EQ(row->label()->text(), "Opening at login needs your approval in Settings.");
        qobject_cast<QAbstractButton*>(row->control())->click();
        EXPECT_EQ(opened, 1);
    }
    {
        SCOPED_TRACE("a failure, then a success");
        *login.status = LoginItem::Status::notRegistered;
        *login.onChange = std::nullopt;
        *login.error = QStringLiteral("The autostart folder is read-only.");
        GeneralSettings view(services);
        view.show();
        view.openAtLoginSwitch()->click();
        EXPECT_FALSE(view.openAtLoginSwitch()->isChecked()) << "read back after the failure";
        EXPECT_TRUE(view.loginErrorLabel()->isVisible());
        EXPECT_EQ(view.loginErrorLabel()->text(),
                  "Couldn’t change the login item: The autostart folder is read-only.");
        *login.error = std::nullopt;
        view.openAtLoginSwitch()->click();
        EXPECT_TRUE(view.openAtLoginSwitch()->isChecked());
        EXPECT_FALSE(view.loginErrorLabel()->isVisible());
        EXPECT_TRUE(view.approvalRow()->isHidden());
    }
    {
        SCOPED_TRACE("a desktop without a page for login items");
        *login.status = LoginItem::Status::requiresApproval;
        services.openLoginItems = {};
        GeneralSettings view(services);
        auto* row = static_cast<kestle::app::VelmarSettingsForm::Row*>(view.approvalRow());
        EXPECT_FALSE(row->isHidden());
        EXPECT_EQ(row->control(), nullptr) << "no button that opens nothing";
    }
}

TEST(GeneralSettings, DeniedRowIsAskedAgainWhenTheAppComesBack) {
    auto server = std::make_unique<FakeNotificationServer>();
    auto answers = server->answers;
    Notifier notifier(std::move(server), QStringList{QStringLiteral("/bin/true")});
    auto services = englishRun(std::make_shared<MemoryPreferences>());
    services.notifier = &notifier;
    GeneralSettings view(services);
    EXPECT_TRUE(view.deniedRow()->isHidden());
    view.show();
    ASSERT_TRUE(runUntil([&] { return !view.deniedRow()->isHidden(); }));
    auto* row = static_cast<kestle::app::VelmarSettingsForm::Row*>(view.deniedRow());
    EXPECT_EQ(row->label()->text(), "Notifications from VelmarKestle are off in Settings.");
    EXPECT_EQ(qobject_cast<QAbstractButton*>(row->control())->text(), "Open Settings");

    *answers = true; // a notification server started meanwhile
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(runUntil([&] { return view.deniedRow()->isHidden(); }));

    // Without a settings page the row keeps its message and has no button.
    auto mute = std::make_unique<FakeNotificationServer>();
    Notifier pageless(std::move(mute), std::nullopt);
    services.notifier = &pageless;
    GeneralSettings other(services);
    other.show();
    ASSERT_TRUE(runUntil([&] { return !other.deniedRow()->isHidden(); }));
    EXPECT_EQ(static_cast<kestle::app::VelmarSettingsForm::Row*>(other.deniedRow())->control(),
              nullptr);
}

TEST(GeneralSettings, SwitchesKeepTheirPreferences) {
    auto defaults = std::make_shared<MemoryPreferences>();
    defaults->set("notifiesUpdates", false);
    defaults->set(kestle::app::TrayIcon::preference, false);
    kestle::test::ViewTestModel fixture;
    kestle::app::MenuBarContent menu(*fixture.model, nullptr, {});
    kestle::app::TrayIcon tray(menu, defaults, {});
    auto services = englishRun(defaults);
    services.tray = &tray;
    GeneralSettings view(services);
    view.show();

    EXPECT_FALSE(view.notificationsSwitch()->isChecked());
    // Screen readers hear a named check box, and can toggle it.
    QAccessibleInterface* accessible =
        QAccessible::queryAccessibleInterface(view.notificationsSwitch());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::CheckBox);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Update notifications");
    EXPECT_FALSE(accessible->state().checked);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(accessible->state().checked);
    EXPECT_EQ(defaults->boolean("notifiesUpdates"), true);

    EXPECT_FALSE(view.trayIconSwitch()->isChecked()) << "the stored choice, tray or not";
    EXPECT_EQ(view.trayIconSwitch()->accessibleName(), "Show in the menu bar");
    if (tray.isAvailable()) {
        EXPECT_TRUE(view.trayIconSwitch()->isEnabled());
        EXPECT_FALSE(view.trayReasonLabel()->isVisible());
        view.trayIconSwitch()->click();
        EXPECT_TRUE(tray.isShown()) << "the icon comes at once";
    } else {
        EXPECT_FALSE(view.trayIconSwitch()->isEnabled());
        EXPECT_TRUE(view.trayReasonLabel()->isVisible());
        EXPECT_EQ(view.trayReasonLabel()->text(), "This desktop has no tray.");
        view.trayIconSwitch()->click();
        EXPECT_EQ(defaults->boolean(kestle::app::TrayIcon::preference), false) << "kept";
    }

    // Without a tray service at all the switch is off limits too.
    services.tray = nullptr;
    GeneralSettings trayless(services);
    EXPECT_FALSE(trayless.trayIconSwitch()->isEnabled());
}

TEST(GeneralSettings, TipButtonOpensTheTipPage) {
    int opened = 0;
    auto services = englishRun(std::make_shared<MemoryPreferences>());
    services.openTipPage = [&] { ++opened; };
    services.versionText = QStringLiteral("2.1 (45)");
    GeneralSettings view(services);
    EXPECT_EQ(view.tipButton()->height(), 32);
    view.tipButton()->click();
    EXPECT_EQ(opened, 1);
    bool versionShown = false;
    for (QLabel* label : view.findChildren<QLabel*>()) {
        versionShown |= label->text() == "2.1 (45)" &&
                        label->textInteractionFlags().testFlag(Qt::TextSelectableByMouse);
    }
    EXPECT_TRUE(versionShown);
}

} // namespace
