// The solar-system page of the main window: its editor, the import run by the
// button and by Enter, the Paste command into the editor and into an edit
// control, the clipboard watcher taking a copied view, and text views pasted
// by hand with their empty positions cut short and a footer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/TeEdit.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/CodePage.h"
#include "tests/app/AppTestSupport.h"
#include "text/uHtmlClipbrd.h"

using namespace apptest;

namespace {

// Position 1 a planet with a moon, position 2 empty, position 3 a planet
// whose owner's name is "Ivan" in Cyrillic letters (UTF-8, as a browser
// copies it).
const char* const kView =
    "<html><head><meta charset=\"utf-8\"></head><body><table>\r\n"
    "<tr><td colspan=\"8\">Solar system 2:345</td></tr>\r\n"
    "<tr><td>Pos</td><td>Planet</td><td>Name</td><td>Moon</td><td>Debris</td><td>Player</td><td>Alliance</td>"
    "<td>Action</td></tr>\r\n"
    "<tr>\n<th><a href=\"#\">1</a></th>\n<th><img src=\"p.gif\"></th>\n<th>Harbour</th>\n<th><img src=\"m.gif\"></th>\n"
    "<th></th>\n<th><a title=\"Player Bravo ranked 42.\"><span class='status_inactive'>Bravo</span></a></th>\n"
    "<th><a title=\"Alliance ABC ranked 5 with 10 members\">ABC</a></th>\n<th>-</th>\n</tr>\r\n"
    "<tr>\n<th><a href=\"#\">2</a></th>\n<th></th>\n<th></th>\n<th></th>\n<th></th>\n<th></th>\n<th></th>\n<th></th>\n</tr>\r\n"
    "<tr>\n<th><a href=\"#\">3</a></th>\n<th><img src=\"p.gif\"></th>\n<th>Dacha</th>\n<th></th>\n<th></th>\n"
    "<th><span>\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD</span></th>\n<th></th>\n<th>-</th>\n</tr>\r\n"
    "</table></body></html>";
const char* const kViewText = "Solar system 2:345\r\nPos\tPlanet\tName\r\n1\t \tHarbour";

void PutOnClipboard(TfrmMain* w, const AnsiString& Html, const AnsiString& Text) {
    w->Clipboard->Open();
    w->Clipboard->Clear();
    if (!Html.empty()) w->Clipboard->SetAsHTML(Html);
    if (!Text.empty()) w->Clipboard->SetAsText(Text);
    w->Clipboard->Close();
}

const char* const kPlanets = "SELECT group_concat(PlanetID||':'||PlanetName||':'||IsMoon, ' ') FROM "
                             "(SELECT * FROM tblPlanet WHERE GalaxyID=2 AND SolarsystemID=345 "
                             "ORDER BY PlanetID, IsMoon)";

class MainWindowSolarSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        w = f.Open();
        db = f.folder.File("Tesk.mdb");
        ASSERT_TRUE(dmMain->OpenDatabase(db, "Data Source=%s"));
        w->SetActiveLanguage("English");
    }
    MainWindowFixture f;
    TfrmMain* w = nullptr;
    std::string db;
};

TEST_F(MainWindowSolarSystemTest, TheEditorsViewIsStoredByTheButtonAndByEnter) {
    ASSERT_NE(w->memSolarSystem, nullptr);
    EXPECT_EQ(w->memSolarSystem->Parent(), w->tsSolarSystem);
    ASSERT_TRUE(w->actProcessSolarSystem->Enabled());

    w->actProcessSolarSystem->Execute();
    EXPECT_EQ(LastLog(w), "Error processing solar system: Nothing to process");

    // The raw HTML bytes as a user could paste them by hand: the table is read
    // and the editor emptied.
    w->memSolarSystem->SetText(Utf8ToAnsi(kView));
    w->actProcessSolarSystem->Execute();
    EXPECT_EQ(LastLog(w), "Message: Solar system 2:345 processed successfully");
    EXPECT_EQ(QuerySql(db, kPlanets), "1:Harbour:0 1:Harbour:1 3:Dacha:0");
    EXPECT_EQ(w->memSolarSystem->GetText(), "");
    EXPECT_TRUE(w->actProcessSolarSystem->Enabled());

    // Enter runs the import too; a broken view keeps its text for mending.
    w->memSolarSystem->SetText("Solar system x:y <table>");
    WORD enter = VK_RETURN;
    w->memSolarSystemKeyUp(w->memSolarSystem, enter, TShiftState());
    EXPECT_EQ(LastLog(w), "Error processing solar system: 'Solar system x:x' not found");
    EXPECT_EQ(w->memSolarSystem->GetText(), "Solar system x:y <table>");
    WORD other = 'A';
    w->memSolarSystem->SetText("");
    const int lines = w->memLog->Lines()->Count();
    w->memSolarSystemKeyUp(w->memSolarSystem, other, TShiftState());
    EXPECT_EQ(w->memLog->Lines()->Count(), lines);
}

