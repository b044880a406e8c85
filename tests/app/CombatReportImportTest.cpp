// The combat-report import over a fresh database with the shipped words.
#include <gtest/gtest.h>

#include "app/uCombatReportImport.h"
#include "app/uGameText.h"
#include "platform/gui/Forms.h"
#include "tests/app/ImportTestSupport.h"

using namespace importtest;

namespace {

struct Battle {
    std::string word = "clashed at";
    std::string time = "07-24 10:00:00";
    std::string defenderCoords = "1:234:5";
    std::string attackerCoords = "1:100:5";
    std::string losses = "3000";
    std::string outcome = "Attacker wins. Loot: 1000 metal, 2000 crystal, 500 deuterium.";
    bool debris = true;
};

// "|" is a TAB, "\n" a CR LF.
AnsiString Report(const Battle& b) {
    std::string s = "The following fleets " + b.word + " " + b.time +
                    ":\nAttacker Alpha (" + b.attackerCoords + ")\nWeapon: 100% Shields: 90% Armour: 110%\n"
                    "Type|Light Fighter|Cruiser\nNumber|50|10\nDefender Bravo (" +
                    b.defenderCoords +
                    ")\nWeapon: 80% Shields: 70% Armour: 60%\nType|Missile Launcher\nNumber|20\n" + b.outcome +
                    "\nAttacker losses: " + b.losses + " units\nDefender losses: 15000 units\n" +
                    (b.debris ? "Debris field: 4500 metal and 3000 crystal." : "");
    return Crlf(s);
}

class FakeCombatPage : public ICombatReportPage, public RecordingHost {
public:
    AnsiString CombatText() const override { return text; }
    void SetCombatText(const AnsiString& Text) override { text = Text; }
    AnsiString PlayerName() const override { return you; }
    bool SubtractResources() const override { return resources; }
    bool SubtractDefences() const override { return defences; }
    bool SubtractFleet() const override { return fleet; }
    void AddToLog(const AnsiString& Line) override { RecordingHost::AddToLog(Line); }
    void Beep(UINT SoundType) override { RecordingHost::Beep(SoundType); }
    AnsiString text, you = "Alpha";
    bool resources = true, defences = true, fleet = true;
};

// Bravo's planet at 1:234:5, last scanned a day before the battle.
const char* const kDefender =
    "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');"
    "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Bravo', 1);"
    "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, LastScanned, "
    "NumberOfAttacks, Metal, Crystal, Deuterium, TotalResources, MissileLauncher, SmallLaser, HeavyLaser, IonCannon, "
    "GaussCannon, PlasmaCannon, SmallShieldDome, LargeShieldDome, LightFighter, Recycler, EspionageProbe, "
    "AssaultPower, DefencePower) VALUES (1, 1, 234, 5, 0, 'Home', 1, '2024-07-23 10:00:00', 2, 3000, 9000, 100, "
    "12100, 1, 2, 3, 6, 10, NULL, 1, 1, 5, 3, 7, 253, 1);";

class CombatReportImportTest : public ::testing::Test {
protected:
    CombatReportImportTest() : db(kDefender) { db.RouteLog(&page.Log); }
    void Run(const Battle& b = Battle()) {
        page.Log.clear();
        page.Beeps.clear();
        page.text = Report(b);
        ProcessCombatReport(db.dm(), page);
    }
    std::string Defender() {
        return db.Query(
            "SELECT Metal||'/'||Crystal||'/'||Deuterium||'/'||TotalResources||' '||MissileLauncher||','||SmallLaser||','||"
            "HeavyLaser||','||IonCannon||','||GaussCannon||','||IFNULL(PlasmaCannon,'null')||','||SmallShieldDome||','||"
            "LargeShieldDome||' '||DefencePower||' '||LightFighter||','||Recycler||','||EspionageProbe||' '||"
            "AssaultPower||' '||NumberOfAttacks||' '||IFNULL(LastAttacked,'null') FROM tblPlanet WHERE ID=1");
    }
    std::string Technology(const char* name) {
        return db.Query(std::string("SELECT IFNULL(WeaponTechnology,'-')||'/'||IFNULL(ShieldingTechnology,'-')||'/'||"
                                    "IFNULL(ArmourTechnology,'-') FROM tblPlayer WHERE Name='") +
                        name + "'");
    }
    std::string Combats() {
        return db.Query(
            "SELECT group_concat(DateTime||' '||BattleResult||' '||IFNULL(MetalRaided,'-')||'/'||"
            "IFNULL(CrystalRaided,'-')||'/'||IFNULL(DeuteriumRaided,'-')||' '||AttackerLostRes||'/'||DefenderLostRes||' '||"
            "MetalDebris||'/'||CrystalDebris||' '||DefenderPlanetID||'<'||AttackerPlanetID, ' | ') FROM tblCombat");
    }
    std::string Last() { return page.Log.empty() ? "" : Bodies(page.Log).back(); }
    ImportDatabase db;
    FakeCombatPage page;
};

TEST_F(CombatReportImportTest, TheUserAttacksAndWinsARaid) {
    Run();
    EXPECT_EQ(Last(), "Message: Combat report on 1:234:5 processed successfully");
    EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONASTERISK});
    EXPECT_EQ(page.text, "");
    EXPECT_EQ(Combats(), "2024-07-24 10:00:00 Won 1000/2000/500 3000/15000 4500/3000 1<2");
    // Metal and crystal lowered, deuterium kept (raid above stock); defences
    // x0.75 half to even, domes kept; ships gone but recyclers.
    EXPECT_EQ(Defender(), "2000/7000/100/9100 1,2,2,4,8,0,1,1 10182 0,3,0 0 3 2024-07-24 10:00:00");
    // The unknown attacker and his planet were added; the defender's levels
    // went to the defender's row, the user's own stays untouched.
    EXPECT_EQ(db.Query("SELECT p.Name||' '||a.Name||' '||t.GalaxyID||':'||t.SolarsystemID||':'||t.PlanetID FROM "
                       "tblPlanet t JOIN tblPlayer p ON p.ID=t.PlayerID JOIN tblAlliance a ON a.ID=p.AllianceID "
                       "WHERE t.ID=2"),
              "Alpha <none> 1:100:5");
    EXPECT_EQ(Technology("Bravo"), "8/7/6");
    EXPECT_EQ(Technology("Alpha"), "-/-/-");
    EXPECT_EQ(db.Query("SELECT Report FROM tblCombat"), NormaliseGameText(Report(Battle())));
}

