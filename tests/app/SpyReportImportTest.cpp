// The spy-report import over a fresh database with the shipped words.
#include <gtest/gtest.h>

#include "app/uGameText.h"
#include "app/uSpyReportImport.h"
#include "app/uVocabulary.h"
#include "tests/app/ImportTestSupport.h"

using namespace importtest;

namespace {

// Lines joined with CR LF; "|" stands for a TAB.
AnsiString Lines(std::initializer_list<const char*> lines) {
    std::string joined;
    for (const char* l : lines) joined += (joined.empty() ? "" : "\n") + std::string(l);
    return Crlf(joined);
}

AnsiString Report(const char* name, const char* coords, const char* time, const char* metal = "12000") {
    return Lines({(AnsiString("Intel on ") + name + " [" + coords + "] time " + time).c_str(),
                  (AnsiString("Metal: ") + metal + "|Crystal: 8000").c_str(), "Deuterium: 3000|Energy: 150", "Fleet",
                  "Small Cargo Ship 10|Large Cargo Ship 2", "Light Fighter 50|Espionage Probe 150", "Defence",
                  "Missile Launcher 20|Small Laser 10", "Buildings", "Metal Mine 18|Crystal Mine 15",
                  "Deuterium Synthesizer 10|Solar Plant 20", "Research",
                  "Espionage Technology 6|Computer Technology 8", "Weapon Technology 7|Armour Technology 8",
                  "Counter-espionage chance: 12%"});
}

class FakeSpyPage : public ISpyReportPage, public RecordingHost {
public:
    AnsiString ReportText() const override { return memo; }
    void SetReportText(const AnsiString& Text) override { memo = Text; }
    AnsiString PlayerText() const override { return player; }
    AnsiString AllianceText() const override { return alliance; }
    void SelectPlayer(const AnsiString& Name, bool AddWhenMissing) override {
        player = Name;
        added = added || AddWhenMissing;
    }
    void SelectAlliance(const AnsiString& Name) override { alliance = Name; }
    void ClearOwnerSelection() override { player = alliance = ""; }
    int Rating() const override { return rating; }
    void SetRating(int Index) override { rating = Index; }
    bool KeepTech() const override { return keepTech; }
    bool KeepDefences() const override { return keepDefs; }
    bool KeepBuildings() const override { return keepBuilds; }
    void ShowPlanetFound(bool Found) override { found = Found; }
    void AddToLog(const AnsiString& Line) override { RecordingHost::AddToLog(Line); }
    void Beep(UINT SoundType) override { RecordingHost::Beep(SoundType); }

    AnsiString memo, player, alliance;
    int rating = -1;
    bool keepTech = true, keepDefs = true, keepBuilds = true, found = false, added = false;
};

class SpyReportImportTest : public ::testing::Test {
protected:
    void Run() {
        page.Log.clear();
        page.Beeps.clear();
        ProcessSpyReports(db.dm(), page);
    }
    std::string Planet(const std::string& columns, const std::string& where = "GalaxyID=1 AND PlanetID=5") {
        return db.Query("SELECT " + columns + " FROM tblPlanet WHERE " + where);
    }
    ImportDatabase db;
    FakeSpyPage page;
};

const char* const kRowColumns =
    "PlanetName||'|'||IsMoon||'|'||LastScanned||'|'||Metal||'|'||Crystal||'|'||Deuterium||'|'||Energy||'|'||"
    "TotalResources||'|'||SmallCargoShip||'|'||LargeCargoShip||'|'||LightFighter||'|'||Cruiser||'|'||"
    "EspionageProbe||'|'||AssaultPower||'|'||MissileLauncher||'|'||SmallLaser||'|'||GaussCannon||'|'||"
    "DefencePower||'|'||MetalMine||'|'||CrystalMine||'|'||SolarPlant||'|'||JumpGate||'|'||CounterEspionage||'|'||"
    "Rating";

TEST_F(SpyReportImportTest, OneReportFillsThePlanetAndItsOwnersResearch) {
    page.memo = Report("Homeworld", "1:234:5", "07-23 14:05:09");
    page.player = "Bravo";
    page.alliance = "ABC";
    page.rating = 2;
    Run();
    EXPECT_EQ(Planet(kRowColumns),
              "Homeworld|0|2024-07-23 14:05:09|12000|8000|3000|150|23000|10|2|50|0|150|2562|20|10|0|2600|18|15|20|0|"
              "12|2");
    EXPECT_EQ(db.Query("SELECT p.Name||'/'||a.Name||'/'||EspionageTechnology||'/'||ComputerTechnology||'/'||"
                       "WeaponTechnology||'/'||ArmourTechnology||'/'||IFNULL(PlasmaTechnology,'null') FROM tblPlayer p "
                       "JOIN tblAlliance a ON a.ID=p.AllianceID"),
              "Bravo/ABC/6/8/7/8/0");
    EXPECT_EQ(Planet("Report"), NormaliseGameText(Report("Homeworld", "1:234:5", "07-23 14:05:09")));
    EXPECT_EQ(Bodies(page.Log), std::vector<std::string>{"Message: Spy report on 1:234:5 processed successfully"});
    EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONASTERISK});
    EXPECT_EQ(page.memo, "");
    EXPECT_EQ(page.rating, -1);
}

