// The grid's mouse: presses in each area (titles, indicator, data cells,
// footers), selections that follow a drag with the auto-scroll timer (window
// timer 1), title buttons and clicks, frozen-column sizing, cursors, the
// right-button popup and the tooltips of cut-off texts.
#include "grid/DBGridGx.h"

#include <algorithm>
#include <cstdlib>

#include "grid/DBGridGxTitles.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

constexpr int kColumnSelectZone = 7;

bool CheckedOrImageColumn(TColumnGx* Column) {
    TColumnGxType kind = Column->GetColumnType();
    return kind == ctCheckboxes || kind == ctKeyImageList;
}

// The tooltip of a cut-off cell text: written in the cell's font, so that it
// lies exactly over the text it completes.
class TToolTipsWindow : public THintWindow {
public:
    using THintWindow::THintWindow;
    const char* ClassName() const override { return "TToolTipsWindow"; }
    TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) override {
        auto* grid = static_cast<TCustomDBGridGx*>(AData);
        if (grid) Font()->Assign(grid->Font());
        Font()->SetColor(clWindowText);
        return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
    }
};

THintWindow* MakeToolTipsWindow(TComponent* Owner) { return new TToolTipsWindow(Owner); }

}  // namespace

// ---------------------------------------------------------------------------
// Areas

int TCustomDBGridGx::LastDataRow() const {
    return footerRowCount_ >= 1 ? RowCount() - footerRowCount_ - 2 : RowCount() - 1;
}

TRect TCustomDBGridGx::DataBox() {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TRect r = BoxRect(indicatorOffset_, titleOffset_, ColCount() - 1, LastDataRow());
    if (IsRectEmpty(r)) {
        r.Left = info.Horz.FixedBoundary;
        r.Top = info.Vert.FixedBoundary;
        r.Right = std::max(r.Left, info.Horz.GridBoundary);
        r.Bottom = r.Top;
    }
    return r;
}

bool TCustomDBGridGx::InDataBox(const TGridCoord& Cell) const {
    return Cell.X >= indicatorOffset_ && Cell.X < ColCount() && Cell.Y >= titleOffset_ && Cell.Y <= LastDataRow();
}

bool TCustomDBGridGx::InTitleLeaf(int RawCol, int Y) {
    if (!useMultiTitle_) return true;
    THeadTreeNode* leaf = TitleLeaf(RawToDataColumn(RawCol));
    if (!leaf || !leaf->Host || leaf->Host == titleRoot_) return true;
    return Y >= CellRect(RawCol, 0).Bottom - leaf->Height;
}

bool TCustomDBGridGx::OverColumnSelectZone(int X, int Y) {
    if (!DataLinkActive() || !dbOptions_.Contains(dgMultiSelect) || !dbOptions_.Contains(dgTitles) ||
        dbOptions_.Contains(dgRowSelect) || !allowedSelections_.Contains(gstColumns))
        return false;
    if (Sizing(X, Y)) return false;
    TGridCoord cell = MouseCoord(X, Y);
    if (cell.Y != 0 || cell.X < indicatorOffset_) return false;
    TRect r = CellRect(cell.X, 0);
    return Y >= std::max(r.Top, r.Bottom - kColumnSelectZone);
}

bool TCustomDBGridGx::OverRowSelectZone(int X, int Y) {
    if (!DataLinkActive() || !dbOptions_.Contains(dgMultiSelect) || indicatorOffset_ == 0 ||
        !allowedSelections_.Contains(gstRecordBookmarks) || dataLink_->DataSet()->IsEmpty())
        return false;
    TGridCoord cell = MouseCoord(X, Y);
    return cell.X == 0 && cell.Y >= titleOffset_ && cell.Y <= LastDataRow();
}

// ---------------------------------------------------------------------------
// Sizing

void TCustomDBGridGx::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                      TGridDrawInfo& FixedInfo) {
    TCustomGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs, FixedInfo);
    if (State == gsRowSizing) {
        int indicators = 0;
        for (int i = 0; i < indicatorOffset_; ++i) indicators += ColWidths(i) + FixedInfo.Horz.EffectiveLineWidth;
        if (X >= indicators) State = gsNormal;
    } else if (State == gsColSizing) {
        // Fixed columns (the indicator and the frozen ones) are sized by the grid itself.
        if (Index < FixedCols()) State = gsNormal;
        else if (SizingPos >= FixedInfo.Horz.GridBoundary) SizingPos = FixedInfo.Horz.GridBoundary - 1;
    }
    if (State == gsNormal) Index = -1;
}

