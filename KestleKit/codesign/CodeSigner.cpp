#include "codesign/CodeSigner.hpp"

#include <cerrno>

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include "codesign/BundleManifest.hpp"
#include "codesign/BundleTree.hpp"
#include "support/AtomicFile.hpp"
#include "support/Base64.hpp"
#include "support/UniqueFd.hpp"

namespace kestle {
namespace {

using Kind = CodeSignError::Kind;

std::unexpected<CodeSignError> failure(Kind kind, std::string path = {}) {
    return std::unexpected(CodeSignError{kind, std::move(path)});
}

} // namespace

std::string describe(const CodeSignError& error) {
    const char* text = "";
    switch (error.kind) {
    case Kind::notABundle:
        text = "not a bundle (a folder with a Contents folder)";
        break;
    case Kind::invalidIdentity:
        text = "the identifier and the team must not be empty";
        break;
    case Kind::unsupportedEntry:
        text = "not a regular file, folder or symbolic link";
        break;
    case Kind::unreadableEntry:
        text = "cannot be read";
        break;
    case Kind::linkLeavesBundle:
        text = "symbolic link points outside the bundle";
        break;
    case Kind::writeFailed:
        text = "cannot write the signature";
        break;
    }
    return error.path.empty() ? std::string(text) : error.path + ": " + text;
}

std::optional<CodeSigner::Key> CodeSigner::Key::fromKeyFileText(std::string_view text) {
    if (text.ends_with('\n')) {
        text.remove_suffix(1);
    }
    if (text.ends_with('\r')) {
        text.remove_suffix(1);
    }
    auto seed = Base64::decode(text);
    if (!seed || seed->size() != crypto_sign_SEEDBYTES || sodium_init() < 0) {
        return std::nullopt;
    }
    Key key;
    crypto_sign_seed_keypair(key.public_.data(), key.secret_.data(), seed->data());
    sodium_memzero(seed->data(), seed->size());
    return key;
}

std::optional<CodeSigner::Key> CodeSigner::Key::fromKeyFile(const std::filesystem::path& file) {
    auto text = AtomicFile::read(file, 1024);
    if (!text) {
        return std::nullopt;
    }
    auto key = fromKeyFileText(*text);
    sodium_memzero(text->data(), text->size());
    return key;
}

CodeSigner::Key::~Key() {
    sodium_memzero(secret_.data(), secret_.size());
}

UpdateSignature CodeSigner::Key::publicKey() const {
    // A key derived from a seed is always a valid point.
    return *UpdateSignature::fromPublicKeyBase64(Base64::encode(public_));
}

std::string CodeSigner::Key::sign(std::string_view bytes) const {
    std::array<uint8_t, crypto_sign_BYTES> signature{};
    crypto_sign_detached(signature.data(), nullptr,
                         reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                         secret_.data());
    return Base64::encode(signature);
}

std::expected<void, CodeSignError> CodeSigner::sign(const std::filesystem::path& bundle,
                                                    std::string_view identifier,
                                                    std::string_view team, const Key& teamKey,
                                                    const Key* notaryKey) {
    if (identifier.empty() || team.empty()) {
        return failure(Kind::invalidIdentity);
    }
    const int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    UniqueFd folder(::open(bundle.c_str(), folderFlags));
    std::string contentsName(CodeSignatureFiles::contents);
    UniqueFd contents(folder.valid() ? ::openat(folder.get(), contentsName.c_str(), folderFlags)
                                     : -1);
    if (!contents.valid()) {
        return failure(Kind::notABundle);
    }
    std::string signatureName(CodeSignatureFiles::folder);
    std::string signaturePath = contentsName + "/" + signatureName;
    if (::mkdirat(contents.get(), signatureName.c_str(), 0755) != 0 && errno != EEXIST) {
        return failure(Kind::writeFailed, signaturePath);
    }
    UniqueFd signature(::openat(contents.get(), signatureName.c_str(), folderFlags));
    if (!signature.valid()) {
        return failure(Kind::unsupportedEntry, signaturePath);
    }
    std::string notaryName(CodeSignatureFiles::notarySignature);
    if (::unlinkat(signature.get(), notaryName.c_str(), 0) != 0 && errno != ENOENT) {
        return failure(Kind::writeFailed, signaturePath + "/" + notaryName);
    }

    auto entries = BundleTree::scan(folder.get());
    if (!entries) {
        using Problem = BundleTree::Problem::Kind;
        bool unreadable = entries.error().kind == Problem::unreadable;
        return failure(unreadable ? Kind::unreadableEntry : Kind::unsupportedEntry,
                       entries.error().path);
    }
    if (auto link = BundleManifest::escapingLink(*entries)) {
        return failure(Kind::linkLeavesBundle, *link);
    }
    BundleManifest manifest{std::string(identifier), std::string(team), std::move(*entries)};
    std::string bytes = manifest.encode();

    std::filesystem::path folderPath = bundle / contentsName / signatureName;
    auto write = [&](std::string_view name, const std::string& text) {
        return AtomicFile::write(folderPath / std::string(name), text);
    };
    if (!write(CodeSignatureFiles::manifest, bytes) ||
        !write(CodeSignatureFiles::teamSignature, teamKey.sign(bytes) + "\n") ||
        (notaryKey && !write(CodeSignatureFiles::notarySignature, notaryKey->sign(bytes) + "\n"))) {
        return failure(Kind::writeFailed, signaturePath);
    }
    return {};
}

} // namespace kestle
