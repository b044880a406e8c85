#include "tests/data/DataTestSupport.h"

#include "platform/db/SqliteCollation.h"
#include "platform/gui/InputSimulation.h"

#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace datatest {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "tesk-data-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::vector<std::string> TempFolder::Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::string& SchemaSql() {
    static const std::string text = [] {
        std::ifstream in(TESK_SOURCE_DIR "/resources/schema.sql", std::ios::binary);
        if (!in) throw std::runtime_error("resources/schema.sql not found");
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    return text;
}

namespace {

// A raw connection; names compare as the program compares them unless the
// engine's own collation is asked for.
struct Db {
    explicit Db(const std::string& file, bool plainCollation = false) {
        if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot open " + file);
        if (!plainCollation) InstallCodePageCollation(db);
    }
    ~Db() { sqlite3_close(db); }
    sqlite3* db = nullptr;
};

}  // namespace

void ExecSql(const std::string& file, const std::string& sql, bool plainCollation) {
    Db d(file, plainCollation);
    char* error = nullptr;
    if (sqlite3_exec(d.db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(sql + ": " + message);
    }
}

std::string QuerySql(const std::string& file, const std::string& sql) {
    Db d(file);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(d.db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(d.db));
    std::string result = "<none>";
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(stmt, 0);
        result = t ? reinterpret_cast<const char*>(t) : "<null>";
    }
    sqlite3_finalize(stmt);
    return result;
}

std::set<std::string> TableColumns(const std::string& file, const std::string& table) {
    Db d(file);
    sqlite3_stmt* stmt = nullptr;
    std::string sql = "PRAGMA table_info(" + table + ")";
    if (sqlite3_prepare_v2(d.db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(d.db));
    std::set<std::string> names;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::string name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        names.insert(name);
    }
    sqlite3_finalize(stmt);
    return names;
}

uint32_t ChangeCounter(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char b[28] = {};
    in.read(reinterpret_cast<char*>(b), sizeof b);
    return (uint32_t(b[24]) << 24) | (uint32_t(b[25]) << 16) | (uint32_t(b[26]) << 8) | b[27];
}

const std::vector<std::string>& StoredVersions() {
    static const std::vector<std::string> versions = {"0.9.0.133", "1.0.0.0", "1.0.0.1", "1.0.0.2",
                                                      "1.0.0.3",   "1.1.0.0", "1.1.1.0", "1.1.2.1"};
    return versions;
}

namespace {

int VersionRank(const std::string& version) {
    const auto& all = StoredVersions();
    auto it = std::find(all.begin(), all.end(), version);
    if (it == all.end()) throw std::runtime_error("unknown schema version " + version);
    return static_cast<int>(it - all.begin());
}

// The columns that a schema version added, by table.
struct Added {
    const char* version;
    const char* table;
    std::vector<const char*> columns;
};

const std::vector<Added>& AddedColumns() {
    static const std::vector<Added> added = {
        {"1.0.0.0", "tblPlanet", {"AssaultPower", "DefencePower", "TotalResources"}},
        {"1.0.0.0", "tblAlliance", {"AverageScore", "Ranking", "Members"}},
        {"1.0.0.0",
         "tblPlayer",
         {"EspionageTechnology", "ComputerTechnology", "WeaponTechnology", "ShieldingTechnology", "ArmourTechnology",
          "EnergyTechnology", "HyperspaceTechnology", "CombustionEngine", "ImpulseEngine", "HyperspaceEngine",
          "LaserTechnology", "IonTechnology", "PlasmaTechnology", "GravitonTechnology", "TimesAttacked"}},
        {"1.0.0.3", "tblPlayer", {"IntergalacticResearchNetwork"}},
        {"1.0.0.3", "tblPlanet", {"Terraformer"}},
        {"1.1.0.0", "tblPlayer", {"Noob", "Strong", "Banned", "Inactive", "LongInactive", "Vacation", "Rank"}},
        {"1.1.1.0", "tblPlanet", {"SolarSystemScan", "MetalDebris", "CrystalDebris"}},
    };
    return added;
}

}  // namespace

void MakeDatabase(const std::string& file, const std::string& schemaVersion, const std::string& stored) {
    std::string sql = SchemaSql();
    const int rank = VersionRank(schemaVersion);
    for (const Added& a : AddedColumns())
        if (VersionRank(a.version) > rank)
            for (const char* c : a.columns) sql += std::string("ALTER TABLE ") + a.table + " DROP COLUMN " + c + ";\n";
    sql += "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');\n"
           "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Vega', 1);\n"
           "INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, Rating, "
           "NumberOfAttacks) VALUES (1, 2, 3, 0, 'Home', 1, 3, 0), (1, 2, 3, 1, 'Moon', 1, 3, 0);\n"
           "UPDATE tblRegistry SET RegValue='" + stored + "' WHERE RegKey='ZentaraVersion';\n" +
           MarkIndexedSql();
    ExecSql(file, sql);
}

void MakeGameDatabase(const std::string& file, const std::string& extraSql) {
    ExecSql(file, SchemaSql() +
                      "INSERT INTO tblAlliance (ID, Name, AverageScore, Ranking, Members) VALUES "
                      "(1, '<none>', NULL, NULL, NULL), (2, 'Evil', 500, 4, 2), (3, 'A''s', NULL, 9, 1);"
                      "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Vega', 2), (2, 'Altair', 1), "
                      "(3, 'Rigel', 2);"
                      "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, "
                      "Rating, NumberOfAttacks) VALUES (1, 1, 2, 3, 0, 'Home', 1, 0, 0), (2, 1, 2, 3, 1, 'Moon', 1, 0, 0), "
                      "(3, 2, 5, 7, 0, 'Far', 2, 0, 0), (4, 3, 3, 3, 0, 'Rig', 3, 0, 0);" +
                      MarkIndexedSql() + extraSql);
}

std::string MarkIndexedSql() { return "PRAGMA user_version=" + std::to_string(CodePageCollationMark()) + ";"; }

std::string RefuseSql(const std::string& table, const std::string& kind) {
    return "CREATE TRIGGER refuse_" + table + "_" + kind + " BEFORE " + kind + " ON " + table +
           " BEGIN SELECT RAISE(ABORT, 'refused'); END;";
}

FixedClock::FixedClock() {
    SetClock([] { return Time(); });
}

FixedClock::~FixedClock() { SetClock(nullptr); }

TDateTime FixedClock::Time() { return EncodeDate(2024, 3, 8) + (14 * 3600 + 5 * 60 + 9) / 86400.0; }

void ClickCentre(TWinControl* Control) {
    SimulateClick(Control->Handle(), Control->Width() / 2, Control->Height() / 2);
}

ScriptedDialogs::ScriptedDialogs() : service_(std::make_shared<TScriptedDialogService>()) {
    SetDialogService(service_);
}

ScriptedDialogs::~ScriptedDialogs() { SetDialogService(nullptr); }

}  // namespace datatest
