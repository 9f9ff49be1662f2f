#pragma once

#include <map>
#include <string>
#include <vector>

#include <QColor>
#include <QString>
#include <QWidget>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"
#include "views/detail/FactStrip.hpp"
#include "views/detail/ReleaseNotesView.hpp"
#include "views/list/LazyEntries.hpp"
#include "views/list/TableColumns.hpp"

class QAbstractButton;
class QVBoxLayout;

namespace kestle::app {

class LazyRows;

class AppIconView;
class EntryActions;
class Eyebrow;
class KestleModel;
class NameButton;
class StatusChip;

// One line of text in a table cell, cut short with an ellipsis when its column is
// too narrow. Drawn directly: a table holds hundreds of them.
class TableText : public QWidget {
    Q_OBJECT

public:
    using Tone = ToneLabel::Tone;

    TableText(qreal size, Tone tone, QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);
    Tone tone() const { return tone_; }
    void setTone(Tone tone);
    bool isBold() const { return font().weight() >= QFont::Bold; }
    void setBold(bool bold);
    // The colour the text is drawn in with the current palette.
    QColor color() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    qreal size_;
    Tone tone_;
};

// One entry of the table: icon, name and tagline; status; installed, latest and
// release date; and the entry's compact controls, over a hairline.
class AppTableRow : public QWidget {
    Q_OBJECT

public:
    AppTableRow(KestleModel& model, AppEntry entry, AppActions actions, QWidget* parent = nullptr);

    void setEntry(AppEntry entry);
    const AppEntry& entry() const { return entry_; }

    TableColumnsLayout* columns() const { return columns_; }
    // The widget placed in a column, in column order.
    QWidget* cell(int column) const;
    QAbstractButton* iconButton() const { return iconButton_; }
    NameButton* nameButton() const { return name_; }
    TableText* tagline() const { return tagline_; }
    StatusChip* statusChip() const { return chip_; }
    TableText* installedText() const { return installed_; }
    TableText* latestText() const { return latest_; }
    TableText* releasedText() const { return released_; }
    EntryActions* entryActions() const { return actions_; }

    // The Released column: the latest release's date, else what is known of it.
    static QString releaseText(const AppEntry& entry);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refreshChip();
    void refreshTexts();
    void openDetail();

    KestleModel& model_;
    AppEntry entry_;
    TableColumnsLayout* columns_;
    QWidget* appCell_;
    QAbstractButton* iconButton_;
    AppIconView* icon_;
    NameButton* name_;
    TableText* tagline_;
    StatusChip* chip_;
    TableText* installed_;
    TableText* latest_;
    TableText* released_;
    EntryActions* actions_;
};

// The entries as a table: a header of column captions and one row per entry, on a
// rounded surface. Rows are kept per app and reused as the list is filtered.
class AppTable : public SurfacePanel {
    Q_OBJECT

public:
    static constexpr double columnSpacing = 14;
    // App, Status, Installed, Latest, Released, Action.
    static std::vector<TableColumns::Width> columns();

    AppTable(KestleModel& model, AppActions actions, QWidget* parent = nullptr);

    // The entries to show, already filtered and ordered.
    void setEntries(const std::vector<AppEntry>& entries);

    int rowCount() const { return static_cast<int>(rows_.entries().size()); }
    // The row at a place in the list, or nothing while it is off screen.
    AppTableRow* row(int index) const;
    // The row kept for an app, shown or not; nothing when it never was.
    AppTableRow* rowFor(const std::string& id) const;

    QWidget* header() const { return header_; }
    TableColumnsLayout* headerColumns() const { return headerColumns_; }
    Eyebrow* headerCell(int column) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    KestleModel& model_;
    AppActions actions_;
    QVBoxLayout* layout_;
    QWidget* header_;
    TableColumnsLayout* headerColumns_;
    std::vector<Eyebrow*> captions_;
    LazyEntries<AppTableRow> rows_;
    LazyRows* lazyRows_;
};

} // namespace kestle::app
