#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

namespace kestle::test {

// What an https server presents: its certificate (chain) and private key, as PEM files.
struct TlsFiles {
    std::filesystem::path certificate;
    std::filesystem::path key;
};

// An HTTP server on 127.0.0.1 that a test starts for itself and scripts per path:
// fixed bodies, any status, redirects, bodies cut short or paused, stalls, endless and
// generated bodies. Given TLS files it speaks https instead, with the same routes.
// It counts and records every request, so a test can also assert that none was made.
//
// Routes may be added while the server runs. Everything that waits (stalls, latency,
// endless bodies) ends when the server stops, so the destructor never hangs.
class LoopbackServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    // Any address of 127.0.0.0/8 is this machine: a second one stands for another host.
    explicit LoopbackServer(std::string host = "127.0.0.1") : host_(std::move(host)) {
        open(std::make_unique<Listener<httplib::Server>>());
    }

    explicit LoopbackServer(const TlsFiles& tls, std::string host = "127.0.0.1")
        : host_(std::move(host)), scheme_("https") {
        auto server = std::make_unique<Listener<httplib::SSLServer>>(tls.certificate.c_str(),
                                                                     tls.key.c_str());
        if (!server->is_valid()) {
            throw std::runtime_error("LoopbackServer: cannot load " + tls.certificate.string());
        }
        open(std::move(server));
    }

