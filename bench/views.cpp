// The planet view over a database of 100,000 planets: opening it and painting
// its first screen (1920 x 1080) against a raw sqlite3 step loop over the same
// query plus a direct QPainter paint of the same visible cells; and a title
// click's sort against a stable sort of the rows' order by the same values
// already in memory. The ratios are printed at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "app/TeskStartUp.h"
#include "app/uMain.h"
#include "app/uProgram.h"
#include "bench/BenchSupport.h"
#include "data/uDatamodule.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/gui/Platform.h"
#include "platform/gui/Services.h"

namespace {

// One value read as its own type; the bytes of a text, else 8.
size_t ReadValue(sqlite3_stmt* St, int Column) {
    switch (sqlite3_column_type(St, Column)) {
        case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_int64(St, Column)); return 8;
        case SQLITE_FLOAT: benchmark::DoNotOptimize(sqlite3_column_double(St, Column)); return 8;
        case SQLITE_NULL: return 0;
        default: sqlite3_column_text(St, Column); return static_cast<size_t>(sqlite3_column_bytes(St, Column));
    }
}

constexpr int kPlanets = 100000;
constexpr int kPlayers = 5000;
constexpr int kWidth = 1920, kHeight = 1080;
namespace fs = std::filesystem;

const char* const kViewSql =
    "select * from tblplanet, tblplayer, tblalliance "
    "where (tblplanet.playerid=tblplayer.id) and (tblplayer.allianceid=tblalliance.id)";

const fs::path& Folder() {
    static fs::path dir = fs::temp_directory_path() / ("tesk-bench-views-" + std::to_string(getpid()));
    return dir;
}
std::string Database() { return (Folder() / "Tesk.mdb").string(); }

// The schema, 100 alliances, 5,000 players and 100,000 planets with scan
// times, resources, fleets and ratings spread over their ranges.
void MakeDatabase() {
    fs::create_directories(Folder());
    sqlite3* db = MakeProgramFolder(Folder().string(), Database());
    std::string players =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kPlayers) +
        ") INSERT INTO tblPlayer(ID, Name, AllianceID, Inactive, Noob, Strong, Banned, Vacation, LongInactive) "
        "SELECT i, 'Player ' || i, 1 + i % 100, i % 7 = 0, i % 11 = 0, i % 13 = 0, i % 17 = 0, 0, 0 FROM n;";
    sqlite3_exec(db, players.c_str(), nullptr, nullptr, nullptr);
    std::string planets =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kPlanets) +
        ") INSERT INTO tblPlanet(GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, LastScanned, "
        "Metal, Crystal, Deuterium, Energy, TotalResources, LightFighter, HeavyFighter, Cruiser, BattleShip, "
        "MissileLauncher, SmallLaser, AssaultPower, DefencePower, Rating, NumberOfAttacks) "
        "SELECT 1 + i % 9, 1 + (i / 9) % 499, 1 + (i / 4491) % 15, 0, 'Colony ' || i, 1 + i % " +
        std::to_string(kPlayers) +
        ", datetime('2026-07-01', '+' || (i % 40) || ' days'), (i * 7919) % 500000, (i * 104729) % 300000, "
        "(i * 1299709) % 100000, i % 3000, (i * 7919) % 900000, i % 400, i % 120, i % 90, i % 70, i % 300, "
        "i % 200, (i * 31) % 400000, (i * 17) % 90000, i % 5, 0 FROM n;";
    sqlite3_exec(db, planets.c_str(), nullptr, nullptr, nullptr);
    CommitAndClose(db);
}

// The data module and the main window on that database, the planet view shown.
struct TViewsBench {
    TfrmMain* Window = nullptr;
    TBitmap* Target = nullptr;
    TViewsBench() {
        SetProgramFolderForTests(Folder().string() + "/");
        dmMain = new TdmMain(nullptr);
        Window = CreateForm<TfrmMain>(nullptr);
        frmMain = Window;
        Window->SetBounds(0, 0, kWidth, kHeight);
        Window->Show();
        Window->pcMain->SetActivePage(Window->tsViewSpyReports);
        Window->pcMainChange(nullptr);
        Target = new TBitmap();
        Target->SetSize(Window->grdPlanet->Width(), Window->grdPlanet->Height());
    }
    void Paint() { Window->grdPlanet->Perform(WM_PAINT, reinterpret_cast<WPARAM>(Target->Canvas()->Handle()), 0); }
    TColumnGx* Column(const char* FieldName) {
        TDBGridGx* g = Window->grdPlanet;
        for (int i = 0; i < g->Columns()->Count(); ++i)
            if (SameText(g->Columns()->Items(i)->FieldName(), FieldName)) return g->Columns()->Items(i);
        return nullptr;
    }
};

TViewsBench& Bench() {
    static TViewsBench* bench = new TViewsBench();
    return *bench;
}

