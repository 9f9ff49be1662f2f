#include <atomic>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QDateTime>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimeZone>
#include <QToolButton>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "VelmarKestle/views/window/WindowFixture.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/detail/AppDetail.hpp"
#include "views/list/AppCard.hpp"
#include "views/list/AppGrid.hpp"
#include "views/list/AppTable.hpp"
#include "views/list/EmptyList.hpp"
#include "views/list/ListHeader.hpp"
#include "views/style/LocaleFormat.hpp"
#include "views/window/CatalogUnavailable.hpp"
#include "views/window/MainWindow.hpp"
#include "views/window/StatusFooter.hpp"

using kestle::AppEntry;
using kestle::CatalogApp;
using kestle::CheckFailure;
using kestle::CheckResult;
using kestle::FeedItem;
using kestle::InstalledApp;
using kestle::Url;
using kestle::app::AppActions;
using kestle::app::CheckReason;
using kestle::app::Clock;
using kestle::app::KestleModel;
using kestle::app::ListLayout;
using kestle::app::LocaleFormat;
using kestle::app::MainWindow;
using kestle::app::StatusFooter;
using kestle::test::EnglishLocale;
using kestle::test::fiveApps;
using kestle::test::runUntil;
using kestle::test::ViewTestModel;
using kestle::test::WindowFixture;

