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
    // Whatever the bytes, the reading stays within a small multiple of their size: a
    // document type with declarations of its own, nesting deeper than 256 elements, or
    // a document that needs the XML parser to hold much more than its size is malformed;
    // an item keeps at most 1 MiB of notes (the rest is dropped), a version, date,
    // address or language code longer than 64 KiB is left out, and items past the
    // 10,000th are dropped.
    static std::expected<std::vector<FeedItem>, FeedError> items(std::string_view bytes);

    // The item with the newest build among those on no channel, with a download, that
    // run on that system and architecture; the first of equal builds wins.
    static std::optional<FeedItem> latest(const std::vector<FeedItem>& items,
                                          std::string_view system, std::string_view architecture);

    // The other items latest chooses among whose builds are older than its choice,
    // newest first, one per build (the first of equal builds): what an update from an
    // older build brings besides the latest. They point into items.
    static std::vector<const FeedItem*> earlier(const std::vector<FeedItem>& items,
                                                std::string_view system,
                                                std::string_view architecture);
};

} // namespace kestle