TEST_F(MainWindowSolarSystemTest, PasteGivesTheEditorTheHtmlFormAndAnEditItsText) {
    // Shown, so that its controls can take the focus.
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    w->Show();
    ASSERT_TRUE(w->actPaste->Enabled());
    w->pcMain->SetActivePage(w->tsSolarSystem);
    w->SetActiveControl(w->memSolarSystem);

    // The HTML form, decoded from UTF-8: the owner keeps his Cyrillic letters.
    PutOnClipboard(w, kView, kViewText);
    w->memSolarSystem->SetText("old text");
    w->actPaste->Execute();
    const AnsiString pasted = w->memSolarSystem->GetText();
    EXPECT_NE(pasted.find("<table>"), AnsiString::npos);
    EXPECT_NE(pasted.find("<span>\xC8\xE2\xE0\xED</span>"), AnsiString::npos);
    EXPECT_EQ(pasted.find("old text"), AnsiString::npos);

    // Text alone is still a view the import reads; nothing on the clipboard
    // leaves the editor as it was.
    PutOnClipboard(w, "", kViewText);
    w->actPaste->Execute();
    EXPECT_EQ(w->memSolarSystem->GetText(), kViewText);
    PutOnClipboard(w, "", "");
    w->actPaste->Execute();
    EXPECT_EQ(w->memSolarSystem->GetText(), kViewText);

    // An edit control pastes the text at its caret.
    w->pcMain->SetActivePage(w->tsProcessCombatReports);
    w->SetActiveControl(w->edtPlayerName);
    w->edtPlayerName->SetText("");
    PutOnClipboard(w, kView, "Alpha");
    w->actPaste->Execute();
    EXPECT_EQ(w->edtPlayerName->Text(), "Alpha");

    // Other controls take nothing.
    w->SetActiveControl(w->cbxSubstractFleet);
    w->actPaste->Execute();
    EXPECT_EQ(w->edtPlayerName->Text(), "Alpha");
    EXPECT_EQ(w->memSolarSystem->GetText(), kViewText);
}

TEST_F(MainWindowSolarSystemTest, TheWatcherStoresACopiedView) {
    w->pcMain->SetActivePage(w->tsViewSpyReports);
    PutOnClipboard(w, kView, kViewText);

    w->mnuWatchClipboard->SetChecked(false);
    w->ClipboardChanged(nullptr);
    EXPECT_EQ(QuerySql(db, "SELECT count(*) FROM tblPlanet"), "0");
    EXPECT_EQ(w->pcMain->ActivePage(), w->tsViewSpyReports);

    w->mnuWatchClipboard->SetChecked(true);
    w->memSolarSystem->SetText("what the user left");
    w->ClipboardChanged(nullptr);
    EXPECT_EQ(w->pcMain->ActivePage(), w->tsSolarSystem);
    EXPECT_EQ(LastLog(w), "Message: Solar system 2:345 processed successfully");
    EXPECT_EQ(QuerySql(db, kPlanets), "1:Harbour:0 1:Harbour:1 3:Dacha:0");
    EXPECT_EQ(QuerySql(db, "SELECT count(*) FROM tblPlayer WHERE Name='\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD'"), "1");
    EXPECT_EQ(w->memSolarSystem->GetText(), "");
}


// The text form pasted by hand, "|" standing for a TAB. The copying program
// drops the trailing empty cells of an empty position, and the page may end
// with a footer that begins with a number.
AnsiString TextView(const std::string& Lines) {
    AnsiString out = "Solar system 2:345\r\nPos\tPlanet\tName\tMoon\tDebris\tPlayer\tAlliance\tAction\r\n";
    for (char c : Lines) {
        if (c == '\n')
            out += "\r\n";
        else
            out += c == '|' ? '\t' : c;
    }
    // The editor keeps no empty last line.
    if (out.ends_with("\r\n")) out.resize(out.size() - 2);
    return out;
}

// The log pane's lines from the index on, without their time stamps.
std::vector<std::string> LogFrom(TfrmMain* w, int First) {
    std::vector<std::string> lines;
    for (int i = First; i < w->memLog->Lines()->Count(); ++i) {
        const std::string line = w->memLog->Lines()->Strings(i);
        const size_t p = line.find(" - ");
        lines.push_back(p == std::string::npos ? line : line.substr(p + 3));
    }
    return lines;
}

