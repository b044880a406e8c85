// The main window built from its definition, its language load and captions,
// and the frame around the imports: log pane, sounds, clearing the database.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/uAbout.h"
#include "app/uFilterEditor.h"
#include "app/uFind.h"
#include "app/uLanguage.h"
#include "app/uShowReport.h"
#include "app/uVocabulary.h"
#include "data/uSelectDB.h"
#include "platform/gui/InputSimulation.h"
#include "platform/rtl/CodePage.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

std::string WithoutLine(const std::string& text, const std::string& line) {
    size_t at = text.find(line + "\r\n");
    EXPECT_NE(at, std::string::npos) << line;
    return at == std::string::npos ? text : text.substr(0, at) + text.substr(at + line.size() + 2);
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowFixture f;
};

}  // namespace

TEST_F(MainWindowTest, ShippedLanguageLoadsWithoutChangeAndWordsEveryPage) {
    TfrmMain* w = f.Open();
    const std::string before = ReadFile(f.folder.File("English.lng"));
    w->SetActiveLanguage("English");
    EXPECT_TRUE(f.dialogs->Messages.empty());
    EXPECT_FALSE(TakeTermination());
    EXPECT_EQ(ReadFile(f.folder.File("English.lng")), before);

    // Quoted words keep their trailing blank; the rest are trimmed.
    EXPECT_EQ(ESSmallCargoShip, "Small Cargo Ship ");
    EXPECT_EQ(ESMetal, "Metal:");
    EXPECT_EQ(ESAt, "] time");
    EXPECT_EQ(SSInactiveIndicator, "i");
    EXPECT_EQ(w->iCoordinates, "Coordinates");
    for (const TVocabularyEntry& e : GameVocabulary()) EXPECT_FALSE(e.Value->empty()) << e.Key;

    EXPECT_EQ(w->tsViewSpyReports->Caption(), "View Spy Reports");
    // The button and the menu entry share the action: the menu's words come last.
    EXPECT_EQ(w->actProcessSpyReport->Caption(), "Process spy report");
    EXPECT_EQ(w->mRatePlanet->Caption(), "Rate planet(s)");
    EXPECT_EQ(w->actImportData->Hint(), "Import data from an access database");
    ASSERT_EQ(w->grpRating->Items()->Count(), 5);
    EXPECT_EQ(w->grpRating->Items()->Strings(3), "Dangerous");
    EXPECT_EQ(w->grpRating->ItemIndex(), -1);
    EXPECT_EQ(w->dbnavPlayers->Hints()->Text(), w->dbnavAlliances->Hints()->Text());
    EXPECT_EQ(w->dbnavAlliances->Hints()->Strings(9), "Refresh data");
    EXPECT_EQ(w->lbloBmbr->Caption(), w->lblBmbr->Caption());
    EXPECT_EQ(w->grpFleetPower->Caption(), "Assault");
    EXPECT_EQ(iRecord, "Records:");
    // The player page shows the planet view's words for research.
    EXPECT_EQ(dmMain->tblPlayer->FindField("WeaponTechnology")->DisplayLabel(),
              dmMain->viewPlanet->FindField("WeaponTechnology")->DisplayLabel());

    // Every page, shown with its grid's columns; the first show opens the database.
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    w->Show();
    EXPECT_TRUE(w->Shown);
    EXPECT_EQ(w->Caption(), FromUtf8Literal("Tesk v1.2.0.0r (English) [База: ]"));
    for (TDataSet* d : {static_cast<TDataSet*>(dmMain->viewPlanet), static_cast<TDataSet*>(dmMain->viewCombat),
                        static_cast<TDataSet*>(dmMain->tblAlliance), static_cast<TDataSet*>(dmMain->tblPlayer)})
        d->Open();
    w->grdPlanet->SetDataSource(dmMain->dsPlanet);
    w->grdCombat->SetDataSource(dmMain->dsCombat);
    w->grdAlliance->SetDataSource(dmMain->dsAlliance);
    w->grdPlayer->SetDataSource(dmMain->dsPlayer);
    w->SetActiveLanguage("English");  // titles from the labels, now that the columns exist
    w->AddToLog("10.12.2026 17:00:00 - Message: Solar system 1:234 processed successfully");
    for (int i = 0; i < w->pcMain->PageCount(); ++i) {
        w->pcMain->SetActivePageIndex(i);
        Application->ProcessMessages();
        std::string name = w->pcMain->ActivePage()->Name();
        EXPECT_TRUE(SaveWindowImage(w->Handle(), ("/tmp/tesk-main-" + name + ".png").c_str())) << name;
        bool pastePage = name.rfind("tsView", 0) != 0 && name != "tsCalculatePower";
        EXPECT_EQ(w->pnlLog->Height(), pastePage ? 150 : 0) << name;
    }
    EXPECT_EQ(w->grdPlanet->Columns()->Items(0)->Title()->Caption(),
              dmMain->viewPlanet->FindField(w->grdPlanet->Columns()->Items(0)->FieldName())->DisplayLabel());
    w->Hide();
}

