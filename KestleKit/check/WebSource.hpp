#pragma once

#include <chrono>
#include <cstddef>
#include <expected>
#include <stop_token>
#include <string>
#include <vector>

#include "check/CheckFailure.hpp"
#include "check/KestleSource.hpp"
#include "support/Url.hpp"

namespace kestle {

// The production source: http(s) over libcurl, file: URLs read from disk; a URL of any
// other scheme, or none, is never fetched (offline).
//
// Every call makes its own transfers, so one value serves any number of threads. The
// feeds of one call share at most eight connections per host, reused from one fetch to
// the next and multiplexed where the server speaks HTTP/2, and their TLS sessions;
// nothing is kept between calls: no cookies, no cache, no connections, no sessions.
class WebSource final : public KestleSource {
public:
    struct Options {
        // Names the application and its version; the application fills it in.
        std::string userAgent = "VelmarKestle";
        // Sent as Accept-Language when not empty.
        std::string acceptLanguage;
        // Longest wait for the next byte (connecting included), not for the whole body.
        std::chrono::milliseconds timeout{20000};
        // Longest time for the whole transfer, so a server that trickles cannot hold a
        // check for ever.
        std::chrono::milliseconds deadline{60000};
        // A bigger body is refused as invalid rather than held in memory.
        size_t maxBodyBytes = 32 * 1024 * 1024;
        // A PEM bundle of the authorities https servers are checked against, instead of
        // the system's; empty: the system's. Certificates and host names are always checked.
        std::string caFile;
    };

    explicit WebSource(Url catalogURL);
    WebSource(Url catalogURL, Options options);

    const Url& catalogURL() const { return catalogURL_; }
    const Options& options() const { return options_; }

    std::expected<std::string, CheckFailure> catalog(std::stop_token stop = {}) const override;
    std::expected<std::string, CheckFailure> feed(const Url& url,
                                                  std::stop_token stop = {}) const override;
    std::vector<std::expected<std::string, CheckFailure>>
    feeds(const std::vector<Url>& urls, std::stop_token stop = {}) const override;

private:
    std::vector<std::expected<std::string, CheckFailure>> fetch(const std::vector<Url>& urls,
                                                                std::stop_token stop) const;
    std::expected<std::string, CheckFailure> readFile(const Url& url) const;
    // The http(s) URLs at indices, all on one multi handle; each answer lands at its index.
    void download(const std::vector<Url>& urls, const std::vector<size_t>& indices,
                  std::vector<std::expected<std::string, CheckFailure>>& answers,
                  std::stop_token stop) const;

    Url catalogURL_;
    Options options_;
};

} // namespace kestle
