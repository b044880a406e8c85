// Filters and find of the main window on a small game: expressions with
// variables and operators, refused expressions, the age choices, filtering by
// player and alliance, the saved filters with their editor, and the find
// dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/uFilterEditor.h"
#include "app/uFind.h"
#include "app/uKeyValueList.h"
#include "app/uProgram.h"
#include "platform/gui/InputSimulation.h"
#include "platform/rtl/DateTime.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

// Today is 25 July 2024.
const char* const kGame =
    "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>'), (2, 'Red'), (3, 'Blue');"
    "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Alpha', 2), (2, 'O''Neil', 3), (3, 'Bravo', 2);"
    "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, Metal,"
    " AssaultPower, DefencePower, LastScanned, LastAttacked, Rating, NumberOfAttacks) VALUES"
    " (1, 1, 100, 1, 0, 'Ace', 1, 50000, 200000, 1000, '2024-07-25 09:00:00', '2024-07-20 10:00:00', 0, 1),"
    " (2, 1, 234, 5, 0, 'Bay', 1, 2000, 0, 90000, '2024-07-24 08:00:00', NULL, 0, 0),"
    " (3, 2, 50, 7, 0, 'Cove', 2, 30000, 150000, 40000, '2024-07-20 12:00:00', '2024-07-25 08:00:00', 0, 2),"
    " (4, 3, 3, 3, 0, 'Dune', 3, 100, NULL, 0, '2024-06-01 12:00:00', '2024-06-10 12:00:00', 0, 1),"
    " (5, 1, 100, 1, 1, 'Luna', 1, 10, 0, 0, '2024-07-25 10:00:00', NULL, 0, 0);";

const char* const kAll = "Ace,Bay,Cove,Dune,Luna";

class FilterWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetClock([] { return EncodeDate(2024, 7, 25) + 0.5; });
        w = f.Open();
        ExecSql(f.folder.File("Tesk.mdb"), kGame);
        ASSERT_TRUE(dmMain->OpenDatabase(f.folder.File("Tesk.mdb"), "Data Source=%s"));
        w->SetActiveLanguage("English");
        w->pcMain->SetActivePage(w->tsViewSpyReports);
        if (!dmMain->viewPlanet->Active()) dmMain->viewPlanet->Open();
        w->edtAP->SetText("140000");
        w->edtDP->SetText("50000");
        w->edtTotalRes->SetText("25000");
    }
    void TearDown() override { SetClock(nullptr); }

    // The planet names the view shows, in name order.
    static std::string Shown() {
        TDataSet* view = dmMain->viewPlanet;
        std::vector<std::string> names;
        for (view->First(); !view->Eof(); view->Next()) names.push_back(view->FieldByName("PlanetName")->AsString());
        std::sort(names.begin(), names.end());
        std::string joined;
        for (const std::string& n : names) joined += (joined.empty() ? "" : ",") + n;
        return joined;
    }
    void Apply(const std::string& text) {
        w->edtPlanetFilter->SetText(text);
        WORD enter = VK_RETURN;
        w->edtPlanetFilterKeyDown(w->edtPlanetFilter, enter, TShiftState());
    }
    std::string Records() const { return w->sbMain->Panels()->Items(1)->Text(); }
    static void GoTo(const char* planet) {
        ASSERT_TRUE(dmMain->viewPlanet->Locate("PlanetName", AnsiString(planet), TLocateOptions())) << planet;
    }
    static void HoldShift(bool down) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }

    MainWindowFixture f;
    TfrmMain* w = nullptr;
};