TEST_F(SpyReportImportTest, AMoonReportWritesTheMoonRowBesideThePlanet) {
    page.memo = Report("Homeworld", "1:234:5", "07-23 14:05:09");
    page.player = "Bravo";
    Run();
    page.memo = Report("Moon", "1:234:5", "07-23 14:06:00");
    // A moon not stored yet takes its owner from the boxes.
    page.player = "";
    Run();
    EXPECT_EQ(Bodies(page.Log), std::vector<std::string>{"Error processing spy report: No player selected or entered"});
    EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONHAND});
    page.player = "Bravo";
    Run();
    EXPECT_EQ(Planet("group_concat(IsMoon||PlanetName, ',')"), "0Homeworld,1Moon");
    EXPECT_EQ(Planet("count(DISTINCT PlayerID)"), "1");
}

// The owner boxes are cleared after each report of a paste of several, so
// those reports name planets a solar-system scan has stored already.
const char* const kStoredPlanets =
    "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');"
    "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Bravo', 1);"
    "INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID) VALUES "
    "(1, 10, 1, 0, 'A', 1), (1, 10, 2, 0, 'B', 1), (1, 10, 3, 0, 'C', 1), (1, 10, 4, 0, 'D', 1);";

TEST_F(SpyReportImportTest, ThreeReportsInOnePasteWithTextAround) {
    db.Exec(kStoredPlanets);
    page.memo = "Copied from the game\r\n" + Report("Alpha", "1:10:1", "07-20 10:00:00") + "\r\nsome chatter\r\n" +
                Report("Beta", "1:10:2", "07-20 10:01:00") + "\t" + Report("Gamma", "1:10:3", "07-20 10:02:00") +
                "\r\nthe end";
    page.rating = 3;  // ignored for a paste of several
    Run();
    EXPECT_EQ(db.Query("SELECT group_concat(PlanetName||':'||Rating||':'||Metal, ',') FROM tblPlanet ORDER BY PlanetID"),
              "Alpha:0:12000,Beta:0:12000,Gamma:0:12000");
    EXPECT_EQ(Bodies(page.Log).size(), 3u);
    EXPECT_EQ(page.memo, "");
    EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONASTERISK});
}

TEST_F(SpyReportImportTest, ABrokenThirdReportKeepsTheFirstTwoAndLeavesItselfInTheMemo) {
    db.Exec(kStoredPlanets);
    const AnsiString broken = "Intel on Gamma [1:10:3 time 07-20 10:02:00\r\nCounter-espionage chance: 1%";
    const AnsiString later = Report("Delta", "1:10:4", "07-20 10:03:00");
    page.memo = Report("Alpha", "1:10:1", "07-20 10:00:00") + "\r\n" + Report("Beta", "1:10:2", "07-20 10:01:00") +
                "\r\n" + broken + "\r\n" + later;
    Run();
    EXPECT_EQ(db.Query("SELECT group_concat(PlanetName, ',') FROM tblPlanet"), "Alpha,Beta,C,D");
    EXPECT_EQ(page.memo, broken + "\r\n" + later);
    // The broken header names no stored planet and the boxes are empty.
    ASSERT_EQ(page.Log.size(), 3u);
    EXPECT_EQ(Bodies(page.Log)[2], "Error processing spy report: No player selected or entered");
    EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONHAND});
    // The owner lookup met the same fault and said so in a box.
    ASSERT_EQ(db.Dialogs().Messages.size(), 1u);
    EXPECT_EQ(db.Dialogs().Messages[0].Type, mtError);
    EXPECT_EQ(db.Query("SELECT count(*) FROM tblPlayer"), "1");
}