bool TCustomDBGridGx::CalcFrozenSizing(int X, int Y) {
    if (!dbOptions_.Contains(dgColumnResize) || !TitlesVisible()) return false;
    if (Y < 0 || Y >= RowHeights(0)) return false;
    TGridDrawInfo info;
    CalcDrawInfo(info);
    int line = info.Horz.EffectiveLineWidth;
    int pos = 0;
    for (int i = 0; i < indicatorOffset_; ++i) pos += ColWidths(i) + line;
    for (int c = indicatorOffset_; c < FixedCols(); ++c) {
        int w = ColWidths(c);
        if (w <= 0) continue;
        int edge = pos + w;
        pos = edge + line;
        if (edge > info.Horz.GridBoundary) {
            // Cut off by the client area: its last pixels size it.
            if (info.Horz.GridBoundary == ClientWidth() && X >= ClientWidth() - 7 && X < ClientWidth()) {
                frozenSizingCol_ = c;
                frozenSizingPos_ = ClientWidth();
                frozenSizingOffset_ = frozenSizingPos_ - X;
                return true;
            }
            return false;
        }
        int start = line < 7 ? edge - (7 - line) / 2 : edge;
        int width = line < 7 ? 7 : line;
        if (X >= start && X < start + width) {
            frozenSizingCol_ = c;
            frozenSizingPos_ = edge;
            frozenSizingOffset_ = edge - X;
            return true;
        }
    }
    return false;
}

void TCustomDBGridGx::DrawFrozenSizingLine() {
    if (!HandleAllocated()) return;
    HDC dc = GetDC(Handle());
    TRect r(frozenSizingPos_, 0, frozenSizingPos_ + 1, ClientHeight());
    InvertRect(dc, &r);
    ReleaseDC(Handle(), dc);
}

int TCustomDBGridGx::ColumnLeftEdge(int RawCol) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    int pos = 0;
    for (int c = 0; c < RawCol; ++c)
        if (ColWidths(c) > 0) pos += ColWidths(c) + info.Horz.EffectiveLineWidth;
    return pos;
}

void TCustomDBGridGx::SetRawColumnWidth(int RawCol, int Width) {
    int data = RawToDataColumn(RawCol);
    if (data < 0 || data >= columns_->Count() || Width <= 1) return;
    columns_->Items(data)->SetWidth(Width);
}

// ---------------------------------------------------------------------------
// Timers

void TCustomDBGridGx::StartTimer(int Interval) {
    if (!HandleAllocated()) return;
    if (mouseTimerRunning_ && Interval == mouseTimerInterval_) return;
    SetTimer(Handle(), kMouseTimerId, static_cast<UINT>(std::max(Interval, 0)));
    mouseTimerRunning_ = true;
    mouseTimerInterval_ = Interval;
}

void TCustomDBGridGx::StopTimer() {
    if (mouseTimerRunning_ && HandleAllocated()) KillTimer(Handle(), kMouseTimerId);
    mouseTimerRunning_ = false;
    mouseTimerInterval_ = -1;
}

void TCustomDBGridGx::WMTimer(TMessage& Message) {
    TCustomGrid::WMTimer(Message);
    if (Message.WParam == kSearchTimerId) {
        StopIncrementalSearch();
    } else if (Message.WParam == kMouseTimerId) {
        if (rowDrag_ || rectDrag_ || gridDragState_ == 2) AutoScrollSelect();
        else if (gridDragState_ == 7) RecordMovingTimerScroll();
    }
}

// ---------------------------------------------------------------------------
// Auto-scrolling while a selection follows the pointer

void TCustomDBGridGx::AutoScrollSelect() {
    if (!HandleAllocated() || !DataLinkActive()) {
        StopTimer();
        return;
    }
    TRect box = DataBox();
    int x = lastMousePos_.X, y = lastMousePos_.Y;
    int interval;
    if (gridDragState_ != 2) {
        int vdir = 0, vdist = 0, hdir = 0, hdist = 0;
        if (y < box.Top) {
            vdir = -1;
            vdist = box.Top - y;
        } else if (y >= box.Bottom) {
            vdir = 1;
            vdist = y - box.Bottom + 1;
        }
        if (x < box.Left) {
            hdir = -1;
            hdist = box.Left - x;
        } else if (x >= box.Right) {
            hdir = 1;
            hdist = x - box.Right;
        }
        int distance = std::max(vdist, hdist);
        if (vdir == 0 && hdir == 0) {
            StopTimer();
            return;
        }
        {
            BeginUpdate();
            auto unlock = MakeScopeGuard([this] { EndUpdate(); });
            int step = std::min(distance / 6, 8);
            bool left = lastMouseShift_ & ssLeft;
            if (vdir != 0 && gridDragState_ != 3) DoSelection(left, vdir * step, false, true);
            if (hdir != 0 && rectDrag_) {
                if (hdir < 0 && LeftCol() > FixedCols()) SetLeftCol(LeftCol() - 1);
                else if (hdir > 0 && VisibleColCount() + LeftCol() < ColCount()) SetLeftCol(LeftCol() + 1);
            }
            if (gridDragState_ != 1) {
                if (hdir != 0) MoveCol(Col() + hdir, hdir < 1 ? -1 : 1, false);
                if (gridDragState_ == 3) {
                    if (vdir != 0 && step != 0) dataLink_->MoveBy(vdir * step);
                    if (selection_->SelectionType() == gstRectangle || selection_->Rect()->AnchorCol() >= 0)
                        selection_->Rect()->Select(SelectedIndex(), CurrentBookmark(), true);
                }
            }
        }
        interval = 200 - distance * 15;
    } else {
        int distance;
        if (x < box.Left) {
            distance = box.Left - x;
            if (LeftCol() > FixedCols()) SetLeftCol(LeftCol() - 1);
            int first = RawToDataColumn(LeftCol());
            if (first >= 0 && first < columns_->Count()) selection_->Columns()->SelectShift(columns_->Items(first));
        } else if (x >= box.Right) {
            distance = x - box.Right;
            if (VisibleColCount() + LeftCol() < ColCount()) SetLeftCol(LeftCol() + 1);
            int last = RawToDataColumn(std::min(ColCount() - 1, LeftCol() + VisibleColCount() - 1));
            if (last >= 0 && last < columns_->Count()) selection_->Columns()->SelectShift(columns_->Items(last));
        } else {
            return;
        }
        interval = 200 - distance * 10;
    }
    StartTimer(std::max(interval, 0));
}

