#include "check/WebSource.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/AtomicFile.hpp"
#include "support/CurlHandle.hpp"
#include "support/CurlMulti.hpp"

namespace kestle {
namespace {

struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// The longest a transfer sleeps in curl_multi_poll; a stop request wakes it sooner.
constexpr int kPollMs = 1000;

// What one transfer's callbacks share with the code that started it.
struct Transfer {
    CurlHandle* curl = nullptr;
    size_t maxBodyBytes = 0;
    std::string body;
    // The first reason a callback stopped the transfer; curl then only reports the abort.
    std::optional<CheckFailure> failure;

    size_t stop(CheckFailure reason) {
        if (!failure) {
            failure = reason;
        }
        return 0;
    }
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    size_t n = size * count;
    t.curl->touch();
    // The status is known once the body starts; an error page is not worth reading.
    long code = t.curl->responseCode();
    if (code != 200) {
        return t.stop(CheckFailure::server(static_cast<int>(code)));
    }
    if (n > t.maxBodyBytes - t.body.size()) {
        return t.stop(CheckFailure::invalid());
    }
    try {
        t.body.append(data, n);
    } catch (...) {
        return t.stop(CheckFailure::invalid());
    }
    return n;
}

// Keeps to the configured time-out however short, and also covers a server that never
// starts answering.
int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& t = *static_cast<Transfer*>(user);
    if (t.curl->idleTooLong()) {
        t.stop(CheckFailure::offline());
        return 1;
    }
    return 0;
}

} // namespace

WebSource::WebSource(Url catalogURL) : WebSource(std::move(catalogURL), Options{}) {}

WebSource::WebSource(Url catalogURL, Options options)
    : catalogURL_(std::move(catalogURL)), options_(std::move(options)) {}

std::expected<std::string, CheckFailure> WebSource::catalog(std::stop_token stop) const {
    return fetch(catalogURL_, std::move(stop));
}

std::expected<std::string, CheckFailure> WebSource::feed(const Url& url,
                                                         std::stop_token stop) const {
    return fetch(url, std::move(stop));
}

std::expected<std::string, CheckFailure> WebSource::fetch(const Url& url,
                                                          std::stop_token stop) const {
    if (stop.stop_requested()) {
        return std::unexpected(CheckFailure::offline());
    }
    try {
        if (url.isFile()) {
            return readFile(url);
        }
        // No guessed scheme: "host/feed.xml" is not quietly fetched over http.
        if (!url.isRemote()) {
            return std::unexpected(CheckFailure::offline());
        }
        return download(url, std::move(stop));
    } catch (...) {
        // Only allocation can throw here; a body that cannot be held is unusable.
        return std::unexpected(CheckFailure::invalid());
    }
}

std::expected<std::string, CheckFailure> WebSource::readFile(const Url& url) const {
    const auto invalid = std::unexpected(CheckFailure::invalid());
    std::string path = url.path();
    if (path.empty() || path.find('\0') != std::string::npos) {
        return invalid;
    }
    auto bytes = AtomicFile::read(path, options_.maxBodyBytes);
    if (!bytes) {
        return invalid;
    }
    return std::move(*bytes);
}

std::expected<std::string, CheckFailure> WebSource::download(const Url& url,
                                                             std::stop_token stop) const {
    if (!CurlHandle::libraryReady()) {
        return std::unexpected(CheckFailure::offline());
    }
    CurlHandle curl(url.str(), options_.timeout);
    if (!curl) {
        return std::unexpected(CheckFailure::invalid());
    }
    CURL* h = curl.get();

    Transfer transfer;
    transfer.curl = &curl;
    transfer.maxBodyBytes = options_.maxBodyBytes;

    std::unique_ptr<curl_slist, ListDeleter> headers;
    if (!options_.acceptLanguage.empty()) {
        std::string line = "Accept-Language: " + options_.acceptLanguage;
        headers.reset(curl_slist_append(nullptr, line.c_str()));
        if (!headers) {
            return std::unexpected(CheckFailure::invalid());
        }
    }

    // Catalogs and feeds are read where they are: redirects are not followed.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    if (!options_.userAgent.empty()) {
        curl_easy_setopt(h, CURLOPT_USERAGENT, options_.userAgent.c_str());
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    // Whatever encodings this libcurl decodes; the size cap applies to the decoded bytes.
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(
        h, CURLOPT_TIMEOUT_MS,
        static_cast<long>(std::max<std::chrono::milliseconds::rep>(1, options_.deadline.count())));

    CurlMulti driver(h);
    if (!driver.ready()) {
        return std::unexpected(CheckFailure::offline());
    }
    std::optional<CURLcode> result;
    {
        // Declared after the driver: it must stop waking it before it goes away.
        std::stop_callback wake(stop, [&driver] { driver.wake(); });
        curl.touch();
        result = driver.perform(
            [&] {
                if (stop.stop_requested()) {
                    transfer.stop(CheckFailure::offline());
                }
                return transfer.failure.has_value();
            },
            kPollMs);
    }

    if (transfer.failure) {
        return std::unexpected(*transfer.failure);
    }
    if (!result || *result != CURLE_OK) {
        return std::unexpected(CheckFailure::offline());
    }
    long code = curl.responseCode();
    if (code != 200) {
        return std::unexpected(CheckFailure::server(static_cast<int>(code)));
    }
    return std::move(transfer.body);
}

} // namespace kestle
