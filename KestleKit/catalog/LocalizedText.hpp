#pragma once

#include <expected>
#include <map>
#include <string>
#include <string_view>

#include "catalog/JsonDecoding.hpp"

namespace kestle {

// A text in several languages, keyed by language code ("en", "it"). Decoded
// values always hold an "en" entry.
struct LocalizedText {
    std::map<std::string, std::string, std::less<>> values;

    LocalizedText() = default;
    explicit LocalizedText(std::map<std::string, std::string, std::less<>> values)
        : values(std::move(values)) {}
    LocalizedText(std::initializer_list<std::pair<const std::string, std::string>> entries)
        : values(entries) {}

    // The text in language, else the English text, else empty text.
    std::string text(std::string_view language) const;

    static std::expected<LocalizedText, DecodingError> decode(json::Value& value,
                                                              std::string_view path);

    friend bool operator==(const LocalizedText&, const LocalizedText&) = default;
};

} // namespace kestle