// ---------------------------------------------------------------------------
// Presses

void TCustomDBGridGx::StopTracking() {
    StopTimer();
    if (titlePressed_ && pressedCol_ >= 0) InvalidateCell(pressedCol_, 0);
    titlePressed_ = false;
    pressedCol_ = -1;
    if (MouseCapture()) SetMouseCapture(false);
}

void TCustomDBGridGx::OptimizeOnDoubleClick(int X, int Y) {
    TGridState state;
    int index, pos, ofs;
    TGridDrawInfo info;
    CalcSizingState(X, Y, state, index, pos, ofs, info);
    if (state != gsColSizing && CalcFrozenSizing(X, Y)) {
        state = gsColSizing;
        index = frozenSizingCol_;
    }
    TColumnsGxList list;
    int data = RawToDataColumn(index);
    if (data >= 0 && data < columns_->Count()) list.Add(columns_->Items(data));
    if (selection_->SelectionType() == gstColumns) {
        for (int i = 0; i < selection_->Columns()->Count(); ++i)
            if (list.IndexOf(selection_->Columns()->Items(i)) < 0) list.Add(selection_->Columns()->Items(i));
    } else if (selection_->SelectionType() == gstAll) {
        for (int i = 0; i < columns_->Count(); ++i)
            if (list.IndexOf(columns_->Items(i)) < 0) list.Add(columns_->Items(i));
    }
    OptimizeColsWidth(&list);
}

void TCustomDBGridGx::DoubleClickPress(TShiftState Shift, int X, int Y) {
    TGridState state;
    int index, pos, ofs;
    TGridDrawInfo info;
    CalcSizingState(X, Y, state, index, pos, ofs, info);
    bool border = state == gsColSizing || CalcFrozenSizing(X, Y);
    if (border && optionsGx_.Contains(dghDblClickOptimizeColWidth)) {
        OptimizeOnDoubleClick(X, Y);
        return;
    }
    TGridCoord cell = MouseCoord(X, Y);
    if (InDataBox(cell) && DataLinkActive()) {
        TColumnGx* column = columns_->Items(RawToDataColumn(cell.X));
        if (CheckedOrImageColumn(column) && column->DblClickNextVal() && column->CanModify(true))
            column->SetNextFieldValue((Shift & ssShift) ? -1 : 1);
    }
    DblClick();
}

void TCustomDBGridGx::StartRowSelection(TMouseButton Button, TShiftState Shift, const TGridCoord& Cell, int OldRow) {
    bool ctrl = Shift & ssCtrl;
    bool clearing = optionsGx_.Contains(dghClearSelection);
    if ((Shift & ssShift) && Cell.Y != OldRow) {
        selecting_ = true;
        invertMode_ = ctrl || !clearing;
        if (selectionAnchor_.empty()) {
            selectionAnchor_ = selectedRows_->CurrentRow();
            anchorPriorState_ = selectedRows_->CurrentRowSelected();
        }
        DoSelection(true, Cell.Y - Row(), false, true);
    } else if (Button == mbLeft && (ctrl || !clearing)) {
        selectedRows_->SetCurrentRowSelected(!selectedRows_->CurrentRowSelected());
    } else if (Button == mbLeft) {
        ClearSelection();
        selectedRows_->SetCurrentRowSelected(true);
    } else if (!selectedRows_->CurrentRowSelected() && !(Shift & ssShift) && !ctrl) {
        ClearSelection();
    }
    if (Button != mbLeft) return;
    anchorPriorState_ = !selectedRows_->CurrentRowSelected();
    selectionAnchor_ = selectedRows_->CurrentRow();
    invertMode_ = ctrl || !clearing;
    selecting_ = true;
    gridDragState_ = 1;
    rowDrag_ = true;
}

