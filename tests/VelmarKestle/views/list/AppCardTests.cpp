#include <chrono>
#include <optional>
#include <string>

#include <QLabel>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "views/components/StatusChip.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/NameButton.hpp"
#include "views/controls/SiteLink.hpp"
#include "views/entry/EntryActions.hpp"
#include "views/entry/EntryChip.hpp"
#include "views/list/AppCard.hpp"
#include "views/style/LocaleFormat.hpp"

using kestle::AppEntry;
using kestle::CatalogApp;
using kestle::FeedItem;
using kestle::InstalledApp;
using kestle::UpdateFailure;
using kestle::UpdateOutcome;
using kestle::UpdateState;
using kestle::Url;
using kestle::app::AppCard;
using kestle::app::EntryActions;
using kestle::app::LocaleFormat;
using kestle::app::SiteLink;
using kestle::test::EnglishLocale;
using kestle::test::ViewTestModel;

namespace {

constexpr std::chrono::sys_seconds kDate{std::chrono::seconds(1'796'774'400)}; // 2026-12-09

AppEntry entryWith(std::optional<std::string> installedBuild, std::optional<std::string> feedBuild,
                   bool coming = false) {
    AppEntry entry;
    entry.app = ViewTestModel::catalogApp("notes", "Notes", true);
    if (coming) {
        entry.app.status = CatalogApp::Status::coming;
    }
    if (installedBuild) {
        entry.installed =
            InstalledApp{Url::fromPath("/Applications/Notes.app"), "1.1", *installedBuild};
    }
    if (feedBuild) {
        entry.latest = ViewTestModel::release(*feedBuild, "1.2");
    }
    return entry;
}

// One more release between the installed build 11 and the latest.
AppEntry skipping(AppEntry entry) {
    entry.earlier = {ViewTestModel::release("11.5", "1.1.5")};
    return entry;
}

AppEntry dated(AppEntry entry, std::optional<int64_t> length = std::nullopt) {
    entry.latest->date = kDate;
    entry.latest->length = length;
    return entry;
}

TEST(AppCard, VersionLineFollowsStatusAndWhatTheFeedKnows) {
    EnglishLocale english;
    const QString date = LocaleFormat::releaseDate(kDate);
    struct Case {
        const char* fault;
        AppEntry entry;
        QString line;
    };
    const Case cases[] = {
        {"coming app", entryWith(std::nullopt, std::nullopt, true),
         "In development, release date to be announced"},
        {"update with a date", dated(skipping(entryWith("11", "12"))),
         QString("1.1 installed → 1.2 released %1 · 2 versions newer").arg(date)},
        {"update without a date drops it", skipping(entryWith("11", "12")),
         "1.1 installed → 1.2 · 2 versions newer"},
        {"up to date shows the feed's date", dated(entryWith("12", "12")),
         QString("Version 1.1 · released %1").arg(date)},
        {"installed newer than the feed still dates the feed's build", dated(entryWith("13", "12")),
         QString("Version 1.1 · released %1").arg(date)},
        {"installed without a feed item", entryWith("11", std::nullopt), "Version 1.1"},
        {"installed, feed item without a date", entryWith("12", "12"), "Version 1.1"},
        {"failed feed", entryWith(std::nullopt, std::nullopt), "Latest version not available"},
        {"not installed with date and size", dated(entryWith(std::nullopt, "12"), 1'500'000),
         QString("Version 1.2 · %1 · 1.5 MB").arg(date)},
        {"not installed with a zero size spells it out", dated(entryWith(std::nullopt, "12"), 0),
         QString("Version 1.2 · %1 · Zero KB").arg(date)},
        {"not installed without a size", dated(entryWith(std::nullopt, "12")), "Version 1.2"},
        {"not installed without a date", entryWith(std::nullopt, "12"), "Version 1.2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_EQ(AppCard::versionLine(c.entry), c.line);
    }
}

TEST(AppCard, ShowsTheEntryAndOpensItsPage) {
    EnglishLocale english;
    ViewTestModel t;
    QUrl opened;
    auto savedOpen = SiteLink::openUrl;
    SiteLink::openUrl = [&](const QUrl& url) { opened = url; };

    AppEntry notes = t.entry("notes");
    notes.app.tagline.values = {{"en", "Jot things down"}, {"it", "Prendi appunti"}};
    AppCard card(*t.model, notes, {});
    EXPECT_EQ(card.nameButton()->text(), "Notes");
    EXPECT_EQ(card.iconButton()->accessibleName(), "Open the Page of Notes");
    EXPECT_EQ(card.taglineLabel()->text(),
              QString::fromStdString(notes.app.tagline.text(t.model->language())));
    EXPECT_EQ(card.versionLabel()->text(), AppCard::versionLine(notes));
    EXPECT_EQ(card.entryActions()->entry(), notes);

    ASSERT_TRUE(card.siteLink());
    EXPECT_EQ(card.siteLink()->toolTip(), "https://velmar.example/notes");
    card.siteLink()->click();
    EXPECT_EQ(opened, QUrl("https://velmar.example/notes"));

    card.nameButton()->click();
    EXPECT_EQ(t.model->detail(), std::optional<std::string>("notes"));
    t.model->setDetail(std::nullopt);
    card.iconButton()->click();
    EXPECT_EQ(t.model->detail(), std::optional<std::string>("notes"));

    // A site that disappears from the catalog takes its link along.
    card.setEntry(t.entry("paint"));
    EXPECT_EQ(card.nameButton()->text(), "Paint");
    EXPECT_TRUE(!card.siteLink() || card.siteLink()->isHidden());
    AppCard paint(*t.model, t.entry("paint"), {});
    EXPECT_FALSE(paint.siteLink());
    SiteLink::openUrl = savedOpen;
}

TEST(AppCard, ChipAndActionsFollowTheQueue) {
    ViewTestModel t;
    AppCard card(*t.model, t.entry("maps"), {});
    EXPECT_FALSE(card.statusChip()->update());

    t.model->queue().install(t.entry("maps"));
    EXPECT_TRUE(card.statusChip()->update());
    EXPECT_TRUE(card.statusChip()->installing()) << "a first install, not an update";
    EXPECT_EQ(card.entryActions()->mode(), EntryActions::Mode::progress);

    t.script->end(UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::connection)));
    ASSERT_TRUE(card.statusChip()->update());
    EXPECT_EQ(card.statusChip()->update()->kind, UpdateState::Kind::failed);
    EXPECT_EQ(card.entryActions()->mode(), EntryActions::Mode::problem);

    t.model->queue().cancel("maps");
    EXPECT_FALSE(card.statusChip()->update());
    EXPECT_EQ(card.entryActions()->mode(), EntryActions::Mode::controls);
}

} // namespace