    ~LoopbackServer() { halt(); }

    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return port_; }
    std::string url(std::string_view path) const {
        return scheme_ + "://" + host_ + ":" + std::to_string(port_) + std::string(path);
    }

    // --- routes (GET; an unknown path answers 404) ---

    void route(const std::string& path, Handler handler) {
        std::lock_guard lock(mutex_);
        routes_[path] = std::move(handler);
    }

    void serve(const std::string& path, std::string body,
               std::string contentType = "application/octet-stream") {
        respond(path, 200, std::move(body), std::move(contentType));
    }

    void respond(const std::string& path, int status, std::string body = {},
                 std::string contentType = "text/plain") {
        route(path, [status, body = std::move(body),
                     contentType = std::move(contentType)](const auto&, auto& res) {
            res.status = status;
            if (!body.empty()) {
                res.set_content(body, contentType);
            }
        });
    }

    void redirect(const std::string& path, const std::string& location, int status = 301) {
        route(path, [location, status](const auto&, auto& res) {
            res.status = status;
            res.set_header("Location", location);
        });
    }

    // Announces the full length of body but sends only its first `sent` bytes, then
    // drops the connection.
    void cutShort(const std::string& path, std::string body, size_t sent) {
        // Shared: the provider runs after the handler (and its copy of the route) returned.
        auto bytes = std::make_shared<const std::string>(std::move(body));
        route(path, [bytes, sent](const auto&, auto& res) {
            res.set_content_provider(bytes->size(), "application/octet-stream",
                                     [bytes, sent](size_t offset, size_t, httplib::DataSink& sink) {
                                         if (offset >= sent) {
                                             return false;
                                         }
                                         return sink.write(bytes->data() + offset, sent - offset);
                                     });
        });
    }

    // Announces the full length of body, sends its first `sent` bytes, then sends nothing
    // for `delay` (or until the server stops) before the rest.
    void pauseMidway(const std::string& path, std::string body, size_t sent,
                     std::chrono::milliseconds delay) {
        auto bytes = std::make_shared<const std::string>(std::move(body));
        route(path, [this, bytes, sent, delay](const auto&, auto& res) {
            res.set_content_provider(
                bytes->size(), "application/octet-stream",
                [this, bytes, sent, delay](size_t offset, size_t, httplib::DataSink& sink) {
                    if (offset >= sent) {
                        pause(delay);
                        return !stopping_ &&
                               sink.write(bytes->data() + offset, bytes->size() - offset);
                    }
                    return sink.write(bytes->data() + offset, sent - offset);
                });
        });
    }

    // A 200 of `size` bytes made up as they are sent, so that a body of gigabytes costs
    // no memory; generatedBytes gives the same bytes for comparison.
    void serveGenerated(const std::string& path, uint64_t size) {
        route(path, [this, size](const auto&, auto& res) {
            res.set_content_provider(size, "application/octet-stream",
                                     [this](size_t offset, size_t length, httplib::DataSink& sink) {
                                         const std::string& block = generatedBlock();
                                         size_t start = offset % block.size();
                                         size_t count = std::min(length, block.size() - start);
                                         return !stopping_ &&
                                                sink.write(block.data() + start, count);
                                     });
        });
    }

    static std::string generatedBytes(uint64_t offset, size_t count) {
        const std::string& block = generatedBlock();
        std::string bytes;
        bytes.reserve(count);
        while (bytes.size() < count) {
            size_t start = (offset + bytes.size()) % block.size();
            bytes.append(block, start, std::min(count - bytes.size(), block.size() - start));
        }
        return bytes;
    }

    // Sends nothing at all for `delay` (or until the server stops), then answers.
    void stall(const std::string& path, std::chrono::milliseconds delay,
               std::string body = "late") {
        route(path, [this, delay, body = std::move(body)](const auto&, auto& res) {
            pause(delay);
            res.set_content(body, "application/octet-stream");
        });
    }

    // A 200 that sends one byte every `interval`, for ever (or until the server stops):
    // never idle long enough for an idle time-out.
    void trickle(const std::string& path, std::chrono::milliseconds interval) {
        route(path, [this, interval](const auto&, auto& res) {
            res.set_content_provider("application/octet-stream",
                                     [this, interval](size_t, httplib::DataSink& sink) {
                                         pause(interval);
                                         return !stopping_ && sink.write("x", 1);
                                     });
        });
    }

    // A 200 whose body never ends: it keeps writing until the client goes away.
    void endless(const std::string& path) {
        route(path, [this](const auto&, auto& res) {
            res.set_content_provider(
                "application/octet-stream", [this](size_t, httplib::DataSink& sink) {
                    static const std::string chunk(16 * 1024, 'x');
                    return !stopping_ && sink.write(chunk.data(), chunk.size());
                });
        });
    }

    // Every response waits this long first (for benchmarks).
    void setLatency(std::chrono::milliseconds latency) { latency_ = latency; }

    // --- what was asked ---

    size_t requestCount(const std::string& path) const {
        std::lock_guard lock(mutex_);
        auto it = counts_.find(path);
        return it == counts_.end() ? 0 : it->second;
    }

    size_t totalRequests() const {
        std::lock_guard lock(mutex_);
        size_t total = 0;
        for (const auto& [path, count] : counts_) {
            total += count;
        }
        return total;
    }

    // How many client connections sent requests, and the most requests handled at once.
    size_t connections() const {
        std::lock_guard lock(mutex_);
        return clients_.size();
    }
    int mostAtOnce() const { return mostAtOnce_.load(); }
    // Handshakes that resumed an earlier TLS session (none over plain http).
    size_t resumedSessions() const {
        auto* tls = dynamic_cast<httplib::SSLServer*>(server_.get());
        return tls ? static_cast<size_t>(SSL_CTX_sess_hits(tls->ssl_context())) : 0;
    }

    // The headers of the latest request to path.
    std::optional<httplib::Headers> lastHeaders(const std::string& path) const {
        std::lock_guard lock(mutex_);
        auto it = lastHeaders_.find(path);
        if (it == lastHeaders_.end()) {
            return std::nullopt;
        }
        return it->second;
    }

