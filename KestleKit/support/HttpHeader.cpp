#include "support/HttpHeader.hpp"

#include <algorithm>
#include <charconv>

namespace kestle {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Digits only, the whole of text, no overflow.
std::optional<uint64_t> number(std::string_view text) {
    uint64_t value = 0;
    if (text.empty() || text.front() == '+' || text.front() == '-') {
        return std::nullopt;
    }
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<HttpHeader> HttpHeader::parse(std::string_view line) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::nullopt;
    }
    std::string_view name = line.substr(0, colon);
    if (name.find_first_of(" \t") != std::string_view::npos) {
        return std::nullopt;
    }
    return HttpHeader{std::string(name), std::string(trimmed(line.substr(colon + 1)))};
}

bool HttpHeader::is(std::string_view other) const {
    return std::ranges::equal(name, other, [](char a, char b) { return lower(a) == lower(b); });
}

std::optional<ContentRange> ContentRange::parse(std::string_view value) {
    value = trimmed(value);
    constexpr std::string_view unit = "bytes ";
    if (value.size() < unit.size() ||
        !std::ranges::equal(value.substr(0, unit.size()), unit,
                            [](char a, char b) { return lower(a) == b; })) {
        return std::nullopt;
    }
    value.remove_prefix(unit.size());
    const auto dash = value.find('-');
    const auto slash = value.find('/');
    if (dash == std::string_view::npos || slash == std::string_view::npos || dash > slash) {
        return std::nullopt;
    }
    auto first = number(value.substr(0, dash));
    auto last = number(value.substr(dash + 1, slash - dash - 1));
    if (!first || !last || *last < *first) {
        return std::nullopt;
    }
    ContentRange range{*first, *last, std::nullopt};
    if (std::string_view total = value.substr(slash + 1); total != "*") {
        range.total = number(total);
        if (!range.total || *range.total <= *last) {
            return std::nullopt;
        }
    }
    return range;
}

} // namespace kestle
