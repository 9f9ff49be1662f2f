#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "check/Checker.hpp"
#include "check/WebSource.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/TestAppcast.hpp"
#include "helpers/TestSigning.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/detail/AppDetail.hpp"
#include "views/detail/ReleaseNotesView.hpp"
#include "views/detail/ReleaseSection.hpp"
#include "views/list/AppCard.hpp"
#include "views/list/AppTableRow.hpp"
#include "views/style/LocaleFormat.hpp"
#include "views/window/MainWindow.hpp"

using kestle::AppEntry;
using kestle::FeedItem;
using kestle::InstalledApp;
using kestle::Url;
using kestle::app::AppCard;
using kestle::app::AppDetail;
using kestle::app::AppTableRow;
using kestle::app::LocaleFormat;
using kestle::app::ReleaseNotesView;
using kestle::app::ReleaseSection;
using kestle::test::EnglishLocale;
using kestle::test::ViewTestModel;
using Json = nlohmann::json;

namespace {

std::chrono::sys_seconds december2024(int day) {
    return std::chrono::sys_days{std::chrono::year{2024} / 12 / day} + std::chrono::hours(10);
}

std::vector<QString> headings(const ReleaseNotesView& view) {
    std::vector<QString> out;
    for (int i = 0; i < view.sectionCount(); ++i) {
        out.push_back(view.section(i)->heading());
    }
    return out;
}

// The model of the application over a real check of a loopback server: Notes installed
// at 1.1 and Maps not installed, both on a feed with builds 1.0 to 1.4 for this machine
// among others that are not.
struct ServedModel {
    kestle::test::LoopbackServer server;
    std::shared_ptr<kestle::test::SessionScript> script =
        std::make_shared<kestle::test::SessionScript>();
    std::unique_ptr<kestle::app::KestleModel> model;

    ServedModel() {
        Json apps = Json::array();
        for (const char* id : {"notes", "maps"}) {
            apps.push_back({{"id", id},
                            {"bundleID", std::string("com.velmar.") + id},
                            {"name", id == std::string("notes") ? "Notes" : "Maps"},
                            {"tagline", {{"en", "The tidy way"}}},
                            {"description", {{"en", "What it does, in two lines."}}},
                            {"status", "released"},
                            {"feed", server.url("/feed.xml")},
                            {"icon", std::string(id) + ".png"},
                            {"minimumSystem", "14.2"}});
        }
        server.serve("/catalog.json", kestle::test::TestSigning::shared().envelope(
                                          Json{{"schema", 1}, {"apps", apps}}.dump()));
        server.serve("/feed.xml", kestle::test::mixedAppcast());

        const Url catalog = *Url::parse(server.url("/catalog.json"));
        kestle::app::Setup setup;
        auto checker = std::make_shared<kestle::Checker>(
            std::make_shared<kestle::WebSource>(catalog), kestle::test::TestSigning::shared().key(),
            std::nullopt, "15.3.1", "arm64");
        setup.checker = [checker](std::stop_token stop) { return checker->check(stop); };
        setup.catalogURL = catalog;
        setup.scanInstalled = [](const std::set<std::string>&) {
            return std::map<std::string, InstalledApp>{
                {"com.velmar.notes",
                 InstalledApp{Url::fromPath("/Applications/Notes.app"), "1.1", "11"}}};
        };
        setup.scope = kestle::UpdateScope{{Url::fromPath("/Applications")}};
        setup.termsAccepted = true;
        auto script = this->script;
        setup.makeSession = [script](const AppEntry&, kestle::JobKind,
                                     kestle::UpdateHandlers handlers) {
            return std::make_unique<kestle::test::ScriptedSession>(script, std::move(handlers));
        };
        model = std::make_unique<kestle::app::KestleModel>(std::move(setup));
        bool done = false;
        model->check(kestle::app::CheckReason::user, [&] { done = true; });
        kestle::test::runUntil([&] { return done; }, std::chrono::seconds(20));
    }

