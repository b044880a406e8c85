// TPlanet: the decision rows of StoreOne with their warnings, status changes,
// moons and destroyed colonies.
#include <gtest/gtest.h>

#include "app/uPlanet.h"
#include "tests/app/ImportTestSupport.h"

using namespace importtest;

namespace {

const char* const kGame =
    "INSERT INTO tblAlliance (ID, Name, Ranking, Members) VALUES (1, '<none>', NULL, NULL), (2, 'ABC', 1, 1), "
    "(3, 'XYZ', 2, 2);"
    "INSERT INTO tblPlayer (ID, Name, AllianceID, Inactive, Vacation, Strong, Noob, Banned, LongInactive) VALUES "
    "(1, 'Bravo', 2, 1, 0, 0, 0, 0, 0), (2, 'Charlie', 1, 0, 0, 0, 0, 0, 0);"
    "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, Metal) VALUES "
    "(1, 1, 234, 5, 0, 'Homeworld', 1, 500), (2, 1, 234, 5, 1, 'Homeworld', 1, 7);";

struct Page {
    const char* position;
    const char* planet;
    const char* player;
    const char* alliance;
};

class PlanetTest : public ::testing::Test {
protected:
    PlanetTest() : db(kGame) { db.RouteLog(&host.Log); }

    // Stores one position with a moon and the stored player's flags (Inactive).
    void Store(const Page& p, bool moon = true, bool inactive = true) { StoreIn(db, p, moon, inactive); }
    void StoreIn(ImportDatabase& into, const Page& p, bool moon = true, bool inactive = true) {
        TPlanet planet(into.dm());
        planet.OnLog = MakeEvent(this, &PlanetTest::Log);
        planet.Galaxy = "1";
        planet.SolarSystem = "234";
        planet.Position = p.position;
        planet.PlanetName = p.planet;
        planet.PlayerName = p.player;
        planet.AllianceName = p.alliance;
        planet.HasMoon = moon;
        planet.Inactive = inactive;
        planet.PlayerRank = "42";
        planet.MetalDebris = "1000";
        planet.CrystalDebris = "";
        planet.Store();
    }
public:
    void Log(TObject*, const AnsiString& Text) { host.AddToLog(Text); }

protected:
    // "name/owner/alliance/metal" of the planet row at the position.
    std::string Row(const char* position, const char* moon = "0") { return RowIn(db, position, moon); }
    std::string RowIn(ImportDatabase& in, const char* position, const char* moon = "0") {
        return in.Query(std::string("SELECT PlanetName||'/'||p.Name||'/'||a.Name||'/'||IFNULL(Metal,'null') FROM "
                                    "tblPlanet t JOIN tblPlayer p ON p.ID=t.PlayerID JOIN tblAlliance a ON "
                                    "a.ID=p.AllianceID WHERE PlanetID=") +
                        position + " AND IsMoon=" + moon);
    }
    ImportDatabase db;
    RecordingHost host;
};

TEST_F(PlanetTest, DecisionRowsAndTheirWarnings) {
    struct Case {
        Page page;
        std::vector<std::string> warnings;
        std::string row;  // of the planet afterwards
    } cases[] = {
        // Nothing changed: no warning, the stored values stay.
        {{"5", "Homeworld", "Bravo", "ABC"}, {}, "Homeworld/Bravo/ABC/500"},
        {{"5", "HOMEWORLD", "bravo", "abc"}, {}, "Homeworld/Bravo/ABC/500"},
        // A new name alone.
        {{"5", "Capital", "Bravo", "ABC"}, {}, "Capital/Bravo/ABC/500"},
        // New name and another alliance: the player moves.
        {{"5", "Capital", "Bravo", "XYZ"},
         {"Warning: Player Bravo switched from alliance ABC to alliance XYZ"},
         "Capital/Bravo/XYZ/500"},
        // Same name, same player, another alliance.
        {{"5", "Homeworld", "Bravo", ""},
         {"Warning: Player Bravo switched from alliance ABC to alliance <none>"},
         "Homeworld/Bravo/<none>/500"},
        // An unknown name at a planet that kept its name: the owner renamed himself.
        {{"5", "Homeworld", "Bravissimo", "ABC"},
         {"Warning: Player renamed himself from Bravo to Bravissimo"},
         "Homeworld/Bravissimo/ABC/500"},
        {{"5", "Homeworld", "Bravissimo", "XYZ"},
         {"Warning: Player renamed himself from Bravo to Bravissimo and switched from alliance ABC to alliance XYZ"},
         "Homeworld/Bravissimo/XYZ/500"},
        // A known player at a planet that kept its name: a new colony, the old row goes.
        {{"5", "Homeworld", "Charlie", ""},
         {"Warning: Planet Homeworld [1:234:5] has been destroyed",
          "Warning: Player Charlie (<none>) established a colony at [1:234:5]",
          "Warning: Status of player Charlie (<none>) changed to status_inactive",
          "Warning: Moon [1:234:5] has been destroyed",
          "Warning: Player Charlie (<none>) established a colony at [1:234:5]"},
         "Homeworld/Charlie/<none>/null"},
        // Another name and another player.
        {{"5", "Outpost", "Dora", "XYZ"},
         {"Warning: Planet Homeworld [1:234:5] has been destroyed",
          "Warning: Player Dora (XYZ) established the colony \"Outpost\" at [1:234:5]",
          "Warning: Status of player Dora (XYZ) changed to status_inactive",
          "Warning: Moon [1:234:5] has been destroyed",
          "Warning: Player Dora (XYZ) established the colony \"Outpost\" at [1:234:5]"},
         "Outpost/Dora/XYZ/null"},
        // A position seen for the first time.
        {{"7", "Fresh", "Dora", "XYZ"},
         {"Warning: Player Dora (XYZ) established the colony \"Fresh\" at [1:234:7]",
          "Warning: Status of player Dora (XYZ) changed to status_inactive",
          "Warning: Player Dora (XYZ) established the colony \"Fresh\" at [1:234:7]"},
         "Fresh/Dora/XYZ/null"},
    };
    for (const Case& c : cases) {
        ImportDatabase fresh(kGame);
        fresh.RouteLog(&host.Log);
        host.Log.clear();
        StoreIn(fresh, c.page);
        EXPECT_EQ(Bodies(host.Log), c.warnings) << c.page.planet << "/" << c.page.player;
        EXPECT_EQ(RowIn(fresh, c.page.position), c.row) << c.page.planet << "/" << c.page.player;
        // The moon row follows the planet row and the scan is written.
        EXPECT_EQ(fresh.Query(std::string("SELECT count(*)||'/'||count(SolarSystemScan)||'/'||sum(MetalDebris) FROM "
                                       "tblPlanet WHERE PlanetID=") +
                           c.page.position),
                  "2/2/2000");
    }
}

TEST_F(PlanetTest, TheDefaultNameNeverCountsAsTheSamePlanet) {
    db.Exec("UPDATE tblPlanet SET PlanetName='Colony'");
    // The same owner: only the name counts as changed, silently.
    Store({"5", "Colony", "Bravo", "ABC"});
    EXPECT_TRUE(host.Log.empty());
    // Another owner: a new colony, the old rows replaced.
    Store({"5", "Colony", "Charlie", ""});
    EXPECT_EQ(Bodies(host.Log),
              (std::vector<std::string>{"Warning: Planet Colony [1:234:5] has been destroyed",
                                        "Warning: Player Charlie (<none>) established the colony \"Colony\" at [1:234:5]",
          "Warning: Status of player Charlie (<none>) changed to status_inactive",
                                        "Warning: Moon [1:234:5] has been destroyed",
                                        "Warning: Player Charlie (<none>) established the colony \"Colony\" at [1:234:5]"}));
    EXPECT_EQ(Row("5"), "Colony/Charlie/<none>/null");
}

TEST_F(PlanetTest, StatusChangesNameEveryChangedFlagOnce) {
    Store({"5", "Homeworld", "Bravo", "ABC"}, true, false);
    EXPECT_EQ(Bodies(host.Log),
              (std::vector<std::string>{"Warning: Status of player Bravo (ABC) changed to status_inactive"}));
    host.Log.clear();
    // The same page again: nothing to report, only scan, debris and rank written.
    Store({"5", "Homeworld", "Bravo", "ABC"}, true, false);
    EXPECT_TRUE(host.Log.empty());
    EXPECT_EQ(db.Query("SELECT Rank||'/'||Inactive FROM tblPlayer WHERE Name='Bravo'"), "42/0");
    EXPECT_EQ(db.Query("SELECT IFNULL(Ranking,'null')||'/'||IFNULL(Members,'null') FROM tblAlliance WHERE Name='ABC'"),
              "null/null");
}

TEST_F(PlanetTest, AMoonThatIsGoneIsDeletedWithItsWarning) {
    Store({"5", "Homeworld", "Bravo", "ABC"}, false);
    EXPECT_EQ(Bodies(host.Log), (std::vector<std::string>{"Warning: Moon [1:234:5] has been destroyed"}));
    EXPECT_EQ(db.Query("SELECT count(*) FROM tblPlanet"), "1");
}

TEST_F(PlanetTest, ADestroyedColonyTakesPlanetAndMoon) {
    TPlanet planet(db.dm());
    planet.OnLog = MakeEvent(static_cast<PlanetTest*>(this), &PlanetTest::Log);
    planet.Galaxy = "1";
    planet.SolarSystem = "234";
    planet.Position = "5";
    planet.CheckDestroyedColony();
    EXPECT_EQ(Bodies(host.Log), (std::vector<std::string>{"Warning: Player Bravo (ABC) has destroyed colony [1:234:5]",
                                                          "Warning: Planet Homeworld [1:234:5] has been destroyed",
                                                          "Warning: Moon [1:234:5] has been destroyed"}));
    EXPECT_EQ(db.Query("SELECT count(*) FROM tblPlanet"), "0");
    host.Log.clear();
    planet.CheckDestroyedColony();
    EXPECT_TRUE(host.Log.empty());
}

TEST_F(PlanetTest, AFailedRowRollsBackItsOwnTransactionOnly) {
    // A refused planet update fails the row: nothing of it stays, and no
    // transaction is left open for the next write to join.
    db.Exec(datatest::RefuseSql("tblPlanet", "UPDATE"));
    EXPECT_ANY_THROW(Store({"5", "Capital", "Bravo", "XYZ"}));
    EXPECT_FALSE(db.dm()->adoConnection->InTransaction());
    EXPECT_EQ(Row("5"), "Homeworld/Bravo/ABC/500");
}

}  // namespace
