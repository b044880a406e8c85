// 1,000 spy reports pasted at once into a fresh database, against a plain
// sqlite3 loop that writes the same planet and player columns with prepared
// statements, one transaction per report, on the same file under the same
// PRAGMAs. The planets are stored already (as a solar-system scan leaves
// them), since a paste of several reports takes no owner from the boxes.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/uSpyReportImport.h"
#include "app/uVocabulary.h"
#include "bench/BenchSupport.h"
#include "platform/classes/IniFiles.h"
#include "platform/gui/Platform.h"

namespace {

constexpr int kReports = 1000;
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

// The schema with 100 players and the 1,000 planets, made once.
void MakeTemplate() {
    fs::create_directories(Folder());
    sqlite3* db = nullptr;
    sqlite3_open(Template().c_str(), &db);
    sqlite3_exec(db, ReadFile(std::string(TESK_SOURCE_DIR) + "/resources/schema.sql").c_str(), nullptr, nullptr,
                 nullptr);
    std::string sql = "BEGIN; INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');";
    for (int p = 1; p <= 100; ++p)
        sql += "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (" + std::to_string(p) + ", 'Player" +
               std::to_string(p) + "', 1);";
    for (int i = 0; i < kReports; ++i)
        sql += "INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID) VALUES (1, " +
               std::to_string(CoordOf(i).system) + ", " + std::to_string(CoordOf(i).position) + ", 0, 'P', " +
               std::to_string(i % 100 + 1) + ");";
    sql += "COMMIT;";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void FreshCopy() { fs::copy_file(Template(), Work(), fs::copy_options::overwrite_existing); }

class Page : public ISpyReportPage {
public:
    AnsiString ReportText() const override { return memo; }
    void SetReportText(const AnsiString& Text) override { memo = Text; }
    AnsiString PlayerText() const override { return player; }
    AnsiString AllianceText() const override { return alliance; }
    void SelectPlayer(const AnsiString& Name, bool) override { player = Name; }
    void SelectAlliance(const AnsiString& Name) override { alliance = Name; }
    void ClearOwnerSelection() override { player = alliance = ""; }
    int Rating() const override { return -1; }
    void SetRating(int) override {}
    bool KeepTech() const override { return true; }
    bool KeepDefences() const override { return true; }
    bool KeepBuildings() const override { return true; }
    void ShowPlanetFound(bool) override {}
    void AddToLog(const AnsiString& Line) override { errors += Line.find("Error") != AnsiString::npos; }
    void Beep(UINT) override {}
    AnsiString memo, player, alliance;
    int errors = 0;
};

void BM_ImportPaste(benchmark::State& state) {
    std::string paste;
    for (int i = 0; i < kReports; ++i) paste += ReportText(i);
    for (auto _ : state) {
        state.PauseTiming();
        FreshCopy();
        auto* dm = new TdmMain(nullptr);
        dm->OpenDatabase(Work(), "Data Source=%s");
        Page page;
        page.memo = paste;
        state.ResumeTiming();
        ProcessSpyReports(dm, page);
        state.PauseTiming();
        if (page.errors != 0 || !page.memo.empty()) state.SkipWithError("the import refused a report");
        dm->adoConnection->Close();
        FreeObject(dm);
        state.ResumeTiming();
    }
}

// The reference: parse nothing, write the same values with two prepared
// statements per report in its own transaction.
void BM_RawSqliteLoop(benchmark::State& state) {
    static const char* planetColumns[] = {"PlanetName", "IsMoon", "LastScanned", "PlayerID", "Metal", "Crystal",
                                          "Deuterium", "Energy", "TotalResources", "SmallCargoShip",
                                          "LargeCargoShip", "LightFighter", "HeavyFighter", "Cruiser", "BattleShip",
                                          "Bomber", "Destroyer", "DeathStar", "Recycler", "ColonyShip",
                                          "SolarSatellite", "EspionageProbe", "AssaultPower", "MissileLauncher",
                                          "SmallLaser", "HeavyLaser", "IonCannon", "GaussCannon", "PlasmaCannon",
                                          "SmallShieldDome", "LargeShieldDome", "\"Anti-ballisticMissile\"",
                                          "InterplanetaryMissile", "DefencePower", "MetalMine", "CrystalMine",
                                          "CounterEspionage", "Report", "Rating"};
    constexpr int n = sizeof planetColumns / sizeof *planetColumns;
    std::string update = "UPDATE tblPlanet SET ";
    for (int c = 0; c < n; ++c) update += std::string(c ? ", " : "") + planetColumns[c] + "=?";
    update += " WHERE GalaxyID=1 AND SolarsystemID=? AND PlanetID=? AND IsMoon=0";
    const char* research =
        "UPDATE tblPlayer SET EspionageTechnology=?, ComputerTechnology=?, WeaponTechnology=?, "
        "ShieldingTechnology=?, ArmourTechnology=?, EnergyTechnology=?, HyperspaceTechnology=?, CombustionEngine=?, "
        "ImpulseEngine=?, HyperspaceEngine=?, LaserTechnology=?, IonTechnology=?, PlasmaTechnology=?, "
        "GravitonTechnology=?, IntergalacticResearchNetwork=? WHERE ID=?";
    std::vector<std::string> reports;
    for (int i = 0; i < kReports; ++i) reports.push_back(ReportText(i));
    for (auto _ : state) {
        state.PauseTiming();
        FreshCopy();
        state.ResumeTiming();
        sqlite3* db = nullptr;
        sqlite3_open_v2(Work().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db, 5000);
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA foreign_keys=OFF", nullptr, nullptr, nullptr);
        sqlite3_stmt *planet = nullptr, *player = nullptr;
        sqlite3_prepare_v2(db, update.c_str(), -1, &planet, nullptr);
        sqlite3_prepare_v2(db, research, -1, &player, nullptr);
        for (int i = 0; i < kReports; ++i) {
            sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
            for (int c = 1; c <= n; ++c) {
                if (c == 1)
                    sqlite3_bind_text(planet, c, "Planet", -1, SQLITE_STATIC);
                else if (c == 3)
                    sqlite3_bind_text(planet, c, "2024-07-23 14:05:09", -1, SQLITE_STATIC);
                else if (c == n - 1)
                    sqlite3_bind_text(planet, c, reports[i].data(), static_cast<int>(reports[i].size()),
                                      SQLITE_STATIC);
                else
                    sqlite3_bind_int(planet, c, Unit(i, c));
            }
            sqlite3_bind_int(planet, n + 1, CoordOf(i).system);
            sqlite3_bind_int(planet, n + 2, CoordOf(i).position);
            sqlite3_step(planet);
            sqlite3_reset(planet);
            for (int c = 1; c <= 15; ++c) sqlite3_bind_int(player, c, Unit(i, c) % 20);
            sqlite3_bind_int(player, 16, i % 100 + 1);
            sqlite3_step(player);
            sqlite3_reset(player);
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        }
        sqlite3_finalize(planet);
        sqlite3_finalize(player);
        sqlite3_close(db);
    }
}

BENCHMARK(BM_RawSqliteLoop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportPaste)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    PlatformInitialize(argc, argv);
    TIniFile ini(AnsiString(TESK_SOURCE_DIR) + "/resources/lang/English.lng");
    ReadGameVocabulary(ini);
    benchmark::Initialize(&argc, argv);
    MakeTemplate();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatio (time / reference time, %d reports pasted at once):\n", kReports);
    reporter.PrintRatio("BM_ImportPaste/iterations:3", "BM_RawSqliteLoop/iterations:3", "goal: at most 1.5", 30);
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    return 0;
}
