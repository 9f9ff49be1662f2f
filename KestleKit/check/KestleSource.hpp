#pragma once

#include <expected>
#include <stop_token>
#include <string>
#include <vector>

#include "check/CheckFailure.hpp"
#include "support/Url.hpp"

namespace kestle {

// Where the checker's bytes come from. Called from several threads at once, one
// feed per thread, so implementations must be safe for concurrent use. A stop request
// ends a call at once with offline.
class KestleSource {
public:
    virtual ~KestleSource() = default;

    // The catalog envelope's bytes.
    virtual std::expected<std::string, CheckFailure> catalog(std::stop_token stop = {}) const = 0;
    // The bytes of one app's feed.
    virtual std::expected<std::string, CheckFailure> feed(const Url& url,
                                                          std::stop_token stop = {}) const = 0;
    // The feeds of many apps, answered in the order of urls. This one calls feed from a
    // few threads at a time; a source with a cheaper way to fetch many overrides it.
    virtual std::vector<std::expected<std::string, CheckFailure>>
    feeds(const std::vector<Url>& urls, std::stop_token stop = {}) const;

    // How many feeds the default feeds() fetches at once.
    static constexpr size_t parallelFeeds = 8;
};

} // namespace kestle