TEST_F(FilterWindowTest, ExpressionsWithEachVariableAndOperator) {
    struct Case {
        const char* Text;
        const char* Rows;
    } cases[] = {
        {"LastScanned > :TODAY", "Ace,Luna"},
        {"LastScanned > :yesterday", "Ace,Bay,Luna"},
        {"LastScanned < :Week", "Dune"},
        {"LastScanned > :MONTH", "Ace,Bay,Cove,Luna"},
        {"LastAttacked > :WEEK", "Ace,Cove"},
        {"AssaultPower > :ASSAULT", "Ace,Cove"},
        {"DefencePower > :DEFENCE", "Bay"},
        {"Metal > :RESOURCES", "Ace,Cove"},
        {"tblPlayer.Name = 'alpha'", "Ace,Bay,Luna"},
        {"tblAlliance.Name <> 'Red'", "Cove"},
        {"(Metal < 1000) OR (PlanetName = 'Bay')", "Bay,Dune,Luna"},
        {"(GalaxyID = 1) AND (IsMoon = 0)", "Ace,Bay"},
    };
    for (const char* format : {"m\"/\"d\"/\"yyyy", "d\"/\"m\"/\"yyyy"}) {
        w->AccessDateFormat = format;
        for (const Case& c : cases) {
            Apply(c.Text);
            EXPECT_TRUE(dmMain->viewPlanet->Filtered()) << c.Text;
            EXPECT_EQ(Shown(), c.Rows) << c.Text << " in " << format;
            // The record count follows the rows the filter lets through.
            EXPECT_EQ(Records(), "Records: " + std::to_string(std::count(c.Rows, c.Rows + strlen(c.Rows), ',') + 1));
            // The edit keeps the variables.
            EXPECT_EQ(w->edtPlanetFilter->Text(), c.Text);
        }
    }
    EXPECT_EQ(dmMain->viewPlanet->Filter(), "(GalaxyID = 1) AND (IsMoon = 0)");
    EXPECT_TRUE(f.dialogs->Messages.empty());

    // An empty edit and Enter switch filtering off; the text stays on the view.
    Apply("");
    EXPECT_FALSE(dmMain->viewPlanet->Filtered());
    EXPECT_EQ(dmMain->viewPlanet->Filter(), "(GalaxyID = 1) AND (IsMoon = 0)");
    EXPECT_EQ(Shown(), kAll);
    EXPECT_EQ(Records(), "Records: 5");

    // The combat page filters the combat view with its own edit.
    w->AccessDateFormat = "m\"/\"d\"/\"yyyy";
    dmMain->viewCombat->Open();
    w->pcMain->SetActivePage(w->tsViewCombatReports);
    w->edtCombatFilter->SetText("DateTime > :week");
    w->actApplyFilter->Execute();
    EXPECT_EQ(dmMain->viewCombat->Filter(), "DateTime > 7/18/2024");
    EXPECT_TRUE(dmMain->viewCombat->Filtered());
}

TEST_F(FilterWindowTest, RefusedExpressionShowsTheErrorAndLeavesTheViewUnfiltered) {
    // 16,000 nested brackets typed into the filter edit.
    const std::string deep = std::string(16000, '(') + "Metal > 1" + std::string(16000, ')');
    for (const std::string& bad : {std::string("Metal >"), std::string("Nonsense = 1"), std::string("(Metal > 1"), deep}) {
        Apply("Metal > 1000");
        ASSERT_EQ(Shown(), "Ace,Bay,Cove");
        f.dialogs->Messages.clear();
        Apply(bad);
        ASSERT_EQ(f.dialogs->Messages.size(), 1u) << bad.substr(0, 20);
        EXPECT_EQ(f.dialogs->Messages[0].Type, mtError);
        EXPECT_FALSE(f.dialogs->Messages[0].Text.empty());
        EXPECT_FALSE(dmMain->viewPlanet->Filtered()) << bad.substr(0, 20);
        EXPECT_EQ(Shown(), kAll) << bad.substr(0, 20);
        EXPECT_TRUE(w->edtPlanetFilter->Text() == bad) << bad.substr(0, 20);
    }
    // A saved filter of 100,000 nested brackets, chosen in the list.
    w->PlanetFilters->AddKeyValue("Deep", std::string(100000, '(') + "Metal > 1" + std::string(100000, ')'));
    w->cmbPlanetFilter->SetItemIndex(0);
    f.dialogs->Messages.clear();
    w->cmbPlanetFilterClick(nullptr);
    EXPECT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_EQ(Shown(), kAll);
}

