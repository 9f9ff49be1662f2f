#include "SignedCatalog.hpp"

#include "Base64.hpp"

namespace kestle {
namespace {

std::string_view asText(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

std::string describe(const CatalogError& error) {
    switch (error.kind) {
    case CatalogErrorKind::unsupportedSchema:
        return "unsupported schema " + std::to_string(error.schema);
    case CatalogErrorKind::malformedEnvelope:
        return "malformed envelope";
    case CatalogErrorKind::badSignature:
        return "bad signature";
    case CatalogErrorKind::malformedCatalog:
        return "malformed catalog";
    }
    return "unknown";
}

std::expected<Catalog, CatalogError> SignedCatalog::open(std::string_view envelope,
                                                         const UpdateSignature& key) {
    auto document = json::parse(envelope);
    if (!document || !document->is_object()) {
        return std::unexpected(CatalogError::malformedEnvelope());
    }
    auto catalogText = json::requiredString(*document, "catalog", "");
    auto signatureText = json::requiredString(*document, "signature", "");
    if (!catalogText || !signatureText) {
        return std::unexpected(CatalogError::malformedEnvelope());
    }
    auto catalogBytes = Base64::decode(*catalogText);
    if (!catalogBytes) {
        return std::unexpected(CatalogError::malformedEnvelope());
    }
    auto signature = Base64::decode(*signatureText);
    if (!signature || !key.verify(*signature, *catalogBytes)) {
        return std::unexpected(CatalogError::badSignature());
    }

    // One parse serves both the schema probe and the full decode.
    auto catalogDocument = json::parse(asText(*catalogBytes));
    if (!catalogDocument || !catalogDocument->is_object()) {
        return std::unexpected(CatalogError::malformedCatalog());
    }
    auto schema = json::requiredInteger(*catalogDocument, "schema", "");
    if (!schema) {
        return std::unexpected(CatalogError::malformedCatalog());
    }
    if (*schema > Catalog::supportedSchema) {
        return std::unexpected(CatalogError::unsupportedSchema(*schema));
    }
    auto catalog = Catalog::decode(*catalogDocument);
    if (!catalog) {
        return std::unexpected(CatalogError::malformedCatalog());
    }
    return std::move(*catalog);
}

std::string SignedCatalog::envelope(std::string_view payload, std::string_view signatureBase64) {
    try {
        // nlohmann keeps object keys sorted and never escapes '/'.
        json::Value document = {{"catalog", Base64::encode(payload)},
                                {"signature", std::string(signatureBase64)}};
        return document.dump(2) + "\n";
    } catch (const std::exception&) {
        // A signature text that is not UTF-8 cannot be written as JSON.
        return {};
    }
}

} // namespace kestle
