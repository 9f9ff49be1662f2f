#pragma once

#include <QString>
#include <QWidget>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"

class QAbstractButton;

namespace kestle::app {

class AppIconView;
class EntryActions;
class KestleModel;
class NameButton;
class EntryChip;
class TableColumnsLayout;
class ToneLabel;

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
    ToneLabel* tagline() const { return tagline_; }
    EntryChip* statusChip() const { return chip_; }
    ToneLabel* installedText() const { return installed_; }
    ToneLabel* latestText() const { return latest_; }
    // Under the latest version: how many versions an update brings.
    ToneLabel* newerText() const { return newer_; }
    ToneLabel* releasedText() const { return released_; }
    EntryActions* entryActions() const { return actions_; }

    // The Released column: the latest release's date, else what is known of it.
    static QString releaseText(const AppEntry& entry);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refreshTexts();
    void openDetail();

    KestleModel& model_;
    AppEntry entry_;
    TableColumnsLayout* columns_;
    QWidget* appCell_;
    QAbstractButton* iconButton_;
    AppIconView* icon_;
    NameButton* name_;
    ToneLabel* tagline_;
    EntryChip* chip_;
    ToneLabel* installed_;
    QWidget* latestCell_;
    ToneLabel* latest_;
    ToneLabel* newer_;
    ToneLabel* released_;
    EntryActions* actions_;
};

} // namespace kestle::app
