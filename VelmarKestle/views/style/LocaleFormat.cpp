#include "views/style/LocaleFormat.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unicode/datefmt.h>
#include <unicode/dtptngen.h>
#include <unicode/listformatter.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/unistr.h>

#include <QLocale>

namespace kestle::app {

namespace {

icu::Locale currentLocale() {
    return icu::Locale(QLocale().name().toStdString().c_str());
}

QString fromIcu(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

icu::UnicodeString toIcu(const QString& text) {
    return icu::UnicodeString(reinterpret_cast<const char16_t*>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

// The locale's best pattern for a skeleton, formatting a moment in the local zone.
// Making a pattern generator costs milliseconds, so each thread keeps its formats per
// locale and skeleton.
QString formatted(std::chrono::sys_seconds moment, const char* skeleton) {
    thread_local std::map<std::string, std::unique_ptr<icu::SimpleDateFormat>> formats;
    const icu::Locale locale = currentLocale();
    const std::string key = std::string(locale.getName()) + '|' + skeleton;
    auto found = formats.find(key);
    if (found == formats.end()) {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::DateTimePatternGenerator> generator(
            icu::DateTimePatternGenerator::createInstance(locale, status));
        if (U_FAILURE(status)) {
            return {};
        }
        const icu::UnicodeString pattern = generator->getBestPattern(skeleton, status);
        auto format = std::make_unique<icu::SimpleDateFormat>(pattern, locale, status);
        if (U_FAILURE(status)) {
            return {};
        }
        found = formats.emplace(key, std::move(format)).first;
    }
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch());
    icu::UnicodeString text;
    found->second->format(static_cast<UDate>(millis.count()), text);
    return fromIcu(text);
}

} // namespace

QString LocaleFormat::releaseDate(std::chrono::sys_seconds date) {
    return formatted(date, "dMMMy");
}

QString LocaleFormat::timeOfDay(std::chrono::sys_seconds time) {
    return formatted(time, "jmm");
}

QString LocaleFormat::andList(const QStringList& items) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::ListFormatter> formatter(icu::ListFormatter::createInstance(
        currentLocale(), ULISTFMT_TYPE_AND, ULISTFMT_WIDTH_WIDE, status));
    if (U_FAILURE(status)) {
        return items.join(QStringLiteral(", "));
    }
    std::vector<icu::UnicodeString> parts;
    parts.reserve(static_cast<size_t>(items.size()));
    for (const QString& item : items) {
        parts.push_back(toIcu(item));
    }
    icu::UnicodeString text;
    formatter->format(parts.data(), static_cast<int32_t>(parts.size()), text, status);
    return U_FAILURE(status) ? items.join(QStringLiteral(", ")) : fromIcu(text);
}

QString LocaleFormat::byteCount(uint64_t bytes) {
    // Sizes past the signed 64-bit range are clamped, as the platform's formatter does.
    const uint64_t count =
        std::min<uint64_t>(bytes, static_cast<uint64_t>(std::numeric_limits<int64_t>::max()));
    const QLocale locale;
    if (count == 0) {
        //: A file size of nothing
        return tr("Zero KB");
    }
    if (count == 1) {
        //: A file size of one byte
        return tr("1 byte");
    }
    if (count < 1000) {
        //: A file size under a kilobyte
        return tr("%1 bytes").arg(locale.toString(static_cast<qulonglong>(count)));
    }
    // Decimal units, with more fraction digits the larger the unit (none for KB, one
    // for MB, two beyond), trailing zeros dropped.
    const std::array<QString, 6> units = {//: Kilobytes
                                          tr("%1 KB"),
                                          //: Megabytes
                                          tr("%1 MB"),
                                          //: Gigabytes
                                          tr("%1 GB"),
                                          //: Terabytes
                                          tr("%1 TB"),
                                          //: Petabytes
                                          tr("%1 PB"),
                                          //: Exabytes
                                          tr("%1 EB")};
    double value = static_cast<double>(count);
    for (size_t unit = 0; unit < units.size(); ++unit) {
        value /= 1000;
        const int digits = unit == 0 ? 0 : unit == 1 ? 1 : 2;
        const double scale = std::pow(10.0, digits);
        const double rounded = std::round(value * scale) / scale;
        if (rounded < 1000 || unit + 1 == units.size()) {
            return units[unit].arg(locale.toString(rounded, 'f', QLocale::FloatingPointShortest));
        }
    }
    return {};
}

QString LocaleFormat::percent(double fraction) {
    const double share = fraction >= 0 ? std::min(fraction, 1.0) : 0.0;
    const QLocale locale;
    // Halves round to even, as the platform's percent style does.
    const int whole = static_cast<int>(std::nearbyint(share * 100));
    return locale.toString(whole) + locale.percent();
}

} // namespace kestle::app
