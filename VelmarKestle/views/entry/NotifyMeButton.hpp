#pragma once

#include "apps/AppEntry.hpp"
#include "services/AppActions.hpp"
#include "views/controls/KestleButton.hpp"

namespace kestle::app {

class KestleModel;

// The main control of a coming app: asks to be told when it is released, and says so
// once the ledger watches it. Follows the ledger as the model changes it.
class NotifyMeButton : public KestleButton {
    Q_OBJECT

public:
    NotifyMeButton(KestleModel& model, AppEntry entry, AppActions actions, bool compact, bool fills,
                   QWidget* parent = nullptr);

    void setEntry(AppEntry entry);
    const AppEntry& entry() const { return entry_; }
    bool isCompact() const { return compact_; }
    // Whether the ledger watches the app.
    bool isOn() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();

    KestleModel& model_;
    AppEntry entry_;
    AppActions actions_;
    bool compact_;
};

} // namespace kestle::app
