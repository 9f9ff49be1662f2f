#pragma once

#include <expected>
#include <string>
#include <vector>

#include "codesign/BundleManifest.hpp"

namespace kestle {

// Reads a bundle's tree for signing and checking. Nothing is followed: folders are
// opened relative to their parent with O_NOFOLLOW, links are read, never entered.
struct BundleTree {
    struct Problem {
        enum class Kind {
            unsupported, // not a regular file, folder or link; or nested too deep
            unreadable,  // an I/O error or a permission problem
            added,       // present but not in the manifest
            missing,     // in the manifest but not present
            modified     // present with another type, mode, size, content or target
        };
        Kind kind = Kind::unreadable;
        std::string path;

        friend bool operator==(const Problem&, const Problem&) = default;
    };

    // Every entry below the open bundle folder, files with their digests, sorted by
    // path. The signature folder is left out.
    static std::expected<std::vector<BundleManifest::Entry>, Problem> scan(int bundleFd);

    // Whether the tree is exactly expected (sorted by path, as parsed), stopping at the
    // first difference. Anything inside the signature folder other than the signature
    // files counts as added.
    static std::expected<void, Problem> verify(int bundleFd,
                                               const std::vector<BundleManifest::Entry>& expected);
};

} // namespace kestle
