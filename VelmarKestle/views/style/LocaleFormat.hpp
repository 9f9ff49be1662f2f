#pragma once

#include <chrono>

#include <QString>
#include <QStringList>

namespace kestle::app {

// Dates, times and lists in the user's locale (QLocale's default), with the platform's
// patterns: ICU picks the order and punctuation for each locale, which Qt's own
// formats do not cover.
class LocaleFormat {
public:
    // Day, abbreviated month and year ("Dec 9, 2026", "9 dic 2026"): every release
    // date and the footer's older check dates.
    static QString releaseDate(std::chrono::sys_seconds date);
    // Hour and minute, with the day-period marker where the locale uses one
    // ("3:07 PM", "15:07"), in the local time zone.
    static QString timeOfDay(std::chrono::sys_seconds time);
    // A standard-width "and" list ("A, B and C" in British English, "A, B, and C" in US).
    static QString andList(const QStringList& items);
};

} // namespace kestle::app
