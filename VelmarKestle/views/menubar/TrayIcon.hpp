#pragma once

#include <filesystem>
#include <memory>

#include <QIcon>
#include <QObject>

#include "support/PreferenceStore.hpp"

class QSystemTrayIcon;

namespace kestle::app {

class MenuBarContent;

// The application's icon in the desktop's tray (StatusNotifierItem or XEmbed), with the
// tray menu. Shown while the user keeps it ("showsMenuBarExtra", on by default) and the
// desktop has a tray at all; the tray is looked for once, as Qt settles on its backend
// at the first look.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    static constexpr const char* preference = "showsMenuBarExtra";

    // bundle: the application's own, whose Contents/Resources/icons hold the panel icon.
    // defaults: where the choice is kept; none keeps it in memory only.
    TrayIcon(MenuBarContent& content, std::shared_ptr<PreferenceStore> defaults,
             const std::filesystem::path& bundle, QObject* parent = nullptr);
    ~TrayIcon() override;

    // The monochrome panel icon: the desktop theme's "KestleMenuIcon-symbolic" (which
    // panels tint), else the bundle's file, else the glyph drawn here.
    static QIcon panelIcon(const std::filesystem::path& bundle);

    bool isAvailable() const { return available_; }
    // The icon is in the tray now.
    bool isShown() const;
    // Keeps the user's choice and shows or hides the icon by it.
    void setShown(bool shown);

    QSystemTrayIcon* trayIcon() const { return tray_.get(); }

signals:
    // The icon came or went: without it, closing the last window ends the application.
    void shownChanged(bool shown);

private:
    void update();

    MenuBarContent& content_;
    std::shared_ptr<PreferenceStore> defaults_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    bool available_ = false;
    bool wanted_ = true;
};

} // namespace kestle::app
