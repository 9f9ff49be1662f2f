#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <stop_token>
#include <string>

#include "check/KestleSource.hpp"

namespace kestle::test {

// An in-memory source: fixed answers per URL, request counts, optional delays (cut
// short by a stop request, which then answers offline) and URLs whose fetch throws.
class FakeSource final : public KestleSource {
public:
    using Answer = std::expected<std::string, CheckFailure>;

    Answer catalogAnswer = std::unexpected(CheckFailure::offline());
    std::map<std::string, Answer> feeds; // by URL text; others are offline
    std::map<std::string, std::chrono::milliseconds> delays;
    std::set<std::string> throwing;

    Answer catalog(std::stop_token = {}) const override {
        std::lock_guard lock(lock_);
        ++catalogRequests_;
        return catalogAnswer;
    }

    Answer feed(const Url& url, std::stop_token stop = {}) const override {
        if (auto delay = delays.find(url.str()); delay != delays.end()) {
            std::unique_lock lock(lock_);
            std::condition_variable_any woken;
            woken.wait_for(lock, stop, delay->second, [] { return false; });
            if (stop.stop_requested()) {
                return std::unexpected(CheckFailure::offline());
            }
        }
        if (throwing.contains(url.str())) {
            throw std::runtime_error("source failed");
        }
        std::lock_guard lock(lock_);
        ++feedRequests_[url.str()];
        auto it = feeds.find(url.str());
        return it == feeds.end() ? Answer(std::unexpected(CheckFailure::offline())) : it->second;
    }

    int feedRequests(const std::string& url) const {
        std::lock_guard lock(lock_);
        auto it = feedRequests_.find(url);
        return it == feedRequests_.end() ? 0 : it->second;
    }
    int totalFeedRequests() const {
        std::lock_guard lock(lock_);
        int total = 0;
        for (const auto& [url, count] : feedRequests_) {
            total += count;
        }
        return total;
    }

private:
    mutable std::mutex lock_;
    mutable int catalogRequests_ = 0;
    mutable std::map<std::string, int> feedRequests_;
};

} // namespace kestle::test
