// Start-up and shutdown of the main window on a temporary program folder:
// the settings file read at the first show and written at close, the log
// file, bad database files and settings, the group switch, the wheel hook.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/uKeyValueList.h"
#include "app/uLanguage.h"
#include "app/uProgram.h"
#include "data/uSelectDB.h"
#include "platform/classes/Keys.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/gui/InputSimulation.h"
#include "platform/gui/Messages.h"
#include "platform/rtl/CodePage.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

// "[Section] Key" for every key line of an INI text, in file order.
std::vector<std::string> KeysInOrder(const std::string& ini) {
    std::vector<std::string> keys;
    std::istringstream in(ini);
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] == '[') {
            section = line;
            continue;
        }
        keys.push_back(section + " " + line.substr(0, line.find('=')));
    }
    return keys;
}

std::string Value(const std::string& ini, const std::string& section, const std::string& key) {
    std::istringstream in(ini);
    std::string line, current;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') current = line;
        else if (current == "[" + section + "]" && line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return "<missing>";
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareProgram(); }
    void Stop() {
        f.form->Close();
        f.Free();
    }
    std::string Ini() {
        const std::string name = f.folder.File("Tesk.ini");
        return std::filesystem::is_directory(name) ? "<folder>" : ReadFile(name);
    }
    // All four views open in their grids, not only the shown page's.
    static void OpenViews() {
        for (TDataSource* source : {dmMain->dsPlanet, dmMain->dsCombat, dmMain->dsAlliance, dmMain->dsPlayer})
            source->DataSet()->Open();
    }
    static std::string Layout(TDBGridGx* Grid) {
        TMemoryStream stream;
        Grid->Columns()->SaveToStream(&stream);
        return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    }

    MainWindowFixture f;
};

}  // namespace

