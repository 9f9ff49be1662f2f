#include "check/KestleSource.hpp"

#include <algorithm>
#include <atomic>
#include <thread>

namespace kestle {

std::vector<std::expected<std::string, CheckFailure>>
KestleSource::feeds(const std::vector<Url>& urls, std::stop_token stop) const {
    std::vector<std::expected<std::string, CheckFailure>> answers(
        urls.size(), std::unexpected(CheckFailure::offline()));
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < urls.size(); i = next++) {
            try {
                answers[i] = feed(urls[i], stop);
            } catch (...) {
                // A source that throws, or bytes too big to hold, are unusable bytes.
                answers[i] = std::unexpected(CheckFailure::invalid());
            }
        }
    };
    {
        std::vector<std::jthread> workers;
        const size_t count = std::min(parallelFeeds, urls.size());
        for (size_t i = 1; i < count; ++i) {
            try {
                workers.emplace_back(work);
            } catch (...) {
                break; // out of threads: the others and this one share the work
            }
        }
        work();
    } // joins
    return answers;
}

} // namespace kestle
