// Whole-database work on files of a temporary folder: importing another
// database (newer rows win, names matched, attack data and combats left),
// refusing files that are not ours, stopping after a row, exporting, and
// reprocessing with the research columns dropped only after a full pass.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/uDatabaseTransfer.h"
#include "app/uPower.h"
#include "data/uExceptions.h"
#include "platform/classes/Registry.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ImportTestSupport.h"

namespace {

using datatest::ChangeCounter;
using datatest::QuerySql;

class FakeProgress : public ITransferProgress {
public:
    explicit FakeProgress(int StopAfter = -1) : stopAfter_(StopAfter) {}
    void Start(int RowCount) override { Count = RowCount; }
    void ShowRow(const AnsiString& Position) override { Rows.push_back(Position); }
    void RowDone() override { ++done_; }
    bool Stopped() const override { return stopAfter_ >= 0 && done_ >= stopAfter_; }
    int Count = -1;
    std::vector<std::string> Rows;

private:
    int stopAfter_;
    int done_ = 0;
};

// The stored planets as "name:metal:attacks:last attacked:player", by position.
std::string Planets(const std::string& file) {
    return QuerySql(file,
                    "SELECT group_concat(x, ' | ') FROM (SELECT PlanetName || ':' || ifnull(Metal, '-') || ':' ||"
                    " ifnull(NumberOfAttacks, '-') || ':' || ifnull(LastAttacked, '-') || ':' ||"
                    " (SELECT Name FROM tblPlayer WHERE ID = PlayerID) AS x FROM tblPlanet"
                    " ORDER BY GalaxyID, SolarsystemID, PlanetID, IsMoon)");
}

// Local: "vega" of "EVIL" with Home (older report, attacked), Far (newer
// report) and Rig (same report time).
const char* const kLocal =
    "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>'), (2, 'EVIL');"
    "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'vega', 2), (2, 'Altair', 1), (3, 'Rigel', 2);"
    "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, Metal,"
    " LastScanned, NumberOfAttacks, LastAttacked) VALUES"
    " (1, 1, 2, 3, 0, 'Home', 1, 1, '2024-07-01 00:00:00', 3, '2024-07-02 10:00:00'),"
    " (2, 2, 5, 7, 0, 'Far', 2, 2, '2024-07-20 00:00:00', 0, NULL),"
    " (3, 3, 3, 3, 0, 'Rig', 3, 3, '2024-07-05 00:00:00', 0, NULL);";

// The source: the game database with report times and attack data, and a
// new player in a new alliance, and a combat.
const char* const kSource =
    "UPDATE tblPlanet SET Metal = ID * 100, NumberOfAttacks = 9, LastAttacked = '2024-07-10 00:00:00';"
    "UPDATE tblPlanet SET LastScanned = '2024-07-10 00:00:00' WHERE ID IN (1, 2);"
    "UPDATE tblPlanet SET LastScanned = '2024-07-15 00:00:00' WHERE ID = 3;"
    "UPDATE tblPlanet SET LastScanned = '2024-07-05 00:00:00' WHERE ID = 4;"
    "INSERT INTO tblAlliance (ID, Name, AverageScore, Ranking, Members) VALUES (4, 'Nova', 700, 2, 5);"
    "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (4, 'Deneb', 4);"
    "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, Metal,"
    " LastScanned, NumberOfAttacks, Rating) VALUES (5, 4, 4, 4, 0, 'Den', 4, 500, '2024-07-11 00:00:00', 7, 3);"
    "INSERT INTO tblCombat (ID, DateTime, DefenderPlanetID) VALUES (1, '2024-07-10 00:00:00', 1);";

class TransferTest : public ::testing::Test {
protected:
    TransferTest() : local(kLocal) { datatest::MakeGameDatabase(source(), kSource); }
    std::string source() const { return folder.File("Source.mdb"); }

