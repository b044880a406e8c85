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

// A report on the planet at [1:234:Position]; Mine is the metal mine's level
// as the page shows it.
std::string SpyOn(int Position, const char* Time, const char* Mine = "3") {
    return std::string("Intel on Homeworld [1:234:") + std::to_string(Position) + "] time " + Time +
           "\r\nMetal: 12000\tCrystal: 8000\r\nDeuterium: 3000\tEnergy: 150\r\nFleet\r\nLight Fighter 50\r\n"
           "Buildings\r\nMetal Mine " + Mine + "\r\nResearch\r\nWeapon Technology 7\r\nCounter-espionage chance: 12%\r\n";
}

// Every line of the log pane without its time.
std::vector<std::string> LogLines(TfrmMain* w) {
    std::vector<std::string> lines;
    for (int i = 0; i < w->memLog->Lines()->Count(); ++i) {
        const std::string line = w->memLog->Lines()->Strings(i);
        const size_t p = line.find(" - ");
        lines.push_back(p == std::string::npos ? line : line.substr(p + 3));
    }
    return lines;
}

// Alpha (1) owns positions 1 to 3 and Beta (2) positions 4 and 5.
void StoreOwners(const std::string& db) {
    ExecSql(db,
            "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');"
            "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Alpha', 1), (2, 'Beta', 1);"
            "INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID) VALUES "
            "(1, 234, 1, 0, 'P', 1), (1, 234, 2, 0, 'P', 1), (1, 234, 3, 0, 'P', 1), (1, 234, 4, 0, 'P', 2), "
            "(1, 234, 5, 0, 'P', 2);");
}

// A paste's log lines are all in the pane, in the order of the reports, the
// refused ones among them; a report that fails ends the paste with the ones
// before it stored and itself and those after it left in the memo.
TEST(MainWindowImportTest, PasteLogsEveryReportInOrderAndKeepsWhatWasStoredBeforeAFailure) {
    MainWindowFixture f;
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    TfrmMain* w = f.Start();
    ASSERT_TRUE(w->Shown);
    const std::string db = f.folder.File("Tesk.mdb");
    ASSERT_TRUE(dmMain->OpenDatabase(db, "Data Source=%s"));
    StoreOwners(db);
    w->pcMain->SetActivePage(w->tsProcessSpyReports);

    w->memLog->Lines()->Clear();
    w->memSpy->SetText(SpyOn(1, "07-23 14:05:09") + SpyOn(4, "07-23 14:05:09") + SpyOn(1, "07-23 14:05:09") +
                       SpyOn(2, "07-23 14:05:09"));
    w->actProcessSpyReport->Execute();
    EXPECT_EQ(LogLines(w), (std::vector<std::string>{"Message: Spy report on 1:234:1 processed successfully",
                                                     "Message: Spy report on 1:234:4 processed successfully",
                                                     "Error: Spy report on 1:234:1 has already been processed",
                                                     "Message: Spy report on 1:234:2 processed successfully"}));
    EXPECT_EQ(w->memSpy->Text(), "");
    // The page with its log pane, looked at by hand.
    Application->ProcessMessages();
    EXPECT_TRUE(SaveWindowImage(w->Handle(), "/tmp/tesk-spy-paste-log.png"));

    // The second report's mine level is no number: the first stays stored,
    // the second and third are rolled back or never read.
    w->memLog->Lines()->Clear();
    const std::string failing = SpyOn(5, "07-23 15:00:00", "x1");
    w->memSpy->SetText(SpyOn(3, "07-23 15:00:00") + failing + SpyOn(4, "07-23 15:00:00"));
    w->actProcessSpyReport->Execute();
    const std::vector<std::string> lines = LogLines(w);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Message: Spy report on 1:234:3 processed successfully");
    EXPECT_EQ(lines[1].rfind("Error processing spy report: ", 0), 0u) << lines[1];
    EXPECT_EQ(QuerySql(db, "SELECT group_concat(PlanetID || ':' || IFNULL(Metal, '-'), ' ') FROM tblPlanet"),
              "1:12000 2:12000 3:12000 4:12000 5:-");
    EXPECT_EQ(QuerySql(db, "SELECT LastScanned FROM tblPlanet WHERE PlanetID=4").substr(5), "07-23 14:05:09");
    EXPECT_EQ(w->memSpy->Text().find("[1:234:5]") != AnsiString::npos, true);
    EXPECT_EQ(w->memSpy->Text().find("[1:234:3]"), AnsiString::npos);
}

