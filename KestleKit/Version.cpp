#include "Version.hpp"

#include <cstdint>
#include <optional>

#include "TextTrim.hpp"

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
    // Accumulate as a negative number so that INT64_MIN fits.
    int64_t value = 0;
    for (; i < part.size(); ++i) {
        if (!isDigit(part[i])) {
            return std::nullopt;
        }
        int digit = part[i] - '0';
        if (value < (INT64_MIN + digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == INT64_MIN) {
            return std::nullopt;
        }
        value = -value;
    }
    return value;
}

// Text comparison where runs of digits compare by numeric value and everything
// else by code point (UTF-8 byte order is code point order).
ComparisonResult compareNumericText(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            size_t runA = i;
            size_t runB = j;
            while (runA < a.size() && a[runA] == '0') {
                ++runA;
            }
            while (runB < b.size() && b[runB] == '0') {
                ++runB;
            }
            size_t endA = runA;
            size_t endB = runB;
            while (endA < a.size() && isDigit(a[endA])) {
                ++endA;
            }
            while (endB < b.size() && isDigit(b[endB])) {
                ++endB;
            }
            if (endA - runA != endB - runB) {
                return order(endA - runA, endB - runB);
            }
            if (auto r = order(a.substr(runA, endA - runA), b.substr(runB, endB - runB));
                r != ComparisonResult::same) {
                return r;
            }
            i = endA;
            j = endB;
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
    auto x = integerValue(a);
    if (x) {
        if (auto y = integerValue(b)) {
            return order(*x, *y);
        }
    }
    return compareNumericText(a, b);
}

// Splits at every '.', keeping empty parts; yields "0" once the text is used up.
class PartReader {
public:
    explicit PartReader(std::string_view text) : rest_(text) {}
    bool done() const { return finished_; }
    std::string_view next() {
        if (finished_) {
            return "0";
        }
        auto dot = rest_.find('.');
        if (dot == std::string_view::npos) {
            finished_ = true;
            return rest_;
        }
        auto part = rest_.substr(0, dot);
        rest_.remove_prefix(dot + 1);
        return part;
    }

private:
    std::string_view rest_;
    bool finished_ = false;
};

} // namespace

ComparisonResult Version::compare(std::string_view a, std::string_view b) {
    PartReader left(trimmedWhitespace(a));
    PartReader right(trimmedWhitespace(b));
    while (!left.done() || !right.done()) {
        if (auto r = comparePart(left.next(), right.next()); r != ComparisonResult::same) {
            return r;
        }
    }
    return ComparisonResult::same;
}

} // namespace kestle
