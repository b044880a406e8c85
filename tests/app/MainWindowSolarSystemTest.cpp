// The solar-system page of the main window: its editor, the import run by the
// button and by Enter, the Paste command into the editor and into an edit
// control, and the clipboard watcher taking a copied view.
#include <gtest/gtest.h>

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

}  // namespace