TEST_F(StartupTest, CloseWritesEveryKeyInOrderAndTheNextStartRestoresThem) {
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n"
                                         "[CustomFilter]\r\nCaption0=Rich\r\nFilter0=Metal > 100000\r\n"
                                         "Caption1=Near\r\nFilter1=GalaxyID = 1\r\nCaption2=\r\nFilter2=ignored\r\n");
    TfrmMain* w = f.Start();
    ASSERT_TRUE(w->Shown);
    EXPECT_TRUE(f.dialogs->Messages.empty());
    // Older saved filters moved into "Filter", their section gone.
    EXPECT_EQ(w->PlanetFilters->GetValueByKey("rich"), "Metal > 100000");
    EXPECT_EQ(w->cmbPlanetFilter->Items()->CommaText(), "Near,Rich");
    EXPECT_EQ(Value(Ini(), "CustomFilter", "Caption0"), "<missing>");
    EXPECT_EQ(w->pcMain->ActivePage(), w->tsViewSpyReports);

    // The user's choices.
    w->pcMain->SetActivePageIndex(3);
    dmMain->PlanetSort = "Metal DESC, Crystal ASC";
    // As title clicks leave it: the open planet view in the same order, which
    // a page change keeps.
    if (dmMain->viewPlanet->Active()) dmMain->viewPlanet->SetSort(dmMain->PlanetSort);
    w->PrimaryOrderBy = "Metal";
    w->PrimarySortOrder = "DESC";
    w->SecondaryOrderBy = "Crystal";
    dmMain->CombatSort = "MetalRaided ASC";
    w->edtMetal->SetText("123456");
    w->edtoBS->SetText("7");
    w->cbxKeepDefs->SetChecked(false);
    w->CombatFilters->AddKeyValue("Won", "BattleResult = 'Won'");
    w->mnuddmmyyyyClick(nullptr);
    w->mnuddmmyyyy->SetChecked(true);

    // Written at close in the order of the save.
    std::filesystem::remove(f.folder.File("Tesk.ini"));
    Stop();
    const std::vector<std::string> expected = {
        "[DataBase] ActiveGroup", "[General] ShowHints", "[General] ActivePageIndex", "[General] ActiveLanguage",
        "[General] AccessDateFormat", "[General] AutoCopyReportToClipboard", "[General] WatchClipboard",
        "[General] PlaySounds", "[ViewPlanets] VeryOldReport", "[ViewPlanets] OldReport",
        "[ViewPlanets] AgingReport", "[ViewPlanets] NewReport", "[ViewPlanets] FreshReport", "[ViewPlanets] Metal",
        "[ViewPlanets] Crystal", "[ViewPlanets] Deuterium", "[ViewPlanets] Energy", "[ViewPlanets] TotalRes",
        "[ViewPlanets] LightFighter", "[ViewPlanets] HeavyFighter", "[ViewPlanets] Cruiser",
        "[ViewPlanets] BattleShip", "[ViewPlanets] Bomber", "[ViewPlanets] Destroyer", "[ViewPlanets] DeathStar",
        "[ViewPlanets] MissileLauncher", "[ViewPlanets] SmallLaser", "[ViewPlanets] HeavyLaser",
        "[ViewPlanets] IonCannon", "[ViewPlanets] GaussCannon", "[ViewPlanets] PlasmaCannon",
        "[ViewPlanets] PrimaryOrderBy", "[ViewPlanets] PrimarySortOrder", "[ViewPlanets] SecondaryOrderBy",
        "[ViewPlanets] SecondarySortOrder", "[ViewPlanets] Sort", "[ViewPlanets] SelectedPlanetID",
        "[ProcessSolarSystem] DeleteNonExistingPlanets", "[ProcessSpyReport] KeepOldTech",
        "[ProcessSpyReport] KeepOldDefs", "[ProcessSpyReport] KeepOldBuildings",
        "[ProcessCombatReport] SubstractRaidedRes", "[ProcessCombatReport] SubstractDestroyedDef",
        "[ProcessCombatReport] SubstractDestroyedFleet", "[ViewCombats] CombatSort", "[ViewAlliances] AllianceSort",
        "[Power] LightFighter", "[Power] HeavyFighter", "[Power] Cruiser", "[Power] BattleShip", "[Power] Destroyer",
        "[Power] Bomber", "[Power] DeathStar", "[Power] MissileLauncher", "[Power] SmallLaser", "[Power] HeavyLaser",
        "[Power] GaussCannon", "[Power] IonCannon", "[Power] PlasmaCannon", "[Power] SmallShieldDome",
        "[Power] LargeShieldDome", "[Filter] Near", "[Filter] Rich", "[CombatFilter] Won", "[ViewPlayers] PlayerSort"};
    EXPECT_EQ(KeysInOrder(Ini()), expected);
    EXPECT_EQ(Value(Ini(), "General", "AccessDateFormat"), "d\"/\"m\"/\"yyyy");
    EXPECT_EQ(Value(Ini(), "ProcessSpyReport", "KeepOldDefs"), "0");

    // The next start comes back as it was left.
    w = f.Start();
    EXPECT_EQ(w->pcMain->ActivePageIndex(), 3);
    EXPECT_EQ(dmMain->PlanetSort, "Metal DESC, Crystal ASC");
    EXPECT_EQ(w->PrimaryOrderBy, "Metal");
    EXPECT_EQ(w->PrimarySortOrder, "DESC");
    EXPECT_EQ(w->SecondaryOrderBy, "Crystal");
    EXPECT_EQ(dmMain->CombatSort, "MetalRaided ASC");
    EXPECT_EQ(w->edtMetal->Text(), "123456");
    EXPECT_EQ(w->edtoBS->Text(), "7");
    EXPECT_FALSE(w->cbxKeepDefs->Checked());
    EXPECT_TRUE(w->mnuddmmyyyy->Checked());
    EXPECT_EQ(w->PlanetFilters->Count(), 2);
    EXPECT_EQ(w->CombatFilters->GetValueByKey("Won"), "BattleResult = 'Won'");
    EXPECT_EQ(w->cmbCombatFilter->Items()->CommaText(), "Won");
}

