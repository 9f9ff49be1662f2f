#include <filesystem>
#include <memory>
#include <set>
#include <vector>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTranslator>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "VelmarKestle/views/settings/SettingsTestSupport.hpp"
#include "model/Configuration.hpp"
#include "services/DailyCheck.hpp"
#include "services/SelfUpdater.hpp"
#include "views/components/HeadingLabel.hpp"
#include "views/settings/SettingsSidebar.hpp"
#include "views/settings/SettingsSwitch.hpp"
#include "views/settings/SettingsView.hpp"
#include "views/settings/UpdateSettings.hpp"
#include "views/style/SystemSymbol.hpp"
#include "views/terms/KofiImageButton.hpp"

using kestle::app::DailyCheck;
using kestle::app::GeneralSettings;
using kestle::app::SettingsSection;
using kestle::app::SettingsSections;
using kestle::app::SettingsView;
using kestle::test::ClockedModel;
using kestle::test::runUntil;

namespace {

GeneralSettings::Services services(const ClockedModel& clocked) {
    auto made = kestle::test::englishRun(clocked.defaults);
    made.versionText = QStringLiteral("2.1 (45)");
    return made;
}

TEST(SettingsView, SelectedSectionSurvivesReopening) {
    ClockedModel clocked;
    DailyCheck daily;
    {
        SettingsView first(*clocked.model, services(clocked), daily, nullptr);
        EXPECT_EQ(first.selected(), SettingsSection::general) << "first opening";
        EXPECT_EQ(first.windowTitle(), "General");
        EXPECT_EQ(first.size(), QSize(720, 520));
        EXPECT_EQ(first.sidebar()->width(), 190);
        first.sidebar()->setCurrentRow(1);
        EXPECT_EQ(first.windowTitle(), "Updates");
        EXPECT_EQ(first.titleLabel()->accessibleName(), "Updates");
    }
    EXPECT_EQ(clocked.defaults->string(SettingsView::selectionKey), "updates");
    SettingsView again(*clocked.model, services(clocked), daily, nullptr);
    EXPECT_EQ(again.selected(), SettingsSection::updates);
    EXPECT_TRUE(again.general()->isHidden() || !again.general()->isVisibleTo(&again));

    for (const char* stored : {"general", "Updates", "", "advanced"}) {
        EXPECT_EQ(SettingsSections::from(std::string(stored)), SettingsSection::general) << stored;
    }
    EXPECT_EQ(SettingsSections::from(std::nullopt), SettingsSection::general);
    for (SettingsSection section : SettingsSections::all) {
        EXPECT_TRUE(kestle::app::SystemSymbol::has(SettingsSections::symbol(section)));
    }
}

void press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(target, &up);
}

