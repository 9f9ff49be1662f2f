#include <optional>

#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

#include "platform/FreedesktopNotifications.hpp"

using kestle::FreedesktopNotifications;

namespace {

// The settings page follows the desktop and the tools it has; a desktop without one
// gets none, so the control that would open it is left out.
TEST(FreedesktopNotifications, SettingsCommandFollowsTheDesktopAndItsTools) {
    const QStringList kde5{"/usr/bin/kcmshell5", "kcm_notifications", "--args",
                           "--desktop-entry=com.velmar.VelmarKestle"};
    struct Case {
        const char* name;
        QString desktop;
        QSet<QString> installed;
        std::optional<QStringList> command;
    } cases[] = {
        {"GNOME",
         "GNOME",
         {"gnome-control-center"},
         QStringList{"/usr/bin/gnome-control-center", "notifications"}},
        {"GNOME behind a vendor name",
         "ubuntu:GNOME",
         {"gnome-control-center"},
         QStringList{"/usr/bin/gnome-control-center", "notifications"}},
        {"GNOME without its settings", "GNOME", {"kcmshell5"}, std::nullopt},
        {"Plasma 5", "KDE", {"kcmshell5"}, kde5},
        {"Plasma 6 tool preferred",
         "KDE",
         {"kcmshell5", "kcmshell6"},
         QStringList{"/usr/bin/kcmshell6", "kcm_notifications", "--args",
                     "--desktop-entry=com.velmar.VelmarKestle"}},
        {"another desktop", "XFCE", {"gnome-control-center", "kcmshell5"}, std::nullopt},
        {"no desktop named", "", {"gnome-control-center"}, std::nullopt},
        {"a name that only contains GNOME", "NOTGNOME", {"gnome-control-center"}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto find = [&](const QString& name) {
            return c.installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        };
        EXPECT_EQ(
            FreedesktopNotifications::settingsCommand(c.desktop, "com.velmar.VelmarKestle", find),
            c.command);
    }
}

} // namespace
