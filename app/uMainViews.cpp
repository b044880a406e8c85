// The four view pages: only the shown page's data set is open (with the one
// its lookup fields read), each view keeps its order in the data module's sort
// texts, title clicks sort, the planet and combat grids draw their colours and
// mark their sort columns, and the refresh, the double clicks and Select All.
#include <algorithm>
#include <cmath>

#include "app/uCommandGuard.h"
#include "app/uDatabaseTransfer.h"
#include "app/uGameText.h"
#include "app/uMain.h"
#include "app/uShowReport.h"
#include "data/uDatamodule.h"
#include "editor/TeEdit.h"
#include "platform/gui/Clipboard.h"
#include "platform/rtl/ScopeGuard.h"
#include "text/uHtmlClipbrd.h"

namespace {

bool IsCoordinateColumn(const AnsiString& FieldName, std::initializer_list<const char*> Names) {
    for (const char* n : Names)
        if (SameText(FieldName, n)) return true;
    return false;
}

AnsiString DisplayName(TField* Field) { return Field->DisplayLabel().empty() ? Field->FieldName() : Field->DisplayLabel(); }

bool KeyHeld(int VirtKey) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    return (state[VirtKey] & 0x80) != 0;
}

}  // namespace

bool TfrmMain::IsControlKeyDown() { return KeyHeld(VK_CONTROL); }
bool TfrmMain::IsShiftKeyDown() { return KeyHeld(VK_SHIFT); }

// ---------------------------------------------------------------- pages
// A row edited in place and not yet posted is written before its view closes,
// so that changing pages does not throw the edit away. A write the data module
// or the field refused has already been reported; the row then stays as the
// file holds it.
void TfrmMain::PostPendingEdit(TDataSet* DataSet) {
    TDataSetState state = DataSet->State();
    if (state != dsEdit && state != dsInsert) return;
    try {
        DataSet->CheckBrowseMode();
    } catch (const EAbort&) {
        if (DataSet->State() == dsEdit || DataSet->State() == dsInsert) DataSet->Cancel();
    }
}

void TfrmMain::BindViewsToData() {
    if (!dmMain) return;
    grdPlanet->SetDataSource(dmMain->dsPlanet);
    grdCombat->SetDataSource(dmMain->dsCombat);
    grdAlliance->SetDataSource(dmMain->dsAlliance);
    grdPlayer->SetDataSource(dmMain->dsPlayer);
}

void TfrmMain::pcMainChange(TObject*) {
    struct TView {
        TDataSet* DataSet;
        AnsiString& Sort;
    };
    const TView views[] = {{dmMain->viewCombat, dmMain->CombatSort},
                           {dmMain->tblAlliance, dmMain->AllianceSort},
                           {dmMain->tblPlayer, dmMain->PlayerSort},
                           {dmMain->viewPlanet, dmMain->PlanetSort}};
    for (const TView& v : views)
        if (v.DataSet->Active()) {
            PostPendingEdit(v.DataSet);
            SetStatusText("", 0);
            v.Sort = v.DataSet->Sort();
            v.DataSet->Close();
        }

    TTabSheet* page = pcMain->ActivePage();
    if (page == tsViewSpyReports) {
        actRefreshPlanetGrid->Execute();
        SetStatusText(iRecord, dmMain->viewPlanet->RecordCount());
        return;
    }
    // The shown view opens in its own order, and so does every other view its
    // lookup fields read (the player view's alliance names read tblAlliance),
    // or the lookups find nothing.
    auto openWithOrder = [](const TView& v) {
        if (!v.DataSet->Active()) v.DataSet->Open();
        if (v.DataSet->Sort() != v.Sort) v.DataSet->SetSort(v.Sort);
    };
    for (const TView& v : views) {
        const bool shown = (page == tsViewCombatReports && v.DataSet == dmMain->viewCombat) ||
                           (page == tsViewAlliance && v.DataSet == dmMain->tblAlliance) ||
                           (page == tsViewPlayer && v.DataSet == dmMain->tblPlayer);
        if (!shown) continue;
        for (int i = 0; i < v.DataSet->FieldCount(); ++i) {
            TField* field = v.DataSet->Fields()->Fields(i);
            if (!field->Lookup()) continue;
            for (const TView& source : views)
                if (source.DataSet == field->LookupDataSet() && source.DataSet != v.DataSet) openWithOrder(source);
        }
        openWithOrder(v);
        SetStatusText(iRecord, v.DataSet->RecordCount());
    }
}