// A saved filter longer than an edit box's usual 32,767 characters is applied
// whole when chosen, on either page, and the filter box shows all of it: cut,
// it would be another filter (here the one before its OR).
TEST_F(FilterWindowTest, ALongSavedFilterIsAppliedWhole) {
    const std::string planets = "(PlanetName = 'Ace')" + std::string(40000, ' ') + "OR (PlanetName = 'Dune')";
    w->PlanetFilters->AddKeyValue("Long", planets);
    w->cmbPlanetFilter->SetItemIndex(0);
    w->cmbPlanetFilterClick(nullptr);
    EXPECT_TRUE(f.dialogs->Messages.empty());
    EXPECT_EQ(Shown(), "Ace,Dune");
    EXPECT_TRUE(dmMain->viewPlanet->Filter() == planets);
    EXPECT_TRUE(w->edtPlanetFilter->Text() == planets);
    Apply(w->edtPlanetFilter->Text());  // Enter in the box applies the same
    EXPECT_EQ(Shown(), "Ace,Dune");

    const std::string combats = "(MetalRaided = 1)" + std::string(40000, ' ') + "OR (MetalRaided = 2)";
    dmMain->viewCombat->Open();
    w->pcMain->SetActivePage(w->tsViewCombatReports);
    w->CombatFilters->AddKeyValue("Long", combats);
    w->cmbCombatFilter->SetItemIndex(0);
    w->cmbCombatFilterClick(nullptr);
    EXPECT_TRUE(f.dialogs->Messages.empty());
    EXPECT_TRUE(dmMain->viewCombat->Filter() == combats);
    EXPECT_TRUE(w->edtCombatFilter->Text() == combats);
}

TEST_F(FilterWindowTest, AgeChoicesReplaceTheFilter) {
    w->PlanetFilters->AddKeyValue("Rich", "Metal > :RESOURCES");
    w->cmbPlanetFilter->SetItemIndex(0);
    w->cmbPlanetFilterClick(nullptr);
    EXPECT_EQ(w->edtPlanetFilter->Text(), "Metal > :RESOURCES");
    EXPECT_EQ(Shown(), "Ace,Cove");

    struct Case {
        int Choice;
        const char* Text;
        const char* Rows;
    } cases[] = {
        {1, "(LastScanned > 7/25/2024)", "Ace,Luna"},
        {2, "(LastScanned > 7/22/2024)", "Ace,Bay,Luna"},
        {3, "(LastScanned < 7/22/2024)", "Cove,Dune"},
        {4, "(LastAttacked > 7/25/2024)", "Cove"},
        {5, "(LastAttacked > 7/22/2024)", "Cove"},
        {6, "(LastAttacked < 7/22/2024)", "Ace,Dune"},
        {0, "", kAll},
    };
    for (const Case& c : cases) {
        w->cmbAge->SetItemIndex(c.Choice);
        w->FilterChange(w->cmbAge);
        EXPECT_EQ(w->edtPlanetFilter->Text(), c.Text);
        EXPECT_EQ(dmMain->viewPlanet->Filter(), c.Text);
        EXPECT_EQ(dmMain->viewPlanet->Filtered(), c.Choice != 0);
        EXPECT_EQ(w->cmbPlanetFilter->ItemIndex(), -1);
        EXPECT_EQ(Shown(), c.Rows) << c.Choice;
    }
}

TEST_F(FilterWindowTest, FilterByPlayerAndAllianceShiftAppends) {
    GoTo("Cove");
    w->actFilterByPlayer->Execute();
    EXPECT_EQ(w->edtPlanetFilter->Text(), "(tblPlayer.Name = 'O''Neil')");
    EXPECT_EQ(Shown(), "Cove");

    w->actClearFilter->Execute();
    EXPECT_EQ(w->edtPlanetFilter->Text(), "");
    EXPECT_FALSE(dmMain->viewPlanet->Filtered());
    GoTo("Ace");
    w->actFilterByAlliance->Execute();
    EXPECT_EQ(w->edtPlanetFilter->Text(), "(tblAlliance.Name = 'Red')");
    EXPECT_EQ(Shown(), "Ace,Bay,Dune,Luna");

    GoTo("Dune");
    HoldShift(true);
    w->actFilterByPlayer->Execute();
    HoldShift(false);
    EXPECT_EQ(w->edtPlanetFilter->Text(), "(tblAlliance.Name = 'Red') and (tblPlayer.Name = 'Bravo')");
    EXPECT_EQ(Shown(), "Dune");

    // Without Shift the condition replaces the edit's text.
    w->actFilterByAlliance->Execute();
    EXPECT_EQ(w->edtPlanetFilter->Text(), "(tblAlliance.Name = 'Red')");
}