// Tabs round the window from the sidebar and back; what took the focus, in order.
std::vector<QWidget*> focusChain(QWidget& window, Qt::KeyboardModifiers modifiers) {
    std::vector<QWidget*> chain;
    QWidget* start = QApplication::focusWidget();
    for (int step = 0; step < 40; ++step) {
        press(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
        QApplication::processEvents();
        QWidget* now = QApplication::focusWidget();
        if (now == start || now == nullptr || !window.isAncestorOf(now)) {
            break;
        }
        chain.push_back(now);
    }
    return chain;
}

// Everything a keyboard user should reach: enabled buttons, switches and pickers.
std::set<QWidget*> controls(QWidget& page) {
    std::set<QWidget*> found;
    for (QWidget* widget : page.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(widget) != nullptr ||
                             qobject_cast<QComboBox*>(widget) != nullptr;
        if (control && widget->isVisibleTo(&page) && widget->isEnabled()) {
            found.insert(widget);
        }
    }
    return found;
}

TEST(SettingsView, TabReachesEveryControlWithAVisibleFocusRing) {
    ClockedModel clocked;
    DailyCheck daily;
    kestle::app::Configuration config;
    config.feedURL = "https://velmar.example/kestle.xml";
    config.publicEDKey = "c29tZSBrZXk=";
    kestle::app::SelfUpdater updater(config);
    auto made = services(clocked);
    made.openTipPage = [] {};
    SettingsView view(*clocked.model, made, daily, &updater);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(runUntil([&] { return view.isActiveWindow(); }));

    for (SettingsSection section : SettingsSections::all) {
        SCOPED_TRACE(std::string(SettingsSections::rawValue(section)));
        view.select(section);
        view.sidebar()->setFocus();
        QApplication::processEvents();
        QWidget* page = section == SettingsSection::general ? static_cast<QWidget*>(view.general())
                                                            : static_cast<QWidget*>(view.updates());
        std::vector<QImage> focused{kestle::test::pixels(*view.sidebar())};
        const std::vector<QWidget*> forward = focusChain(view, Qt::NoModifier);
        std::set<QWidget*> reached(forward.begin(), forward.end());
        EXPECT_GE(forward.size(), 3u);
        EXPECT_EQ(reached, controls(*page));
        EXPECT_EQ(reached.size(), forward.size()) << "each once";

        // Each drew something while focused that it does not draw without the focus.
        std::vector<QWidget*> all{view.sidebar()};
        all.insert(all.end(), forward.begin(), forward.end());
        for (QWidget* widget : forward) {
            widget->setFocus();
            QApplication::processEvents();
            focused.push_back(kestle::test::pixels(*widget));
        }
        if (QWidget* last = QApplication::focusWidget()) {
            last->clearFocus();
        }
        QApplication::processEvents();
        for (size_t i = 0; i < all.size(); ++i) {
            EXPECT_NE(focused[i], kestle::test::pixels(*all[i]))
                << all[i]->metaObject()->className() << " "
                << all[i]->accessibleName().toStdString();
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(all[i]);
            ASSERT_NE(accessible, nullptr);
            EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
                << all[i]->metaObject()->className();
        }

        // Shift+Tab walks the same way back.
        view.sidebar()->setFocus();
        QApplication::processEvents();
        std::vector<QWidget*> backward = focusChain(view, Qt::ShiftModifier);
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(backward, forward);
    }

    // Section headings carry their text for screen readers.
    std::set<QString> headings;
    for (auto* heading : view.findChildren<kestle::app::HeadingLabel*>()) {
        EXPECT_EQ(heading->accessibleName(), heading->text());
        headings.insert(heading->text());
    }
    for (const char* name :
         {"Language", "Startup", "Notifications", "Application", "velmar Apps", "VelmarKestle"}) {
        EXPECT_TRUE(headings.contains(QString::fromUtf8(name))) << name;
    }
}

TEST(SettingsView, ReturnAndSpacePressTheFocusedButton) {
    ClockedModel clocked;
    DailyCheck daily;
    int tips = 0;
    auto made = services(clocked);
    made.openTipPage = [&] { ++tips; };
    SettingsView view(*clocked.model, made, daily, nullptr);
    view.select(SettingsSection::updates);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(runUntil([&] { return view.isActiveWindow(); }));
    QAbstractButton* checkNow = view.updates()->checkNowButton();
    checkNow->setFocus();
    press(checkNow, Qt::Key_Return);
    ASSERT_TRUE(runUntil([&] { return clocked.checks->load() == 1; }));
    ASSERT_TRUE(runUntil([&] { return !clocked.model->isChecking(); }));
    press(checkNow, Qt::Key_Space);
    EXPECT_TRUE(runUntil([&] { return clocked.checks->load() == 2; }));

    auto* daySwitch = view.updates()->checksDailySwitch();
    daySwitch->setFocus();
    press(daySwitch, Qt::Key_Space);
    EXPECT_EQ(clocked.defaults->boolean(kestle::app::UpdateSettings::checksDailyKey), false);

    view.select(SettingsSection::general);
    QAbstractButton* tip = view.general()->tipButton();
    tip->setFocus();
    press(tip, Qt::Key_Return);
    EXPECT_TRUE(runUntil([&] { return tips == 1; }));
}

// Pictures for a person to look at; the test checks only that they were written and are
// not blank. The Italian ones show what the bundle's translation has so far.
TEST(SettingsView, SavesScreenshots) {
    kestle::test::EnglishLocale english;
    const std::filesystem::path folder = KESTLE_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    for (const char* language : {"en", "it"}) {
        QTranslator italian;
        if (std::string(language) == "it") {
#ifdef KESTLE_APP_BUNDLE
            ASSERT_TRUE(
                italian.load(QStringLiteral("VelmarKestle_it"),
                             QStringLiteral(KESTLE_APP_BUNDLE "/Contents/Resources/translations")));
            QCoreApplication::installTranslator(&italian);
#else
            continue;
#endif
        }
        for (bool dark : {false, true}) {
            ClockedModel clocked;
            ASSERT_TRUE(clocked.check());
            DailyCheck daily;
            kestle::app::Configuration config;
            config.feedURL = "https://velmar.example/kestle.xml";
            config.publicEDKey = "c29tZSBrZXk=";
            kestle::app::SelfUpdater updater(config);
            SettingsView view(*clocked.model, services(clocked), daily, &updater);
            view.setPalette(dark ? kestle::test::darkPalette() : kestle::test::lightPalette());
            view.show();
            for (SettingsSection section : SettingsSections::all) {
                view.select(section);
                kestle::test::spin(std::chrono::milliseconds(50));
                const std::filesystem::path file =
                    folder / ("settings-" + std::string(SettingsSections::rawValue(section)) + "-" +
                              language + (dark ? "-dark.png" : "-light.png"));
                ASSERT_TRUE(view.grab().toImage().save(QString::fromStdString(file.string())));
                EXPECT_GT(std::filesystem::file_size(file), 10'000u) << file;
            }
        }
        QCoreApplication::removeTranslator(&italian);
    }
}

} // namespace
