// The data-aware grid: focus, the click events, keys, the wheel, the vertical
// scroll bar and the mouse where it fires the grid's click events.
#include "grid/DBGridGx.h"

#include <algorithm>
#include <cstdlib>

#include "grid/DbUtilsGx.h"
#include "grid/GxLibVCL.h"
#include "platform/classes/ShortCuts.h"
#include "platform/gui/Forms.h"
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

bool TCustomDBGridGx::FilterEditorAllowed() { return FilterRowVisible() && DBGridGxFilterRowHooks().CreateEditor != nullptr; }

bool TCustomDBGridGx::FilterRowVisible() { return stFilter_ && stFilter_->Visible(); }

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
        try {
            TBookmarkStr mark = dataLink_->DataSet()->Bookmark();
            result = CellType.Horz == ctIndicator ? kind == gstRecordBookmarks && selection_->DataCellSelected(-1, mark)
                                                  : selection_->DataCellSelected(CellType.DataCol, mark);
        } catch (...) {
            RestoreDrawRow();
            throw;
        }
        RestoreDrawRow();
        return result;
    }
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
    if (OnSortMarkingChanged) OnSortMarkingChanged(this);
}

void TCustomDBGridGx::KeyDown(WORD& Key, TShiftState Shift) {
    // The grid's keys come with the keyboard unit; here only the owner hears them.
    TWinControl::KeyDown(Key, Shift);
}

bool TCustomDBGridGx::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
    if (dataLink_->Active() && !DirectRecordAccess()) dataLink_->MoveBy(1);
    return true;
}

bool TCustomDBGridGx::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
    if (dataLink_->Active() && !DirectRecordAccess()) dataLink_->MoveBy(-1);
    return true;
}

void TCustomDBGridGx::WMVScroll(TMessage& Message) {
    if (Message.LParam || !dataLink_->Active() || DirectRecordAccess()) {
        TCustomGrid::WMVScroll(Message);
        return;
    }
    TDataSet* ds = dataLink_->DataSet();
    int code = LOWORD(Message.WParam);
    int page = VisibleDataRowCount();
    auto thumb = [&](int pos) {
        if (sumList_->IsSequenced()) {
            if (pos <= 1) ds->First();
            else if (pos >= sumList_->GetRecordCount()) ds->Last();
            else sumList_->SetRecNo(pos);
        } else {
            switch (pos) {
                case 0: ds->First(); break;
                case 1: dataLink_->MoveBy(-page); break;
                case 3: dataLink_->MoveBy(page); break;
                case 4: ds->Last(); break;
                default: break;
            }
        }
    };
    switch (code) {
        case SB_LINEUP: dataLink_->MoveBy(-dataLink_->ActiveRecord() - 1); break;
        case SB_LINEDOWN: dataLink_->MoveBy(dataLink_->RecordCount() - dataLink_->ActiveRecord()); break;
        case SB_PAGEUP: dataLink_->MoveBy(-page); break;
        case SB_PAGEDOWN: dataLink_->MoveBy(page); break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            if (code == SB_THUMBTRACK && !vertScrollBar_->Tracking()) break;
            SCROLLINFO si;
            si.fMask = SIF_TRACKPOS | SIF_POS;
            GetScrollInfo(Handle(), SB_VERT, &si);
            thumb(code == SB_THUMBTRACK ? si.nTrackPos : static_cast<int16_t>(HIWORD(Message.WParam)));
            break;
        }
        case SB_TOP: ds->First(); break;
        case SB_BOTTOM: ds->Last(); break;
        default: break;
    }
}

// ---------------------------------------------------------------------------
// The mouse: presses move the current record and column; releases fire the
// title and cell clicks. Selection by the mouse and dragging come with their own units.

void TCustomDBGridGx::StopTracking() {
    if (titlePressed_ && pressedCol_ >= 0) InvalidateCell(pressedCol_, 0);
    titlePressed_ = false;
    pressedCol_ = -1;
    if (MouseCapture()) SetMouseCapture(false);
}

