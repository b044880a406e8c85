// The data module's finders and row operations over a small game database.
#include <gtest/gtest.h>

#include "data/uExceptions.h"
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

class LookupsTest : public ::testing::Test {
protected:
    // Builds the game database (with the extra statements) and opens it.
    void Open(const std::string& extraSql = "") {
        file = folder.File("Tesk.mdb");
        MakeGameDatabase(file, extraSql);
        dm = MakeDataModule();
        ASSERT_TRUE(dm->OpenDatabase(file, kDefaultFormat));
        dm->SetOnLogMessage(MakeEvent(&log, &LogLines::Receive));
    }
    std::string Query(const std::string& sql) const { return QuerySql(file, sql); }

    TempFolder folder;
    std::string file;
    ScriptedDialogs dialogs;
    LogLines log;
    DataModulePtr dm;
};

// The message of the exception F raises, and whether it is the system's own kind.
template <class F>
std::pair<std::string, bool> Failure(F f) {
    try {
        f();
    } catch (const ETeskException& e) {
        return {e.Message(), true};
    } catch (const Exception& e) {
        return {e.Message(), false};
    }
    return {"<no exception>", false};
}

}  // namespace

TEST_F(LookupsTest, FindPlanetCountsRowsAndKeepsPlanetAndMoonApart) {
    Open("INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID) "
         "VALUES (3, 3, 3, 0, 'Twin', 3);");
    struct {
        const char *g, *s, *p, *moon;
        bool found;
        const char* name;
    } const cases[] = {
        {"1", "2", "3", "0", true, "Home"},
        {"1", "2", "3", "1", true, "Moon"},
        {"2", "5", "7", "1", false, ""},  // a planet without a moon
        {"9", "9", "9", "0", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.g) + ":" + c.s + ":" + c.p + " moon " + c.moon);
        EXPECT_EQ(dm->FindPlanet(c.g, c.s, c.p, c.moon), c.found);
        EXPECT_EQ(dm->qryPlanet->RecordCount(), c.found ? 1 : 0);
        if (c.found) {
            EXPECT_EQ(dm->qryPlanet->FieldByName("PlanetName")->AsString(), c.name);
        }
    }
    // Two rows: a plain exception, not the imports' own kind.
    auto [message, own] = Failure([&] { dm->FindPlanet("3", "3", "3", "0"); });
    EXPECT_EQ(message, "2 planets found where only one was expected");
    EXPECT_FALSE(own);
}

TEST_F(LookupsTest, FindPlayerByNameMatchesWithoutCaseAndReportsDuplicates) {
    // A file from before names were unique.
    Open("DROP INDEX tblPlayer_Name; INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (9, 'ALTAIR', 1);");
    EXPECT_TRUE(dm->FindPlayerByName("vega"));
    EXPECT_EQ(dm->qryPlayer->FieldByName("ID")->AsInteger(), 1);
    EXPECT_FALSE(dm->FindPlayerByName("Deneb"));
    auto [message, own] = Failure([&] { dm->FindPlayerByName("Altair"); });
    EXPECT_EQ(message,
              "2 players found when looking for \"Altair\". There is supposed to be only one, please delete the "
              "redundant players.");
    EXPECT_TRUE(own);
}

TEST_F(LookupsTest, FindersAnswerFromTheShownRowUntilAnotherFileIsOpened) {
    Open();
    ASSERT_TRUE(dm->FindPlayerByID(1));
    ASSERT_TRUE(dm->FindPlanetByID(3));
    ASSERT_TRUE(dm->FindAllianceByID(2));
    ExecSql(file, "UPDATE tblPlayer SET Name='Changed' WHERE ID=1; UPDATE tblPlanet SET PlanetName='Changed';"
                  "UPDATE tblAlliance SET Name='Changed' WHERE ID=2;");
    // Shown rows answer without asking the file again.
    EXPECT_TRUE(dm->FindPlayerByID(1));
    EXPECT_EQ(dm->qryPlayer->FieldByName("Name")->AsString(), "Vega");
    EXPECT_TRUE(dm->FindPlayerByName("Vega"));
    EXPECT_EQ(dm->qryPlayer->FieldByName("Name")->AsString(), "Vega");
    EXPECT_TRUE(dm->FindPlanetByID(3));
    EXPECT_EQ(dm->qryPlanet->FieldByName("PlanetName")->AsString(), "Far");
    // By name the alliance is always looked up.
    EXPECT_FALSE(dm->FindAllianceByName("Evil"));

    // Another file (a group switch) closes the finders: they look again.
    std::string second = folder.File("Second.mdb");
    MakeGameDatabase(second, "UPDATE tblPlayer SET Name='Other' WHERE ID=1;");
    ASSERT_TRUE(dm->OpenDatabase(second, kDefaultFormat));
    EXPECT_TRUE(dm->FindPlayerByID(1));
    EXPECT_EQ(dm->qryPlayer->FieldByName("Name")->AsString(), "Other");

    ExecSql(second, "INSERT INTO tblCombat (ID, DefenderPlanetID, BattleResult) VALUES (5, 1, 'won');");
    EXPECT_TRUE(dm->FindCombatByID(5));
    EXPECT_EQ(dm->qryCombat->FieldByName("BattleResult")->AsString(), "won");
    EXPECT_FALSE(dm->FindCombatByID(6));
}

