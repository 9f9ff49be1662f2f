// Version::compare against glibc's strverscmp over the same typical pairs.
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "RatioReporter.hpp"
#include "feeds/Version.hpp"

namespace {

const std::vector<std::pair<std::string, std::string>>& pairs() {
    static const std::vector<std::pair<std::string, std::string>> values = {
        {"1.2.3", "1.2.4"},    {"10.0", "9.9.9"},   {"2024.12.1", "2024.12.1"},
        {"1.0b2", "1.0b10"},   {"1423", "1501"},    {"3.1", "3.1.0"},
        {"15.3.1", "14.0"},    {"1.10", "1.9"},     {"2.0.0", "2.0.0"},
        {"100", "99"},         {"5.4.12", "5.4.2"}, {"1.0", "1.0a"},
        {"26.1.0", "26.0.12"}, {"0.9.8", "0.10.0"}, {"4", "4.0.0.1"},
        {"7.12.3", "7.12.30"},
    };
    return values;
}

void BM_VersionCompare(benchmark::State& state) {
    const auto& values = pairs();
    for (auto _ : state) {
        for (const auto& [a, b] : values) {
            benchmark::DoNotOptimize(kestle::Version::compare(a, b));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_VersionCompare);

void BM_Strverscmp(benchmark::State& state) {
    const auto& values = pairs();
    for (auto _ : state) {
        for (const auto& [a, b] : values) {
            benchmark::DoNotOptimize(strverscmp(a.c_str(), b.c_str()));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_Strverscmp);

} // namespace

int main(int argc, char** argv) {
    kestle::bench::RatioReporter reporter;
    if (!kestle::bench::runBenchmarks(argc, argv, reporter)) {
        return 1;
    }
    reporter.printRatio("Version::compare vs strverscmp", "BM_VersionCompare", "BM_Strverscmp",
                        3.0);
    return 0;
}
