// The grid's scroll bars and scrolling: the vertical bar maps to records
// (record numbers when the sum list can give them, else three positions:
// start, middle, end), an external TScrollBar may stand in for either bar,
// and data-link moves scroll the rows on screen.
#include "grid/DBGridGx.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gui/StdCtrls.h"
#include "platform/rtl/ScopeGuard.h"

// ---------------------------------------------------------------------------
// The scroll-bar settings objects

TDBGridGxScrollBar::TDBGridGxScrollBar(TCustomDBGridGx* Grid, int Kind) : grid_(Grid), kind_(Kind) {}

TDBGridGxScrollBar::~TDBGridGxScrollBar() { DetachExtScrollBar(); }

TPersistent* TDBGridGxScrollBar::GetOwner() { return grid_; }

void TDBGridGxScrollBar::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TDBGridGxScrollBar*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    SetVisible(s->Visible());
    tracking_ = s->tracking_;
    SetExtScrollBar(s->extScrollBar_);
}

void TDBGridGxScrollBar::DetachExtScrollBar() {
    auto* bar = dynamic_cast<TControl*>(extScrollBar_);
    if (bar && hooked_) bar->WindowProc = savedWindowProc_;
    hooked_ = false;
    savedWindowProc_ = nullptr;
}

void TDBGridGxScrollBar::ExtScrollBarWndProc(TMessage& Message) {
    // The bar's own notifications reach the grid as its own scroll messages first.
    if (grid_ && (Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL)) {
        grid_->extScrollMessage_ = true;
        auto reset = MakeScopeGuard([this] { grid_->extScrollMessage_ = false; });
        grid_->Perform(kind_ == SB_VERT ? WM_VSCROLL : WM_HSCROLL, Message.WParam, 0);
    }
    if (savedWindowProc_) savedWindowProc_(Message);
    // The bar shows the grid's position, not the one it moved its thumb to.
    if (grid_ && !grid_->IsDestroying() && (Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL)) {
        if (kind_ == SB_VERT) grid_->UpdateScrollBar();
        else grid_->UpdateHorzScrollBar();
    }
}

void TDBGridGxScrollBar::SetExtScrollBar(TComponent* Value) {
    if (Value == extScrollBar_) return;
    auto* bar = dynamic_cast<TControl*>(Value);
    if (bar && grid_ && !grid_->Designing() && bar->WindowProc != TWndMethod(bar, &TControl::WndProc))
        throw EDBGridGxError("Possible " + Value->Name() + " already attached to the other control.");
    DetachExtScrollBar();
    extScrollBar_ = Value;
    if (bar) {
        savedWindowProc_ = bar->WindowProc;
        bar->WindowProc = TWndMethod(this, &TDBGridGxScrollBar::ExtScrollBarWndProc);
        hooked_ = true;
        if (grid_) Value->FreeNotification(grid_);
        bar->SetVisible(Visible());
    }
    if (grid_ && !grid_->IsDestroying()) {
        if (kind_ == SB_VERT) grid_->UpdateScrollBar();
        grid_->LayoutChanged();
    }
}

void TDBGridGxScrollBar::SetVisible(bool Value) { SetVisibleMode(Value ? sbAutoShowGx : sbNeverShowGx); }

void TDBGridGxScrollBar::SetVisibleMode(TScrollBarVisibleModeGx Value) {
    if (Value == visibleMode_) return;
    visibleMode_ = Value;
    if (auto* bar = dynamic_cast<TControl*>(extScrollBar_)) bar->SetVisible(Visible());
    if (!grid_ || grid_->IsDestroying()) return;
    if (kind_ == SB_VERT) grid_->UpdateScrollBar();
    grid_->LayoutChanged();
}