// The log file keeps the newest lines.
TEST_F(StartupTest, TheLogKeepsItsNewestTenThousandLines) {
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    std::string old;
    for (int i = 1; i <= 10003; ++i) old += "line " + std::to_string(i) + "\r\n";
    WriteFile(f.folder.File("Tesk.log"), old);
    TfrmMain* w = f.Start();
    EXPECT_EQ(w->memLog->Lines()->Count(), 10003);
    w->AddToLog("line 10004");
    Stop();
    TStringList saved;
    saved.LoadFromFile(f.folder.File("Tesk.log"));
    ASSERT_EQ(saved.Count(), 10000);
    EXPECT_EQ(saved.Strings(0), "line 5");
    EXPECT_EQ(saved.Strings(9999), "line 10004");
}

// A log file holding zero bytes (junk, a file cut by a crash) keeps every
// line through a start and a close: a zero byte shows as a blank, and the
// close writes no less than it read.
TEST_F(StartupTest, ALogWithZeroBytesKeepsEveryLine) {
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    std::string junk(300000, '\0');
    uint32_t seed = 7;
    for (char& c : junk) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    const std::string old = std::string("first\0line\r\n\0\0\r\nthird\r\n", 24) + junk + "\r\nlast line";
    WriteFile(f.folder.File("Tesk.log"), old);
    // The lines as the file holds them, each zero byte a blank.
    const auto lines = [](std::string text) {
        std::replace(text.begin(), text.end(), '\0', ' ');
        std::vector<std::string> out;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find_first_of("\r\n", at);
            if (end == std::string::npos) end = text.size();
            out.push_back(text.substr(at, end - at));
            at = end;
            if (at < text.size() && text[at] == '\r') ++at;
            if (at < text.size() && text[at] == '\n') ++at;
        }
        return out;
    };
    const std::vector<std::string> expected = lines(old);
    ASSERT_GT(expected.size(), 1000u);
    TfrmMain* w = f.Start();
    ASSERT_TRUE(w->Shown);
    EXPECT_EQ(w->memLog->Lines()->Count(), static_cast<int>(expected.size()));
    EXPECT_EQ(w->memLog->Lines()->Strings(0), "first line");
    Stop();
    const std::string saved = ReadFile(f.folder.File("Tesk.log"));
    EXPECT_GE(saved.size(), old.size());
    const std::vector<std::string> kept = lines(saved);
    ASSERT_EQ(kept.size(), expected.size());
    for (size_t i = 0; i < kept.size(); ++i) ASSERT_EQ(kept[i], expected[i]) << "line " << i + 1;
}

