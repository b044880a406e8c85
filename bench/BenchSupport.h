#pragma once
// What the benchmarks share: a reporter that keeps each benchmark's time per
// iteration, so that a run can print its ratios against the reference it ran with.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred) times[r.benchmark_name()] = r.GetAdjustedRealTime();
    }

    // Prints "a / b = ratio   (goal)" when both ran; answers the ratio, or -1.
    double PrintRatio(const std::string& a, const std::string& b, const char* goal, int nameWidth = 24) const {
        auto ia = times.find(a), ib = times.find(b);
        if (ia == times.end() || ib == times.end() || ib->second <= 0) return -1;
        double ratio = ia->second / ib->second;
        std::printf("%-*s / %-*s = %5.2f   (%s)\n", nameWidth, a.c_str(), nameWidth, b.c_str(), ratio, goal);
        return ratio;
    }

    std::map<std::string, double> times;
};