TEST_F(SpyReportImportTest, AbsentSectionsClearOrKeepAsTheBoxesSay) {
    page.memo = Report("Homeworld", "1:234:5", "07-23 14:05:09");
    page.player = "Bravo";
    Run();
    auto bare = [](const char* time) {
        return Lines({(AnsiString("Intel on Homeworld [1:234:5] time ") + time).c_str(), "Metal: 1|Crystal: 2",
                      "Deuterium: 3|Energy: 4", "Counter-espionage chance: 0%"});
    };
    page.memo = bare("07-24 09:00:00");
    Run();
    // No fleet: ships and assault power Null; defence and buildings kept; research kept.
    EXPECT_EQ(Planet("IFNULL(LightFighter,'null')||'|'||IFNULL(AssaultPower,'null')||'|'||MissileLauncher||'|'||"
                     "DefencePower||'|'||MetalMine||'|'||TotalResources"),
              "null|null|20|2600|18|6");
    EXPECT_EQ(db.Query("SELECT WeaponTechnology FROM tblPlayer"), "7");
    page.keepDefs = page.keepBuilds = page.keepTech = false;
    page.memo = bare("07-24 10:00:00");
    Run();
    EXPECT_EQ(Planet("IFNULL(MissileLauncher,'null')||'|'||IFNULL(DefencePower,'null')||'|'||IFNULL(MetalMine,'null')"),
              "null|null|null");
    EXPECT_EQ(db.Query("SELECT IFNULL(WeaponTechnology,'null') FROM tblPlayer"), "null");
}

TEST_F(SpyReportImportTest, RefusalsKeepTheStoredRow) {
    db.Exec("INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');"
            "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Bravo', 1);"
            "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, LastScanned, "
            "LastAttacked, Metal, Rating) VALUES (1, 1, 234, 5, 0, 'Home', 1, '2024-07-23 14:05:09', "
            "'2024-07-22 08:00:00', 5, 4);");
    struct Case {
        const char* time;
        const char* body;
    } cases[] = {
        {"07-23 14:05:09", "Error: Spy report on 1:234:5 has already been processed"},
        {"07-23 13:00:00", "Error: Spy report on 1:234:5 has already been processed"},
        {"07-21 13:00:00", "Error: Spy report on 1:234:5 is older than the latest combat report"},
    };
    for (const Case& c : cases) {
        page.memo = Report("Homeworld", "1:234:5", c.time);
        Run();
        EXPECT_EQ(Bodies(page.Log), std::vector<std::string>{c.body}) << c.time;
        EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONASTERISK});
        EXPECT_EQ(Planet("PlanetName||Metal"), "Home5");
        EXPECT_EQ(page.memo, "");
    }
    // The owner came from the stored planet, not from the boxes.
    EXPECT_EQ(page.player, "Bravo");
    // Metal Null lets an older report in; no rating chosen keeps the stored one.
    db.Exec("UPDATE tblPlanet SET Metal=NULL");
    page.memo = Report("Homeworld", "1:234:5", "07-23 14:00:00");
    Run();
    EXPECT_EQ(Planet("PlanetName||Metal||'/'||Rating"), "Homeworld12000/4");
}

