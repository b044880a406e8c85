// The solar-system import: the HTML form with and without the clipboard's
// header, and the plain-text form, over a fresh database.
#include <gtest/gtest.h>

#include "app/uSolarSystemImport.h"
#include "tests/app/ImportTestSupport.h"

using namespace importtest;

namespace {

// Rows 1 (planet, moon, debris, inactive owner), 2 (empty), 3 (two status
// spans, alliance rank from a title), 4 (Cyrillic owner "Ivan", alliance
// rank in the cell's own text); the table ends after four rows.
const std::string kTable = R"(<table>
<tr><td colspan="8">Solar system 1:234</td></tr>
<tr><td>Pos</td><td>Planet</td><td>Name</td><td>Moon</td><td>Debris</td><td>Player</td><td>Alliance</td><td>Action</td></tr>
<tr>
<th><a href="#" title="Debris: 1.000 metal, 2.500 crystal">1</a></th>
<th><img src="p.gif"></th>
<th>Homeworld</th>
<th><img src="m.gif"></th>
<th></th>
<th><a href="#" title="Player Bravo ranked 42."><span class='status_inactive'>Bravo</span></a></th>
<th><a href="#" title="Alliance ABC ranked 5 with 10 members">ABC</a></th>
<th>-</th>
</tr>
<tr>
<th><a href="#">2</a></th>
<th></th>
<th></th>
<th></th>
<th></th>
<th></th>
<th></th>
<th></th>
</tr>
<tr>
<th><a href="#">3</a></th>
<th><img src="p.gif"></th>
<th> Out-post </th>
<th></th>
<th></th>
<th><a title="Player Charlie ranked 77."><span class='status_vacation'><span class="STATUS_BANNED">Charlie</span></span></a></th>
<th><a title="Alliance XYZ ranked 7 with 3 members">XYZ</a></th>
<th>-</th>
</tr>
<tr>
<th><a href="#">4</a></th>
<th><img src="p.gif"></th>
<th>Dacha</th>
<th></th>
<th></th>
<th><span class='status_unknown'>)"
                           "\xC8\xE2\xE0\xED"
                           R"(</span></th>
<th><span>Alliance DEF ranked 9 with 4 members</span></th>
<th>-</th>
</tr>
</table>)";

AnsiString CfHtml() {
    return Crlf("Version:0.9\nStartHTML:0000000105\nEndHTML:0000001234\nStartFragment:0000000141\n"
                "EndFragment:0000001198\n<html><body>\n<!--StartFragment-->" +
                kTable + "<!--EndFragment-->\n</body></html>");
}

class FakeSolarPage : public ISolarSystemPage, public RecordingHost {
public:
    AnsiString SolarSystemText() const override { return text; }
    void SetSolarSystemText(const AnsiString& Text) override { text = Text; }
    bool DeletePlanets() const override { return deletePlanets; }
    void AddToLog(const AnsiString& Line) override { RecordingHost::AddToLog(Line); }
    void Beep(UINT SoundType) override { RecordingHost::Beep(SoundType); }
    AnsiString text;
    bool deletePlanets = true;
};

// A stored planet and moon at position 2 that the view shows empty.
const char* const kStoredAtTwo =
    "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');"
    "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Zed', 1);"
    "INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID) VALUES "
    "(1, 234, 2, 0, 'Gone', 1), (1, 234, 2, 1, 'Gone', 1);";