TEST_F(LookupsTest, AlliancesAreFoundOrMadeOnce) {
    Open("DELETE FROM tblAlliance WHERE ID=1;");
    const int none = dm->GetAllianceID("").AsInteger();
    EXPECT_EQ(dm->GetAllianceID("").AsInteger(), none);
    EXPECT_EQ(dm->GetNoneAllianceID(), none);
    EXPECT_EQ(Query("SELECT Count(*) FROM tblAlliance WHERE Name='<none>'"), "1");
    EXPECT_EQ(Query("SELECT ID FROM tblAlliance WHERE Name='<none>'"), std::to_string(none));

    EXPECT_EQ(dm->GetAllianceID("evil").AsInteger(), 2);
    const int made = dm->GetAllianceID("Nova").AsInteger();
    EXPECT_EQ(dm->GetAllianceID("Nova").AsInteger(), made);
    EXPECT_EQ(Query("SELECT ID || ' ' || IFNULL(Members, 'null') FROM tblAlliance WHERE Name='Nova'"),
              std::to_string(made) + " null");
}

TEST_F(LookupsTest, DuplicateAllianceNamesOfOldFilesGiveTheOldestRow) {
    Open("DROP INDEX tblAlliance_Name;"
         "INSERT INTO tblAlliance (ID, Name) VALUES (8, 'Twin'), (6, 'twin'), (7, '<none>');");
    EXPECT_EQ(dm->GetAllianceID("Twin").AsInteger(), 6);
    EXPECT_EQ(dm->qryAlliance->FieldByName("ID")->AsInteger(), 6);
    EXPECT_EQ(dm->GetNoneAllianceID(), 1);
    EXPECT_EQ(Query("SELECT Count(*) FROM tblAlliance"), "6");
}

TEST_F(LookupsTest, FindOrCreatePlayerStoresThePlayerWithItsAlliance) {
    Open();
    const int deneb = dm->FindOrCreatePlayer("Deneb", "Nova");
    EXPECT_EQ(Query("SELECT ID FROM tblPlayer WHERE Name='Deneb'"), std::to_string(deneb));
    EXPECT_EQ(Query("SELECT tblAlliance.Name FROM tblPlayer, tblAlliance WHERE tblPlayer.ID=" + std::to_string(deneb) +
                    " AND tblAlliance.ID=AllianceID"),
              "Nova");
    // A known player moves to the alliance given, to "<none>" for none.
    EXPECT_EQ(dm->FindOrCreatePlayer("vega", ""), 1);
    EXPECT_EQ(Query("SELECT AllianceID FROM tblPlayer WHERE ID=1"), "1");
    EXPECT_EQ(dm->FindOrCreatePlayer("Vega", "A's"), 1);
    EXPECT_EQ(Query("SELECT AllianceID FROM tblPlayer WHERE ID=1"), "3");
    EXPECT_FALSE(dm->adoConnection->InTransaction());

    // Inside a transaction of the caller's that is rolled back, nothing stays.
    dm->adoConnection->BeginTrans();
    dm->FindOrCreatePlayer("Ghost", "Spooks");
    EXPECT_TRUE(dm->adoConnection->InTransaction());
    dm->adoConnection->RollbackTrans();
    EXPECT_EQ(Query("SELECT Count(*) FROM tblPlayer WHERE Name='Ghost'"), "0");
    EXPECT_EQ(Query("SELECT Count(*) FROM tblAlliance WHERE Name='Spooks'"), "0");
}

TEST_F(LookupsTest, SetPlayerAllianceAndName) {
    Open();
    dm->SetPlayerAlliance(2, "Nova");
    EXPECT_EQ(Query("SELECT a.Name FROM tblPlayer p, tblAlliance a WHERE p.ID=2 AND a.ID=p.AllianceID"), "Nova");
    dm->SetPlayerName(2, "Altair II");
    dm->SetPlayerName(1, "VEGA");  // only the case changes: no namesake
    EXPECT_EQ(Query("SELECT group_concat(Name, ',') FROM (SELECT Name FROM tblPlayer ORDER BY ID)"),
              "VEGA,Altair II,Rigel");

    // No such player: nothing is made.
    for (auto call : {+[](TdmMain* dm) { dm->SetPlayerName(42, "Nobody"); },
                      +[](TdmMain* dm) { dm->SetPlayerAlliance(42, "Nova"); }}) {
        auto [message, own] = Failure([&] { call(dm.get()); });
        EXPECT_TRUE(own) << message;
    }
    EXPECT_EQ(Query("SELECT Count(*) FROM tblPlayer"), "3");
}

