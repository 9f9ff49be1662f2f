#include "feeds/FeedDate.hpp"

#include <array>

namespace kestle {
namespace {

constexpr std::array<std::string_view, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
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

bool isDigit(char c) {
    return c >= '0' && c <= '9';
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

    // Index of the three-letter name at the cursor within names.
    template <size_t N> bool name(const std::array<std::string_view, N>& names, int& out) {
        if (text_.size() - pos_ < 3) {
            return false;
        }
        std::string_view word = text_.substr(pos_, 3);
        for (size_t i = 0; i < N; ++i) {
            if (sameLetters(word, names[i])) {
                pos_ += 3;
                out = static_cast<int>(i);
                return true;
            }
        }
        return false;
    }

    bool atEnd() const { return pos_ == text_.size(); }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

} // namespace

std::optional<std::chrono::sys_seconds> parseFeedDate(std::string_view text) {
    using namespace std::chrono;
    Scanner s(text);
    int weekday = 0, dayOfMonth = 0, monthIndex = 0, yearNumber = 0;
    int hour = 0, minute = 0, second = 0, offsetHours = 0, offsetMinutes = 0;
    // The day name is only checked for spelling: feeds often carry one that does not
    // match the date, and the date is what counts.
    bool ok = s.name(kDays, weekday) && s.literal(',') && s.literal(' ') &&
              s.number(1, 2, dayOfMonth) && s.literal(' ') && s.name(kMonths, monthIndex) &&
              s.literal(' ') && s.number(4, 4, yearNumber) && s.literal(' ') &&
              s.number(2, 2, hour) && s.literal(':') && s.number(2, 2, minute) && s.literal(':') &&
              s.number(2, 2, second) && s.literal(' ');
    if (!ok) {
        return std::nullopt;
    }
    int sign = 0;
    if (s.literal('+')) {
        sign = 1;
    } else if (s.literal('-')) {
        sign = -1;
    } else {
        return std::nullopt;
    }
    if (!s.number(2, 2, offsetHours) || !s.number(2, 2, offsetMinutes) || !s.atEnd()) {
        return std::nullopt;
    }
    if (hour > 23 || minute > 59 || second > 59 || offsetHours > 23 || offsetMinutes > 59) {
        return std::nullopt;
    }
    year_month_day ymd{year{yearNumber}, month{static_cast<unsigned>(monthIndex + 1)},
                       day{static_cast<unsigned>(dayOfMonth)}};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    seconds offset = hours{offsetHours} + minutes{offsetMinutes};
    return sys_seconds{sys_days{ymd}} + hours{hour} + minutes{minute} + seconds{second} -
           sign * offset;
}

} // namespace kestle
