#include "install/Download.hpp"

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "support/CurlHandle.hpp"
#include "support/CurlMulti.hpp"
#include "support/UniqueFd.hpp"

namespace kestle {
namespace {

// Big reads: libcurl's 16 KiB default makes a large download several times slower.
// Local copies read in blocks of the same size.
constexpr long bufferBytes = 512 * 1024;
// How often the loop looks at the time-out while nothing happens; a stop wakes it at once.
constexpr int idlePollMs = 100;
// What browsers allow before giving up on a redirect chain.
constexpr long maxRedirects = 16;

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

    bool write(const char* data, size_t size) {
        while (size > 0) {
            ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            data += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }

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

// What the callbacks of one transfer share with the loop that drives it.
struct Transfer {
    CurlHandle& curl;
    TemporaryFile& out;
    uint64_t limit;
    const Download::Progress& progress;
    std::stop_token stop;
    uint64_t received = 0;
    // The first reason the transfer was stopped; curl then reports only the abort.
    std::optional<DownloadError> failure;

    void record(DownloadError error) {
        if (!failure) {
            failure = error;
        }
    }

    bool shouldStop() {
        if (stop.stop_requested()) {
            record(DownloadError::canceled());
        } else if (curl.idleTooLong()) {
            record(DownloadError::connection());
        }
        return failure.has_value();
    }

    uint64_t expected() const {
        curl_off_t length = -1;
        curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        return length > 0 ? static_cast<uint64_t>(length) : 0;
    }
};

size_t onData(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    size_t n = size * count;
    t.curl.touch();
    // Bodies of redirects are skipped by curl, so this is the final answer; an error
    // page is not worth receiving.
    if (long code = t.curl.responseCode(); code != 200) {
        t.record(DownloadError::server(static_cast<int>(code)));
        return 0;
    }
    if (n > t.limit - t.received) {
        t.record(DownloadError::tooLarge());
        return 0;
    }
    if (!t.out.write(data, n)) {
        t.record(DownloadError::file());
        return 0;
    }
    t.received += n;
    if (t.progress) {
        try {
            t.progress(t.received, t.expected());
        } catch (...) {
            // An exception must not unwind through libcurl; the caller's side gave up.
            t.record(DownloadError::canceled());
            return 0;
        }
    }
    return n;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(user)->shouldStop() ? 1 : 0;
}

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
    std::vector<char> block(bufferBytes);
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
        TemporaryFile out(file);
        if (!out.created()) {
            return std::unexpected(DownloadError::file());
        }
        CurlHandle curl(url.str(), options.timeout);
        if (!curl) {
            return std::unexpected(DownloadError::connection());
        }
        Transfer transfer{curl, out, limit, progress, stop, 0, std::nullopt};

        CURL* h = curl.get();
        // No cookie file and no cache exist in libcurl unless asked for; no
        // Accept-Encoding, so the bytes on disk are the bytes served.
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(h, CURLOPT_MAXREDIRS, maxRedirects);
        if (!options.userAgent.empty()) {
            curl_easy_setopt(h, CURLOPT_USERAGENT, options.userAgent.c_str());
        }
        curl_easy_setopt(h, CURLOPT_BUFFERSIZE, bufferBytes);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &onData);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &onProgress);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);

        CurlMulti driver(h);
        if (!driver.ready()) {
            return std::unexpected(DownloadError::connection());
        }
        std::optional<CURLcode> result;
        {
            // Declared after the driver: it must stop waking it before it goes away.
            std::stop_callback wake(stop, [&driver] { driver.wake(); });
            curl.touch();
            result = driver.perform([&transfer] { return transfer.shouldStop(); }, idlePollMs);
        }

        if (transfer.failure) {
            return std::unexpected(*transfer.failure);
        }
        if (!result || *result != CURLE_OK) {
            return std::unexpected(DownloadError::connection());
        }
        if (long code = curl.responseCode(); code != 200) {
            return std::unexpected(DownloadError::server(static_cast<int>(code)));
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