// Leaving the page closes the view; coming back opens it and paints.
void BM_OpenPlanetViewAndPaint(benchmark::State& state) {
    TViewsBench& b = Bench();
    for (auto _ : state) {
        b.Window->pcMain->SetActivePage(b.Window->tsCalculatePower);
        b.Window->pcMainChange(nullptr);
        b.Window->pcMain->SetActivePage(b.Window->tsViewSpyReports);
        b.Window->pcMainChange(nullptr);
        b.Paint();
    }
    state.counters["rows"] = dmMain->viewPlanet->RecordCount();
}

// Every value of every row read by a step loop (as its own type; the rows
// shown as text), then the visible cells
// (sizes taken from the grid) filled and written with QPainter.
void BM_StepLoopAndQPainter(benchmark::State& state) {
    TViewsBench& b = Bench();
    TDBGridGx* g = b.Window->grdPlanet;
    std::vector<int> widths, heights;
    for (int c = 0; c < g->ColCount(); ++c) widths.push_back(g->ColWidths(c));
    for (int r = 0; r < g->RowCount(); ++r) heights.push_back(g->RowHeights(r));
    QImage image(g->Width(), g->Height(), QImage::Format_ARGB32_Premultiplied);
    QFont font("Liberation Sans");
    font.setPixelSize(11);
    sqlite3* db = nullptr;
    sqlite3_open_v2(Database().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, kViewSql, -1, &st, nullptr);
        const int columns = sqlite3_column_count(st);
        std::vector<std::vector<std::string>> shown;
        size_t bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            const bool keep = shown.size() + 1 < heights.size();
            if (keep) shown.emplace_back();
            for (int c = 0; c < columns; ++c) {
                if (!keep) {
                    bytes += ReadValue(st, c);
                    continue;
                }
                const unsigned char* text = sqlite3_column_text(st, c);
                shown.back().emplace_back(text ? reinterpret_cast<const char*>(text) : "");
            }
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(bytes);
        QPainter p(&image);
        p.setFont(font);
        int y = 0;
        for (size_t r = 0; r < heights.size() && y < image.height(); ++r) {
            int x = 0;
            for (size_t c = 0; c < widths.size() && x < image.width(); ++c) {
                QRect cell(x, y, widths[c], heights[r]);
                p.fillRect(cell, r == 0 || c == 0 ? QColor(192, 192, 192) : QColor(255, 255, 255));
                if (r > 0 && c > 0 && r - 1 < shown.size() && c - 1 < shown[r - 1].size()) {
                    const std::string& text = shown[r - 1][c - 1];
                    p.drawText(cell.adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop,
                               QString::fromUtf8(text.data(), static_cast<int>(text.size())));
                }
                x += widths[c] + 1;
            }
            y += heights[r] + 1;
        }
    }
    sqlite3_close(db);
}

// A click on the Metal title: ascending, then descending, and so on.
void BM_TitleClickSort(benchmark::State& state) {
    TViewsBench& b = Bench();
    TColumnGx* metal = b.Column("Metal");
    for (auto _ : state) b.Window->grdPlanetTitleClick(metal);
}

// The peer of a title click: the view's rows already in memory, their order
// stable-sorted by the Metal values (ascending, then descending, and so on).
void BM_StableSortRowOrder(benchmark::State& state) {
    std::vector<int64_t> metal;
    sqlite3* db = nullptr;
    sqlite3_open_v2(Database().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, (std::string("select tblplanet.Metal from") + (std::strstr(kViewSql, " from") + 5)).c_str(),
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        metal.push_back(sqlite3_column_type(st, 0) == SQLITE_NULL ? INT64_MIN : sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    std::vector<uint32_t> order(metal.size());
    bool descending = false;
    for (auto _ : state) {
        std::iota(order.begin(), order.end(), 0u);
        if (descending)
            std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return metal[b] < metal[a]; });
        else
            std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return metal[a] < metal[b]; });
        descending = !descending;
        benchmark::DoNotOptimize(order.data());
    }
    state.counters["rows"] = static_cast<double>(metal.size());
}

BENCHMARK(BM_StepLoopAndQPainter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPlanetViewAndPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StableSortRowOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TitleClickSort)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenDisplay();
    benchmark::Initialize(&argc, argv);
    StartTesk(argc, argv);
    PrepareProgram();
    MakeDatabase();
    std::printf("Planets: %d, rows in the view: %d, columns shown: %d, rows shown: %d\n", kPlanets,
                Bench().Window->grdPlanet->DataSource()->DataSet()->RecordCount(),
                Bench().Window->grdPlanet->ColCount() - 1, Bench().Window->grdPlanet->RowCount() - 1);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (time / reference time, %d planets):\n", kPlanets);
    reporter.PrintRatio("BM_OpenPlanetViewAndPaint", "BM_StepLoopAndQPainter", "goal: at most 2", 26);
    reporter.PrintRatio("BM_TitleClickSort", "BM_StableSortRowOrder", "goal: at most 1.5", 26);
    benchmark::Shutdown();
    FreeObject(Bench().Window);
    FreeObject(dmMain);
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    return 0;
}