// Every dialog finds all its words in the shipped file: nothing is written
// back into it, and no dialog falls back to a built-in default title.
TEST_F(MainWindowTest, ShippedLanguageHoldsEveryDialogsKeys) {
    TfrmMain* w = f.Open();
    const std::string before = ReadFile(f.folder.File("English.lng"));
    auto check = [&](TForm* dialog, const char* title) {
        EXPECT_EQ(dialog->Caption(), title);
        EXPECT_EQ(ReadFile(f.folder.File("English.lng")), before) << title;
        FreeObject(dialog);
    };
    auto* selectDB = CreateForm<TfrmSelectDB>(w);
    ApplyLanguageToSelectDBForm(selectDB, "English");
    check(selectDB, "Select DataBase");
    auto* find = CreateForm<TfrmFind>(w);
    ApplyLanguageToFindForm(find, "English");
    check(find, "Find");
    auto* editor = CreateForm<TfrmFilterEditor>(w);
    ApplyLanguageToFilterEditor(editor, "English");
    check(editor, "Edit filters");
    auto* report = CreateForm<TfrmShowReport>(w);
    ApplyLanguageToReportForm(report, "English");
    check(report, "Report");
    auto* language = CreateForm<TfrmLanguage>(w);
    ApplyLanguageToLanguageForm(language, "English");
    check(language, "Select your language");
}

// A required key that is missing is written back with its default (empty for
// the game's words), listed, and ends the program; a hint key is only
// written back.
TEST_F(MainWindowTest, MissingKeysAreWrittenBackListedAndEndTheProgram) {
    const std::string shipped = ShippedFile("lang/English.lng");
    struct Case {
        const char* line;
        const char* written;
        const char* reported;  // nullptr: nothing shown
    } const cases[] = {
        {"RCBlocked=Blocked", "RCBlocked=Blocked", "[RatingCaptions] RCBlocked"},
        {"ESMetal=Metal:", "ESMetal=\r\n", "[EspionageIdentifiers] ESMetal"},
        {"mhFind=Find alliance, player or planet", "mhFind=Find alliance, player or planet", nullptr},
        {"ahImportData=Import data from an access database", "ahImportData=Import data from an access database",
         "[Menu] ahImportData"},
    };
    TfrmMain* w = f.Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        WriteFile(f.folder.File("Lacking.lng"), WithoutLine(shipped, c.line));
        f.dialogs->Messages.clear();
        w->SetActiveLanguage("Lacking");
        EXPECT_NE(ReadFile(f.folder.File("Lacking.lng")).find(c.written), std::string::npos);
        if (!c.reported) {
            EXPECT_TRUE(f.dialogs->Messages.empty());
            EXPECT_FALSE(TakeTermination());
            continue;
        }
        ASSERT_EQ(f.dialogs->Messages.size(), 1u);
        EXPECT_EQ(f.dialogs->Messages[0].Type, mtError);
        EXPECT_EQ(f.dialogs->Messages[0].Text,
                  std::string("The following identifiers do not exist or are empty in Lacking.lng\r\r") +
                      c.reported +
                      "\r\rPlease download the latest version of Lacking.lng\ror translate the missing strings "
                      "yourself.\r\rTesk will now be terminated");
        EXPECT_TRUE(TakeTermination());
    }
    // A game word written back empty is reported again at the next load.
    WriteFile(f.folder.File("Lacking.lng"), WithoutLine(shipped, "ESMetal=Metal:"));
    w->SetActiveLanguage("Lacking");
    f.dialogs->Messages.clear();
    TakeTermination();
    w->SetActiveLanguage("Lacking");
    EXPECT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_TRUE(TakeTermination());
}

