#include "codesign/BundleTree.hpp"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/UniqueFd.hpp"

namespace kestle {
namespace {

using Entry = BundleManifest::Entry;
using Problem = BundleTree::Problem;
using Kind = Problem::Kind;

// Real bundles nest a dozen levels; the cap keeps open folders and recursion bounded.
constexpr int maxDepth = 64;
// Large reads keep the hashing, not the system calls, the cost.
constexpr size_t chunkSize = 1 << 20;

Problem problem(Kind kind, std::string path) {
    return {kind, std::move(path)};
}

const std::string& signatureFolderPath() {
    static const std::string path =
        std::string(CodeSignatureFiles::contents) + "/" + std::string(CodeSignatureFiles::folder);
    return path;
}

// Only the signature's own files may sit in the signature folder, so that nothing
// unsealed can hide there.
std::optional<Problem> checkSignatureFolder(int parentFd, const char* name, const std::string& path,
                                            const struct stat& info) {
    if (!S_ISDIR(info.st_mode)) {
        return problem(Kind::unsupported, path);
    }
    int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* opened = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!opened) {
        if (fd >= 0) {
            ::close(fd);
        }
        return problem(Kind::unreadable, path);
    }
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opened, ::closedir);
    while (true) {
        errno = 0;
        dirent* item = ::readdir(dir.get());
        if (!item) {
            return errno == 0 ? std::nullopt : std::optional(problem(Kind::unreadable, path));
        }
        std::string_view child = item->d_name;
        if (child == "." || child == "..") {
            continue;
        }
        struct stat childInfo {};
        bool known = child == CodeSignatureFiles::manifest ||
                     child == CodeSignatureFiles::teamSignature ||
                     child == CodeSignatureFiles::notarySignature;
        if (!known ||
            ::fstatat(::dirfd(dir.get()), item->d_name, &childInfo, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(childInfo.st_mode)) {
            return problem(Kind::added, path + "/" + std::string(child));
        }
    }
}

std::optional<std::string> readLink(int dirFd, const char* name, const struct stat& info) {
    std::string target(std::max<size_t>(static_cast<size_t>(info.st_size), 256) + 1, '\0');
    while (target.size() <= (1 << 16)) {
        ssize_t n = ::readlinkat(dirFd, name, target.data(), target.size());
        if (n < 0) {
            return std::nullopt;
        }
        if (static_cast<size_t>(n) < target.size()) {
            target.resize(static_cast<size_t>(n));
            return target;
        }
        target.resize(target.size() * 2);
    }
    return std::nullopt;
}

class Walker {
public:
    // fileFd is an open descriptor for files, -1 otherwise.
    using Visit = std::function<std::optional<Problem>(Entry& entry, int fileFd)>;

    explicit Walker(Visit visit) : visit_(std::move(visit)) {}

    // Takes ownership of fd, an open folder.
    std::optional<Problem> walk(int fd, const std::string& prefix, int depth) {
        DIR* opened = ::fdopendir(fd);
        if (!opened) {
            ::close(fd);
            return problem(Kind::unreadable, prefix);
        }
        std::unique_ptr<DIR, int (*)(DIR*)> dir(opened, ::closedir);
        while (true) {
            errno = 0;
            dirent* item = ::readdir(dir.get());
            if (!item) {
                return errno == 0 ? std::nullopt : std::optional(problem(Kind::unreadable, prefix));
            }
            std::string_view name = item->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            std::string path =
                prefix.empty() ? std::string(name) : prefix + "/" + std::string(name);
            if (auto found = visitChild(::dirfd(dir.get()), item->d_name, std::move(path), depth)) {
                return found;
            }
        }
    }

private:
    std::optional<Problem> visitChild(int dirFd, const char* name, std::string path, int depth) {
        struct stat info {};
        if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            return problem(Kind::unreadable, path);
        }
        if (path == signatureFolderPath()) {
            return checkSignatureFolder(dirFd, name, path, info);
        }
        Entry entry;
        entry.path = std::move(path);
        if (S_ISDIR(info.st_mode)) {
            entry.type = Entry::Type::folder;
            std::string folderPath = entry.path; // the visitor may take the entry
            if (auto found = visit_(entry, -1)) {
                return found;
            }
            if (depth >= maxDepth) {
                return problem(Kind::unsupported, folderPath);
            }
            int child = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0) {
                return problem(Kind::unreadable, folderPath);
            }
            return walk(child, folderPath, depth + 1);
        }
        if (S_ISLNK(info.st_mode)) {
            auto target = readLink(dirFd, name, info);
            if (!target) {
                return problem(Kind::unreadable, entry.path);
            }
            entry.type = Entry::Type::link;
            entry.target = std::move(*target);
            return visit_(entry, -1);
        }
        if (!S_ISREG(info.st_mode)) {
            return problem(Kind::unsupported, entry.path);
        }
        // Non-blocking: a FIFO swapped in after fstatat must not stall the walk.
        UniqueFd file(
            ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (file.get() < 0 || ::fstat(file.get(), &info) != 0) {
            return problem(Kind::unreadable, entry.path);
        }
        if (!S_ISREG(info.st_mode)) {
            return problem(Kind::unsupported, entry.path);
        }
        entry.type = Entry::Type::file;
        entry.executable = (info.st_mode & S_IXUSR) != 0;
        entry.size = static_cast<uint64_t>(info.st_size);
        return visit_(entry, file.get());
    }

