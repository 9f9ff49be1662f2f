#include "feeds/ReleaseNotes.hpp"

#include "support/TextTrim.hpp"

namespace kestle {
namespace {

// The length of the line break starting at text[i], or 0. The multi-byte breaks
// start with lead bytes that never occur inside another character.
size_t lineBreakLength(std::string_view text, size_t i) {
    auto byte = [&](size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0; };
    switch (byte(i)) {
    case '\n':
    case '\v':
    case '\f':
        return 1;
    case '\r':
        return byte(i + 1) == '\n' ? 2 : 1;
    case 0xC2: // U+0085 next line
        return byte(i + 1) == 0x85 ? 2 : 0;
    case 0xE2: // U+2028 line separator, U+2029 paragraph separator
        return byte(i + 1) == 0x80 && (byte(i + 2) == 0xA8 || byte(i + 2) == 0xA9) ? 3 : 0;
    default:
        return 0;
    }
}

void addLine(std::vector<std::string>& items, std::string_view line) {
    line = trimmedWhitespace(line);
    if (line.empty()) {
        return;
    }
    if (line.starts_with("- ") || line.starts_with("* ")) {
        items.emplace_back(trimmedWhitespace(line.substr(2)));
    } else if (!items.empty()) {
        items.back() += ' ';
        items.back() += line;
    } else {
        items.emplace_back(line);
    }
}

} // namespace

std::vector<std::string> ReleaseNotes::items(std::string_view notes) {
    std::vector<std::string> items;
    size_t lineStart = 0;
    size_t i = 0;
    while (i < notes.size()) {
        if (size_t breakLength = lineBreakLength(notes, i); breakLength > 0) {
            addLine(items, notes.substr(lineStart, i - lineStart));
            i += breakLength;
            lineStart = i;
        } else {
            ++i;
        }
    }
    addLine(items, notes.substr(lineStart));
    return items;
}

} // namespace kestle
