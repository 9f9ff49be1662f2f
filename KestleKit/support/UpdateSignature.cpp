#include "support/UpdateSignature.hpp"

#include <algorithm>

#include <sodium.h>

#include "support/Base64.hpp"

namespace kestle {
namespace {

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

} // namespace

std::optional<UpdateSignature> UpdateSignature::fromPublicKeyBase64(std::string_view text) {
    auto bytes = Base64::decode(text);
    if (!bytes || bytes->size() != crypto_sign_PUBLICKEYBYTES || !sodiumReady()) {
        return std::nullopt;
    }
    Key key{};
    std::copy(bytes->begin(), bytes->end(), key.begin());
    // Refuse points that are not on the curve or have small order: no message
    // could ever verify under them.
    if (crypto_core_ed25519_is_valid_point(key.data()) != 1) {
        return std::nullopt;
    }
    return UpdateSignature(key);
}

bool UpdateSignature::verify(std::span<const uint8_t> signature,
                             std::span<const uint8_t> signedBytes) const {
    if (signature.size() != crypto_sign_BYTES || !sodiumReady()) {
        return false;
    }
    return crypto_sign_verify_detached(signature.data(), signedBytes.data(), signedBytes.size(),
                                       key_.data()) == 0;
}

bool UpdateSignature::isValid(std::string_view signatureBase64,
                              std::span<const uint8_t> signedBytes) const {
    auto signature = Base64::decode(signatureBase64);
    return signature && verify(*signature, signedBytes);
}

bool UpdateSignature::isValid(std::string_view signatureBase64,
                              std::string_view signedBytes) const {
    return isValid(signatureBase64, std::span(reinterpret_cast<const uint8_t*>(signedBytes.data()),
                                              signedBytes.size()));
}

} // namespace kestle
