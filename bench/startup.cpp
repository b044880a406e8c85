// Start-up to an answering main window over databases of 0, 5,000 and 20,000
// players: the data module and the window made, the window shown (its first
// show reads the settings and the language, opens the database, fills the
// player and alliance boxes) and the queued messages handled. The cost per
// player, the time above the empty database's divided by the players, should
// stay flat as the players grow.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/TeskStartUp.h"
#include "app/uMain.h"
#include "app/uProgram.h"
#include "bench/BenchSupport.h"
#include "data/uDatamodule.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Root() {
    static fs::path dir = fs::temp_directory_path() / ("tesk-bench-startup-" + std::to_string(getpid()));
    return dir;
}

// A program folder whose database holds Players players, named in no
// particular order, in 100 alliances.
std::string ProgramFolderWith(int Players) {
    static std::map<int, std::string> made;
    if (auto it = made.find(Players); it != made.end()) return it->second;
    const fs::path folder = Root() / std::to_string(Players);
    fs::create_directories(folder);
    sqlite3* db = MakeProgramFolder(folder.string(), (folder / "Tesk.mdb").string());
    const std::string players =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(Players) +
        ") INSERT INTO tblPlayer(ID, Name, AllianceID) SELECT i, 'Player ' || ((i * 7919) % 1000003), 1 + i % 100 "
        "FROM n;";
    if (Players > 0) sqlite3_exec(db, players.c_str(), nullptr, nullptr, nullptr);
    CommitAndClose(db);
    return made[Players] = folder.string() + "/";
}

// One start: made, shown and answering.
TfrmMain* Start() {
    dmMain = new TdmMain(nullptr);
    TfrmMain* window = CreateForm<TfrmMain>(nullptr);
    frmMain = window;
    window->Show();
    Application->ProcessMessages();
    return window;
}

// Freed without closing, so that nothing is saved and the next start finds
// the same files.
void Stop(TfrmMain* Window) {
    FreeObject(Window);
    frmMain = nullptr;
    FreeObject(dmMain);
    dmMain = nullptr;
}

// The starts of a user who has started before: one untimed first start
// writes the settings file's missing keys back.
void BM_StartUpToAnsweringWindow(benchmark::State& state) {
    const int players = static_cast<int>(state.range(0));
    SetProgramFolderForTests(ProgramFolderWith(players));
    Stop(Start());
    int listed = 0;
    for (auto _ : state) {
        TfrmMain* window = Start();
        state.PauseTiming();
        listed = window->cmbPlayer->Items()->Count();
        Stop(window);
        state.ResumeTiming();
    }
    state.counters["players listed"] = listed;
}

BENCHMARK(BM_StartUpToAnsweringWindow)->Arg(0)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenDisplay();
    benchmark::Initialize(&argc, argv);
    StartTesk(argc, argv);
    PrepareProgram();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto base = reporter.times.find("BM_StartUpToAnsweringWindow/0/real_time");
    if (base != reporter.times.end()) {
        std::printf("\nCost per player above the empty database (median times, goal: flat):\n");
        for (int players : {5000, 20000}) {
            const auto t = reporter.times.find("BM_StartUpToAnsweringWindow/" + std::to_string(players) + "/real_time");
            if (t == reporter.times.end()) continue;
            std::printf("%6d players: %8.2f ms, %6.2f us per player\n", players, t->second,
                        (t->second - base->second) * 1000.0 / players);
        }
    }
    benchmark::Shutdown();
    SetProgramFolderForTests("");
    std::error_code ec;
    fs::remove_all(Root(), ec);
    return 0;
}
