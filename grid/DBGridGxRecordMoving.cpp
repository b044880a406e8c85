// Record moving: a press on a selected record's indicator (with
// dghRecordMoving) drags the record, or all selected records, to another
// place. A line shows where they would land: at the top edge of the target
// row when moving up, at its bottom edge when moving down, and for trees
// from the drop level's indent. The move itself belongs to the data set: the
// grid asks OnMoveRecords or, by default, the shared data service.
#include "grid/DBGridGx.h"
#include "grid/DBGridGxDataService.h"
#include "grid/DBGridGxTreeNodes.h"
#include "grid/DbUtilsGx.h"

namespace {

constexpr int kMovingTimerInterval = 60;
constexpr int kMovingLineWidth = 5;

}  // namespace

bool TCustomDBGridGx::CanBeginRecordMoving() { return true; }

bool TCustomDBGridGx::CheckBeginRecordMoving(int X, int Y, bool OnlyTest) {
    if (!DataLinkActive() || !optionsGx_.Contains(dghRecordMoving) || indicatorOffset_ == 0) return false;
    TDataSet* ds = dataLink_->DataSet();
    TGridCoord cell = MouseCoord(X, Y);
    if (cell.X != 0 || cell.Y < titleOffset_ || cell.Y > LastDataRow() || ds->IsEmpty()) return false;
    if (cell.Y - titleOffset_ >= dataLink_->RecordCount()) return false;
    ActivateDrawRow(cell.Y);
    const TBookmarkStr bookmark = ds->Bookmark();
    RestoreDrawRow();
    if (allowedSelections_.Contains(gstRecordBookmarks)) {
        if (KeyboardStateToShiftState() & (ssShift | ssCtrl | ssAlt)) return false;
        if (selectedRows_->IndexOf(bookmark) < 0) return false;
    }
    if (OnlyTest) return true;
    movingStartRow_ = movingTargetRow_ = cell.Y;
    movingBookmark_ = bookmark;
    if (CanBeginRecordMoving()) {
        gridDragState_ = 7;
        PlaceMovingTarget(X, Y);
        Invalidate();
        StartTimer(kMovingTimerInterval);
        SetMouseCapture(true);
    }
    return true;
}

int TCustomDBGridGx::GetRowTreeNodeInfo(int Row, int X, int& Level) {
    TRect r = CellRect(indicatorOffset_, Row);
    TTreeNodeRowGx node;
    if (ITreeNodesGx* tree = TreeNodes()) {
        ActivateDrawRow(Row);
        tree->GetTreeNode(node);
        RestoreDrawRow();
    }
    Level = std::max(1, std::min((X - r.Left) / kTreeIndentLevelGx + 1, node.Level + 1));
    return r.Left + (Level - 1) * kTreeIndentLevelGx;
}

// The target under the pointer (the first or last data row when it is outside
// them), the drop offset, and where the line goes.
void TCustomDBGridGx::PlaceMovingTarget(int X, int Y) {
    const int first = titleOffset_;
    const int last = titleOffset_ + std::max(dataLink_->RecordCount(), 1) - 1;
    TRect box = DataBox();
    int row = MouseCoord(std::max(X, box.Left), Y).Y;
    if (Y < box.Top || row < first) row = first;
    if (Y >= box.Bottom || row > last) row = last;
    movingTargetRow_ = row;
    TRect r = CellRect(0, row);
    if (TreeViewActive()) {
        movingLineX_ = GetRowTreeNodeInfo(row, X, movingOffset_);
        movingLineY_ = r.Bottom;
        return;
    }
    ActivateDrawRow(row);
    const TBookmarkStr target = dataLink_->DataSet()->Bookmark();
    RestoreDrawRow();
    const bool up = DataSetCompareBookmarks(dataLink_->DataSet(), target, movingBookmark_) <= 0;
    movingOffset_ = up ? 0 : 1;
    movingLineX_ = 0;
    movingLineY_ = up ? r.Top : r.Bottom;
}

void TCustomDBGridGx::DrawMovingLine() {
    if (movingLineY_ < 0) return;
    TCanvas* canvas = Canvas();
    TPen* pen = canvas->Pen();
    const TPenStyle style = pen->Style();
    const TPenMode mode = pen->Mode();
    const int width = pen->Width();
    const TColor color = pen->Color();
    pen->SetStyle(psDot);
    pen->SetMode(pmXor);
    pen->SetWidth(kMovingLineWidth);
    pen->SetColor(clWhite);
    canvas->MoveTo(movingLineX_, movingLineY_);
    canvas->LineTo(ClientWidth(), movingLineY_);
    pen->SetStyle(style);
    pen->SetMode(mode);
    pen->SetWidth(width);
    pen->SetColor(color);
}

