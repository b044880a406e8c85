// The import commands of the main window over its own controls: a spy report
// and a combat report pasted into their pages, the Enter key, the alliance
// statistics, and a second import refused while one runs.
#include <gtest/gtest.h>

#include "platform/gui/Forms.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

const char* const kSpy =
    "Intel on Homeworld [1:234:5] time 07-23 14:05:09\r\nMetal: 12000\tCrystal: 8000\r\n"
    "Deuterium: 3000\tEnergy: 150\r\nFleet\r\nLight Fighter 50\r\nResearch\r\nWeapon Technology 7\r\n"
    "Counter-espionage chance: 12%";
const char* const kCombat =
    "The following fleets clashed at 07-24 10:00:00:\r\nAttacker Alpha (1:100:5)\r\n"
    "Weapon: 100% Shields: 90% Armour: 110%\r\nDefender Bravo (1:234:5)\r\nWeapon: 80% Shields: 70% Armour: 60%\r\n"
    "Attacker wins. Loot: 1000 metal, 2000 crystal, 500 deuterium.\r\nAttacker losses: 3000 units\r\n"
    "Defender losses: 15000 units\r\nDebris field: 4500 metal and 3000 crystal.";

TEST(MainWindowImportTest, SpyAndCombatReportsThroughTheirPages) {
    MainWindowFixture f;
    TfrmMain* w = f.Open();
    const std::string db = f.folder.File("Tesk.mdb");
    ASSERT_TRUE(dmMain->OpenDatabase(db, "Data Source=%s"));
    w->SetActiveLanguage("English");
    ASSERT_TRUE(w->actProcessSpyReport->Enabled());

    w->memSpy->SetText(kSpy);
    w->cmbPlayer->SetText("Bravo");
    w->cmbAlliance->SetText("ABC");
    w->grpRating->SetItemIndex(2);
    w->actProcessSpyReport->Execute();
    EXPECT_EQ(LastLog(w), "Message: Spy report on 1:234:5 processed successfully");
    EXPECT_EQ(QuerySql(db, "SELECT PlanetName||Metal||'/'||LightFighter||'/'||Rating FROM tblPlanet"),
              "Homeworld12000/50/2");
    EXPECT_EQ(w->memSpy->Text(), "");
    EXPECT_EQ(w->grpRating->ItemIndex(), -1);
    EXPECT_EQ(w->lblPlanetFound->Caption(), "found");
    EXPECT_TRUE(w->actProcessSpyReport->Enabled());

    // The owner preview of the same report finds the stored planet.
    w->memSpy->SetText(kSpy);
    w->cmbPlayer->SetText("");
    w->memSpyExit(nullptr);
    EXPECT_EQ(w->cmbPlayer->Text(), "Bravo");
    EXPECT_EQ(w->grpRating->ItemIndex(), 2);
    // Enter in the memo runs the import: the same report is refused.
    WORD enter = VK_RETURN;
    w->memSpyKeyUp(w->memSpy, enter, TShiftState());
    EXPECT_EQ(LastLog(w), "Error: Spy report on 1:234:5 has already been processed");

    w->edtPlayerName->SetText("Alpha");
    w->memCombat->SetText(kCombat);
    w->actProcessCombatReport->Execute();
    EXPECT_EQ(LastLog(w), "Message: Combat report on 1:234:5 processed successfully");
    EXPECT_EQ(QuerySql(db, "SELECT BattleResult||MetalRaided FROM tblCombat"), "Won1000");
    EXPECT_EQ(QuerySql(db, "SELECT Metal||'/'||LightFighter FROM tblPlanet WHERE PlanetID=5"), "11000/0");
    EXPECT_EQ(w->memCombat->Text(), "");

    w->memAlliance->SetText("12\t-\tSome Name\t \t10\t99\t4321");
    w->actProcessAlliances->Execute();
    EXPECT_EQ(LastLog(w), "Message: Alliance statistics processed successfully");
    EXPECT_GE(w->cmbAlliance->Items()->IndexOf("Some Name"), 0);
}

TEST(MainWindowImportTest, NoSecondImportStartsInsideTheMoonQuestion) {
    MainWindowFixture f;
    TfrmMain* w = f.Open();
    const std::string db = f.folder.File("Tesk.mdb");
    ASSERT_TRUE(dmMain->OpenDatabase(db, "Data Source=%s"));
    w->SetActiveLanguage("English");
    ExecSql(db, "INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName) VALUES (1, 234, 5, 1, 'M')");
    // The moon question is answered by a box that, while open, tries a spy
    // import: the spy action is disabled and does nothing.
    bool triedEnabled = true;
    f.dialogs->QueueAnswer(mrNo);
    w->edtPlayerName->SetText("Alpha");
    w->memCombat->SetText(kCombat);
    w->memSpy->SetText(kSpy);
    w->cmbPlayer->SetText("Bravo");
    struct Probe : IDialogService {
        TfrmMain* w;
        bool* enabled;
        int MessageDialog(const TMessageDlgRequest&) override {
            *enabled = w->actProcessSpyReport->Enabled();
            w->actProcessSpyReport->Execute();
            w->actProcessSpyReportExecute(nullptr);
            return mrNo;
        }
        bool FileDialog(TFileDialogRequest&) override { return false; }
    };
    auto probe = std::make_shared<Probe>();
    probe->w = w;
    probe->enabled = &triedEnabled;
    SetDialogService(probe);
    w->actProcessCombatReport->Execute();
    SetDialogService(f.dialogs);
    EXPECT_FALSE(triedEnabled);
    EXPECT_EQ(QuerySql(db, "SELECT count(*) FROM tblPlanet WHERE Metal IS NOT NULL"), "0");
    EXPECT_EQ(LastLog(w), "Message: Combat report on 1:234:5 processed successfully");
    EXPECT_TRUE(w->actProcessSpyReport->Enabled());
}

}  // namespace
