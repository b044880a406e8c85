// The grid's data link with its field map, the selected-rows list, the
// selection's kind, and the shared style registry.
#include <algorithm>
#include <cstdlib>

#include "grid/DBGridGx.h"
#include "grid/DbUtilsGx.h"

namespace {

constexpr int kMaxMapEntries = 0x0FFFFFFF;

}  // namespace

// ---------------------------------------------------------------------------
// TGridDataLinkGx

TGridDataLinkGx::TGridDataLinkGx(TCustomDBGridGx* Grid) : grid_(Grid) { SetVisualControl(true); }

TGridDataLinkGx::~TGridDataLinkGx() = default;

int TGridDataLinkGx::AddMapping(const AnsiString& FieldName) {
    if (mapSize_ >= kMaxMapEntries) throw EDBGridGxError("Grid requested to display more than 256 columns");
    TDataSet* ds = DataSet();
    TField* field = nullptr;
    if (ds) field = sparseMap_ ? ds->FindField(FieldName) : ds->FieldByName(FieldName);
    if (mapSize_ == mapCapacity_) {
        mapCapacity_ = mapCapacity_ == 0 ? 8 : std::min(mapCapacity_ * 2, kMaxMapEntries);
        fieldMap_.resize(static_cast<size_t>(mapCapacity_), -1);
    }
    fieldMap_[static_cast<size_t>(mapSize_)] = field ? field->Index() : -1;
    if (field) field->FreeNotification(grid_);
    return mapSize_++;
}

void TGridDataLinkGx::ClearMapping() { mapSize_ = 0; }

TField* TGridDataLinkGx::GetMappedField(int Index) const {
    if (Index < 0 || Index >= mapSize_) return nullptr;
    int fieldIndex = fieldMap_[static_cast<size_t>(Index)];
    TDataSet* ds = DataSet();
    if (fieldIndex < 0 || !ds || fieldIndex >= ds->FieldCount()) return nullptr;
    return ds->Fields()->Fields(fieldIndex);
}

bool TGridDataLinkGx::DefaultFields() const {
    TDataSet* ds = DataSet();
    if (!ds || !ds->DefaultFields()) return false;
    if (sparseMap_)
        for (int i = 0; i < mapSize_; ++i)
            if (fieldMap_[static_cast<size_t>(i)] < 0) return false;
    return true;
}

void TGridDataLinkGx::Reset() {
    if (modified_) RecordChanged(nullptr);
    else if (DataSet()) DataSet()->Cancel();
}

void TGridDataLinkGx::ActiveChanged() {
    if (grid_->IsDestroying()) return;
    grid_->LinkActive(Active());
    modified_ = false;
}

void TGridDataLinkGx::DataSetChanged() {
    if (grid_->IsDestroying()) return;
    grid_->DataChanged();
    modified_ = false;
}

void TGridDataLinkGx::DataSetScrolled(int Distance) {
    if (grid_->IsDestroying()) return;
    grid_->Scroll(Distance);
}

void TGridDataLinkGx::EditingChanged() {
    if (grid_->IsDestroying()) return;
    grid_->EditingChanged();
}

void TGridDataLinkGx::FocusControl(TField** Field) {
    if (!Field || !*Field || grid_->IsDestroying()) return;
    TDBGridColumnsGx* columns = grid_->Columns();
    bool moved = false;
    for (int i = 0; i < columns->Count(); ++i) {
        if (columns->Items(i)->Field() != *Field) continue;
        grid_->MoveCol(grid_->DataToRawColumn(i), 0, false);
        moved = grid_->SelectedIndex() == i;
        if (moved) break;
    }
    if (moved && grid_->AcquireFocus()) {
        *Field = nullptr;
        grid_->ShowEditor();
    }
}

void TGridDataLinkGx::LayoutChanged() {
    if (grid_->IsDestroying()) return;
    bool saved = grid_->layoutFromDataLink_;
    grid_->layoutFromDataLink_ = true;
    try {
        grid_->LayoutChanged();
    } catch (...) {
        grid_->layoutFromDataLink_ = saved;
        throw;
    }
    grid_->layoutFromDataLink_ = saved;
    TDataLink::LayoutChanged();
}

