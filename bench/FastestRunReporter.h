// A console reporter that also keeps the fastest real time of every benchmark, for ratio lines.
#pragma once

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
