// The grid's selection: the selected rows (kept in the data set's bookmark
// order, so that a walk over them follows the records), a rectangle of cells,
// a set of columns or everything, and the row extension that keys, the mouse
// and the auto-scroll timer share.
#include "grid/DBGridGx.h"

#include <algorithm>
#include <vector>

#include "grid/DbUtilsGx.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

// The on-screen rows of a link's record window, each with its record's bookmark.
std::vector<TBookmarkStr> ScreenBookmarks(TCustomDBGridGx* Grid) {
    std::vector<TBookmarkStr> result;
    TGridDataLinkGx* link = Grid->DataLink();
    if (!link->Active()) return result;
    TDataSet* ds = link->DataSet();
    int saved = link->ActiveRecord();
    auto restore = MakeScopeGuard([&] { link->SetActiveRecord(saved); });
    for (int r = 0; r < link->RecordCount(); ++r) {
        link->SetActiveRecord(r);
        result.push_back(ds->Bookmark());
    }
    return result;
}

bool IsNoRect(const TGridRect& R) { return R.Left < 0 || R.Top < 0; }

// Cells of A outside B, as at most four rectangles.
void AddDifference(const TGridRect& A, const TGridRect& B, std::vector<TGridRect>& Out) {
    if (IsNoRect(A)) return;
    int top = std::max(A.Top, B.Top), bottom = std::min(A.Bottom, B.Bottom);
    int left = std::max(A.Left, B.Left), right = std::min(A.Right, B.Right);
    if (IsNoRect(B) || top > bottom || left > right) {
        Out.push_back(A);
        return;
    }
    if (A.Top < top) Out.push_back(TGridRect(A.Left, A.Top, A.Right, top - 1));
    if (A.Bottom > bottom) Out.push_back(TGridRect(A.Left, bottom + 1, A.Right, A.Bottom));
    if (A.Left < left) Out.push_back(TGridRect(A.Left, top, left - 1, bottom));
    if (A.Right > right) Out.push_back(TGridRect(right + 1, top, A.Right, bottom));
}

}  // namespace

// ---------------------------------------------------------------------------
// TBookmarkListGx

TBookmarkListGx::TBookmarkListGx(TCustomDBGridGx* Grid) : grid_(Grid), list_(std::make_unique<TStringList>()) {
    list_->OnChange = TNotifyEvent(this, &TBookmarkListGx::ListChanged);
}

TBookmarkListGx::~TBookmarkListGx() { list_->OnChange = nullptr; }

void TBookmarkListGx::ListChanged(TObject*) { ResetFindCache(); }

void TBookmarkListGx::ResetFindCache() {
    cacheBookmark_.clear();
    cacheIndex_ = -1;
}

TBookmarkStr TBookmarkListGx::CurrentRow() const {
    if (!linkActive_ || !grid_->DataLink()->DataSet())
        throw EDBGridGxError("Cannot perform this operation on a closed dataset");
    return grid_->DataLink()->DataSet()->Bookmark();
}

int TBookmarkListGx::Compare(const TBookmarkStr& Item1, const TBookmarkStr& Item2) const {
    return DataSetCompareBookmarks(grid_->DataLink()->DataSet(), Item1, Item2);
}

bool TBookmarkListGx::Find(const TBookmarkStr& Item, int& Index) const {
    if (Item == cacheBookmark_ && cacheIndex_ >= 0) {
        Index = cacheIndex_;
        return cacheFound_;
    }
    int low = 0, high = list_->Count() - 1;
    bool found = false;
    while (low <= high) {
        int i = (low + high) >> 1;
        int c = Compare(list_->Strings(i), Item);
        if (c < 0) {
            low = i + 1;
        } else {
            high = i - 1;
            if (c == 0) {
                found = true;
                low = i;
            }
        }
    }
    Index = low;
    cacheBookmark_ = Item;
    cacheIndex_ = low;
    cacheFound_ = found;
    return found;
}

int TBookmarkListGx::IndexOf(const TBookmarkStr& Item) const {
    int index;
    return Find(Item, index) ? index : -1;
}

