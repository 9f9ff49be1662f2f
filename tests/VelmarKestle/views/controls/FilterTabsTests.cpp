#include "views/controls/FilterTabs.hpp"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <QAbstractButton>
#include <QLocale>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "model/KestleModel.hpp"

using kestle::AppFilter;
using kestle::CatalogApp;
using kestle::CheckResult;
using kestle::FeedItem;
using kestle::InstalledApp;
using kestle::Url;
using kestle::app::CheckReason;
using kestle::app::FilterTabs;
using kestle::app::KestleModel;
using kestle::test::runUntil;

namespace {

CatalogApp app(const std::string& id, CatalogApp::Status status = CatalogApp::Status::released) {
    CatalogApp app;
    app.id = id;
    app.bundleID = "com.velmar." + id;
    app.name = id;
    app.status = status;
    return app;
}

// A catalog of notes (feed build 2), maps (feed build 3), clock (coming) and paint; the
// scan finds what installed holds, which the test changes between refreshes.
struct FakeSetup {
    std::shared_ptr<std::mutex> lock = std::make_shared<std::mutex>();
    std::shared_ptr<std::map<std::string, InstalledApp>> installed =
        std::make_shared<std::map<std::string, InstalledApp>>();

    void install(const std::string& id, const std::string& build) {
        std::lock_guard guard(*lock);
        (*installed)
            .insert_or_assign(
                "com.velmar." + id,
                InstalledApp{Url::fromPath("/Applications/" + id + ".app"), "1." + build, build});
    }

    kestle::app::Setup setup() {
        kestle::app::Setup setup;
        setup.checker = [](std::stop_token) {
            CheckResult result;
            result.catalog =
                kestle::Catalog{1,
                                {app("notes"), app("maps"),
                                 app("clock", CatalogApp::Status::coming), app("paint")}};
            FeedItem notes;
            notes.build = "2";
            FeedItem maps;
            maps.build = "3";
            result.latest = {{"notes", notes}, {"maps", maps}};
            return result;
        };
        setup.scanInstalled = [lock = lock, installed = installed](const std::set<std::string>&) {
            std::lock_guard guard(*lock);
            return *installed;
        };
        setup.termsAccepted = true;
        return setup;
    }
};

bool check(KestleModel& model) {
    bool done = false;
    model.check(CheckReason::user, [&] { done = true; });
    return runUntil([&] { return done; });
}

bool refresh(KestleModel& model) {
    bool done = false;
    model.refreshInstalled([&] { done = true; });
    return runUntil([&] { return done; });
}

QAbstractButton* button(FilterTabs& tabs, AppFilter filter) {
    for (auto* candidate : tabs.findChildren<QAbstractButton*>()) {
        if (candidate->text() == FilterTabs::title(filter)) {
            return candidate;
        }
    }
    return nullptr;
}

std::string counts(const FilterTabs& tabs) {
    std::string out;
    for (AppFilter filter : kestle::allAppFilters) {
        out += out.empty() ? "" : " ";
        out += tabs.tab(filter).count.toStdString();
    }
    return out;
}

TEST(FilterTabs, CountsFollowTheModelsEntriesAndIgnoreTheSearch) {
    FakeSetup fakes;
    fakes.install("notes", "1");
    KestleModel model(fakes.setup());
    FilterTabs tabs(model);
    EXPECT_EQ(counts(tabs), "0 0 0 0") << "no check yet";

    ASSERT_TRUE(check(model));
    // all, installed, updates, not installed
    EXPECT_EQ(counts(tabs), "4 1 1 3");
    EXPECT_TRUE(tabs.tab(AppFilter::updates).highlighted);

    model.setQuery("maps");
    EXPECT_EQ(counts(tabs), "4 1 1 3");

    fakes.install("notes", "2");
    fakes.install("maps", "1");
    ASSERT_TRUE(refresh(model));
    EXPECT_EQ(counts(tabs), "4 2 1 2");
    EXPECT_TRUE(tabs.tab(AppFilter::updates).highlighted);

    fakes.install("maps", "3");
    ASSERT_TRUE(refresh(model));
    EXPECT_EQ(counts(tabs), "4 2 0 2");
    EXPECT_FALSE(tabs.tab(AppFilter::updates).highlighted) << "back to medium secondary at 0";
    for (AppFilter filter : {AppFilter::all, AppFilter::installed, AppFilter::notInstalled}) {
        EXPECT_FALSE(tabs.tab(filter).highlighted) << "only the Updates count is highlighted";
    }
}

TEST(FilterTabs, ClickingATabSetsTheFilterAndTheModelDrivesTheSelection) {
    FakeSetup fakes;
    KestleModel model(fakes.setup());
    FilterTabs tabs(model);
    auto selected = [&tabs] {
        std::string out;
        for (AppFilter filter : kestle::allAppFilters) {
            out += tabs.tab(filter).selected ? "x" : "-";
            out += button(tabs, filter)->isChecked() ? "x" : "-";
        }
        return out;
    };
    EXPECT_EQ(selected(), "xx------");

    button(tabs, AppFilter::updates)->click();
    EXPECT_EQ(model.filter(), AppFilter::updates);
    EXPECT_EQ(selected(), "----xx--");

    button(tabs, AppFilter::updates)->click();
    EXPECT_EQ(model.filter(), AppFilter::updates);
    EXPECT_EQ(selected(), "----xx--") << "clicking the selected tab keeps it selected";

    model.setFilter(AppFilter::notInstalled);
    EXPECT_EQ(selected(), "------xx");
}

TEST(FilterTabs, TitlesInOrderAndCountsInTheUsersLocale) {
    FakeSetup fakes;
    KestleModel model(fakes.setup());
    ASSERT_TRUE(check(model));
    QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    FilterTabs tabs(model);
    QString all = tabs.tab(AppFilter::all).count;
    QLocale::setDefault(saved);
    EXPECT_EQ(all, QLocale(QLocale::Arabic, QLocale::Egypt).toString(4));
    EXPECT_NE(all, QStringLiteral("4")) << "Egyptian Arabic writes its own digits";

    std::string titles;
    for (auto* tab : tabs.findChildren<QAbstractButton*>()) {
        titles += titles.empty() ? "" : ", ";
        titles += tab->text().toStdString();
    }
    EXPECT_EQ(titles, "All, Installed, Updates, Not Installed");
    EXPECT_EQ(tabs.accessibleName().toStdString(), "Filter the Apps");
}

} // namespace