private:
    // httplib listens with a backlog of 5: a burst of parallel connects then loses SYNs
    // and each lost one costs the client a second before it retries.
    template <class Base> class Listener : public Base {
    public:
        using Base::Base;
        bool widenBacklog() { return ::listen(this->svr_sock_, SOMAXCONN) == 0; }
    };

    template <class Base> void open(std::unique_ptr<Listener<Base>> server) {
        // A proxy from the environment would carry loopback requests off the machine.
        static const bool direct = [] {
            ::setenv("no_proxy", "127.0.0.0/8,localhost", 1);
            ::setenv("NO_PROXY", "127.0.0.0/8,localhost", 1);
            return true;
        }();
        (void)direct;
        // Enough workers that many slow requests are all in flight at once.
        server->new_task_queue = [] { return new httplib::ThreadPool(64); };
        // An idle kept-alive connection would otherwise hold a worker for 5 s at stop.
        server->set_keep_alive_timeout(1);
        // As many requests per connection as a real server allows, so reuse shows.
        server->set_keep_alive_max_count(100);
        // As real servers do on kept-alive connections: otherwise a response written in
        // two pieces waits for the client's delayed acknowledgement (40 ms).
        server->set_tcp_nodelay(true);
        server->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            dispatch(req, res);
        });
        port_ = server->bind_to_any_port(host_);
        const bool bound = port_ > 0 && server->widenBacklog();
        server_ = std::move(server);
        if (!bound) {
            throw std::runtime_error("LoopbackServer: cannot bind " + host_);
        }
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        // stop() is a no-op until the accept loop runs, so wait for it.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!server_->is_running()) {
            if (std::chrono::steady_clock::now() > deadline) {
                halt();
                throw std::runtime_error("LoopbackServer: did not start");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void dispatch(const httplib::Request& req, httplib::Response& res) {
        Handler handler;
        {
            std::lock_guard lock(mutex_);
            ++counts_[req.path];
            lastHeaders_[req.path] = req.headers;
            clients_.insert(req.remote_port);
            if (auto it = routes_.find(req.path); it != routes_.end()) {
                handler = it->second;
            }
        }
        const int now = ++atOnce_;
        for (int most = mostAtOnce_.load();
             now > most && !mostAtOnce_.compare_exchange_weak(most, now);) {
        }
        if (auto latency = latency_.load(); latency.count() > 0) {
            pause(latency);
        }
        if (handler) {
            handler(req, res);
        } else {
            res.status = 404;
        }
        --atOnce_;
    }

    // A prime length, so that a block sent at the wrong offset shows in the bytes.
    static const std::string& generatedBlock() {
        static const std::string block = [] {
            std::string b(1'048'573, '\0');
            uint32_t x = 2463534242u;
            for (auto& c : b) {
                x ^= x << 13;
                x ^= x >> 17;
                x ^= x << 5;
                c = static_cast<char>(x);
            }
            return b;
        }();
        return block;
    }

    // Sleeps for delay, or less when the server is stopping.
    void pause(std::chrono::milliseconds delay) {
        std::unique_lock lock(mutex_);
        stopped_.wait_for(lock, delay, [this] { return stopping_.load(); });
    }

    void halt() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        stopped_.notify_all();
        if (server_) {
            server_->stop();
        }
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    std::string host_;
    std::string scheme_ = "http";
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::set<int> clients_;
    std::atomic<int> atOnce_{0};
    std::atomic<int> mostAtOnce_{0};

    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    std::atomic<bool> stopping_{false};
    std::atomic<std::chrono::milliseconds> latency_{std::chrono::milliseconds(0)};
    std::map<std::string, Handler> routes_;
    std::map<std::string, size_t> counts_;
    std::map<std::string, httplib::Headers> lastHeaders_;
};

// A loopback port that refuses connections: bound, so nothing else takes it, but not
// listening, so a connection attempt is answered with a reset.
class RefusingPort {
public:
    RefusingPort() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            if (fd_ >= 0) {
                ::close(fd_);
            }
            throw std::runtime_error("RefusingPort: cannot bind 127.0.0.1");
        }
        port_ = ntohs(address.sin_port);
    }
    ~RefusingPort() { ::close(fd_); }

    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    std::string url(std::string_view path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

} // namespace kestle::test
