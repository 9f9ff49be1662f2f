#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "support/UpdateSignature.hpp"

namespace kestle {

struct CodeSignError {
    enum class Kind {
        notABundle,       // not a folder with a Contents folder (links are not followed)
        invalidIdentity,  // an empty identifier or team
        unsupportedEntry, // a device, FIFO, socket, a stray file in the signature folder
        unreadableEntry,
        linkLeavesBundle, // a link that points outside the bundle would never check
        writeFailed
    };
    Kind kind = Kind::writeFailed;
    std::string path; // relative to the bundle, where there is one

    friend bool operator==(const CodeSignError&, const CodeSignError&) = default;
};

std::string describe(const CodeSignError& error);

// Seals a bundle the way CodeCheck checks it: writes the manifest, the team's
// signature over it and, when given a notary key, the notary's, into
// Contents/_CodeSignature (each file replaced atomically; a stale notary signature
// is removed).
struct CodeSigner {
    // An Ed25519 private key; the secret is wiped when the value goes away.
    class Key {
    public:
        // The text of a key file: base64 of a 32-byte seed, optionally followed by a
        // line break.
        static std::optional<Key> fromKeyFileText(std::string_view text);
        static std::optional<Key> fromKeyFile(const std::filesystem::path& file);

        Key(const Key& other) = default;
        Key& operator=(const Key& other) = default;
        ~Key();

        UpdateSignature publicKey() const;
        // The base64 signature of bytes.
        std::string sign(std::string_view bytes) const;

    private:
        Key() = default;
        std::array<uint8_t, 64> secret_{};
        std::array<uint8_t, 32> public_{};
    };

    static std::expected<void, CodeSignError> sign(const std::filesystem::path& bundle,
                                                   std::string_view identifier,
                                                   std::string_view team, const Key& teamKey,
                                                   const Key* notaryKey = nullptr);
};

} // namespace kestle
