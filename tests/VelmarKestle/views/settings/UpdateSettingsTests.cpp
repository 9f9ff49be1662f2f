#include <QAbstractButton>
#include <QLabel>

#include <gtest/gtest.h>

#include "VelmarKestle/views/settings/SettingsTestSupport.hpp"
#include "model/Configuration.hpp"
#include "services/DailyCheck.hpp"
#include "services/SelfUpdater.hpp"
#include "views/settings/SettingsSwitch.hpp"
#include "views/settings/UpdateSettings.hpp"
#include "views/settings/VelmarSettingsForm.hpp"

using kestle::app::Configuration;
using kestle::app::DailyCheck;
using kestle::app::SelfUpdater;
using kestle::app::UpdateSettings;
using kestle::test::ClockedModel;
using kestle::test::runUntil;

namespace {

TEST(UpdateSettings, CheckEveryDaySwitchStopsTheDailyCheckAtOnce) {
    ClockedModel clocked;
    DailyCheck daily;
    daily.setModel(clocked.model.get());
    daily.setActive(true);
    ASSERT_TRUE(runUntil([&] { return clocked.checks->load() == 1; })) << "due at once";
    SelfUpdater updater(Configuration{});
    UpdateSettings view(*clocked.model, daily, &updater, QStringLiteral("2.1 (45)"));
    EXPECT_TRUE(view.checksDailySwitch()->isChecked()) << "on by default";

    view.checksDailySwitch()->click();
    EXPECT_FALSE(daily.isActive());
    EXPECT_EQ(clocked.defaults->boolean(UpdateSettings::checksDailyKey), false);

    view.checksDailySwitch()->click();
    EXPECT_TRUE(daily.isActive());
    EXPECT_EQ(clocked.defaults->boolean(UpdateSettings::checksDailyKey), true);

    // A later window reads the stored choice.
    view.checksDailySwitch()->click();
    UpdateSettings again(*clocked.model, daily, &updater, QStringLiteral("2.1 (45)"));
    EXPECT_FALSE(again.checksDailySwitch()->isChecked());
}

TEST(UpdateSettings, LastCheckReadsNeverUntilCheckNowRuns) {
    ClockedModel clocked;
    DailyCheck daily;
    UpdateSettings view(*clocked.model, daily, nullptr, QStringLiteral("2.1 (45)"));
    EXPECT_EQ(view.lastCheckLabel()->text(), "Never");
    EXPECT_EQ(view.checkNowButton()->text(), "Check Now");
    view.checkNowButton()->click();
    ASSERT_TRUE(runUntil([&] { return clocked.model->lastCheck().has_value(); }));
    EXPECT_EQ(clocked.checks->load(), 1);
    EXPECT_EQ(view.lastCheckLabel()->text(), "Checked just now");
    bool folderShown = false;
    for (QLabel* label : view.findChildren<QLabel*>()) {
        folderShown |= label->text() == "Applications";
    }
    EXPECT_TRUE(folderShown);
}

TEST(UpdateSettings, OwnUpdateSectionOnlyWithTheBundlesConfiguration) {
    ClockedModel clocked;
    DailyCheck daily;
    SelfUpdater inert(Configuration{});
    UpdateSettings plain(*clocked.model, daily, &inert, QStringLiteral("2.1 (45)"));
    EXPECT_EQ(plain.selfCheckButton(), nullptr);
    UpdateSettings none(*clocked.model, daily, nullptr, QStringLiteral("2.1 (45)"));
    EXPECT_EQ(none.selfCheckButton(), nullptr);

    Configuration config;
    config.feedURL = "https://velmar.example/kestle.xml";
    config.publicEDKey = "c29tZSBrZXk=";
    SelfUpdater configured(config);
    UpdateSettings view(*clocked.model, daily, &configured, QStringLiteral("2.1 (45)"));
    ASSERT_NE(view.selfCheckButton(), nullptr);
    auto* row =
        dynamic_cast<kestle::app::VelmarSettingsForm::Row*>(view.selfCheckButton()->parentWidget());
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->label()->text(), "VelmarKestle 2.1 (45)");
    view.selfCheckButton()->click(); // not started: nothing to check with, nothing breaks
}

} // namespace
