// Filters and find of the planet and combat views: filter expressions with
// their variables, the age choices, filtering by the current row's player or
// alliance, the saved filters and their editor, and the find dialog. A view
// is filtered through its data set's Filter text; a text the data layer
// refuses is shown with the data layer's message and leaves the view
// unfiltered.
#include <memory>
#include <vector>

#include "app/uFilterEditor.h"
#include "app/uFilterText.h"
#include "app/uFind.h"
#include "app/uKeyValueList.h"
#include "app/uLanguage.h"
#include "app/uMain.h"
#include "app/uViewOrder.h"
#include "data/uDatamodule.h"
#include "platform/db/DBFilter.h"
#include "platform/gui/Services.h"

namespace {

// The current row's value of a column of the planet view; false without a row.
bool CurrentPlanetValue(const char* Column, AnsiString& Value) {
    TDataSet* view = dmMain->viewPlanet;
    if (!view->Active() || view->IsEmpty()) return false;
    Value = view->FieldByName(Column)->AsString();
    return true;
}

void AddFieldNames(TStrings* Names, TDataSet* DataSet, bool WithLookups) {
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        TField* f = DataSet->Fields()->Fields(i);
        bool wanted = f->FieldKind() == fkData || (WithLookups && f->FieldKind() == fkLookup);
        if (wanted && Names->IndexOf(f->FieldName()) < 0) Names->Add(f->FieldName());
    }
}

}  // namespace

// ---------------------------------------------------------------- applying
void TfrmMain::actApplyFilterExecute(TObject*) {
    TEdit* edit = nullptr;
    TDataSet* view = nullptr;
    if (pcMain->ActivePage() == tsViewSpyReports) {
        edit = edtPlanetFilter;
        view = dmMain->viewPlanet;
    } else if (pcMain->ActivePage() == tsViewCombatReports) {
        edit = edtCombatFilter;
        view = dmMain->viewCombat;
    } else {
        return;
    }
    if (edit->Text().empty()) {
        view->SetFiltered(false);
        ShowRecordCount(view);
        return;
    }
    TFilterLimits limits{edtAP->Text(), edtDP->Text(), edtTotalRes->Text()};
    SetViewFilter(view, ReplaceFilterVariables(edit->Text(), Date(), AccessDateFormat, limits));
}

void TfrmMain::SetViewFilter(TDataSet* View, const AnsiString& Filter) {
    SetFilterDateFormat(AccessDateFormat);
    try {
        View->SetFilter(Filter);
        View->SetFiltered(!Trim(Filter).empty());
    } catch (const Exception& E) {
        // The view shows every row rather than an old filter the user left.
        try {
            View->SetFiltered(false);
        } catch (...) {
        }
        ShowRecordCount(View);
        MessageDlg(E.Message(), mtError, MsgDlgButtons({mbOK}));
        return;
    }
    ShowRecordCount(View);
}

// The status bar counts the rows the filter lets through.
void TfrmMain::ShowRecordCount(TDataSet* View) {
    if (View->Active()) SetStatusText(iRecord, View->RecordCount());
}

void TfrmMain::edtPlanetFilterKeyDown(TObject*, WORD& Key, TShiftState) {
    if (Key == VK_RETURN) actApplyFilter->Execute();
}

void TfrmMain::edtPlanetFilterDblClick(TObject*) { actEditFilters->Execute(); }

void TfrmMain::cmbPlanetFilterClick(TObject*) {
    int i = cmbPlanetFilter->ItemIndex();
    if (i < 0) return;
    edtPlanetFilter->SetText(PlanetFilters->GetValueByKey(cmbPlanetFilter->Items()->Strings(i)));
    actApplyFilter->Execute();
}

void TfrmMain::cmbCombatFilterClick(TObject*) {
    int i = cmbCombatFilter->ItemIndex();
    if (i < 0) return;
    edtCombatFilter->SetText(CombatFilters->GetValueByKey(cmbCombatFilter->Items()->Strings(i)));
    actApplyFilter->Execute();
}

// An age choice replaces whatever filter the planet view had.
void TfrmMain::FilterChange(TObject*) {
    TDataSet* view = dmMain->viewPlanet;
    view->SetFilter("");
    view->SetFiltered(false);
    cmbPlanetFilter->SetItemIndex(-1);
    AnsiString part = AgeFilterText(cmbAge->ItemIndex(), Date(), AccessDateFormat);
    edtPlanetFilter->SetText(part);
    SetViewFilter(view, part);
}

void TfrmMain::actClearFilterExecute(TObject*) {
    if (pcMain->ActivePage() == tsViewSpyReports) {
        cmbPlanetFilter->SetItemIndex(-1);
        cmbAge->SetItemIndex(-1);
        edtPlanetFilter->SetText("");
    } else if (pcMain->ActivePage() == tsViewCombatReports) {
        cmbCombatFilter->SetItemIndex(-1);
        edtCombatFilter->SetText("");
    }
    actApplyFilter->Execute();
}

void TfrmMain::FilterByCurrent(const char* Column, const char* FilterColumn) {
    AnsiString name;
    if (!CurrentPlanetValue(Column, name)) return;
    AnsiString condition = NameCondition(FilterColumn, name);
    edtPlanetFilter->SetText(IsShiftKeyDown() ? edtPlanetFilter->Text() + " and " + condition : condition);
    actApplyFilter->Execute();
}