class SolarSystemImportTest : public ::testing::Test {
protected:
    SolarSystemImportTest() : db(kStoredAtTwo) { db.RouteLog(&page.Log); }
    void Run(const AnsiString& text) {
        page.Log.clear();
        page.Beeps.clear();
        page.text = text;
        ProcessSolarSystem(db.dm(), page);
    }
    // "position moon name owner [flags] alliance rank/members debris" per row.
    std::string Rows() {
        return db.Query(
            "SELECT group_concat(row, ' | ') FROM (SELECT t.PlanetID||IIF(t.IsMoon=1,'m','')||' '||t.PlanetName||' '||"
            "p.Name||' ['||IFNULL(p.Rank,'-')||' '||IIF(p.Inactive=1,'i','')||IIF(p.LongInactive=1,'I','')||"
            "IIF(p.Vacation=1,'v','')||IIF(p.Banned=1,'b','')||IIF(p.Noob=1,'n','')||IIF(p.Strong=1,'s','')||'] '||"
            "a.Name||' '||IFNULL(a.Ranking,'-')||'/'||IFNULL(a.Members,'-')||' '||IFNULL(t.MetalDebris,'-')||'/'||"
            "IFNULL(t.CrystalDebris,'-') AS row FROM tblPlanet t JOIN tblPlayer p ON p.ID=t.PlayerID JOIN tblAlliance a "
            "ON a.ID=p.AllianceID ORDER BY t.PlanetID, t.IsMoon)");
    }
    ImportDatabase db;
    FakeSolarPage page;
};

// Read back straight from the file, so in UTF-8.
const std::string kHtmlRows =
    "1 Homeworld Bravo [42 i] ABC 5/10 1000/2500 | 1m Homeworld Bravo [42 i] ABC 5/10 1000/2500 | "
    "3 Out-post Charlie [77 vb] XYZ 7/3 0/0 | 4 Dacha Иван [- ] DEF 9/4 0/0";

TEST_F(SolarSystemImportTest, TheHtmlFormWithTheClipboardHeader) {
    Run(CfHtml());
    EXPECT_EQ(Rows(), kHtmlRows);
    EXPECT_EQ(Bodies(page.Log), (std::vector<std::string>{
                                    "Warning: Player Bravo (ABC) established the colony \"Homeworld\" at [1:234:1]",
                                    "Warning: Status of player Bravo (ABC) changed to status_inactive",
                                    "Warning: Player Bravo (ABC) established the colony \"Homeworld\" at [1:234:1]",
                                    "Warning: Player Zed (<none>) has destroyed colony [1:234:2]",
                                    "Warning: Planet Gone [1:234:2] has been destroyed",
                                    "Warning: Moon [1:234:2] has been destroyed",
                                    "Warning: Player Charlie (XYZ) established the colony \"Out-post\" at [1:234:3]",
                                    "Warning: Status of player Charlie (XYZ) changed to status_vacation, status_banned",
                                    "Warning: Player \xC8\xE2\xE0\xED (DEF) established the colony \"Dacha\" at [1:234:4]",
                                    "Message: Solar system 1:234 processed successfully",
                                }));
    EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONASTERISK});
    EXPECT_EQ(page.text, "");
    // The same page again: only scan, debris and ranks are written, no warning.
    Run(CfHtml());
    EXPECT_EQ(Bodies(page.Log), std::vector<std::string>{"Message: Solar system 1:234 processed successfully"});
    EXPECT_EQ(Rows(), kHtmlRows);
}

TEST_F(SolarSystemImportTest, TheHtmlFormWithoutHeaderAndWithoutDeleting) {
    page.deletePlanets = false;
    Run(Crlf("<html><body>" + kTable + "</body></html>"));
    EXPECT_EQ(Rows(), "1 Homeworld Bravo [42 i] ABC 5/10 1000/2500 | 1m Homeworld Bravo [42 i] ABC 5/10 1000/2500 | "
                      "2 Gone Zed [- ] <none> -/- -/- | 2m Gone Zed [- ] <none> -/- -/- | "
                      "3 Out-post Charlie [77 vb] XYZ 7/3 0/0 | 4 Dacha Иван [- ] DEF 9/4 0/0");
    EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONASTERISK});
}

