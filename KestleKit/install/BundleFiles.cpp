#include "install/BundleFiles.hpp"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sodium.h>

#include "apps/InstalledApps.hpp"
#include "support/UniqueFd.hpp"

namespace kestle {

namespace fs = std::filesystem;

namespace {

int copyFile(int source, int target) {
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return errno;
        }
        if (got == 0) {
            return 0;
        }
        for (ssize_t done = 0; done < got;) {
            ssize_t put = ::write(target, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put < 0) {
                return errno;
            }
            done += put;
        }
    }
}

// Deeper than any real bundle; keeps the descriptors a walk holds (one to three per
// level) well under the process's limit.
constexpr int kMaxDepth = 128;

// Copies one entry of sourceDir into targetDir: links as links (never followed),
// modes without set-user-id/set-group-id. The owner gets write permission back, since
// the disk-image tool took every write bit away to make its tree read-only. What is
// written reaches the disk (files, then their folder) before this returns, so a
// rename of the copy never publishes a tree a crash could leave half-empty. Returns an
// errno, 0 on success.
int copyEntry(int sourceDir, const char* name, int targetDir, int depth) {
    if (depth > kMaxDepth) {
        return ELOOP;
    }
    struct stat st {};
    if (::fstatat(sourceDir, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno;
    }
    const mode_t mode = ((st.st_mode & 07777) & ~mode_t(S_ISUID | S_ISGID)) | S_IWUSR;
    if (S_ISLNK(st.st_mode)) {
        std::string target(static_cast<size_t>(st.st_size) + 1, '\0');
        ssize_t length = ::readlinkat(sourceDir, name, target.data(), target.size());
        if (length < 0) {
            return errno;
        }
        if (static_cast<size_t>(length) >= target.size()) {
            return EIO; // the link changed under us
        }
        target.resize(static_cast<size_t>(length));
        return ::symlinkat(target.c_str(), targetDir, name) == 0 ? 0 : errno;
    }
    if (S_ISREG(st.st_mode)) {
        UniqueFd in(::openat(sourceDir, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!in.valid()) {
            return errno;
        }
        UniqueFd out(
            ::openat(targetDir, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!out.valid()) {
            return errno;
        }
        if (int error = copyFile(in.get(), out.get()); error != 0) {
            return error;
        }
        if (::fchmod(out.get(), mode) != 0 || ::fsync(out.get()) != 0) {
            return errno;
        }
        return out.close() ? 0 : errno;
    }
    if (!S_ISDIR(st.st_mode)) {
        return ENOTSUP; // devices, FIFOs and sockets have no place in an app
    }
    if (::mkdirat(targetDir, name, 0700) != 0) {
        return errno;
    }
    UniqueFd in(::openat(sourceDir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    UniqueFd out(::openat(targetDir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!in.valid() || !out.valid()) {
        return errno;
    }
    int listed = ::dup(in.get());
    DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
    if (dir == nullptr) {
        int error = errno;
        if (listed >= 0) {
            ::close(listed);
        }
        return error;
    }
    int error = 0;
    errno = 0;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view child = entry->d_name;
        if (child == "." || child == "..") {
            continue;
        }
        if ((error = copyEntry(in.get(), entry->d_name, out.get(), depth + 1)) != 0) {
            break;
        }
        errno = 0;
    }
    if (error == 0 && errno != 0) {
        error = errno;
    }
    ::closedir(dir);
    if (error == 0 && (::fchmod(out.get(), mode) != 0 || ::fsync(out.get()) != 0)) {
        error = errno;
    }
    return error;
}

// Removes name from the folder open as parent. Every step is relative to a descriptor
// opened without following links, so an entry swapped for a link during the walk costs
// only the link: nothing outside the tree is ever reached.
void removeEntry(int parent, const char* name, int depth) {
    if (::unlinkat(parent, name, 0) == 0 || errno != EISDIR) {
        return;
    }
    if (depth <= kMaxDepth) {
        UniqueFd folder(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        if (folder.valid() && ::fstat(folder.get(), &st) == 0) {
            // An extracted tree is read-only, and a folder without its write bit keeps
            // its entries.
            ::fchmod(folder.get(), (st.st_mode & 07777) | S_IRWXU);
            for (const std::string& child : BundleFiles::names(folder.get())) {
                removeEntry(folder.get(), child.c_str(), depth + 1);
            }
        }
    }
    if (::unlinkat(parent, name, AT_REMOVEDIR) != 0 && errno == ENOTDIR) {
        ::unlinkat(parent, name, 0); // it became a link or a file meanwhile
    }
}

} // namespace

std::vector<std::string> BundleFiles::names(int folder) {
    std::vector<std::string> found;
    int listed = ::dup(folder);
    DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
    if (dir == nullptr) {
        if (listed >= 0) {
            ::close(listed);
        }
        return found;
    }
    while (dirent* entry = ::readdir(dir)) {
        std::string_view child = entry->d_name;
        if (child != "." && child != "..") {
            found.emplace_back(child);
        }
    }
    ::closedir(dir);
    return found;
}

std::string BundleFiles::uniqueName() {
    std::array<uint8_t, 16> bytes{};
    if (sodium_init() < 0) {
        std::abort(); // no randomness source: every folder name would collide
    }
    randombytes_buf(bytes.data(), bytes.size());
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0f) | 0x40);
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3f) | 0x80);
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text += '-';
        }
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0f];
    }
    return text;
}

void BundleFiles::removeTree(const fs::path& path) {
    const fs::path tree = path.filename().empty() ? path.parent_path() : path;
    if (tree.filename().empty() || tree.filename() == "." || tree.filename() == "..") {
        return;
    }
    const fs::path parentPath = tree.has_parent_path() ? tree.parent_path() : fs::path(".");
    UniqueFd parent(::open(parentPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.valid()) {
        removeAt(parent.get(), tree.filename());
    }
}

void BundleFiles::removeAt(int folder, const fs::path& name) {
    removeEntry(folder, name.c_str(), 0);
}

int BundleFiles::copy(const fs::path& app, const fs::path& intoFolder) {
    UniqueFd target(::open(intoFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!target.valid()) {
        return errno;
    }
    return copy(app, target.get());
}

int BundleFiles::copy(const fs::path& app, int intoFolder) {
    UniqueFd source(::open(app.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!source.valid()) {
        return errno;
    }
    return copyEntry(source.get(), app.filename().c_str(), intoFolder, 0);
}

fs::path BundleFiles::pinned(int folder, const fs::path& name) {
    return fs::path("/proc/self/fd") / std::to_string(folder) / name;
}

std::optional<fs::path> BundleFiles::findApp(const fs::path& mountPoint,
                                             const std::string& bundleID) {
    std::vector<fs::path> candidates;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(mountPoint, error)) {
        const fs::path& path = entry.path();
        std::string name = path.filename().string();
        if (name.starts_with('.') || path.extension() != ".app") {
            continue;
        }
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) {
            continue;
        }
        auto read = InstalledApps::read(Url::fromPath(path.string()));
        if (read && read->first == bundleID) {
            candidates.push_back(path);
        }
    }
    if (candidates.size() != 1) {
        return std::nullopt;
    }
    return candidates.front();
}

} // namespace kestle
