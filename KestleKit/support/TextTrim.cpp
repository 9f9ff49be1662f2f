#include "support/TextTrim.hpp"

#include <cstdint>

namespace kestle {
namespace {

bool isSpace(char32_t c) {
    return c == 0x20 || c == 0x09 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isNewline(char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool matches(char32_t c, bool includeNewlines) {
    return isSpace(c) || (includeNewlines && isNewline(c));
}

// Decodes the code point starting at text[i]; returns its length in bytes, or 0
// for an invalid sequence (which is never white space).
size_t decodeAt(std::string_view text, size_t i, char32_t& out) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    uint8_t b0 = byte(i);
    if (b0 < 0x80) {
        out = b0;
        return 1;
    }
    size_t len = (b0 & 0xE0) == 0xC0 ? 2 : (b0 & 0xF0) == 0xE0 ? 3 : (b0 & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || i + len > text.size()) {
        return 0;
    }
    char32_t c = b0 & (0xFF >> (len + 1));
    for (size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    out = c;
    return len;
}

} // namespace

size_t leadingSpaceLength(std::string_view text, bool includeNewlines) {
    size_t i = 0;
    while (i < text.size()) {
        char32_t c = 0;
        size_t len = decodeAt(text, i, c);
        if (len == 0 || !matches(c, includeNewlines)) {
            break;
        }
        i += len;
    }
    return i;
}

size_t trailingSpaceLength(std::string_view text, bool includeNewlines) {
    size_t end = text.size();
    while (end > 0) {
        // Step back to the first byte of the last code point.
        size_t start = end - 1;
        while (start > 0 && end - start < 4 && (static_cast<uint8_t>(text[start]) & 0xC0) == 0x80) {
            --start;
        }
        char32_t c = 0;
        size_t len = decodeAt(text, start, c);
        if (len != end - start || !matches(c, includeNewlines)) {
            break;
        }
        end = start;
    }
    return text.size() - end;
}

namespace {
std::string_view trimmed(std::string_view text, bool includeNewlines) {
    // Most texts start and end with a visible ASCII character: nothing to trim.
    auto visible = [](char c) { return c > 0x20 && c < 0x7f; };
    if (text.empty() || (visible(text.front()) && visible(text.back()))) {
        return text;
    }
    size_t lead = leadingSpaceLength(text, includeNewlines);
    text.remove_prefix(lead);
    text.remove_suffix(trailingSpaceLength(text, includeNewlines));
    return text;
}
} // namespace

std::string_view trimmedWhitespace(std::string_view text) {
    return trimmed(text, false);
}

std::string_view trimmedWhitespaceAndNewlines(std::string_view text) {
    return trimmed(text, true);
}

} // namespace kestle