void TCustomDBGridGx::StartCellSelection(TMouseButton Button, TShiftState Shift, const TGridCoord& Cell, int OldCol,
                                         const TBookmarkStr& OldBookmark) {
    int dataCol = RawToDataColumn(Cell.X);
    bool onSelected = selection_->DataCellSelected(dataCol, CurrentBookmark());
    if (Shift & ssShift) {
        if (selection_->SelectionType() != gstRectangle)
            selection_->Rect()->Select(RawToDataColumn(OldCol), OldBookmark, false);
        selection_->Rect()->Select(dataCol, CurrentBookmark(), true);
    } else {
        if (!(Shift & ssCtrl) && !(Button == mbRight && onSelected)) ClearSelection();
        if (Button == mbLeft) selection_->Rect()->Select(dataCol, CurrentBookmark(), false);
    }
    if (Button != mbLeft) return;
    gridDragState_ = 3;
    rectDrag_ = true;
}

bool TCustomDBGridGx::RowSelectionPress(const TGridCoord& Cell) {
    if (!dbOptions_.Contains(dgMultiSelect) || !CanSelectType(gstRecordBookmarks)) return false;
    if (Cell.X < indicatorOffset_) return true;
    return dbOptions_.Contains(dgRowSelect) || !CanSelectType(gstRectangle);
}

