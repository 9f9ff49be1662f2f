#pragma once

#include <span>

#include <QString>

namespace kestle::app {

// The interface texts that name the computer's own parts (its system, its file manager,
// its settings, its processor). Each has the wording written for macOS and the one a
// Linux user reads; this build shows the Linux column, translated.
enum class PlatformWord {
    appsForComputer,        // the list's title
    installsFor,            // the footer's fixed text; %1 the processor
    requiresSystem,         // the detail's "Requires" fact; %1 the major version, %2 the processor
    showInFileManager,      // the menu item that reveals an app's bundle
    systemRefusedTrash,     // %1 the system's error code
    manualRemovalSteps,     // %1 the app's name
    systemRefusedChange,    // %1 the app's name
    openSettings,           // the button that opens the desktop's settings page
    dataStaysOnComputer,    // the move-to-Trash confirmation
    allAppsInstalled,       // the empty list, all apps installed
    sameAsSystem,           // the language picker's first choice
    languageFooter,         // under the language picker
    loginNeedsApproval,     // the settings row for a login item awaiting approval
    notificationsOff,       // the settings row when notifications are refused
    notificationsOffBanner, // the "Notify Me" banner when notifications are refused
    requestsFooter,         // what the catalog requests carry
    whereAppsGo,            // the subtitle of "Where apps go"
};

struct PlatformWording {
    PlatformWord word;
    const char* name;    // the enumerator's, for checks over the sources
    const char* macOS;   // as written for the Mac
    const char* onLinux; // what this build shows, the source text of its translation
};

class PlatformWords {
public:
    // The translation context of the Linux column.
    static constexpr const char* context = "PlatformWords";

    // The Linux wording, translated into the interface language.
    static QString text(PlatformWord word);
    static std::span<const PlatformWording> table();

    // The build's processor as users name it: "x86-64", "ARM64"…
    static QString processor();
};

} // namespace kestle::app
