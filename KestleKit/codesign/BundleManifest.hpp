#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestle {

// What a code signature seals: the bundle's identity and every folder, file and
// symbolic link inside it (the signature folder excepted).
//
// The canonical text form, one item per line, each line ending in "\n":
//
//   kestle-code-manifest 1
//   identifier <identifier>
//   team <team identifier>
//   folder <path>
//   file <path> <x or -> <size> <sha256, 64 lower-case hex digits>
//   link <path> <target>
//
// Paths are relative to the bundle, joined with "/", in strictly increasing byte
// order. Every value is percent-encoded: bytes up to space, from DEL up, and "%"
// become "%XY" (upper-case hex), nothing else does, so each manifest has exactly
// one spelling and the signature covers exactly that.
struct BundleManifest {
    using Digest = std::array<uint8_t, 32>;

    struct Entry {
        enum class Type { folder, file, link };
        std::string path;
        Type type = Type::file;
        bool executable = false; // files: the owner may execute it
        uint64_t size = 0;       // files
        Digest sha256{};         // files
        std::string target;      // links, as stored in the link

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    std::string identifier;
    std::string team;
    std::vector<Entry> entries;

    // Sorts the entries first; the result is what gets signed.
    std::string encode() const;

    // Nothing for text that is not the canonical form of some manifest: unknown
    // lines, bad escapes, unsorted or repeated paths, "." or ".." components, paths
    // inside the signature folder.
    static std::optional<BundleManifest> parse(std::string_view text);

    // The first link whose target leaves the bundle (absolute, or climbing above the
    // bundle through "..", also by way of other links); nothing when all stay inside.
    // entries must be sorted by path.
    static std::optional<std::string> escapingLink(const std::vector<Entry>& entries);

    friend bool operator==(const BundleManifest&, const BundleManifest&) = default;
};

// Where the signature lives inside a bundle.
namespace CodeSignatureFiles {
inline constexpr std::string_view contents = "Contents";
inline constexpr std::string_view folder = "_CodeSignature";
inline constexpr std::string_view manifest = "CodeManifest";
inline constexpr std::string_view teamSignature = "CodeSignature";
inline constexpr std::string_view notarySignature = "NotarySignature";
} // namespace CodeSignatureFiles

} // namespace kestle