// Bad files beside the program: a clear message, no crash, nothing written
// into a database file that was refused, and a settings file never
// overwritten by a start that failed.
TEST_F(StartupTest, BadProgramFolders) {
    const std::string db = f.folder.File("Tesk.mdb");
    std::string random(4096, '\0');
    for (size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 7919 + 13) % 251);
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::string message;  // start of the one box's text; empty: no box
        bool shown;           // the first show finished
        bool dbUnchanged;
        bool logged = false;  // the log pane keeps the message too
    } const cases[] = {
        // Each box names its cause and the path tried.
        {"database missing", [&] { std::filesystem::remove(db); },
         "Tesk cannot function without a database\r\r\"" + db + "\" does not exist.\r\rPlease specificy", false,
         true},
        {"a folder named Tesk.mdb",
         [&] {
             std::filesystem::remove(db);
             std::filesystem::create_directory(db);
         },
         "Tesk cannot function without a database\r\r\"" + db + "\" is a folder, not a database file.\r\r", false,
         false},
        {"group in a missing folder",
         [&] {
             WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n[DataBase]\r\n"
                                                  "ActiveGroup=Far\r\n[DBGroup]\r\nFar_Path=" +
                                                      f.folder.File("gone/Far.mdb") + "\r\n");
         },
         "Tesk cannot function without a database\r\rThe folder \"" + f.folder.File("gone") +
             "\" of the database \"" + f.folder.File("gone/Far.mdb") + "\" does not exist.\r\r",
         false, true},
        {"cut in half", [&] { std::filesystem::resize_file(db, std::filesystem::file_size(db) / 2); },
         "\"" + db + "\" is a damaged Tesk database (database disk image is malformed)", false, true},
        {"zero bytes", [&] { WriteFile(db, ""); }, "\"" + db + "\" is not a Tesk database (no such table: tblRegistry)",
         false, true},
        {"random bytes", [&] { WriteFile(db, random); },
         "\"" + db + "\" is not a Tesk database (file is not a database)", false, true},
        {"another schema", [&] { std::filesystem::remove(db); ExecSql(db, "CREATE TABLE other (a);"); },
         "\"" + db + "\" is not a Tesk database (no such table: tblRegistry)", false, true},
        {"empty schema",
         [&] {
             std::filesystem::remove(db);
             ExecSql(db, "CREATE TABLE t (a); DROP TABLE t;");
         },
         "\"" + db + "\" is not a Tesk database (no such table: tblRegistry)", false, true},
        {"old version upgrades", [&] { ExecSql(db, "UPDATE tblRegistry SET RegValue = '1.0.0.3';"); }, "",
         true, false},
        {"newer version", [&] { ExecSql(db, "UPDATE tblRegistry SET RegValue = '9.9.9.9';"); },
         "Database version 9.9.9.9 isn't supported", true, true},
        {"settings of binary junk",
         [&] { WriteFile(f.folder.File("Tesk.ini"), random + "\r\n[General]\r\nActiveLanguage=English\r\n"); },
         "", true, false},
        // A settings file that cannot be read is never replaced by one made
        // from nothing; the program starts on the defaults.
        {"unreadable settings",
         [&] {
             std::filesystem::remove(f.folder.File("Tesk.ini"));
             std::filesystem::create_directory(f.folder.File("Tesk.ini"));
         },
         "Unable to write to " + f.folder.File("Tesk.ini") + ". Is a directory. The settings missing from it take "
         "their default values", true, false, true},
        {"window placement of junk", [&] { WriteFile(f.folder.File("TeskSettings.xml"), random); },
         "The settings file " + f.folder.File("TeskSettings.xml") + " could not be read (", true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (f.form) f.Free();
        std::filesystem::remove_all(db);
        MakeEmptyDatabase(db);
        std::filesystem::remove_all(f.folder.File("Tesk.ini"));
        std::filesystem::remove(f.folder.File("TeskSettings.xml"));
        std::filesystem::remove(f.folder.File("TeskSettings.xml.bad"));
        WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
        c.prepare();
        const std::string dbBefore = std::filesystem::is_regular_file(db) ? ReadFile(db) : "<none>";
        f.dialogs->Messages.clear();
        // Without a language the chooser asks; it takes the first file listed.
        ModalDriver<TfrmLanguage> chooser({[](TfrmLanguage* d) {
            d->cmbLanguage->SetItemIndex(0);
            d->actOk->Execute();
        }});
        TfrmMain* w = f.Start();
        if (!c.message.empty()) {
            ASSERT_EQ(f.dialogs->Messages.size(), 1u);
            EXPECT_EQ(f.dialogs->Messages[0].Text.substr(0, c.message.size()), c.message)
                << f.dialogs->Messages[0].Text;
            if (c.logged) {
                EXPECT_NE(w->memLog->Lines()->Text().find(" - Error: " + c.message), std::string::npos)
                    << w->memLog->Lines()->Text();
            }
        } else {
            EXPECT_TRUE(f.dialogs->Messages.empty()) << f.dialogs->Messages[0].Text;
        }
        EXPECT_EQ(w->Shown, c.shown);
        if (c.shown) {
            EXPECT_TRUE(dmMain->viewPlanet->Active());
        }
        const std::string iniBefore = Ini();
        Stop();
        if (!c.shown) {
            EXPECT_EQ(Ini(), iniBefore);  // nothing saved after a failed start
        }
        const std::string dbAfter = std::filesystem::is_regular_file(db) ? ReadFile(db) : "<none>";
        if (c.dbUnchanged) {
            EXPECT_TRUE(dbAfter == dbBefore);
        }
    }
    EXPECT_EQ(QuerySql(db, "SELECT RegValue FROM tblRegistry WHERE RegKey = 'ZentaraVersion'"), "1.1.1.0");
}

