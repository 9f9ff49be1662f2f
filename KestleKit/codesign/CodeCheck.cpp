#include "codesign/CodeCheck.hpp"

#include <array>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "codesign/BundleManifest.hpp"
#include "codesign/BundleTree.hpp"
#include "codesign/CodeRequirement.hpp"
#include "support/UniqueFd.hpp"

namespace kestle {
namespace {

using Status = CodeCheckStatus;

// Far above any real bundle's manifest (about 150 bytes an entry).
constexpr size_t maxManifestBytes = 64 << 20;
constexpr size_t maxSignatureBytes = 1024;

constexpr std::string_view developerIDAuthorityField = "field.1.2.840.113635.100.6.2.6";
constexpr std::string_view developerIDApplicationField = "field.1.2.840.113635.100.6.1.13";

int openFolder(int parentFd, const char* name) {
    return ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// A regular file of at most maxBytes, never through a link; the errno otherwise
// (EFBIG when too large, EINVAL when not a regular file).
std::expected<std::string, int> readSmallFile(int dirFd, std::string_view name, size_t maxBytes) {
    UniqueFd fd(::openat(dirFd, std::string(name).c_str(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
        return std::unexpected(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return std::unexpected(EINVAL);
    }
    if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        return std::unexpected(EFBIG);
    }
    std::string bytes(static_cast<size_t>(info.st_size) + 1, '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::unexpected(errno);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    // One byte more than fstat promised means the file grew under us: refuse it.
    if (done == bytes.size()) {
        return std::unexpected(EFBIG);
    }
    bytes.resize(done);
    return bytes;
}

std::string_view withoutNewline(std::string_view text) {
    return text.ends_with('\n') ? text.substr(0, text.size() - 1) : text;
}

struct SignedBundle {
    UniqueFd folder;
    std::string manifestBytes;
    BundleManifest manifest;
    std::string teamSignature;
    std::optional<std::string> notarySignature;
};

std::expected<SignedBundle, CodeCheckError> openSigned(const std::filesystem::path& bundle) {
    auto unreadable = [](int32_t status) {
        return std::unexpected(CodeCheckError::unreadable(status));
    };
    UniqueFd folder(::open(bundle.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) {
        return unreadable(Status::notABundle);
    }
    UniqueFd contents(openFolder(folder.get(), std::string(CodeSignatureFiles::contents).c_str()));
    if (contents.get() < 0) {
        return unreadable(Status::notABundle);
    }
    UniqueFd signature(openFolder(contents.get(), std::string(CodeSignatureFiles::folder).c_str()));
    if (signature.get() < 0) {
        return unreadable(errno == ENOENT ? Status::notSigned : Status::badManifest);
    }
    auto manifestBytes =
        readSmallFile(signature.get(), CodeSignatureFiles::manifest, maxManifestBytes);
    auto teamSignature =
        readSmallFile(signature.get(), CodeSignatureFiles::teamSignature, maxSignatureBytes);
    for (const auto* read : {&manifestBytes, &teamSignature}) {
        if (!*read) {
            return unreadable(read->error() == ENOENT ? Status::notSigned : Status::badManifest);
        }
    }
    auto manifest = BundleManifest::parse(*manifestBytes);
    if (!manifest) {
        return unreadable(Status::badManifest);
    }
    auto notary =
        readSmallFile(signature.get(), CodeSignatureFiles::notarySignature, maxSignatureBytes);
    return SignedBundle{std::move(folder), std::move(*manifestBytes), std::move(*manifest),
                        std::move(*teamSignature),
                        notary ? std::optional(std::move(*notary)) : std::nullopt};
}

struct Evidence {
    const BundleManifest& manifest;
    bool notarized = false;
};

bool certificateHolds(const CodeRequirement::Clause& clause, const Evidence& evidence) {
    struct Certificate {
        std::string_view field;
        std::string_view organizationalUnit;
    };
    const std::array<Certificate, 3> chain{{
        {developerIDApplicationField, evidence.manifest.team}, // leaf
        {developerIDAuthorityField, {}},                       // intermediate
        {{}, {}},                                              // root
    }};
    int index = clause.certificate < 0 ? static_cast<int>(chain.size()) + clause.certificate
                                       : clause.certificate;
    if (index < 0 || index >= static_cast<int>(chain.size())) {
        return false;
    }
    const Certificate& certificate = chain[static_cast<size_t>(index)];
    if (clause.key == "subject.OU" && !certificate.organizationalUnit.empty()) {
        return clause.exists || clause.value == certificate.organizationalUnit;
    }
    return clause.exists && !certificate.field.empty() && clause.key == certificate.field;
}

bool satisfies(const CodeRequirement& requirement, const Evidence& evidence) {
    using Kind = CodeRequirement::Clause::Kind;
    for (const auto& clause : requirement.clauses) {
        bool holds = false;
        switch (clause.kind) {
        case Kind::identifier:
            holds = clause.value == evidence.manifest.identifier;
            break;
        case Kind::anchorAppleGeneric:
            // Only reached once the team signature verified under a trusted key.
            holds = true;
            break;
        case Kind::certificate:
            holds = certificateHolds(clause, evidence);
            break;
        case Kind::notarized:
            holds = evidence.notarized;
            break;
        }
        if (!holds) {
            return false;
        }
    }
    return true;
}

int32_t statusOf(BundleTree::Problem::Kind kind) {
    using Kind = BundleTree::Problem::Kind;
    switch (kind) {
    case Kind::unsupported:
        return Status::fileUnsupported;
    case Kind::unreadable:
        return Status::fileUnreadable;
    case Kind::added:
        return Status::fileAdded;
    case Kind::missing:
        return Status::fileMissing;
    case Kind::modified:
        return Status::fileModified;
    }
    return Status::fileUnreadable;
}

} // namespace

std::string describe(const CodeCheckError& error) {
    const char* name = "rejected";
    switch (error.kind) {
    case CodeCheckError::Kind::unreadable:
        name = "unreadable";
        break;
    case CodeCheckError::Kind::invalidRequirement:
        name = "invalidRequirement";
        break;
    case CodeCheckError::Kind::rejected:
        break;
    }
    return std::string(name) + "(" + std::to_string(error.status) + ")";
}

std::string CodeCheck::developerIDRequirement(std::string_view teamID,
                                              std::string_view identifier) {
    std::string text = "identifier \"";
    text += identifier;
    text += "\" and anchor apple generic";
    text += " and certificate 1[field.1.2.840.113635.100.6.2.6] exists";
    text += " and certificate leaf[field.1.2.840.113635.100.6.1.13] exists";
    text += " and certificate leaf[subject.OU] = \"";
    text += teamID;
    text += "\"";
    return text;
}

std::expected<void, CodeCheckError> CodeCheck::check(const std::filesystem::path& bundle,
                                                     std::string_view requirementText,
                                                     const Anchors& anchors) {
    auto signedBundle = openSigned(bundle);
    if (!signedBundle) {
        return std::unexpected(signedBundle.error());
    }
    auto requirement = CodeRequirement::parse(requirementText);
    if (!requirement) {
        return std::unexpected(CodeCheckError::invalidRequirement(Status::requirementSyntax));
    }
    auto rejected = [](int32_t status) {
        return std::unexpected(CodeCheckError::rejected(status));
    };

    const BundleManifest& manifest = signedBundle->manifest;
    auto teamKey = anchors.teams.find(manifest.team);
    if (teamKey == anchors.teams.end()) {
        return rejected(Status::untrustedTeam);
    }
    if (!teamKey->second.isValid(withoutNewline(signedBundle->teamSignature),
                                 signedBundle->manifestBytes)) {
        return rejected(Status::signatureInvalid);
    }
    Evidence evidence{manifest};
    evidence.notarized = anchors.notary && signedBundle->notarySignature &&
                         anchors.notary->isValid(withoutNewline(*signedBundle->notarySignature),
                                                 signedBundle->manifestBytes);
    // Before the walk: a bundle that cannot qualify is turned away without hashing it.
    if (!satisfies(*requirement, evidence)) {
        return rejected(Status::requirementUnsatisfied);
    }
    if (BundleManifest::escapingLink(manifest.entries)) {
        return rejected(Status::linkLeavesBundle);
    }
    auto tree = BundleTree::verify(signedBundle->folder.get(), manifest.entries);
    if (!tree) {
        return rejected(statusOf(tree.error().kind));
    }
    return {};
}

std::expected<void, CodeCheckError> CodeCheck::checkDeveloperID(const std::filesystem::path& bundle,
                                                                std::string_view teamID,
                                                                std::string_view identifier,
                                                                const Anchors& anchors) {
    return check(bundle, developerIDRequirement(teamID, identifier), anchors);
}

bool CodeCheck::isNotarized(const std::filesystem::path& bundle, const Anchors& anchors) {
    return check(bundle, "notarized", anchors).has_value();
}

} // namespace kestle