TEST_F(SolarSystemImportTest, StructuralFaultsEndTheImportAndKeepTheText) {
    struct Case {
        std::string from, to, error;
    } cases[] = {
        {"Solar system 1:234", "Star system 1:234", "'Solar system x:x' not found"},
        {"<a href=\"#\">3</a>", "<a href=\"#\">16</a>", "Planetnumber outside of scope 1..15."},
        {"<a href=\"#\">3</a>", "<a href=\"#\">0</a>", "Planetnumber outside of scope 1..15."},
        {"<th><a href=\"#\">3</a></th>", "<th>3</th>", "Planetnumber not found in 'pos' cell. ..."},
        {"<span class='status_vacation'><span class=\"STATUS_BANNED\">Charlie</span></span>", "Charlie", "Playername not found in 'player' cell. ..."},
    };
    for (const Case& c : cases) {
        std::string table = kTable;
        table.replace(table.find(c.from), c.from.size(), c.to);
        const AnsiString text = Crlf("Version:0.9\n<html>" + table + "</html>");
        Run(text);
        ASSERT_FALSE(page.Log.empty());
        const std::string last = Bodies(page.Log).back();
        if (c.error.ends_with("..."))
            EXPECT_TRUE(last.starts_with("Error processing solar system: " + c.error.substr(0, c.error.size() - 3)))
                << last;
        else
            EXPECT_EQ(last, "Error processing solar system: " + c.error);
        EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONHAND});
        EXPECT_EQ(page.text, text);
    }
    // Rows before the fault stay stored.
    EXPECT_EQ(db.Query("SELECT group_concat(PlanetID) FROM tblPlanet WHERE IsMoon=0"), "1");
    Run("");
    EXPECT_EQ(Bodies(page.Log), std::vector<std::string>{"Error processing solar system: Nothing to process"});
    EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONHAND});
}

TEST_F(SolarSystemImportTest, ThePlainTextFormAfterTheHtmlForm) {
    Run(CfHtml());
    page.Log.clear();
    // 1: the moon is gone, Bravo moved to XYZ, "I" alone (long inactive, not
    // inactive); 2: a new colony with a moon, "i" alone; 3: no planet (the
    // line does not match); 4: the owner renamed himself.
    Run(Crlf("Solar system 1:234\n"
             "Pos|Planet|Name|Moon|Debris|Player|Alliance|Action\n"
             "1 | |Homeworld (*)|| |Bravo (I)|XYZ (*)| |\n"
             "2 | |Newtown| ||Dora (i)|| |\n"
             "3||||||||\n"
             "4 | |Dacha|||Ivan|DEF| |\n"));
    EXPECT_EQ(Bodies(page.Log),
              (std::vector<std::string>{
                  "Warning: Player Bravo switched from alliance ABC to alliance XYZ",
                  "Warning: Status of player Bravo (XYZ) changed to status_inactive, status_longinactive",
                  "Warning: Moon [1:234:1] has been destroyed",
                  "Warning: Player Dora established the colony \"Newtown\" at [1:234:2]",
                  "Warning: Status of player Dora changed to status_inactive",
                  "Warning: Player Dora established the colony \"Newtown\" at [1:234:2]",
                  "Warning: Player Charlie (XYZ) has destroyed colony [1:234:3]",
                  "Warning: Planet Out-post [1:234:3] has been destroyed",
                  "Warning: Player renamed himself from \xC8\xE2\xE0\xED to Ivan",
                  "Message: Solar system 1:234 processed successfully",
              }));
    EXPECT_TRUE(page.Beeps.empty());
    // Debris, ranks and members are not in this form: they become Null.
    EXPECT_EQ(Rows(), "1 Homeworld Bravo [- I] XYZ -/- -/- | 2 Newtown Dora [- i] <none> -/- -/- | "
                      "2m Newtown Dora [- i] <none> -/- -/- | 4 Dacha Ivan [- ] DEF -/- -/-");
    // A missing header is logged with the error sound.
    Run("no view here");
    EXPECT_EQ(Bodies(page.Log), std::vector<std::string>{"Error processing solar system: 'Solar system x:x' not found"});
    EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONHAND});
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
        text.replace(p, from.size(), to);
    return text;
}

// The text form as it would be copied, "|" for a TAB.
const std::string kTextView =
    "Solar system 1:234\n"
    "Pos|Planet|Name|Moon|Debris|Player|Alliance|Action\n"
    "1 | |Homeworld (*)| | |Bravo (i)|ABC (*)| |\n"
    "2||||||||\n"
    "3 | |Out-post|| |Charlie (v b)|XYZ| |\n"
    "4 | |Dacha|||Ivan|DEF| |\n";