bool TBookmarkListGx::CurrentRowSelected() const {
    int index;
    return Find(CurrentRow(), index);
}

void TBookmarkListGx::SetCurrentRowSelected(bool Value) {
    TBookmarkStr current = CurrentRow();
    int index;
    if (Find(current, index) == Value) return;
    if (Value) list_->Insert(index, current);
    else list_->Delete(index);
    grid_->InvalidateRow(grid_->Row());
    TDBGridGxSelection* selection = grid_->Selection();
    if (selection->SelectionType() != gstRecordBookmarks && list_->Count() > 0) {
        selection->Clear();
        selection->selectionType_ = gstRecordBookmarks;
    }
    selection->UpdateState();
    selection->SelectionChanged();
}

void TBookmarkListGx::Clear() {
    if (list_->Count() == 0) return;
    list_->Clear();
    grid_->Selection()->UpdateState();
    grid_->Invalidate();
    grid_->Selection()->SelectionChanged();
}

void TBookmarkListGx::Delete() {
    TDataSet* ds = grid_->DataLink()->DataSet();
    if (!ds) return;
    ds->DisableControls();
    {
        auto enable = MakeScopeGuard([&] {
            ds->EnableControls();
            grid_->Selection()->UpdateState();
        });
        for (int i = list_->Count() - 1; i >= 0; --i) {
            ds->GotoBookmark(list_->Strings(i));
            ds->Delete();
            list_->Delete(i);
        }
    }
}

void TBookmarkListGx::LinkActive(bool Value) {
    Clear();
    grid_->Selection()->UpdateState();
    linkActive_ = Value;
}

void TBookmarkListGx::Resort() {
    ResetFindCache();
    if (list_->Count() < 2 || !grid_->DataLink()->DataSet()) return;
    bool sorted = true;
    for (int i = 1; sorted && i < list_->Count(); ++i)
        if (Compare(list_->Strings(i - 1), list_->Strings(i)) > 0) sorted = false;
    if (sorted) return;
    std::vector<TBookmarkStr> items;
    items.reserve(static_cast<size_t>(list_->Count()));
    for (int i = 0; i < list_->Count(); ++i) items.push_back(list_->Strings(i));
    std::stable_sort(items.begin(), items.end(),
                     [this](const TBookmarkStr& a, const TBookmarkStr& b) { return Compare(a, b) < 0; });
    list_->BeginUpdate();
    list_->Clear();
    for (const TBookmarkStr& b : items) list_->Add(b);
    list_->EndUpdate();
    ResetFindCache();
}

void TBookmarkListGx::Renamed(const TBookmarkStr& Was, const TBookmarkStr& Now) {
    int at = -1;
    for (int i = 0; i < list_->Count() && at < 0; ++i)
        if (list_->Strings(i) == Was) at = i;
    if (at < 0) return;
    // The list's change event forgets the last search.
    list_->Delete(at);
    int index;
    if (!Find(Now, index)) list_->Insert(index, Now);
    grid_->Invalidate();
}

TGridRect TBookmarkListGx::GetGridRect() {
    if (!grid_->DataLink()->Active() || list_->Count() == 0) return kNoGridRect;
    std::vector<TBookmarkStr> rows = ScreenBookmarks(grid_);
    int first = -1, last = -1;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        int index;
        if (!Find(rows[static_cast<size_t>(r)], index)) continue;
        if (first < 0) first = r;
        last = r;
    }
    if (first < 0) return kNoGridRect;
    return TGridRect(0, first + grid_->TitleOffset(), grid_->ColCount() - 1, last + grid_->TitleOffset());
}

// ---------------------------------------------------------------------------
// TDBGridGxSelectionRect

void TDBGridGxSelectionRect::CheckLink(const char* Error) const {
    TGridDataLinkGx* link = grid_->DataLink();
    if (!grid_->DataSource() || !link->DataSet() || !link->Active()) throw EDBGridGxError(Error);
}

