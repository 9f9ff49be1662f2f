#include "check/WebSource.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/AtomicFile.hpp"
#include "support/CurlHandle.hpp"

namespace kestle {
namespace {

struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};

struct ShareDeleter {
    void operator()(CURLSH* s) const { curl_share_cleanup(s); }
};

// The longest the transfers sleep in curl_multi_poll; a stop request wakes them sooner.
constexpr int kPollMs = 1000;
// Connections to one host at a time; the others wait for one of these to be free, and
// reuse it. HTTP/2 carries many requests on each.
constexpr long kConnectionsPerHost = 8;
constexpr long kConnectionsInAll = 64;

// What one transfer's callbacks share with the code that started it.
struct Transfer {
    Transfer(const std::string& url, std::chrono::milliseconds timeout) : curl(url, timeout) {}

    CurlHandle curl;
    size_t index = 0;
    size_t maxBodyBytes = 0;
    std::string body;
    // Set once a connection is there: until then a transfer may wait its turn for one,
    // and only the connect time-out applies.
    bool started = false;
    // The first reason a callback stopped the transfer; curl then only reports the abort.
    std::optional<CheckFailure> failure;

    size_t stop(CheckFailure reason) {
        if (!failure) {
            failure = reason;
        }
        return 0;
    }

    std::expected<std::string, CheckFailure> answer(CURLcode result) {
        if (failure) {
            return std::unexpected(*failure);
        }
        if (result != CURLE_OK) {
            return std::unexpected(CheckFailure::offline());
        }
        if (long code = curl.responseCode(); code != 200) {
            return std::unexpected(CheckFailure::server(static_cast<int>(code)));
        }
        return std::move(body);
    }
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    size_t n = size * count;
    t.curl.touch();
    // The status is known once the body starts; an error page is not worth reading.
    long code = t.curl.responseCode();
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

int onStart(void* user, char*, char*, int, int) {
    auto& t = *static_cast<Transfer*>(user);
    t.started = true;
    t.curl.touch();
    return CURL_PREREQFUNC_OK;
}

// Keeps to the configured time-out however short, and also covers a server that never
// starts answering.
int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& t = *static_cast<Transfer*>(user);
    if (t.started && t.curl.idleTooLong()) {
        t.stop(CheckFailure::offline());
        return 1;
    }
    return 0;
}

// Whether libcurl names a bundle of the system's authorities that is there to read.
bool systemBundleReadable(CURL* h) {
    char* path = nullptr;
    return curl_easy_getinfo(h, CURLINFO_CAINFO, &path) == CURLE_OK && path &&
           ::access(path, R_OK) == 0;
}

} // namespace

WebSource::WebSource(Url catalogURL) : WebSource(std::move(catalogURL), Options{}) {}

WebSource::WebSource(Url catalogURL, Options options)
    : catalogURL_(std::move(catalogURL)), options_(std::move(options)) {}

std::expected<std::string, CheckFailure> WebSource::catalog(std::stop_token stop) const {
    return std::move(fetch({catalogURL_}, std::move(stop)).front());
}

std::expected<std::string, CheckFailure> WebSource::feed(const Url& url,
                                                         std::stop_token stop) const {
    return std::move(fetch({url}, std::move(stop)).front());
}

std::vector<std::expected<std::string, CheckFailure>> WebSource::feeds(const std::vector<Url>& urls,
                                                                       std::stop_token stop) const {
    return fetch(urls, std::move(stop));
}

std::vector<std::expected<std::string, CheckFailure>> WebSource::fetch(const std::vector<Url>& urls,
                                                                       std::stop_token stop) const {
    std::vector<std::expected<std::string, CheckFailure>> answers(
        urls.size(), std::unexpected(CheckFailure::offline()));
    std::vector<size_t> remote;
    for (size_t i = 0; i < urls.size() && !stop.stop_requested(); ++i) {
        if (urls[i].isFile()) {
            answers[i] = readFile(urls[i]);
        } else if (urls[i].isRemote()) {
            // No guessed scheme: "host/feed.xml" is not quietly fetched over http.
            remote.push_back(i);
        }
    }
    if (!remote.empty() && !stop.stop_requested()) {
        try {
            download(urls, remote, answers, stop);
        } catch (...) {
            // Only allocation can throw here: what did not arrive stays offline.
        }
    }
    return answers;
}

std::expected<std::string, CheckFailure> WebSource::readFile(const Url& url) const {
    const auto invalid = std::unexpected(CheckFailure::invalid());
    std::string path = url.path();
    if (path.empty() || path.find('\0') != std::string::npos) {
        return invalid;
    }
    try {
        auto bytes = AtomicFile::read(path, options_.maxBodyBytes);
        if (!bytes) {
            return invalid;
        }
        return std::move(*bytes);
    } catch (...) {
        return invalid;
    }
}