TEST_F(LookupsTest, RenamingOntoANamesakeTakesItsPlanetsAndRemovesIt) {
    Open();
    dm->SetPlayerName(1, "rigel");
    EXPECT_EQ(Query("SELECT Name FROM tblPlayer WHERE ID=1"), "rigel");
    EXPECT_EQ(Query("SELECT Count(*) FROM tblPlayer WHERE ID=3"), "0");
    EXPECT_EQ(Query("SELECT group_concat(ID, ',') FROM (SELECT ID FROM tblPlanet WHERE PlayerID=1 ORDER BY ID)"),
              "1,2,4");
    EXPECT_FALSE(dm->adoConnection->InTransaction());
}

TEST_F(LookupsTest, ARenameThatKeepsFailingEndsAfterOneRetry) {
    struct {
        const char* name;
        std::string sql;
        int player;
        const char* newName;
    } const cases[] = {
        // The merge cannot move the namesake's planets: the retry meets the clash again.
        {"merge refused", RefuseSql("tblPlanet", "UPDATE"), 1, "Rigel"},
        // Every rename is refused and the name finds the player itself: no merge into itself.
        {"refused, no namesake", RefuseSql("tblPlayer", "UPDATE"), 1, "vega"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder own;
        file = own.File("Tesk.mdb");
        MakeGameDatabase(file, c.sql);
        dm = MakeDataModule();
        ASSERT_TRUE(dm->OpenDatabase(file, kDefaultFormat));
        auto [message, isOwn] = Failure([&] { dm->SetPlayerName(c.player, c.newName); });
        EXPECT_TRUE(isOwn) << message;
        EXPECT_EQ(message.rfind("RenamePlayer: ", 0), 0u) << message;
        EXPECT_EQ(Query("SELECT group_concat(Name, ',') FROM (SELECT Name FROM tblPlayer ORDER BY ID)"),
                  "Vega,Altair,Rigel");
        EXPECT_EQ(Query("SELECT group_concat(PlayerID, ',') FROM (SELECT PlayerID FROM tblPlanet ORDER BY ID)"),
                  "1,1,2,3");
        EXPECT_FALSE(dm->adoConnection->InTransaction());
        dm.reset();
    }
}

TEST_F(LookupsTest, DeleteDestroyedPlanetLogsAndRemovesOnlyThatRow) {
    FixedClock clock;
    Open();
    dm->DeleteDestroyedPlanet("1", "2", "3", "1");
    dm->DeleteDestroyedPlanet("2", "5", "7", "0");
    dm->DeleteDestroyedPlanet("8", "8", "8", "0");  // nothing there: no line
    const std::string stamp = DateTimeToStr(FixedClock::Time());
    EXPECT_EQ(stamp, "3/8/2024 2:05:09 PM");
    EXPECT_EQ(log.lines, (std::vector<std::string>{stamp + " - Warning: Moon [1:2:3] has been destroyed",
                                                    stamp + " - Warning: Planet Far [2:5:7] has been destroyed"}));
    EXPECT_EQ(Query("SELECT group_concat(ID, ',') FROM (SELECT ID FROM tblPlanet ORDER BY ID)"), "1,4");
    // The planet goes and leaves its moon.
    ExecSql(file, "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName) "
                  "VALUES (5, 1, 2, 3, 1, 'New moon');");
    dm->DeleteDestroyedPlanet("1", "2", "3", "0");
    EXPECT_EQ(log.lines.back(), stamp + " - Warning: Planet Home [1:2:3] has been destroyed");
    EXPECT_EQ(Query("SELECT group_concat(ID, ',') FROM (SELECT ID FROM tblPlanet ORDER BY ID)"), "4,5");
    EXPECT_FALSE(dm->adoConnection->InTransaction());
}

TEST_F(LookupsTest, InitNewPlanetRecordEmptiesOnlyARowBeingAppended) {
    FixedClock clock;
    Open();
    ASSERT_TRUE(dm->FindPlanet("1", "2", "3", "0"));
    dm->InitNewPlanetRecord();  // not appending: nothing changes
    EXPECT_EQ(dm->qryPlanet->FieldByName("PlanetName")->AsString(), "Home");
    EXPECT_EQ(dm->qryPlanet->State(), dsBrowse);

    dm->qryPlanet->Append();
    dm->qryPlanet->FieldByName("Metal")->SetAsInteger(5);
    dm->qryPlanet->FieldByName("PlanetName")->SetAsString("x");
    dm->InitNewPlanetRecord();
    for (int i = 0; i < dm->qryPlanet->FieldCount(); ++i) {
        TField* f = dm->qryPlanet->Fields()->Fields(i);
        if (f->FieldName() == "LastScanned")
            EXPECT_EQ(f->AsDateTime(), FixedClock::Time());
        else if (f->FieldName() == "NumberOfAttacks")
            EXPECT_EQ(f->AsInteger(), 0);
        else
            EXPECT_TRUE(f->IsNull()) << f->FieldName();
    }
    dm->qryPlanet->Cancel();
}
