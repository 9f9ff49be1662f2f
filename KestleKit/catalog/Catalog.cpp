#include "catalog/Catalog.hpp"

namespace kestle {

std::expected<Catalog, DecodingError> Catalog::decode(json::Value& value) {
    if (!value.is_object()) {
        return std::unexpected(DecodingError{"", "Expected to decode Dictionary"});
    }
    auto schema = json::requiredInteger(value, "schema", "");
    if (!schema) {
        return std::unexpected(schema.error());
    }
    auto apps = json::member(value, "apps", "");
    if (!apps) {
        return std::unexpected(apps.error());
    }
    if (!(*apps)->is_array()) {
        return std::unexpected(DecodingError{"apps", "Expected to decode Array"});
    }
    // No reserve: the element count is the document's word, and most elements may
    // be left out.
    Catalog catalog{*schema, {}};
    for (auto& element : **apps) {
        // Per-app faults stay inside the element: it is simply left out, and its
        // error with it.
        if (auto app = CatalogApp::decode(element)) {
            catalog.apps.push_back(std::move(*app));
        }
    }
    return catalog;
}

std::expected<Catalog, DecodingError> Catalog::fromJSON(std::string_view bytes) {
    auto value = json::parse(bytes);
    if (!value) {
        return std::unexpected(DecodingError{"", "The given data was not valid JSON."});
    }
    return decode(*value);
}

} // namespace kestle
