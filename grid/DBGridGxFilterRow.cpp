// The grid's filter row: showing, placing and stopping its editor, the
// editor's keys and list, and applying the column filters through the data
// service.
#include "grid/DBGridGxFilterRow.h"

#include <algorithm>

#include "grid/DBGridGx.h"
#include "grid/DBGridGxDataService.h"
#include "grid/DBGridGxStyle.h"
#include "grid/GxLibVCL.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"

TESK_PUBLISHED(TInplaceFilterEditGx) {}

void TInplaceFilterEditGx::SetValueAndText(const Variant& Value, const AnsiString& Text) {
    filterValue_ = Value;
    SetText(Text);
}

TRect TInplaceFilterEditGx::GetEditRect() {
    TRect r = TDBComboBoxGx::GetEditRect();
    ++r.Top;
    return r;
}

void TInplaceFilterEditGx::KeyDown(WORD& Key, TShiftState Shift) {
    if (InplaceHolderIntf()) {
        InplaceHolderIntf()->InplaceEditKeyDown(this, Key, Shift);
        if (Key == 0) return;
    }
    TDBComboBoxGx::KeyDown(Key, Shift);
}

// ---------------------------------------------------------------------------
// Column filter value list

TDatasetFieldValueListGx* TSTColumnFilterGx::GetFilterValueList() {
    TDataSet* list = GetListDataSet();
    AnsiString field = GetListField();
    if (!list && column_ && column_->GetGrid() && column_->GetGrid()->DataSource()) {
        list = column_->GetGrid()->DataSource()->DataSet();
        field = GetDataField();
    }
    if (!list || field.empty() || !column_) return nullptr;
    std::shared_ptr<TDatasetFieldValueListGx>& values = column_->FilterValueList;
    if (!values) values = std::make_shared<TDatasetFieldValueListGx>();
    values->SetDataSet(list);
    values->SetFieldName(field);
    return values.get();
}

// ---------------------------------------------------------------------------
// Grid

namespace {

TInplaceFilterEditGx* AsFilterEdit(TWinControl* Editor) { return dynamic_cast<TInplaceFilterEditGx*>(Editor); }

// The fixed items of the filter list, in the order they are put on top of the values.
enum TFilterItem { fiEmpties, fiNotEmpties, fiAll, fiClear, fiSeparator, fiSortDown, fiSortUp, fiCount };

}  // namespace

bool TCustomDBGridGx::ColumnFilterVisible(int Index) {
    if (Index < 0 || Index >= columns_->Count()) return false;
    TColumnGx* column = columns_->Items(Index);
    return column->Visible() && column->STFilter()->Visible();
}

AnsiString TCustomDBGridGx::GetColumnFilterText(int Index) {
    if (Index < 0 || Index >= columns_->Count()) return AnsiString();
    TColumnGx* column = columns_->Items(Index);
    return column->FieldName().empty() ? AnsiString() : column->STFilter()->ExpressionText();
}

// The filter row comes right under the title row, above a descendant's own rows.
bool TCustomDBGridGx::IsFilterRow(int ARow) { return FilterRowVisible() && ARow == FilterRowIndex(); }

int TCustomDBGridGx::FilterRowIndex() { return TitlesVisible() ? 1 : 0; }

TWinControl* TCustomDBGridGx::CreateFilterEditor() { return new TInplaceFilterEditGx(this); }

int TCustomDBGridGx::NextFilterColumn(int From, int Direction) {
    const int count = columns_->Count();
    for (int step = 0, i = From; step < count; ++step) {
        i = ((i + Direction) % count + count) % count;
        if (ColumnFilterVisible(i)) return i;
    }
    return -1;
}

