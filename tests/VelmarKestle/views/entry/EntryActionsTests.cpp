#include <optional>
#include <string>
#include <vector>

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/entry/EntryActions.hpp"
#include "views/entry/MoreItems.hpp"
#include "views/entry/MoreMenu.hpp"
#include "views/entry/NotifyMeButton.hpp"
#include "views/jobs/UpdateProblemRow.hpp"
#include "views/jobs/UpdateProgressRow.hpp"
#include "views/style/LocaleFormat.hpp"

using kestle::AppEntry;
using kestle::CatalogApp;
using kestle::UpdateFailure;
using kestle::UpdateOutcome;
using kestle::Url;
using kestle::app::AppActions;
using kestle::app::EntryActions;
using kestle::app::KestleButton;
using kestle::app::MoreItems;
using kestle::app::NotifyMeButton;
using kestle::test::ViewTestModel;

namespace {

AppEntry coming() {
    AppEntry entry;
    entry.app = ViewTestModel::catalogApp("atlas", "Atlas", false);
    entry.app.status = CatalogApp::Status::coming;
    return entry;
}

AppEntry withoutFeedItem(AppEntry entry) {
    entry.latest.reset();
    entry.feedFailed = true;
    return entry;
}

// The menu's entries as shown: texts, "-" for a divider, "(off)" after a disabled item.
std::vector<std::string> itemsOf(MoreItems& menu) {
    emit menu.aboutToShow();
    std::vector<std::string> items;
    for (QAction* action : menu.actions()) {
        std::string text = action->isSeparator() ? "-" : action->text().toStdString();
        items.push_back(action->isEnabled() ? text : text + " (off)");
    }
    return items;
}

using Items = std::vector<std::string>;

TEST(EntryActions, MainControlAndMenuFollowTheStatus) {
    ViewTestModel t;
    struct Case {
        const char* fault;
        AppEntry entry;
        bool compact;
        QString text;
        bool prominent;
        bool enabled;
        bool menu;
    };
    const Case cases[] = {
        {"not installed installs", t.entry("maps"), false, "Install", true, true, true},
        {"no feed item, nothing to install", withoutFeedItem(t.entry("maps")), false, "Install",
         true, false, true},
        {"installed opens, quietly", withoutFeedItem(t.entry("notes")), false, "Open", false, true,
         true},
        {"an update names its version", t.entry("notes"), true, "Update to 1.2", true, true, true},
        {"coming asks to be told", coming(), false, "Notify Me When It’s Out", false, true, false},
        {"coming in a row uses the short label", coming(), true, "Notify Me", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        EntryActions actions(*t.model, c.entry, {}, c.compact);
        ASSERT_EQ(actions.mode(), EntryActions::Mode::controls);
        auto* button = qobject_cast<KestleButton*>(actions.mainControl());
        ASSERT_TRUE(button);
        EXPECT_EQ(button->text(), c.text);
        EXPECT_EQ(button->isProminent(), c.prominent);
        EXPECT_EQ(button->isEnabled(), c.enabled);
        EXPECT_TRUE(button->fills());
        EXPECT_EQ(actions.moreMenu() != nullptr, c.menu);
        EXPECT_EQ(qobject_cast<NotifyMeButton*>(button) != nullptr, !c.menu);
    }

    // A blank holds the menu's place in rows only, so columns line up.
    EntryActions row(*t.model, coming(), {}, true);
    EntryActions card(*t.model, coming(), {}, false);
    row.resize(300, 40);
    card.resize(300, 40);
    row.show();
    card.show();
    EXPECT_EQ(row.mainControl()->width(), card.mainControl()->width() - 32 - 8);
}

TEST(EntryActions, ControlsActOnTheQueueAndTheActions) {
    ViewTestModel t;
    std::vector<std::string> opened;
    AppActions actions;
    actions.open = [&](const AppEntry& entry) { opened.push_back(entry.id()); };

    EntryActions open(*t.model, withoutFeedItem(t.entry("notes")), actions, false);
    open.mainControl()->click();
    EXPECT_EQ(opened, std::vector<std::string>{"notes"});
    EXPECT_TRUE(t.script->ids.empty());

    EntryActions install(*t.model, t.entry("maps"), actions, false);
    install.mainControl()->click();
    EXPECT_EQ(t.script->ids, std::vector<std::string>{"maps"});
    EXPECT_EQ(t.model->queue().kind("maps"), kestle::JobKind::install);

    EntryActions update(*t.model, t.entry("paint"), actions, false);
    update.mainControl()->click();
    EXPECT_EQ(t.model->queue().kind("paint"), kestle::JobKind::update);
}

TEST(EntryActions, ActionAreaSwapsRowsAndComesBackWithoutRebuilding) {
    ViewTestModel t;
    EntryActions actions(*t.model, t.entry("notes"), {}, false);
    actions.show();
    EXPECT_FALSE(actions.progressRow()) << "rows are made only when needed";
    EXPECT_FALSE(actions.problemRow());
    QAbstractButton* main = actions.mainControl();
    const QObjectList children = actions.children();

    // Another app's job changes the queue but not this entry's state.
    t.model->queue().install(t.entry("maps"));
    EXPECT_EQ(actions.children(), children);
    EXPECT_EQ(actions.mainControl(), main);
    actions.setEntry(t.entry("notes"));
    EXPECT_EQ(actions.children(), children);
    t.script->end(UpdateOutcome::canceled());

    t.model->queue().update(t.entry("notes"));
    EXPECT_EQ(actions.mode(), EntryActions::Mode::progress);
    ASSERT_TRUE(actions.progressRow());
    EXPECT_TRUE(actions.progressRow()->isVisible());
    EXPECT_FALSE(actions.mainControl());
    EXPECT_FALSE(main->isVisibleTo(&actions));
    auto* progress = actions.progressRow();
    t.script->step(kestle::UpdateStep::downloading(10, 100));
    EXPECT_EQ(actions.progressRow(), progress) << "a new step keeps the row";

    t.script->end(UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::connection)));
    EXPECT_EQ(actions.mode(), EntryActions::Mode::problem);
    ASSERT_TRUE(actions.problemRow());
    EXPECT_TRUE(actions.problemRow()->isVisible());
    EXPECT_FALSE(actions.progressRow()->isVisible());

