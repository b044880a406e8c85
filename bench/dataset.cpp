// Data sets over a planet-like table of 100,000 rows and 70 columns: opening
// (fetching every row), sorting by two columns, filtering and Locate, against a
// plain sqlite3 step loop that reads the same rows into column arrays over a
// connection opened as ours is, in the same run. The ratios (of the medians
// when repeated) are printed at the end, the heap bytes per row beside each open.
#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/db/AdoDataSets.h"

namespace {

constexpr int kRows = 100000;
constexpr int kIntColumns = 61;  // with the 9 below: 70 columns

std::string ColumnName(int i) {
    static const char* named[] = {"Metal", "Crystal", "Deuterium", "Energy", "Rating", "NumberOfAttacks"};
    if (i < 6) return named[i];
    return "Unit" + std::to_string(i);
}

// Builds the file once per process.
const std::string& DatabasePath() {
    static std::string path = [] {
        auto dir = std::filesystem::temp_directory_path() / ("tesk-bench-dataset-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        std::string p = (dir / "planets.mdb").string();
        sqlite3* db = nullptr;
        sqlite3_open(p.c_str(), &db);
        std::string ddl =
            "CREATE TABLE tblPlanet (ID INTEGER PRIMARY KEY AUTOINCREMENT, GalaxyID INT, SolarsystemID INT, "
            "PlanetID INT, IsMoon BYTE, PlanetName TEXT(50), LastScanned DATETIME, PlayerID INT, Report MEMO";
        for (int i = 0; i < kIntColumns; ++i) ddl += ", " + ColumnName(i) + " INT";
        ddl += ")";
        sqlite3_exec(db, ddl.c_str(), nullptr, nullptr, nullptr);
        std::string insert = "INSERT INTO tblPlanet VALUES (NULL";
        for (int i = 1; i < 9 + kIntColumns; ++i) insert += ",?";
        insert += ")";
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        std::mt19937 rng(42);
        const std::string report(300, 'r');
        for (int r = 0; r < kRows; ++r) {
            sqlite3_bind_int(stmt, 1, r / 7500 + 1);
            sqlite3_bind_int(stmt, 2, (r / 15) % 499 + 1);
            sqlite3_bind_int(stmt, 3, r % 15 + 1);
            sqlite3_bind_int(stmt, 4, r % 11 == 0);
            std::string name = r % 10 == 0 ? "\xD0\x9F\xD0\xBB\xD0\xB0\xD0\xBD\xD0\xB5\xD1\x82\xD0\xB0 " : "Planet ";
            name += std::to_string(r);
            sqlite3_bind_text(stmt, 5, name.c_str(), -1, SQLITE_TRANSIENT);
            char date[32];
            std::snprintf(date, sizeof date, "2024-%02d-%02d %02d:%02d:00", static_cast<int>(rng() % 12 + 1),
                          static_cast<int>(rng() % 28 + 1), static_cast<int>(rng() % 24), static_cast<int>(rng() % 60));
            sqlite3_bind_text(stmt, 6, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(stmt, 7, static_cast<int>(rng() % 5000));
            if (r % 4 == 0)
                sqlite3_bind_text(stmt, 8, report.c_str(), -1, SQLITE_STATIC);
            else
                sqlite3_bind_null(stmt, 8);
            for (int i = 0; i < kIntColumns; ++i) {
                if (rng() % 8 == 0)
                    sqlite3_bind_null(stmt, 9 + i);
                else
                    sqlite3_bind_int(stmt, 9 + i, static_cast<int>(rng() % 100000));
            }
            sqlite3_step(stmt);
            sqlite3_reset(stmt);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return p;
    }();
    return path;
}

// Bytes the program holds on the heap now.
size_t HeapInUse() { return mallinfo2().uordblks; }

struct Fixture {
    Fixture() {
        owner = new TComponent(nullptr);
        conn = new TADOConnection(owner);
        conn->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + DatabasePath());
        query = new TADOQuery(owner);
        query->SetConnection(conn);
        query->SQL()->Add("select * from tblPlanet");
    }
    ~Fixture() { FreeObject(owner); }
    TComponent* owner;
    TADOConnection* conn;
    TADOQuery* query;
};

// What a data set keeps of a row, the plain way: each column's values in an
// array of its declared kind, with a null flag per value.
struct RawColumn {
    enum Kind { kInt, kReal, kText } kind = kText;
    std::vector<int64_t> ints;
    std::vector<double> reals;
    std::vector<std::string> texts;
    std::vector<uint8_t> nulls;
};

RawColumn::Kind KindOf(const char* declared) {
    const std::string d = declared ? declared : "";
    if (d.find("INT") != std::string::npos || d == "BYTE") return RawColumn::kInt;
    if (d.find("REAL") != std::string::npos || d.find("FLOA") != std::string::npos) return RawColumn::kReal;
    return RawColumn::kText;
}

// The reference for opening: a connection opened with the same flags as ours
// (one thread, no engine locking), every row stepped through and stored.
void BM_RawStepLoop(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    size_t before = HeapInUse();
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "select * from tblPlanet", -1, &stmt, nullptr);
        const int n = sqlite3_column_count(stmt);
        std::vector<RawColumn> columns(static_cast<size_t>(n));
        for (int c = 0; c < n; ++c) columns[static_cast<size_t>(c)].kind = KindOf(sqlite3_column_decltype(stmt, c));
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < n; ++c) {
                RawColumn& col = columns[static_cast<size_t>(c)];
                const bool null = sqlite3_column_type(stmt, c) == SQLITE_NULL;
                col.nulls.push_back(null);
                switch (col.kind) {
                    case RawColumn::kInt: col.ints.push_back(null ? 0 : sqlite3_column_int64(stmt, c)); break;
                    case RawColumn::kReal: col.reals.push_back(null ? 0 : sqlite3_column_double(stmt, c)); break;
                    case RawColumn::kText: {
                        const char* text = null ? nullptr : reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                        col.texts.emplace_back(text ? text : "", text ? static_cast<size_t>(sqlite3_column_bytes(stmt, c)) : 0);
                        break;
                    }
                }
            }
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(columns.data());
        if (columns.empty() || columns[0].nulls.size() != static_cast<size_t>(kRows)) state.SkipWithError("wrong row count");
        state.PauseTiming();
        state.counters["bytes/row"] = static_cast<double>(HeapInUse() - before) / kRows;
        columns.clear();
        columns.shrink_to_fit();
        before = HeapInUse();
        state.ResumeTiming();
    }
    sqlite3_close(db);
}

