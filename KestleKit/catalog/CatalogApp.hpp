#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/JsonDecoding.hpp"
#include "catalog/LocalizedText.hpp"
#include "support/Url.hpp"

namespace kestle {

// One of the maker's apps as the catalog describes it. `id` is the key under
// which its feed, cache file, update state and alerts are filed everywhere.
struct CatalogApp {
    enum class Status { released, coming };

    std::string id;
    std::string bundleID;
    std::string name;
    LocalizedText tagline;
    LocalizedText summary; // "description" in the document
    Status status = Status::released;
    std::optional<Url> site;
    std::optional<Url> feed;
    std::string icon;
    std::string minimumSystem;
    bool hidden = false;
    bool manualRemoval = false;

    // icon resolved against base (the catalog's own URL); nothing when icon is not a URL.
    std::optional<Url> iconURL(const Url& base) const;

    static std::expected<CatalogApp, DecodingError> decode(json::Value& value,
                                                           std::string_view path = {});

    friend bool operator==(const CatalogApp&, const CatalogApp&) = default;
};

std::string_view rawValue(CatalogApp::Status status);
std::optional<CatalogApp::Status> catalogAppStatus(std::string_view rawValue);

} // namespace kestle
