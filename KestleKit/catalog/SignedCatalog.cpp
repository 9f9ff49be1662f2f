#include "catalog/SignedCatalog.hpp"

#include <optional>

#include "support/Base64.hpp"

namespace kestle {
namespace {

std::string_view asText(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The envelope's two members, when the document is an object of them.
struct EnvelopeMembers {
    std::optional<std::string_view> catalog;
    std::optional<std::string_view> signature;
};

// Envelopes as they are written are a flat object of plain ASCII strings. Such a
// document is read here in one pass, without building a tree: the catalog's
// base64 text is most of the bytes, and a general JSON parser copies it a
// character at a time. Anything else (escapes, other types, non-ASCII) is left to
// the general reader below, which gives the same answer for this subset.
class FlatEnvelopeScanner {
public:
    explicit FlatEnvelopeScanner(std::string_view text) : text_(text) {}

    // Nothing when the text is outside the subset; the caller then reads it in full.
    std::optional<EnvelopeMembers> scan() {
        EnvelopeMembers members;
        skipSpace();
        if (!consume('{')) {
            return std::nullopt;
        }
        skipSpace();
        if (consume('}')) {
            return finish(members);
        }
        while (true) {
            auto key = string();
            skipSpace();
            if (!key || !consume(':')) {
                return std::nullopt;
            }
            skipSpace();
            auto value = string();
            if (!value) {
                return std::nullopt;
            }
            // A repeated member replaces the earlier one, as in the general parser.
            if (*key == "catalog") {
                members.catalog = value;
            } else if (*key == "signature") {
                members.signature = value;
            }
            skipSpace();
            if (consume('}')) {
                return finish(members);
            }
            if (!consume(',')) {
                return std::nullopt;
            }
            skipSpace();
        }
    }

private:
    std::optional<EnvelopeMembers> finish(const EnvelopeMembers& members) {
        skipSpace();
        return at_ == text_.size() ? std::optional(members) : std::nullopt;
    }

    void skipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' ||
                                      text_[at_] == '\r' || text_[at_] == '\t')) {
            ++at_;
        }
    }

    bool consume(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    std::optional<std::string_view> string() {
        if (!consume('"')) {
            return std::nullopt;
        }
        size_t start = at_;
        for (; at_ < text_.size(); ++at_) {
            auto c = static_cast<unsigned char>(text_[at_]);
            if (c == '"') {
                return text_.substr(start, at_++ - start);
            }
            if (c < 0x20 || c >= 0x7f || c == '\\') {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::string_view text_;
    size_t at_ = 0;
};

// Any other envelope is read as a stream of events that keeps the two top-level
// members and nothing else, so what surrounds them costs nothing however it is built.
class EnvelopeReader final : public json::Events {
public:
    // The members, when the document is an object; a member that is not a string
    // (null included) counts as missing.
    std::optional<EnvelopeMembers> members() const {
        if (!isObject_) {
            return std::nullopt;
        }
        EnvelopeMembers out;
        if (catalog_) {
            out.catalog = *catalog_;
        }
        if (signature_) {
            out.signature = *signature_;
        }
        return out;
    }

    bool null() override { return other(); }
    bool boolean(bool) override { return other(); }
    bool number_integer(number_integer_t) override { return other(); }
    bool number_unsigned(number_unsigned_t) override { return other(); }
    bool number_float(number_float_t, const string_t&) override { return other(); }
    bool string(string_t& value) override {
        // A repeated member replaces the earlier one, as in a tree.
        if (depth_ == 1 && member_ != nullptr) {
            *member_ = std::move(value);
        }
        return true;
    }
    bool start_object(std::size_t) override {
        isObject_ = isObject_ || depth_ == 0;
        return open();
    }
    bool key(string_t& value) override {
        if (depth_ == 1) {
            member_ = value == "catalog" ? &catalog_ : value == "signature" ? &signature_ : nullptr;
        }
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(); }
    bool end_array() override { return close(); }

private:
    bool other() {
        if (depth_ == 1 && member_ != nullptr) {
            member_->reset();
        }
        return true;
    }
    bool open() {
        other();
        ++depth_;
        return true;
    }
    bool close() {
        --depth_;
        return true;
    }

    size_t depth_ = 0;
    bool isObject_ = false;
    std::optional<std::string>* member_ = nullptr;
    std::optional<std::string> catalog_;
    std::optional<std::string> signature_;
};

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
    EnvelopeReader reader;
    auto members = FlatEnvelopeScanner(envelope).scan();
    if (!members) {
        if (!json::read(envelope, reader)) {
            return std::unexpected(CatalogError::malformedEnvelope());
        }
        members = reader.members();
        if (!members) {
            return std::unexpected(CatalogError::malformedEnvelope());
        }
    }
    if (!members->catalog || !members->signature) {
        return std::unexpected(CatalogError::malformedEnvelope());
    }
    auto catalogText = members->catalog;
    auto signatureText = members->signature;
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
