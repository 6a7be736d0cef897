// A console reporter that also keeps the fastest real time of every benchmark, for ratio lines.
#pragma once

#include <algorithm>
#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

class FastestRunReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.aggregate_name == "min")
                fastest_[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    double Fastest(const std::string& name) const {
        auto found = fastest_.find(name);
        return found == fastest_.end() ? 0.0 : found->second;
    }

private:
    std::map<std::string, double> fastest_;
};

// One run per repetition, `repetitions` of them, reported as aggregates only, the fastest
// ("min") among them: on a shared machine the slower runs measure the neighbours.
inline void KeepFastest(benchmark::internal::Benchmark* benchmark, int repetitions) {
    benchmark->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(repetitions)
        ->ComputeStatistics(
            "min",
            [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ReportAggregatesOnly(true);
}

inline void RegisterFastestOf15(const char* name, void (*run)(benchmark::State&)) {
    KeepFastest(benchmark::RegisterBenchmark(name, run), 15);
}

// Runs the registered benchmarks as the command line selects, reporting to `collector`.
inline void RunBenchmarks(int& argc, char** argv, FastestRunReporter& collector) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
}
