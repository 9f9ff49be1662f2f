#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include <curl/curl.h>

namespace kestle {

// A libcurl easy handle with what every transfer of the core shares: http and https
// only (redirects too), no signals, no cookie engine (no cookie file is ever set), and
// a clock of the last byte for an inactivity time-out of any length.
//
// Internal to KestleKit: libcurl is a private dependency of the library.
class CurlHandle {
public:
    using Clock = std::chrono::steady_clock;

    // The library's one-time set-up; false when it failed.
    static bool libraryReady();

    // Empty (false) when libcurl could not make a handle.
    CurlHandle(const std::string& url, std::chrono::milliseconds timeout);
    ~CurlHandle();

    // Callbacks hold its address.
    CurlHandle(const CurlHandle&) = delete;
    CurlHandle& operator=(const CurlHandle&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }
    CURL* get() const { return handle_; }

    // The status of the latest response (0 before any).
    long responseCode() const;

    // A byte arrived now. Header bytes count on their own.
    void touch() { lastByte_ = Clock::now(); }
    // Nothing arrived for longer than the time-out.
    bool idleTooLong() const { return Clock::now() - lastByte_ > timeout_; }

private:
    static size_t onHeader(char* data, size_t size, size_t count, void* user);

    CURL* handle_ = nullptr;
    Clock::duration timeout_;
    Clock::time_point lastByte_ = Clock::now();
};

} // namespace kestle