TEST_F(SpyReportImportTest, NoOwnerAndTruncatedReportsChangeNothing) {
    struct Case {
        AnsiString memo, player, error;
    } cases[] = {
        {Report("Homeworld", "1:234:5", "07-23 14:05:09"), "", "No player selected or entered"},
        {"   \r\n ", "Bravo", "Nothing to process"},
        {"no report here", "Bravo", "Nothing to process"},
        {"Intel on Home [1:2:3] time 07-23 14:05:09\r\nMetal: 1", "Bravo",
         "This spy report is incomplete or badly formatted. Make sure you copy from \"Intel on ... \" untill \"... "
         "Counter-espionage chance::xx%\""},
        {"Counter-espionage chance: 3%\r\nIntel on Home [1:2:3] time 07-23 14:05:09", "Bravo",
         "This spy report is incomplete or badly formatted. Make sure you copy from \"Intel on ... \" untill \"... "
         "Counter-espionage chance::xx%\""},
        {"Intel on Home [1:2:3 time 07-23 14:05:09\r\nCounter-espionage chance: 3%", "Bravo",
         "Couldn't find ] in text starting from position 20 (uMain, line 938)"},
        {"Intel on Home [1:2:3] time 07-23 99:05:09\r\nCounter-espionage chance: 3%", "Bravo",
         "'99' is not a valid ..."},
    };
    for (const Case& c : cases) {
        page.memo = c.memo;
        page.player = c.player;
        Run();
        ASSERT_EQ(page.Log.size(), 1u);
        if (c.error.ends_with("..."))
            EXPECT_TRUE(Bodies(page.Log)[0].starts_with("Error processing spy report: ")) << page.Log[0];
        else
            EXPECT_EQ(Bodies(page.Log)[0], "Error processing spy report: " + c.error);
        EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONHAND});
        EXPECT_EQ(page.memo, c.memo);
    }
    EXPECT_EQ(db.Query("SELECT (SELECT count(*) FROM tblPlanet)||(SELECT count(*) FROM tblPlayer)"), "00");
}

// Two stored planets of two owners, as a solar-system scan leaves them.
const char* const kTwoOwners =
    "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');"
    "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Bravo', 1), (2, 'Charlie', 1);"
    "INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, LastScanned, Metal) "
    "VALUES (1, 2, 3, 0, 'Home', 1, '2024-01-01 00:00:00', 5), (1, 2, 4, 0, 'Far', 2, '2024-01-01 00:00:00', 7);";

const char* const kIncomplete =
    "Error processing spy report: This spy report is incomplete or badly formatted. Make sure you copy from \"Intel "
    "on ... \" untill \"... Counter-espionage chance::xx%\"";

