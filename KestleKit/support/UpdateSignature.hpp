#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kestle {

// An Ed25519 public key that checks base64 signatures: one for the catalog, one
// for downloads.
class UpdateSignature {
public:
    using Key = std::array<uint8_t, 32>;

    // Nothing when the text is not strict base64 of exactly 32 bytes that form an
    // Ed25519 public key.
    static std::optional<UpdateSignature> fromPublicKeyBase64(std::string_view text);

    bool isValid(std::string_view signatureBase64, std::span<const uint8_t> signedBytes) const;
    bool isValid(std::string_view signatureBase64, std::string_view signedBytes) const;
    // The raw 64-byte form, for callers that already decoded the signature.
    bool verify(std::span<const uint8_t> signature, std::span<const uint8_t> signedBytes) const;

    const Key& key() const { return key_; }

    friend bool operator==(const UpdateSignature&, const UpdateSignature&) = default;

private:
    explicit UpdateSignature(const Key& key) : key_(key) {}
    Key key_{};
};

} // namespace kestle
