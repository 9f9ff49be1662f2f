#include "feeds/FeedItem.hpp"

#include <algorithm>

#include "feeds/Version.hpp"

namespace kestle {

std::optional<std::string> FeedItem::notesFor(std::string_view language) const {
    if (notes.empty()) {
        return std::nullopt;
    }
    if (auto it = notes.find(std::string(language)); it != notes.end()) {
        return it->second;
    }
    if (auto it = notes.find("en"); it != notes.end()) {
        return it->second;
    }
    return notes.begin()->second;
}

bool FeedItem::runs(std::string_view system, std::string_view architecture) const {
    if (minimumSystem && Version::compare(system, *minimumSystem) == ComparisonResult::ascending) {
        return false;
    }
    return hardware.empty() || std::ranges::find(hardware, architecture) != hardware.end();
}

} // namespace kestle
