#pragma once

// A console reporter that also remembers each benchmark's time per iteration (CPU time
// unless told otherwise: steadier than wall time on a shared machine), so that a program
// can print its ratio to a baseline measured in the same run.

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace kestle::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // No colour codes: plain summary lines follow the table. Wall time instead of CPU
    // time where the work happens outside this process (a baseline run as a tool).
    explicit RatioReporter(bool wallTime = false) : ConsoleReporter(OO_None), wallTime_(wallTime) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred) {
                // The best of the repetitions: other load only ever adds time.
                double seconds =
                    (wallTime_ ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime()) /
                    benchmark::GetTimeUnitMultiplier(run.time_unit);
                auto [it, added] = seconds_.try_emplace(run.run_name.function_name, seconds);
                if (!added) {
                    it->second = std::min(it->second, seconds);
                }
            }
        }
    }

    // Seconds per iteration of the named benchmark (0 when it did not run).
    double seconds(const std::string& name) const {
        auto it = seconds_.find(name);
        return it == seconds_.end() ? 0 : it->second;
    }

    // Prints "label: ratio (limit)" and returns whether the ratio is within limit.
    bool printRatio(const std::string& label, const std::string& measured,
                    const std::string& baseline, double limit) const {
        double m = seconds(measured);
        double b = seconds(baseline);
        if (m <= 0 || b <= 0) {
            std::printf("%s: not measured\n", label.c_str());
            return false;
        }
        double ratio = m / b;
        std::printf("%s: %.2fx the baseline (target at most %.2fx): %s\n", label.c_str(), ratio,
                    limit, ratio <= limit ? "met" : "MISSED");
        return ratio <= limit;
    }

private:
    bool wallTime_ = false;
    std::map<std::string, double> seconds_;
};

// Runs the registered benchmarks through reporter; false when the flags were bad.
// Unless told otherwise, each benchmark runs five times, interleaved with the
// others, so that a baseline and its rival see the same background load.
inline bool runBenchmarks(int argc, char** argv, RatioReporter& reporter) {
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=5";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string noAggregates = "--benchmark_report_aggregates_only=false";
    bool chosen = false;
    for (int i = 1; i < argc; ++i) {
        chosen = chosen || std::string(argv[i]).starts_with("--benchmark_repetitions");
    }
    if (!chosen) {
        args.insert(args.begin() + 1, {repetitions.data(), interleave.data(), noAggregates.data()});
    }
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return false;
    }
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::fflush(stdout);
    return true;
}

} // namespace kestle::bench
