#pragma once

#include <expected>

#include <QString>

namespace kestle::app {

// Opening at login through an XDG autostart entry:
// $XDG_CONFIG_HOME/autostart/<bundle id>.desktop, which starts the executable with
// "--autostart". Desktop tools switch an entry off by adding "Hidden=true" or
// "X-GNOME-Autostart-enabled=false"; such an entry counts as not registered.
class AutostartEntry {
public:
    enum class Status { notRegistered, enabled, requiresApproval, notFound, unknown };

    // The one argument the application reads: it marks a launch at login.
    static constexpr const char* argument = "--autostart";

    // executable: the absolute path of the program to start; icon: its icon's name or path.
    AutostartEntry(QString bundleID, QString executable, QString icon);

    // The entry's file.
    QString file() const;
    Status status() const;
    // Writes the entry (replacing a switched-off one) in one step, or removes it; the
    // status after, or an error text.
    std::expected<Status, QString> setOpenAtLogin(bool on) const;

    // "notRegistered", "enabled", "requiresApproval", "notFound".
    static const char* statusName(Status status);
    // The entry's text for executable.
    QString entryText() const;

private:
    QString bundleID_;
    QString executable_;
    QString icon_;
};

} // namespace kestle::app
