#pragma once
// A benchmark main that also prints, for named pairs, the ratio of a
// benchmark's time to its floor measured in the same run: the machine is
// shared and noisy, so only side-by-side ratios are meaningful.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kepbench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                // With --benchmark_repetitions the fastest run stands: what
                // the other users of the machine add is never negative.
                auto [it, fresh] = Times.try_emplace(r.benchmark_name(), r.GetAdjustedRealTime());
                if (!fresh)
                    it->second = std::min(it->second, r.GetAdjustedRealTime());
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times;
};

// pairs: {benchmark, floor}; names as Google Benchmark prints them.
inline int RunWithRatios(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& pairs)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (time / floor, same run):\n");
    for (const auto& [name, floor] : pairs) {
        auto a = reporter.Times.find(name), b = reporter.Times.find(floor);
        if (a == reporter.Times.end() || b == reporter.Times.end() || b->second <= 0)
            continue;
        std::printf("  %-40s / %-36s = %8.2f\n", name.c_str(), floor.c_str(), a->second / b->second);
    }
    benchmark::Shutdown();
    return 0;
}

} // namespace kepbench
