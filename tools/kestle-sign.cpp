// kestle-sign: Ed25519 signing for catalogs and downloads.
//
//   kestle-sign generate-key KEYFILE            new private key; prints the public key
//   kestle-sign public-key KEYFILE              prints the public key (base64)
//   kestle-sign sign KEYFILE FILE               prints the base64 signature of FILE's bytes
//   kestle-sign envelope KEYFILE CATALOG [OUT]  wraps CATALOG in a signed envelope
//
// A key file holds the base64 of the 32-byte Ed25519 seed on one line.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include "catalog/SignedCatalog.hpp"
#include "support/AtomicFile.hpp"
#include "support/Base64.hpp"

namespace {

using kestle::Base64;

struct KeyPair {
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
};

int fail(const std::string& message) {
    std::cerr << "kestle-sign: " << message << "\n";
    return 1;
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool writeFile(const std::string& path, const std::string& bytes, unsigned mode) {
    return kestle::AtomicFile::write(path, bytes, mode);
}

std::optional<KeyPair> loadKey(const std::string& path) {
    auto text = readFile(path);
    if (!text) {
        return std::nullopt;
    }
    while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) {
        text->pop_back();
    }
    auto seed = Base64::decode(*text);
    if (!seed || seed->size() != crypto_sign_SEEDBYTES) {
        return std::nullopt;
    }
    KeyPair pair{};
    crypto_sign_seed_keypair(pair.publicKey, pair.secretKey, seed->data());
    sodium_memzero(seed->data(), seed->size());
    return pair;
}

std::string sign(const KeyPair& key, const std::string& bytes) {
    std::vector<uint8_t> signature(crypto_sign_BYTES);
    crypto_sign_detached(signature.data(), nullptr,
                         reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                         key.secretKey);
    return Base64::encode(signature);
}

std::string publicKeyText(const KeyPair& key) {
    return Base64::encode(std::span<const uint8_t>(key.publicKey, sizeof key.publicKey));
}

int usage() {
    std::cerr << "usage: kestle-sign generate-key KEYFILE\n"
                 "       kestle-sign public-key KEYFILE\n"
                 "       kestle-sign sign KEYFILE FILE\n"
                 "       kestle-sign envelope KEYFILE CATALOG [OUTPUT]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (sodium_init() < 0) {
        return fail("cannot initialise libsodium");
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2) {
        return usage();
    }
    const std::string& command = args[0];
    const std::string& keyPath = args[1];

    if (command == "generate-key" && args.size() == 2) {
        unsigned char seed[crypto_sign_SEEDBYTES];
        randombytes_buf(seed, sizeof seed);
        std::string text = Base64::encode(std::span<const uint8_t>(seed, sizeof seed)) + "\n";
        sodium_memzero(seed, sizeof seed);
        if (access(keyPath.c_str(), F_OK) == 0) {
            return fail(keyPath + ": already exists; not replacing a key");
        }
        if (!writeFile(keyPath, text, 0600)) {
            return fail(keyPath + ": cannot write the key");
        }
    } else if (!(command == "public-key" && args.size() == 2) &&
               !(command == "sign" && args.size() == 3) &&
               !(command == "envelope" && (args.size() == 3 || args.size() == 4))) {
        return usage();
    }

    auto key = loadKey(keyPath);
    if (!key) {
        return fail(keyPath + ": not a key file (base64 of a 32-byte Ed25519 seed)");
    }
    if (command == "generate-key" || command == "public-key") {
        std::cout << publicKeyText(*key) << "\n";
        return 0;
    }
    auto bytes = readFile(args[2]);
    if (!bytes) {
        return fail(args[2] + ": cannot read");
    }
    if (command == "sign") {
        std::cout << sign(*key, *bytes) << "\n";
        return 0;
    }
    std::string envelope = kestle::SignedCatalog::envelope(*bytes, sign(*key, *bytes));
    if (envelope.empty()) {
        return fail("cannot encode the envelope");
    }
    if (args.size() == 4) {
        return writeFile(args[3], envelope, 0644) ? 0 : fail(args[3] + ": cannot write");
    }
    std::cout << envelope;
    return std::cout.good() ? 0 : 1;
}
