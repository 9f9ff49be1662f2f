#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "support/UpdateSignature.hpp"

namespace kestle {

// The status codes a CodeCheckError carries. Stable: a code is never reused or
// renumbered, so logs stay comparable across versions.
struct CodeCheckStatus {
    // unreadable
    static constexpr int32_t notABundle = -71101;  // missing, not a folder, or a symbolic link
    static constexpr int32_t notSigned = -71102;   // no manifest or no team signature file
    static constexpr int32_t badManifest = -71103; // unreadable, oversized or malformed
    // invalidRequirement
    static constexpr int32_t requirementSyntax = -71201;
    // rejected
    static constexpr int32_t untrustedTeam = -71301;    // no trusted key for the manifest's team
    static constexpr int32_t signatureInvalid = -71302; // the team signature does not verify
    static constexpr int32_t requirementUnsatisfied = -71303;
    static constexpr int32_t linkLeavesBundle = -71304; // a link points outside the bundle
    static constexpr int32_t fileAdded = -71305;
    static constexpr int32_t fileMissing = -71306;
    static constexpr int32_t fileModified = -71307;    // content, size, mode, type or link target
    static constexpr int32_t fileUnsupported = -71308; // a device, FIFO, socket, or too deep
    static constexpr int32_t fileUnreadable = -71309;
};

struct CodeCheckError {
    enum class Kind {
        unreadable,         // the bundle cannot be opened as signed code
        invalidRequirement, // the requirement text does not compile
        rejected            // the signature is invalid or does not satisfy the requirement
    };
    Kind kind = Kind::rejected;
    int32_t status = 0; // one of CodeCheckStatus

    static constexpr CodeCheckError unreadable(int32_t status) {
        return {Kind::unreadable, status};
    }
    static constexpr CodeCheckError invalidRequirement(int32_t status) {
        return {Kind::invalidRequirement, status};
    }
    static constexpr CodeCheckError rejected(int32_t status) { return {Kind::rejected, status}; }

    friend bool operator==(const CodeCheckError&, const CodeCheckError&) = default;
};

// "unreadable(-71102)" and the like.
std::string describe(const CodeCheckError& error);

// Checks an application bundle's code signature (see BundleManifest for what is
// sealed) against a requirement (see CodeRequirement for the language). Reads the
// bundle, changes nothing; may take a while on a large bundle, so callers keep it off
// the main thread. Safe from any thread.
//
// The signing chain the requirement speaks of is modelled on a Developer ID chain: a
// bundle whose team signature verifies under a trusted team key has "anchor apple
// generic"; its certificate 1 has field 1.2.840.113635.100.6.2.6; its leaf has field
// 1.2.840.113635.100.6.1.13 and subject.OU equal to the team; "notarized" holds when
// the notary signature verifies under the notary key. Everything else is absent.
struct CodeCheck {
    static constexpr std::string_view velmarTeam = "K7VQ3ZD8XM";

    // Whom the check trusts: configuration, fixed when the application is built.
    struct Anchors {
        std::map<std::string, UpdateSignature, std::less<>> teams; // team identifier → key
        std::optional<UpdateSignature> notary;
    };

    // The Developer ID requirement for a team and a bundle identifier. Neither is
    // escaped: a double quote in either makes a text that does not compile.
    static std::string developerIDRequirement(std::string_view teamID, std::string_view identifier);

    // In order: opens the bundle and its manifest (unreadable), compiles the
    // requirement (invalidRequirement), then verifies the team signature, evaluates the
    // requirement, and compares every entry of the bundle with the manifest (rejected,
    // with the first problem found).
    static std::expected<void, CodeCheckError> check(const std::filesystem::path& bundle,
                                                     std::string_view requirement,
                                                     const Anchors& anchors);

    static std::expected<void, CodeCheckError> checkDeveloperID(const std::filesystem::path& bundle,
                                                                std::string_view teamID,
                                                                std::string_view identifier,
                                                                const Anchors& anchors);

    // Whether check with the requirement "notarized" passes; any error is false.
    static bool isNotarized(const std::filesystem::path& bundle, const Anchors& anchors);
};

} // namespace kestle
