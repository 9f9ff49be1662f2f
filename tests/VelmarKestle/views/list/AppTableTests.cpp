#include <chrono>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "views/components/Eyebrow.hpp"
#include "views/components/StatusChip.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/NameButton.hpp"
#include "views/entry/EntryActions.hpp"
#include "views/entry/EntryChip.hpp"
#include "views/list/AppTable.hpp"
#include "views/list/TableColumnsLayout.hpp"
#include "views/style/LocaleFormat.hpp"
#include "views/style/VelmarTheme.hpp"

using kestle::AppEntry;
using kestle::CatalogApp;
using kestle::app::AppTable;
using kestle::app::AppTableRow;
using kestle::test::EnglishLocale;
using kestle::test::ViewTestModel;

namespace {

AppEntry coming(const std::string& id) {
    AppEntry entry;
    entry.app = ViewTestModel::catalogApp(id, "Soon", false);
    entry.app.status = CatalogApp::Status::coming;
    return entry;
}

std::vector<AppTableRow*> shownRows(const AppTable& table) {
    std::vector<AppTableRow*> rows;
    for (int i = 0; i < table.rowCount(); ++i) {
        rows.push_back(table.row(i));
    }
    return rows;
}

} // namespace

TEST(AppTable, CellTextsPerStatus) {
    EnglishLocale english;
    ViewTestModel t;
    AppEntry dated = t.entry("maps");
    dated.latest->date = std::chrono::sys_seconds{std::chrono::seconds{1'780'000'000}};
    AppEntry comingDated = coming("later");
    comingDated.latest = ViewTestModel::release("1", "0.9");
    comingDated.latest->date = dated.latest->date;

    struct Case {
        const char* fault;
        AppEntry entry;
        QString installed;
        QString latest;
        bool latestStandsOut;
        QString released;
    };
    const QString date = kestle::app::LocaleFormat::releaseDate(*dated.latest->date);
    const Case cases[] = {
        {"an update shows the new version bold in the update colour", t.entry("notes"), "1.1",
         "1.2", true, "—"},
        {"not installed: a dash, the latest plain", dated, "—", "3.0", false, date},
        {"coming without a date is to be announced", coming("soon"), "—", "—", false,
         "To Be Announced"},
        {"coming with a date shows the date", comingDated, "—", "0.9", false, date},
    };
    AppTable table(*t.model, {});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        table.setEntries({c.entry});
        AppTableRow* row = table.row(0);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->installedText()->text(), c.installed);
        EXPECT_EQ(row->latestText()->text(), c.latest);
        EXPECT_EQ(row->latestText()->isBold(), c.latestStandsOut);
        EXPECT_EQ(row->latestText()->toneColor(),
                  c.latestStandsOut ? kestle::app::VelmarTheme::color(
                                          kestle::app::VelmarTheme::Color::update, row->palette())
                                    : row->palette().color(QPalette::Active, QPalette::WindowText));
        EXPECT_EQ(row->releasedText()->text(), c.released);
        EXPECT_EQ(row->nameButton()->name(), QString::fromStdString(c.entry.app.name));
        EXPECT_EQ(row->entryActions()->entry(), c.entry);
        EXPECT_TRUE(row->entryActions()->isCompact());
    }
}