TEST_F(SolarSystemImportTest, ATextViewThatLostItsLayoutChangesNothing) {
    Run(CfHtml());
    const std::string stored = Rows();
    struct Case {
        const char* what;
        std::string view;
        const char* line;  // the line the error names
    } cases[] = {
        {"TABs lost", Replaced(kTextView, "|", " "), "Line of position 1 does not"},
        {"TABs lost, blanks doubled", Replaced(kTextView, "|", "  "), "Line of position 1 does not"},
        {"one column short", Replaced(kTextView, "Bravo (i)|ABC (*)", "Bravo (i) ABC (*)"),
         "Line of position 1 does not"},
        {"a planet's line out of shape", Replaced(kTextView, "3 | |Out-post", "3||Out-post"),
         "Line of position 3 does not"},
    };
    for (const Case& c : cases) {
        const AnsiString text = Crlf(c.view);
        Run(text);
        ASSERT_EQ(page.Log.size(), 1u) << c.what;
        EXPECT_TRUE(Bodies(page.Log)[0].starts_with(std::string("Error processing solar system: ") + c.line))
            << c.what << ": " << page.Log[0];
        EXPECT_EQ(page.Beeps, std::vector<UINT>{MB_ICONHAND}) << c.what;
        EXPECT_EQ(page.text, text) << c.what;
        EXPECT_EQ(Rows(), stored) << c.what;
    }
    // A view without lines for some positions leaves those positions alone.
    Run(Crlf("Solar system 1:234\n3||||||||\n"));
    EXPECT_EQ(Bodies(page.Log), (std::vector<std::string>{
                                    "Warning: Player Charlie (XYZ) has destroyed colony [1:234:3]",
                                    "Warning: Planet Out-post [1:234:3] has been destroyed",
                                    "Message: Solar system 1:234 processed successfully",
                                }));
    EXPECT_EQ(db.Query("SELECT group_concat(PlanetID||IsMoon) FROM tblPlanet"), "10,11,40");
}

TEST_F(SolarSystemImportTest, NamesWithPatternCharactersKeepRankAndMembers) {
    const std::string table = Replaced(Replaced(kTable, "ABC", "Foo(bar"), "XYZ", "Foo (1)");
    Run(Crlf("<html><body>" + table + "</body></html>"));
    EXPECT_EQ(Rows(), "1 Homeworld Bravo [42 i] Foo(bar 5/10 1000/2500 | 1m Homeworld Bravo [42 i] Foo(bar 5/10 "
                      "1000/2500 | 3 Out-post Charlie [77 vb] Foo (1) 7/3 0/0 | 4 Dacha Иван [- ] DEF 9/4 0/0");
    EXPECT_EQ(Bodies(page.Log).back(), "Message: Solar system 1:234 processed successfully");
}

TEST_F(SolarSystemImportTest, ARowThatFailedLogsNothingAndItsRenameComesNextTime) {
    Run(CfHtml());
    // Bravo renamed himself; his rank is beyond its column, so his row fails.
    const std::string renamed = Replaced(kTable, ">Bravo<", ">Bravo2<");
    Run(Crlf("<html>" + Replaced(renamed, "Player Bravo ranked 42.", "Player Bravo2 ranked 99999999999.") +
             "</html>"));
    EXPECT_EQ(Bodies(page.Log),
              std::vector<std::string>{"Error processing solar system: '99999999999' is not a valid integer value"});
    EXPECT_EQ(db.Query("SELECT group_concat(Name) FROM tblPlayer WHERE Name LIKE 'Bravo%'"), "Bravo");
    Run(Crlf("<html>" + Replaced(renamed, "Player Bravo ranked", "Player Bravo2 ranked") + "</html>"));
    EXPECT_EQ(Bodies(page.Log).front(), "Warning: Player renamed himself from Bravo to Bravo2");
    EXPECT_EQ(Bodies(page.Log).back(), "Message: Solar system 1:234 processed successfully");
    EXPECT_EQ(db.Query("SELECT group_concat(Name||':'||Rank) FROM tblPlayer WHERE Name LIKE 'Bravo%'"), "Bravo2:42");

    // A new colony whose row fails is not announced, and its owner is not made.
    const std::string taken = Replaced(Replaced(kTable, ">Charlie<", ">Dora<"), "Player Charlie ranked 77.",
                                       "Player Dora ranked 99999999999.");
    Run(Crlf("<html>" + Replaced(taken, ">Bravo<", ">Bravo2<") + "</html>"));
    EXPECT_EQ(Bodies(page.Log),
              std::vector<std::string>{"Error processing solar system: '99999999999' is not a valid integer value"});
    EXPECT_EQ(db.Query("SELECT count(*) FROM tblPlayer WHERE Name='Dora'"), "0");
    EXPECT_EQ(db.Query("SELECT p.Name FROM tblPlanet t JOIN tblPlayer p ON p.ID=t.PlayerID WHERE t.PlanetID=3"),
              "Charlie");
}

