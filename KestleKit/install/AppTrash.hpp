#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <string>

#include "support/Url.hpp"
#include "updates/PlatformError.hpp"
#include "updates/UpdateScope.hpp"

namespace kestle {

// A bundle moved to the Trash, and where it came from.
struct TrashedApp {
    Url original;
    Url inTrash; // as reported by the move

    friend bool operator==(const TrashedApp&, const TrashedApp&) = default;
};

struct TrashError {
    enum class Kind {
        failed,            // code: the move's platform error code, or the put-back's errno
        outsideTestFolder, // the bundle is not in one of the allowed folders
        missing,           // nothing to trash at the URL
        placeTaken,        // something is already at the original place
        notInTrash         // the item is no longer where the Trash had it
    };
    Kind kind = Kind::failed;
    int64_t code = 0; // for failed

    static TrashError failed(int64_t code) { return {Kind::failed, code}; }
    static TrashError outsideTestFolder() { return {Kind::outsideTestFolder, 0}; }
    static TrashError missing() { return {Kind::missing, 0}; }
    static TrashError placeTaken() { return {Kind::placeTaken, 0}; }
    static TrashError notInTrash() { return {Kind::notInTrash, 0}; }

    friend bool operator==(const TrashError&, const TrashError&) = default;
};

// "failed(13)", "missing", …: for logs and test messages.
std::string describe(const TrashError& error);

// Moves installed bundles to the Trash and puts them back, only within the scope's
// folders. The move itself is the platform's, injected by the application.
class AppTrash {
public:
    // Takes a file URL, returns the URL of the item in the Trash. Any thread.
    using MoveToTrash = std::function<std::expected<Url, PlatformError>(const Url&)>;

    AppTrash(UpdateScope scope, MoveToTrash moveToTrash);

    // A bundle counts as missing when nothing exists at its path once symbolic links
    // are followed: a link whose target is gone is a removed app, not one to trash.
    std::expected<TrashedApp, TrashError> trash(const Url& url) const;

    // Renames the item back without ever replacing what is at the original place. A
    // file system that cannot rename exclusively fails with failed(EINVAL).
    std::expected<void, TrashError> restore(const TrashedApp& trashed) const;

private:
    UpdateScope scope_;
    MoveToTrash moveToTrash_;
};

} // namespace kestle
