#pragma once

#include <string>
#include <string_view>

namespace kestle {

// Case- and diacritic-insensitive containment, the test behind the search field.
// Texts are compared after Unicode case folding and with combining marks removed
// from their canonical decomposition, so "cafe" finds "Café" and "STRASSE" finds
// "Straße".
struct SearchText {
    // The folded form of text (UTF-8); invalid bytes become U+FFFD.
    static std::string fold(std::string_view text);

    // Whether text contains query once both are folded. An empty query is contained
    // in everything.
    static bool contains(std::string_view text, std::string_view query);
};

// A query folded once, for testing many texts against it.
class SearchQuery {
public:
    explicit SearchQuery(std::string_view query);

    bool isEmpty() const { return folded_.empty(); }
    bool matches(std::string_view text) const;

private:
    std::string folded_;
    bool ascii_ = true;
};

} // namespace kestle