int TDBGridGxSelectionRect::CompareRows(const TBookmarkStr& A, const TBookmarkStr& B) const {
    return DataSetCompareBookmarks(grid_->DataLink()->DataSet(), A, B);
}

TBookmarkStr TDBGridGxSelectionRect::TopRow() const {
    CheckLink("Error in TDBGridGxSelectionRect.GetBottomRow");
    return CompareRows(anchorBookmark_, shiftBookmark_) <= 0 ? anchorBookmark_ : shiftBookmark_;
}

TBookmarkStr TDBGridGxSelectionRect::BottomRow() const {
    CheckLink("Error in TDBGridGxSelectionRect.GetBottomRow");
    return CompareRows(anchorBookmark_, shiftBookmark_) <= 0 ? shiftBookmark_ : anchorBookmark_;
}

int TDBGridGxSelectionRect::LeftCol() const {
    CheckLink("Error in TDBGridGxSelectionRect.GetBottomRow");
    return std::min(anchorCol_, shiftCol_);
}

int TDBGridGxSelectionRect::RightCol() const {
    CheckLink("Error in TDBGridGxSelectionRect.GetBottomRow");
    return std::max(anchorCol_, shiftCol_);
}

bool TDBGridGxSelectionRect::CellSelected(int DataCol, const TBookmarkStr& Bookmark) const {
    CheckLink("Error in function TDBGridGxSelectionRect.CellSelected");
    TBookmarkStr top = TopRow(), bottom = BottomRow();
    return CompareRows(top, Bookmark) <= 0 && CompareRows(bottom, Bookmark) >= 0 && LeftCol() <= DataCol &&
           DataCol <= RightCol();
}

TGridRect TDBGridGxSelectionRect::RectOf(int Col1, const TBookmarkStr& Row1, int Col2, const TBookmarkStr& Row2) {
    if (Col1 < 0 || Col2 < 0 || !grid_->DataLink()->Active()) return kNoGridRect;
    bool ordered = CompareRows(Row1, Row2) <= 0;
    const TBookmarkStr& top = ordered ? Row1 : Row2;
    const TBookmarkStr& bottom = ordered ? Row2 : Row1;
    std::vector<TBookmarkStr> rows = ScreenBookmarks(grid_);
    int first = -1, last = -1;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const TBookmarkStr& b = rows[static_cast<size_t>(r)];
        if (first < 0 && CompareRows(b, top) >= 0) first = r;
        if (CompareRows(b, bottom) <= 0) last = r;
    }
    if (first < 0 || last < 0 || last < first) return kNoGridRect;
    return TGridRect(grid_->DataToRawColumn(std::min(Col1, Col2)), first + grid_->TitleOffset(),
                     grid_->DataToRawColumn(std::max(Col1, Col2)), last + grid_->TitleOffset());
}

TGridRect TDBGridGxSelectionRect::GetGridRect() {
    return RectOf(anchorCol_, anchorBookmark_, shiftCol_, shiftBookmark_);
}

void TDBGridGxSelectionRect::Select(int DataCol, const TBookmarkStr& Bookmark, bool KeepAnchor) {
    TDBGridGxSelection* selection = grid_->Selection();
    if (selection->SelectionType() != gstRectangle) selection->Clear();
    bool hadWindow = grid_->HandleAllocated();
    // A one-cell rectangle was painted as no selection.
    bool wasShown = hadWindow && selection->SelectionType() == gstRectangle;
    TGridRect oldRect = wasShown ? GetGridRect() : kNoGridRect;
    if (anchorCol_ < 0 || !KeepAnchor) {
        anchorCol_ = DataCol;
        anchorBookmark_ = Bookmark;
    }
    shiftCol_ = DataCol;
    shiftBookmark_ = Bookmark;
    bool oneCell = anchorCol_ == shiftCol_ && CompareRows(anchorBookmark_, shiftBookmark_) == 0;
    selection->selectionType_ = oneCell ? gstNon : gstRectangle;
    if (!hadWindow) return;
    TGridRect newRect = oneCell ? kNoGridRect : GetGridRect();
    std::vector<TGridRect> changed;
    AddDifference(oldRect, newRect, changed);
    AddDifference(newRect, oldRect, changed);
    for (const TGridRect& r : changed) grid_->InvalidateGridRect(r);
    selection->SelectionChanged();
}

