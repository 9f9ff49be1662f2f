#include "install/HttpGet.hpp"

#include <cerrno>
#include <memory>
#include <optional>
#include <string_view>

#include <unistd.h>

#include "install/PartialDownload.hpp"
#include "support/CurlHandle.hpp"
#include "support/CurlMulti.hpp"
#include "support/HttpHeader.hpp"

namespace kestle {
namespace {

// How often the loop looks at the time-out while nothing happens; a stop wakes it at once.
constexpr int idlePollMs = 100;
// What browsers allow before giving up on a redirect chain.
constexpr long maxRedirects = 16;

// The headers of the latest response that the body's handling needs.
struct Answer {
    std::string contentRange;
    std::string etag;
    std::string lastModified;
};

// What the callbacks of one transfer share with the loop that drives it.
struct Transfer {
    CurlHandle& curl;
    HttpGet::Request& request;
    Answer answer;
    uint64_t received = 0; // bytes in the file, resumed ones included
    bool started = false;  // the final answer was accepted and the file prepared for it
    bool restart = false;  // the range answered cannot continue the file
    // The first reason the transfer was stopped; curl then reports only the abort.
    std::optional<DownloadError> failure;

    void record(DownloadError error) {
        if (!failure) {
            failure = error;
        }
    }

    bool shouldStop() {
        if (request.stop.stop_requested()) {
            record(DownloadError::canceled());
        } else if (curl.idleTooLong()) {
            record(DownloadError::connection());
        }
        return failure.has_value();
    }

    uint64_t expected() const {
        curl_off_t length = -1;
        curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        // A range's length is that of the rest only.
        return length > 0 ? static_cast<uint64_t>(length) + request.offset : 0;
    }
};

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    const size_t n = size * count;
    t.curl.touch();
    std::string_view line(data, n);
    // Each response of a redirect chain starts anew.
    if (line.starts_with("HTTP/")) {
        t.answer = {};
        return n;
    }
    if (auto header = HttpHeader::parse(line)) {
        if (header->is("Content-Range")) {
            t.answer.contentRange = header->value;
        } else if (header->is("ETag")) {
            t.answer.etag = header->value;
        } else if (header->is("Last-Modified")) {
            t.answer.lastModified = header->value;
        }
    }
    return n;
}

// Readies the file for the final answer, once: a range must continue the file exactly
// where it ends; anything sent whole replaces what the file held.
bool begin(Transfer& t) {
    if (t.started) {
        return true;
    }
    const long code = t.curl.responseCode();
    HttpGet::Request& r = t.request;
    if (r.offset > 0 && (code == 206 || code == 416)) {
        auto range = ContentRange::parse(t.answer.contentRange);
        // A range that stops short of the end would leave the file incomplete.
        if (code == 416 || !range || range->first != r.offset ||
            (range->total && (*range->total > r.limit || range->last + 1 != *range->total))) {
            t.restart = true;
            return false;
        }
        t.received = r.offset;
        if (r.resumed && *r.resumed) {
            try {
                (*r.resumed)(r.offset);
            } catch (...) {
                // Only a log line is lost.
            }
        }
        t.started = true;
        return true;
    }
    if (code != 200) {
        t.record(DownloadError::server(static_cast<int>(code)));
        return false;
    }
    if (r.partial) {
        if (::ftruncate(r.fd, 0) != 0 || ::lseek(r.fd, 0, SEEK_SET) != 0) {
            t.record(DownloadError::file());
            return false;
        }
        r.offset = 0;
        // Without a validator a later range could not be trusted, so none is asked for.
        // A weak ETag may stand for other bytes and is no guard for a range.
        const std::string& validator = !t.answer.etag.empty() && !t.answer.etag.starts_with("W/")
                                           ? t.answer.etag
                                           : t.answer.lastModified;
        if (validator.empty() || !PartialDownload::writeValidator(*r.partial, validator)) {
            ::unlink(PartialDownload::validatorFile(*r.partial).c_str());
        }
    }
    t.started = true;
    return true;
}

size_t onData(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    size_t n = size * count;
    t.curl.touch();
    // Bodies of redirects are skipped by curl, so this is the final answer; an error
    // page is not worth receiving.
    if (!begin(t)) {
        return 0;
    }
    if (n > t.request.limit - t.received) {
        t.record(DownloadError::tooLarge());
        return 0;
    }
    if (!HttpGet::writeAll(t.request.fd, data, n)) {
        t.record(DownloadError::file());
        return 0;
    }
    t.received += n;
    if (t.request.progress) {
        try {
            t.request.progress(t.received, t.expected());
        } catch (...) {
            // An exception must not unwind through libcurl; the caller's side gave up.
            t.record(DownloadError::canceled());
            return 0;
        }
    }
    return n;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(user)->shouldStop() ? 1 : 0;
}

} // namespace

std::expected<void, DownloadError> HttpGet::run(const Url& url, Request& request,
                                                const Download::Options& options, bool& restart) {
    CurlHandle curl(url.str(), options.timeout);
    if (!curl) {
        return std::unexpected(DownloadError::connection());
    }
    Transfer transfer{curl, request, {}, 0, false, false, std::nullopt};

    CURL* h = curl.get();
    // No cookie file and no cache exist in libcurl unless asked for; no
    // Accept-Encoding, so the bytes on disk are the bytes served.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, maxRedirects);
    if (!options.userAgent.empty()) {
        curl_easy_setopt(h, CURLOPT_USERAGENT, options.userAgent.c_str());
    }
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, bufferBytes);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &onData);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);

    // CURLOPT_RANGE rather than RESUME_FROM: a whole answer to the guarded range is
    // expected (the file changed), not an error.
    const std::string range = std::to_string(request.offset) + "-";
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(nullptr,
                                                                        &curl_slist_free_all);
    if (request.offset > 0 && request.validator) {
        curl_easy_setopt(h, CURLOPT_RANGE, range.c_str());
        const std::string ifRange = "If-Range: " + *request.validator;
        headers.reset(curl_slist_append(nullptr, ifRange.c_str()));
        if (!headers) {
            return std::unexpected(DownloadError::connection());
        }
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    }

    CurlMulti driver(h);
    if (!driver.ready()) {
        return std::unexpected(DownloadError::connection());
    }
    std::optional<CURLcode> result;
    {
        // Declared after the driver: it must stop waking it before it goes away.
        std::stop_callback wake(request.stop, [&driver] { driver.wake(); });
        curl.touch();
        result = driver.perform([&transfer] { return transfer.shouldStop(); }, idlePollMs);
    }

    // An empty body calls no data callback; the answer is judged here then.
    if (!transfer.failure && !transfer.restart && result && *result == CURLE_OK) {
        begin(transfer);
    }
    restart = transfer.restart && !transfer.failure;
    if (transfer.failure) {
        return std::unexpected(*transfer.failure);
    }
    if (restart) {
        return std::unexpected(DownloadError::connection());
    }
    if (!result || *result != CURLE_OK) {
        return std::unexpected(DownloadError::connection());
    }
    return {};
}

bool HttpGet::writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace kestle
