#pragma once

#include <chrono>
#include <cstdint>

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace kestle::app {

// Dates, times, lists, file sizes and percentages in the user's locale (QLocale's
// default), with the platform's patterns: ICU picks the order and punctuation of dates
// and lists for each locale, which Qt's own formats do not cover.
class LocaleFormat {
    Q_DECLARE_TR_FUNCTIONS(kestle::app::LocaleFormat)

public:
    // Day, abbreviated month and year ("Dec 9, 2026", "9 dic 2026"): every release
    // date and the footer's older check dates.
    static QString releaseDate(std::chrono::sys_seconds date);
    // Hour and minute, with the day-period marker where the locale uses one
    // ("3:07 PM", "15:07"), in the local time zone.
    static QString timeOfDay(std::chrono::sys_seconds time);
    // A standard-width "and" list ("A, B and C" in British English, "A, B, and C" in US).
    static QString andList(const QStringList& items);
    // A file size in decimal units ("1.2 MB", "Zero KB"): downloads, progress, facts.
    static QString byteCount(uint64_t bytes);
    // A share of 0...1 as a whole percentage.
    static QString percent(double fraction);
};

} // namespace kestle::app
