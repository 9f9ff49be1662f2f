#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "catalog/Catalog.hpp"
#include "support/UpdateSignature.hpp"

namespace kestle {

enum class CatalogErrorKind {
    unsupportedSchema,
    malformedEnvelope,
    badSignature,
    malformedCatalog
};

// Why a signed catalog could not be opened; `schema` is set for unsupportedSchema.
struct CatalogError {
    CatalogErrorKind kind;
    int64_t schema = 0;

    static CatalogError unsupportedSchema(int64_t schema) {
        return {CatalogErrorKind::unsupportedSchema, schema};
    }
    static constexpr CatalogError malformedEnvelope() {
        return {CatalogErrorKind::malformedEnvelope};
    }
    static constexpr CatalogError badSignature() { return {CatalogErrorKind::badSignature}; }
    static constexpr CatalogError malformedCatalog() {
        return {CatalogErrorKind::malformedCatalog};
    }

    friend bool operator==(const CatalogError&, const CatalogError&) = default;
};

std::string describe(const CatalogError& error);

// The catalog travels inside a JSON envelope: the base64 of the catalog bytes and
// an Ed25519 signature over exactly those bytes.
struct SignedCatalog {
    struct Envelope {
        std::string catalog;
        std::string signature;
        friend bool operator==(const Envelope&, const Envelope&) = default;
    };

    // Verifies before it interprets anything; the catalog is decoded from the very
    // bytes that were verified.
    static std::expected<Catalog, CatalogError> open(std::string_view envelope,
                                                     const UpdateSignature& key);

    // The producing side: pretty-printed JSON, "catalog" before "signature".
    // Empty when encoding fails.
    static std::string envelope(std::string_view payload, std::string_view signatureBase64);
};

} // namespace kestle
