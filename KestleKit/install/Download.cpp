#include "install/Download.hpp"

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "install/HttpGet.hpp"
#include "install/PartialDownload.hpp"
#include "support/CurlHandle.hpp"
#include "support/UniqueFd.hpp"

namespace kestle {
namespace {

// The file the body streams into, beside the target so that the final move is a
// rename within one file system. Removed unless it was moved into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target) {
        auto folder = target.parent_path();
        if (folder.empty()) {
            folder = ".";
        }
        path_ = (folder / ".kestle-download-XXXXXX").string();
        fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
    }
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (fd_ != -2 && !moved_) {
            ::unlink(path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool created() const { return fd_ >= 0; }

    int fd() const { return fd_; }
    bool write(const char* data, size_t size) { return HttpGet::writeAll(fd_, data, size); }

    // No fsync: the file is the input of a check that reads it at once, and a crash
    // leaves at worst a file the caller verifies anyway.
    bool moveTo(const std::filesystem::path& target) {
        int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            return false;
        }
        // Never replaces: a file already at the target is a failure, not something to lose.
        moved_ =
            ::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
        return moved_;
    }

private:
    std::string path_;
    int fd_ = -2; // -2: never created, so nothing to remove
    bool moved_ = false;
};

// A file: URL, read from disk the way a transfer would deliver it. A missing or
// unreadable source is a failure to load the URL, as for a host that cannot be reached.
std::expected<void, DownloadError> copyLocal(const Url& url, const std::filesystem::path& file,
                                             uint64_t limit, const Download::Progress& progress,
                                             const std::stop_token& stop) {
    std::string path = url.path();
    if (path.empty() || path.find('\0') != std::string::npos) {
        return std::unexpected(DownloadError::connection());
    }
    // Non-blocking, so that a FIFO in the file's place cannot stall the open.
    UniqueFd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!in.valid() || ::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::unexpected(DownloadError::connection());
    }
    TemporaryFile out(file);
    if (!out.created()) {
        return std::unexpected(DownloadError::file());
    }
    // The size when opened; a file that grows meanwhile is still read to its end.
    const auto total = static_cast<uint64_t>(info.st_size);
    std::vector<char> block(HttpGet::bufferBytes);
    uint64_t received = 0;
    for (;;) {
        if (stop.stop_requested()) {
            return std::unexpected(DownloadError::canceled());
        }
        ssize_t n = ::read(in.get(), block.data(), block.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::unexpected(DownloadError::connection());
        }
        if (n == 0) {
            break;
        }
        auto size = static_cast<uint64_t>(n);
        if (size > limit - received) {
            return std::unexpected(DownloadError::tooLarge());
        }
        if (!out.write(block.data(), static_cast<size_t>(n))) {
            return std::unexpected(DownloadError::file());
        }
        received += size;
        if (progress) {
            try {
                progress(received, total);
            } catch (...) {
                // As for a transfer: the caller's side gave up.
                return std::unexpected(DownloadError::canceled());
            }
        }
    }
    if (!out.moveTo(file)) {
        return std::unexpected(DownloadError::file());
    }
    return {};
}