void TCustomDBGridGx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbRight) SetMouseCapture(true);
    pressedCheckCell_ = TGridCoord{-1, -1};
    pressPoint_ = TPoint(X, Y);
    lastMousePos_ = pressPoint_;
    lastMouseShift_ = Shift;
    if (!AcquireFocus()) return;
    TGridCoord cell = MouseCoord(X, Y);
    if (InDataBox(cell) && filterEditing_) StopEditFilter();

    if ((Shift & ssDouble) && Button == mbLeft) {
        DoubleClickPress(Shift, X, Y);
        TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    // Frozen columns are sized by the grid, scrolled ones by the framework.
    if (Button == mbLeft && CalcFrozenSizing(X, Y)) {
        gridDragState_ = 6;
        SetMouseCapture(true);
        if (!optionsGx_.Contains(dghTraceColSizing)) DrawFrozenSizingLine();
        return;
    }
    if (Sizing(X, Y)) {
        dataLink_->NotifyUpdateData();
        if (optionsGx_.Contains(dghTraceColSizing) && Button == mbLeft) {
            TGridState state;
            int index, pos, ofs;
            TGridDrawInfo info;
            CalcSizingState(X, Y, state, index, pos, ofs, info);
            SetGridState(state);
            SetSizingIndex(index);
            SetSizingPos(pos);
            SetSizingOfs(ofs);
            SetMouseCapture(true);
        } else {
            TCustomGrid::MouseDown(Button, Shift, X, Y);
        }
        return;
    }
    bool titleRow = cell.Y >= 0 && cell.Y < titleOffset_;
    if (titleRow && cell.X >= indicatorOffset_ && OverColumnSelectZone(X, Y)) {
        TColumnGx* column = columns_->Items(RawToDataColumn(cell.X));
        InvalidateCol(cell.X);
        gridDragState_ = 2;
        SetMouseCapture(true);
        StartTimer(60);
        if (Shift & ssShift) {
            selection_->Columns()->SelectShift(column);
        } else if (Shift & ssCtrl) {
            selection_->Columns()->InvertSelect(column);
        } else {
            Invalidate();
            selection_->Columns()->Select(column, false);
        }
        return;
    }
    if (TitlesVisible() && cell.Y == 0 && cell.X >= indicatorOffset_ && !Designing() && InTitleLeaf(cell.X, Y)) {
        if (dbOptions_.Contains(dgColumnResize) && Button == mbRight) {
            Button = mbLeft;
            rightAsLeft_ = true;
        }
        TColumnGx* column = columns_->Items(RawToDataColumn(cell.X));
        bool enabled = column->Title()->TitleButton();
        if (Button == mbLeft && enabled) CheckTitleButton(cell.X, enabled);
        if (Button == mbLeft && enabled) {
            SetMouseCapture(true);
            titlePressed_ = true;
            titlePressedInside_ = true;
            pressedCol_ = cell.X;
            InvalidateCell(cell.X, 0);
            return;
        }
    }
    if (titleRow) {
        if (dbOptions_.Contains(dgColumnResize) || Designing()) {
            if (cell.X >= 0 && cell.X < indicatorOffset_ && dbOptions_.Contains(dgMultiSelect) && DataLinkActive() &&
                allowedSelections_.Contains(gstAll)) {
                if (selection_->SelectionType() != gstNon) selection_->Clear();
                else selection_->SelectAll();
                InvalidateEditor();
            }
            dataLink_->NotifyUpdateData();
            Canvas()->Pen()->SetColor(static_cast<TColor>(0xC0C0C0));
            TCustomGrid::MouseDown(Button, Shift, X, Y);
        } else {
            TControl::MouseDown(Button, Shift, X, Y);
        }
        return;
    }
    bool footer = footerRowCount_ >= 1 && cell.Y > LastDataRow();
    if (cell.X < 0 || cell.Y < 0 || footer || !DataLinkActive()) {
        TControl::MouseDown(Button, Shift, X, Y);
        return;
    }

    if (CheckBeginRecordMoving(X, Y, false) || TreeNodeButtonClick(X, Y, false)) return;
    int oldCol = Col(), oldRow = Row();
    TBookmarkStr oldBookmark = CurrentBookmark();
    bool rowPress = RowSelectionPress(cell);
    {
        BeginUpdate();
        auto unlock = MakeScopeGuard([this] { EndUpdate(); });
        dataLink_->NotifyUpdateData();
        HideEditor();
        bool extension = (Shift & ssShift) && dbOptions_.Contains(dgMultiSelect) && rowPress && cell.Y != Row();
        if (!extension && cell.Y != Row()) dataLink_->MoveBy(cell.Y - Row());
        if (cell.X >= indicatorOffset_) MoveCol(cell.X, 0, false);
    }

    if (MouseCapture()) {
        bool plainLeft = Button == mbLeft && (Shift & (ssShift | ssCtrl)) == 0;
        if (autoDragGuard_ && plainLeft && cell.X >= indicatorOffset_ &&
            selection_->DataCellSelected(RawToDataColumn(cell.X), CurrentBookmark())) {
            pendingDrag_ = true;
            return;
        }
        if (rowPress) {
            StartRowSelection(Button, Shift, cell, oldRow);
        } else if (cell.X >= indicatorOffset_ && CanSelectType(gstRectangle)) {
            StartCellSelection(Button, Shift, cell, oldCol, oldBookmark);
        } else {
            bool onSelected = selection_->DataCellSelected(RawToDataColumn(cell.X), CurrentBookmark());
            if (!(Shift & (ssCtrl | ssShift)) && !(Button == mbRight && onSelected)) ClearSelection();
        }
        // The current cell follows the pointer (and the rows scroll past the
        // edges) in every grid but one that selects whole records by dragging.
        bool recordsDrag = dbOptions_.Contains(dgMultiSelect) && dbOptions_.Contains(dgRowSelect);
        if (cell.X >= indicatorOffset_ && !recordsDrag) rectDrag_ = true;
    }

    bool wasCurrent = cell.X == oldCol && cell.Y == oldRow;
    if (Button == mbLeft) {
        if (EditorAlwaysShown() && (wasCurrent || dbOptions_.Contains(dgAlwaysShowEditor))) ShowEditor();
        if (cell.X >= indicatorOffset_) {
            TColumnGx* column = columns_->Items(RawToDataColumn(cell.X));
            TRect r = CellRect(cell.X, cell.Y);
            int buttons = column->GetEditButtonsWidth();
            bool buttonZone = buttons > 0 && X >= r.Right - buttons;
            if (dbOptions_.Contains(dgAlwaysShowEditor) || buttonZone || wasCurrent) ShowEditor();
            TInplaceEdit* editor = InplaceEditor();
            if (editor && editor->Visible() && buttonZone) {
                StopTracking();
                TPoint screen = ClientToScreen(TPoint(X, Y));
                for (int i = 0; i < editor->ControlCount(); ++i) {
                    TControl* child = editor->Controls(i);
                    TPoint local = child->ScreenToClient(screen);
                    if (PtInRect(child->ClientRect(), local)) {
                        child->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(local.X, local.Y));
                        break;
                    }
                }
            }
            if (CheckedOrImageColumn(column)) pressedCheckCell_ = cell;
        }
    }
    if (Button == mbRight || cell.X < indicatorOffset_) InvalidateEditor();
    TControl::MouseDown(Button, Shift, X, Y);
}

// ---------------------------------------------------------------------------
// Moves

