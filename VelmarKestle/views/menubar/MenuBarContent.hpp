#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QIcon>
#include <QObject>
#include <QPointer>

#include "apps/AppEntry.hpp"
#include "views/menubar/MenuBarItems.hpp"

class QAction;
class QMenu;

namespace kestle::app {

class KestleModel;
class SelfUpdater;

// The tray icon's one menu, kept up to date with the model, the queue and the self
// updater. Tray hosts cache the exported layout, so the menu is never rebuilt: its
// actions change text, state and icon in place, and lines beyond the current count are
// hidden for later reuse.
class MenuBarContent : public QObject {
    Q_OBJECT

public:
    // What the menu's items do; an empty one takes the application's own way, except
    // openSettings, whose item is left out while there is none.
    struct Actions {
        std::function<void(const QString& identifier, bool activate)> openWindow;
        // userQuit: the user's own Quit, which may show the tip prompt before the end.
        std::function<void(bool userQuit)> quit;
        std::function<void()> openSettings;
        std::function<void(const AppEntry&)> openApp;
    };

    // updater: the one whose waiting update the menu offers; none offers none.
    MenuBarContent(KestleModel& model, SelfUpdater* updater, Actions actions,
                   QObject* parent = nullptr);
    ~MenuBarContent() override;

    QMenu* menu() const { return menu_.get(); }
    // The per-app lines as last shown.
    const std::vector<MenuBarItems::Item>& lines() const { return lines_; }

    // Brings every action in line with the model; called on each change it hears of.
    void refresh();

private:
    struct Pool {
        QAction* before = nullptr; // the pool's actions sit just above it
        std::vector<QAction*> actions;
    };

    QAction* addAction(const QString& text, std::function<void()> run);
    QAction* addSeparator();
    // Shows count actions of the pool, making more where needed, and hides the rest.
    void resize(Pool& pool, size_t count, std::function<void(size_t)> run);
    void setIcon(QAction* action, const std::optional<AppEntry>& entry);
    void runLine(size_t index);
    void openInstalled(size_t index);

    KestleModel& model_;
    QPointer<SelfUpdater> updater_;
    Actions actions_;
    std::unique_ptr<QMenu> menu_;

    QAction* terms_ = nullptr;
    QAction* termsSeparator_ = nullptr;
    QAction* termsQuit_ = nullptr;
    QAction* selfUpdate_ = nullptr;
    QAction* selfUpdateSeparator_ = nullptr;
    QAction* openSeparator_ = nullptr;
    QAction* mainSeparator_ = nullptr;
    QAction* openMain_ = nullptr;
    QAction* check_ = nullptr;
    QAction* settings_ = nullptr;
    QAction* quitSeparator_ = nullptr;
    QAction* quit_ = nullptr;
    Pool lineActions_;
    Pool openActions_;

    std::vector<MenuBarItems::Item> lines_;
    std::vector<AppEntry> installed_;
    // Decoded pictures by app id, with what they were made from.
    struct CachedIcon {
        std::optional<InstalledApp> installed;
        std::string icon;
        QIcon picture;
    };
    std::map<std::string, CachedIcon> icons_;
};

} // namespace kestle::app
