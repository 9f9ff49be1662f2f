#pragma once

#include <vector>

#include <QWidget>

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"

class QAbstractButton;
class QHBoxLayout;

namespace kestle::app {

class KestleButton;
class KestleModel;
class MoreItems;
class MoreMenu;
class NotifyMeButton;

// The controls of an entry in a row: Install, Open or Update (the detail page adds
// Open beside Update), or the notify toggle of a coming app; then the "more" menu.
// Its widgets are made on first need and then kept, shown and hidden as the entry's
// status changes, so a click never comes from a widget that is gone.
class EntryControls : public QWidget {
    Q_OBJECT

public:
    enum class Variant {
        card,   // buttons that fill the card's width
        row,    // table rows: compact, with a blank where a coming app has no menu
        detail, // the detail page: buttons that hug their labels, the main one prominent
    };

    EntryControls(KestleModel& model, AppEntry entry, AppActions actions, Variant variant,
                  QWidget* parent = nullptr);

    void setEntry(AppEntry entry);
    const AppEntry& entry() const { return entry_; }
    Variant variant() const { return variant_; }

    // Install, Open, Update or the notify toggle.
    QAbstractButton* mainControl() const;
    // The main control and, on the detail page of an update, Open.
    std::vector<QAbstractButton*> buttons() const;
    // Nothing for a coming app.
    MoreMenu* moreMenu() const;

private:
    enum class Control { install, open, update, notify };

    void refresh();
    void refreshButton();
    void act();
    void open();
    bool isCompact() const { return variant_ == Variant::row; }

    KestleModel& model_;
    AppEntry entry_;
    AppActions actions_;
    Variant variant_;
    Control control_ = Control::install;

    QHBoxLayout* layout_;
    KestleButton* button_ = nullptr;
    KestleButton* open_ = nullptr;
    NotifyMeButton* notify_ = nullptr;
    MoreMenu* more_ = nullptr;
    MoreItems* items_ = nullptr;
    QWidget* spacer_ = nullptr;
};

} // namespace kestle::app