void TCustomDBGridGx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbRight) SetMouseCapture(true);
    pressPoint_ = TPoint(X, Y);
    if (!AcquireFocus()) return;
    TGridCoord cell = MouseCoord(X, Y);
    bool inData = cell.X >= indicatorOffset_ && cell.Y >= titleOffset_ && cell.Y < titleOffset_ + DataRowCount();
    if (inData && DBGridGxFilterRowHooks().StopEdit && DBGridGxFilterRowHooks().Editing && DBGridGxFilterRowHooks().Editing(this))
        DBGridGxFilterRowHooks().StopEdit(this);
    if ((Shift & ssDouble) && Button == mbLeft) {
        DblClick();
        TCustomControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (Button == mbLeft && Sizing(X, Y)) {
        dataLink_->NotifyUpdateData();
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    bool titleRow = TitlesVisible() && cell.Y == 0;
    if (titleRow && cell.X >= indicatorOffset_ && !Designing()) {
        if (dbOptions_.Contains(dgColumnResize) && Button == mbRight) {
            Button = mbLeft;
            rightAsLeft_ = true;
        }
        TColumnGx* column = columns_->Items(cell.X - indicatorOffset_);
        bool enabled = column->Title()->TitleButton();
        if (Button == mbLeft && enabled) CheckTitleButton(cell.X, enabled);
        if (Button == mbLeft && enabled) {
            SetMouseCapture(true);
            titlePressed_ = true;
            pressedCol_ = cell.X;
            InvalidateCell(cell.X, 0);
            TCustomControl::MouseDown(Button, Shift, X, Y);
            return;
        }
    }
    if (cell.Y >= 0 && cell.Y < titleOffset_) {
        if (dbOptions_.Contains(dgColumnResize)) {
            dataLink_->NotifyUpdateData();
            Canvas()->Pen()->SetColor(static_cast<TColor>(0xC0C0C0));
            TCustomGrid::MouseDown(Button, Shift, X, Y);
        } else {
            TCustomControl::MouseDown(Button, Shift, X, Y);
        }
        return;
    }
    bool footer = footerRowCount_ >= 1 && cell.Y >= RowCount() - footerRowCount_ - 1;
    if (cell.X < 0 || cell.Y < 0 || footer || !dataLink_->Active()) {
        TCustomControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    int oldCol = Col(), oldRow = Row();
    BeginUpdate();
    try {
        dataLink_->NotifyUpdateData();
        HideEditor();
        if (cell.Y != Row()) dataLink_->MoveBy(cell.Y - Row());
        if (cell.X >= indicatorOffset_) MoveCol(cell.X, 0, false);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    bool wasCurrent = cell.X == oldCol && cell.Y == oldRow;
    if (Button == mbLeft && cell.X >= indicatorOffset_ &&
        (dbOptions_.Contains(dgAlwaysShowEditor) || wasCurrent))
        ShowEditor();
    if (Button == mbRight || cell.X < indicatorOffset_) InvalidateEditor();
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomDBGridGx::MouseMove(TShiftState Shift, int X, int Y) {
    if (titlePressed_) {
        if (std::abs(X - pressPoint_.X) > 3 && dbOptions_.Contains(dgColumnResize)) {
            StopTracking();
            if (Shift & ssLeft) SetMouseCapture(true);
            Canvas()->Pen()->SetColor(static_cast<TColor>(0xC0C0C0));
            TCustomGrid::MouseDown(mbLeft, Shift, pressPoint_.X, pressPoint_.Y);
        } else {
            TCustomControl::MouseMove(Shift, X, Y);
            return;
        }
    }
    TCustomGrid::MouseMove(Shift, X, Y);
}

void TCustomDBGridGx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGridState state = GridState();
    if (titlePressed_ && pressedCol_ >= 0) {
        TGridCoord cell = MouseCoord(X, Y);
        bool counts = PtInRect(ClientRect(), TPoint(X, Y)) && TitlesVisible() && cell.Y == 0 && cell.X == pressedCol_;
        int pressed = pressedCol_;
        StopTracking();
        if (counts) {
            TColumnGx* column = columns_->Items(pressed - indicatorOffset_);
            TitleBtnClick(pressed, column);
            if (optionsGx_.Contains(dghAutoSortMarking)) {
                column->Title()->SetNextSortMarker((Shift & ssCtrl) && optionsGx_.Contains(dghMultiSortMarking));
                if (!(Shift & ssCtrl)) SortMarkingChanged();
            }
        }
    } else if (rightAsLeft_) {
        rightAsLeft_ = false;
        Button = mbLeft;
        if (MouseCapture()) SetMouseCapture(false);
    }
    TCustomGrid::MouseUp(Button, Shift, X, Y);
    if (state == gsColSizing || state == gsRowSizing || Button != mbLeft) return;
    TInplaceEdit* editor = InplaceEditor();
    if (editor && editor->Visible() && PtInRect(editor->BoundsRect(), TPoint(X, Y))) return;
    TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < indicatorOffset_ || cell.X >= ColCount() || cell.Y < 0) return;
    TColumnGx* column = columns_->Items(cell.X - indicatorOffset_);
    if (cell.Y >= titleOffset_ && cell.Y - titleOffset_ < VisibleDataRowCount()) CellClick(column);
    else if (cell.Y < titleOffset_) TitleClick(column);
}

TGridCoord TCustomDBGridGx::CalcCoordFromPoint(int X, int Y) { return MouseCoord(X, Y); }