// A new owner made inside a report that is rolled back leaves no row behind,
// and no lookup of a later paste answers from it: the player that the next
// paste makes for the same planet is the one stored and written to.
TEST(MainWindowImportTest, OwnerOfARolledBackReportIsNeitherStoredNorFoundLater) {
    MainWindowFixture f;
    TfrmMain* w = f.Open();
    const std::string db = f.folder.File("Tesk.mdb");
    ASSERT_TRUE(dmMain->OpenDatabase(db, "Data Source=%s"));
    w->SetActiveLanguage("English");
    StoreOwners(db);

    w->memSpy->SetText(SpyOn(7, "07-23 14:05:09", "x1"));
    w->cmbPlayer->SetText("Newbie");
    w->cmbAlliance->SetText("New Alliance");
    w->actProcessSpyReport->Execute();
    EXPECT_EQ(LastLog(w).rfind("Error processing spy report: ", 0), 0u) << LastLog(w);
    EXPECT_EQ(QuerySql(db, "SELECT count(*) FROM tblPlayer WHERE Name='Newbie'"), "0");
    EXPECT_EQ(QuerySql(db, "SELECT count(*) FROM tblAlliance WHERE Name='New Alliance'"), "0");
    EXPECT_EQ(QuerySql(db, "SELECT count(*) FROM tblPlanet WHERE PlanetID=7"), "0");

    w->memSpy->SetText(SpyOn(7, "07-23 14:05:09"));
    w->cmbPlayer->SetText("Other");
    w->cmbAlliance->SetText("");
    w->actProcessSpyReport->Execute();
    EXPECT_EQ(LastLog(w), "Message: Spy report on 1:234:7 processed successfully");
    // A later report on the planet finds its owner through the stored row.
    w->memSpy->SetText(SpyOn(7, "07-23 16:00:00") + SpyOn(1, "07-23 16:00:00"));
    w->actProcessSpyReport->Execute();
    EXPECT_EQ(LastLog(w), "Message: Spy report on 1:234:1 processed successfully");
    EXPECT_EQ(QuerySql(db, "SELECT group_concat(Name || '/' || IFNULL(WeaponTechnology, '-'), ' ') FROM "
                           "(SELECT * FROM tblPlayer ORDER BY ID)"),
              "Alpha/7 Beta/- Other/7");
    EXPECT_EQ(QuerySql(db, "SELECT p.Name FROM tblPlanet t JOIN tblPlayer p ON p.ID=t.PlayerID WHERE t.PlanetID=7"),
              "Other");
}

// The owner of a planet renamed or removed behind the window's back between
// two pastes: the second paste shows and writes what the file holds then.
TEST(MainWindowImportTest, OwnerRenamedOrRemovedBetweenPastesIsReadFromTheFile) {
    struct Case {
        const char* change;
        const char* typed;   // the owner box before the second paste
        const char* owner;   // the planet's owner after it, as the box shows it
        const char* players; // the players and their research
    };
    const Case cases[] = {
        {"UPDATE tblPlayer SET Name='Gamma' WHERE ID=1", "", "Gamma", "Gamma/7 Beta/-"},
        // The stored owner is gone: the typed name makes the player anew.
        {"DELETE FROM tblPlayer WHERE ID=1", "Alpha", "Alpha", "Beta/- Alpha/7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        MainWindowFixture f;
        TfrmMain* w = f.Open();
        const std::string db = f.folder.File("Tesk.mdb");
        ASSERT_TRUE(dmMain->OpenDatabase(db, "Data Source=%s"));
        w->SetActiveLanguage("English");
        StoreOwners(db);
        w->FillPlayerCombo();

        w->memSpy->SetText(SpyOn(1, "07-23 14:05:09"));
        w->actProcessSpyReport->Execute();
        EXPECT_EQ(w->cmbPlayer->Text(), "Alpha");
        ExecSql(db, c.change);
        w->FillPlayerCombo();
        w->cmbPlayer->SetText(c.typed);
        w->memSpy->SetText(SpyOn(1, "07-23 15:05:09"));
        w->actProcessSpyReport->Execute();
        EXPECT_EQ(LastLog(w), "Message: Spy report on 1:234:1 processed successfully");
        EXPECT_EQ(w->cmbPlayer->Text(), c.owner);
        EXPECT_EQ(QuerySql(db, "SELECT p.Name FROM tblPlanet t JOIN tblPlayer p ON p.ID=t.PlayerID WHERE "
                               "t.PlanetID=1"),
                  c.owner);
        EXPECT_EQ(QuerySql(db, "SELECT group_concat(Name || '/' || IFNULL(WeaponTechnology, '-'), ' ') FROM "
                               "(SELECT * FROM tblPlayer ORDER BY ID)"),
                  c.players);
    }
}

// A box in the middle of a paste comes after the log lines of the reports
// before it.
TEST(MainWindowImportTest, LogLinesOfAPasteAreInThePaneBeforeItsBox) {
    MainWindowFixture f;
    TfrmMain* w = f.Open();
    const std::string db = f.folder.File("Tesk.mdb");
    ASSERT_TRUE(dmMain->OpenDatabase(db, "Data Source=%s"));
    w->SetActiveLanguage("English");
    StoreOwners(db);
    struct Probe : IDialogService {
        TfrmMain* w;
        std::vector<std::string> seen;
        int MessageDialog(const TMessageDlgRequest&) override {
            seen = LogLines(w);
            return mrOk;
        }
        bool FileDialog(TFileDialogRequest&) override { return false; }
    };
    auto probe = std::make_shared<Probe>();
    probe->w = w;
    SetDialogService(probe);
    w->memLog->Lines()->Clear();
    w->memSpy->SetText(SpyOn(1, "07-23 14:05:09") + SpyOn(2, "07-23 14:05:09") +
                       "Intel on Homeworld [1:2x4:3] time 07-23 14:05:09\r\nCounter-espionage chance: 12%");
    w->actProcessSpyReport->Execute();
    SetDialogService(f.dialogs);
    EXPECT_EQ(probe->seen, (std::vector<std::string>{"Message: Spy report on 1:234:1 processed successfully",
                                                     "Message: Spy report on 1:234:2 processed successfully"}));
    EXPECT_EQ(LogLines(w).size(), 3u);
}

}  // namespace
