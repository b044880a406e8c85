#pragma once
// What the benchmarks share: a reporter that keeps each benchmark's time per
// iteration, so that a run can print its ratios against the reference it ran with,
// the offscreen display of the benchmarks that show windows, and reading a
// fixture file whole.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // A benchmark's time (and each of its counters) is the median of its
    // repetitions: the reported median aggregate when there is one (also when
    // only aggregates are reported), else the median of the repetitions seen
    // so far.
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.error_occurred) continue;
            const std::string name = NameOf(r);
            if (r.run_type == Run::RT_Aggregate) {
                if (r.aggregate_name != "median") continue;
                times[name] = r.GetAdjustedRealTime();
                for (const auto& [counter, value] : r.counters) counters_[name][counter] = value.value;
                fromAggregate_.insert(name);
            } else if (!fromAggregate_.count(name)) {
                times[name] = Median(samples_[name], r.GetAdjustedRealTime());
                for (const auto& [counter, value] : r.counters)
                    counters_[name][counter] = Median(counterSamples_[name][counter], value.value);
            }
        }
    }

    // The median of a counter over a benchmark's repetitions, or -1 when it has none.
    double CounterOf(const std::string& name, const std::string& counter) const {
        auto b = counters_.find(name);
        if (b == counters_.end()) return -1;
        auto c = b->second.find(counter);
        return c == b->second.end() ? -1 : c->second;
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

private:
    // The name without its repetition count and time settings, so that every
    // run of a benchmark has one key: its function and arguments.
    static std::string NameOf(const Run& r) {
        benchmark::BenchmarkName name = r.run_name;
        name.repetitions.clear();
        name.min_time.clear();
        name.min_warmup_time.clear();
        return name.str();
    }
    // Adds a sample and answers the median of all so far.
    static double Median(std::vector<double>& samples, double sample) {
        samples.push_back(sample);
        std::vector<double> sorted = samples;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    std::map<std::string, std::vector<double>> samples_;
    std::map<std::string, std::map<std::string, std::vector<double>>> counterSamples_;
    std::map<std::string, std::map<std::string, double>> counters_;
    std::set<std::string> fromAggregate_;
};

// A whole file's bytes (empty when it cannot be read).
inline std::string ReadFile(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A program folder as a start finds it: the shipped English language file, a
// Tesk.ini that chooses it, and a database of the shipped schema with 100
// alliances (the first the "<none>" one). Answers the database open inside a
// transaction for the caller's own rows; CommitAndClose ends it.
inline sqlite3* MakeProgramFolder(const std::string& Folder, const std::string& Database) {
    std::ofstream(Folder + "/English.lng", std::ios::binary)
        << ReadFile(std::string(TESK_SOURCE_DIR) + "/resources/lang/English.lng");
    std::ofstream(Folder + "/Tesk.ini", std::ios::binary) << "[General]\r\nActiveLanguage=English\r\n";
    sqlite3* db = nullptr;
    sqlite3_open(Database.c_str(), &db);
    sqlite3_exec(db, ReadFile(std::string(TESK_SOURCE_DIR) + "/resources/schema.sql").c_str(), nullptr, nullptr,
                 nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
                 "INSERT INTO tblAlliance(ID, Name) SELECT i, CASE i WHEN 1 THEN '<none>' ELSE 'Ally ' || i END FROM n;",
                 nullptr, nullptr, nullptr);
    return db;
}

inline void CommitAndClose(sqlite3* db) {
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// Windows draw offscreen unless a platform is named; the display wants a
// private runtime folder, made when the environment names none.
inline void UseOffscreenDisplay() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!getenv("XDG_RUNTIME_DIR")) {
        std::string runtime = "/tmp/tesk-bench-runtime-" + std::to_string(getuid());
        mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
}
