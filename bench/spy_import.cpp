// Spy reports copied at once (100, 1,000 and 10,000) and taken by the main
// window's clipboard watcher: classification, the paste into the memo, the
// import with its owner boxes and log pane, and the memo left empty. The
// reference is a plain sqlite3 loop writing the same planet and player columns and values
// with prepared statements in the same transactions (one per report), on a copy
// of the same file opened the way our connection opens it. Both open their
// file outside the timing. The planets are stored already (as a solar-system
// scan leaves them), since a paste of several reports takes no owner from the
// boxes. The ratios of the medians are printed at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/TeskStartUp.h"
#include "app/uGameText.h"
#include "app/uMain.h"
#include "app/uPower.h"
#include "app/uProgram.h"
#include "app/uVocabulary.h"
#include "bench/BenchSupport.h"
#include "data/uDatamodule.h"
#include "platform/classes/IniFiles.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/db/SqliteCollation.h"
#include "platform/rtl/DateTime.h"
#include "text/uHtmlClipbrd.h"

namespace {

constexpr int kMostReports = 10000;
constexpr int kPlayers = 100;
namespace fs = std::filesystem;

const fs::path& Folder() {
    static fs::path dir = fs::temp_directory_path() / ("tesk-bench-spy-" + std::to_string(getpid()));
    return dir;
}
std::string Template() { return (Folder() / "template.mdb").string(); }
std::string Work() { return (Folder() / "Tesk.mdb").string(); }

struct Coord {
    int system, position;
};
Coord CoordOf(int i) { return {i / 15 + 1, i % 15 + 1}; }

// The values of report i; the raw loop writes the same.
int Unit(int i, int k) { return (i * 7 + k * 13) % 500; }

std::string ReportText(int i) {
    const Coord c = CoordOf(i);
    char head[128];
    std::snprintf(head, sizeof head, "Intel on Planet%d [1:%d:%d] time 07-23 14:%02d:%02d\r\n", i, c.system,
                  c.position, i / 60 % 60, i % 60);
    std::string s = head;
    s += "Metal: " + std::to_string(Unit(i, 1) * 100) + "\tCrystal: " + std::to_string(Unit(i, 2) * 100) + "\r\n";
    s += "Deuterium: " + std::to_string(Unit(i, 3) * 100) + "\tEnergy: " + std::to_string(Unit(i, 4)) + "\r\n";
    s += "Fleet\r\nSmall Cargo Ship " + std::to_string(Unit(i, 5)) + "\tLarge Cargo Ship " +
         std::to_string(Unit(i, 6)) + "\r\nLight Fighter " + std::to_string(Unit(i, 7)) + "\tEspionage Probe " +
         std::to_string(Unit(i, 8)) + "\r\n";
    s += "Defence\r\nMissile Launcher " + std::to_string(Unit(i, 9)) + "\tSmall Laser " + std::to_string(Unit(i, 10)) +
         "\r\n";
    s += "Buildings\r\nMetal Mine " + std::to_string(Unit(i, 11) % 30) + "\tCrystal Mine " +
         std::to_string(Unit(i, 12) % 30) + "\r\n";
    s += "Research\r\nEspionage Technology " + std::to_string(Unit(i, 13) % 20) + "\tComputer Technology " +
         std::to_string(Unit(i, 14) % 20) + "\r\n";
    s += "Counter-espionage chance: " + std::to_string(Unit(i, 15) % 100) + "%\r\n";
    return s;
}

std::string Paste(int Reports) {
    std::string paste;
    for (int i = 0; i < Reports; ++i) paste += ReportText(i);
    return paste;
}

// The schema with the players and the planets of the largest paste, made once.
void MakeTemplate() {
    fs::create_directories(Folder());
    std::ofstream(Folder() / "English.lng", std::ios::binary)
        << ReadFile(std::string(TESK_SOURCE_DIR) + "/resources/lang/English.lng");
    std::ofstream(Folder() / "Tesk.ini", std::ios::binary) << "[General]\r\nActiveLanguage=English\r\n";
    sqlite3* db = nullptr;
    sqlite3_open(Template().c_str(), &db);
    sqlite3_exec(db, ReadFile(std::string(TESK_SOURCE_DIR) + "/resources/schema.sql").c_str(), nullptr, nullptr,
                 nullptr);
    std::string sql = "BEGIN; INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');";
    for (int p = 1; p <= kPlayers; ++p)
        sql += "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (" + std::to_string(p) + ", 'Player" +
               std::to_string(p) + "', 1);";
    for (int i = 0; i < kMostReports; ++i)
        sql += "INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID) VALUES (1, " +
               std::to_string(CoordOf(i).system) + ", " + std::to_string(CoordOf(i).position) + ", 0, 'P', " +
               std::to_string(i % kPlayers + 1) + ");";
    sql += "COMMIT;";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    // Indexed with the program's name fold and marked so, as a file the
    // program has opened once: its open does not rebuild the indexes of the
    // window's copy alone, and both copies start from the same pages.
    InstallCodePageCollation(db);
    sql = "REINDEX; PRAGMA user_version=" + std::to_string(CodePageCollationMark()) + ";";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void FreshCopy() { fs::copy_file(Template(), Work(), fs::copy_options::overwrite_existing); }

// The main window over the bench's folder, watching the clipboard.
TfrmMain* Window() {
    static TfrmMain* window = [] {
        SetProgramFolderForTests(Folder().string() + "/");
        dmMain = new TdmMain(nullptr);
        TfrmMain* w = CreateForm<TfrmMain>(nullptr);
        frmMain = w;
        w->Show();
        w->SetActiveLanguage("English");
        w->mnuWatchClipboard->SetChecked(true);
        w->mnuPlaySounds->SetChecked(false);
        return w;
    }();
    return window;
}

// The copy of a report page: its text, and the same text as the HTML form.
void PutOnClipboard(TfrmMain* W, const std::string& Paste) {
    W->Clipboard->Open();
    W->Clipboard->Clear();
    W->Clipboard->SetAsHTML("<html><body><pre>" + Paste + "</pre></body></html>");
    W->Clipboard->SetAsText(Paste);
    W->Clipboard->Close();
}

void BM_WindowPaste(benchmark::State& state) {
    const int reports = static_cast<int>(state.range(0));
    const std::string paste = Paste(reports);
    TfrmMain* w = Window();
    for (auto _ : state) {
        state.PauseTiming();
        FreshCopy();
        if (!dmMain->OpenDatabase(Work(), "Data Source=%s")) state.SkipWithError("the database did not open");
        w->memLog->Lines()->Clear();
        w->memSpy->SetText("");
        PutOnClipboard(w, paste);
        state.ResumeTiming();
        w->ClipboardChanged(nullptr);
        state.PauseTiming();
        const int logged = w->memLog->Lines()->Count();
        bool refused = false;
        for (int i = 0; i < logged; ++i) refused = refused || w->memLog->Lines()->Strings(i).find("Error") != AnsiString::npos;
        if (refused || logged != reports || !w->memSpy->Text().empty())
            state.SkipWithError("the import did not take every report");
        dmMain->CloseDatabase();
        state.ResumeTiming();
    }
    state.counters["reports"] = reports;
}

// What the window stores of report i, column by column, in the order of its
// statements; the reference binds these. Made before the timing: the
// reference parses nothing.
struct StoredReport {
    std::vector<int64_t> research;  // the 15 technologies, then the player's ID
    std::string name, scanned, report;
    std::vector<int64_t> counts;  // the planet's numeric columns after Report
};

const char* const kResearchColumns[] = {
    "EspionageTechnology", "ComputerTechnology", "WeaponTechnology", "ShieldingTechnology", "ArmourTechnology",
    "EnergyTechnology",    "HyperspaceTechnology", "CombustionEngine", "ImpulseEngine",     "HyperspaceEngine",
    "LaserTechnology",     "IonTechnology",        "PlasmaTechnology", "GravitonTechnology", "IntergalacticResearchNetwork"};
// The planet columns an accepted report writes: PlanetName, IsMoon,
// LastScanned, PlayerID and Report first, then these numbers.
const char* const kPlanetCounts[] = {
    "Metal", "Crystal", "Deuterium", "Energy", "TotalResources", "SmallCargoShip", "LargeCargoShip", "LightFighter",
    "HeavyFighter", "Cruiser", "BattleShip", "ColonyShip", "Recycler", "EspionageProbe", "Bomber", "SolarSatellite",
    "Destroyer", "DeathStar", "AssaultPower", "MissileLauncher", "SmallLaser", "HeavyLaser", "GaussCannon",
    "IonCannon", "PlasmaCannon", "SmallShieldDome", "LargeShieldDome", "\"Anti-ballisticMissile\"",
    "InterplanetaryMissile", "DefencePower", "MetalMine", "CrystalMine", "DeuteriumSynthesizer", "SolarPlant",
    "FusionPlant", "RoboticFactory", "NaniteFactory", "ShipYard", "MetalStorage", "CrystalStorage", "DeuteriumTank",
    "ResearchLab", "Terraformer", "RocketSilo", "LunarBase", "SensorPhalanx", "JumpGate", "CounterEspionage",
    "Rating"};

int CurrentYear() {
    int year, month, day;
    DecodeDate(Now(), year, month, day);
    return year;
}

StoredReport Stored(int i) {
    StoredReport r;
    r.research.assign(15, 0);
    r.research[0] = Unit(i, 13) % 20;
    r.research[1] = Unit(i, 14) % 20;
    r.research.push_back(i % kPlayers + 1);
    r.name = "Planet" + std::to_string(i);
    char scanned[32];
    std::snprintf(scanned, sizeof scanned, "%04d-07-23 14:%02d:%02d", CurrentYear(), i / 60 % 60, i % 60);
    r.scanned = scanned;
    const std::string text = ReportText(i);
    r.report = NormaliseGameText(text.substr(0, text.rfind('%') + 1));  // a report ends at its "%"
    const int64_t metal = Unit(i, 1) * 100, crystal = Unit(i, 2) * 100, deuterium = Unit(i, 3) * 100;
    const int small = Unit(i, 5), large = Unit(i, 6), light = Unit(i, 7), probe = Unit(i, 8);
    const int launcher = Unit(i, 9), laser = Unit(i, 10);
    r.counts = {metal, crystal, deuterium, Unit(i, 4), metal + crystal + deuterium, small, large, light,
                0, 0, 0, 0, 0, probe, 0, 0, 0, 0,
                CalcAssaultPower(small, large, light, 0, 0, 0, 0, 0, 0, 0, 0, probe, 0),
                launcher, laser, 0, 0, 0, 0, 0, 0, 0, 0,
                CalcDefencePower(launcher, laser, 0, 0, 0, 0, 0, 0),
                Unit(i, 11) % 30, Unit(i, 12) % 30};
    r.counts.resize(std::size(kPlanetCounts) - 2, 0);  // the other buildings
    r.counts.push_back(Unit(i, 15) % 100);
    r.counts.push_back(0);
    return r;
}

// The reference, a plain writer: the same rows, the same columns and values
// as the window writes, one transaction per report, on a connection set up
// as ours is (journal, foreign keys); the player row first, as the window
// writes it. Nothing more: the planet is updated where its coordinates are.
void BM_RawSqliteLoop(benchmark::State& state) {
    const int reports = static_cast<int>(state.range(0));
    std::string update = "UPDATE tblPlanet SET PlanetName=?, IsMoon=0, LastScanned=?, PlayerID=?, Report=?";
    for (const char* column : kPlanetCounts) update += std::string(", ") + column + "=?";
    update += " WHERE GalaxyID=1 AND SolarsystemID=? AND PlanetID=? AND IsMoon=0";
    std::string research = "UPDATE tblPlayer SET ";
    for (const char* column : kResearchColumns)
        research += std::string(column == kResearchColumns[0] ? "" : ", ") + column + "=?";
    research += " WHERE ID=?";
    std::vector<StoredReport> stored;
    for (int i = 0; i < reports; ++i) stored.push_back(Stored(i));
    for (auto _ : state) {
        state.PauseTiming();
        FreshCopy();
        sqlite3* db = nullptr;
        sqlite3_open_v2(Work().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        sqlite3_busy_timeout(db, 5000);
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA foreign_keys=OFF", nullptr, nullptr, nullptr);
        state.ResumeTiming();
        sqlite3_stmt *planet = nullptr, *player = nullptr;
        sqlite3_prepare_v2(db, update.c_str(), -1, &planet, nullptr);
        sqlite3_prepare_v2(db, research.c_str(), -1, &player, nullptr);
        bool failed = false;
        for (int i = 0; i < reports; ++i) {
            const StoredReport& r = stored[static_cast<size_t>(i)];
            sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
            for (size_t c = 0; c < r.research.size(); ++c)
                sqlite3_bind_int64(player, static_cast<int>(c) + 1, r.research[c]);
            failed |= sqlite3_step(player) != SQLITE_DONE;
            sqlite3_reset(player);
            int c = 1;
            sqlite3_bind_text(planet, c++, r.name.data(), static_cast<int>(r.name.size()), SQLITE_STATIC);
            sqlite3_bind_text(planet, c++, r.scanned.data(), static_cast<int>(r.scanned.size()), SQLITE_STATIC);
            sqlite3_bind_int64(planet, c++, r.research.back());
            sqlite3_bind_text(planet, c++, r.report.data(), static_cast<int>(r.report.size()), SQLITE_STATIC);
            for (int64_t v : r.counts) sqlite3_bind_int64(planet, c++, v);
            sqlite3_bind_int(planet, c++, CoordOf(i).system);
            sqlite3_bind_int(planet, c++, CoordOf(i).position);
            failed |= sqlite3_step(planet) != SQLITE_DONE || sqlite3_changes(db) != 1;
            sqlite3_reset(planet);
            failed |= sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK;
        }
        sqlite3_finalize(planet);
        sqlite3_finalize(player);
        state.PauseTiming();
        sqlite3_close(db);
        if (failed) state.SkipWithError("the reference did not write every report");
        state.ResumeTiming();
    }
    state.counters["reports"] = reports;
}

BENCHMARK(BM_RawSqliteLoop)->Arg(100)->Arg(1000)->Arg(kMostReports)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WindowPaste)->Arg(100)->Arg(1000)->Arg(kMostReports)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenDisplay();
    benchmark::Initialize(&argc, argv);
    StartTesk(argc, argv);
    PrepareProgram();
    MakeTemplate();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (time / reference time, medians; reports copied at once and taken by the window):\n");
    for (int count : {100, 1000, kMostReports}) {
        const std::string n = std::to_string(count);
        reporter.PrintRatio("BM_WindowPaste/" + n + "/iterations:1", "BM_RawSqliteLoop/" + n + "/iterations:1",
                                        "goal: at most 1.3", 34);
    }
    // Linear in the count: the time per report stays as it was from 1,000 to 10,000.
    auto perReport = [&](const char* name, int count) {
        auto it = reporter.times.find(std::string(name) + "/" + std::to_string(count) + "/iterations:1");
        return it == reporter.times.end() ? -1.0 : it->second / count;
    };
    const double at1000 = perReport("BM_WindowPaste", 1000), atMost = perReport("BM_WindowPaste", kMostReports);
    if (at1000 > 0 && atMost > 0)
        std::printf("Time per report at %d / at 1000 = %5.2f   (goal: flat, about 1)\n", kMostReports,
                    atMost / at1000);
    benchmark::Shutdown();
    FreeObject(Window());
    FreeObject(dmMain);
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    return 0;
}
