#pragma once

#include <expected>
#include <stop_token>
#include <string>

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
};

} // namespace kestle
