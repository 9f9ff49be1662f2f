#pragma once

#include <optional>
#include <vector>

#include "support/Url.hpp"

namespace kestle {

// The folders in which the program may install, update and move apps to the Trash.
// The first one is where first installs go.
struct UpdateScope {
    std::vector<Url> folders;

    std::optional<Url> installFolder() const {
        return folders.empty() ? std::nullopt : std::optional(folders.front());
    }

    // Whether url is an ".app" bundle directly inside one of the folders, once "."
    // and ".." are removed and symbolic links resolved on both sides.
    bool allows(const Url& url) const;

    friend bool operator==(const UpdateScope&, const UpdateScope&) = default;
};

} // namespace kestle
