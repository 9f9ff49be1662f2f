#include "feeds/FeedDate.hpp"

#include <array>

namespace kestle {
namespace {

using namespace std::chrono;

// The English spellings each name is written with, the usual abbreviation first.
constexpr std::array<std::array<std::string_view, 4>, 7> kDays = {{
    {"Sun", "Sunday"},
    {"Mon", "Monday"},
    {"Tue", "Tues", "Tuesday"},
    {"Wed", "Weds", "Wednesday"},
    {"Thu", "Thur", "Thurs", "Thursday"},
    {"Fri", "Friday"},
    {"Sat", "Saturday"},
}};
constexpr std::array<std::array<std::string_view, 3>, 12> kMonths = {{
    {"Jan", "January"},
    {"Feb", "February"},
    {"Mar", "March"},
    {"Apr", "April"},
    {"May"},
    {"Jun", "June"},
    {"Jul", "July"},
    {"Aug", "August"},
    {"Sep", "Sept", "September"},
    {"Oct", "October"},
    {"Nov", "November"},
    {"Dec", "December"},
}};

// The zone names mail and RSS dates use, with their offsets from UTC in hours.
struct NamedZone {
    std::string_view name;
    int hours;
};
constexpr std::array<NamedZone, 12> kZones = {{
    {"UT", 0},
    {"UTC", 0},
    {"GMT", 0},
    {"Z", 0},
    {"EST", -5},
    {"EDT", -4},
    {"CST", -6},
    {"CDT", -5},
    {"MST", -7},
    {"MDT", -6},
    {"PST", -8},
    {"PDT", -7},
}};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Index of the entry that has the word among its spellings, or -1.
template <size_t N, size_t M>
int indexOf(const std::array<std::array<std::string_view, M>, N>& names, std::string_view word) {
    for (size_t i = 0; i < N; ++i) {
        for (std::string_view spelling : names[i]) {
            if (!spelling.empty() && sameLetters(word, spelling)) {
                return static_cast<int>(i);
            }
        }
    }
    return -1;
}

// A small cursor over the text; every step fails once anything does not match.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool literal(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // Between minDigits and maxDigits decimal digits; whatever follows is the next
    // step's to match.
    bool number(size_t minDigits, size_t maxDigits, int& out) {
        size_t start = pos_;
        int value = 0;
        while (pos_ < text_.size() && pos_ - start < maxDigits && isDigit(text_[pos_])) {
            value = value * 10 + (text_[pos_] - '0');
            ++pos_;
        }
        out = value;
        return pos_ - start >= minDigits;
    }

    // The run of ASCII letters at the cursor, possibly empty.
    std::string_view word() {
        size_t start = pos_;
        while (pos_ < text_.size() && isLetter(text_[pos_])) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    bool atLetter() const { return pos_ < text_.size() && isLetter(text_[pos_]); }
    bool atEnd() const { return pos_ == text_.size(); }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// A numeric offset such as +0530 or -0800, or one of the zone names.
std::optional<seconds> zoneOffset(Scanner& s) {
    int sign = 0;
    if (s.literal('+')) {
        sign = 1;
    } else if (s.literal('-')) {
        sign = -1;
    }
    if (sign != 0) {
        int offsetHours = 0, offsetMinutes = 0;
        if (!s.number(2, 2, offsetHours) || !s.number(2, 2, offsetMinutes) || offsetHours > 23 ||
            offsetMinutes > 59) {
            return std::nullopt;
        }
        return sign * (hours{offsetHours} + minutes{offsetMinutes});
    }
    std::string_view name = s.word();
    for (const NamedZone& zone : kZones) {
        if (sameLetters(name, zone.name)) {
            return hours{zone.hours};
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<sys_seconds> parseFeedDate(std::string_view text) {
    Scanner s(text);
    // The day name is only checked for spelling: feeds often carry one that does not
    // match the date, and the date is what counts.
    if (s.atLetter()) {
        bool dayName = indexOf(kDays, s.word()) >= 0 && s.literal(',') && s.literal(' ');
        if (!dayName) {
            return std::nullopt;
        }
    }
    int dayOfMonth = 0, yearNumber = 0, hour = 0, minute = 0, second = 0;
    if (!(s.number(1, 2, dayOfMonth) && s.literal(' '))) {
        return std::nullopt;
    }
    int monthIndex = indexOf(kMonths, s.word());
    bool ok = monthIndex >= 0 && s.literal(' ') && s.number(4, 4, yearNumber) && s.literal(' ') &&
              s.number(2, 2, hour) && s.literal(':') && s.number(2, 2, minute) && s.literal(':') &&
              s.number(2, 2, second) && s.literal(' ');
    if (!ok || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    std::optional<seconds> offset = zoneOffset(s);
    if (!offset || !s.atEnd()) {
        return std::nullopt;
    }
    year_month_day ymd{year{yearNumber}, month{static_cast<unsigned>(monthIndex + 1)},
                       day{static_cast<unsigned>(dayOfMonth)}};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    return sys_seconds{sys_days{ymd}} + hours{hour} + minutes{minute} + seconds{second} - *offset;
}

} // namespace kestle