void TDBGridGxSelectionRect::Clear() {
    anchorCol_ = shiftCol_ = -1;
    anchorBookmark_.clear();
    shiftBookmark_.clear();
    grid_->Invalidate();
    grid_->Selection()->SelectionChanged();
}

// ---------------------------------------------------------------------------
// TDBGridGxSelectionCols

void TDBGridGxSelectionCols::AddInOrder(TColumnGx* Column) {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Index() > Column->Index()) {
            Insert(i, Column);
            return;
        }
    Add(Column);
}

void TDBGridGxSelectionCols::ClearOtherKind() {
    TDBGridGxSelection* selection = grid_->Selection();
    if (selection->SelectionType() != gstColumns && selection->SelectionType() != gstNon) selection->Clear();
}

void TDBGridGxSelectionCols::SetKindFromList() {
    grid_->Selection()->selectionType_ = Count() > 0 ? gstColumns : gstNon;
}

void TDBGridGxSelectionCols::Select(TColumnGx* Column, bool AddToSelection) {
    ClearOtherKind();
    if (!AddToSelection) {
        for (int i = 0; i < Count(); ++i) grid_->InvalidateCol(grid_->DataToRawColumn(Items(i)->Index()));
        TColumnsGxList::Clear();
    }
    if (IndexOf(Column) < 0) AddInOrder(Column);
    grid_->InvalidateCol(grid_->DataToRawColumn(Column->Index()));
    anchor_ = shift_ = Column;
    grid_->Selection()->selectionType_ = gstColumns;
    extension_.Clear();
    grid_->Selection()->SelectionChanged();
}

void TDBGridGxSelectionCols::InvertSelect(TColumnGx* Column) {
    ClearOtherKind();
    int i = IndexOf(Column);
    if (i >= 0) Delete(i);
    else AddInOrder(Column);
    grid_->InvalidateCol(grid_->DataToRawColumn(Column->Index()));
    anchor_ = shift_ = Column;
    SetKindFromList();
    extension_.Clear();
    grid_->Selection()->SelectionChanged();
}

void TDBGridGxSelectionCols::SelectShift(TColumnGx* Column) {
    ClearOtherKind();
    if (!anchor_) {
        Select(Column, true);
        return;
    }
    TDBGridColumnsGx* columns = grid_->Columns();
    TColumnGx* from = shift_ ? shift_ : anchor_;
    int a = anchor_->Index(), s = from->Index(), target = Column->Index();
    bool anchorSelected = IndexOf(anchor_) >= 0;
    int step = target > s ? 1 : -1;
    for (int i = s; i != target;) {
        int next = i + step;
        // Moving away from the anchor marks the column stepped onto; moving
        // back restores the column stepped off.
        bool away = std::abs(next - a) > std::abs(i - a);
        int changedIndex = away ? next : i;
        if (changedIndex >= 0 && changedIndex < columns->Count() && changedIndex != a) {
            TColumnGx* c = columns->Items(changedIndex);
            bool changed = false;
            if (away) {
                bool listed = IndexOf(c) >= 0;
                if (anchorSelected && !listed && c->Visible()) {
                    AddInOrder(c);
                    extension_.Add(c);
                    changed = true;
                } else if (!anchorSelected && listed) {
                    Remove(c);
                    extension_.Add(c);
                    changed = true;
                }
            } else if (extension_.IndexOf(c) >= 0) {
                if (IndexOf(c) >= 0) Remove(c);
                else AddInOrder(c);
                extension_.Remove(c);
                changed = true;
            }
            if (changed) {
                grid_->InvalidateCol(grid_->DataToRawColumn(changedIndex));
                grid_->Selection()->SelectionChanged();
            }
        }
        i = next;
    }
    shift_ = Column;
    SetKindFromList();
}