    t.model->queue().cancel("notes");
    EXPECT_EQ(actions.mode(), EntryActions::Mode::controls);
    EXPECT_EQ(actions.mainControl(), main) << "the controls come back as they were";
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(actions.problemRow()->isVisible());
}

TEST(EntryActions, NotifyMeFollowsTheLedger) {
    ViewTestModel t;
    int toggles = 0;
    AppActions actions;
    actions.notifyMe = [&](const AppEntry& entry, kestle::app::KestleModel& model) {
        ++toggles;
        model.setWatching(entry, !model.ledger().isWatching(entry.id()));
    };
    NotifyMeButton button(*t.model, coming(), actions, true, true);
    EXPECT_EQ(button.text(), "Notify Me");
    EXPECT_TRUE(button.symbol().isEmpty());
    EXPECT_EQ(button.toolTip(), "A notification when Atlas is out");
    EXPECT_EQ(button.accessibleDescription(), "Off");
    EXPECT_FALSE(button.isChecked());

    button.click();
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(button.text(), "We’ll Let You Know");
    EXPECT_EQ(button.symbol(), "checkmark");
    EXPECT_EQ(button.toolTip(), "Click to stop the notice for Atlas");
    EXPECT_EQ(button.accessibleName(), "Notify Me When It’s Out");
    EXPECT_EQ(button.accessibleDescription(), "On");
    EXPECT_TRUE(button.isChecked());

    // A change made elsewhere (the menu bar, another card) reaches this button too.
    t.model->setWatching(coming(), false);
    EXPECT_EQ(button.text(), "Notify Me");
    EXPECT_FALSE(button.isChecked());
}