// The four views' column layouts: written at close, read at the next start;
// a file that cannot be read is logged and set aside, and the designed columns
// stay. A view whose data set is closed and whose columns follow its fields
// has no layout to write; the combat view's columns are defined, so it always has.
TEST_F(StartupTest, ColumnLayoutsAreKeptBetweenRunsAndBadOnesAreLoggedAndSetAside) {
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    TfrmMain* w = f.Start();
    const std::string designedCombat = Layout(w->grdCombat);
    const std::string designedPlayer = Layout(w->grdPlayer);
    Stop();
    // The planet page is shown at start, so its view is open and has a layout.
    for (const char* name : {"Alliance.grd", "Player.grd"})
        EXPECT_FALSE(std::filesystem::exists(f.folder.File(name))) << name;
    EXPECT_EQ(ReadFile(f.folder.File("Combat.grd")), designedCombat);

    w = f.Start();
    OpenViews();
    TDBGridColumnsGx* planet = w->grdPlanet->Columns();
    ASSERT_GE(planet->Count(), 4);
    planet->Items(1)->SetWidth(planet->Items(1)->Width() + 37);
    planet->Items(3)->SetIndex(0);
    planet->Items(2)->SetVisible(false);
    TColumnGx* allianceName = w->grdAlliance->Columns()->Items(1);
    const int allianceWidth = allianceName->Width() + 21;
    allianceName->SetWidth(allianceWidth);
    const std::string planetLayout = Layout(w->grdPlanet);
    const std::string allianceLayout = Layout(w->grdAlliance);
    const std::string combatLayout = Layout(w->grdCombat);
    Stop();
    for (const char* name : {"Planet.grd", "Combat.grd", "Alliance.grd", "Player.grd"})
        EXPECT_TRUE(std::filesystem::exists(f.folder.File(name))) << name;
    EXPECT_EQ(ReadFile(f.folder.File("Planet.grd")), planetLayout);

    // Read before the database opens; written again at close.
    w = f.Start();
    EXPECT_EQ(Layout(w->grdPlanet), planetLayout);
    EXPECT_EQ(Layout(w->grdAlliance), allianceLayout);
    EXPECT_EQ(Layout(w->grdCombat), combatLayout);
    EXPECT_EQ(w->grdAlliance->Columns()->Items(1)->Width(), allianceWidth);
    Stop();
    EXPECT_EQ(ReadFile(f.folder.File("Planet.grd")), planetLayout);

    std::string junk(300, '\0');
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 131 + 7) % 256);
    WriteFile(f.folder.File("Combat.grd"), junk);
    const std::string cut = ReadFile(f.folder.File("Player.grd")).substr(0, 40);
    WriteFile(f.folder.File("Player.grd"), cut);
    f.dialogs->Messages.clear();
    w = f.Start();
    EXPECT_TRUE(w->Shown);
    EXPECT_TRUE(f.dialogs->Messages.empty());
    EXPECT_EQ(Layout(w->grdCombat), designedCombat);
    EXPECT_EQ(Layout(w->grdPlayer), designedPlayer);
    EXPECT_EQ(Layout(w->grdPlanet), planetLayout);
    const AnsiString log = w->memLog->Lines()->Text();
    EXPECT_NE(log.find("Error loading the column layout Combat.grd"), std::string::npos) << log;
    EXPECT_NE(log.find("Error loading the column layout Player.grd"), std::string::npos) << log;
    EXPECT_EQ(ReadFile(f.folder.File("Combat.grd.bad")), junk);
    EXPECT_EQ(ReadFile(f.folder.File("Player.grd.bad")), cut);
    Stop();
    EXPECT_FALSE(std::filesystem::exists(f.folder.File("Player.grd")));
    EXPECT_EQ(ReadFile(f.folder.File("Combat.grd")), designedCombat);
    EXPECT_TRUE(std::filesystem::exists(f.folder.File("Planet.grd")));

    // With its data set open the view writes a sound layout again.
    w = f.Start();
    const AnsiString kept = w->memLog->Lines()->Text();  // the earlier lines, and no new error
    EXPECT_EQ(kept.find("Error loading", kept.rfind("Player.grd") + 1), std::string::npos) << kept;
    OpenViews();
    const std::string reopened = Layout(w->grdCombat);
    Stop();
    EXPECT_EQ(ReadFile(f.folder.File("Combat.grd")), reopened);
}

