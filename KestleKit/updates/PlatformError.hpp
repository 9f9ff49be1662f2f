#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kestle {

// Any error as the update code sees it: a domain, a code, the error that caused it
// and a description. libcurl, file-system and update-framework failures are all
// described in this form so one mapping can read them.
struct PlatformError {
    static constexpr const char* urlLoadingDomain = "NSURLErrorDomain";
    static constexpr const char* posixDomain = "NSPOSIXErrorDomain";
    static constexpr const char* fileDomain = "NSCocoaErrorDomain";
    static constexpr const char* updaterDomain = "SUSparkleErrorDomain";

    std::string domain;
    int64_t code = 0;
    std::shared_ptr<const PlatformError> underlying;
    std::string description;

    PlatformError() = default;
    PlatformError(std::string domain, int64_t code, std::string description = {},
                  std::shared_ptr<const PlatformError> underlying = nullptr)
        : domain(std::move(domain)), code(code), underlying(std::move(underlying)),
          description(std::move(description)) {}

    friend bool operator==(const PlatformError& a, const PlatformError& b) {
        return a.domain == b.domain && a.code == b.code && a.description == b.description &&
               ((!a.underlying && !b.underlying) ||
                (a.underlying && b.underlying && *a.underlying == *b.underlying));
    }
};

} // namespace kestle
