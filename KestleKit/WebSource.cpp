#include "WebSource.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestle {
namespace {

using Clock = std::chrono::steady_clock;

bool curlReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
};

// What one transfer's callbacks share with the code that started it.
struct Transfer {
    CURL* handle = nullptr;
    size_t maxBodyBytes = 0;
    Clock::duration timeout{};
    Clock::time_point lastByte = Clock::now();
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

long responseCode(CURL* handle) {
    long code = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

size_t onHeader(char*, size_t size, size_t count, void* user) {
    static_cast<Transfer*>(user)->lastByte = Clock::now();
    return size * count;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    size_t n = size * count;
    t.lastByte = Clock::now();
    // The status is known once the body starts; an error page is not worth reading.
    long code = responseCode(t.handle);
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

// curl's own low-speed check counts whole seconds; this one keeps to the configured
// time-out however short, and also covers a server that never starts answering.
int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& t = *static_cast<Transfer*>(user);
    if (Clock::now() - t.lastByte > t.timeout) {
        t.stop(CheckFailure::offline());
        return 1;
    }
    return 0;
}

} // namespace

WebSource::WebSource(Url catalogURL) : WebSource(std::move(catalogURL), Options{}) {}

WebSource::WebSource(Url catalogURL, Options options)
    : catalogURL_(std::move(catalogURL)), options_(std::move(options)) {}

std::expected<std::string, CheckFailure> WebSource::catalog() const {
    return fetch(catalogURL_);
}

std::expected<std::string, CheckFailure> WebSource::feed(const Url& url) const {
    return fetch(url);
}

std::expected<std::string, CheckFailure> WebSource::fetch(const Url& url) const {
    try {
        return url.isFile() ? readFile(url) : download(url);
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
    // Non-blocking so that opening a FIFO returns at once instead of waiting for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return invalid;
    }
    FdCloser closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<uint64_t>(info.st_size) > options_.maxBodyBytes) {
        return invalid;
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return invalid;
        }
        if (got == 0) {
            break;
        }
        // The file may have grown since fstat.
        if (static_cast<size_t>(got) > options_.maxBodyBytes - bytes.size()) {
            return invalid;
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

std::expected<std::string, CheckFailure> WebSource::download(const Url& url) const {
    if (!curlReady()) {
        return std::unexpected(CheckFailure::offline());
    }
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy) {
        return std::unexpected(CheckFailure::invalid());
    }
    CURL* h = easy.get();

    Transfer transfer;
    transfer.handle = h;
    transfer.maxBodyBytes = options_.maxBodyBytes;
    const auto timeout = std::max(options_.timeout, std::chrono::milliseconds(1));
    transfer.timeout = timeout;

    std::unique_ptr<curl_slist, ListDeleter> headers;
    if (!options_.acceptLanguage.empty()) {
        std::string line = "Accept-Language: " + options_.acceptLanguage;
        headers.reset(curl_slist_append(nullptr, line.c_str()));
        if (!headers) {
            return std::unexpected(CheckFailure::invalid());
        }
    }

    const auto timeoutMs = static_cast<long>(timeout.count());
    const auto lowSpeedSeconds = std::max(1L, (timeoutMs + 999) / 1000);

    // No cookie file is set, so the cookie engine stays off; redirects are not followed.
    curl_easy_setopt(h, CURLOPT_URL, url.str().c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    if (!options_.userAgent.empty()) {
        curl_easy_setopt(h, CURLOPT_USERAGENT, options_.userAgent.c_str());
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    // Whatever encodings this libcurl decodes; the size cap applies to the decoded bytes.
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, lowSpeedSeconds);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);

    transfer.lastByte = Clock::now();
    CURLcode result = curl_easy_perform(h);

    if (transfer.failure) {
        return std::unexpected(*transfer.failure);
    }
    if (result != CURLE_OK) {
        return std::unexpected(CheckFailure::offline());
    }
    long code = responseCode(h);
    if (code != 200) {
        return std::unexpected(CheckFailure::server(static_cast<int>(code)));
    }
    return std::move(transfer.body);
}

} // namespace kestle