TEST_F(SolarSystemImportTest, NoNamelessPlayerAndLongNamesFoundAgain) {
    const std::string planet = "N" + std::string(59, 'c'), player = "P" + std::string(59, 'a'),
                      alliance = "A" + std::string(59, 'b');
    const AnsiString view = Crlf("Solar system 1:234\n"
                                 "5 | |Lonely|| ||| |\n"
                                 "6 | |" + planet + "|| |" + player + "|" + alliance + "| |\n"
                                 "7 | |Empty|| | (i)|| |\n");
    Run(view);
    EXPECT_EQ(Bodies(page.Log), (std::vector<std::string>{
                                    "Warning: Planet \"Lonely\" at [1:234:5] shows no player; the position was left as "
                                    "stored",
                                    "Warning: Player " + player.substr(0, 50) + " (" + alliance.substr(0, 50) +
                                        ") established the colony \"" + planet.substr(0, 50) + "\" at [1:234:6]",
                                    "Warning: Planet \"Empty\" at [1:234:7] shows no player; the position was left as "
                                    "stored",
                                    "Message: Solar system 1:234 processed successfully",
                                }));
    // Scanned again: the cut names are found, nothing changed.
    Run(view);
    ASSERT_EQ(page.Log.size(), 3u);
    EXPECT_EQ(Bodies(page.Log)[2], "Message: Solar system 1:234 processed successfully");
    EXPECT_EQ(db.Query("SELECT count(*) FROM tblPlayer WHERE Name IS NULL OR trim(Name)=''"), "0");
    EXPECT_EQ(db.Query("SELECT count(*)||'/'||length(Name) FROM tblPlayer WHERE Name LIKE 'P%'"), "1/50");
    EXPECT_EQ(db.Query("SELECT count(*) FROM tblPlanet WHERE PlanetID BETWEEN 5 AND 7"), "1");
}

TEST(SolarSystemStatusTest, ClassNamesCompareWholeAndFirstWins) {
    LoadShippedVocabulary();
    struct Case {
        const char* name;
        bool TPlanet::*flag;
    } cases[] = {{"status_inactive", &TPlanet::Inactive}, {"STATUS_LONGINACTIVE", &TPlanet::LongInactive},
                 {"status_noob", &TPlanet::Noob},         {"status_strong", &TPlanet::Strong},
                 {"status_vacation", &TPlanet::Vacation}, {"status_banned", &TPlanet::Banned},
                 {"status_inactive x", nullptr},          {"inactive", nullptr}};
    for (const Case& c : cases) {
        TPlanet p(nullptr);
        SetPlayerStatusFromClass(p, c.name);
        const int set = p.Inactive + p.LongInactive + p.Noob + p.Strong + p.Vacation + p.Banned;
        EXPECT_EQ(set, c.flag ? 1 : 0) << c.name;
        if (c.flag) {
            EXPECT_TRUE(p.*c.flag) << c.name;
        }
    }
    EXPECT_EQ(FillPattern("Player %s ranked (\\d+)\\. 100%%", "Bravo"), "Player Bravo ranked (\\d+)\\. 100%");
    EXPECT_EQ(FillPattern("%d %s %s", "x"), "%d x %s");
}

}  // namespace
