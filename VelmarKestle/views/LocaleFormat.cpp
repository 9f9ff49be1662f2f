#include "LocaleFormat.hpp"

#include <memory>
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
QString formatted(std::chrono::sys_seconds moment, const char* skeleton) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = currentLocale();
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, status));
    if (U_FAILURE(status)) {
        return {};
    }
    const icu::UnicodeString pattern = generator->getBestPattern(skeleton, status);
    icu::SimpleDateFormat format(pattern, locale, status);
    if (U_FAILURE(status)) {
        return {};
    }
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch());
    icu::UnicodeString text;
    format.format(static_cast<UDate>(millis.count()), text);
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

} // namespace kestle::app