void BM_Open(benchmark::State& state) {
    Fixture f;
    size_t before = HeapInUse();
    for (auto _ : state) {
        f.query->Open();
        state.PauseTiming();
        if (f.query->RecordCount() != kRows) state.SkipWithError("wrong row count");
        state.counters["bytes/row"] = static_cast<double>(HeapInUse() - before) / kRows;
        f.query->Close();
        before = HeapInUse();
        state.ResumeTiming();
    }
}

void BM_SortTwoColumns(benchmark::State& state) {
    Fixture f;
    f.query->Open();
    bool flip = false;
    for (auto _ : state) {
        f.query->SetSort(flip ? "GalaxyID DESC, PlanetName" : "Metal, LastScanned DESC");
        flip = !flip;
    }
}

void BM_Filter(benchmark::State& state) {
    Fixture f;
    f.query->Open();
    f.query->SetFiltered(true);
    bool flip = false;
    for (auto _ : state) {
        f.query->SetFilter(flip ? "(Metal > 50000) AND (LastScanned > 3/8/2024)"
                                : "(PlanetName LIKE '*77*') OR (Crystal < 1000)");
        flip = !flip;
    }
}

void BM_Locate(benchmark::State& state) {
    Fixture f;
    f.query->Open();
    bool flip = false;
    for (auto _ : state) {
        bool found = f.query->Locate("PlanetName", flip ? "planet 99999" : "PLANET 98765", {loCaseInsensitive});
        if (!found) state.SkipWithError("not found");
        flip = !flip;
    }
}

BENCHMARK(BM_RawStepLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortTwoColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Filter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Locate)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    DatabasePath();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const std::string& a, const std::string& b, const char* goal) {
        reporter.PrintRatio(a, b, goal, 20);
    };
    std::printf("\nRatios (time / reference time, %d rows of %d columns):\n", kRows, 9 + kIntColumns);
    ratio("BM_Open", "BM_RawStepLoop", "goal: at most 1.5; bytes/row beside each");
    ratio("BM_SortTwoColumns", "BM_Open", "goal: below 1");
    ratio("BM_Filter", "BM_Open", "goal: below 1");
    ratio("BM_Locate", "BM_Open", "goal: below 1");
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(DatabasePath()).parent_path(), ec);
    return 0;
}