void TCustomDBGridGx::ShowFilterEditor(int Index) {
    if (!FilterRowVisible() || !ColumnFilterVisible(Index)) return;
    if (dataLink_->Active()) dataLink_->DataSet()->CheckBrowseMode();
    if (!filterEditor_) {
        TInplaceFilterEditGx* editor = AsFilterEdit(CreateFilterEditor());
        editor->SetVisible(false);
        editor->SetParent(this);
        editor->SetBorderStyle(bsNone);
        editor->Font()->Assign(Font());
        editor->SetColor(Color());
        editor->SetInplaceEditHolder(this);
        editor->OnDropDown = MakeEvent(this, &TCustomDBGridGx::FilterDropDown);
        editor->OnCloseUp = MakeEvent(this, &TCustomDBGridGx::FilterCloseUp);
        filterEditor_ = editor;
    }
    TInplaceFilterEditGx* editor = AsFilterEdit(filterEditor_);
    const int previous = filterEditing_ ? filterEditColumn_ : -1;
    if (previous >= 0 && previous != Index && editor->Text() != GetColumnFilterText(previous))
        StoreFilterEditText(previous);
    filterEditColumn_ = Index;
    filterEditing_ = true;
    HideEditor();
    {
        TUpdateLock lock(stFilter_);
        const int raw = DataToRawColumn(Index);
        if (!dbOptions_.Contains(dgRowSelect)) {
            MoveCol(raw, 0, false);
        } else if (raw < LeftCol()) {
            SetLeftCol(std::max(raw, FixedCols()));
        } else {
            while (raw >= LeftCol() + VisibleColCount() && LeftCol() < ColCount() - 1) SetLeftCol(LeftCol() + 1);
        }
    }
    const int row = FilterRowIndex();
    if (previous >= 0) InvalidateCell(DataToRawColumn(previous), row);
    InvalidateCell(DataToRawColumn(Index), row);
    InitFilterEditor(Index);
    UpdateFilterEdit(false);
    if (editor->Visible() && editor->CanFocus()) editor->SetFocus();
}

void TCustomDBGridGx::InitFilterEditor(int Index) {
    TInplaceFilterEditGx* editor = AsFilterEdit(filterEditor_);
    if (!editor) return;
    editor->Items()->Clear();
    TSTColumnFilterGx* filter = columns_->Items(Index)->STFilter();
    const AnsiString text = GetColumnFilterText(Index);
    if (!filter->HasListSource() && !recordAccess_) {
        editor->EditButton()->SetVisible(false);
        editor->SetValueAndText(Null(), text);
        return;
    }
    editor->EditButton()->SetVisible(true);
    editor->DropDownBox()->SetSizable(true);
    editor->DropDownBox()->SetWidth(filter->DropDownWidth > 0 ? filter->DropDownWidth : 100);
    editor->DropDownBox()->SetRows(filter->DropDownRows > 0 ? filter->DropDownRows : 17);
    editor->SetValueAndText(filter->GetKeyField().empty() ? Null() : filter->KeyValue(), text);
}

void TCustomDBGridGx::StoreFilterEditText(int Index) {
    if (!filterEditor_ || Index < 0 || Index >= columns_->Count()) return;
    columns_->Items(Index)->STFilter()->SetExpressionText(AsFilterEdit(filterEditor_)->Text());
}

void TCustomDBGridGx::UpdateFilterEdit(bool Reload) {
    if (!filterEditing_ || stFilter_->UpdateCount() > 0) return;
    TInplaceFilterEditGx* editor = AsFilterEdit(filterEditor_);
    if (!editor || !FilterRowVisible() || !ColumnFilterVisible(filterEditColumn_)) {
        StopEditFilter();
        return;
    }
    TRect r = CellRect(DataToRawColumn(filterEditColumn_), FilterRowIndex());
    if (r.Width() <= 0 || r.Height() <= 0) {
        editor->SetVisible(false);
        return;
    }
    editor->SetBoundsRect(r);
    if (Reload) editor->SetText(GetColumnFilterText(filterEditColumn_));
    editor->SetVisible(true);
}

void TCustomDBGridGx::StopEditFilter() {
    if (!filterEditing_ || stFilter_->UpdateCount() > 0) return;
    if (TInplaceFilterEditGx* editor = AsFilterEdit(filterEditor_)) {
        if (editor->Visible()) {
            StoreFilterEditText(filterEditColumn_);
            if (editor->Focused() && CanFocus()) SetFocus();
        }
        editor->SetVisible(false);
    }
    filterEditing_ = false;
    if (filterEditColumn_ >= 0) InvalidateCell(DataToRawColumn(filterEditColumn_), FilterRowIndex());
    if (dbOptions_.Contains(dgAlwaysShowEditor) && dbOptions_.Contains(dgEditing)) ShowEditor();
}