void TDBGridGxSelectionCols::Clear() {
    for (int i = 0; i < Count(); ++i) grid_->InvalidateCol(grid_->DataToRawColumn(Items(i)->Index()));
    TColumnsGxList::Clear();
    anchor_ = shift_ = nullptr;
    extension_.Clear();
    grid_->Selection()->SelectionChanged();
}

void TDBGridGxSelectionCols::Refresh() {
    TDBGridColumnsGx* columns = grid_->Columns();
    for (int i = Count() - 1; i >= 0; --i) {
        bool present = false;
        for (int k = 0; !present && k < columns->Count(); ++k) present = columns->Items(k) == Items(i);
        if (!present) Delete(i);
    }
    std::vector<TColumnGx*> items;
    for (int i = 0; i < Count(); ++i) items.push_back(Items(i));
    std::stable_sort(items.begin(), items.end(), [](TColumnGx* a, TColumnGx* b) { return a->Index() < b->Index(); });
    TColumnsGxList::Clear();
    for (TColumnGx* c : items) Add(c);
    bool anchorKept = false;
    for (int k = 0; anchor_ && !anchorKept && k < columns->Count(); ++k) anchorKept = columns->Items(k) == anchor_;
    if (!anchorKept) anchor_ = shift_ = nullptr;
}

TGridRect TDBGridGxSelectionCols::GetGridRect() {
    if (Count() == 0) return kNoGridRect;
    int low = Items(0)->Index(), high = low;
    for (int i = 1; i < Count(); ++i) {
        low = std::min(low, Items(i)->Index());
        high = std::max(high, Items(i)->Index());
    }
    return TGridRect(grid_->DataToRawColumn(low), 0, grid_->DataToRawColumn(high), grid_->RowCount());
}

// ---------------------------------------------------------------------------
// TDBGridGxSelection

TDBGridGxSelection::TDBGridGxSelection(TCustomDBGridGx* Grid)
    : columns_(std::make_unique<TDBGridGxSelectionCols>(Grid)),
      grid_(Grid),
      rect_(std::make_unique<TDBGridGxSelectionRect>(Grid)) {}

TDBGridGxSelection::~TDBGridGxSelection() = default;

TBookmarkListGx* TDBGridGxSelection::Rows() const { return grid_->SelectedRows(); }

void TDBGridGxSelection::SetSelectionType(TDBGridGxSelectionType Value) {
    if (Value == selectionType_) return;
    selectionType_ = Value;
    grid_->InvalidateEditor();
}

void TDBGridGxSelection::Clear() {
    switch (selectionType_) {
        case gstRecordBookmarks: Rows()->Clear(); break;
        case gstRectangle: rect_->Clear(); break;
        case gstColumns: columns_->Clear(); break;
        case gstAll: grid_->Invalidate(); break;
        default: break;
    }
    selectionType_ = gstNon;
    if (grid_->Options().Contains(dgAlwaysShowEditor) && grid_->EditorAlwaysShown()) grid_->ShowEditor();
}

void TDBGridGxSelection::SelectAll() {
    if (selectionType_ == gstAll) return;
    Clear();
    selectionType_ = gstAll;
    grid_->Invalidate();
    SelectionChanged();
}

void TDBGridGxSelection::UpdateState() {
    if ((selectionType_ == gstRecordBookmarks && Rows()->Count() == 0) ||
        (selectionType_ == gstColumns && columns_->Count() == 0)) {
        selectionType_ = gstNon;
        grid_->Invalidate();
    }
}

bool TDBGridGxSelection::DataCellSelected(int DataCol, const TBookmarkStr& Bookmark) const {
    switch (selectionType_) {
        case gstRecordBookmarks: {
            int index;
            return Rows()->Find(Bookmark, index);
        }
        case gstRectangle: return DataCol >= 0 && rect_->CellSelected(DataCol, Bookmark);
        case gstColumns:
            return DataCol >= 0 && DataCol < grid_->Columns()->Count() &&
                   columns_->IndexOf(grid_->Columns()->Items(DataCol)) >= 0;
        case gstAll: return true;
        default: return false;
    }
}

