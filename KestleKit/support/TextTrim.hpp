#pragma once

#include <string_view>

namespace kestle {

// Trimming by the Unicode classes the formats are defined with, over UTF-8 text.

// Spaces and tabs: general category Zs plus U+0009. Line breaks stay.
std::string_view trimmedWhitespace(std::string_view text);

// Spaces, tabs and line breaks (U+000A to U+000D, U+0085, U+2028, U+2029).
std::string_view trimmedWhitespaceAndNewlines(std::string_view text);

// The length in bytes of the white space (of the chosen kind) that starts text.
size_t leadingSpaceLength(std::string_view text, bool includeNewlines);
// The length in bytes of the white space that ends text.
size_t trailingSpaceLength(std::string_view text, bool includeNewlines);

} // namespace kestle
