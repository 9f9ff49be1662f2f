#include "views/menubar/MenuBarContent.hpp"

#include <string>
#include <utility>
#include <vector>

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "VelmarKestle/views/menubar/MenuTestSupport.hpp"
#include "helpers/LogCapture.hpp"
#include "model/Configuration.hpp"
#include "services/SelfUpdater.hpp"

using kestle::AppEntry;
using kestle::UpdateOutcome;
using kestle::UpdateStep;
using kestle::app::MenuBarContent;
using kestle::app::SelfUpdater;
using kestle::test::EnglishLocale;
using kestle::test::LogCapture;
using kestle::test::runUntil;
using kestle::test::shownAction;
using kestle::test::shownItems;
using kestle::test::SmallModel;
using kestle::test::ViewTestModel;
using Items = std::vector<std::string>;

namespace {

// What the menu's items asked for, in order: "window terms (front)", "quit user", ….
struct Recorded {
    std::vector<std::string> calls;

    MenuBarContent::Actions actions(bool settings) {
        MenuBarContent::Actions actions;
        actions.openWindow = [this](const QString& identifier, bool activate) {
            calls.push_back("window " + identifier.toStdString() + (activate ? " (front)" : ""));
        };
        actions.quit = [this](bool userQuit) { calls.push_back(userQuit ? "quit user" : "quit"); };
        if (settings) {
            actions.openSettings = [this] { calls.push_back("settings"); };
        }
        actions.openApp = [this](const AppEntry& entry) { calls.push_back("open " + entry.id()); };
        return actions;
    }
};

void trigger(const QMenu& menu, const char* text) {
    QAction* action = shownAction(menu, QString::fromUtf8(text));
    ASSERT_NE(action, nullptr) << text;
    action->trigger();
}

} // namespace

TEST(MenuBarContent, BeforeTheTermsOnlyTheTermsAndQuit) {
    SmallModel fixture(false);
    Recorded recorded;
    MenuBarContent content(*fixture.model, nullptr, recorded.actions(true));
    EXPECT_EQ(shownItems(*content.menu()),
              (Items{"Terms of Use…", "---", "Quit VelmarKestle [Ctrl+Q]"}));
    trigger(*content.menu(), "Terms of Use…");
    trigger(*content.menu(), "Quit VelmarKestle");
    EXPECT_EQ(recorded.calls, (Items{"window terms (front)", "quit"}))
        << "the terms' Quit is not the user's Quit that may show the tip prompt";

    fixture.model->acceptTerms();
    EXPECT_EQ(shownItems(*content.menu()).front(), "Your Apps Are Up to Date (off)")
        << "accepting the terms turns the same menu into the full one";
    bool checked = false;
    fixture.model->check(kestle::app::CheckReason::user, [&] { checked = true; });
    ASSERT_TRUE(runUntil([&] { return checked; }));
    EXPECT_EQ(
        shownItems(*content.menu()),
        (Items{"Your Apps Are Up to Date (off)", "---", "Open Notes", "---", "Open VelmarKestle",
               "Check for Updates", "Settings…", "---", "Quit VelmarKestle"}))
        << "accepting the terms turns the same menu into the full one";
}

TEST(MenuBarContent, FullMenuRunsEachItem) {
    EnglishLocale english;
    ViewTestModel fixture;
    Recorded recorded;
    MenuBarContent content(*fixture.model, nullptr, recorded.actions(false));
    const QMenu& menu = *content.menu();
    EXPECT_EQ(shownItems(menu),
              (Items{"Update Notes to 1.2", "Update Paint to 2.1", "Update All", "---",
                     "Open Notes", "Open Paint", "---", "Open VelmarKestle", "Check for Updates",
                     "---", "Quit VelmarKestle"}))
        << "no Settings item without a settings window; Maps is not installed";
    EXPECT_EQ(menu.minimumWidth(), 300);

    trigger(menu, "Open Paint");
    trigger(menu, "Open VelmarKestle");
    trigger(menu, "Quit VelmarKestle");
    EXPECT_EQ(recorded.calls, (Items{"open paint", "window main (front)", "quit user"}));

    trigger(menu, "Check for Updates");
    EXPECT_TRUE(fixture.model->isChecking());
    EXPECT_FALSE(shownAction(menu, QStringLiteral("Check for Updates"))->isEnabled());
    ASSERT_TRUE(runUntil([&] { return !fixture.model->isChecking(); }));
    EXPECT_TRUE(shownAction(menu, QStringLiteral("Check for Updates"))->isEnabled());

    trigger(menu, "Update Paint to 2.1");
    EXPECT_EQ(fixture.script->ids, (Items{"paint"}));
    EXPECT_EQ(shownItems(menu)[1], "Paint: preparing… (off)");
    trigger(menu, "Paint: preparing…");
    EXPECT_EQ(fixture.script->ids, (Items{"paint"})) << "a disabled line does nothing";
}

TEST(MenuBarContent, ActionsChangeInPlaceAsTheQueueMoves) {
    EnglishLocale english;
    ViewTestModel fixture;
    Recorded recorded;
    MenuBarContent content(*fixture.model, nullptr, recorded.actions(true));
    const QMenu& menu = *content.menu();
    const QList<QAction*> before = menu.actions();

    trigger(menu, "Update All");
    fixture.script->step(UpdateStep::downloading(250'000, 1'000'000));
    QAction* notes = shownAction(menu, QStringLiteral("Notes: 25% of 1 MB"));
    ASSERT_NE(notes, nullptr) << testing::PrintToString(shownItems(menu));
    fixture.script->step(UpdateStep::downloading(500'000, 1'000'000));
    EXPECT_EQ(notes->text().toStdString(), "Notes: 50% of 1 MB") << "the same action changes";
    EXPECT_FALSE(notes->isEnabled());

    fixture.script->end(UpdateOutcome::failed({}));
    EXPECT_EQ(notes->text().toStdString(), "Notes: didn’t go through, try again");
    EXPECT_TRUE(notes->isEnabled());
    EXPECT_EQ(menu.actions(), before) << "two lines instead of three hide one, add none";
    EXPECT_EQ(shownItems(menu),
              (Items{"Notes: didn’t go through, try again", "Paint: preparing… (off)", "---",
                     "Open Notes", "Open Paint", "---", "Open VelmarKestle", "Check for Updates",
                     "Settings…", "---", "Quit VelmarKestle"}));
}

TEST(MenuBarContent, AWaitingSelfUpdateComesFirst) {
    EnglishLocale english;
    SmallModel fixture(true);
    kestle::app::Configuration config;
    SelfUpdater updater(config);
    updater.delegate().owner = &updater;
    Recorded recorded;
    MenuBarContent content(*fixture.model, &updater, recorded.actions(false));
    EXPECT_EQ(shownItems(*content.menu()).front(), "Your Apps Are Up to Date (off)");

    updater.delegate().standardUserDriverWillHandleShowingUpdate(
        false, kestle::framework::AppcastItem{}, kestle::framework::UserUpdateState{});
    const Items shown = shownItems(*content.menu());
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(Items(shown.begin(), shown.begin() + 3),
              (Items{"Install VelmarKestle Update…", "---", "Your Apps Are Up to Date (off)"}));
    LogCapture log;
    trigger(*content.menu(), "Install VelmarKestle Update…");
    EXPECT_TRUE(LogCapture::contains("Check for VelmarKestle updates chosen"));

    updater.delegate().standardUserDriverWillFinishUpdateSession();
    EXPECT_EQ(shownItems(*content.menu()).front(), "Your Apps Are Up to Date (off)");
}
