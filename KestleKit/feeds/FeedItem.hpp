#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/Url.hpp"

namespace kestle {

// One release announced by an appcast item.
struct FeedItem {
    std::string build; // never empty; what versions are compared on
    std::string version;
    std::optional<std::string> minimumSystem;
    std::vector<std::string> hardware; // empty means any
    std::optional<std::string> channel;
    std::optional<std::chrono::sys_seconds> date;
    std::map<std::string, std::string> notes; // language code to text
    std::optional<Url> download;
    std::optional<int64_t> length;
    std::optional<std::string> edSignature;

    friend bool operator==(const FeedItem&, const FeedItem&) = default;

    // The notes in that language, else in English, else in the first language held.
    std::optional<std::string> notesFor(std::string_view language) const;

    // Whether the system version meets the minimum and the hardware list allows the
    // architecture.
    bool runs(std::string_view system, std::string_view architecture) const;
};

} // namespace kestle