void TCustomDBGridGx::MouseMove(TShiftState Shift, int X, int Y) {
    lastMousePos_ = TPoint(X, Y);
    TGridCoord cell = MouseCoord(X, Y);
    if (pendingDrag_) {
        pendingDrag_ = false;
        BeginDrag(true, -1);
        return;
    }
    if (titlePressed_) {
        TGridCoord pressed = cell;
        bool inside = pressed.Y == 0 && pressed.X == pressedCol_ && InTitleLeaf(pressed.X, Y);
        if (inside != titlePressedInside_) {
            titlePressedInside_ = inside;
            InvalidateCell(pressedCol_, 0);
        }
        if (std::abs(X - pressPoint_.X) > 3 && dbOptions_.Contains(dgColumnResize)) {
            StopTracking();
            if (Shift & ssLeft) SetMouseCapture(true);
            Canvas()->Pen()->SetColor(static_cast<TColor>(0xC0C0C0));
            TCustomGrid::MouseDown(mbLeft, Shift, pressPoint_.X, pressPoint_.Y);
        } else {
            TControl::MouseMove(Shift, X, Y);
            return;
        }
    }
    if (rowDrag_ || rectDrag_ || gridDragState_ == 3) {
        TRect box = DataBox();
        if (Y >= box.Top && Y < box.Bottom && cell.Y >= titleOffset_ && cell.Y <= LastDataRow()) {
            bool entered = cell.X != lastMoveCell_.X || cell.Y != lastMoveCell_.Y;
            bool select = (Shift & ssLeft) && entered;
            if (cell.Y != Row()) DoSelection(select, cell.Y - Row(), false, gridDragState_ != 3);
            if (rectDrag_ && X >= box.Left && X < box.Right && cell.X >= indicatorOffset_ && cell.X != Col()) {
                MoveCol(cell.X, cell.X > Col() ? 1 : -1, false);
                if (gridDragState_ == 3) selection_->Rect()->Select(SelectedIndex(), CurrentBookmark(), true);
            }
            lastMoveCell_ = cell;
        }
        lastMouseShift_ = Shift;
        AutoScrollSelect();
        return;
    }
    if (gridDragState_ == 2) {
        TRect box = DataBox();
        if (X >= box.Left && X < box.Right && cell.X >= indicatorOffset_) {
            selection_->Columns()->SelectShift(columns_->Items(RawToDataColumn(cell.X)));
        } else {
            lastMouseShift_ = Shift;
            AutoScrollSelect();
        }
        return;
    }
    if (gridDragState_ == 6) {
        int pos = X + frozenSizingOffset_;
        if (optionsGx_.Contains(dghTraceColSizing)) {
            SetRawColumnWidth(frozenSizingCol_, std::max(1, pos - ColumnLeftEdge(frozenSizingCol_)));
        } else {
            DrawFrozenSizingLine();
            frozenSizingPos_ = pos;
            DrawFrozenSizingLine();
        }
        return;
    }
    if (GridState() == gsColSizing && optionsGx_.Contains(dghTraceColSizing)) {
        int pos = X + SizingOfs();
        SetSizingPos(pos);
        int width = std::max(1, pos - ColumnLeftEdge(SizingIndex()) + LeftColOffset());
        SetColWidths(SizingIndex(), width);
        return;
    }
    if (gridDragState_ == 7) {
        RecordMovingTimerScroll();
        return;
    }
    TCustomGrid::MouseMove(Shift, X, Y);
}

int TCustomDBGridGx::LeftColOffset() {
    // Scrolled-out columns between the fixed ones and LeftCol take no room on screen.
    int hidden = 0;
    TGridDrawInfo info;
    CalcDrawInfo(info);
    for (int c = FixedCols(); c < LeftCol(); ++c)
        if (ColWidths(c) > 0) hidden += ColWidths(c) + info.Horz.EffectiveLineWidth;
    return hidden;
}

// ---------------------------------------------------------------------------
// Releases

void TCustomDBGridGx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (gridDragState_ == 7) FinishRecordMoving(X, Y, true);
    if (gridDragState_ == 6) {
        if (!optionsGx_.Contains(dghTraceColSizing)) {
            DrawFrozenSizingLine();
            SetRawColumnWidth(frozenSizingCol_, frozenSizingPos_ - ColumnLeftEdge(frozenSizingCol_));
        }
    }
    if (pendingDrag_) {
        pendingDrag_ = false;
        if ((Shift & ssCtrl) && dbOptions_.Contains(dgRowSelect)) {
            if (selectedRows_->Count() >= 0 && DataLinkActive())
                selectedRows_->SetCurrentRowSelected(!selectedRows_->CurrentRowSelected());
        } else if (optionsGx_.Contains(dghClearSelection)) {
            ClearSelection();
        }
    } else if (optionsGx_.Contains(dghTraceColSizing) && GridState() == gsColSizing) {
        SetGridState(gsNormal);
        if (MouseCapture()) SetMouseCapture(false);
        return;
    }
    int oldDragState = gridDragState_;
    gridDragState_ = 0;
    selecting_ = false;

    TGridState state = GridState();
    if (titlePressed_ && pressedCol_ >= 0) {
        TGridCoord cell = MouseCoord(X, Y);
        bool counts = PtInRect(ClientRect(), TPoint(X, Y)) && TitlesVisible() && cell.Y == 0 &&
                      cell.X == pressedCol_ && InTitleLeaf(cell.X, Y);
        int pressed = pressedCol_;
        StopTracking();
        int data = RawToDataColumn(pressed);
        if (counts && data >= 0 && data < columns_->Count()) {
            TColumnGx* column = columns_->Items(data);
            TitleBtnClick(pressed, column);
            sortChangePending_ = Shift & ssCtrl;
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
    if (rowDrag_ || rectDrag_) {
        rowDrag_ = rectDrag_ = false;
        StopTracking();
    }
    if (oldDragState != 0) StopTimer();
    lastMoveCell_ = TGridCoord{-1, -1};

    TCustomGrid::MouseUp(Button, Shift, X, Y);
    if (Button == mbRight && MouseCapture()) SetMouseCapture(false);
    if (state == gsColSizing || state == gsRowSizing || Button != mbLeft) return;
    TInplaceEdit* editor = InplaceEditor();
    if (editor && editor->Visible() && PtInRect(editor->BoundsRect(), TPoint(X, Y))) return;
    TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < indicatorOffset_ || cell.X >= ColCount() || cell.Y < 0) return;
    int data = RawToDataColumn(cell.X);
    if (data >= columns_->Count()) return;
    TColumnGx* column = columns_->Items(data);
    if (cell.Y >= titleOffset_ && cell.Y - titleOffset_ < VisibleDataRowCount()) CellClick(column);
    else if (cell.Y < titleOffset_) TitleClick(column);
    if (cell.X == pressedCheckCell_.X && cell.Y == pressedCheckCell_.Y && !column->DblClickNextVal() &&
        !(Shift & ssDouble) && column->CanModify(true))
        column->SetNextFieldValue((Shift & ssShift) ? -1 : 1);
    pressedCheckCell_ = TGridCoord{-1, -1};
}