TEST_F(StartupTest, GroupSwitchWritesTheLogAndOpensTheOtherDatabase) {
    MakeEmptyDatabase(f.folder.File("side.mdb"));
    WriteFile(f.folder.File("side.log"), "side line\r\n");
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n[DBGroup]\r\nGroupName1=Side\r\n"
                                         "Side_User=Bob\r\nSide_Path=" + f.folder.File("side.mdb") + "\r\n");
    TfrmMain* w = f.Start();
    w->AddToLog("main line");
    // What the group dialog leaves behind on OK.
    dmMain->LoadGroups("DBGroup");
    ASSERT_TRUE(dmMain->viewGroup->Locate("GroupName", AnsiString("Side"), TLocateOptions()));
    w->SwitchToSelectedGroup();
    EXPECT_EQ(ReadFile(f.folder.File("Tesk.log")), "main line\r\n");
    EXPECT_EQ(ActiveGroup, "Side");
    EXPECT_EQ(GroupUser, "Bob");
    EXPECT_EQ(w->edtPlayerName->Text(), "Bob");
    EXPECT_EQ(dmMain->DatabasePath, f.folder.File("side.mdb"));
    EXPECT_EQ(w->memLog->Lines()->Text(), "side line\r\n");
    EXPECT_EQ(w->Caption(), FromUtf8Literal("Tesk v1.2.0.0r (English) [База: Side]"));
    Stop();
    EXPECT_EQ(Value(Ini(), "DataBase", "ActiveGroup"), "Side");
}

// The file left at a group switch that cannot be compacted (gone meanwhile)
// is logged after the new group's log lines, without a box; a switch to a
// group whose file is missing still brings that group's log into the pane, so
// that the close never writes an empty pane over it.
TEST_F(StartupTest, GroupSwitchLogsAFailedCompactionAndAlwaysLoadsTheNewLog) {
    MakeEmptyDatabase(f.folder.File("side.mdb"));
    WriteFile(f.folder.File("side.log"), "side line\r\n");
    WriteFile(f.folder.File("gone.log"), "gone line\r\n");
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n[DBGroup]\r\nGroupName1=Side\r\n"
                                         "Side_Path=" + f.folder.File("side.mdb") + "\r\nGroupName2=Gone\r\n"
                                         "Gone_Path=" + f.folder.File("gone.mdb") + "\r\n");
    TfrmMain* w = f.Start();
    ASSERT_TRUE(w->Shown);
    std::filesystem::remove(f.folder.File("Tesk.mdb"));
    f.dialogs->Messages.clear();
    dmMain->LoadGroups("DBGroup");
    ASSERT_TRUE(dmMain->viewGroup->Locate("GroupName", AnsiString("Side"), TLocateOptions()));
    w->SwitchToSelectedGroup();
    EXPECT_TRUE(f.dialogs->Messages.empty()) << f.dialogs->Messages[0].Text;
    EXPECT_EQ(w->memLog->Lines()->Strings(0), "side line");
    ASSERT_EQ(w->memLog->Lines()->Count(), 2);
    EXPECT_NE(w->memLog->Lines()->Strings(1).find(" - Error: Unable to compact the database \"" +
                                                   f.folder.File("Tesk.mdb") + "\""),
              std::string::npos)
        << w->memLog->Lines()->Strings(1);

    dmMain->LoadGroups("DBGroup");
    ASSERT_TRUE(dmMain->viewGroup->Locate("GroupName", AnsiString("Gone"), TLocateOptions()));
    EXPECT_ANY_THROW(w->SwitchToSelectedGroup());
    EXPECT_EQ(w->memLog->Lines()->Text(), "gone line\r\n");
    Stop();
    EXPECT_EQ(ReadFile(f.folder.File("gone.log")), "gone line\r\n");
}