// ---------------------------------------------------------------- the filter editor
using EditorStep = ModalDriver<TfrmFilterEditor>::Step;

TEST_F(FilterWindowTest, EditorRefusesNamesTheSettingsFileWouldLose) {
    w->PlanetFilters->AddKeyValue("Rich", "Metal > 25000");
    const std::string cyrillic = "\xCA\xEB\xE0\xE4";  // in the code page
    ModalDriver<TfrmFilterEditor> driver({
        [&](TfrmFilterEditor* e) {
            EXPECT_GE(e->lstFields->Items()->IndexOf("PlanetName"), 0);
            EXPECT_GE(e->lstFields->Items()->IndexOf("tblplayer.Name"), 0);
            EXPECT_EQ(e->lstOperators->Items()->Count(), 15);
            ASSERT_EQ(e->FilterCount(), 1);
            e->lstFilters->SetRow(1);
            EXPECT_EQ(e->edtName->Text(), "Rich");
            e->actNewFilter->Execute();
            EXPECT_EQ(e->FilterName(2), "<New filter>");
            e->edtName->SetText("a=b");
            e->memFilter->SetText("Metal  >\r\n1");
            e->actOK->Execute();
        },
        [&](TfrmFilterEditor* e) {
            // Refused: the row is still the one edited, the dialog still open.
            EXPECT_EQ(e->FilterName(2), "<New filter>");
            EXPECT_EQ(e->CurrentRow, 2);
            bool canSelect = true;
            e->grdFiltersSelectCell(e->lstFilters, 0, 1, canSelect);
            EXPECT_FALSE(canSelect);
            e->edtName->SetText("  Big " + cyrillic + " planets ");
            SaveWindowImage(e->Handle(), "/tmp/tesk-filter-editor.png");
            e->actOK->Execute();
        },
    });
    w->actEditFilters->Execute();
    EXPECT_EQ(driver.StepsRun(), 2u);
    ASSERT_GE(f.dialogs->Messages.size(), 2u);
    EXPECT_EQ(f.dialogs->Messages[0].Text, "The filter name \"a=b\" may not hold \"=\".");
    EXPECT_EQ(f.dialogs->Messages[0].Type, mtWarning);
    EXPECT_EQ(w->PlanetFilters->Count(), 2);
    EXPECT_EQ(w->PlanetFilters->GetValueByKey("Big " + cyrillic + " planets"), "Metal > 1");
    EXPECT_EQ(w->PlanetFilters->GetValueByKey("Rich"), "Metal > 25000");
    EXPECT_EQ(w->cmbPlanetFilter->Items()->Count(), 2);
}

TEST_F(FilterWindowTest, EditorCopyNewDeleteAndTheUniqueNameWarning) {
    w->PlanetFilters->AddKeyValue("Rich", "Metal > 25000");
    ModalDriver<TfrmFilterEditor> driver({
        [&](TfrmFilterEditor* e) {
            e->lstFilters->SetRow(1);
            e->actCopy->Execute();
            EXPECT_EQ(e->CurrentRow, 2);
            EXPECT_EQ(e->edtName->Text(), "<New filter>");
            EXPECT_EQ(e->memFilter->Text(), "Metal > 25000");
            e->actNewFilter->Execute();  // keeps the copy's expression in its row
            EXPECT_EQ(e->FilterText(2), "Metal > 25000");
            EXPECT_EQ(e->FilterCount(), 3);
            e->actDeleteFilter->Execute();  // the last row: nothing left to load
            EXPECT_EQ(e->FilterCount(), 2);
            EXPECT_EQ(e->CurrentRow, 3);
            EXPECT_EQ(e->edtName->Text(), "");
            e->actSaveFilter->Execute();
            EXPECT_EQ(e->FilterCount(), 2);
            e->actNewFilter->Execute();
            e->actOK->Execute();
        },
    });
    w->actEditFilters->Execute();
    ASSERT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_EQ(f.dialogs->Messages[0].Text, "Name of filter needs to be unique");
    // The first of the namesakes stays.
    EXPECT_EQ(w->PlanetFilters->Count(), 2);
    EXPECT_EQ(w->PlanetFilters->GetValueByKey("<New filter>"), "Metal > 25000");
}