void TCustomDBGridGx::ApplyFilter() {
    if (filterEditing_ && filterEditor_ && filterEditor_->Visible()) StoreFilterEditText(filterEditColumn_);
    if (OnApplyFilter)
        OnApplyFilter(this);
    else
        DefaultApplyFilter();
    if (dataLink_->Active() && Row() >= titleOffset_) InvalidateRow(Row());
    UpdateFilterEdit(true);
    if (sumList_->Active()) sumList_->RecalcAll();
    Invalidate();
}

void TCustomDBGridGx::DefaultApplyFilter() {
    applyingFilter_ = true;
    auto done = MakeScopeGuard([this] { applyingFilter_ = false; });
    DBGridGxDataService()->ApplyFilter(this);
}

// Clearing the texts alone would leave the data set filtered under an empty
// filter row, so the cleared filter is applied as well.
void TCustomDBGridGx::ClearFilter() {
    StopEditFilter();
    for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->STFilter()->Clear();
    ApplyFilter();
}

void TCustomDBGridGx::FilterDropDown(TObject*) {
    TInplaceFilterEditGx* editor = AsFilterEdit(filterEditor_);
    if (!editor || filterEditColumn_ < 0) return;
    TColumnGx* column = columns_->Items(filterEditColumn_);
    TStrings* items = editor->Items();
    TUpdateLock lock(items);
    items->Clear();
    // Empty values are what the "empties" item stands for.
    if (TDatasetFieldValueListGx* values = column->STFilter()->GetFilterValueList())
        for (int i = 0; i < values->Values()->Count(); ++i)
            if (!values->Values()->Strings(i).empty()) items->Add(values->Values()->Strings(i));
    const AnsiString fixed[fiCount] = {SFilterEmptiesGx(), SFilterNotEmptiesGx(), SFilterAllGx(), SFilterClearGx(), "-",
                                       SFilterSortDescendingGx(), SFilterSortAscendingGx()};
    const int last = optionsGx_.Contains(dghAutoSortMarking) && column->Title()->TitleButton() ? fiSortUp : fiClear;
    for (int i = 0; i <= last; ++i) items->Insert(0, fixed[i]);
}

void TCustomDBGridGx::FilterCloseUp(TObject*, bool Accept) {
    TInplaceFilterEditGx* editor = AsFilterEdit(filterEditor_);
    if (!Accept || !editor || filterEditColumn_ < 0 || !editor->PopupList()) return;
    TColumnGx* column = columns_->Items(filterEditColumn_);
    TSTColumnFilterGx* filter = column->STFilter();
    filter->DropDownWidth = editor->DropDownBox()->Width();
    filter->DropDownRows = editor->DropDownBox()->Rows();
    const int index = editor->PopupList()->ItemIndex();
    if (index < 0 || index >= editor->Items()->Count()) return;
    const int fixedCount = optionsGx_.Contains(dghAutoSortMarking) && column->Title()->TitleButton() ? fiCount : fiSeparator;
    const bool applyAtOnce = style_ && style_->FilterEditCloseUpApplyFilter();
    if (index >= fixedCount) {
        editor->SetValueAndText(Null(), editor->Items()->Strings(index));
        if (applyAtOnce) ApplyFilter();
        return;
    }
    switch (static_cast<TFilterItem>(fixedCount - 1 - index)) {
        case fiEmpties: editor->SetValueAndText(Null(), "=Null"); break;
        case fiNotEmpties: editor->SetValueAndText(Null(), "<>Null"); break;
        case fiAll: editor->SetValueAndText(Null(), ""); break;
        case fiClear:
            for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->STFilter()->Clear();
            editor->SetValueAndText(Null(), "");
            ApplyFilter();
            return;
        case fiSeparator: return;
        case fiSortDown:
        case fiSortUp:
            for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->Title()->SetSortMarker(smNoneGx);
            sortMarkedColumns_->Clear();
            column->Title()->SetSortMarker(fixedCount - 1 - index == fiSortDown ? smDownGx : smUpGx);
            SortMarkingChanged();
            return;
        default: return;
    }
    if (applyAtOnce) ApplyFilter();
}