TEST_F(StartupTest, OkInTheGroupDialogWithoutAGroupChangesNothing) {
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    TfrmMain* w = f.Start();
    w->AddToLog("main line");
    const AnsiString path = dmMain->DatabasePath;
    ModalDriver<TfrmSelectDB> driver({[](TfrmSelectDB* d) {
        EXPECT_TRUE(dmMain->viewGroup->IsEmpty());
        d->SetModalResult(mrOk);
    }});
    w->actSelectUser->Execute();
    EXPECT_EQ(driver.StepsRun(), 1u);
    EXPECT_TRUE(f.dialogs->Messages.empty());
    EXPECT_EQ(dmMain->DatabasePath, path);
    EXPECT_TRUE(dmMain->viewPlanet->Active());
    EXPECT_EQ(LogFileName, f.folder.File("Tesk.log"));
    EXPECT_EQ(w->memLog->Lines()->Count(), 1);
    Stop();
    EXPECT_EQ(ReadFile(f.folder.File("Tesk.log")), "main line\r\n");
    EXPECT_EQ(Value(Ini(), "DataBase", "ActiveGroup"), "");
}

// The wheel turns the focused control's rows: the window starts on the
// planet grid, not on the tab bar. The sort text stays inside its bar.
TEST_F(StartupTest, StartsOnThePageGridWithTheSortTextInsideItsBar) {
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    TfrmMain* w = f.Start();
    EXPECT_EQ(w->ActiveControl(), w->grdPlanet);
    EXPECT_EQ(w->lblSort->Caption(), "GalaxyID ASC, SolarSystemID ASC, PlanetID ASC");
    EXPECT_EQ(w->lblSort->Hint(), w->lblSort->Caption());
    EXPECT_FALSE(w->lblSort->AutoSize());
    EXPECT_GT(w->lblSort->Left(), w->cmbAge->Left() + w->cmbAge->Width());
    EXPECT_LE(w->lblSort->Left() + w->lblSort->Width(), w->lblSort->Parent()->ClientWidth());
    EXPECT_LE(w->lblCombatSort->Left() + w->lblCombatSort->Width(), w->btnDeleteCombat->Left());
    Stop();
}

TEST_F(StartupTest, AnEndAskedForDuringTheFirstShowSavesNothing) {
    // A language file without the game's words ends the program after the show.
    WriteFile(f.folder.File("Empty.lng"), "");
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=Empty\r\n");
    TfrmMain* w = f.Start();
    const std::string before = Ini();
    EXPECT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_TRUE(TakeTermination());
    // The loop ends without closing the window: no settings are written.
    f.Free();
    EXPECT_EQ(Ini(), before);
    (void)w;
}