int TGridDataLinkGx::MoveBy(int Distance) {
    TDataSet* ds = DataSet();
    if (Active() && grid_->DirectRecordAccess() && std::abs(Distance) > 1 && ds->State() == dsBrowse) {
        int target = ds->RecNo() + Distance;
        if (target >= 1 && target <= ds->RecordCount()) {
            ds->SetRecNo(target);
            return Distance;
        }
    }
    return TDataLink::MoveBy(Distance);
}

void TGridDataLinkGx::RecordChanged(TField* Field) {
    if (grid_->IsDestroying()) return;
    grid_->RecordChanged(Field);
    modified_ = false;
}

void TGridDataLinkGx::UpdateData() {
    if (inUpdateData_) return;
    inUpdateData_ = true;
    try {
        if (modified_) grid_->UpdateData();
        modified_ = false;
    } catch (...) {
        inUpdateData_ = false;
        throw;
    }
    inUpdateData_ = false;
}

// ---------------------------------------------------------------------------
// TBookmarkListGx

TBookmarkListGx::TBookmarkListGx(TCustomDBGridGx* Grid) : grid_(Grid), list_(std::make_unique<TStringList>()) {
    list_->OnChange = TNotifyEvent(this, &TBookmarkListGx::ListChanged);
}

TBookmarkListGx::~TBookmarkListGx() { list_->OnChange = nullptr; }

void TBookmarkListGx::ListChanged(TObject*) {
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
    try {
        for (int i = list_->Count() - 1; i >= 0; --i) {
            ds->GotoBookmark(list_->Strings(i));
            ds->Delete();
            list_->Delete(i);
        }
    } catch (...) {
        ds->EnableControls();
        grid_->Selection()->UpdateState();
        throw;
    }
    ds->EnableControls();
    grid_->Selection()->UpdateState();
}

void TBookmarkListGx::LinkActive(bool Value) {
    Clear();
    grid_->Selection()->UpdateState();
    linkActive_ = Value;
}

TGridRect TBookmarkListGx::GetGridRect() {
    TGridRect result = kNoGridRect;
    TGridDataLinkGx* link = grid_->DataLink();
    if (!link->Active() || list_->Count() == 0) return result;
    TDataSet* ds = link->DataSet();
    int saved = link->ActiveRecord();
    int first = -1, last = -1;
    try {
        for (int r = 0; r < link->RecordCount(); ++r) {
            link->SetActiveRecord(r);
            int index;
            if (Find(ds->Bookmark(), index)) {
                if (first < 0) first = r;
                last = r;
            }
        }
    } catch (...) {
        link->SetActiveRecord(saved);
        throw;
    }
    link->SetActiveRecord(saved);
    if (first < 0) return result;
    return TGridRect(0, first + grid_->TitleOffset(), grid_->ColCount() - 1, last + grid_->TitleOffset());
}

// ---------------------------------------------------------------------------
// TDBGridGxSelection

TBookmarkListGx* TDBGridGxSelection::Rows() const { return grid_->SelectedRows(); }

void TDBGridGxSelection::SetSelectionType(TDBGridGxSelectionType Value) {
    if (Value == selectionType_) return;
    selectionType_ = Value;
    grid_->InvalidateEditor();
}

void TDBGridGxSelection::Clear() {
    switch (selectionType_) {
        case gstRecordBookmarks: Rows()->Clear(); break;
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
}

void TDBGridGxSelection::UpdateState() {
    if (selectionType_ == gstRecordBookmarks && Rows()->Count() == 0) {
        selectionType_ = gstNon;
        grid_->Invalidate();
    }
}

bool TDBGridGxSelection::DataCellSelected(int, const TBookmarkStr& Bookmark) const {
    switch (selectionType_) {
        case gstRecordBookmarks: {
            int index;
            return Rows()->Find(Bookmark, index);
        }
        case gstAll: return true;
        default: return false;
    }
}

TGridRect TDBGridGxSelection::GetGridRect() {
    if (selectionType_ == gstRecordBookmarks) return Rows()->GetGridRect();
    return kNoGridRect;
}

void TDBGridGxSelection::LinkActive(bool Value) {
    Rows()->LinkActive(Value);
    Clear();
}

void TDBGridGxSelection::SelectionChanged() {
    if (grid_->OnSelectionChanged) grid_->OnSelectionChanged(grid_);
}