TEST_F(CombatReportImportTest, TheUserDefendsAndTheAttackersLevelsGoToTheAttacker) {
    page.you = "bravo";
    page.resources = page.defences = page.fleet = false;
    Run();
    EXPECT_EQ(Technology("Alpha"), "10/9/11");
    EXPECT_EQ(Technology("Bravo"), "-/-/-");
    // The boxes are off: only the attack is counted.
    EXPECT_EQ(Defender(), "3000/9000/100/12100 1,2,3,6,10,null,1,1 1 5,3,7 253 3 2024-07-24 10:00:00");
}

TEST_F(CombatReportImportTest, DuplicatesAreTheSameTimeAtTheSamePlanet) {
    Run();
    Run();
    EXPECT_EQ(Last(), "Error processing combat report: This report has already been processed");
    EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONHAND});
    EXPECT_FALSE(page.text.empty());
    EXPECT_EQ(db.Query("SELECT count(*)||' '||(SELECT NumberOfAttacks FROM tblPlanet WHERE ID=1) FROM tblCombat"), "1 3");
    // The same second at another planet is another battle.
    Battle other;
    other.defenderCoords = "1:234:6";
    Run(other);
    EXPECT_EQ(Last(), "Message: Combat report on 1:234:6 processed successfully");
    EXPECT_EQ(db.Query("SELECT count(*) FROM tblCombat"), "2");
}