    datatest::TempFolder folder;
    importtest::ImportDatabase local;
};

TEST_F(TransferTest, ImportTakesNewerRowsMatchesNamesAndLeavesAttackData) {
    FakeProgress progress;
    ImportDatabaseFile(*local.dm(), source(), progress);
    EXPECT_EQ(progress.Count, 5);
    EXPECT_EQ(progress.Rows, (std::vector<std::string>{"1:2:3", "1:2:3 moon", "2:5:7", "3:3:3", "4:4:4"}));
    EXPECT_EQ(Planets(local.File()),
              "Home:100:3:2024-07-02 10:00:00:vega | Moon:200:-:-:vega | Far:2:0:-:Altair | Rig:3:0:-:Rigel | "
              "Den:500:-:-:Deneb");
    // Names are matched without regard to case; the new ones are added once.
    EXPECT_EQ(local.Query("SELECT count(*) FROM tblPlayer"), "4");
    EXPECT_EQ(local.Query("SELECT group_concat(Name) FROM tblAlliance"), "<none>,EVIL,Nova");
    EXPECT_EQ(local.Query("SELECT AverageScore || '/' || Ranking || '/' || ifnull(Members, '-') FROM tblAlliance"
                          " WHERE Name = 'Nova'"),
              "700/2/-");
    EXPECT_EQ(local.Query("SELECT a.Name FROM tblPlayer p JOIN tblAlliance a ON a.ID = p.AllianceID"
                          " WHERE p.Name = 'Deneb'"),
              "Nova");
    EXPECT_EQ(local.Query("SELECT Rating FROM tblPlanet WHERE PlanetName = 'Den'"), "3");
    EXPECT_EQ(local.Query("SELECT count(*) FROM tblCombat"), "0");
    EXPECT_FALSE(local.dm()->ImportConnection->Connected());
    EXPECT_FALSE(local.dm()->adoConnection->InTransaction());

    // The same file again finds nothing newer: the file does not change.
    const uint32_t counter = ChangeCounter(local.File());
    ImportDatabaseFile(*local.dm(), source(), progress);
    EXPECT_EQ(ChangeCounter(local.File()), counter);
}

TEST_F(TransferTest, ImportRefusesFilesThatAreNotOursAndChangesNothing) {
    const std::string text = folder.File("notes.mdb");
    importtest::ImportDatabase unused;  // keeps the clock; its file is not used
    apptest::WriteFile(text, "These are no planets.\r\n");
    const std::string damaged = folder.File("damaged.mdb");
    apptest::WriteFile(damaged, std::string("SQLite format 3\0", 16) + std::string(4080, '\x5A'));
    const std::string foreign = folder.File("foreign.mdb");
    datatest::ExecSql(foreign, "CREATE TABLE songs (title TEXT);");
    const std::string older = folder.File("older.mdb");
    datatest::MakeDatabase(older, "0.9.0.133", "0.9.0.133");
    struct Case {
        std::string File;
        std::string Message;
    } cases[] = {
        {folder.File("missing.mdb"), "Access database doesn't exist"},
        {text, "\"" + text + "\" is no database of this program"},
        {damaged, "\"" + damaged + "\" is no database of this program"},
        {foreign, "\"" + foreign + "\" is no database of this program"},
        {older, "\"" + older + "\" holds database version \"0.9.0.133\"; open it once with this program before "
                "importing it"},
    };
    const uint32_t counter = ChangeCounter(local.File());
    const std::string before = Planets(local.File());
    for (const Case& c : cases) {
        FakeProgress progress;
        try {
            ImportDatabaseFile(*local.dm(), c.File, progress);
            ADD_FAILURE() << c.File;
        } catch (const ETeskException& E) {
            EXPECT_EQ(E.Message(), c.Message);
        }
        EXPECT_EQ(progress.Count, -1);
        EXPECT_FALSE(local.dm()->ImportConnection->Connected());
    }
    EXPECT_EQ(ChangeCounter(local.File()), counter);
    EXPECT_EQ(Planets(local.File()), before);
    EXPECT_EQ(apptest::ReadFile(text), "These are no planets.\r\n");
}

TEST_F(TransferTest, ImportStopsAfterTheCurrentRowAndAFailingRowKeepsTheRowsBefore) {
    FakeProgress stopped(1);
    ImportDatabaseFile(*local.dm(), source(), stopped);
    EXPECT_EQ(stopped.Rows.size(), 1u);
    EXPECT_EQ(local.Query("SELECT Metal FROM tblPlanet WHERE PlanetName = 'Home'"), "100");
    EXPECT_EQ(local.Query("SELECT count(*) FROM tblPlanet"), "3");

    // A new row the file refuses: the import stops there and says why.
    local.Exec(datatest::RefuseSql("tblPlanet", "INSERT"));
    local.Exec("UPDATE tblPlanet SET LastScanned = '2024-01-01 00:00:00', Metal = 1 WHERE PlanetName = 'Home';");
    FakeProgress progress;
    EXPECT_THROW(ImportDatabaseFile(*local.dm(), source(), progress), Exception);
    EXPECT_EQ(progress.Rows.size(), 2u);
    EXPECT_EQ(local.Query("SELECT Metal FROM tblPlanet WHERE PlanetName = 'Home'"), "100");
    EXPECT_EQ(local.Query("SELECT count(*) FROM tblPlanet"), "3");
    EXPECT_FALSE(local.dm()->adoConnection->InTransaction());
    EXPECT_FALSE(local.dm()->ImportConnection->Connected());
}

TEST_F(TransferTest, ExportCopiesTheOpenDatabaseAndSaysWhenItCannot) {
    const std::string copy = folder.File("Copy.mdb");
    apptest::WriteFile(copy, "an older export");
    ExportDatabase(*local.dm(), copy);
    EXPECT_EQ(Planets(copy), Planets(local.File()));
    EXPECT_FALSE(std::filesystem::exists(copy + ".tmp"));

    // The database itself, by its name or another path to it: nothing happens.
    const uint32_t counter = ChangeCounter(local.File());
    ExportDatabase(*local.dm(), local.dm()->DatabasePath);
    ExportDatabase(*local.dm(), std::filesystem::path(local.File()).parent_path().string() + "/./Tesk.mdb");
    EXPECT_EQ(ChangeCounter(local.File()), counter);

    const std::string nowhere = folder.File("missing/Copy.mdb");
    try {
        ExportDatabase(*local.dm(), nowhere);
        ADD_FAILURE() << "exported into a missing folder";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message().rfind("Cannot copy the database to \"" + nowhere + "\": ", 0), 0u) << E.Message();
    }
    // With no connection open the file itself is copied.
    local.dm()->CloseDatabase();
    const std::string closedCopy = folder.File("Closed.mdb");
    ExportDatabase(*local.dm(), closedCopy);
    EXPECT_EQ(Planets(closedCopy), Planets(local.File()));
}

