#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestle {

// One "Name: value" line of an HTTP response, as a header callback receives it.
struct HttpHeader {
    std::string name;
    std::string value; // without surrounding spaces and the line end

    // Nothing for a status line, an empty line or a line without a colon.
    static std::optional<HttpHeader> parse(std::string_view line);
    // Header names are case-insensitive.
    bool is(std::string_view other) const;
};

// The value of a Content-Range header: "bytes first-last/total", total perhaps "*".
struct ContentRange {
    uint64_t first = 0;
    uint64_t last = 0;
    std::optional<uint64_t> total;

    // Nothing for anything else, a range that ends before it starts or one beyond
    // its total (an unsatisfied "bytes */total" included).
    static std::optional<ContentRange> parse(std::string_view value);

    friend bool operator==(const ContentRange&, const ContentRange&) = default;
};

} // namespace kestle
