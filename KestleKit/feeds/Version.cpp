#include "feeds/Version.hpp"

#include <cstdint>
#include <optional>

#include "support/TextTrim.hpp"

namespace kestle {
namespace {

ComparisonResult order(auto a, auto b) {
    if (a < b) {
        return ComparisonResult::ascending;
    }
    return a == b ? ComparisonResult::same : ComparisonResult::descending;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A whole part read as a signed 64-bit decimal integer, or nothing.
std::optional<int64_t> integerValue(std::string_view part) {
    size_t i = 0;
    bool negative = false;
    if (!part.empty() && (part[0] == '+' || part[0] == '-')) {
        negative = part[0] == '-';
        i = 1;
    }
    if (i == part.size()) {
        return std::nullopt;
    }
    uint64_t magnitude = 0;
    for (; i < part.size(); ++i) {
        if (!isDigit(part[i])) {
            return std::nullopt;
        }
        if (__builtin_mul_overflow(magnitude, 10u, &magnitude) ||
            __builtin_add_overflow(magnitude, static_cast<uint64_t>(part[i] - '0'), &magnitude)) {
            return std::nullopt;
        }
    }
    constexpr uint64_t limit = static_cast<uint64_t>(INT64_MAX);
    if (magnitude > limit + (negative ? 1 : 0)) {
        return std::nullopt;
    }
    return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

// Text comparison where runs of digits compare by numeric value and everything
// else by code point (UTF-8 byte order is code point order).
ComparisonResult compareNumericText(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Compare the two digit runs by value in one pass: skip leading zeros,
            // then the longer run wins, else the first differing digit.
            while (i < a.size() && a[i] == '0') {
                ++i;
            }
            while (j < b.size() && b[j] == '0') {
                ++j;
            }
            ComparisonResult firstDifference = ComparisonResult::same;
            while (true) {
                bool moreA = i < a.size() && isDigit(a[i]);
                bool moreB = j < b.size() && isDigit(b[j]);
                if (moreA != moreB) {
                    return moreA ? ComparisonResult::descending : ComparisonResult::ascending;
                }
                if (!moreA) {
                    break;
                }
                if (firstDifference == ComparisonResult::same && a[i] != b[j]) {
                    firstDifference = order(a[i], b[j]);
                }
                ++i;
                ++j;
            }
            if (firstDifference != ComparisonResult::same) {
                return firstDifference;
            }
            continue;
        }
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[j]);
        if (ca != cb) {
            return order(ca, cb);
        }
        ++i;
        ++j;
    }
    return order(a.size() - i, b.size() - j);
}

ComparisonResult comparePart(std::string_view a, std::string_view b) {
    // Without a sign, whole-number parts compare the same way under the text rule
    // (one digit run each, by value), so only signed parts need the integer reading.
    auto signedPart = [](std::string_view p) { return !p.empty() && (p[0] == '+' || p[0] == '-'); };
    if (signedPart(a) || signedPart(b)) {
        if (auto x = integerValue(a)) {
            if (auto y = integerValue(b)) {
                return order(*x, *y);
            }
        }
    }
    return compareNumericText(a, b);
}

// The next part of text from position at; "0" once the text is used up.
std::string_view nextPart(std::string_view text, size_t& at, bool& done) {
    if (done) {
        return "0";
    }
    size_t start = at;
    while (at < text.size() && text[at] != '.') {
        ++at;
    }
    std::string_view part = text.substr(start, at - start);
    if (at == text.size()) {
        done = true;
    } else {
        ++at;
    }
    return part;
}

// Walks a text's parts as plain numbers: each part's significant digits without
// leading zeros, then empty digits ("0") once the text is used up.
class NumberCursor {
public:
    explicit NumberCursor(std::string_view text)
        : at_(text.data()), end_(text.data() + text.size()) {}
    bool done() const { return done_; }

    // False when the part is empty or holds anything but digits.
    [[gnu::always_inline]] bool next(std::string_view& digits) {
        if (done_) {
            digits = {};
            return true;
        }
        const char* start = at_;
        while (at_ != end_ && *at_ == '0') {
            ++at_;
        }
        const char* significant = at_;
        while (at_ != end_ && isDigit(*at_)) {
            ++at_;
        }
        if (at_ == start) {
            return false;
        }
        digits = std::string_view(significant, static_cast<size_t>(at_ - significant));
        if (at_ == end_) {
            done_ = true;
            return true;
        }
        return *at_++ == '.';
    }

private:
    const char* at_;
    const char* end_;
    bool done_ = false;
};

// The common case, dotted whole numbers ("10.4.1"), in one pass; nothing when
// either text needs the general rules.
std::optional<ComparisonResult> compareDottedNumbers(std::string_view a, std::string_view b) {
    NumberCursor left(a);
    NumberCursor right(b);
    std::string_view x;
    std::string_view y;
    while (!left.done() || !right.done()) {
        if (!left.next(x) || !right.next(y)) {
            return std::nullopt;
        }
        if (x.size() != y.size()) {
            return order(x.size(), y.size());
        }
        for (size_t k = 0; k < x.size(); ++k) {
            if (x[k] != y[k]) {
                return order(x[k], y[k]);
            }
        }
    }
    return ComparisonResult::same;
}

} // namespace

ComparisonResult Version::compare(std::string_view a, std::string_view b) {
    // Texts that begin and end with a digit need no trimming.
    auto bare = [](std::string_view t) {
        return !t.empty() && isDigit(t.front()) && isDigit(t.back());
    };
    if (!bare(a) || !bare(b)) {
        a = trimmedWhitespace(a);
        b = trimmedWhitespace(b);
    }
    if (auto fast = compareDottedNumbers(a, b)) {
        return *fast;
    }
    size_t atA = 0;
    size_t atB = 0;
    bool doneA = false;
    bool doneB = false;
    while (!doneA || !doneB) {
        auto partA = nextPart(a, atA, doneA);
        auto partB = nextPart(b, atB, doneB);
        if (auto r = comparePart(partA, partB); r != ComparisonResult::same) {
            return r;
        }
    }
    return ComparisonResult::same;
}

} // namespace kestle