TEST_F(FilterWindowTest, EditorInsertsFieldsAndOperatorsAndCancelKeepsTheList) {
    w->PlanetFilters->AddKeyValue("Rich", "Metal > 25000");
    ModalDriver<TfrmFilterEditor> driver({
        [&](TfrmFilterEditor* e) {
            e->lstFilters->SetRow(1);
            e->memFilter->SetText("Metal >");
            e->memFilter->SetSelStart(7);
            e->lstOperators->SetItemIndex(e->lstOperators->Items()->IndexOf(":RESOURCES"));
            e->lstFieldsDblClick(e->lstOperators);
            e->lstOperators->SetItemIndex(e->lstOperators->Items()->IndexOf("AND"));
            e->lstFieldsDblClick(e->lstOperators);
            e->lstFields->SetItemIndex(e->lstFields->Items()->IndexOf("Crystal"));
            e->lstFieldsDblClick(e->lstFields);
            EXPECT_EQ(e->memFilter->Text(), "Metal > :RESOURCES  AND  Crystal ");
            e->actCancel->Execute();
        },
    });
    w->actEditFilters->Execute();
    EXPECT_EQ(driver.StepsRun(), 1u);
    EXPECT_EQ(w->PlanetFilters->GetValueByKey("Rich"), "Metal > 25000");
    EXPECT_EQ(w->PlanetFilters->Count(), 1);

    // Only the two view pages have saved filters.
    w->pcMain->SetActivePage(w->tsCalculatePower);
    ModalDriver<TfrmFilterEditor> none({});
    w->actEditFilters->Execute();
    EXPECT_EQ(none.StepsRun(), 0u);
}

