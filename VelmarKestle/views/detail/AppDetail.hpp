#pragma once

#include <vector>

#include <QWidget>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"

class QAbstractButton;
class QHBoxLayout;
class QLabel;

namespace kestle::app {

class AppIconView;
class CapsuleButton;
class EntryControls;
class FactStrip;
class HeadingLabel;
class JobRow;
class KestleModel;
class MoreMenu;
class PlainButton;
class ReleaseNotesView;
class SiteLink;
class EntryChip;
class SurfacePanel;
class ToneLabel;
class UpdateProblemRow;
class UpdateProgressRow;

// The page of one app: back to the list, the app's header with its controls (or its
// job while the queue has one), its facts, what's new, what it does, and its links.
class AppDetail : public QWidget {
    Q_OBJECT

public:
    static constexpr int maximumPageWidth = 820;

    AppDetail(KestleModel& model, AppEntry entry, AppActions actions, QWidget* parent = nullptr);

    void setEntry(AppEntry entry);
    const AppEntry& entry() const { return entry_; }

    QAbstractButton* backButton() const;
    EntryChip* statusChip() const { return chip_; }
    HeadingLabel* nameLabel() const { return name_; }
    ToneLabel* taglineLabel() const { return tagline_; }
    // Holds the main controls and the menu; hidden while the queue has a state.
    QWidget* actionRow() const;
    // The main controls in order: Update and Open, Open, Install, or Notify Me.
    std::vector<QAbstractButton*> mainControls() const;
    // Nothing for a coming app.
    MoreMenu* moreMenu() const;
    // Holds the job's row; hidden while the queue has no state.
    SurfacePanel* updatePanel() const { return panel_; }
    // Made on first need, then kept.
    UpdateProgressRow* progressRow() const;
    UpdateProblemRow* problemRow() const;
    FactStrip* factStrip() const { return facts_; }
    ReleaseNotesView* releaseNotes() const { return notes_; }
    QLabel* summaryLabel() const { return summary_; }
    // Nothing when the catalog gives no site.
    SiteLink* siteLink() const { return site_; }
    QAbstractButton* reportButton() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void rebuildLinks();
    void showJob();
    void retranslate();

    KestleModel& model_;
    AppEntry entry_;
    AppActions actions_;

    CapsuleButton* back_;
    AppIconView* icon_;
    EntryChip* chip_;
    HeadingLabel* name_;
    ToneLabel* tagline_;
    EntryControls* actionRow_;
    SurfacePanel* panel_;
    JobRow* job_;
    FactStrip* facts_;
    ReleaseNotesView* notes_;
    HeadingLabel* summaryTitle_;
    QLabel* summary_;
    QHBoxLayout* linkRow_;
    SiteLink* site_ = nullptr;
    PlainButton* report_;
};

} // namespace kestle::app