TEST_F(StartupTest, TheWheelBecomesUpAndDownKeys) {
    TfrmMain* w = f.Open();
    struct {
        int delta;
        WPARAM key;
    } const cases[] = {{120, VK_UP}, {-120, VK_DOWN}, {240, VK_UP}};
    for (const auto& c : cases) {
        TMsg msg;
        msg.message = WM_MOUSEWHEEL;
        msg.wParam = static_cast<WPARAM>(static_cast<uint32_t>(c.delta << 16));
        msg.lParam = 77;
        bool handled = true;
        w->AppMessage(msg, handled);
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
        EXPECT_EQ(msg.wParam, c.key);
        EXPECT_EQ(msg.lParam, 77);
        EXPECT_FALSE(handled);
    }
    TMsg other;
    other.message = WM_KEYUP;
    other.wParam = 5;
    bool handled = false;
    w->AppMessage(other, handled);
    EXPECT_EQ(other.wParam, 5u);
}

TEST_F(StartupTest, StatusTextAndResize) {
    TfrmMain* w = f.Open();
    w->SetStatusText("Records:", 12);
    EXPECT_EQ(w->sbMain->Panels()->Items(1)->Text(), "Records: 12");
    w->SetStatusText("Records:", 0);
    EXPECT_EQ(w->sbMain->Panels()->Items(1)->Text(), "Records: ");
    w->SetBounds(0, 0, 1000, 700);
    w->FormResize(nullptr);
    EXPECT_EQ(w->sbMain->Panels()->Items(0)->Width(), 750);
    EXPECT_EQ(w->edtCombatFilter->Left() + w->edtCombatFilter->Width(), 1000 - 25);
}

TEST_F(StartupTest, AProgramFolderThatCannotBeMadeIsShownWithItsReason) {
    // /proc takes no new folders, not even from root.
    const auto unusable = [] { return ResolveProgramFolder("/usr/bin/", false, "/proc/no-such/Tesk/"); };
    EXPECT_FALSE(ProgramFolderReady(unusable));
    ASSERT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_EQ(f.dialogs->Messages[0].Type, mtError);
    EXPECT_NE(f.dialogs->Messages[0].Text.find("/proc/no-such/Tesk/"), std::string::npos);
    EXPECT_NE(f.dialogs->Messages[0].Text.find("(/usr/bin/ is not writable)"), std::string::npos);

    EXPECT_TRUE(ProgramFolderReady([] { return AnsiString("/tmp/"); }));
    EXPECT_EQ(f.dialogs->Messages.size(), 1u);
}

// A column width comes back from the layout file whatever its value, also the
// width a column has before its field is bound (64), and whether or not its
// view was open when the window closed.
TEST_F(StartupTest, ColumnWidthsComeBackWhateverTheirValue) {
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    const struct {
        TDBGridGx* TfrmMain::*Grid;
        const char* Field;
        int Width;
    } widths[] = {
        {&TfrmMain::grdCombat, "DateTime", 64},   {&TfrmMain::grdCombat, "MetalRaided", 64},
        {&TfrmMain::grdCombat, "Planet", 63},     {&TfrmMain::grdPlanet, "Metal", 64},
        {&TfrmMain::grdPlanet, "PlanetName", 65}, {&TfrmMain::grdPlayer, "Name", 64},
        {&TfrmMain::grdAlliance, "Name", 64},
    };
    // The layouts shipped beside the program.
    for (const char* name : {"Planet.grd", "Combat.grd", "Alliance.grd", "Player.grd"})
        WriteFile(f.folder.File(name), ShippedFile(std::string("layouts/") + name));
    TfrmMain* w = f.Start();
    OpenViews();
    for (const auto& c : widths) ColumnOf(w->*c.Grid, c.Field)->SetWidth(c.Width);
    // Only the shown page's view stays open, as when the user closes the window.
    w->pcMainChange(w->pcMain);
    Stop();
    // Read back, then written again with every view open.
    for (int run = 0; run < 2; ++run) {
        w = f.Start();
        OpenViews();
        for (const auto& c : widths)
            if (TColumnGx* column = ColumnOf(w->*c.Grid, c.Field)) {
                EXPECT_EQ(column->Width(), c.Width) << c.Field << ", run " << run;
            }
        Stop();
    }
}
