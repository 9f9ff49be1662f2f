#include "support/AtomicFile.hpp"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/UniqueFd.hpp"

namespace kestle {
namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

bool AtomicFile::write(const std::filesystem::path& path, std::string_view bytes, unsigned mode) {
    std::string temporary = path.string() + ".XXXXXX";
    UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        return false;
    }
    bool ok = ::fchmod(fd.get(), mode) == 0 && writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    int error = ok ? 0 : errno;
    if (!fd.close() && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    // The rename itself reaches the disk only with its folder.
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    UniqueFd parent(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.valid()) {
        ::fsync(parent.get());
    }
    return true;
}

std::optional<std::string> AtomicFile::read(const std::filesystem::path& path, size_t maxBytes) {
    // Non-blocking open so that a FIFO in the file's place cannot stall the caller.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<uint64_t>(info.st_size) > maxBytes) {
        return std::nullopt;
    }
    std::string bytes;
    try {
        bytes.resize(static_cast<size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    size_t done = 0;
    while (true) {
        if (done == bytes.size()) {
            // The file may have grown since fstat: read on, within the cap.
            if (bytes.size() >= maxBytes) {
                char probe = 0;
                ssize_t more = ::read(fd.get(), &probe, 1);
                if (more == 0) {
                    break;
                }
                return std::nullopt;
            }
            bytes.resize(std::min(maxBytes, bytes.size() * 2 + 4096));
        }
        ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace kestle