// ---------------------------------------------------------------- reprocessing
std::string ResearchColumnsSql() {
    std::string sql;
    for (int i = 0; i < 14; ++i) sql += std::string("ALTER TABLE tblPlanet ADD COLUMN ") + ResearchColumns[i] + " INTEGER;";
    return sql;
}

class ReprocessTest : public ::testing::Test {
protected:
    ReprocessTest() { SetRegistryFolderForTests(folder.File("")); }
    ~ReprocessTest() override { SetRegistryFolderForTests(""); }
    static bool RegistryNoted() {
        TRegistry registry;
        return registry.OpenKeyReadOnly("Software\\Tesk") && registry.ValueExists("DeletedPlanetTechs") &&
               registry.ReadBool("DeletedPlanetTechs");
    }
    datatest::TempFolder folder;
};

const char* const kResearchGame =
    "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');"
    "INSERT INTO tblPlayer (ID, Name, AllianceID, WeaponTechnology, EspionageTechnology, ArmourTechnology)"
    " VALUES (1, 'Vega', 1, 9, NULL, 4);"
    "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, Metal, Crystal,"
    " Deuterium, LightFighter, Cruiser, MissileLauncher, GaussCannon) VALUES"
    " (1, 1, 2, 3, 0, 'Home', 1, 1000, 2000, NULL, 10, 2, 5, 1),"
    " (2, 1, 2, 3, 1, 'Moon', 1, 7, 0, 3, NULL, NULL, NULL, NULL);";

