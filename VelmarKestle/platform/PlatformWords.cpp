#include "platform/PlatformWords.hpp"

#include <array>

#include <QCoreApplication>

namespace kestle::app {

namespace {

using enum PlatformWord;

// Marked for lupdate in the Linux column only: the macOS one is never shown here.
const std::array kTable{
    PlatformWording{appsForComputer, "appsForComputer", "Apps for Mac",
                    QT_TRANSLATE_NOOP("PlatformWords", "Apps for Linux")},
    PlatformWording{installsFor, "installsFor", "Installs for macOS 27 · Apple silicon",
                    QT_TRANSLATE_NOOP("PlatformWords", "Installs for Linux · %1")},
    PlatformWording{requiresSystem, "requiresSystem", "macOS %1 · Apple silicon",
                    QT_TRANSLATE_NOOP("PlatformWords", "Linux %1 · %2")},
    PlatformWording{showInFileManager, "showInFileManager", "Show in Finder",
                    QT_TRANSLATE_NOOP("PlatformWords", "Show in Folder")},
    PlatformWording{systemRefusedTrash, "systemRefusedTrash",
                    "macOS didn’t let VelmarKestle move it (error %1). You can do it from the "
                    "Finder.",
                    QT_TRANSLATE_NOOP("PlatformWords",
                                      "The system didn’t let VelmarKestle move it (error %1). "
                                      "You can do it from your file manager.")},
    PlatformWording{manualRemovalSteps, "manualRemovalSteps",
                    "%1 may have a system service that only it can remove. First turn %1 off in "
                    "System Settings › General › Login Items & Extensions. Then quit %1 and "
                    "move it to the Trash from the Finder.",
                    QT_TRANSLATE_NOOP("PlatformWords",
                                      "%1 may have a system service that only it can remove. "
                                      "First turn off its autostart entry in your desktop’s "
                                      "settings. Then quit %1 and move it to the Trash from "
                                      "your file manager.")},
    PlatformWording{systemRefusedChange, "systemRefusedChange",
                    "macOS didn’t let VelmarKestle change %1. Allow it in System Settings › "
                    "Privacy & Security › App Management.",
                    QT_TRANSLATE_NOOP("PlatformWords",
                                      "The system didn’t let VelmarKestle change %1. Check that "
                                      "you may change the folder it is in.")},
    PlatformWording{openSettings, "openSettings", "Open System Settings",
                    QT_TRANSLATE_NOOP("PlatformWords", "Open Settings")},
    PlatformWording{dataStaysOnComputer, "dataStaysOnComputer",
                    "Its settings and data stay on this Mac: if you install it again, you’ll "
                    "find them.",
                    QT_TRANSLATE_NOOP("PlatformWords",
                                      "Its settings and data stay on this computer: if you "
                                      "install it again, you’ll find them.")},
    PlatformWording{
        allAppsInstalled, "allAppsInstalled", "All the velmar apps are installed on this Mac.",
        QT_TRANSLATE_NOOP("PlatformWords", "All the velmar apps are installed on this computer.")},
    PlatformWording{sameAsSystem, "sameAsSystem", "Same as macOS",
                    QT_TRANSLATE_NOOP("PlatformWords", "Same as the system")},
    PlatformWording{languageFooter, "languageFooter",
                    "The same choice is in System Settings › General › Language & Region › "
                    "Applications.",
                    QT_TRANSLATE_NOOP("PlatformWords", "Other apps keep the system’s language.")},
    PlatformWording{
        loginNeedsApproval, "loginNeedsApproval",
        "Opening at login needs your approval in System Settings.",
        QT_TRANSLATE_NOOP("PlatformWords", "Opening at login needs your approval in Settings.")},
    PlatformWording{
        notificationsOff, "notificationsOff",
        "Notifications from VelmarKestle are off in System Settings.",
        QT_TRANSLATE_NOOP("PlatformWords", "Notifications from VelmarKestle are off in Settings.")},
    PlatformWording{
        notificationsOffBanner, "notificationsOffBanner",
        "Notifications from VelmarKestle are off in System Settings",
        QT_TRANSLATE_NOOP("PlatformWords", "Notifications from VelmarKestle are off in Settings")},
    PlatformWording{requestsFooter, "requestsFooter",
                    "VelmarKestle downloads the list of apps and their versions from velmar. The "
                    "requests carry what every Mac app sends, the versions of VelmarKestle and of "
                    "macOS, and the app’s language; never a profile of this Mac.",
                    QT_TRANSLATE_NOOP("PlatformWords",
                                      "VelmarKestle downloads the list of apps and their versions "
                                      "from velmar. The requests carry what every app sends, the "
                                      "versions of VelmarKestle and of Linux, and the app’s "
                                      "language; never a profile of this computer.")},
    PlatformWording{whereAppsGo, "whereAppsGo",
                    "The Mac’s Applications folder, as when you install by hand.",
                    QT_TRANSLATE_NOOP("PlatformWords",
                                      "Your Applications folder, as when you install by hand.")},
};

} // namespace

QString PlatformWords::text(PlatformWord word) {
    for (const PlatformWording& row : kTable) {
        if (row.word == word) {
            return QCoreApplication::translate(context, row.onLinux);
        }
    }
    return {};
}

std::span<const PlatformWording> PlatformWords::table() {
    return kTable;
}

QString PlatformWords::processor() {
#if defined(__x86_64__)
    return QStringLiteral("x86-64");
#elif defined(__aarch64__)
    return QStringLiteral("ARM64");
#elif defined(__i386__)
    return QStringLiteral("x86");
#elif defined(__arm__)
    return QStringLiteral("ARM");
#elif defined(__riscv) && __riscv_xlen == 64
    return QStringLiteral("RISC-V 64");
#elif defined(__powerpc64__)
    return QStringLiteral("POWER");
#else
    return QStringLiteral("this processor");
#endif
}

} // namespace kestle::app