// ---------------------------------------------------------------------------
// Messages of the mouse: drags that end, cursors, the popup menu

void TCustomDBGridGx::EndDragStates() {
    if (gridDragState_ == 7) FinishRecordMoving(0, 0, false);
    StopTracking();
    if (gridDragState_ == 6 && !optionsGx_.Contains(dghTraceColSizing)) DrawFrozenSizingLine();
    else if (gridDragState_ != 0) StopTimer();
    gridDragState_ = 0;
    rowDrag_ = rectDrag_ = false;
    pendingDrag_ = false;
}

void TCustomDBGridGx::WMCancelMode(TMessage& Message) {
    TCustomGrid::WMCancelMode(Message);
    EndDragStates();
}

void TCustomDBGridGx::CMCancelMode(TMessage& Message) {
    TCustomGrid::CMCancelMode(Message);
    EndDragStates();
    if (filterEditor_ && filterEditor_->HandleAllocated()) filterEditor_->Perform(CM_CANCELMODE, 0, Message.LParam);
}

void TCustomDBGridGx::WMSetCursor(TMessage& Message) {
    if (static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(Message.LParam))) == HTCLIENT && Screen) {
        DWORD mp = GetMessagePos();
        TPoint p = ScreenToClient(TPoint(GET_X_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))),
                                         GET_Y_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp)))));
        TCursor cursor = 0;
        bool set = false;
        if (gridDragState_ == 6 || (GridState() == gsNormal && CalcFrozenSizing(p.X, p.Y))) {
            cursor = crHSplit;
            set = true;
        } else if (GridState() == gsNormal && !Sizing(p.X, p.Y) && !Designing()) {
            if (OverRowSelectZone(p.X, p.Y) && !CheckBeginRecordMoving(p.X, p.Y, true)) {
                cursor = UseRightToLeftAlignment() ? DBGridGxSettings().LeftCursor : DBGridGxSettings().RightCursor;
                set = true;
            } else if (OverColumnSelectZone(p.X, p.Y)) {
                cursor = DBGridGxSettings().DownCursor;
                set = true;
            }
        }
        if (set) {
            ::SetCursor(Screen->Cursors(cursor));
            Message.Result = 1;
            return;
        }
    }
    TCustomGrid::WMSetCursor(Message);
}