TEST_F(ReprocessTest, FiguresRecomputedResearchRaisedColumnsDroppedAfterAFullPass) {
    importtest::ImportDatabase db(ResearchColumnsSql() + kResearchGame +
                                  "UPDATE tblPlanet SET WeaponTechnology = 8, EspionageTechnology = 3 WHERE ID = 1;"
                                  "UPDATE tblPlanet SET WeaponTechnology = 10, ArmourTechnology = NULL WHERE ID = 2;");
    // Stopped after the first planet: nothing dropped, nothing noted.
    FakeProgress stopped(1);
    EXPECT_FALSE(ReprocessPlanets(*db.dm(), stopped));
    EXPECT_EQ(db.Query("SELECT TotalResources FROM tblPlanet WHERE ID = 1"), "3000");
    EXPECT_EQ(db.Query("SELECT TotalResources FROM tblPlanet WHERE ID = 2"), "<null>");
    EXPECT_EQ(db.Query("SELECT WeaponTechnology || '/' || EspionageTechnology FROM tblPlayer"), "9/3");
    EXPECT_EQ(datatest::TableColumns(db.File(), "tblPlanet").count("WEAPONTECHNOLOGY"), 1u);
    EXPECT_FALSE(RegistryNoted());

    FakeProgress progress;
    EXPECT_TRUE(ReprocessPlanets(*db.dm(), progress));
    EXPECT_EQ(progress.Count, 2);
    EXPECT_EQ(progress.Rows, (std::vector<std::string>{"1:2:3", "1:2:3 moon"}));
    EXPECT_EQ(db.Query("SELECT group_concat(TotalResources) FROM tblPlanet"), "3000,10");
    EXPECT_EQ(db.Query("SELECT AssaultPower || '/' || DefencePower FROM tblPlanet WHERE ID = 1"),
              std::to_string(CalcAssaultPower(0, 0, 10, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0)) + "/" +
                  std::to_string(CalcDefencePower(5, 0, 0, 1, 0, 0, 0, 0)));
    // 8 and 10 on the planets, 9 in the player row: 10. An empty planet level changes nothing.
    EXPECT_EQ(db.Query("SELECT WeaponTechnology || '/' || EspionageTechnology || '/' || ArmourTechnology"
                       " FROM tblPlayer"),
              "10/3/4");
    const std::set<std::string> columns = datatest::TableColumns(db.File(), "tblPlanet");
    for (int i = 0; i < 14; ++i) EXPECT_EQ(columns.count(UpperCase(ResearchColumns[i])), 0u) << ResearchColumns[i];
    EXPECT_EQ(columns.count("METAL"), 1u);
    EXPECT_TRUE(RegistryNoted());
    EXPECT_FALSE(db.dm()->adoConnection->InTransaction());
}

// Whatever research columns an older file left in the planet table, the
// network's included, all of them go.
TEST_F(ReprocessTest, EveryResearchColumnThePlanetTableHoldsIsDropped) {
    for (const std::vector<int>& held : {std::vector<int>{2, 9, 14}, std::vector<int>{14}}) {
        std::string sql;
        for (int i : held) sql += std::string("ALTER TABLE tblPlanet ADD COLUMN ") + ResearchColumns[i] + " INTEGER;";
        importtest::ImportDatabase db(sql + kResearchGame);
        EXPECT_TRUE(PlanetTableHoldsResearch(*db.dm()));
        FakeProgress progress;
        EXPECT_TRUE(ReprocessPlanets(*db.dm(), progress));
        const std::set<std::string> columns = datatest::TableColumns(db.File(), "tblPlanet");
        for (const char* column : ResearchColumns) EXPECT_EQ(columns.count(UpperCase(column)), 0u) << column;
        EXPECT_FALSE(PlanetTableHoldsResearch(*db.dm()));
    }
}

TEST_F(ReprocessTest, WithoutResearchColumnsTheFiguresAreStillRecomputed) {
    importtest::ImportDatabase db(kResearchGame);
    FakeProgress progress;
    EXPECT_TRUE(ReprocessPlanets(*db.dm(), progress));
    EXPECT_EQ(db.Query("SELECT group_concat(TotalResources) FROM tblPlanet"), "3000,10");
    EXPECT_EQ(db.Query("SELECT DefencePower FROM tblPlanet WHERE ID = 2"), "0");
    EXPECT_EQ(db.Query("SELECT WeaponTechnology FROM tblPlayer"), "9");
    EXPECT_TRUE(RegistryNoted());
}

// Counts past 32 bits, as a file of an earlier build may hold them, are read
// and the figures built from them stored whole.
TEST_F(ReprocessTest, CountsPast32BitsAreReadWhole) {
    importtest::ImportDatabase db(std::string(kResearchGame) +
                                  "UPDATE tblPlanet SET Metal=3000000000, LightFighter=3000000000, "
                                  "GaussCannon=3000000000 WHERE ID = 1;");
    FakeProgress progress;
    EXPECT_TRUE(ReprocessPlanets(*db.dm(), progress));
    EXPECT_EQ(progress.Count, 2);
    EXPECT_EQ(db.Query("SELECT TotalResources || '/' || AssaultPower || '/' || DefencePower FROM tblPlanet WHERE ID = 1"),
              "3000002000/150000000800/3300000000400");
}

}  // namespace