// Pastes as players make them, on a database file: the rows read back and
// the log lines. Nothing of a refused report reaches the file.
TEST(SpyReportPasteTest, PastesAsPlayersMakeThem) {
    const AnsiString far = Report("Faraway", "1:2:4", "07-20 11:00:00");
    AnsiString cut = Report("Homeworld", "1:2:3", "07-20 10:00:00");
    cut = cut.substr(0, cut.find("Defence"));  // the copy stopped in the middle
    struct Case {
        const char* what;
        AnsiString paste;
        std::string rows;  // planet: coordinates name metal light fighters scan day; then research of both owners
        std::vector<std::string> log;
        AnsiString memo;
        UINT beep;
        TDateTime now = 0;
    } cases[] = {
        {"hex galaxy", Report("Homeworld", "0x1:2:3", "07-20 10:00:00"),
         "1:2:3 Home 5 - 2024-01-01, 1:2:4 Far 7 - 2024-01-01 / -,-", {kIncomplete},
         Report("Homeworld", "0x1:2:3", "07-20 10:00:00"), MB_ICONHAND},
        {"hex position", Report("Homeworld", "1:2:$3", "07-20 10:00:00"),
         "1:2:3 Home 5 - 2024-01-01, 1:2:4 Far 7 - 2024-01-01 / -,-", {kIncomplete},
         Report("Homeworld", "1:2:$3", "07-20 10:00:00"), MB_ICONHAND},
        {"leading zero is the same place", Report("Homeworld", "01:2:03", "07-20 10:00:00"),
         "1:2:3 Homeworld 12000 50 2024-07-20, 1:2:4 Far 7 - 2024-01-01 / 6,-",
         {"Message: Spy report on 1:2:3 processed successfully"}, "", MB_ICONASTERISK},
        {"truncated, then complete", cut + "\r\n" + far,
         "1:2:3 Home 5 - 2024-01-01, 1:2:4 Faraway 12000 50 2024-07-20 / -,6",
         {kIncomplete, "Message: Spy report on 1:2:4 processed successfully"}, Trim(cut), MB_ICONHAND},
        {"chatter with the header word", "Chat: I got Intel on you!\r\n" + far,
         "1:2:3 Home 5 - 2024-01-01, 1:2:4 Faraway 12000 50 2024-07-20 / -,6",
         {"Message: Spy report on 1:2:4 processed successfully"}, "", MB_ICONASTERISK},
        {"thousands separators", Report("Faraway", "1:2:4", "07-20 11:00:00", "15.400"),
         "1:2:3 Home 5 - 2024-01-01, 1:2:4 Faraway 15400 50 2024-07-20 / -,6",
         {"Message: Spy report on 1:2:4 processed successfully"}, "", MB_ICONASTERISK},
        {"past 32 bits", Report("Faraway", "1:2:4", "07-20 11:00:00", "3,000,000,000"),
         "1:2:3 Home 5 - 2024-01-01, 1:2:4 Faraway 3000000000 50 2024-07-20 / -,6",
         {"Message: Spy report on 1:2:4 processed successfully"}, "", MB_ICONASTERISK},
        {"beyond 64 bits", Report("Faraway", "1:2:4", "07-20 11:00:00", "30,000,000,000,000,000,000"),
         "1:2:3 Home 5 - 2024-01-01, 1:2:4 Far 7 - 2024-01-01 / -,-",
         {"Error processing spy report: '30000000000000000000' is not a valid integer value"},
         Report("Faraway", "1:2:4", "07-20 11:00:00", "30,000,000,000,000,000,000"), MB_ICONHAND},
        {"29 February read the year after", Report("Faraway", "1:2:4", "02-29 11:00:00"),
         "1:2:3 Home 5 - 2024-01-01, 1:2:4 Faraway 12000 50 2024-02-29 / -,6",
         {"Message: Spy report on 1:2:4 processed successfully"}, "", MB_ICONASTERISK,
         EncodeDate(2025, 3, 1) + EncodeTime(9, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        ImportDatabase db(kTwoOwners);
        if (c.now != 0) {
            const TDateTime now = c.now;
            SetClock([now] { return now; });
        }
        FakeSpyPage page;
        page.player = "Bravo";  // the owner of a planet not stored yet
        page.memo = c.paste;
        ProcessSpyReports(db.dm(), page);
        const std::string rows = db.Query(
            "SELECT group_concat(GalaxyID||':'||SolarsystemID||':'||PlanetID||' '||PlanetName||' '||IFNULL(Metal,'-')||"
            "' '||IFNULL(LightFighter,'-')||' '||substr(LastScanned,1,10), ', ') FROM (SELECT * FROM tblPlanet ORDER BY "
            "SolarsystemID, PlanetID, IsMoon)") +
            " / " + db.Query("SELECT group_concat(IFNULL(EspionageTechnology,'-'), ',') FROM (SELECT * FROM tblPlayer "
                             "ORDER BY ID)");
        EXPECT_EQ(rows, c.rows) << c.what;
        EXPECT_EQ(Bodies(page.Log), c.log) << c.what;
        EXPECT_EQ(page.memo, c.memo) << c.what;
        EXPECT_EQ(page.Beeps, std::vector<UINT>{c.beep}) << c.what;
    }
}

// Counts are 64-bit wherever they go: each count of a report that fits is
// stored whole with the totals and powers built from it; a count, or a
// figure built from counts, beyond 64 bits refuses the report.
TEST(SpyReportPasteTest, CountsPast32BitsAreStoredWhole) {
    auto report = [](const char* metal, const char* crystal, const char* deuterium, const char* fighters) {
        return Lines({"Intel on Faraway [1:2:4] time 07-20 11:00:00",
                      (AnsiString("Metal: ") + metal + "|Crystal: " + crystal).c_str(),
                      (AnsiString("Deuterium: ") + deuterium + "|Energy: -150").c_str(), "Fleet",
                      (AnsiString("Light Fighter ") + fighters + "|Espionage Probe 150").c_str(), "Defence",
                      "Missile Launcher 20|Small Laser 10", "Counter-espionage chance: 12%"});
    };
    const char* const unchanged = "7|-|-|-|-|-";
    struct Case {
        const char* what;
        AnsiString paste;
        std::string row;  // Metal|Crystal|Deuterium|TotalResources|LightFighter|AssaultPower
        std::string log;
    } cases[] = {
        {"the sum past 32 bits", report("1.500.000.000", "1.000.000.000", "30.000", "50"),
         "1500000000|1000000000|30000|2500030000|50|2502",
         "Message: Spy report on 1:2:4 processed successfully"},
        {"a fleet past 32 bits", report("1", "2", "3", "3,000,000,000"),
         "1|2|3|6|3000000000|150000000002", "Message: Spy report on 1:2:4 processed successfully"},
        {"the largest count", report("9,223,372,036,854,775,807", "0", "0", "0"),
         "9223372036854775807|0|0|9223372036854775807|0|2", "Message: Spy report on 1:2:4 processed successfully"},
        {"a count beyond 64 bits", report("9,223,372,036,854,775,808", "0", "0", "0"), unchanged,
         "Error processing spy report: '9223372036854775808' is not a valid integer value"},
        {"the lowest count", report("-9,223,372,036,854,775,807", "0", "0", "0"),
         "-9223372036854775807|0|0|-9223372036854775807|0|2", "Message: Spy report on 1:2:4 processed successfully"},
        // The data sets mark a Null by the one lower value.
        {"below the lowest count", report("-9,223,372,036,854,775,808", "0", "0", "0"), unchanged,
         "Error processing spy report: '-9223372036854775808' is not a valid integer value"},
        {"a sum beyond 64 bits", report("9.000.000.000.000.000.000", "9.000.000.000.000.000.000", "3.000", "0"),
         unchanged, "Error processing spy report: '18000000000000003000' is not a valid integer value"},
        {"a power beyond 64 bits", report("1", "2", "3", "9,000,000,000,000,000,000"), unchanged,
         "Error processing spy report: '450000000000000000002' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        ImportDatabase db(kTwoOwners);
        FakeSpyPage page;
        page.memo = c.paste;
        ProcessSpyReports(db.dm(), page);
        EXPECT_EQ(db.Query("SELECT Metal||'|'||IFNULL(Crystal,'-')||'|'||IFNULL(Deuterium,'-')||'|'||"
                           "IFNULL(TotalResources,'-')||'|'||IFNULL(LightFighter,'-')||'|'||IFNULL(AssaultPower,'-') "
                           "FROM tblPlanet WHERE PlanetID=4"),
                  c.row)
            << c.what;
        EXPECT_EQ(Bodies(page.Log), std::vector<std::string>{c.log}) << c.what;
    }
}

// A paste of many reports is read and written back once, not once per report.
TEST(SpyReportPasteTest, TheMemoIsReadAndWrittenOnce) {
    ImportDatabase db(kTwoOwners);
    struct CountingPage : FakeSpyPage {
        AnsiString ReportText() const override {
            ++reads;
            return FakeSpyPage::ReportText();
        }
        void SetReportText(const AnsiString& Text) override {
            ++writes;
            FakeSpyPage::SetReportText(Text);
        }
        mutable int reads = 0;
        int writes = 0;
    } page;
    for (int i = 0; i < 6; ++i)
        page.memo += Report("Home", i % 2 ? "1:2:4" : "1:2:3", ("07-2" + std::to_string(i) + " 10:00:00").c_str());
    ProcessSpyReports(db.dm(), page);
    EXPECT_EQ(page.memo, "");
    EXPECT_EQ(page.reads, 1);
    EXPECT_EQ(page.writes, 1);
    EXPECT_EQ(db.Query("SELECT count(*) FROM tblPlanet"), "2");
}

TEST_F(SpyReportImportTest, PreviewShowsTheStoredOwnerAndRating) {
    db.Exec("INSERT INTO tblAlliance (ID, Name) VALUES (7, 'ABC');"
            "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (3, 'Bravo', 7);"
            "INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlayerID, Rating) "
            "VALUES (1, 234, 5, 0, 3, 4);");
    page.memo = Report("Homeworld", "1:234:5", "07-23 14:05:09");
    PreviewSpyReportOwner(db.dm(), page);
    EXPECT_TRUE(page.found);
    EXPECT_TRUE(page.added);
    EXPECT_EQ(page.player + "/" + page.alliance, "Bravo/ABC");
    EXPECT_EQ(page.rating, 4);
    page.memo = Report("Homeworld", "1:234:6", "07-23 14:05:09");
    PreviewSpyReportOwner(db.dm(), page);
    EXPECT_FALSE(page.found);
    EXPECT_EQ(page.rating, -1);
}

}  // namespace