TEST(AppTable, FilteringReusesRowsAndKeepsTheOrderGiven) {
    ViewTestModel t;
    const AppEntry notes = t.entry("notes");
    const AppEntry maps = t.entry("maps");
    const AppEntry paint = t.entry("paint");
    AppTable table(*t.model, {});
    table.setEntries({notes, maps, paint});
    AppTableRow* notesRow = table.rowFor("notes");
    AppTableRow* mapsRow = table.rowFor("maps");
    AppTableRow* paintRow = table.rowFor("paint");
    EXPECT_EQ(shownRows(table), (std::vector<AppTableRow*>{notesRow, mapsRow, paintRow}));

    table.setEntries({maps});
    EXPECT_EQ(shownRows(table), std::vector<AppTableRow*>{mapsRow});
    EXPECT_TRUE(notesRow->isHidden()) << "a filtered-out row is hidden, not deleted";
    EXPECT_FALSE(mapsRow->isHidden());

    table.setEntries({paint, notes, maps});
    EXPECT_EQ(shownRows(table), (std::vector<AppTableRow*>{paintRow, notesRow, mapsRow}))
        << "the same widgets come back, in the new order";
    EXPECT_FALSE(notesRow->isHidden());

    // The layout follows the order: rows stack downwards as listed.
    table.resize(932, 600);
    table.layout()->activate();
    EXPECT_LT(paintRow->y(), notesRow->y());
    EXPECT_LT(notesRow->y(), mapsRow->y());
    EXPECT_GE(notesRow->height(), 66) << "rows are at least 66 high";

    // A changed entry updates its kept row; an unknown one gets a new row.
    AppEntry renamed = notes;
    renamed.app.name = "Notebook";
    AppEntry soon = coming("soon");
    table.setEntries({renamed, soon});
    EXPECT_EQ(table.row(0), notesRow);
    EXPECT_EQ(notesRow->nameButton()->name(), "Notebook");
    ASSERT_NE(table.rowFor("soon"), nullptr);
    EXPECT_EQ(table.row(1), table.rowFor("soon"));
    EXPECT_TRUE(paintRow->isHidden());
}

TEST(AppTable, HeaderAndRowsShareTheColumns) {
    ViewTestModel t;
    AppTable table(*t.model, {});
    table.setEntries({t.entry("notes"), t.entry("maps")});
    table.resize(932, 400);
    table.show();
    QApplication::processEvents();

    const std::vector<double> widths = table.headerColumns()->columnWidths();
    ASSERT_EQ(widths.size(), 6u);
    EXPECT_NEAR(widths[0], 179.4, 1e-9);
    EXPECT_NEAR(widths[1], 132.6, 1e-9);
    const QStringList captions = {"App", "Status", "Installed", "Latest", "Released", "Action"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(table.headerCell(i)->text(), captions[i]);
        // Every cell starts at its column's leading edge in header and rows alike,
        // except the action column, which ends at the trailing edge.
        QWidget* cell = table.row(0)->cell(i);
        if (i < 5) {
            EXPECT_EQ(cell->x(), table.headerCell(i)->x()) << "column " << i;
        } else {
            EXPECT_EQ(cell->geometry().right(), 932 - 16 - 1);
        }
    }
    EXPECT_GE(table.header()->height(), 40);
}

TEST(AppTable, RowsOpenTheDetailAndFollowTheQueue) {
    ViewTestModel t;
    AppTable table(*t.model, {});
    table.setEntries({t.entry("notes"), t.entry("maps")});

    table.row(1)->nameButton()->click();
    EXPECT_EQ(t.model->detail(), std::optional<std::string>("maps"));
    t.model->setDetail(std::nullopt);
    table.row(0)->iconButton()->click();
    EXPECT_EQ(t.model->detail(), std::optional<std::string>("notes"));
    EXPECT_EQ(table.row(0)->iconButton()->accessibleName(), "Open the Page of Notes");

    t.model->queue().install(t.entry("maps"));
    kestle::app::StatusChip* chip = table.row(1)->statusChip();
    EXPECT_TRUE(chip->update().has_value());
    EXPECT_TRUE(chip->installing());
    EXPECT_TRUE(chip->shrinks());
    t.script->end(kestle::UpdateOutcome::failed(
        kestle::UpdateFailure::of(kestle::UpdateFailure::Kind::connection)));
    EXPECT_EQ(chip->update(), t.model->queue().state("maps"));
    EXPECT_EQ(chip->update()->kind, kestle::UpdateState::Kind::failed);
}
