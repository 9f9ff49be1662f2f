#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <limits>
#include <stop_token>
#include <string>

#include "support/Url.hpp"

namespace kestle {

// Why a download ended without its file.
struct DownloadError {
    enum class Kind {
        server,     // the server answered with a status other than 200
        connection, // the transfer failed on the way for any other reason
        tooLarge,   // more bytes arrived than the limit allows
        canceled,   // the caller's stop token fired
        file        // the data could not be written or moved to the target file
    };
    Kind kind = Kind::connection;
    int status = 0;      // the HTTP status, for server
    uint64_t needed = 0; // for file: the free space the download needs, when that was the cause

    static DownloadError server(int status) { return {Kind::server, status, 0}; }
    static DownloadError connection() { return {Kind::connection, 0, 0}; }
    static DownloadError tooLarge() { return {Kind::tooLarge, 0, 0}; }
    static DownloadError canceled() { return {Kind::canceled, 0, 0}; }
    static DownloadError file() { return {Kind::file, 0, 0}; }
    static DownloadError noRoom(uint64_t needed) { return {Kind::file, 0, needed}; }

    friend bool operator==(const DownloadError&, const DownloadError&) = default;
};

// "server(404)", "connection", "tooLarge", "canceled", "file", "file(needs 4096)": for logs
// and test messages.
std::string describe(const DownloadError& error);

// Fetches one file over http(s), or copies one named by a file: URL, into a local
// file. No instances: all state of a transfer lives inside one call of run.
struct Download {
    // Bytes received so far and the announced total (0 when none was announced).
    // Called on the caller's thread, once per block of data; it must not throw.
    using Progress = std::function<void(uint64_t received, uint64_t expected)>;

    static constexpr uint64_t noLimit = std::numeric_limits<uint64_t>::max();

    struct Options {
        std::string userAgent = "VelmarKestle";
        // Longest wait for the next byte (connecting included), not for the whole file.
        std::chrono::milliseconds timeout{30000};
        // When set (http and https only), the body goes to this file instead of a
        // temporary one and is moved to `file` once complete. A failed transfer leaves
        // it (mode 0600) for the next call naming it, which asks only for the missing
        // bytes, guarded by the validator the server gave at first; the server may
        // still send the whole file, which then replaces it. Kept only when a
        // validator was given and the bytes there may belong to the file.
        std::filesystem::path partial;
        // Called with the offset when the server agreed to continue a partial file.
        std::function<void(uint64_t offset)> resumed;
    };

    // A GET of url that follows redirects (to http(s) only), or a read of the regular
    // file a file: URL names (anything else there, or nothing, is a connection
    // failure). The body streams into a temporary file beside `file` and is moved into
    // place only when complete, never over an existing file. On any failure nothing is
    // left at `file` or beside it; the first failure noticed is the one returned.
    // Blocks until the transfer ends.
    static std::expected<void, DownloadError> run(const Url& url, const std::filesystem::path& file,
                                                  uint64_t limit, const Progress& progress,
                                                  std::stop_token stop);
    static std::expected<void, DownloadError> run(const Url& url, const std::filesystem::path& file,
                                                  uint64_t limit, const Progress& progress,
                                                  std::stop_token stop, const Options& options);

    // Refuses (noRoom) a download of `bytes` into folder when its file system has less
    // free space than that, so an announced size is checked before anything is written.
    // A file system that cannot be asked does not refuse.
    static std::expected<void, DownloadError> checkRoom(const std::filesystem::path& folder,
                                                        uint64_t bytes);
};

} // namespace kestle