namespace {

Clock::time_point local(int year, int month, int day, int hour, int minute, int second = 0) {
    const QDateTime time(QDate(year, month, day), QTime(hour, minute, second));
    return Clock::time_point(std::chrono::seconds(time.toSecsSinceEpoch()));
}

TEST(MainWindow, LoadsThenShowsTheListOrWhyItCannot) {
    EnglishLocale english;
    WindowFixture fixture(true);
    MainWindow window(*fixture.model, fixture.actions());
    window.show();
    // The window's appearance starts the first check, held at the gate.
    ASSERT_TRUE(runUntil([&] { return fixture.model->isChecking(); }));
    EXPECT_EQ(window.page(), MainWindow::Page::unavailable);
    EXPECT_TRUE(window.catalogUnavailable()->isLoading());
    EXPECT_EQ(window.catalogUnavailable()->title(), "Loading the Apps…");
    EXPECT_EQ(window.footer()->status(), StatusFooter::Status::checking);
    EXPECT_EQ(window.footer()->statusText(), "Checking for updates…");
    EXPECT_FALSE(window.checkButton()->isEnabled());

    fixture.gate->set_value();
    ASSERT_TRUE(runUntil([&] { return !fixture.model->isChecking(); }));
    EXPECT_EQ(window.page(), MainWindow::Page::list);
    EXPECT_TRUE(window.checkButton()->isEnabled());
    EXPECT_EQ(window.footer()->status(), StatusFooter::Status::checked);
    EXPECT_EQ(window.footer()->statusText(), "Checked just now · catalog from velmar.example");
    EXPECT_EQ(window.header()->countText(), "5 apps");

    // A later check that fails offline keeps the last catalog on screen but says so.
    CheckResult cached = fiveApps();
    cached.catalogFailure = CheckFailure::server(503);
    fixture.answerWith(cached);
    ASSERT_TRUE(fixture.check());
    EXPECT_EQ(window.page(), MainWindow::Page::list);
    EXPECT_EQ(window.footer()->status(), StatusFooter::Status::problem);
    EXPECT_EQ(window.footer()->statusText(), "velmar’s server answered with an error (503).");
    EXPECT_FALSE(window.footer()->tryAgainButton()->isHidden());
}

TEST(MainWindow, WithoutACatalogTheWholeContentSaysWhy) {
    EnglishLocale english;
    struct Case {
        std::optional<CheckFailure> failure;
        const char* message;
        const char* footer;
    };
    const Case cases[] = {
        {CheckFailure::offline(), "Check the internet connection and try again.",
         "Can’t reach velmar: no connection."},
        {CheckFailure::server(500),
         "velmar’s server answered with an error (500). Try again in a few minutes.",
         "velmar’s server answered with an error (500)."},
        {CheckFailure::invalid(),
         "The list downloaded isn’t signed by velmar, so VelmarKestle doesn’t use it.",
         "The list of apps isn’t signed by velmar."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        WindowFixture fixture;
        CheckResult failed;
        failed.catalogFailure = c.failure;
        fixture.answerWith(failed);
        MainWindow window(*fixture.model, fixture.actions());
        ASSERT_TRUE(fixture.check());
        EXPECT_EQ(window.page(), MainWindow::Page::unavailable);
        EXPECT_FALSE(window.catalogUnavailable()->isLoading());
        EXPECT_EQ(window.catalogUnavailable()->title(), "Can’t Load the List of Apps");
        EXPECT_EQ(window.catalogUnavailable()->message(), QString::fromUtf8(c.message));
        EXPECT_EQ(window.footer()->statusText(), QString::fromUtf8(c.footer));

        // "Try Again" checks again; a good answer brings the list.
        fixture.answerWith(fiveApps());
        window.catalogUnavailable()->tryAgainButton()->click();
        ASSERT_TRUE(runUntil([&] { return window.page() == MainWindow::Page::list; }));
    }
}

TEST(StatusFooter, CheckTimesReadRelativeToNow) {
    EnglishLocale english;
    const Clock::time_point now = local(2026, 12, 9, 10, 0);
    struct Case {
        Clock::time_point last;
        QString text;
    };
    const Case cases[] = {
        {now - std::chrono::seconds(59), "Checked just now"},
        // ICU's US English puts a narrow no-break space before the day period.
        {local(2026, 12, 9, 9, 5), QString::fromUtf8("Checked today at 9:05\u202FAM")},
        {local(2026, 12, 9, 0, 0), QString::fromUtf8("Checked today at 12:00\u202FAM")},
        {local(2026, 12, 8, 23, 59), QString::fromUtf8("Checked yesterday at 11:59\u202FPM")},
        {local(2026, 12, 7, 23, 59), "Checked on Dec 7, 2026"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(StatusFooter::checkTimeText(c.last, now), c.text);
    }
    // In Italian the clock has no day period and the list joins with "e".
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_EQ(LocaleFormat::timeOfDay(
                  std::chrono::time_point_cast<std::chrono::seconds>(local(2026, 12, 8, 23, 59))),
              "23:59");
    EXPECT_EQ(LocaleFormat::andList({"Lumen", "Quill", "Tessera"}), "Lumen, Quill e Tessera");
}

TEST(StatusFooter, FailedFeedsAreNamedInOneSentence) {
    EnglishLocale english;
    WindowFixture fixture;
    CheckResult partial = fiveApps();
    partial.failedFeeds = {{"maps", CheckFailure::offline()}, {"paint", CheckFailure::server(404)}};
    partial.latest.erase("maps");
    fixture.answerWith(partial);
    StatusFooter footer(*fixture.model, fixture.actions());
    ASSERT_TRUE(fixture.check());
    EXPECT_EQ(footer.status(), StatusFooter::Status::problem);
    EXPECT_EQ(footer.statusText(), "Couldn’t check Maps and Paint.");
    EXPECT_EQ(LocaleFormat::andList({"A", "B", "C"}), "A, B, and C");

    footer.reportButton()->click();
    EXPECT_EQ(fixture.problemReports, 1);
    EXPECT_EQ(StatusFooter::sourceText(fixture.model->setup()), "catalog from velmar.example");
    kestle::app::Setup sample;
    sample.isSample = true;
    EXPECT_EQ(StatusFooter::sourceText(sample), "sample catalog");
}

TEST(MainWindow, EmptyListSaysWhyByFilterAndSearch) {
    EnglishLocale english;
    WindowFixture fixture;
    MainWindow window(*fixture.model, fixture.actions());
    ASSERT_TRUE(fixture.check());
    KestleModel& model = *fixture.model;
    struct Case {
        kestle::AppFilter filter;
        QString query;
        const char* title;
        const char* subtitle;
    };
    const Case cases[] = {
        {kestle::AppFilter::all, " Zed ", "No Apps for “Zed”",
         "Try another name, for example Brimble or Quarrow."},
        // Spaces only are no search: the filter's texts, and nothing to hide.
        {kestle::AppFilter::updates, "   ", "Your Apps Are Up to Date",
         "When a new version comes out, you’ll find it here."},
        {kestle::AppFilter::installed, "", "No Apps Installed",
         "The apps you install from here show up in this list."},
        {kestle::AppFilter::notInstalled, "", "You Have All the Apps",
         "All the velmar apps are installed on this computer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        model.setFilter(c.filter);
        model.setQuery(c.query);
        const auto texts = kestle::app::EmptyList::texts(model);
        EXPECT_EQ(texts.title, QString::fromUtf8(c.title));
        EXPECT_EQ(texts.subtitle, QString::fromUtf8(c.subtitle));
    }
    model.setFilter(kestle::AppFilter::all);
    model.setQuery("Zed");
    EXPECT_TRUE(window.grid()->isHidden());
    EXPECT_FALSE(window.emptyList()->isHidden());
    EXPECT_EQ(window.emptyList()->title(), "No Apps for “Zed”");
    EXPECT_EQ(window.header()->countText(), "0 apps");

    model.setFilter(kestle::AppFilter::installed);
    window.emptyList()->showAllButton()->click();
    EXPECT_EQ(model.filter(), kestle::AppFilter::all);
    EXPECT_EQ(model.query(), "");
    EXPECT_TRUE(window.emptyList()->isHidden());
    EXPECT_FALSE(window.grid()->isHidden());
}

TEST(MainWindow, GridKeepsTwoColumnsAndReusesItsCards) {
    WindowFixture fixture;
    MainWindow window(*fixture.model, fixture.actions());
    window.resize(1000, 1400);
    window.show(); // the window's own check
    ASSERT_TRUE(runUntil([&] { return window.page() == MainWindow::Page::list; }));
    kestle::test::spin(std::chrono::milliseconds(20)); // laid out and placed
    auto* grid = window.grid();
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_NE(grid->cardAt(2, 0), nullptr);
    EXPECT_EQ(grid->cardAt(2, 1), nullptr) << "an odd last row keeps its right cell empty";
    EXPECT_EQ(grid->cardAt(0, 0)->entry().id(), fixture.model->entries()[0].id());
    EXPECT_EQ(grid->cardAt(0, 1)->entry().id(), fixture.model->entries()[1].id());

    kestle::app::AppCard* notes = grid->card("notes");
    fixture.model->setQuery("Paint");
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->cardAt(0, 0)->entry().id(), "paint");
    EXPECT_TRUE(notes->isHidden());
    fixture.model->setQuery("");
    EXPECT_EQ(grid->card("notes"), notes) << "a card that comes back is the same widget";
    EXPECT_FALSE(notes->isHidden());
}

TEST(MainWindow, MakesOnlyTheRowsOnScreen) {
    WindowFixture fixture;
    CheckResult many;
    many.catalog = kestle::Catalog{1, {}};
    for (int i = 0; i < 200; ++i) {
        const std::string id = "app" + std::to_string(i);
        many.catalog->apps.push_back(
            ViewTestModel::catalogApp(id, "App " + std::to_string(i), false));
        many.latest.emplace(id, ViewTestModel::release("10", "1.0"));
    }
    fixture.answerWith(many);
    MainWindow window(*fixture.model, fixture.actions());
    window.resize(1000, 720);
    window.show();
    ASSERT_TRUE(runUntil([&] { return window.page() == MainWindow::Page::list; }));
    kestle::test::spin(std::chrono::milliseconds(20));
    auto made = [&] { return window.findChildren<kestle::app::AppCard*>().size(); };
    EXPECT_EQ(window.grid()->rowCount(), 100);
    EXPECT_GT(made(), 2u);
    EXPECT_LT(made(), 20u) << "a screenful of cards, not 200";
    EXPECT_EQ(window.grid()->card("app199"), nullptr);

    auto* scroll = window.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    // Placement follows the scroll on the event loop, which a loaded machine runs late.
    ASSERT_TRUE(runUntil([&] { return window.grid()->card("app199") != nullptr; }))
        << "the last card is made when it scrolls in";
    EXPECT_FALSE(window.grid()->card("app199")->isHidden());
    EXPECT_TRUE(window.grid()->card("app0")->isHidden()) << "cards scrolled away are hidden";
    EXPECT_LT(made(), 40u);

    // The table does the same, and searching narrows what it places.
    fixture.model->setLayout(ListLayout::table);
    kestle::test::spin(std::chrono::milliseconds(20));
    EXPECT_LT(window.findChildren<kestle::app::AppTableRow*>().size(), 40u);
    fixture.model->setQuery("App 19");
    EXPECT_EQ(window.table()->rowCount(), 11);         // 19 and 190-199
    kestle::test::spin(std::chrono::milliseconds(20)); // the scroll range shrinks first
    EXPECT_NE(window.table()->row(10), nullptr);
}

TEST(MainWindow, UpdateAllFollowsTheQueue) {
    EnglishLocale english;
    WindowFixture fixture;
    MainWindow window(*fixture.model, fixture.actions());
    ASSERT_TRUE(fixture.check());
    kestle::app::KestleButton* updateAll = window.header()->updateAllButton();
    EXPECT_FALSE(updateAll->isHidden());
    EXPECT_TRUE(updateAll->isEnabled());
    EXPECT_EQ(updateAll->text(), "Update All (1)");

    updateAll->click();
    ASSERT_EQ(fixture.script->ids, std::vector<std::string>{"notes"});
    EXPECT_EQ(updateAll->text(), "Updating…");
    EXPECT_FALSE(updateAll->isEnabled());

    fixture.script->end(kestle::UpdateOutcome::updated());
    ASSERT_TRUE(runUntil([&] { return !fixture.model->queue().isUpdating(); }));
    // Nothing is left to update once the refresh sees the new version.
    fixture.answerWith([] {
        CheckResult result = fiveApps();
        result.latest["notes"] = ViewTestModel::release("11", "1.1");
        return result;
    }());
    ASSERT_TRUE(fixture.check());
    EXPECT_TRUE(updateAll->isHidden());
}

TEST(MainWindow, LayoutAndDetailReplaceTheList) {
    WindowFixture fixture;
    MainWindow window(*fixture.model, fixture.actions());
    ASSERT_TRUE(fixture.check());
    EXPECT_EQ(window.table(), nullptr) << "the table is made when first asked for";

    fixture.model->setLayout(ListLayout::table);
    ASSERT_NE(window.table(), nullptr);
    EXPECT_FALSE(window.table()->isHidden());
    EXPECT_TRUE(window.grid()->isHidden());

    fixture.model->setDetail("notes");
    EXPECT_EQ(window.page(), MainWindow::Page::detail);
    ASSERT_NE(window.detail(), nullptr);
    EXPECT_FALSE(window.detail()->isHidden());
    EXPECT_EQ(window.detail()->entry().id(), "notes");

    // A detail naming an app the catalog no longer has shows the list.
    fixture.model->setDetail("gone");
    EXPECT_EQ(window.page(), MainWindow::Page::list);
    EXPECT_TRUE(window.detail()->isHidden());
}

// Pictures of the window for a person to look at; the test checks only that they were
// written and are not blank.
TEST(MainWindow, SavesScreenshots) {
    EnglishLocale english;
    const std::filesystem::path folder = KESTLE_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    for (bool dark : {false, true}) {
        WindowFixture fixture;
        MainWindow window(*fixture.model, fixture.actions());
        window.setPalette(dark ? kestle::test::darkPalette() : kestle::test::lightPalette());
        window.resize(1000, 760);
        window.show();
        ASSERT_TRUE(runUntil([&] { return fixture.model->result().has_value(); }));
        ASSERT_TRUE(runUntil([&] { return !fixture.model->isChecking(); }));
        const std::string suffix = dark ? "-dark.png" : "-light.png";
        auto save = [&](const std::string& name) {
            kestle::test::spin(std::chrono::milliseconds(50));
            const QImage image = window.grab().toImage();
            const std::filesystem::path file = folder / (name + suffix);
            ASSERT_TRUE(image.save(QString::fromStdString(file.string())));
            EXPECT_GT(std::filesystem::file_size(file), 10'000u) << file;
        };
        save("main-grid");
        fixture.model->queue().update(fixture.model->entries()[0]);
        fixture.script->step(kestle::UpdateStep::downloading(1'800'000, 4'200'000));
        kestle::AppEntry maps = *fixture.model->entry("maps");
        fixture.model->queue().install(maps);
        save("main-grid-running-job");
        fixture.model->setLayout(ListLayout::table);
        save("main-table-running-job");
        fixture.script->end(kestle::UpdateOutcome::failed(
            kestle::UpdateFailure::of(kestle::UpdateFailure::Kind::connection)));
        ASSERT_TRUE(runUntil([&] { return fixture.script->handlers.size() == 2; }));
        save("main-table-failed-job");
        fixture.model->setDetail("notes");
        save("main-detail");
    }
}

} // namespace

namespace {

// Secondary texts are drawn from the palette in use, so a switch to dark recolours
// them instead of leaving dark text on a dark window.
TEST(MainWindow, SecondaryTextsFollowTheAppearance) {
    WindowFixture fixture;
    MainWindow window(*fixture.model, fixture.actions());
    ASSERT_TRUE(fixture.check());
    auto* count = window.header()->findChild<kestle::app::ToneLabel*>();
    ASSERT_NE(count, nullptr);
    for (bool dark : {true, false}) {
        window.setPalette(dark ? kestle::test::darkPalette() : kestle::test::lightPalette());
        kestle::test::spin(std::chrono::milliseconds(10));
        const QColor text = count->palette().color(QPalette::WindowText);
        EXPECT_EQ(text.lightnessF() > 0.5, dark) << text.name().toStdString();
    }
}

} // namespace

namespace {

TEST(MainWindow, DetailOpensAtItsTopAndTheListKeepsItsPlace) {
    EnglishLocale english;
    WindowFixture fixture;
    MainWindow window(*fixture.model, fixture.actions());
    window.resize(window.minimumSize());
    window.show();
    ASSERT_TRUE(runUntil([&] { return window.page() == MainWindow::Page::list; }));
    QScrollBar* bar = window.findChild<QScrollArea*>()->verticalScrollBar();
    ASSERT_TRUE(runUntil([&] { return bar->maximum() > 100; })) << "the grid must scroll";
    bar->setValue(bar->maximum() - 20);
    const int listPlace = bar->value();

    for (const char* id : {"notes", "clock"}) {
        SCOPED_TRACE(id);
        fixture.model->setDetail(id);
        ASSERT_EQ(window.page(), MainWindow::Page::detail);
        EXPECT_EQ(bar->value(), 0);
        // Still at the top once the page's layout has settled.
        kestle::test::spin(std::chrono::milliseconds(50));
        EXPECT_EQ(bar->value(), 0);
        bar->setValue(bar->maximum());

        fixture.model->setDetail(std::nullopt);
        ASSERT_EQ(window.page(), MainWindow::Page::list);
        EXPECT_EQ(bar->value(), listPlace);
        kestle::test::spin(std::chrono::milliseconds(50));
        EXPECT_EQ(bar->value(), listPlace);
    }
}

} // namespace
