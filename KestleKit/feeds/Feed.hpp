#pragma once

#include <expected>
#include <optional>
#include <string_view>
#include <vector>

#include "feeds/FeedItem.hpp"

namespace kestle {

enum class FeedError { malformed };

// Reading an appcast (RSS with the update framework's elements) and choosing what to
// offer from it.
struct Feed {
    // The items in document order. malformed when the bytes are not well-formed XML or
    // hold no "channel" element; items without a usable build are left out.
    static std::expected<std::vector<FeedItem>, FeedError> items(std::string_view bytes);

    // The item with the newest build among those on no channel, with a download, that
    // run on that system and architecture; the first of equal builds wins.
    static std::optional<FeedItem> latest(const std::vector<FeedItem>& items,
                                          std::string_view system, std::string_view architecture);
};

} // namespace kestle
