// The import commands of the main window over its own controls: a spy report
// and a combat report pasted into their pages, the Enter key (called and
// typed), the alliance statistics, and a second import refused while one runs.
#include <gtest/gtest.h>

#include "editor/TeEdit.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputSimulation.h"
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

// Enter typed into each paste box of the shown window, as the keyboard sends
// it: the key reaches the box once, so its import runs once.
TEST(MainWindowImportTest, EnterTypedInAPasteBoxRunsItsImportOnce) {
    MainWindowFixture f;
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    TfrmMain* w = f.Start();
    ASSERT_TRUE(w->Shown);
    ASSERT_TRUE(dmMain->OpenDatabase(f.folder.File("Tesk.mdb"), "Data Source=%s"));
    w->edtPlayerName->SetText("Alpha");
    w->cmbPlayer->SetText("Bravo");
    struct Case {
        TTabSheet* page;
        TWinControl* box;
        AnsiString text;
        const char* log;
        size_t minSounds;
    };
    const Case cases[] = {
        {w->tsProcessSpyReports, w->memSpy, kSpy, "Message: Spy report on 1:234:5 processed successfully", 1},
        {w->tsProcessCombatReports, w->memCombat, kCombat, "Message: Combat report on 1:234:5 processed successfully",
         1},
        {w->tsParseAlliances, w->memAlliance, "12\t-\tSome Name\t \t10\t99\t4321",
         "Message: Alliance statistics processed successfully", 0},
        {w->tsSolarSystem, w->memSolarSystem, "Solar system 2:345\r\nPos\tPlanet\tName\r\n1\t \tHarbour", nullptr, 0},
        // An empty box fails once, with one error sound.
        {w->tsProcessSpyReports, w->memSpy, "", "Error processing spy report: Nothing to process", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box->Name());
        w->pcMain->SetActivePage(c.page);
        c.box->SetText(c.text);
        w->SetActiveControl(c.box);
        Application->ProcessMessages();
        ASSERT_EQ(GetFocus(), c.box->Handle());
        const int lines = w->memLog->Lines()->Count();
        f.system->Beeps.clear();
        SimulateKey(c.box->Handle(), VK_RETURN);
        Application->ProcessMessages();
        EXPECT_EQ(w->memLog->Lines()->Count(), lines + 1);
        if (c.log) {
            EXPECT_EQ(LastLog(w), c.log);
        }
        EXPECT_GE(f.system->Beeps.size(), c.minSounds);
        EXPECT_LE(f.system->Beeps.size(), 1u);
    }
}

}  // namespace
