#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <sodium.h>

#include "catalog/SignedCatalog.hpp"
#include "support/Base64.hpp"
#include "support/UpdateSignature.hpp"

namespace kestle::test {

// The test-only key pair under tests/data, for signing catalogs and downloads.
class TestSigning {
public:
    static const TestSigning& shared() {
        static const TestSigning instance(std::string(KESTLE_TEST_DATA_DIR) + "/test-signing.key");
        return instance;
    }

    explicit TestSigning(const std::string& keyFile) {
        if (sodium_init() < 0) {
            throw std::runtime_error("libsodium");
        }
        std::ifstream in(keyFile);
        std::string text;
        std::getline(in, text);
        auto seed = Base64::decode(text);
        if (!seed || seed->size() != crypto_sign_SEEDBYTES) {
            throw std::runtime_error("bad test key " + keyFile);
        }
        crypto_sign_seed_keypair(publicKey_, secretKey_, seed->data());
    }

    std::string publicKeyBase64() const {
        return Base64::encode(std::span<const uint8_t>(publicKey_, sizeof publicKey_));
    }

    UpdateSignature key() const { return *UpdateSignature::fromPublicKeyBase64(publicKeyBase64()); }

    std::vector<uint8_t> signatureBytes(std::string_view bytes) const {
        std::vector<uint8_t> signature(crypto_sign_BYTES);
        crypto_sign_detached(signature.data(), nullptr,
                             reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                             secretKey_);
        return signature;
    }

    std::string sign(std::string_view bytes) const { return Base64::encode(signatureBytes(bytes)); }

    std::string envelope(std::string_view catalog) const {
        return SignedCatalog::envelope(catalog, sign(catalog));
    }

private:
    unsigned char publicKey_[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey_[crypto_sign_SECRETKEYBYTES];
};

// A fresh key pair that the product does not trust.
inline TestSigning otherSigning() {
    return TestSigning(std::string(KESTLE_TEST_DATA_DIR) + "/other-signing.key");
}

} // namespace kestle::test