void TfrmMain::actFilterByPlayerExecute(TObject*) { FilterByCurrent("tblplayer.Name", "tblPlayer.Name"); }
void TfrmMain::actFilterByAllianceExecute(TObject*) { FilterByCurrent("tblalliance.Name", "tblAlliance.Name"); }

// ---------------------------------------------------------------- find
void TfrmMain::actFindExecute(TObject*) {
    std::unique_ptr<TfrmFind, TFormFree> find(CreateForm<TfrmFind>(this));
    ApplyLanguageToFindForm(find.get(), ActiveLanguage());
    for (;;) {
        int result = find->ShowModal();
        if (result == FindResultCancel) break;
        // Only the planet view searches; on another page it is closed and the command ends.
        if (result == FindResultFind && (!dmMain->viewPlanet->Active() || FindInPlanetView(find.get()))) break;
    }
}

bool TfrmMain::FindInPlanetView(TfrmFind* Find) {
    TDataSet* view = dmMain->viewPlanet;
    if (Find->cbxClearFilter->Checked()) {
        view->SetFilter("");
        edtPlanetFilter->SetText("");
        cmbAge->SetItemIndex(-1);
        view->SetFiltered(false);
        ShowRecordCount(view);
    }
    struct SearchField {
        const char* Keys;
        const char* Sort;
    };
    static const SearchField fields[] = {
        {"tblAlliance.Name", "tblAlliance.Name"},
        {"tblPlayer.Name", "tblPlayer.Name"},
        {"PlanetName", "PlanetName"},
        {"GalaxyID; SolarSystemID; PlanetID", "GalaxyID, SolarSystemID, PlanetID"},
    };
    int field = Find->grpField->ItemIndex();
    if (field < 0 || field > 3 || !view->Active()) return false;
    Variant value = Find->edtValue->Text();
    if (field == 3) {
        // Exactly galaxy, system and position; any other count finds nothing.
        std::vector<AnsiString> parts(1);
        for (char c : Find->edtValue->Text()) {
            if (c == ':')
                parts.emplace_back();
            else
                parts.back() += c;
        }
        if (parts.size() != 3) return false;
        for (AnsiString& part : parts) part = Trim(part);
        value = VarArrayOf({parts[0], parts[1], parts[2]});
    }
    const TLocateOptions options{loCaseInsensitive, loPartialKey};
    if (!view->Locate(fields[field].Keys, value, options)) return false;
    if (view->Sort() != fields[field].Sort) {
        view->SetSort(fields[field].Sort);
        view->Locate(fields[field].Keys, value, options);
        // The label and the arrow name the new order, as after a title click.
        if (field == 3)
            ShowFoundOrder(CoordinateOrderBy, iCoordinates);
        else if (TField* key = view->FindField(fields[field].Keys))
            ShowFoundOrder(key->FieldName(), key->DisplayLabel().empty() ? key->FieldName() : key->DisplayLabel());
    }
    return true;
}

void TfrmMain::ShowFoundOrder(const AnsiString& OrderBy, const AnsiString& Caption) {
    PrimaryOrderBy = OrderBy;
    PrimaryCaption = Caption;
    PrimarySortOrder = "ASC";
    SecondaryOrderBy.clear();
    SecondaryCaption.clear();
    SecondarySortOrder.clear();
    ShowSortText(lblSort, TViewOrder{PrimaryOrderBy, PrimaryCaption, PrimarySortOrder, "", "", ""}.Label());
    grdPlanet->Invalidate();
}

// ---------------------------------------------------------------- saved filters
void TfrmMain::actEditFiltersExecute(TObject*) {
    TKeyValueList* list = nullptr;
    if (pcMain->ActivePage() == tsViewSpyReports)
        list = PlanetFilters.get();
    else if (pcMain->ActivePage() == tsViewCombatReports)
        list = CombatFilters.get();
    if (!list) return;
    std::unique_ptr<TfrmFilterEditor, TFormFree> editor(CreateForm<TfrmFilterEditor>(this));
    ApplyLanguageToFilterEditor(editor.get(), ActiveLanguage());
    TStrings* names = editor->lstFields->Items();
    if (list == PlanetFilters.get()) {
        AddFieldNames(names, dmMain->viewPlanet, false);
        AddFieldNames(names, dmMain->qryPlanet, false);
    } else {
        AddFieldNames(names, dmMain->viewCombat, true);
    }
    for (int i = 0; i < list->Count(); ++i) editor->AddFilter(list->Strings(i), list->GetValueByIndex(i));

    if (editor->ShowModal() != mrOk) return;
    list->Clear();
    bool unique = true;
    for (int row = 1; row <= editor->FilterCount(); ++row) {
        AnsiString name = editor->FilterName(row);
        if (list->IndexOf(name) >= 0) unique = false;
        list->AddKeyValue(name, editor->FilterText(row));
    }
    if (!unique) MessageDlg("Name of filter needs to be unique", mtWarning, MsgDlgButtons({mbOK}));
}