bool TDBGridGxScrollBar::IsScrollBarShowing() {
    if (extScrollBar_) {
        auto* control = dynamic_cast<TControl*>(extScrollBar_);
        return control && control->Visible();
    }
    if (!Visible() || !grid_ || !grid_->HandleAllocated()) return false;
    return IsScrollBarVisible(grid_->Handle(), kind_);
}

void TDBGridGxScrollBar::GetScrollInfo(SCROLLINFO& Info) {
    if (auto* bar = dynamic_cast<TScrollBar*>(extScrollBar_)) {
        Info.nMin = bar->Min();
        Info.nMax = bar->Max();
        Info.nPage = static_cast<UINT>(std::max(0, bar->PageSize()));
        Info.nPos = bar->Position();
        Info.nTrackPos = bar->Position();
        return;
    }
    Info.fMask = SIF_ALL;
    if (grid_ && grid_->HandleAllocated()) ::GetScrollInfo(grid_->Handle(), kind_, &Info);
}

void TDBGridGxScrollBar::SetExtParams(int Min, int Max, int Page, int Pos) {
    auto* bar = dynamic_cast<TScrollBar*>(extScrollBar_);
    if (!bar) return;
    bar->SetPageSize(0);
    bar->SetParams(std::clamp(Pos, Min, std::max(Min, Max)), std::min(Min, Max), std::max(Min, Max));
    bar->SetPageSize(Page);
}

// ---------------------------------------------------------------------------
// Bars of the grid