// Reports as players paste them: coordinates that are no plain decimal
// digits and counts beyond their column refuse the report, nothing stored;
// counts with thousands separators read whole.
TEST_F(CombatReportImportTest, PastesAsPlayersMakeThem) {
    const std::string incomplete =
        "Error processing combat report: This combat report is incomplete or badly formatted. Make sure you copy from "
        "\"The following fleets ... \" untill \"... Debris field: xxx metal and xxx crystal.\"";
    const std::string nothing = "1 <null>";  // the stored planet alone, no combat
    struct Case {
        const char* what;
        Battle battle;
        std::string log, rows;
    } cases[] = {
        {"hex attacker", [] { Battle b; b.attackerCoords = "0x1:100:5"; return b; }(), incomplete, nothing},
        {"hex defender", [] { Battle b; b.defenderCoords = "$1:234:5"; return b; }(), incomplete, nothing},
        {"past 32 bits", [] { Battle b; b.losses = "3,000,000,000"; return b; }(),
         "Message: Combat report on 1:234:5 processed successfully",
         "2 2024-07-24 10:00:00 Won 1000/2000/500 3000000000/15000 4500/3000 1<2"},
        {"beyond 64 bits", [] { Battle b; b.losses = "30,000,000,000,000,000,000"; return b; }(),
         "Error processing combat report: '30000000000000000000' is not a valid integer value", nothing},
        {"thousands separators",
         [] {
             Battle b;
             b.outcome = "Attacker wins. Loot: 1.000 metal, 2,000 crystal, 500 deuterium.";
             b.losses = "3.000";
             return b;
         }(),
         "Message: Combat report on 1:234:5 processed successfully",
         "2 2024-07-24 10:00:00 Won 1000/2000/500 3000/15000 4500/3000 1<2"},
    };
    for (const Case& c : cases) {
        ImportDatabase fresh(kDefender);
        FakeCombatPage p;
        p.text = Report(c.battle);
        ProcessCombatReport(fresh.dm(), p);
        EXPECT_EQ(Bodies(p.Log).back(), c.log) << c.what;
        EXPECT_EQ(fresh.Query("SELECT count(*) FROM tblPlanet") + " " +
                      fresh.Query("SELECT group_concat(DateTime||' '||BattleResult||' '||MetalRaided||'/'||CrystalRaided||"
                                  "'/'||DeuteriumRaided||' '||AttackerLostRes||'/'||DefenderLostRes||' '||MetalDebris||"
                                  "'/'||CrystalDebris||' '||DefenderPlanetID||'<'||AttackerPlanetID) FROM tblCombat"),
                  c.rows)
            << c.what;
        EXPECT_EQ(fresh.Query("SELECT count(*) FROM tblPlayer"), c.rows == nothing ? "1" : "2") << c.what;
    }
}

// A stock past 32 bits, as a file of an earlier build may hold it, is read,
// lowered and summed whole.
TEST_F(CombatReportImportTest, AStockPast32BitsIsAdjustedWhole) {
    db.Exec("UPDATE tblPlanet SET Metal=3000000000, TotalResources=3000009100, MissileLauncher=3000000000");
    Run();
    EXPECT_EQ(Last(), "Message: Combat report on 1:234:5 processed successfully");
    EXPECT_EQ(Defender(),
              "2999999000/7000/100/3000006100 2250000000,2,2,4,8,0,1,1 180000010102 0,3,0 0 3 2024-07-24 10:00:00");
}