void TCustomDBGridGx::WMContextMenu(TMessage& Message) {
    TPoint screen(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
    if (!(screen.X == -1 && screen.Y == -1) && HandleAllocated()) {
        TPoint p = ScreenToClient(screen);
        TGridCoord cell = MouseCoord(p.X, p.Y);
        if (InDataBox(cell)) {
            auto* menu = dynamic_cast<TPopupMenu*>(columns_->Items(RawToDataColumn(cell.X))->PopupMenu());
            if (menu && menu->AutoPopup()) {
                bool handled = false;
                DoContextPopup(p, handled);
                if (handled) {
                    Message.Result = 1;
                    return;
                }
                SendCancelMode(nullptr);
                menu->SetPopupComponent(this);
                menu->Popup(screen.X, screen.Y);
                Message.Result = 1;
                return;
            }
        }
    }
    TCustomGrid::WMContextMenu(Message);
}

// ---------------------------------------------------------------------------
// Tooltips of texts cut off by their cells

bool TCustomDBGridGx::CellToolTip(const TGridCoord& Cell, AnsiString& Text, TRect& CellBox, TAlignment& Alignment,
                                  TFont*& Font) {
    if (Cell.X < indicatorOffset_ || Cell.X >= ColCount() || Cell.Y < 0) return false;
    TColumnGx* column = columns_->Items(RawToDataColumn(Cell.X));
    TCellTypeGx type = GetCellType(Cell.X, Cell.Y);
    CellBox = CellRect(Cell.X, Cell.Y);
    if (type.Vert == ctTitle) {
        if (!column->Title()->ToolTips()) return false;
        Text = column->Title()->Caption();
        size_t bar = Text.rfind('|');
        if (useMultiTitle_ && bar != AnsiString::npos) Text = Text.substr(bar + 1);
        Alignment = column->Title()->Alignment();
        Font = column->Title()->Font();
        return true;
    }
    if (type.Vert == ctData) {
        if (!DataLinkActive() || !column->ToolTips()) return false;
        ActivateDrawRow(Cell.Y);
        auto restore = MakeScopeGuard([this] { RestoreDrawRow(); });
        TColumnGxType kind = column->GetColumnType();
        if (kind == ctCheckboxes || kind == ctKeyImageList) {
            TField* f = column->Field();
            int i = f ? column->KeyList()->IndexOf(f->Text()) : -1;
            Text = i >= 0 && i < column->PickList()->Count() ? column->PickList()->Strings(i) : AnsiString();
        } else {
            Text = column->GetDisplayText();
        }
        Alignment = column->Alignment();
        Font = column->Font();
        return true;
    }
    if (type.Vert == ctFooter) {
        TColumnFooterGx* footer = type.Index < column->Footers()->Count() ? column->Footers()->Items(type.Index)
                                                                          : column->Footer();
        if (!footer->ToolTips()) return false;
        Text = GetFooterValue(type.Index, column);
        Alignment = footer->Alignment();
        Font = footer->Font();
        return true;
    }
    return false;
}

void TCustomDBGridGx::CMHintShowPause(TMessage& Message) {
    auto* pause = reinterpret_cast<int*>(Message.LParam);
    TPoint p = ScreenToClient(Mouse->CursorPos());
    TGridCoord cell = MouseCoord(p.X, p.Y);
    AnsiString text;
    TRect box;
    TAlignment alignment;
    TFont* font = nullptr;
    bool tips = false;
    if (cell.X >= indicatorOffset_ && cell.Y >= 0) {
        TCellTypeGx type = GetCellType(cell.X, cell.Y);
        TColumnGx* column = columns_->Items(RawToDataColumn(cell.X));
        if (type.Vert == ctTitle) tips = column->Title()->ToolTips() && column->Title()->Hint().empty();
        else tips = CellToolTip(cell, text, box, alignment, font);
    }
    if (pause) *pause = tips ? 0 : (Application ? Application->HintPause() : 500);
    Message.Result = 0;
}

void TCustomDBGridGx::CMHintShow(TMessage& Message) {
    TCustomGrid::CMHintShow(Message);
    auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
    if (!info) return;
    TGridCoord cell = MouseCoord(info->CursorPos.X, info->CursorPos.Y);
    if (cell.X >= indicatorOffset_ && cell.X < ColCount() && TitlesVisible() && cell.Y == 0) {
        TColumnGx* column = columns_->Items(RawToDataColumn(cell.X));
        if (!column->Title()->Hint().empty()) {
            AnsiString hint = column->Title()->Hint();
            size_t bar = hint.find('|');
            info->HintStr = bar == AnsiString::npos ? hint : hint.substr(0, bar);
            info->CursorRect = CellRect(cell.X, 0);
            return;
        }
    }
    AnsiString text;
    TRect box;
    TAlignment alignment = taLeftJustify;
    TFont* font = nullptr;
    bool ctrl = GetKeyState(VK_CONTROL) & 0x8000;
    if (MouseCapture() || ctrl || !CellToolTip(cell, text, box, alignment, font) || text.empty()) {
        info->HintStr.clear();
        Message.Result = 1;
        return;
    }
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(font ? font : Font());
    int textWidth = canvas->TextWidth(text);
    int width = box.Right - box.Left;
    if (textWidth + 4 <= width) {
        info->HintStr.clear();
        Message.Result = 1;
        return;
    }
    int left;
    if (alignment == taRightJustify) left = box.Left + width + 1 - textWidth - 7;
    else if (alignment == taCenter) left = (box.Left + width + 1 - textWidth - 6 + textWidth / 2) - (width - 4) / 2;
    else left = box.Left - 1;
    info->HintStr = text;
    info->CursorRect = box;
    info->HintPos = ClientToScreen(TPoint(left, box.Top));
    info->HintWindowClass = &MakeToolTipsWindow;
    info->HintData = this;
    info->HintMaxWidth = ClientWidth();
    Message.Result = 0;
}