// ---------------------------------------------------------------- sorting
void TfrmMain::grdPlanetTitleClick(TColumnGx* Column) {
    TField* field = Column->Field();
    if (!field) return;
    AnsiString orderBy = Column->FieldName(), caption = DisplayName(field);
    if (IsCoordinateColumn(orderBy, {"GalaxyID", "SolarsystemID", "PlanetID"})) {
        orderBy = CoordinateOrderBy;
        caption = iCoordinates;
    } else if (SameText(orderBy, "RatingExpanded")) {
        orderBy = "Rating";
    }
    TViewOrder order{PrimaryOrderBy,   PrimaryCaption,   PrimarySortOrder,
                     SecondaryOrderBy, SecondaryCaption, SecondarySortOrder};
    order.TitleClick(orderBy, caption, IsControlKeyDown());
    PrimaryOrderBy = order.PrimaryOrderBy;
    PrimaryCaption = order.PrimaryCaption;
    PrimarySortOrder = order.PrimarySortOrder;
    SecondaryOrderBy = order.SecondaryOrderBy;
    SecondaryCaption = order.SecondaryCaption;
    SecondarySortOrder = order.SecondarySortOrder;
    dmMain->PlanetSort = order.SortText();
    ShowSortText(lblSort, order.Label());
    field->DataSet()->SetSort(dmMain->PlanetSort);
}

void TfrmMain::grdCombatTitleClick(TColumnGx* Column) {
    TField* field = Column->Field();
    if (!field) return;
    AnsiString orderBy = Column->FieldName(), caption = DisplayName(field);
    if (IsCoordinateColumn(orderBy, {"Galaxy", "SolarSystem", "Planet"})) {
        orderBy = CoordinateOrderBy;
        caption = iCoordinates;
    }
    CombatOrder.TitleClick(orderBy, caption, IsControlKeyDown());
    dmMain->CombatSort = CombatOrder.SortText();
    ShowSortText(lblCombatSort, CombatOrder.Label());
    dmMain->viewCombat->SetSort(dmMain->CombatSort);
}

void TfrmMain::grdPlayerTitleClick(TColumnGx* Column) {
    TField* field = Column->Field();
    if (!field) return;
    dmMain->PlayerSort = PlayerSortAfterClick(dmMain->PlayerSort, Column->FieldName());
    field->DataSet()->SetSort(dmMain->PlayerSort);
}

// A sort text longer than its label ends in "..."; the hint holds all of it.
void TfrmMain::ShowSortText(TLabel* Label, const AnsiString& Text) {
    Label->SetCaption(Text);
    Label->SetHint(StringReplace(Text, "&&", "&", rfReplaceAll));
}

// ---------------------------------------------------------------- drawing
// The sort columns are marked with the grids' own sort markers, which the
// grid paints in the column's title cell whatever its title layout. The
// planet grid marks its primary column (an upward arrow for an ascending
// order); a coordinate order marks none.
void TfrmMain::grdPlanetGetBtnParams(TObject*, TColumnGx* Column, TFont*, TColor&, TSortMarkerGx& SortMarker, bool) {
    if (Column->FieldName() == PrimaryOrderBy) SortMarker = PrimarySortOrder == "ASC" ? smUpGx : smDownGx;
}

// The combat grid marks every column whose name occurs in its sort text (the
// coordinate order marks its three columns), with an upward arrow when the
// text holds no "ASC".
void TfrmMain::grdCombatGetBtnParams(TObject*, TColumnGx* Column, TFont*, TColor&, TSortMarkerGx& SortMarker, bool) {
    const AnsiString& sort = dmMain->CombatSort;
    if (Column->FieldName().empty() || sort.find(Column->FieldName()) == AnsiString::npos) return;
    SortMarker = sort.find("ASC") == AnsiString::npos ? smUpGx : smDownGx;
}

// The fields a planet cell's rules read: the view's fields are made with the
// data module and live as long as it does.
struct TPlanetDrawFields {
    TDataSet* View;
    TField* Rating;
    TField* LastScanned;
    std::array<TField*, psCount> Status;
    explicit TPlanetDrawFields(TDataSet* View)
        : View(View),
          Rating(View->FieldByName("Rating")),
          LastScanned(View->FieldByName("LastScanned")),
          Status{View->FieldByName("Banned"),   View->FieldByName("Vacation"), View->FieldByName("Inactive"),
                 View->FieldByName("LongInactive"), View->FieldByName("Strong"), View->FieldByName("Noob")} {}
};