const char* const kAllStored = "1:Harbour:0 1:Harbour:1 2:Gone:0 3:Dacha:0 4:Far:0 6:Quiet:0";

TEST(MainWindowSolarSystemTextTest, PastedTextViewsAndTheRowsTheyLeave) {
    // Bravo's planet with its moon at 1 and Ivan's at 3, which the views
    // show as they are; Zed's colonies at 2, 4 and 6, which they show empty
    // or leave out.
    const char* const stored =
        "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>'), (2, 'ABC');"
        "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Zed', 1), (2, 'Bravo', 2), (3, 'Ivan', 1);"
        "INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID) VALUES "
        "(2, 345, 1, 0, 'Harbour', 2), (2, 345, 1, 1, 'Harbour', 2), (2, 345, 3, 0, 'Dacha', 3), "
        "(2, 345, 2, 0, 'Gone', 1), (2, 345, 4, 0, 'Far', 1), (2, 345, 6, 0, 'Quiet', 1);";
    const std::string planets = "1 | |Harbour (*)| | |Bravo|ABC (*)| |\n";
    const std::string zed = "Warning: Player Zed (<none>) has destroyed colony [2:345:";
    const std::string gone = "Warning: Planet Gone [2:345:2] has been destroyed";
    const std::string far = "Warning: Planet Far [2:345:4] has been destroyed";
    const std::string quiet = "Warning: Planet Quiet [2:345:6] has been destroyed";
    const std::string success = "Message: Solar system 2:345 processed successfully";
    struct Case {
        const char* what;
        AnsiString view;
        std::vector<std::string> log;
        const char* rows;
    } const cases[] = {
        {"empty positions with seven TABs, planets with eight",
         TextView(planets + "2|||||||\n3 | |Dacha|||Ivan|| |\n4 \t\n5||||||||\n6|\t \t\n"),
         {zed + "2]", gone, zed + "4]", far, zed + "6]", quiet, success},
         "1:Harbour:0 1:Harbour:1 3:Dacha:0"},
        {"a footer after every position",
         TextView(planets + "2|||||||\n3 | |Dacha|||Ivan|| |\n4|||||||\n5|||||||\n6|||||||\n7|||||||\n8|||||||\n"
                            "9|||||||\n10|||||||\n11|||||||\n12|||||||\n13|||||||\n14|||||||\n15|||||||\n"
                            "3 planets populated\n"),
         {zed + "2]", gone, zed + "4]", far, zed + "6]", quiet, success},
         "1:Harbour:0 1:Harbour:1 3:Dacha:0"},
        {"a footer after a view that lacks positions",
         TextView(planets + "2|||||||\n5|||||||\n3 planets populated\n1 more line\n"),
         {zed + "2]", gone, success},
         "1:Harbour:0 1:Harbour:1 3:Dacha:0 4:Far:0 6:Quiet:0"},
        {"a view whose TABs were lost", TextView("1   Harbour (*)   Bravo ABC (*)\n2\n4\n6\n"),
         {"Error processing solar system: Line of position 1 does not have the solar system view's layout: "
          "1   Harbour (*)   Bravo ABC (*)"},
         kAllStored},
        {"a planet's line short of its empty cells",
         TextView(planets + "2|||||||\n3 | |Dacha|||Ivan|\n"),
         {"Error processing solar system: Line of position 3 does not have the solar system view's layout: "
          "3 \t \tDacha\t\t\tIvan\t"},
         kAllStored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MainWindowFixture f;
        const std::string db = f.folder.File("Tesk.mdb");
        ExecSql(db, stored);
        WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
        TfrmMain* w = f.Start();
        w->pcMain->SetActivePage(w->tsSolarSystem);
        w->SetActiveControl(w->memSolarSystem);
        PutOnClipboard(w, "", c.view);
        w->memSolarSystem->SetText("");
        w->actPaste->Execute();
        ASSERT_EQ(w->memSolarSystem->GetText(), c.view);
        const int first = w->memLog->Lines()->Count();
        w->actProcessSolarSystem->Execute();
        EXPECT_EQ(LogFrom(w, first), c.log);
        EXPECT_EQ(QuerySql(db, kPlanets), c.rows);
        // A refused view stays in the editor for mending.
        EXPECT_EQ(w->memSolarSystem->GetText(), c.log.back().starts_with("Error") ? c.view : AnsiString());
    }
}

}  // namespace