void WebSource::download(const std::vector<Url>& urls, const std::vector<size_t>& indices,
                         std::vector<std::expected<std::string, CheckFailure>>& answers,
                         std::stop_token stop) const {
    if (!CurlHandle::libraryReady()) {
        return;
    }
    // TLS sessions are shared by this call's transfers: a connection opened once another
    // one's handshake with the host is done resumes it, for a fraction of the work. Only
    // this thread uses it, so it needs no locks. Declared first, to go last.
    std::unique_ptr<CURLSH, ShareDeleter> sessions(curl_share_init());
    if (sessions && curl_share_setopt(sessions.get(), CURLSHOPT_SHARE,
                                      CURL_LOCK_DATA_SSL_SESSION) != CURLSHE_OK) {
        sessions.reset();
    }
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi) {
        return;
    }
    CURLM* m = multi.get();
    curl_multi_setopt(m, CURLMOPT_MAX_HOST_CONNECTIONS, kConnectionsPerHost);
    curl_multi_setopt(m, CURLMOPT_MAX_TOTAL_CONNECTIONS, kConnectionsInAll);
    curl_multi_setopt(m, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);

    std::unique_ptr<curl_slist, ListDeleter> headers;
    if (!options_.acceptLanguage.empty()) {
        std::string line = "Accept-Language: " + options_.acceptLanguage;
        headers.reset(curl_slist_append(nullptr, line.c_str()));
        if (!headers) {
            return;
        }
    }
    const auto deadline =
        static_cast<long>(std::max<std::chrono::milliseconds::rep>(1, options_.deadline.count()));

    // Declared after the multi handle, so every easy handle leaves it before it goes.
    std::vector<std::unique_ptr<Transfer>> transfers;
    transfers.reserve(indices.size());
    struct Detach {
        CURLM* multi;
        std::vector<std::unique_ptr<Transfer>>& transfers;
        ~Detach() {
            for (auto& t : transfers) {
                curl_multi_remove_handle(multi, t->curl.get());
            }
        }
    } detach{m, transfers};

    for (size_t index : indices) {
        auto transfer = std::make_unique<Transfer>(urls[index].str(), options_.timeout);
        if (!transfer->curl) {
            answers[index] = std::unexpected(CheckFailure::invalid());
            continue;
        }
        transfer->index = index;
        transfer->maxBodyBytes = options_.maxBodyBytes;
        CURL* h = transfer->curl.get();
        // Catalogs and feeds are read where they are: redirects are not followed.
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        if (!options_.userAgent.empty()) {
            curl_easy_setopt(h, CURLOPT_USERAGENT, options_.userAgent.c_str());
        }
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
        // libcurl loads a bundle of authorities once for all the connections of a multi
        // handle, but only when no folder of them is set; with a folder every connection
        // reads the whole bundle again (25 ms of CPU for the system's). A named bundle
        // replaces the system's folder too, and the system's bundle holds what its
        // folder does.
        if (!options_.caFile.empty()) {
            curl_easy_setopt(h, CURLOPT_CAINFO, options_.caFile.c_str());
            curl_easy_setopt(h, CURLOPT_CAPATH, nullptr);
        } else if (systemBundleReadable(h)) {
            curl_easy_setopt(h, CURLOPT_CAPATH, nullptr);
        }
        if (sessions) {
            curl_easy_setopt(h, CURLOPT_SHARE, sessions.get());
        }
        // Whatever encodings this libcurl decodes; the size cap applies to the decoded bytes.
        curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &onBody);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, transfer.get());
        curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &onStart);
        curl_easy_setopt(h, CURLOPT_PREREQDATA, transfer.get());
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &onProgress);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, transfer.get());
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
        // The whole fetch, the wait for a free connection included.
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, deadline);
        curl_easy_setopt(h, CURLOPT_PRIVATE, transfer.get());
        if (curl_multi_add_handle(m, h) != CURLM_OK) {
            continue;
        }
        transfers.push_back(std::move(transfer));
    }

    std::stop_callback wake(stop, [m] { curl_multi_wakeup(m); });
    int running = static_cast<int>(transfers.size());
    while (running > 0) {
        if (curl_multi_perform(m, &running) != CURLM_OK) {
            break;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(m, &queued)) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            Transfer* done = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &done);
            if (done) {
                answers[done->index] = done->answer(message->data.result);
            }
        }
        if (running == 0 || stop.stop_requested() ||
            curl_multi_poll(m, nullptr, 0, kPollMs, nullptr) != CURLM_OK) {
            break;
        }
    }
}

} // namespace kestle
