// Envelopes and catalogs from the network or the cache. The first byte chooses
// whether the rest is taken as an envelope as it stands, or as catalog bytes
// signed here so that the decoder behind the signature check is reached too.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <sodium.h>

#include "catalog/SignedCatalog.hpp"
#include "support/Base64.hpp"

namespace {

struct FuzzKey {
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    std::optional<kestle::UpdateSignature> signature;

    FuzzKey() {
        if (sodium_init() < 0) {
            abort();
        }
        unsigned char seed[crypto_sign_SEEDBYTES] = {7};
        crypto_sign_seed_keypair(publicKey, secretKey, seed);
        signature = kestle::UpdateSignature::fromPublicKeyBase64(
            kestle::Base64::encode(std::span<const uint8_t>(publicKey, sizeof publicKey)));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzKey key;
    if (size == 0) {
        return 0;
    }
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 1) {
        (void)kestle::SignedCatalog::open(rest, *key.signature);
        return 0;
    }
    unsigned char signature[crypto_sign_BYTES];
    crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(rest.data()),
                         rest.size(), key.secretKey);
    std::string envelope = kestle::SignedCatalog::envelope(
        rest, kestle::Base64::encode(std::span<const uint8_t>(signature, sizeof signature)));
    auto catalog = kestle::SignedCatalog::open(envelope, *key.signature);
    if (catalog) {
        auto base = kestle::Url::parse("https://velmar.example/catalog/catalog.json");
        for (const auto& app : catalog->apps) {
            (void)app.iconURL(*base);
            (void)app.tagline.text("it");
        }
    }
    return 0;
}
