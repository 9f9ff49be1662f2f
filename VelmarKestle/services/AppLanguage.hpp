#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QStringList>

#include "support/PreferenceStore.hpp"

namespace kestle::app {

// The interface language: the system's, or one the user chose for this application
// alone. Stored under "AppleLanguages" in the application's own preferences; takes
// effect at the next launch.
enum class AppLanguage { system, english, italian };

struct AppLanguages {
    static constexpr std::string_view key = "AppleLanguages";

    // "system", "en", "it".
    static std::string_view rawValue(AppLanguage language);
    static const std::vector<AppLanguage>& all();

    // From the first entry of the stored list: "en" and "it" by their language code,
    // anything else (or nothing) is the system's.
    static AppLanguage current(const PreferenceStore* defaults);
    // Stores ["en"] or ["it"], or removes the entry for the system's language.
    static void choose(PreferenceStore& defaults, AppLanguage language);

    // The user's languages, most wanted first ("it-IT", "en-US"…).
    static QStringList systemLanguages();
    // The first of available ("en", "it") that the choice's languages ask for, by full
    // tag or by language code; nothing when none matches.
    static std::optional<QString>
    resolved(const QStringList& available, AppLanguage choice,
             const QStringList& preferred = AppLanguages::systemLanguages());
    // The translations a bundle carries: the languages of its
    // Contents/Resources/translations/VelmarKestle_<lang>.qm files.
    static QStringList available(const QString& translationsFolder);

    // Logs "Relaunch asked", marks the relaunch and asks the application to quit.
    static void relaunch();
};

} // namespace kestle::app