TEST(MoreItems, ItemsPerStatusAndVariant) {
    ViewTestModel t;
    AppEntry fileSite = t.entry("maps");
    fileSite.app.site = Url::fromPath("/Library/Docs/maps.html");
    struct Case {
        const char* fault;
        AppEntry entry;
        MoreItems::Variant variant;
        Items items;
    };
    const auto card = MoreItems::Variant::card;
    const auto detail = MoreItems::Variant::detail;
    const Case cases[] = {
        {"installed with a site and an update",
         t.entry("notes"),
         card,
         {"What’s New in 1.2", "Show in Folder", "Open velmar.example", "Report a Problem…", "-",
          "Move to Trash…"}},
        {"installed without a site",
         t.entry("paint"),
         card,
         {"What’s New in 2.1", "Show in Folder", "Report a Problem…", "-", "Move to Trash…"}},
        {"not installed: nothing to show or remove",
         t.entry("maps"),
         card,
         {"What’s New in 3.0", "Open velmar.example"}},
        {"no feed item, no news", withoutFeedItem(t.entry("maps")), card, {"Open velmar.example"}},
        {"a site without a host shows the whole URL",
         fileSite,
         card,
         {"What’s New in 3.0", "Open file:///Library/Docs/maps.html"}},
        {"detail page, installed",
         t.entry("notes"),
         detail,
         {"Show in Folder", "Open velmar.example", "-", "Move to Trash…"}},
        {"detail page, not installed", t.entry("maps"), detail, {"Open velmar.example"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        MoreItems menu(*t.model, c.entry, {}, c.variant);
        EXPECT_EQ(itemsOf(menu), c.items);
    }
}

// Offered only for the build the kept copy was replaced by, with the space it takes,
// and only while no job of the app is in the queue.
TEST(MoreItems, GoBackIsOfferedForAKeptCopyOfTheInstalledBuild) {
    ViewTestModel t(/*keptCopies=*/true);
    std::vector<std::string> asked;
    AppActions actions;
    actions.goBack = [&](const AppEntry& e, kestle::app::KestleModel&) { asked.push_back(e.id()); };
    const std::string goBack =
        "Go Back to 1.0 (" + kestle::app::LocaleFormat::byteCount(4'200'000).toStdString() + ")…";
    MoreItems card(*t.model, t.entry("notes"), actions, MoreItems::Variant::card);
    MoreItems detail(*t.model, t.entry("notes"), actions, MoreItems::Variant::detail);
    EXPECT_EQ(itemsOf(card), (Items{"What’s New in 1.2", "Show in Folder", "Open velmar.example",
                                    "Report a Problem…", "-", goBack, "-", "Move to Trash…"}));
    EXPECT_EQ(itemsOf(detail),
              (Items{"Show in Folder", "Open velmar.example", "-", goBack, "-", "Move to Trash…"}));
    MoreItems paint(*t.model, t.entry("paint"), actions, MoreItems::Variant::card);
    EXPECT_EQ(itemsOf(paint).back(), "Move to Trash…") << "offered for a build put there by hand";
    EXPECT_EQ(std::ranges::count(itemsOf(paint), "-"), 1);

    t.model->queue().update(t.entry("notes"));
    EXPECT_EQ(itemsOf(card)[5], goBack + " (off)") << "while an update runs";
    t.script->end(UpdateOutcome::canceled());
    itemsOf(card);
    card.actions()[5]->trigger();
    EXPECT_EQ(asked, std::vector<std::string>{"notes"});
}

TEST(MoreItems, TrashWaitsForTheQueueAndItemsAct) {
    ViewTestModel t;
    std::vector<std::string> calls;
    AppActions actions;
    actions.showInFinder = [&](const AppEntry& e) { calls.push_back("finder " + e.id()); };
    actions.openSite = [&](const AppEntry& e) { calls.push_back("site " + e.id()); };
    actions.reportProblem = [&](const std::optional<AppEntry>& e, kestle::app::KestleModel&) {
        calls.push_back("report " + e->id());
    };
    actions.moveToTrash = [&](const AppEntry& e, kestle::app::KestleModel&) {
        calls.push_back("trash " + e.id());
    };
    MoreItems menu(*t.model, t.entry("notes"), actions, MoreItems::Variant::card);
    const std::string trash = "Move to Trash…";

    t.model->queue().update(t.entry("notes"));
    EXPECT_EQ(itemsOf(menu).back(), trash + " (off)") << "while running";
    t.script->end(UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::connection)));
    EXPECT_EQ(itemsOf(menu).back(), trash + " (off)") << "while the failure is shown";
    t.model->queue().cancel("notes");
    EXPECT_EQ(itemsOf(menu).back(), trash) << "rebuilt on showing, once the state is gone";

    for (QAction* action : menu.actions()) {
        action->trigger();
    }
    EXPECT_EQ(t.model->detail(), std::optional<std::string>("notes"));
    EXPECT_EQ(calls, (std::vector<std::string>{"finder notes", "site notes", "report notes",
                                               "trash notes"}));
}

} // namespace