    AppEntry entry(const std::string& id) const {
        auto found = model->entry(id);
        EXPECT_TRUE(found) << id;
        return found.value_or(AppEntry{});
    }
};

TEST(ReleaseNotesView, AnUpdateListsTheNotesOfEveryEligibleReleaseItBrings) {
    EnglishLocale english;
    ServedModel served;
    const AppEntry notes = served.entry("notes");
    ASSERT_EQ(notes.status(), AppEntry::Status::updateAvailable);

    AppDetail detail(*served.model, notes, {});
    const ReleaseNotesView& view = *detail.releaseNotes();
    EXPECT_FALSE(view.isHidden());
    EXPECT_EQ(view.title(), "What’s New Since 1.1");
    EXPECT_EQ(view.dateText(), "") << "each release carries its own date";
    EXPECT_EQ(headings(view), (std::vector<QString>{"Version 1.4", "Version 1.3", "Version 1.2"}))
        << "betas, other processors, newer systems or the installed build let in";
    ASSERT_EQ(view.sectionCount(), 3);
    EXPECT_EQ(view.section(0)->dateText(), LocaleFormat::releaseDate(december2024(14)));
    EXPECT_EQ(view.section(2)->dateText(), LocaleFormat::releaseDate(december2024(12)));
    ASSERT_EQ(view.section(0)->itemCount(), 2);
    EXPECT_EQ(view.section(0)->itemLabel(0)->textFormat(), Qt::RichText);
    EXPECT_EQ(view.section(1)->itemLabel(0)->accessibleName(), "Tags");
    EXPECT_EQ(view.earlierText(), "");

    // The card and the table say how many versions the update brings.
    AppCard card(*served.model, notes, {});
    EXPECT_TRUE(card.versionLabel()->text().endsWith(" · 3 versions newer"))
        << card.versionLabel()->text().toStdString();
    AppTableRow row(*served.model, notes, {});
    EXPECT_EQ(row.newerText()->text(), "3 versions newer");
    EXPECT_FALSE(row.newerText()->isHidden());
}

TEST(ReleaseNotesView, AnAppNotInstalledShowsOnlyTheLatest) {
    EnglishLocale english;
    ServedModel served;
    const AppEntry maps = served.entry("maps");
    AppDetail detail(*served.model, maps, {});
    const ReleaseNotesView& view = *detail.releaseNotes();
    EXPECT_EQ(view.title(), "What’s New in 1.4");
    EXPECT_EQ(view.dateText(), LocaleFormat::releaseDate(december2024(14)));
    ASSERT_EQ(view.sectionCount(), 1);
    EXPECT_EQ(view.section(0)->heading(), "") << "the title already names the version";
    EXPECT_EQ(view.section(0)->itemCount(), 2);

    AppCard card(*served.model, maps, {});
    EXPECT_FALSE(card.versionLabel()->text().contains("newer"));
    AppTableRow row(*served.model, maps, {});
    EXPECT_TRUE(row.newerText()->isHidden());
}

// Installed at build 1, with 2 to 15 out; 13 has no notes.
AppEntry longHistory() {
    AppEntry entry;
    entry.app = ViewTestModel::catalogApp("notes", "Notes", true);
    entry.installed = InstalledApp{Url::fromPath("/Applications/Notes.app"), "1", "1"};
    auto release = [](int build) {
        FeedItem item = ViewTestModel::release(std::to_string(build), std::to_string(build));
        item.date = december2024(build);
        if (build != 13) {
            item.notes = {{"en", "- Change " + std::to_string(build)}};
        }
        return item;
    };
    entry.latest = release(15);
    for (int build = 14; build >= 1; --build) {
        entry.earlier.push_back(release(build));
    }
    return entry;
}

TEST(ReleaseNotesView, ListsAtMostTenReleasesWithNotesAndCountsTheRest) {
    EnglishLocale english;
    ReleaseNotesView view;
    ASSERT_TRUE(view.setEntry(longHistory(), "en"));
    EXPECT_EQ(
        headings(view),
        (std::vector<QString>{"Version 15", "Version 14", "Version 12", "Version 11", "Version 10",
                              "Version 9", "Version 8", "Version 7", "Version 6", "Version 5"}))
        << "a release without notes is left out";
    EXPECT_EQ(view.section(9)->itemLabel(0)->accessibleName(), "Change 5");
    EXPECT_EQ(view.earlierText(), "and 3 earlier versions") << "4, 3 and 2 are not listed";

    // The same view then shows an entry with less to say: nothing is left over.
    AppEntry fewer = longHistory();
    fewer.installed->build = "13";
    ASSERT_TRUE(view.setEntry(fewer, "en"));
    EXPECT_EQ(headings(view), (std::vector<QString>{"Version 15", "Version 14"}));
    EXPECT_EQ(view.earlierText(), "");

    AppEntry one = longHistory();
    one.installed->build = "14";
    ASSERT_TRUE(view.setEntry(one, "en"));
    EXPECT_EQ(view.title(), "What’s New in 15") << "one release keeps the plain heading";
    EXPECT_EQ(headings(view), std::vector<QString>{""});

    AppEntry silent = longHistory();
    silent.installed->build = "12";
    silent.latest->notes.clear();
    silent.earlier[0].notes.clear();
    EXPECT_FALSE(view.setEntry(silent, "en")) << "no release with notes, no section";
    EXPECT_EQ(view.sectionCount(), 0);
}

TEST(ReleaseNotesView, SavesAScreenshotOfSeveralReleases) {
    EnglishLocale english;
    const std::filesystem::path folder = KESTLE_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    for (bool dark : {false, true}) {
        ServedModel served;
        kestle::app::AppActions actions;
        actions.open = [](const AppEntry&) {};
        kestle::app::MainWindow window(*served.model, actions);
        window.setPalette(dark ? kestle::test::darkPalette() : kestle::test::lightPalette());
        window.resize(1000, 1000);
        window.show();
        served.model->setDetail("notes");
        kestle::test::spin(std::chrono::milliseconds(50));
        const std::filesystem::path file =
            folder / (dark ? "detail-release-notes-dark.png" : "detail-release-notes-light.png");
        const QImage image = window.grab().toImage();
        ASSERT_TRUE(image.save(QString::fromStdString(file.string())));
        EXPECT_GT(std::filesystem::file_size(file), 10'000u) << file;
    }
}

} // namespace