// ---------------------------------------------------------------- find
TEST_F(FilterWindowTest, FindByEachFieldWithAndWithoutClearingTheFilter) {
    struct Case {
        int Field;
        const char* Value;
        bool ClearFilter;
        const char* FilterBefore;
        const char* Found;  // nullptr: not found, the dialog comes back
        const char* Sort;
    } cases[] = {
        {0, "blu", true, "", "Cove", "tblAlliance.Name"},
        {1, "BRAVO", true, "", "Dune", "tblPlayer.Name"},
        {2, "co", true, "", "Cove", "PlanetName"},
        {3, "1:234:5", true, "", "Bay", "GalaxyID, SolarSystemID, PlanetID"},
        {3, " 1 : 100 : 1 ", true, "", "Ace", "GalaxyID, SolarSystemID, PlanetID"},
        {3, "1:234", true, "", nullptr, ""},
        {3, "1:234:5:0", true, "", nullptr, ""},
        {2, "Zzz", true, "", nullptr, ""},
        {1, "Bravo", false, "tblPlayer.Name = 'Alpha'", nullptr, ""},
        {1, "Bravo", true, "tblPlayer.Name = 'Alpha'", "Dune", "tblPlayer.Name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Value) + (c.ClearFilter ? " clearing" : " keeping"));
        dmMain->viewPlanet->SetSort("");
        Apply(c.FilterBefore);
        w->cmbAge->SetItemIndex(2);
        GoTo(std::string(c.FilterBefore).empty() ? "Luna" : "Ace");
        std::vector<ModalDriver<TfrmFind>::Step> steps = {[&](TfrmFind* d) {
            EXPECT_EQ(d->grpField->ItemIndex(), 1);
            EXPECT_TRUE(d->cbxClearFilter->Checked());
            d->edtValue->SetText(c.Value);
            d->grpField->SetItemIndex(c.Field);
            d->cbxClearFilter->SetChecked(c.ClearFilter);
            if (c.Field == 3) SaveWindowImage(d->Handle(), "/tmp/tesk-find.png");
            d->SetModalResult(FindResultFind);
        }};
        if (!c.Found)
            steps.push_back([&](TfrmFind* d) {
                EXPECT_EQ(d->edtValue->Text(), c.Value);
                d->SetModalResult(FindResultCancel);
            });
        ModalDriver<TfrmFind> driver(steps);
        w->actFindExecute(nullptr);
        EXPECT_EQ(driver.StepsRun(), steps.size());
        if (c.Found) {
            EXPECT_EQ(dmMain->viewPlanet->FieldByName("PlanetName")->AsString(), c.Found);
            EXPECT_EQ(dmMain->viewPlanet->Sort(), c.Sort);
        } else {
            EXPECT_EQ(dmMain->viewPlanet->Sort(), "");
        }
        if (c.ClearFilter) {
            EXPECT_FALSE(dmMain->viewPlanet->Filtered());
            EXPECT_EQ(w->edtPlanetFilter->Text(), "");
            EXPECT_EQ(w->cmbAge->ItemIndex(), -1);
        } else {
            EXPECT_TRUE(dmMain->viewPlanet->Filtered());
            EXPECT_EQ(w->edtPlanetFilter->Text(), c.FilterBefore);
        }
    }
}

TEST_F(FilterWindowTest, FindNamesTheNewOrderAndEndsOnAnotherPage) {
    using Step = ModalDriver<TfrmFind>::Step;
    auto find = [&](int Field, const char* Value) {
        ModalDriver<TfrmFind> driver({[&](TfrmFind* d) {
                                          d->grpField->SetItemIndex(Field);
                                          d->edtValue->SetText(Value);
                                          d->SetModalResult(FindResultFind);
                                      },
                                      Step([](TfrmFind* d) { d->SetModalResult(FindResultCancel); })});
        w->actFindExecute(nullptr);
        return driver.StepsRun();
    };
    w->iCoordinates = "Coordinates";
    EXPECT_EQ(find(1, "bravo"), 1u);
    EXPECT_EQ(w->lblSort->Caption(), "Player asc");
    EXPECT_EQ(w->PrimaryOrderBy, dmMain->viewPlanet->FieldByName("tblPlayer.Name")->FieldName());
    EXPECT_EQ(find(3, "1:234:5"), 1u);
    EXPECT_EQ(w->lblSort->Caption(), "Coordinates asc");
    EXPECT_EQ(w->PrimaryOrderBy, "GalaxyID, SolarSystemID, PlanetID");

    // The planet view is closed on the combat page: one Find ends the command.
    w->pcMain->SetActivePage(w->tsViewCombatReports);
    w->pcMainChange(w->pcMain);
    ASSERT_FALSE(dmMain->viewPlanet->Active());
    EXPECT_EQ(find(2, "Ace"), 1u);
}

// ---------------------------------------------------------------- restart
TEST(SavedFilterTest, SavedFiltersSurviveARestart) {
    PrepareProgram();
    MainWindowFixture f;
    const std::string cyrillic = "\xCA\xEB\xE0\xE4 \xF1 \xEC\xE5\xF2\xE0\xEB\xEB\xEE\xEC";
    WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    TfrmMain* w = f.Start();
    w->PlanetFilters->AddKeyValue("Big fleets", "(AssaultPower > :ASSAULT) and (LastScanned > :WEEK)");
    w->PlanetFilters->AddKeyValue(cyrillic, "tblPlayer.Name = 'O''Neil'");
    w->CombatFilters->AddKeyValue("Raids of this week", "DateTime > :WEEK");
    w->Close();
    w = f.Start();
    EXPECT_EQ(w->PlanetFilters->Count(), 2);
    EXPECT_EQ(w->PlanetFilters->GetValueByKey("big fleets"), "(AssaultPower > :ASSAULT) and (LastScanned > :WEEK)");
    EXPECT_EQ(w->PlanetFilters->GetValueByKey(cyrillic), "tblPlayer.Name = 'O''Neil'");
    EXPECT_EQ(w->cmbPlanetFilter->Items()->Count(), 2);
    EXPECT_EQ(w->CombatFilters->GetValueByKey("Raids of this week"), "DateTime > :WEEK");
    w->Close();
}

}  // namespace
