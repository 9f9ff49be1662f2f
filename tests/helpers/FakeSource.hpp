#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "check/KestleSource.hpp"

namespace kestle::test {

// An in-memory source: fixed answers per URL, request counts, optional delays.
class FakeSource final : public KestleSource {
public:
    using Answer = std::expected<std::string, CheckFailure>;

    Answer catalogAnswer = std::unexpected(CheckFailure::offline());
    std::map<std::string, Answer> feeds; // by URL text; others are offline
    std::map<std::string, std::chrono::milliseconds> delays;

    Answer catalog() const override {
        std::lock_guard lock(lock_);
        ++catalogRequests_;
        return catalogAnswer;
    }

    Answer feed(const Url& url) const override {
        if (auto delay = delays.find(url.str()); delay != delays.end()) {
            std::this_thread::sleep_for(delay->second);
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