// Each language file loads under the name the chooser lists: its extension in
// any letter case, a name in letters outside ASCII (the system's UTF-8), a
// byte-order mark before its first section. Nothing is missing, so nothing is
// written and no file is added beside it.
TEST_F(MainWindowTest, EveryListedLanguageFileLoadsAsItIs) {
    const std::string shipped = ShippedFile("lang/English.lng");
    struct Case {
        std::string file;
        std::string bytes;
        AnsiString listed;
    } const cases[] = {
        {"Upper.LNG", shipped, "Upper"},
        {"Mixed.Lng", shipped, "Mixed"},
        {"\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9.lng", shipped,
         FromUtf8Literal("\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9")},
        {"Marked.lng", "\xEF\xBB\xBF" + shipped, "Marked"},
    };
    for (const Case& c : cases) WriteFile(f.folder.File(c.file), c.bytes);
    auto folder = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(f.folder.File(""))) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = folder();
    TStringList listed;
    ListLanguages(&listed);
    TfrmMain* w = f.Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_GE(listed.IndexOf(c.listed), 0);
        EXPECT_EQ(LanguageFileName(c.listed), f.folder.File(c.file));
        f.dialogs->Messages.clear();
        ESMetal = "";
        w->SetActiveLanguage(c.listed);
        EXPECT_TRUE(f.dialogs->Messages.empty()) << f.dialogs->Messages[0].Text;
        EXPECT_FALSE(TakeTermination());
        EXPECT_EQ(ESMetal, "Metal:");
        EXPECT_NE(w->Caption().find("(" + c.listed + ")"), AnsiString::npos) << w->Caption();
        EXPECT_EQ(ReadFile(f.folder.File(c.file)), c.bytes);
    }
    EXPECT_EQ(folder(), before);
}

TEST_F(MainWindowTest, LabelBarsFollowTheWordsWidths) {
    TfrmMain* w = f.Open();
    std::string lng = ShippedFile("lang/English.lng");
    WriteFile(f.folder.File("Long.lng"), WithoutLine(lng, "iResources=Resources"));
    // A longer first word pushes every later control right, 3 after a label and 5 after a control.
    std::string longer = ReadFile(f.folder.File("Long.lng"));
    longer.insert(longer.find("[Interfase]\r\n") + 13, "iResources=Resources of the planet\r\n");
    WriteFile(f.folder.File("Long.lng"), longer);
    w->SetActiveLanguage("English");
    int shortTotal = w->lblTotal->Left();
    w->SetActiveLanguage("Long");
    EXPECT_GT(w->lblTotal->Left(), shortTotal);
    const std::vector<TControl*> chain = {w->lblResources, w->lblTotal, w->edtTotalRes, w->lblMetal, w->edtMetal,
                                          w->lblCrystal,   w->edtCrystal, w->lblDeuterium, w->edtDeut,
                                          w->lblEnergy,    w->edtEnergy};
    for (size_t i = 1; i < chain.size(); ++i) {
        int gap = dynamic_cast<TLabel*>(chain[i - 1]) ? 3 : 5;
        EXPECT_EQ(chain[i]->Left(), chain[i - 1]->Left() + chain[i - 1]->Width() + gap) << chain[i]->Name();
    }
    EXPECT_GT(w->lblResources->Width(), w->lblTotal->Width());
    EXPECT_EQ(w->cmbCombatFilter->Left(), w->Label6->Left() + w->Label6->Width() + 3);
}

TEST_F(MainWindowTest, ChooserListsLanguageFilesAndCancelWithoutLanguageEnds) {
    WriteFile(f.folder.File("b.lng"), "");
    WriteFile(f.folder.File("a.LNG"), "");
    WriteFile(f.folder.File("c.txt"), "");
    WriteFile(f.folder.File(".lng"), "");  // the chooser's own words, no language
    TStringList names;
    ListLanguages(&names);
    EXPECT_EQ(names.CommaText(), "English,a,b");  // byte order
    TfrmMain* w = f.Open();
    // No modal driver: the dialog ends with its cancel result at once.
    auto* dialog = CreateForm<TfrmLanguage>(nullptr);
    ApplyLanguageToLanguageForm(dialog, "");
    EXPECT_EQ(dialog->Caption(), "Select your language");
    dialog->actOk->Execute();  // nothing selected: stays open
    EXPECT_EQ(dialog->ModalResult(), mrNone);
    dialog->cmbLanguage->Items()->Add("English");
    dialog->cmbLanguage->SetItemIndex(0);
    dialog->actOk->Execute();
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    EXPECT_EQ(dialog->Language, "English");
    FreeObject(dialog);
    EXPECT_NE(ReadFile(f.folder.File(".lng")).find("ifrmLangName=Select your language"), std::string::npos);
    (void)w;
}

