#include "views/entry/MoreItems.hpp"

#include "model/KestleModel.hpp"
#include "platform/PlatformWords.hpp"
#include "views/entry/EntryText.hpp"
#include "views/style/LocaleFormat.hpp"

namespace kestle::app {

MoreItems::MoreItems(KestleModel& model, AppEntry entry, AppActions actions, Variant variant,
                     QWidget* parent)
    : QMenu(parent), model_(model), entry_(std::move(entry)), actions_(std::move(actions)),
      variant_(variant) {
    // Built only when shown: a window of cards holds hundreds of these menus.
    connect(this, &QMenu::aboutToShow, this, &MoreItems::rebuild);
}

void MoreItems::setEntry(AppEntry entry) {
    entry_ = std::move(entry);
}

void MoreItems::rebuild() {
    clear();
    if (variant_ == Variant::card) {
        addCardItems();
    } else {
        addDetailItems();
    }
}

void MoreItems::addCardItems() {
    if (entry_.latest) {
        //: Menu item opening the detail page: the latest version
        addAction(tr("What’s New in %1").arg(QString::fromStdString(entry_.latest->version)), this,
                  [this] { model_.setDetail(entry_.id()); });
    }
    addPlaces();
    if (entry_.installed) {
        //: Menu item: opens the problem report about this app
        addAction(tr("Report a Problem…"), this, [this] {
            if (actions_.reportProblem) {
                actions_.reportProblem(entry_, model_);
            }
        });
        addGoBack();
        addTrash();
    }
}

void MoreItems::addDetailItems() {
    // The detail page shows the notes and its own report button, so only these remain.
    addPlaces();
    if (entry_.installed) {
        addGoBack();
        addTrash();
    }
}

void MoreItems::addGoBack() {
    const std::optional<PreviousCopy> copy = model_.previous(entry_);
    if (!copy) {
        return;
    }
    addSeparator();
    const QString space = LocaleFormat::byteCount(copy->bytes);
    //: Menu item that puts back the version the last update replaced: that version and
    //: the space the kept copy takes on disk
    QAction* goBack = addAction(
        tr("Go Back to %1 (%2)…").arg(QString::fromStdString(copy->version), space), this, [this] {
            if (actions_.goBack) {
                actions_.goBack(entry_, model_);
            }
        });
    // Like moving to the Trash: it would race a job of the same app.
    goBack->setEnabled(!model_.queue().state(entry_.id()).has_value());
}

void MoreItems::addPlaces() {
    if (entry_.installed) {
        //: Menu item: shows the installed app in the file manager
        addAction(PlatformWords::text(PlatformWord::showInFileManager), this, [this] {
            if (actions_.showInFinder) {
                actions_.showInFinder(entry_);
            }
        });
    }
    if (entry_.app.site) {
        //: Menu item opening the app's web page: its host name
        addAction(tr("Open %1").arg(EntryText::host(*entry_.app.site)), this, [this] {
            if (actions_.openSite) {
                actions_.openSite(entry_);
            }
        });
    }
}

void MoreItems::addTrash() {
    addSeparator();
    //: Menu item that starts moving the installed app to the Trash
    QAction* trash = addAction(tr("Move to Trash…"), this, [this] {
        if (actions_.moveToTrash) {
            actions_.moveToTrash(entry_, model_);
        }
    });
    // Removing an app that a job is replacing, or just failed to, would race the job.
    trash->setEnabled(!model_.queue().state(entry_.id()).has_value());
}

} // namespace kestle::app