void TfrmMain::grdPlanetDrawColumnCell(TObject*, const TRect& Rect, int DataCol, TColumnGx* Column,
                                       TGridDrawState State) {
    TField* field = Column->Field();
    TCanvas* canvas = grdPlanet->Canvas();
    // A row whose values the rules cannot read keeps the grid's own look and
    // still shows its text; the fault is told once, and the rest paints.
    if (field && field->DataSet() == dmMain->viewPlanet) try {
        if (!planetDrawFields_ || planetDrawFields_->View != dmMain->viewPlanet)
            planetDrawFields_ = std::make_shared<TPlanetDrawFields>(dmMain->viewPlanet);
        const TPlanetDrawFields* fields = planetDrawFields_.get();
        TPlanetCell cell;
        cell.Selected = grdPlanet->SelectedRows()->CurrentRowSelected();
        cell.Rating = fields->Rating->AsInteger();
        for (int s = 0; s < psCount; ++s) cell.Status[s] = fields->Status[s]->AsInteger() == 1;
        cell.Limit = LimitOfColumn(Column->FieldName());
        if (cell.Limit) cell.Value = field->AsLargeInt();
        if (field == fields->LastScanned) {
            cell.IsLastScanned = true;
            if (!field->IsNull()) cell.AgeDays = static_cast<int>(std::fabs(Now() - field->AsDateTime()));
        }
        TCellLook look{canvas->Brush()->Color(), canvas->Font()->Color(), false};
        const TReportAgeBands bands{FreshReport, NewReport, AgingReport, OldReport, VeryOldReport};
        look = PlanetCellLook(cell, HighlightLimits, bands, look);
        canvas->Brush()->SetColor(look.Brush);
        canvas->Font()->SetColor(look.FontColor);
        if (look.Bold) {
            TFontStyles style = canvas->Font()->Style();
            canvas->Font()->SetStyle(style.Include(fsBold));
        }
    } catch (const Exception& e) {
        const AnsiString fault = e.Message();
        if (std::find(planetPaintFaults_.begin(), planetPaintFaults_.end(), fault) == planetPaintFaults_.end()) {
            planetPaintFaults_.push_back(fault);
            AddToLog(Format("%s - Error processing planet view: %s", {LogTimeStamp(), fault}));
        }
    }
    grdPlanet->DefaultDrawColumnCell(Rect, DataCol, Column, State);
}

// ---------------------------------------------------------------- commands
void TfrmMain::actRefreshPlanetGridExecute(TObject*) {
    UpdateHighlightThresholds();
    TADOQuery* view = dmMain->viewPlanet;
    view->Close();
    try {
        view->Open();
    } catch (const Exception&) {
        if (!OfferReprocessing()) throw;
        return;
    }
    ShowSortText(lblSort, view->Sort());
}

// A database of an older version keeps research in its planet table too; the
// planet view cannot open on it until reprocessing has moved that research
// to the players. Says so and offers it; false when that is not the reason.
bool TfrmMain::OfferReprocessing() {
    if (CommandRunning() || offeringReprocessing_ || !PlanetTableHoldsResearch(*dmMain)) return false;
    TValueRestorer<bool> offering(offeringReprocessing_, true);
    if (MessageDlg("The planet table of this database still holds research levels, as older versions of Tesk "
                   "kept them, so the planet view cannot show its planets.\r\rReprocess the data now? The "
                   "research levels move to the players and those columns are removed from the planet table.",
                   mtWarning, MsgDlgButtons({mbYes, mbNo})) == mrYes)
        actReprocessPlanetsExecute(actReprocessPlanets);
    return true;
}

void TfrmMain::grdPlanetDblClick(TObject*) {
    if (IsShiftKeyDown())
        actShowOriginalEspionageReport->Execute();
    else
        actShowGeneratedEspionageReport->Execute();
}

void TfrmMain::grdCombatDblClick(TObject*) {
    TBookmarkListGx* selected = grdCombat->SelectedRows();
    if (selected->Count() == 0) return;
    TADOQuery* view = dmMain->viewCombat;
    view->GotoBookmark(selected->Items(0));
    ShowReportWindow(view->FieldByName("tblCombat.Report")->AsString(),
                     ifrmShowReportAttak + " " + view->FieldByName("Galaxy")->AsString() + ":" +
                         view->FieldByName("SolarSystem")->AsString() + ":" + view->FieldByName("Planet")->AsString());
}

void TfrmMain::actSelectAllExecute(TObject*) {
    TWinControl* control = ActiveControl();
    if (auto* edit = dynamic_cast<TCustomEdit*>(control)) {
        edit->SelectAll();
    } else if (auto* editor = dynamic_cast<TCustomTeEdit*>(control)) {
        editor->SelectAll();
    } else if (auto* grid = dynamic_cast<TDBGridGx*>(control)) {
        TDataSet* data = grid->DataSource() ? grid->DataSource()->DataSet() : nullptr;
        if (!data || !data->Active()) return;
        {
            TControlsDisabled<TDataSet> quiet(data);
            TBookmarkListGx* rows = grid->SelectedRows();
            for (data->First(); !data->Eof(); data->Next()) rows->SetCurrentRowSelected(true);
            data->Last();
        }
        if (grid->OnCellClick) grid->OnCellClick(nullptr);
    }
}
