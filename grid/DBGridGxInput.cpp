// The data-aware grid: focus, the click events, and the window messages of
// focus, frame and dragging that keys and mouse share.
#include "grid/DBGridGx.h"

#include <algorithm>
#include <cstdlib>

#include "grid/DbUtilsGx.h"
#include "grid/GxLibVCL.h"
#include "platform/classes/ShortCuts.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Streaming.h"

// ---------------------------------------------------------------------------
// Focus, selection tests, frames

bool TCustomDBGridGx::AcquireFocus() {
    bool result = true;
    if (acquireFocus_ && !Designing() && CanFocus()) {
        HWND focus = GetFocus();
        bool inside = HandleAllocated() && focus == Handle();
        if (InplaceEditor() && InplaceEditor()->HandleAllocated() && focus == InplaceEditor()->Handle()) inside = true;
        if (filterEditor_ && filterEditor_->HandleAllocated() && focus == filterEditor_->Handle()) inside = true;
        if (!inside) SetFocus();
        focus = GetFocus();
        result = (HandleAllocated() && focus == Handle()) ||
                 (InplaceEditor() && InplaceEditor()->HandleAllocated() && focus == InplaceEditor()->Handle()) ||
                 (filterEditor_ && filterEditor_->HandleAllocated() && focus == filterEditor_->Handle());
    }
    return result;
}

bool TCustomDBGridGx::CanDrawRowFocusRect() {
    return !Designing() && dbOptions_.Contains(dgRowSelect) && dbDefaultDrawing_ && Focused();
}

bool TCustomDBGridGx::FilterEditorAllowed() { return filterEditing_ && selection_->SelectionType() == gstNon; }

bool TCustomDBGridGx::FilterRowVisible() { return stFilter_ && stFilter_->Visible(); }

int TCustomDBGridGx::ExtraTitleRows() { return FilterRowVisible() ? 1 : 0; }

bool TCustomDBGridGx::TitlesVisible() { return dbOptions_.Contains(dgTitles); }

bool TCustomDBGridGx::GridOrEditorFocused() {
    HWND focus = GetFocus();
    if (!focus) return false;
    if (HandleAllocated() && focus == Handle()) return true;
    return InplaceEditor() && InplaceEditor()->HandleAllocated() && focus == InplaceEditor()->Handle();
}

bool TCustomDBGridGx::FocusInsideGrid() const {
    if (!HandleAllocated()) return false;
    HWND focus = GetFocus();
    HWND self = const_cast<TCustomDBGridGx*>(this)->Handle();
    for (HWND w = focus; w; w = GetParent(w))
        if (w == self) return true;
    return false;
}

bool TCustomDBGridGx::CellHas3DFrame(int, int, const TCellTypeGx& CellType) {
    switch (CellType.Vert) {
        case ctFilter: return false;
        case ctTitle: return optionsGx_.Contains(dghFixed3D);
        case ctFooter: return optionsGx_.Contains(dghFooter3D);
        default: break;
    }
    if (CellType.Horz == ctIndicator) return optionsGx_.Contains(dghFixed3D);
    if (CellType.Vert == ctData) {
        bool frozen = CellType.DataCol + indicatorOffset_ < FixedCols();
        return frozen ? optionsGx_.Contains(dghFrozen3D) : optionsGx_.Contains(dghData3D);
    }
    return false;
}

bool TCustomDBGridGx::IsSelectedCell(int, int ARow, const TCellTypeGx& CellType) {
    TDBGridGxSelectionType kind = selection_->SelectionType();
    if (kind == gstAll) return true;
    if (kind == gstNon || !dataLink_->Active()) return false;
    if (CellType.Vert == ctData) {
        bool result = false;
        ActivateDrawRow(ARow);
        {
            TScopeGuard restoreDrawRow([&] { RestoreDrawRow(); });
            TBookmarkStr mark = dataLink_->DataSet()->Bookmark();
            result = CellType.Horz == ctIndicator ? kind == gstRecordBookmarks && selection_->DataCellSelected(-1, mark)
                                                  : selection_->DataCellSelected(CellType.DataCol, mark);
        }
        return result;
    }
    // A selected column shows in its title too.
    if (CellType.Vert == ctTitle && kind == gstColumns && CellType.Horz == ctData)
        return selection_->DataCellSelected(CellType.DataCol, TBookmarkStr());
    return false;
}

// ---------------------------------------------------------------------------
// Events

void TCustomDBGridGx::CellClick(TColumnGx* Column) {
    if (OnCellClick) OnCellClick(Column);
}

void TCustomDBGridGx::TitleClick(TColumnGx* Column) {
    if (OnTitleClick) OnTitleClick(Column);
}

void TCustomDBGridGx::TitleBtnClick(int ACol, TColumnGx* Column) {
    if (OnTitleBtnClick) OnTitleBtnClick(this, ACol, Column);
}

