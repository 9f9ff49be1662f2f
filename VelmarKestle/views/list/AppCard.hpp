#pragma once

#include <QString>
#include <QWidget>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"
#include "views/components/SurfacePanel.hpp"

class QAbstractButton;
class QHBoxLayout;

namespace kestle::app {

class AppIconView;
class EntryActions;
class KestleModel;
class NameButton;
class SiteLink;
class EntryChip;
class ToneLabel;

// One app in the main window's grid: status and site, icon and name (both open the
// detail page), tagline, version line and the entry's controls, on a rounded surface.
class AppCard : public SurfacePanel {
    Q_OBJECT

public:
    AppCard(KestleModel& model, AppEntry entry, AppActions actions, QWidget* parent = nullptr);

    void setEntry(AppEntry entry);
    const AppEntry& entry() const { return entry_; }

    // The one-line summary of versions under the tagline.
    static QString versionLine(const AppEntry& entry);

    EntryChip* statusChip() const { return chip_; }
    SiteLink* siteLink() const { return site_; }
    QAbstractButton* iconButton() const { return iconButton_; }
    NameButton* nameButton() const { return name_; }
    ToneLabel* taglineLabel() const { return tagline_; }
    ToneLabel* versionLabel() const { return version_; }
    EntryActions* entryActions() const { return actions_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void refreshTexts();
    void openDetail();

    KestleModel& model_;
    AppEntry entry_;
    QHBoxLayout* topRow_;
    EntryChip* chip_;
    SiteLink* site_ = nullptr;
    QAbstractButton* iconButton_;
    AppIconView* icon_;
    NameButton* name_;
    ToneLabel* tagline_;
    ToneLabel* version_;
    EntryActions* actions_;
};

} // namespace kestle::app