void TCustomDBGridGx::UpdateScrollBar() {
    if (!dataLink_ || !HandleAllocated() || DirectRecordAccess()) return;
    TScrollBarVisibleModeGx mode = vertScrollBar_->VisibleMode();
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (mode == sbAlwaysShowGx) si.fMask |= SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = 1;
    si.nPage = 2;
    si.nPos = 0;
    if (dataLink_->Active()) {
        TDataSet* ds = dataLink_->DataSet();
        if (sumList_->IsSequenced()) {
            si.nMin = 1;
            si.nPage = static_cast<UINT>(VisibleDataRowCount());
            si.nMax = sumList_->GetRecordCount() + static_cast<int>(si.nPage) - 1;
            if (ds->State() == dsEdit || ds->State() == dsInsert) {
                SCROLLINFO cur;
                cur.fMask = SIF_POS;
                ::GetScrollInfo(Handle(), SB_VERT, &cur);
                si.nPos = cur.nPos;
            } else {
                si.nPos = sumList_->GetRecNo();
            }
        } else {
            si.nMin = 0;
            si.nMax = 4;
            si.nPage = 0;
            si.nPos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
        }
    }
    int extMax = si.nMax;
    bool external = vertScrollBar_->ExtScrollBar() != nullptr;
    if (!vertScrollBar_->Visible() || external) si.nMax = si.nMin;
    // What the window shows now: a window made again starts with an empty bar.
    SCROLLINFO shown;
    shown.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    ::GetScrollInfo(Handle(), SB_VERT, &shown);
    bool same = shown.nMin == si.nMin && shown.nMax == si.nMax && shown.nPage == si.nPage && shown.nPos == si.nPos &&
                lastVisibleMode_ == mode;
    if (!same) {
        bool fits = si.nMax - si.nMin + 1 <= static_cast<int>(si.nPage) || si.nMax <= si.nMin;
        if (mode == sbAlwaysShowGx && !external) {
            ShowScrollBar(Handle(), SB_VERT, 1);
            EnableScrollBar(Handle(), SB_VERT, fits ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
        } else if (lastVisibleMode_ != mode && fits) {
            EnableScrollBar(Handle(), SB_VERT, ESB_ENABLE_BOTH);
            ShowScrollBar(Handle(), SB_VERT, 0);
        }
        SetScrollInfo(Handle(), SB_VERT, &si, 1);
        lastVisibleMode_ = mode;
    }
    if (external) vertScrollBar_->SetExtParams(si.nMin, extMax, static_cast<int>(si.nPage), si.nPos);
}

void TCustomDBGridGx::UpdateHorzScrollBar() {
    auto* bar = dynamic_cast<TScrollBar*>(horzScrollBar_->ExtScrollBar());
    if (!bar || !HandleAllocated()) return;
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridCoord maxTopLeft = CalcMaxTopLeft(TGridCoord{ColCount() - 1, 0}, info);
    int range = maxTopLeft.X - FixedCols();
    int max = range > 0 ? 127 : 0;
    int pos = range > 0 ? MulDiv(LeftCol() - FixedCols(), 127, range) : 0;
    if (bar->Min() == 0 && bar->Max() == max && bar->Position() == pos && bar->PageSize() == 0) return;
    horzScrollBar_->SetExtParams(0, max, 0, pos);
}

void TCustomDBGridGx::ResetScrollBarCache() { lastVisibleMode_ = -1; }

// ---------------------------------------------------------------------------
// Scroll messages

void TCustomDBGridGx::ThumbToRecord(int Pos) {
    TDataSet* ds = dataLink_->DataSet();
    int page = VisibleDataRowCount();
    if (sumList_->IsSequenced()) {
        if (Pos <= 1) ds->First();
        else if (Pos >= sumList_->GetRecordCount()) ds->Last();
        else sumList_->SetRecNo(Pos);
        return;
    }
    switch (Pos) {
        case 0: ds->First(); break;
        case 1: dataLink_->MoveBy(-page); break;
        case 3: dataLink_->MoveBy(page); break;
        case 4: ds->Last(); break;
        default: break;
    }
}

void TCustomDBGridGx::WMVScroll(TMessage& Message) {
    if (!dataLink_->Active()) return;
    if (DirectRecordAccess()) {
        TCustomGrid::WMVScroll(Message);
        return;
    }
    TDataSet* ds = dataLink_->DataSet();
    int code = LOWORD(Message.WParam);
    switch (code) {
        case SB_LINEUP: dataLink_->MoveBy(-dataLink_->ActiveRecord() - 1); break;
        case SB_LINEDOWN: dataLink_->MoveBy(dataLink_->RecordCount() - dataLink_->ActiveRecord()); break;
        case SB_PAGEUP: dataLink_->MoveBy(-VisibleDataRowCount()); break;
        case SB_PAGEDOWN: dataLink_->MoveBy(VisibleDataRowCount()); break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            if (code == SB_THUMBTRACK && !vertScrollBar_->Tracking()) break;
            if (code == SB_THUMBPOSITION && skipThumbPosition_) {
                skipThumbPosition_ = false;
                break;
            }
            // The message holds 16 bits of the position; the bar's track
            // position has all of them (more than 65535 records).
            int pos = HIWORD(Message.WParam);
            if (!extScrollMessage_) {
                SCROLLINFO si;
                si.fMask = SIF_TRACKPOS;
                vertScrollBar_->GetScrollInfo(si);
                if ((si.nTrackPos & 0xFFFF) == pos) pos = si.nTrackPos;
            }
            ThumbToRecord(pos);
            break;
        }
        case SB_TOP: ds->First(); break;
        case SB_BOTTOM: ds->Last(); break;
        default: break;
    }
}

void TCustomDBGridGx::WMHScroll(TMessage& Message) {
    if (horzScrollBar_->Tracking() && LOWORD(Message.WParam) == SB_THUMBTRACK)
        Message.WParam = MAKEWPARAM(SB_THUMBPOSITION, HIWORD(Message.WParam));
    TCustomGrid::WMHScroll(Message);
    UpdateHorzScrollBar();
}

bool TCustomDBGridGx::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TControl::DoMouseWheelDown(Shift, MousePos)) return true;
    if (dataLink_->Active()) dataLink_->MoveBy(1);
    return true;
}

bool TCustomDBGridGx::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TControl::DoMouseWheelUp(Shift, MousePos)) return true;
    if (dataLink_->Active()) dataLink_->MoveBy(-1);
    return true;
}