// The download through options.partial; nothing when that file cannot be used (another
// call holds it), so the caller downloads without it.
std::optional<std::expected<void, DownloadError>>
fetchPartial(const Url& url, const std::filesystem::path& file, uint64_t limit,
             const Download::Progress& progress, const std::stop_token& stop,
             const Download::Options& options) {
    const std::filesystem::path& partial = options.partial;
    UniqueFd fd(::open(partial.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || ::fchmod(fd.get(), 0600) != 0) {
        return std::nullopt;
    }
    auto validator = PartialDownload::readValidator(partial);
    auto offset = static_cast<uint64_t>(st.st_size);
    // Longer than announced: not the start of this file, whatever the server says.
    if (!validator || offset > limit) {
        offset = 0;
    }
    if (offset == 0 && (st.st_size != 0 || validator)) {
        validator.reset();
        ::unlink(PartialDownload::validatorFile(partial).c_str());
        if (::ftruncate(fd.get(), 0) != 0) {
            return std::nullopt;
        }
    }
    if (::lseek(fd.get(), static_cast<off_t>(offset), SEEK_SET) < 0) {
        return std::nullopt;
    }

    HttpGet::Request request{fd.get(), limit,           progress,
                             stop,     offset,          validator ? &*validator : nullptr,
                             &partial, &options.resumed};
    bool restart = false;
    auto fetched = HttpGet::run(url, request, options, restart);
    if (restart) {
        request.offset = 0;
        request.validator = nullptr;
        ::unlink(PartialDownload::validatorFile(partial).c_str());
        if (::ftruncate(fd.get(), 0) != 0 || ::lseek(fd.get(), 0, SEEK_SET) != 0) {
            fetched = std::unexpected(DownloadError::file());
        } else {
            fetched = HttpGet::run(url, request, options, restart);
        }
    }
    if (fetched) {
        // The validator goes first: a partial file without one is never resumed. Moved
        // while still locked, so that no other call opens it to continue it meanwhile.
        ::unlink(PartialDownload::validatorFile(partial).c_str());
        if (::renameat2(AT_FDCWD, partial.c_str(), AT_FDCWD, file.c_str(), RENAME_NOREPLACE) != 0) {
            ::unlink(partial.c_str());
            return std::unexpected(DownloadError::file());
        }
        if (!fd.close()) {
            ::unlink(file.c_str());
            return std::unexpected(DownloadError::file());
        }
        return fetched;
    }
    // Bytes beyond the limit, or of an answer that could not continue the file, are
    // no start worth keeping; neither is one that no validator guards.
    const bool keep = fetched.error().kind != DownloadError::Kind::tooLarge && !restart &&
                      PartialDownload::readValidator(partial).has_value();
    if (!keep) {
        PartialDownload::remove(partial);
    }
    return fetched;
}

} // namespace

std::string describe(const DownloadError& error) {
    switch (error.kind) {
    case DownloadError::Kind::server:
        return "server(" + std::to_string(error.status) + ")";
    case DownloadError::Kind::connection:
        return "connection";
    case DownloadError::Kind::tooLarge:
        return "tooLarge";
    case DownloadError::Kind::canceled:
        return "canceled";
    case DownloadError::Kind::file:
        return error.needed > 0 ? "file(needs " + std::to_string(error.needed) + ")" : "file";
    }
    return "unknown";
}

std::expected<void, DownloadError> Download::checkRoom(const std::filesystem::path& folder,
                                                       uint64_t bytes) {
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) != 0) {
        return {};
    }
    // Blocks free to unprivileged users; the reserve for root is not ours to fill.
    const uint64_t blockSize = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
    const uint64_t blocks = fs.f_bavail;
    const bool fits = blockSize == 0 || blocks >= bytes / blockSize + (bytes % blockSize != 0);
    if (!fits) {
        return std::unexpected(DownloadError::noRoom(bytes));
    }
    return {};
}

std::expected<void, DownloadError> Download::run(const Url& url, const std::filesystem::path& file,
                                                 uint64_t limit, const Progress& progress,
                                                 std::stop_token stop) {
    return run(url, file, limit, progress, std::move(stop), Options{});
}

std::expected<void, DownloadError> Download::run(const Url& url, const std::filesystem::path& file,
                                                 uint64_t limit, const Progress& progress,
                                                 std::stop_token stop, const Options& options) {
    if (stop.stop_requested()) {
        return std::unexpected(DownloadError::canceled());
    }
    if (url.isFile()) {
        try {
            return copyLocal(url, file, limit, progress, stop);
        } catch (...) {
            // Only allocation can throw here.
            return std::unexpected(DownloadError::connection());
        }
    }
    // No guessed scheme: only http and https go over the network.
    if (!url.isRemote() || !CurlHandle::libraryReady()) {
        return std::unexpected(DownloadError::connection());
    }
    try {
        if (!options.partial.empty()) {
            if (auto resumable = fetchPartial(url, file, limit, progress, stop, options)) {
                return *resumable;
            }
        }
        TemporaryFile out(file);
        if (!out.created()) {
            return std::unexpected(DownloadError::file());
        }
        HttpGet::Request request{out.fd(), limit, progress, stop};
        bool restart = false;
        auto fetched = HttpGet::run(url, request, options, restart);
        if (!fetched) {
            return fetched;
        }
        if (!out.moveTo(file)) {
            return std::unexpected(DownloadError::file());
        }
        return {};
    } catch (...) {
        // Only allocation can throw here, in libcurl's setup or our own.
        return std::unexpected(DownloadError::connection());
    }
}

} // namespace kestle
