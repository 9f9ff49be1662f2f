#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "helpers/LoopbackServer.hpp"

namespace kestle::test {

// A file served the way a resumable download meets it: an ETag, "Range: bytes=N-"
// honoured while If-Range (when sent) names the current ETag, a whole 200 otherwise.
// It counts the body bytes it sends, and can be told to drop the connection at an
// offset or to misstate where a range starts. Settings may change between requests.
class RangedFile : public std::enable_shared_from_this<RangedFile> {
public:
    // The bytes at [offset, offset + length) of a file of size bytes.
    using Bytes = std::function<std::string(uint64_t offset, size_t length)>;

    struct Settings {
        uint64_t size = 0;
        Bytes bytes;
        std::string etag = "\"v1\"";   // empty: none sent
        bool ranges = true;            // false: every request is answered whole
        std::optional<uint64_t> cutAt; // the connection drops when the file reaches it
        int64_t misstate = 0;          // a 206 claims to start this far off
        int64_t misstateEnd = 0;       // and to end this far off
    };

    static std::shared_ptr<RangedFile> of(const std::string& body) {
        auto file = std::make_shared<RangedFile>();
        file->settings.size = body.size();
        file->settings.bytes = [body](uint64_t offset, size_t length) {
            return body.substr(offset, length);
        };
        return file;
    }

    void serve(LoopbackServer& server, const std::string& path) {
        server.route(
            path, [self = shared_from_this()](const httplib::Request& req, httplib::Response& res) {
                self->answer(req, res);
            });
    }

    // Changed only while no request is answered.
    Settings settings;

    uint64_t sent() const { return sent_.load(); }
    void resetSent() { sent_ = 0; }
    // What the latest request asked for ("" when it sent no Range).
    std::string lastRange() const {
        std::lock_guard lock(mutex_);
        return lastRange_;
    }
    std::string lastIfRange() const {
        std::lock_guard lock(mutex_);
        return lastIfRange_;
    }

private:
    void answer(const httplib::Request& req, httplib::Response& res) {
        // httplib slices any answer to a Range request on its own; this route answers
        // ranges (or declines to) itself.
        const_cast<httplib::Request&>(req).ranges.clear();
        const Settings s = settings;
        const std::string range = req.get_header_value("Range");
        const std::string ifRange = req.get_header_value("If-Range");
        {
            std::lock_guard lock(mutex_);
            lastRange_ = range;
            lastIfRange_ = ifRange;
        }
        uint64_t start = 0;
        const bool partial = s.ranges && range.starts_with("bytes=") &&
                             (!req.has_header("If-Range") || ifRange == s.etag);
        if (partial) {
            start = std::stoull(range.substr(6));
            if (start >= s.size) {
                res.status = 416;
                res.set_header("Content-Range", "bytes */" + std::to_string(s.size));
                return;
            }
            res.status = 206;
            const int64_t claimed = static_cast<int64_t>(start) + s.misstate;
            res.set_header("Content-Range",
                           "bytes " + std::to_string(claimed) + "-" +
                               std::to_string(static_cast<int64_t>(s.size) - 1 + s.misstateEnd) +
                               "/" + std::to_string(s.size));
        } else {
            res.status = 200;
        }
        if (!s.etag.empty()) {
            res.set_header("ETag", s.etag);
        }
        const uint64_t end = std::min(s.size, s.cutAt.value_or(s.size));
        res.set_content_provider(
            s.size - start, "application/octet-stream",
            [self = shared_from_this(), s, start, end](size_t offset, size_t length,
                                                       httplib::DataSink& sink) {
                const uint64_t at = start + offset;
                if (at >= end) {
                    return false;
                }
                const size_t n = static_cast<size_t>(std::min<uint64_t>(
                    {static_cast<uint64_t>(length), end - at, uint64_t{1} << 20}));
                const std::string chunk = s.bytes(at, n);
                // Counted first: the client may have read it all before write returns.
                self->sent_ += n;
                return sink.write(chunk.data(), chunk.size());
            });
    }

    mutable std::mutex mutex_;
    std::string lastRange_;
    std::string lastIfRange_;
    std::atomic<uint64_t> sent_{0};
};

} // namespace kestle::test