// A press on a shown filter cell opens its editor (and, on the button, the list).
bool TCustomDBGridGx::FilterCellPress(TMessage& Message) {
    if (!FilterRowVisible() || Designing()) return false;
    TPoint at(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
    TGridCoord cell = MouseCoord(at.X, at.Y);
    if (!IsFilterRow(cell.Y) || cell.X < indicatorOffset_) return false;
    const int index = RawToDataColumn(cell.X);
    if (!ColumnFilterVisible(index) || columns_->Items(index)->FieldName().empty()) return false;
    ClearSelection();
    ShowFilterEditor(index);
    filterMouseDownTime_ = GetTickCount();
    filterMouseDownPos_ = ClientToScreen(at);
    TInplaceFilterEditGx* editor = AsFilterEdit(filterEditor_);
    if (Message.Msg == WM_LBUTTONDOWN && editor && editor->Visible() && editor->EditButton()->Visible()) {
        TRect r = CellRect(cell.X, cell.Y);
        if (at.X >= r.Right - GetSystemMetrics(SM_CXVSCROLL)) editor->DropDown();
    }
    return true;
}

// ---------------------------------------------------------------------------
// The grid as the filter editor's holder

bool TCustomDBGridGx::InplaceEditCanModify(TControl*) { return true; }

void TCustomDBGridGx::GetMouseDownInfo(TPoint& Pos, DWORD& Time) {
    Pos = filterMouseDownPos_;
    Time = filterMouseDownTime_;
    filterMouseDownTime_ = 0;
}

void TCustomDBGridGx::InplaceEditWndProc(TControl*, TMessage&) {}

void TCustomDBGridGx::InplaceEditKeyDown(TControl*, WORD& Key, TShiftState Shift) {
    TInplaceFilterEditGx* editor = AsFilterEdit(filterEditor_);
    if (!editor || editor->ListVisible() || filterEditColumn_ < 0) return;
    const bool ctrl = Shift & ssCtrl;
    const int length = static_cast<int>(editor->Text().size());
    const bool atStart = editor->SelStart() == 0 && editor->SelLength() == 0;
    const bool atEnd = editor->SelStart() == length && editor->SelLength() == 0;
    auto go = [&](int Index) {
        if (Index >= 0) ShowFilterEditor(Index);
        Key = 0;
    };
    switch (Key) {
        case VK_RETURN:
            ApplyFilter();
            Key = 0;
            break;
        case VK_LEFT:
            if (atStart || ctrl) go(NextFilterColumn(filterEditColumn_, -1));
            break;
        case VK_RIGHT:
            if (atEnd || ctrl) go(NextFilterColumn(filterEditColumn_, 1));
            break;
        case VK_HOME:
            if (atStart || ctrl) go(NextFilterColumn(-1, 1));
            break;
        case VK_END:
            if (atEnd || ctrl) go(NextFilterColumn(columns_->Count(), -1));
            break;
        case VK_TAB:
            if (dbOptions_.Contains(dgTabs)) go(NextFilterColumn(filterEditColumn_, 1));
            break;
        case VK_UP:
            if (!(Shift & ssShift)) Key = 0;
            break;
        case VK_DOWN:
            if ((Shift & ~ssCtrl) == 0 && dataLink_->Active()) {
                const int column = filterEditColumn_;
                SetSelectedIndex(column);
                StopEditFilter();
                if (!ctrl) dataLink_->DataSet()->MoveBy(-dataLink_->ActiveRecord());
                if (CanFocus()) SetFocus();
                Key = 0;
            }
            break;
        case VK_F2:
            editor->SelectAll();
            Key = 0;
            break;
        default: break;
    }
}

void TCustomDBGridGx::InplaceEditKeyPress(TControl*, char&) {}

void TCustomDBGridGx::InplaceEditKeyUp(TControl*, WORD&, TShiftState) {}