void TCustomDBGridGx::CheckTitleButton(int ACol, bool& Enabled) {
    int index = RawToDataColumn(ACol);
    if (index >= 0 && index < columns_->Count()) {
        if (OnCheckButton) OnCheckButton(this, ACol, columns_->Items(index), Enabled);
    } else {
        Enabled = false;
    }
}

void TCustomDBGridGx::DrawColumnCell(const TRect& Rect, int DataCol, TColumnGx* Column, TGridDrawState State) {
    if (OnDrawColumnCell) OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

void TCustomDBGridGx::DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) {
    if (OnDrawDataCell) OnDrawDataCell(this, Rect, Field, State);
}

void TCustomDBGridGx::EditButtonClick() {
    if (OnEditButtonClick) OnEditButtonClick(this);
}

void TCustomDBGridGx::ColEnter() {
    if (OnColEnter) OnColEnter(this);
}

void TCustomDBGridGx::ColExit() {
    if (OnColExit) OnColExit(this);
}

void TCustomDBGridGx::SortMarkingChanged() {
    if (!optionsGx_.Contains(dghAutoSortMarking)) return;
    if (OnSortMarkingChanged)
        OnSortMarkingChanged(this);
    else
        DefaultApplySorting();
}

// ---------------------------------------------------------------------------
// Window messages of focus and frame

TGridCoord TCustomDBGridGx::CalcCoordFromPoint(int X, int Y) { return MouseCoord(X, Y); }

int TCustomDBGridGx::FlatBorderWidth() const { return flat_ && BorderStyle() == bsSingle && Ctl3D() ? 1 : 0; }

void TCustomDBGridGx::CreateParams(TCreateParams& Params) {
    TCustomGrid::CreateParams(Params);
    if (flat_ && BorderStyle() == bsSingle) {
        // The flat border is ours: drawn in WM_NCPAINT, made room for in WM_NCCALCSIZE.
        Params.Style &= ~WS_BORDER;
        Params.ExStyle &= ~WS_EX_CLIENTEDGE;
    }
    Params.Style |= WS_CLIPCHILDREN;
}

void TCustomDBGridGx::WMNCCalcSize(TMessage& Message) {
    int border = FlatBorderWidth();
    auto* rects = reinterpret_cast<TRect*>(Message.LParam);
    if (border == 0 || !rects) return;
    InflateRect(&rects[0], -border, -border);
}

void TCustomDBGridGx::WndProc(TMessage& Message) {
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_RBUTTONDOWN) && FilterCellPress(Message)) return;
    // With automatic dragging a press on a selected cell drags only once the
    // pointer moves (MouseMove), so that a click still clears the selection.
    bool guard = DragMode() == dmAutomatic && dbOptions_.Contains(dgMultiSelect) && !Designing() &&
                 (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK);
    if (!guard) {
        TCustomGrid::WndProc(Message);
        return;
    }
    SetDragMode(dmManual);
    autoDragGuard_ = true;
    auto restore = MakeScopeGuard([this] {
        autoDragGuard_ = false;
        SetDragMode(dmAutomatic);
    });
    TCustomGrid::WndProc(Message);
}

void TCustomDBGridGx::WMSetFocus(TMessage& Message) {
    bool focusedBefore = GridOrEditorFocused();
    if (dbOptions_.Contains(dgRowSelect)) InvalidateRow(Row());
    TCustomGrid::WMSetFocus(Message);
    HWND from = reinterpret_cast<HWND>(Message.WParam);
    bool fromFilter = filterEditor_ && filterEditor_->HandleAllocated() && from == filterEditor_->Handle();
    if (filterEditing_ && filterEditor_ && !fromFilter && filterEditor_->CanFocus())
        filterEditor_->SetFocus();
    if (focusedBefore != GridOrEditorFocused()) InvalidateSelection();
}

void TCustomDBGridGx::WMKillFocus(TMessage& Message) {
    bool focusedBefore = GridOrEditorFocused();
    HWND to = reinterpret_cast<HWND>(Message.WParam);
    bool toEditor = InplaceEditor() && InplaceEditor()->HandleAllocated() && to == InplaceEditor()->Handle();
    if (sortChangePending_ && !toEditor) {
        sortChangePending_ = false;
        SortMarkingChanged();
    }
    if (dbOptions_.Contains(dgRowSelect)) InvalidateRow(Row());
    TCustomGrid::WMKillFocus(Message);
    if (focusedBefore != GridOrEditorFocused()) InvalidateSelection();
}

void TCustomDBGridGx::WMGetDlgCode(TMessage& Message) {
    TCustomGrid::WMGetDlgCode(Message);
    if (optionsGx_.Contains(dghPreferIncSearch)) Message.Result |= DLGC_WANTCHARS;
}

void TCustomDBGridGx::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }
