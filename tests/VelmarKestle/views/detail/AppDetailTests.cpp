#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "platform/PlatformWords.hpp"
#include "views/components/StatusChip.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/controls/SiteLink.hpp"
#include "views/detail/AppDetail.hpp"
#include "views/detail/FactStrip.hpp"
#include "views/detail/ReleaseNotesView.hpp"
#include "views/detail/ReleaseSection.hpp"
#include "views/entry/EntryChip.hpp"
#include "views/entry/MoreMenu.hpp"
#include "views/entry/NotifyMeButton.hpp"
#include "views/jobs/UpdateProblemRow.hpp"
#include "views/jobs/UpdateProgressRow.hpp"
#include "views/style/LocaleFormat.hpp"

using kestle::AppEntry;
using kestle::CatalogApp;
using kestle::FeedItem;
using kestle::UpdateFailure;
using kestle::UpdateOutcome;
using kestle::app::AppDetail;
using kestle::app::FactStrip;
using kestle::app::ReleaseNotesView;
using kestle::app::ReleaseSection;
using kestle::test::EnglishLocale;
using kestle::test::ViewTestModel;
using Facts = std::vector<FactStrip::Fact>;

namespace {

const std::chrono::sys_seconds kDate{std::chrono::seconds{1'780'000'000}};

AppEntry released(std::optional<std::string> installed, std::optional<std::string> latest) {
    AppEntry entry;
    entry.app = ViewTestModel::catalogApp("notes", "Notes", true);
    entry.app.minimumSystem = "14.2";
    if (installed) {
        entry.installed = kestle::InstalledApp{kestle::Url::fromPath("/Applications/Notes.app"),
                                               *installed, *installed};
    }
    if (latest) {
        entry.latest = ViewTestModel::release(*latest, *latest);
    }
    return entry;
}

std::vector<QString> texts(const std::vector<QAbstractButton*>& buttons) {
    std::vector<QString> result;
    for (QAbstractButton* button : buttons) {
        result.push_back(button->text());
    }
    return result;
}

} // namespace

TEST(FactStrip, FactsPerStatus) {
    EnglishLocale english;
    AppEntry update = released("1.1", "1.2");
    update.latest->date = kDate;
    update.latest->length = 12'300'000;
    AppEntry upToDate = released("1.2", "1.2");
    upToDate.latest->length = 0;
    AppEntry notInstalled = released(std::nullopt, "3.0");
    AppEntry feedFailed = released(std::nullopt, std::nullopt);
    AppEntry installedOnly = released("2.0", std::nullopt);
    AppEntry coming = released(std::nullopt, std::nullopt);
    coming.app.status = CatalogApp::Status::coming;
    coming.app.minimumSystem = "15";

    const QString date = kestle::app::LocaleFormat::releaseDate(kDate);
    const QString requirement = "Linux 14 · " + kestle::app::PlatformWords::processor();
    struct Case {
        const char* fault;
        AppEntry entry;
        Facts facts;
    };
    const Case cases[] = {
        {"an update shows both versions, its date and size",
         update,
         {{"Version", "1.1 → 1.2"},
          {"Release", date},
          {"Download", "12.3 MB"},
          {"Requires", requirement},
          {"Price", "Free"}}},
        {"up to date shows the installed version; a zero size is spelled out",
         upToDate,
         {{"Version", "1.2"},
          {"Release", "—"},
          {"Download", "Zero KB"},
          {"Requires", requirement},
          {"Price", "Free"}}},
        {"not installed shows the latest version",
         notInstalled,
         {{"Version", "3.0"},
          {"Release", "—"},
          {"Download", "—"},
          {"Requires", requirement},
          {"Price", "Free"}}},
        {"nothing known gives dashes",
         feedFailed,
         {{"Version", "—"},
          {"Release", "—"},
          {"Download", "—"},
          {"Requires", requirement},
          {"Price", "Free"}}},
        {"installed without a feed shows the installed version",
         installedOnly,
         {{"Version", "2.0"},
          {"Release", "—"},
          {"Download", "—"},
          {"Requires", requirement},
          {"Price", "Free"}}},
        {"coming has its own wording",
         coming,
         {{"Status", "In Development"},
          {"Release", "To Be Announced"},
          {"Download", "—"},
          {"Requires", "Linux 15 · " + kestle::app::PlatformWords::processor()},
          {"Price", "To Be Announced"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_EQ(FactStrip::facts(c.entry), c.facts);
    }
}

TEST(FactStrip, MajorSystemFromTheFeedItemElseTheCatalog) {
    struct Case {
        const char* fault;
        std::string catalog;
        std::optional<std::string> item;
        const char* major;
    };
    const Case cases[] = {
        {"a bare major", "15", std::nullopt, "15"},
        {"the text before the first full stop", "13.5.1", std::nullopt, "13"},
        {"the feed item's minimum wins", "12", "14.2", "14"},
        {"an empty item minimum falls back to the catalog", "12", "", "12"},
        {"empty pieces are skipped", ".14", std::nullopt, "14"},
        {"no piece at all is used whole", "...", std::nullopt, "..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        AppEntry entry = released(std::nullopt, "1.0");
        entry.app.minimumSystem = c.catalog;
        entry.latest->minimumSystem = c.item;
        EXPECT_EQ(FactStrip::majorSystem(entry), c.major);
    }
}

TEST(FactStrip, EqualCellsEachReadAsOneElement) {
    FactStrip strip({{"Version", "1.2"}, {"Release", "—"}, {"Price", "Free"}});
    strip.show();
    strip.resize(302, strip.heightForWidth(302));
    EXPECT_EQ(strip.cell(0)->accessibleName(), "Version: 1.2");
    EXPECT_EQ(strip.cell(0)->width(), strip.cell(1)->width());
    EXPECT_EQ(strip.cell(1)->width(), strip.cell(2)->width());
    EXPECT_EQ(strip.cell(1)->x(), strip.cell(0)->width() + 1) << "a hairline between cells";
    EXPECT_EQ(strip.cell(2)->height(), strip.height());

    // A long value wraps, and the strip grows to hold it.
    const int oneLine = strip.heightForWidth(302);
    strip.setFacts({{"Version", "a very long value that cannot fit on one line at all"}});
    EXPECT_GT(strip.heightForWidth(120), oneLine);
    EXPECT_EQ(strip.cell(1), nullptr);
}

TEST(ReleaseNotes, ItemsReadAsInlineMarkdownOrPlainText) {
    struct Case {
        const char* fault;
        const char* item;
        bool inlineOnly;
        const char* shown; // the text a reader sees
    };
    const Case cases[] = {
        {"plain text", "Faster sync", true, "Faster sync"},
        {"inline emphasis", "**Faster** *sync* `now`", true, "Faster sync now"},
        {"a link keeps its label", "See [the site](https://velmar.example)", true, "See the site"},
        {"whitespace is kept", "a  b", true, "a  b"},
        {"raw HTML stays literal", "<b>x</b> & y", true, "<b>x</b> & y"},
        {"unbalanced emphasis stays literal", "**unclosed", true, "**unclosed"},
        {"a heading is refused", "# Heading", false, "# Heading"},
        {"a quote is refused", "> quoted", false, "> quoted"},
        {"a numbered list is refused", "1. first", false, "1. first"},
        {"an indented code block is refused", "    code", false, "    code"},
        {"an open fence is refused", "```swift", false, "```swift"},
        {"a rule is refused", "---", false, "---"},
        {"an image is refused", "![icon](a.png)", false, "![icon](a.png)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        auto document = ReleaseNotesView::inlineMarkdown(QString::fromUtf8(c.item));
        EXPECT_EQ(document != nullptr, c.inlineOnly);
        if (document) {
            EXPECT_EQ(document->toPlainText(), QString::fromUtf8(c.shown));
        }
    }

    // The view shows a refused item verbatim and a good one as rich text.
    FeedItem item = ViewTestModel::release("12", "1.2");
    item.date = kDate;
    item.notes = {{"en", "- **Faster** sync\n- # Not a heading\n- See [site](https://a.example)"}};
    ReleaseNotesView view;
    ASSERT_TRUE(view.setRelease(item, "en"));
    EXPECT_EQ(view.title(), "What’s New in 1.2");
    EXPECT_EQ(view.dateText(), kestle::app::LocaleFormat::releaseDate(kDate));
    ASSERT_EQ(view.sectionCount(), 1);
    const ReleaseSection& section = *view.section(0);
    ASSERT_EQ(section.itemCount(), 3);
    EXPECT_EQ(section.itemLabel(0)->textFormat(), Qt::RichText);
    EXPECT_EQ(section.itemLabel(1)->textFormat(), Qt::PlainText);
    EXPECT_EQ(section.itemLabel(1)->text(), "# Not a heading");

    // A link opens outside through the one seam, not inside the label.
    std::vector<QUrl> opened;
    auto saved = kestle::app::SiteLink::openUrl;
    kestle::app::SiteLink::openUrl = [&](const QUrl& url) { opened.push_back(url); };
    emit section.itemLabel(2)->linkActivated("https://a.example");
    emit section.itemLabel(2)->linkActivated("relative/page");
    kestle::app::SiteLink::openUrl = saved;
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://a.example")});
}

TEST(ReleaseNotes, InlineStylesAreRendered) {
    const QColor link(0x12, 0x34, 0x56);
    auto html =
        ReleaseNotesView::itemHtml("**bold** *it* `code` [site](https://a.example)", QFont(), link);
    ASSERT_TRUE(html);
    QTextDocument rendered;
    rendered.setHtml(*html);
    std::vector<QTextFragment> fragments;
    for (auto it = rendered.firstBlock().begin(); !it.atEnd(); ++it) {
        fragments.push_back(it.fragment());
    }
    auto styled = [&](const QString& text) {
        for (const QTextFragment& fragment : fragments) {
            if (fragment.text() == text) {
                return fragment.charFormat();
            }
        }
        ADD_FAILURE() << "no fragment " << text.toStdString();
        return QTextCharFormat();
    };
    EXPECT_GE(styled("bold").fontWeight(), QFont::Bold);
    EXPECT_TRUE(styled("it").fontItalic());
    EXPECT_TRUE(styled("code").fontFixedPitch() ||
                styled("code").fontFamilies().toStringList().join(',').contains("mono"));
    EXPECT_EQ(styled("site").anchorHref(), "https://a.example");
    EXPECT_EQ(styled("site").foreground().color(), link);
    EXPECT_FALSE(ReleaseNotesView::itemHtml("# Heading", QFont(), link));
}

TEST(ReleaseNotes, AbsentWithoutNotes) {
    ReleaseNotesView view;
    FeedItem item = ViewTestModel::release("12", "1.2");
    EXPECT_FALSE(view.setRelease(item, "en")) << "no notes in any language";
    item.notes = {{"en", "  \n "}};
    EXPECT_FALSE(view.setRelease(item, "en")) << "notes without an item";
    EXPECT_FALSE(view.setRelease(std::nullopt, "en"));
    item.notes = {{"it", "- Più veloce"}};
    EXPECT_TRUE(view.setRelease(item, "en")) << "the item's own fallback language";
    EXPECT_EQ(view.section(0)->itemLabel(0)->accessibleName(), "Più veloce");
    EXPECT_EQ(view.dateText(), "") << "no date, none shown";
}

TEST(AppDetail, ControlsPerStatus) {
    EnglishLocale english;
    ViewTestModel t;
    AppEntry coming = t.entry("maps");
    coming.app.status = CatalogApp::Status::coming;
    coming.latest.reset();
    AppEntry failedFeed = t.entry("maps");
    failedFeed.latest.reset();
    AppEntry upToDate = t.entry("paint");
    upToDate.latest->build = "20";
    struct Case {
        const char* fault;
        AppEntry entry;
        std::vector<QString> controls;
        bool enabled;
        bool menu;
    };
    const Case cases[] = {
        {"an update offers it and Open", t.entry("notes"), {"Update to 1.2", "Open"}, true, true},
        {"installed offers Open", upToDate, {"Open"}, true, true},
        {"not installed offers Install", t.entry("maps"), {"Install"}, true, true},
        {"no latest release: Install is disabled", failedFeed, {"Install"}, false, true},
        {"coming offers the notice and no menu", coming, {"Notify Me When It’s Out"}, true, false},
    };
    AppDetail detail(*t.model, t.entry("notes"), {});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        detail.setEntry(c.entry);
        EXPECT_EQ(texts(detail.mainControls()), c.controls);
        EXPECT_EQ(detail.mainControls().front()->isEnabled(), c.enabled);
        EXPECT_EQ(detail.moreMenu() != nullptr, c.menu);
        EXPECT_FALSE(detail.actionRow()->isHidden());
        EXPECT_TRUE(detail.updatePanel()->isHidden());
    }

    // The buttons act on the queue.
    detail.setEntry(t.entry("maps"));
    detail.mainControls().front()->click();
    EXPECT_EQ(t.script->ids, std::vector<std::string>{"maps"});
}

TEST(AppDetail, QueueStateReplacesTheActionsWithItsRow) {
    EnglishLocale english;
    ViewTestModel t;
    AppDetail detail(*t.model, t.entry("notes"), {});
    EXPECT_EQ(detail.progressRow(), nullptr) << "no row made before a job";

    detail.mainControls().front()->click(); // Update to 1.2
    EXPECT_TRUE(detail.actionRow()->isHidden());
    EXPECT_FALSE(detail.updatePanel()->isHidden());
    ASSERT_NE(detail.progressRow(), nullptr);
    EXPECT_FALSE(detail.progressRow()->isHidden());
    EXPECT_FALSE(detail.progressRow()->isCompact());
    EXPECT_TRUE(detail.statusChip()->update().has_value());

    t.script->end(UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::connection)));
    ASSERT_NE(detail.problemRow(), nullptr);
    EXPECT_FALSE(detail.problemRow()->isHidden());
    EXPECT_TRUE(detail.progressRow()->isHidden());
    EXPECT_TRUE(detail.actionRow()->isHidden());

    t.model->queue().cancel("notes"); // dismiss
    EXPECT_FALSE(t.model->queue().state("notes"));
    EXPECT_TRUE(detail.updatePanel()->isHidden());
    EXPECT_FALSE(detail.actionRow()->isHidden());
    EXPECT_FALSE(detail.statusChip()->update().has_value());
}

TEST(AppDetail, PageContentsAndLinks) {
    EnglishLocale english;
    ViewTestModel t;
    AppEntry notes = t.entry("notes");
    notes.app.tagline = {{"en", "Jot things down"}};
    notes.app.summary = {{"en", "Keeps notes."}};
    std::vector<std::string> reported;
    kestle::app::AppActions actions;
    actions.reportProblem = [&](const std::optional<AppEntry>& entry, kestle::app::KestleModel&) {
        reported.push_back(entry ? entry->id() : "");
    };
    AppDetail detail(*t.model, notes, actions);
    EXPECT_EQ(detail.nameLabel()->text(), "Notes");
    EXPECT_EQ(detail.taglineLabel()->text(), "Jot things down · velmar");
    EXPECT_EQ(detail.summaryLabel()->text(), "Keeps notes.");
    EXPECT_EQ(detail.factStrip()->facts(), FactStrip::facts(notes));
    EXPECT_TRUE(detail.releaseNotes()->isHidden()) << "the feed item has no notes";
    ASSERT_NE(detail.siteLink(), nullptr);
    EXPECT_EQ(detail.siteLink()->site(), *notes.app.site);

    notes.latest->notes = {{"en", "- Faster"}};
    detail.setEntry(notes);
    EXPECT_FALSE(detail.releaseNotes()->isHidden());
    EXPECT_EQ(detail.releaseNotes()->title(), "What’s New in 1.2");

    detail.setEntry(t.entry("paint"));
    EXPECT_EQ(detail.siteLink(), nullptr) << "no site, no link";

    detail.reportButton()->click();
    EXPECT_EQ(reported, std::vector<std::string>{"paint"});

    // The page keeps to its width in a wide window.
    detail.resize(1400, 900);
    detail.show();
    QApplication::processEvents();
    QWidget* page = detail.factStrip()->parentWidget();
    EXPECT_EQ(page->width(), AppDetail::maximumPageWidth);
    EXPECT_NEAR(page->x(), (1400 - AppDetail::maximumPageWidth) / 2, 1);
}

TEST(AppDetail, BackButtonClearsTheDetail) {
    ViewTestModel t;
    t.model->setDetail("notes");
    AppDetail detail(*t.model, t.entry("notes"), {});
    EXPECT_EQ(detail.backButton()->text(), "All Apps");
    EXPECT_EQ(detail.backButton()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_BracketLeft));
    detail.backButton()->click();
    EXPECT_FALSE(t.model->detail().has_value());
}

// A picture of the detail page with its menu open on "Go Back to …", for a person to
// look at; the test checks the item is there and the picture was written.
TEST(AppDetail, SavesAScreenshotOfTheGoBackItem) {
    EnglishLocale english;
    ViewTestModel t(/*keptCopies=*/true);
    AppDetail detail(*t.model, t.entry("notes"), {});
    detail.setPalette(kestle::test::lightPalette());
    detail.resize(820, 620);
    detail.show();
    ASSERT_NE(detail.moreMenu(), nullptr);
    QMenu* menu = detail.moreMenu()->menu();
    ASSERT_NE(menu, nullptr);
    menu->popup(detail.moreMenu()->mapToGlobal(QPoint(0, detail.moreMenu()->height())));
    kestle::test::spin(std::chrono::milliseconds(100));
    QStringList items;
    for (QAction* action : menu->actions()) {
        items << action->text();
    }
    ASSERT_TRUE(items.filter("Go Back to 1.0 (").size() == 1) << items.join("|").toStdString();

    QImage image = detail.grab().toImage();
    QPainter painter(&image);
    painter.drawPixmap(detail.mapFromGlobal(menu->pos()), menu->grab());
    painter.end();
    menu->hide();
    const std::filesystem::path folder = KESTLE_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / "detail-go-back-light.png";
    ASSERT_TRUE(image.save(QString::fromStdString(file.string())));
    EXPECT_GT(std::filesystem::file_size(file), 10'000u);
}
