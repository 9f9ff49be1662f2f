#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>

#include "install/Download.hpp"
#include "support/Url.hpp"

namespace kestle {

// One GET of a download, its body written to an open file; what Download::run does
// over the network. Internal to the install folder.
struct HttpGet {
    // Big reads: libcurl's 16 KiB default makes a large download several times slower.
    // Local copies read in blocks of the same size.
    static constexpr long bufferBytes = 512 * 1024;

    // What one request asks for and where its body goes.
    struct Request {
        int fd;
        uint64_t limit;
        const Download::Progress& progress;
        std::stop_token stop;
        // Where the range asked for starts, with the validator that guards it; 0 for all.
        uint64_t offset = 0;
        const std::string* validator = nullptr;
        // The partial file behind fd, whose validator a whole answer replaces.
        const std::filesystem::path* partial = nullptr;
        const std::function<void(uint64_t)>* resumed = nullptr;
    };

    // A GET of url that follows redirects into request.fd. restart: the range answered
    // cannot continue the file, which must be fetched whole instead.
    static std::expected<void, DownloadError> run(const Url& url, Request& request,
                                                  const Download::Options& options, bool& restart);

    // All of data, retried on EINTR; false on any failure.
    static bool writeAll(int fd, const char* data, size_t size);
};

} // namespace kestle
