#include "app/uFilterEditor.h"

#include "app/uFilterText.h"
#include "platform/gui/Services.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"
#include "text/uQuickStrings.h"

const char* const NewFilterName = "<New filter>";

namespace {

// A memo's text as one line of the settings file: line breaks become blanks,
// each pair of blanks one blank (one pass), the ends trimmed.
AnsiString StorableFilter(const AnsiString& Text) {
    AnsiString line = FastReplace(Text, "\r\n", " ", true);
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return Trim(FastReplace(line, "  ", " ", true));
}

}  // namespace

TESK_PUBLISHED(TfrmFilterEditor) {
    Field("lstFilters", &T::lstFilters);
    Field("lblName", &T::lblName);
    Field("edtName", &T::edtName);
    Field("lblFilter", &T::lblFilter);
    Field("memFilter", &T::memFilter);
    Field("grpFields", &T::grpFields);
    Field("lstFields", &T::lstFields);
    Field("grpOperators", &T::grpOperators);
    Field("lstOperators", &T::lstOperators);
    Field("lstRatings", &T::lstRatings);
    Field("btnNew", &T::btnNew);
    Field("btnDelete", &T::btnDelete);
    Field("btnCopy", &T::btnCopy);
    Field("btnOk", &T::btnOk);
    Field("btnCancel", &T::btnCancel);
    Field("alFilterEditor", &T::alFilterEditor);
    Field("actNewFilter", &T::actNewFilter);
    Field("actDeleteFilter", &T::actDeleteFilter);
    Field("actCopy", &T::actCopy);
    Field("actSaveFilter", &T::actSaveFilter);
    Field("actLoadFilter", &T::actLoadFilter);
    Field("actOK", &T::actOK);
    Field("actCancel", &T::actCancel);
    Handler("grdFiltersSelectCell", &T::grdFiltersSelectCell);
    Handler("actSaveFilterExecute", &T::actSaveFilterExecute);
    Handler("actLoadFilterExecute", &T::actLoadFilterExecute);
    Handler("actNewFilterExecute", &T::actNewFilterExecute);
    Handler("actDeleteFilterExecute", &T::actDeleteFilterExecute);
    Handler("actCopyExecute", &T::actCopyExecute);
    Handler("actOKExecute", &T::actOKExecute);
    Handler("actCancelExecute", &T::actCancelExecute);
    Handler("lstFieldsDblClick", &T::lstFieldsDblClick);
}

TfrmFilterEditor::TfrmFilterEditor(TComponent* AOwner) : TForm(AOwner) { ReadComponentResource(this); }

void TfrmFilterEditor::AddFilter(const AnsiString& Name, const AnsiString& Filter) {
    TValueRestorer<bool> adding(IsAdding, true);
    lstFilters->InsertRow(Name, Filter, true);
}

bool TfrmFilterEditor::EditsStorable() {
    if (!CurrentRowValid()) return true;
    AnsiString problem = SavedFilterProblem(edtName->Text(), StorableFilter(memFilter->Text()));
    if (problem.empty()) return true;
    MessageDlg(problem, mtWarning, MsgDlgButtons({mbOK}));
    return false;
}

// A row removed or added moves the grid's row; that is no choice of the user.
void TfrmFilterEditor::grdFiltersSelectCell(TObject*, int, int ARow, bool& CanSelect) {
    if (IsDeleting || IsAdding || ARow == CurrentRow) return;
    if (!EditsStorable()) {
        CanSelect = false;
        return;
    }
    actSaveFilter->Execute();
    CurrentRow = ARow;
    actLoadFilter->Execute();
}

void TfrmFilterEditor::actSaveFilterExecute(TObject*) {
    if (IsDeleting || IsAdding || !CurrentRowValid()) return;
    try {
        lstFilters->SetCells(0, CurrentRow, Trim(edtName->Text()));
        lstFilters->SetCells(1, CurrentRow, StorableFilter(memFilter->Text()));
    } catch (...) {
    }
}

void TfrmFilterEditor::actLoadFilterExecute(TObject*) {
    if (IsAdding) return;
    bool valid = CurrentRowValid();
    edtName->SetText(valid ? FilterName(CurrentRow) : AnsiString());
    memFilter->SetText(valid ? FilterText(CurrentRow) : AnsiString());
}

// The edits of the current row are kept first, so typing is never lost.
void TfrmFilterEditor::actNewFilterExecute(TObject*) {
    if (!EditsStorable()) return;
    actSaveFilter->Execute();
    AppendNewRow();
}

void TfrmFilterEditor::AppendNewRow() {
    TValueRestorer<bool> adding(IsAdding, true);
    edtName->SetText(NewFilterName);
    memFilter->SetText(NewFilterName);
    CurrentRow = lstFilters->InsertRow(NewFilterName, NewFilterName, true);
    lstFilters->SetRow(CurrentRow);
}

void TfrmFilterEditor::actDeleteFilterExecute(TObject*) {
    {
        TValueRestorer<bool> deleting(IsDeleting, true);
        if (CurrentRowValid()) lstFilters->DeleteRow(CurrentRow);
        if (CurrentRowValid()) lstFilters->SetRow(CurrentRow);
    }
    actLoadFilter->Execute();
}

void TfrmFilterEditor::actCopyExecute(TObject*) {
    if (!EditsStorable()) return;
    actSaveFilter->Execute();
    AnsiString filter = CurrentRowValid() ? FilterText(CurrentRow) : AnsiString();
    AppendNewRow();
    memFilter->SetText(filter);
}

void TfrmFilterEditor::actOKExecute(TObject*) {
    if (!EditsStorable()) return;
    actSaveFilter->Execute();
    SetModalResult(mrOk);
}

void TfrmFilterEditor::actCancelExecute(TObject*) { SetModalResult(mrCancel); }

void TfrmFilterEditor::lstFieldsDblClick(TObject* Sender) {
    auto* list = dynamic_cast<TListBox*>(Sender);
    if (!list || list->ItemIndex() < 0) return;
    memFilter->SetSelText(" " + list->Items()->Strings(list->ItemIndex()) + " ");
}
