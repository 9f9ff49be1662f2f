#include "install/AppTrash.hpp"

#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

#include "support/CrashPoint.hpp"

namespace kestle {

std::string describe(const TrashError& error) {
    switch (error.kind) {
    case TrashError::Kind::failed:
        return "failed(" + std::to_string(error.code) + ")";
    case TrashError::Kind::outsideTestFolder:
        return "outsideTestFolder";
    case TrashError::Kind::missing:
        return "missing";
    case TrashError::Kind::placeTaken:
        return "placeTaken";
    case TrashError::Kind::notInTrash:
        return "notInTrash";
    }
    return "failed";
}

AppTrash::AppTrash(UpdateScope scope, MoveToTrash moveToTrash)
    : scope_(std::move(scope)), moveToTrash_(std::move(moveToTrash)) {}

std::expected<TrashedApp, TrashError> AppTrash::trash(const Url& url) const {
    if (!scope_.allows(url)) {
        return std::unexpected(TrashError::outsideTestFolder());
    }
    struct stat info {};
    if (::stat(url.path().c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        return std::unexpected(TrashError::missing());
    }
    // Other stat failures (permissions, loops) are left to the move, whose error
    // says more than "missing" would.
    if (!moveToTrash_) {
        return std::unexpected(TrashError::failed(ENOSYS));
    }
    CrashPoint::reach("trash.moving");
    auto moved = moveToTrash_(url);
    CrashPoint::reach("trash.moved");
    if (!moved) {
        return std::unexpected(TrashError::failed(moved.error().code));
    }
    return TrashedApp{url, std::move(*moved)};
}

std::expected<void, TrashError> AppTrash::restore(const TrashedApp& trashed) const {
    if (!scope_.allows(trashed.original)) {
        return std::unexpected(TrashError::outsideTestFolder());
    }
    // A relative or non-file location would be read against the working folder.
    std::string from = trashed.inTrash.isFile() ? trashed.inTrash.path() : std::string();
    if (from.empty() || from.front() != '/') {
        return std::unexpected(TrashError::notInTrash());
    }
    std::string to = trashed.original.path();
    // Never a plain rename as a fallback: it could replace a newly installed copy.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        CrashPoint::reach("trash.restored");
        return {};
    }
    int error = errno;
    switch (error) {
    case ENOENT: {
        // ENOENT also comes when the original folder itself is gone; the item is
        // then still in the Trash and "not in the Trash" would be wrong.
        struct stat info {};
        if (::lstat(from.c_str(), &info) == 0) {
            return std::unexpected(TrashError::failed(ENOENT));
        }
        return std::unexpected(TrashError::notInTrash());
    }
    case EEXIST:
        return std::unexpected(TrashError::placeTaken());
    default:
        return std::unexpected(TrashError::failed(error));
    }
}

} // namespace kestle