TGridRect TDBGridGxSelection::GetGridRect() {
    switch (selectionType_) {
        case gstRecordBookmarks: return Rows()->GetGridRect();
        case gstRectangle: return rect_->GetGridRect();
        case gstColumns: return columns_->GetGridRect();
        default: return kNoGridRect;
    }
}

void TDBGridGxSelection::LinkActive(bool Value) {
    Rows()->LinkActive(Value);
    Clear();
}

void TDBGridGxSelection::SelectionChanged() {
    if (grid_->OnSelectionChanged) grid_->OnSelectionChanged(grid_);
}

// ---------------------------------------------------------------------------
// The grid's part: which kinds may arise, clearing, and row extension

bool TCustomDBGridGx::CanSelectType(TDBGridGxSelectionType Type) const {
    if (Type == gstNon) return true;
    if (!dbOptions_.Contains(dgMultiSelect) || !allowedSelections_.Contains(Type)) return false;
    if ((Type == gstRectangle || Type == gstColumns) && dbOptions_.Contains(dgRowSelect)) return false;
    return true;
}

void TCustomDBGridGx::ClearSelection() {
    if (dbOptions_.Contains(dgMultiSelect) && optionsGx_.Contains(dghClearSelection)) selectedRows_->Clear();
    selecting_ = false;
    if (selection_->SelectionType() != gstNon && optionsGx_.Contains(dghClearSelection)) {
        selection_->Clear();
        Invalidate();
        InvalidateEditor();
    }
}

TBookmarkStr TCustomDBGridGx::CurrentBookmark() const { return dataLink_->DataSet()->Bookmark(); }

void TCustomDBGridGx::DoSelection(bool Select, int Direction, bool ToEnd, bool RowOnly) {
    if (!dataLink_->Active()) return;
    TDataSet* ds = dataLink_->DataSet();
    if (ds->IsEmpty()) return;  // no record to select or to move to
    BeginUpdate();
    auto unlock = MakeScopeGuard([this] { EndUpdate(); });
    if (!RowOnly && !dbOptions_.Contains(dgRowSelect)) {
        // Cell grids grow a rectangle from the current cell.
        bool rect = Select && CanSelectType(gstRectangle);
        if (rect && selection_->SelectionType() != gstRectangle) {
            selection_->Rect()->Clear();
            selection_->Rect()->Select(SelectedIndex(), CurrentBookmark(), true);
        }
        if (ToEnd && Direction == 1) ds->Last();
        else if (ToEnd && Direction == -1) ds->First();
        else dataLink_->MoveBy(Direction);
        if (rect) selection_->Rect()->Select(SelectedIndex(), CurrentBookmark(), true);
        return;
    }
    bool extend = Select && CanSelectType(gstRecordBookmarks);
    int d = Direction >= 0 ? 1 : -1;
    int steps = ToEnd ? -1 : std::abs(Direction);
    for (int n = 0; steps < 0 || n < steps; ++n) {
        bool addAfter = false;
        if (dbOptions_.Contains(dgMultiSelect) && dataLink_->Active()) {
            if (!extend) {
                ClearSelection();
            } else if (!selecting_) {
                selectionAnchor_ = selectedRows_->CurrentRow();
                anchorPriorState_ = selectedRows_->CurrentRowSelected();
                selectedRows_->SetCurrentRowSelected(invertMode_ ? !anchorPriorState_ : true);
                selecting_ = true;
                addAfter = true;
            } else {
                addAfter = selectedRows_->Compare(selectedRows_->CurrentRow(), selectionAnchor_) != -d;
                if (!addAfter) selectedRows_->SetCurrentRowSelected(invertMode_ ? anchorPriorState_ : false);
            }
        }
        if (dataLink_->MoveBy(d) == 0) break;
        if (addAfter) selectedRows_->SetCurrentRowSelected(invertMode_ ? !anchorPriorState_ : true);
    }
}
