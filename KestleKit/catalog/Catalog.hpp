#pragma once

#include <cstdint>
#include <expected>
#include <string_view>
#include <vector>

#include "catalog/CatalogApp.hpp"
#include "catalog/JsonDecoding.hpp"

namespace kestle {

// The maker's list of apps. Strict for the document, lenient per app: an app that
// does not decode is left out and the rest stands.
struct Catalog {
    // The newest format this build reads.
    static constexpr int64_t supportedSchema = 1;

    int64_t schema = supportedSchema;
    std::vector<CatalogApp> apps;

    // Consumes the document: its texts are moved into the catalog.
    static std::expected<Catalog, DecodingError> decode(json::Value& value);
    // Parses and decodes the catalog's JSON bytes.
    static std::expected<Catalog, DecodingError> fromJSON(std::string_view bytes);

    friend bool operator==(const Catalog&, const Catalog&) = default;
};

} // namespace kestle
