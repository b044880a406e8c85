// The grid's data link with its field map, the selected-rows list, the
// selection's kind, and the shared style registry.
#include <algorithm>
#include <cstdlib>

#include "grid/DBGridGx.h"
#include "grid/DbUtilsGx.h"
#include "platform/rtl/ScopeGuard.h"

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
    {
        TScopeGuard restore([&] { grid_->layoutFromDataLink_ = saved; });
        grid_->LayoutChanged();
    }
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
    {
        TScopeGuard reset([&] { inUpdateData_ = false; });
        if (modified_) grid_->UpdateData();
        modified_ = false;
    }
}

