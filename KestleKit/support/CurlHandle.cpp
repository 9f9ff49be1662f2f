#include "support/CurlHandle.hpp"

#include <algorithm>

namespace kestle {

bool CurlHandle::libraryReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

CurlHandle::CurlHandle(const std::string& url, std::chrono::milliseconds timeout)
    : handle_(curl_easy_init()), timeout_(std::max(timeout, std::chrono::milliseconds(1))) {
    if (!handle_) {
        return;
    }
    const auto timeoutMs =
        static_cast<long>(std::chrono::ceil<std::chrono::milliseconds>(timeout_).count());
    // curl's own low-speed check counts whole seconds; the callers' progress callbacks
    // keep to the exact time-out, this is the fallback.
    const auto lowSpeedSeconds = std::max(1L, (timeoutMs + 999) / 1000);
    curl_easy_setopt(handle_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle_, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, lowSpeedSeconds);
    curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, &CurlHandle::onHeader);
    curl_easy_setopt(handle_, CURLOPT_HEADERDATA, this);
}

CurlHandle::~CurlHandle() {
    if (handle_) {
        curl_easy_cleanup(handle_);
    }
}

long CurlHandle::responseCode() const {
    long code = 0;
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

size_t CurlHandle::onHeader(char*, size_t size, size_t count, void* user) {
    static_cast<CurlHandle*>(user)->touch();
    return size * count;
}

} // namespace kestle