TEST_F(CombatReportImportTest, RefusalsStoreNothing) {
    struct Case {
        const char* you;
        Battle battle;
        std::string error;
    } cases[] = {
        {"Zed", Battle(), "This combat took place between Alpha and Bravo, your name Zed doesn't match"},
        {"", Battle(),
         "Please specify your playername so technologies like weapons, shielding and armour of opponent can be found"},
        {"Alpha", Battle{.debris = false},
         "This combat report is incomplete or badly formatted. Make sure you copy from \"The following fleets ... \" "
         "untill \"... Debris field: xxx metal and xxx crystal.\""},
        {"Alpha", Battle{.time = "7-24 10:00"},
         "Tesk can't find the date and time in the combat report. Please check the language variables BREachOtherOn "
         "&& BREachOtherAt"},
    };
    for (const Case& c : cases) {
        page.you = c.you;
        Run(c.battle);
        EXPECT_EQ(Last(), "Error processing combat report: " + c.error);
        EXPECT_EQ(page.Log.size(), 1u);
        EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONHAND});
    }
    EXPECT_EQ(db.Query("SELECT (SELECT count(*) FROM tblCombat)||(SELECT count(*) FROM tblPlayer)||"
                       "(SELECT count(*) FROM tblPlanet)||(SELECT NumberOfAttacks FROM tblPlanet)"),
              "0112");
    EXPECT_FALSE(db.dm()->adoConnection->InTransaction());
}

TEST_F(CombatReportImportTest, OlderThanTheSpyReportOrNotWonChangesNoStock) {
    db.Exec("UPDATE tblPlanet SET LastScanned='2024-07-24 11:00:00'");
    Run();
    EXPECT_EQ(Bodies(page.Log),
              (std::vector<std::string>{"Message: Combat report was older than latest spy report, resources, defences "
                                        "& fleet not adjusted",
                                        "Message: Combat report on 1:234:5 processed successfully"}));
    EXPECT_EQ(Defender(), "3000/9000/100/12100 1,2,3,6,10,null,1,1 1 5,3,7 253 3 2024-07-24 10:00:00");
    db.Exec("UPDATE tblPlanet SET LastScanned='2024-07-20 11:00:00'");
    Battle lost{.time = "07-24 10:00:01", .outcome = "Defender wins."};
    Run(lost);
    Battle draw{.time = "07-24 10:00:02", .outcome = "Nobody wins."};
    Run(draw);
    EXPECT_EQ(Combats(), "2024-07-24 10:00:00 Won 1000/2000/500 3000/15000 4500/3000 1<2 | "
                         "2024-07-24 10:00:01 Lost -/-/- 3000/15000 4500/3000 1<2 | "
                         "2024-07-24 10:00:02 Draw -/-/- 3000/15000 4500/3000 1<2");
    EXPECT_EQ(Defender(), "3000/9000/100/12100 1,2,3,6,10,null,1,1 1 5,3,7 253 5 2024-07-24 10:00:02");
}

TEST_F(CombatReportImportTest, TheOtherTimeWordAndTheMoonQuestion) {
    db.Exec("INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID) VALUES "
            "(2, 1, 234, 5, 1, 'Moon', 1);");
    db.Dialogs().QueueAnswer(mrYes);
    Run(Battle{.word = "clashed on"});
    EXPECT_EQ(Last(), "Message: Combat report on 1:234:5 processed successfully");
    ASSERT_EQ(db.Dialogs().Messages.size(), 1u);
    EXPECT_EQ(db.Dialogs().Messages[0].Text, "Did the combat take place on the moon of 1:234:5 ?");
    EXPECT_EQ(db.Query("SELECT DefenderPlanetID||' '||(SELECT NumberOfAttacks FROM tblPlanet WHERE ID=2) FROM tblCombat"),
              "2 1");
    // No moon stored: the question comes only for a planet row that is missing.
    db.Dialogs().QueueAnswer(mrNo);
    Run(Battle{.time = "07-24 11:00:00", .defenderCoords = "2:2:2"});
    ASSERT_EQ(db.Dialogs().Messages.size(), 2u);
    EXPECT_EQ(db.Query("SELECT IsMoon||PlayerID FROM tblPlanet WHERE GalaxyID=2"), "01");
}

}  // namespace