    Visit visit_;
};

// Streams the file through SHA-256; reads at most limit bytes so that a file that
// keeps growing cannot hold the check forever. bytes is how much was hashed.
bool hashFile(int fd, std::vector<unsigned char>& buffer, uint64_t limit,
              BundleManifest::Digest& digest, uint64_t& bytes) {
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    bytes = 0;
    while (bytes < limit) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), limit - bytes));
        ssize_t n = ::read(fd, buffer.data(), want);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        crypto_hash_sha256_update(&state, buffer.data(), static_cast<size_t>(n));
        bytes += static_cast<uint64_t>(n);
    }
    crypto_hash_sha256_final(&state, digest.data());
    return true;
}

// The walk owns the descriptor it is given; callers keep theirs. A fresh open, not a
// dup, so that each walk has its own read position in the folder.
int reopen(int fd) {
    return ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

std::expected<std::vector<Entry>, Problem> BundleTree::scan(int bundleFd) {
    if (sodium_init() < 0) {
        return std::unexpected(problem(Kind::unreadable, ""));
    }
    std::vector<unsigned char> buffer(chunkSize);
    std::vector<Entry> entries;
    Walker walker([&](Entry& entry, int fileFd) -> std::optional<Problem> {
        if (fileFd >= 0) {
            uint64_t bytes = 0;
            if (!hashFile(fileFd, buffer, UINT64_MAX, entry.sha256, bytes)) {
                return problem(Kind::unreadable, entry.path);
            }
            entry.size = bytes;
        }
        entries.push_back(std::move(entry));
        return std::nullopt;
    });
    int fd = reopen(bundleFd);
    if (fd < 0) {
        return std::unexpected(problem(Kind::unreadable, ""));
    }
    if (auto found = walker.walk(fd, "", 0)) {
        return std::unexpected(*found);
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.path < b.path; });
    return entries;
}

std::expected<void, Problem> BundleTree::verify(int bundleFd, const std::vector<Entry>& expected) {
    if (sodium_init() < 0) {
        return std::unexpected(problem(Kind::unreadable, ""));
    }
    std::vector<unsigned char> buffer(chunkSize);
    std::vector<bool> seen(expected.size(), false);
    Walker walker([&](Entry& entry, int fileFd) -> std::optional<Problem> {
        auto it = std::lower_bound(expected.begin(), expected.end(), entry.path,
                                   [](const Entry& e, const std::string& p) { return e.path < p; });
        if (it == expected.end() || it->path != entry.path) {
            return problem(Kind::added, entry.path);
        }
        seen[static_cast<size_t>(it - expected.begin())] = true;
        bool same = it->type == entry.type && it->target == entry.target &&
                    it->executable == entry.executable && it->size == entry.size;
        if (same && fileFd >= 0) {
            uint64_t bytes = 0;
            if (!hashFile(fileFd, buffer, it->size + 1, entry.sha256, bytes)) {
                return problem(Kind::unreadable, entry.path);
            }
            same = bytes == it->size &&
                   sodium_memcmp(entry.sha256.data(), it->sha256.data(), entry.sha256.size()) == 0;
        }
        return same ? std::nullopt : std::optional(problem(Kind::modified, entry.path));
    });
    int fd = reopen(bundleFd);
    if (fd < 0) {
        return std::unexpected(problem(Kind::unreadable, ""));
    }
    if (auto found = walker.walk(fd, "", 0)) {
        return std::unexpected(*found);
    }
    auto unseen = std::find(seen.begin(), seen.end(), false);
    if (unseen != seen.end()) {
        return std::unexpected(problem(Kind::missing, expected[unseen - seen.begin()].path));
    }
    return {};
}

} // namespace kestle
