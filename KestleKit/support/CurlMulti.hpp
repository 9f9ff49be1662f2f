#pragma once

#include <functional>
#include <optional>

#include <curl/curl.h>

namespace kestle {

// Drives one easy transfer through a multi handle of its own, so that another thread
// can wake the wait at once (a stop request) instead of at the next progress call.
//
// Internal to KestleKit: libcurl is a private dependency of the library.
class CurlMulti {
public:
    explicit CurlMulti(CURL* easy);
    ~CurlMulti();

    CurlMulti(const CurlMulti&) = delete;
    CurlMulti& operator=(const CurlMulti&) = delete;

    bool ready() const { return added_; }
    // Safe from any thread.
    void wake() const;

    // Runs the transfer to its end, or until shouldStop says so (asked after every
    // wake-up, at least every pollMs); the transfer's result, or nothing when it was
    // left unfinished.
    std::optional<CURLcode> perform(const std::function<bool()>& shouldStop, int pollMs) const;

private:
    CURL* easy_;
    CURLM* multi_;
    bool added_ = false;
};

} // namespace kestle