void TCustomDBGridGx::RecordMovingTimerScroll() {
    if (gridDragState_ != 7 || !DataLinkActive()) return;
    const TPoint p = lastMousePos_;
    TRect box = DataBox();
    // Outside the data rows the records scroll one step per tick, faster farther away.
    int step = 0;
    if (p.Y < box.Top) step = -std::max(1, (box.Top - p.Y) / kTreeIndentLevelGx);
    else if (p.Y >= box.Bottom) step = std::max(1, (p.Y - box.Bottom) / kTreeIndentLevelGx + 1);
    if (step != 0) {
        TDataSet* ds = dataLink_->DataSet();
        int current = dataLink_->ActiveRecord();
        int edge = step < 0 ? 0 : dataLink_->RecordCount() - 1;
        ds->MoveBy(edge - current);  // to the window's edge, then past it
        ds->MoveBy(step);
    }
    int oldY = movingLineY_;
    PlaceMovingTarget(p.X, p.Y);
    if (oldY != movingLineY_ || step != 0) Invalidate();
}

void TCustomDBGridGx::FinishRecordMoving(int X, int Y, bool Accept) {
    StopTimer();
    if (gridDragState_ == 7 && Accept) PlaceMovingTarget(X, Y);
    const int target = movingTargetRow_;
    const int offset = movingOffset_;
    const bool moving = gridDragState_ == 7;
    gridDragState_ = 0;
    movingLineY_ = -1;
    if (MouseCapture()) SetMouseCapture(false);
    Invalidate();
    if (moving && Accept && (target != movingStartRow_ || TreeViewActive()))
        MoveSelectedRecords(target - titleOffset_, offset, false);
}

bool TCustomDBGridGx::MoveSelectedRecords(int Target, int Offset, bool OnlyTest) {
    TStringList bookmarks;
    if (selectedRows_->Count() > 0) {
        for (int i = 0; i < selectedRows_->Count(); ++i) bookmarks.Add(selectedRows_->Items(i));
    } else {
        bookmarks.Add(movingBookmark_);
    }
    std::vector<TBookmarkStr> before;
    for (int i = 0; i < bookmarks.Count(); ++i) before.push_back(bookmarks.Strings(i));
    bool moved = false;
    try {
        moved = MoveRecords(&bookmarks, Target, Offset, OnlyTest);
    } catch (...) {
        // A refused move was taken back; records put in again stay selected.
        for (int i = 0; i < bookmarks.Count() && i < static_cast<int>(before.size()); ++i)
            if (bookmarks.Strings(i) != before[static_cast<size_t>(i)])
                selectedRows_->Renamed(before[static_cast<size_t>(i)], bookmarks.Strings(i));
        throw;
    }
    // Moved records are new rows: the old bookmarks name nothing now.
    if (moved && !OnlyTest) selectedRows_->Clear();
    return moved;
}

bool TCustomDBGridGx::MoveRecords(TStrings* Bookmarks, int Target, int Offset, bool OnlyTest) {
    if (!DataLinkActive()) return false;
    // Target is a data row here; the data set counts records from 1.
    ActivateDrawRow(Target + titleOffset_);
    const int recNo = dataLink_->DataSet()->RecNo();
    RestoreDrawRow();
    if (OnMoveRecords) return OnMoveRecords(this, Bookmarks, recNo, Offset, OnlyTest);
    return DefaultMoveRecords(Bookmarks, recNo, Offset, OnlyTest);
}

// The data set leaves the first moved record current; the view is then brought
// back to where it stood at the drop (its middle record, as SaveBookmark keeps
// it), so the rows do not jump and the cursor lands on the moved record.
bool TCustomDBGridGx::DefaultMoveRecords(TStrings* Bookmarks, int Target, int Offset, bool OnlyTest) {
    TDBGridGxDataService* service = DBGridGxDataService();
    if (OnlyTest || !DataLinkActive()) return service->MoveRecords(this, Bookmarks, Target, Offset, OnlyTest);
    TDataSet* ds = dataLink_->DataSet();
    SaveBookmark();
    const TBookmarkStr middle = savedBookmark_;
    if (!service->MoveRecords(this, Bookmarks, Target, Offset, false)) return false;
    if (middle.empty() || !ds->Active() || ds->IsEmpty() || !ds->BookmarkValid(middle)) return true;
    const TBookmarkStr moved = ds->Bookmark();
    const int movedRecNo = ds->RecNo();
    ds->GotoBookmark(middle);
    if (movedRecNo > 0 && ds->RecNo() > 0) ds->MoveBy(movedRecNo - ds->RecNo());
    if (ds->Bookmark() != moved) ds->GotoBookmark(moved);  // no record numbers: the moved record, centred
    return true;
}