void TCustomDBGridGx::TimedScroll(int Direction) {
    if (dataLink_->Active()) {
        if (Direction & 4) dataLink_->MoveBy(-dataLink_->ActiveRecord() - 1);
        if (Direction & 8) dataLink_->MoveBy(dataLink_->RecordCount() - dataLink_->ActiveRecord());
    }
    TCustomGrid::TimedScroll(Direction & 3);
}

// ---------------------------------------------------------------------------
// The data link moved

void TCustomDBGridGx::Scroll(int Distance) {
    if (DirectRecordAccess() || !HandleAllocated() || IsDestroying()) return;
    int oldRow = Row();
    if (dataLink_->Active() && dataLink_->RecordCount() != DataRowCount()) UpdateRowCount();
    bool wasShowing = vertScrollBar_->IsScrollBarShowing();
    UpdateScrollBar();
    if (wasShowing != vertScrollBar_->IsScrollBarShowing() && autoFitColWidths_ && !Designing()) DeferLayout();
    UpdateActive();
    InvalidateRow(oldRow);
    if (Distance != 0) {
        HideEditor();
        if (std::abs(Distance) > VisibleDataRowCount()) {
            Invalidate();
        } else {
            // Moving the pixels gives the same picture as repainting the data rows.
            int last = LastDataRow();
            TRect r = BoxRect(0, titleOffset_, ColCount() - 1, std::max(titleOffset_, last));
            r.Left = 0;
            r.Right = ClientWidth();
            r.Bottom += GridLineWidth();
            int rowStep = DefaultRowHeight() + GridLineWidth();
            ScrollWindow(Handle(), 0, -Distance * rowStep, &r, &r);
            if (indicatorOffset_ > 0) InvalidateCell(0, Row());
            bool duplicates = false;
            for (int i = 0; !duplicates && i < columns_->Count(); ++i) duplicates = columns_->Items(i)->HideDuplicates();
            if (duplicates) InvalidateRow(titleOffset_);
        }
        if (dbOptions_.Contains(dgAlwaysShowEditor)) ShowEditor();
    }
    InvalidateFooter();
    if (layoutLock_ == 0) Update();
}

void TCustomDBGridGx::UpdateActive() {
    if (!insideSearchPositioning_ && incSearching_) StopIncrementalSearch();
    if (DirectRecordAccess() || !dataLink_->Active() || !HandleAllocated() || Loading()) return;
    int row = titleOffset_ + dataLink_->ActiveRecord();
    if (row != Row() && row < RowCount()) {
        if (!dbOptions_.Contains(dgAlwaysShowEditor)) HideEditor();
        MoveColRow(Col(), row, false, false);
        InvalidateEditor();
    } else if (InplaceEditor() && InplaceEditor()->Visible()) {
        TField* f = SelectedField();
        if (f && f->Text() != InplaceEditor()->Text() && !dataLink_->IsModified()) InvalidateEditor();
    }
}

// ---------------------------------------------------------------------------
// The view kept across a walk of the data set

void TCustomDBGridGx::SaveBookmark() {
    if (!dataLink_->Active()) return;
    int visible = dataLink_->RecordCount();
    int n = dataLink_->ActiveRecord() - visible / 2 + (visible + 1) % 2;
    int moved = dataLink_->DataSet()->MoveBy(-n);
    savedBookmark_ = dataLink_->DataSet()->Bookmark();
    dataLink_->DataSet()->MoveBy(-moved);
    savedBookmarkOffset_ = -moved;
}

void TCustomDBGridGx::RestoreBookmark() {
    if (!dataLink_->Active() || savedBookmark_.empty()) return;
    TDataSet* ds = dataLink_->DataSet();
    ds->GotoBookmark(savedBookmark_);
    ds->MoveBy(savedBookmarkOffset_);
}