TEST_F(MainWindowTest, LogPaneSoundsAndWebPages) {
    TfrmMain* w = f.Open();
    w->pnlLog->SetHeight(80);
    w->ShowLog(nullptr);
    EXPECT_EQ(w->pnlLog->Height(), 150);
    w->HideLog(nullptr);
    EXPECT_EQ(w->pnlLog->Height(), 0);
    w->AddToLog("one");
    w->AddToLog("two");
    EXPECT_EQ(w->memLog->Lines()->Count(), 2);
    w->actClearLog->Execute();
    EXPECT_EQ(w->memLog->Lines()->Count(), 0);

    w->mnuPlaySounds->SetChecked(true);
    w->Beep(0x40);
    w->mnuPlaySoundsClick(nullptr);
    EXPECT_FALSE(w->mnuPlaySounds->Checked());
    w->Beep(0x10);
    EXPECT_EQ(f.system->Beeps, std::vector<UINT>{0x40});

    for (TAction* a : {w->actHelp, w->actReportBug, w->actViewKnownBugs, w->actViewWishlist, w->actAddWish,
                       w->actVisitSorvens})
        a->Execute();
    EXPECT_EQ(f.system->Urls.size(), 6u);

    // Every command is switched on; reprocessing alone is hidden, and with it its menu entry.
    for (int i = 0; i < w->alMain->ActionCount(); ++i) {
        auto* action = dynamic_cast<TCustomAction*>(w->alMain->Actions(i));
        ASSERT_NE(action, nullptr);
        EXPECT_TRUE(action->Enabled()) << action->Name();
        EXPECT_EQ(action->Visible(), action != w->actReprocessPlanets) << action->Name();
    }
    std::function<void(TMenuItem*)> visit = [&](TMenuItem* item) {
        for (int i = 0; i < item->Count(); ++i) {
            TMenuItem* entry = item->Items(i);
            EXPECT_EQ(entry->Visible(), entry != w->mReprocessPlanets) << entry->Name();
            EXPECT_TRUE(entry->Enabled()) << entry->Name();
            visit(entry);
        }
    };
    visit(w->mnuMain->Items());
}

TEST_F(MainWindowTest, AboutBoxShowsTheVersionWithReadableWords) {
    TfrmMain* w = f.Open();
    ModalDriver<TfrmAbout> driver({[](TfrmAbout* a) {
        EXPECT_EQ(a->lblVersion->Caption(), "1.2.0.0");
        EXPECT_EQ(a->ClientWidth(), 640);
        // Dark words on the light button; the white words over the picture
        // stay clear of the name the picture draws at its top left.
        EXPECT_EQ(a->btnClose->Font()->Color(), clWindowText);
        for (TLabel* label : {a->lblTitle, a->lblText, a->lblVersionCaption, a->lblVersion})
            EXPECT_GE(label->Top(), 170) << label->Name();
        EXPECT_TRUE(SaveWindowImage(a->Handle(), "/tmp/tesk-about.png"));
        a->SetModalResult(mrOk);
    }});
    w->actAbout->Execute();
    EXPECT_EQ(driver.StepsRun(), 1u);
}

// Clearing the database empties the four tables in one transaction.
TEST_F(MainWindowTest, ClearDatabaseIsAllOrNothing) {
    const std::string db = f.folder.File("Tesk.mdb");
    ExecSql(db,
            "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>'), (2, 'Evil');"
            "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Vega', 2);"
            "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlayerID) VALUES (1, 1, 2, 3, 0, 1);"
            "INSERT INTO tblCombat (ID, DefenderPlanetID) VALUES (1, 1);");
    auto counts = [&] {
        std::string s;
        for (const char* t : {"tblCombat", "tblPlanet", "tblPlayer", "tblAlliance"})
            s += QuerySql(db, std::string("SELECT COUNT(*) FROM ") + t) + " ";
        return s;
    };
    TfrmMain* w = f.Open();
    ASSERT_TRUE(dmMain->OpenDatabase(db, "Data Source=%s"));
    w->FillPlayerCombo();
    w->FillAllianceCombo();
    ASSERT_EQ(w->cmbPlayer->Items()->Count(), 1);

    // Declined: nothing deleted, the boxes keep their names.
    f.dialogs->QueueAnswer(mrNo);
    w->actClearDB->Execute();
    EXPECT_EQ(counts(), "1 1 1 2 ");
    EXPECT_EQ(w->cmbPlayer->Items()->Count(), 1);
    EXPECT_EQ(f.dialogs->Messages.back().Text, "Are you sure you want to clear all tables?");

    // The third delete fails: all four tables stay as they were.
    ExecSql(db, "CREATE TRIGGER refuse BEFORE DELETE ON tblPlayer BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    f.dialogs->QueueAnswer(mrYes);
    EXPECT_ANY_THROW(w->actClearDBExecute(nullptr));
    EXPECT_FALSE(dmMain->adoConnection->InTransaction());
    EXPECT_EQ(counts(), "1 1 1 2 ");

    ExecSql(db, "DROP TRIGGER refuse;");
    f.dialogs->QueueAnswer(mrYes);
    w->actClearDB->Execute();
    EXPECT_EQ(counts(), "0 0 0 0 ");
    EXPECT_EQ(w->cmbPlayer->Items()->Count(), 0);
    EXPECT_EQ(w->cmbAlliance->Items()->Count(), 0);
}
