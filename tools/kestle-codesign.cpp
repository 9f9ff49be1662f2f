// kestle-codesign: seals an application bundle so that CodeCheck accepts it.
//
//   kestle-codesign sign --team TEAM --identifier ID --key KEYFILE [--notary KEYFILE] BUNDLE
//
// Writes BUNDLE/Contents/_CodeSignature/{CodeManifest,CodeSignature[,NotarySignature]}.
// Key files are those of kestle-sign: the base64 of a 32-byte Ed25519 seed.

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "codesign/CodeSigner.hpp"

namespace {

int usage() {
    std::cerr << "usage: kestle-codesign sign --team TEAM --identifier ID --key KEYFILE "
                 "[--notary KEYFILE] BUNDLE\n";
    return 2;
}

int fail(const std::string& message) {
    std::cerr << "kestle-codesign: " << message << "\n";
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] != "sign") {
        return usage();
    }
    std::optional<std::string> team, identifier, keyFile, notaryFile, bundle;
    for (size_t i = 1; i < args.size(); ++i) {
        std::optional<std::string>* option = nullptr;
        if (args[i] == "--team") {
            option = &team;
        } else if (args[i] == "--identifier") {
            option = &identifier;
        } else if (args[i] == "--key") {
            option = &keyFile;
        } else if (args[i] == "--notary") {
            option = &notaryFile;
        }
        if (option) {
            if (*option || i + 1 >= args.size()) {
                return usage();
            }
            *option = args[++i];
        } else if (!bundle && !args[i].starts_with("--")) {
            bundle = args[i];
        } else {
            return usage();
        }
    }
    if (!team || !identifier || !keyFile || !bundle) {
        return usage();
    }
    auto key = kestle::CodeSigner::Key::fromKeyFile(*keyFile);
    if (!key) {
        return fail(*keyFile + ": not a key file (base64 of a 32-byte Ed25519 seed)");
    }
    std::optional<kestle::CodeSigner::Key> notary;
    if (notaryFile) {
        notary = kestle::CodeSigner::Key::fromKeyFile(*notaryFile);
        if (!notary) {
            return fail(*notaryFile + ": not a key file (base64 of a 32-byte Ed25519 seed)");
        }
    }
    auto signedBundle =
        kestle::CodeSigner::sign(*bundle, *identifier, *team, *key, notary ? &*notary : nullptr);
    if (!signedBundle) {
        return fail(*bundle + ": " + kestle::describe(signedBundle.error()));
    }
    return 0;
}
