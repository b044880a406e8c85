#include "platform/db/StMemoryDataset.h"

#include "platform/rtl/ScopeGuard.h"

#include <algorithm>
#include <exception>

namespace {

bool Editing(const TDataSet* DataSet) { return DataSet->State() == dsEdit || DataSet->State() == dsInsert; }

// The same field of another data set, or nullptr.
TField* Counterpart(TDataSet* DataSet, const TField* Field) {
    TField* f = DataSet->FindField(Field->FieldName());
    return f && f->FieldKind() == fkData ? f : nullptr;
}

// Several key values as Locate takes them.
Variant ArrayOf(const std::vector<Variant>& values) {
    Variant a = VarArrayCreate({0, static_cast<int>(values.size()) - 1}, varVariant);
    for (size_t i = 0; i < values.size(); ++i) VarArrayPut(a, values[i], {static_cast<int>(i)});
    return a;
}

}  // namespace

// ---------------------------------------------------------------------------
// The table

TStMemoryData::TStMemoryData(TComponent* AOwner) : TDataSet(AOwner) {}

TStMemoryData::~TStMemoryData() {
    for (TStMemoryRecord* r : records_) r->owner_ = nullptr;
}

void TStMemoryData::InternalOpen() {
    if (source_ && loadStructure_ && Fields()->Count() == 0) {
        if (!source_->Active()) source_->Open();
        TakeStructure(source_);
    }
    // Persistent fields define the columns when there are any.
    defsFromFields_ = false;
    if (FieldCount() > 0) {
        TakeStructure(this);
        defsFromFields_ = true;
    }
    for (int i = 0; i < FieldDefs()->Count(); ++i) {
        const TFieldDef& d = FieldDefs()->Items(i);
        switch (d.DataType) {
        case ftUnknown:
        case ftCursor:
        case ftADT:
        case ftArray:
        case ftReference:
        case ftDataSet:
        case ftVariant:
        case ftInterface:
        case ftIDispatch: DatabaseError("Field '" + d.Name + "' is of an unknown type");
        default: break;
        }
    }
    // The status of change tracking: the hidden last field, there only while
    // an apply mode is set.
    statusField_ = FindField(kStatusFieldName);
    if (applyMode_ == amNone) {
        if (FieldDefs()->IndexOf(kStatusFieldName) >= 0) {
            std::vector<TFieldDef> keep;
            for (int i = 0; i < FieldDefs()->Count(); ++i)
                if (FieldDefs()->Items(i).Name != kStatusFieldName) keep.push_back(FieldDefs()->Items(i));
            FieldDefs()->Clear();
            for (const TFieldDef& d : keep) FieldDefs()->Add(d.Name, d.DataType, d.Size, d.Required);
        }
        if (statusField_ && statusField_->Owner() == this) FreeObject(statusField_);
        statusField_ = nullptr;
    } else {
        if (FieldDefs()->IndexOf(kStatusFieldName) < 0) FieldDefs()->Add(kStatusFieldName, ftInteger);
        if (FieldCount() > 0 && !statusField_) {
            statusField_ = CreateFieldOfType(ftInteger, this);
            statusField_->SetFieldName(kStatusFieldName);
            statusField_->SetDataSet(this);
        }
    }
    BindFields();
    statusField_ = applyMode_ != amNone ? FindField(kStatusFieldName) : nullptr;
    if (statusField_) statusField_->SetVisible(false);
    autoIncValue_ = 1;
    deletedKeys_.clear();
    if (capacity_ > 0) ReserveRows(static_cast<size_t>(capacity_));
    if (source_ && loadRecords_) {
        if (!source_->Active()) source_->Open();
        LoadRows(source_);
    }
    if (source_ && dataSetClosed_) source_->Close();
}

void TStMemoryData::InternalClose() {
    autoIncValue_ = 1;
    deletedKeys_.clear();
    for (TStMemoryRecord* r : records_) r->owner_ = nullptr;
    records_.clear();
    if (defsFromFields_) FieldDefs()->Clear();
    defsFromFields_ = false;
}

void TStMemoryData::InternalPost(bool Inserting) {
    // Rows loaded from elsewhere (or moved) are no change of the user's.
    if (statusField_ && Inserting) {
        if (!loading_)
            SetGeneratedValue(statusField_, rsInserted);
        else if (statusField_->IsNull())
            SetGeneratedValue(statusField_, rsUnchanged);
    } else if (statusField_ && !loading_ && (statusField_->IsNull() || statusField_->AsInteger() == rsUnchanged)) {
        statusField_->SetAsInteger(rsUpdated);
    }
    if (!Inserting) return;
    bool used = false;
    for (int c = 0; c < StoreColumnCount(); ++c) {
        TField* f = StoreField(c);
        if (f && f->DataType() == ftAutoInc && !(loading_ && !f->IsNull())) {
            SetGeneratedValue(f, autoIncValue_);
            used = true;
        }
    }
    if (used) ++autoIncValue_;
}

void TStMemoryData::InternalDelete() {
    // A row the source never saw needs no delete there.
    if (!statusField_ || loading_ || RecordStatus() == rsInserted) return;
    deletedKeys_.push_back(KeyValuesOf(KeyFieldList(), this));
}

void TStMemoryData::Notification(TComponent* AComponent, TOperation Operation) {
    TDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == source_) source_ = nullptr;
}

bool TStMemoryData::Locate(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    if (IsEmpty()) {
        CheckBrowseMode();
        return false;
    }
    return LocateRecord(KeyFields, KeyValues, Options, true);
}

void TStMemoryData::SetCapacity(int Value) {
    capacity_ = std::max(0, Value);
    if (Active() && capacity_ > 0) ReserveRows(static_cast<size_t>(capacity_));
}

// ---------------------------------------------------------------------------
// The source data set

void TStMemoryData::SetDataSet(TDataSet* Value) {
    if (Value == this) DatabaseError("A table cannot be its own source");
    if (source_) source_->RemoveFreeNotification(this);
    source_ = Value;
    if (source_) source_->FreeNotification(this);
}

void TStMemoryData::CopyStructure(TDataSet* Source) {
    if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
    if (!Source->Active()) Source->Open();
    TakeStructure(Source);
}

void TStMemoryData::TakeStructure(TDataSet* Source) {
    FieldDefs()->Clear();
    for (int i = 0; i < Source->FieldCount(); ++i) {
        TField* f = Source->Fields()->Fields(i);
        if (f->FieldKind() != fkData || f->FieldName() == kStatusFieldName) continue;
        FieldDefs()->Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
    }
}

void TStMemoryData::LoadRows(TDataSet* Source) {
    // Rows straight into the store: loaded rows are unchanged by definition.
    std::vector<std::pair<int, TField*>> columns;
    for (int c = 0; c < StoreColumnCount(); ++c) {
        TField* mine = StoreField(c);
        if (mine == statusField_) continue;
        if (TField* theirs = Counterpart(Source, mine)) columns.emplace_back(c, theirs);
    }
    const int status = statusField_ ? [&] {
        for (int c = 0; c < StoreColumnCount(); ++c)
            if (StoreField(c) == statusField_) return c;
        return -1;
    }() : -1;
    TControlsDisabled<TDataSet> quiet(Source);
    TBookmarkStr back = Source->Bookmark();
    for (Source->First(); !Source->Eof(); Source->Next()) {
        uint32_t row = AddRow();
        for (const auto& [c, theirs] : columns) {
            if (theirs->IsNull()) continue;
            switch (StoreColumn(c).kind) {
            case TDbKind::Integer:
            case TDbKind::Boolean: SetCellInt(c, row, theirs->Value().AsInt64()); break;
            case TDbKind::Float:
            case TDbKind::DateTime: SetCellFloat(c, row, theirs->AsFloat()); break;
            case TDbKind::Text: SetCellText(c, row, theirs->AsString()); break;
            }
        }
        if (status >= 0) SetCellInt(status, row, rsUnchanged);
    }
    if (!back.empty() && Source->BookmarkValid(back)) Source->GotoBookmark(back);
}

void TStMemoryData::LoadFromDataSet(TDataSet* Source) {
    if (!Active()) Open();
    CheckBrowseMode();
    if (!Source->Active()) Source->Open();
    TValueRestorer<bool> loading(loading_, true);
    TControlsDisabled<TDataSet> quiet(this);
    TControlsDisabled<TDataSet> quietSource(Source);
    auto cancel = MakeScopeGuard([this] {
        if (Editing(this)) Cancel();
    });
    TBookmarkStr back = Source->Bookmark();
    for (Source->First(); !Source->Eof(); Source->Next()) {
        Append();
        for (int i = 0; i < Source->FieldCount(); ++i) {
            TField* theirs = Source->Fields()->Fields(i);
            if (theirs->FieldKind() != fkData) continue;
            TField* mine = Counterpart(this, theirs);
            if (mine && mine != statusField_ && !mine->ReadOnly() && mine->DataType() != ftAutoInc)
                mine->SetValue(theirs->Value());
        }
        Post();
    }
    cancel.Dismiss();
    if (!back.empty() && Source->BookmarkValid(back)) Source->GotoBookmark(back);
}

void TStMemoryData::SaveToDataSet(TDataSet* Dest) {
    CheckBrowseMode();
    if (!Dest->Active()) Dest->Open();
    for (uint32_t row = 0; row < StoreRowCount(); ++row) {
        if (!StoreRowLive(row)) continue;
        Dest->Append();
        auto cancel = MakeScopeGuard([Dest] {
            if (Editing(Dest)) Dest->Cancel();
        });
        CopyRowTo(row, Dest);
        Dest->Post();
        cancel.Dismiss();
    }
}

// ---------------------------------------------------------------------------
// Change tracking

void TStMemoryData::SetApplyMode(TApplyMode Value) {
    if (Active() && (Value == amNone) != (applyMode_ == amNone))
        DatabaseError("Cannot perform this operation on an open dataset");
    applyMode_ = Value;
}

TStMemoryData::TRecordStatus TStMemoryData::RecordStatus() const {
    if (!statusField_ || IsEmpty() || statusField_->IsNull()) return rsUnchanged;
    return static_cast<TRecordStatus>(statusField_->AsInteger());
}

std::vector<TField*> TStMemoryData::KeyFieldList() const {
    std::vector<TField*> keys;
    if (!indexFieldNames_.empty()) {
        GetFieldList(keys, indexFieldNames_);
        return keys;
    }
    for (int c = 0; c < StoreColumnCount(); ++c)
        if (StoreField(c) != statusField_) {
            keys.push_back(StoreField(c));
            break;
        }
    return keys;
}

Variant TStMemoryData::KeyValuesOf(const std::vector<TField*>& Keys, TDataSet* From) const {
    if (Keys.size() == 1) return From->FieldByName(Keys[0]->FieldName())->Value();
    std::vector<Variant> values;
    for (TField* k : Keys) values.push_back(From->FieldByName(k->FieldName())->Value());
    return ArrayOf(values);
}

void TStMemoryData::CopyRowTo(uint32_t Row, TDataSet* Dest) const {
    for (int c = 0; c < StoreColumnCount(); ++c) {
        TField* mine = StoreField(c);
        if (!mine || mine == statusField_) continue;
        TField* theirs = Counterpart(Dest, mine);
        if (theirs && !theirs->ReadOnly() && theirs->DataType() != ftAutoInc) theirs->SetValue(StoreCellValue(mine, Row));
    }
}

void TStMemoryData::SetRowStatus(uint32_t Row, int Status) {
    for (int c = 0; c < StoreColumnCount(); ++c)
        if (StoreField(c) == statusField_) SetCellInt(c, Row, Status);
}

void TStMemoryData::ApplyChanges() {
    if (applyMode_ == amNone || !statusField_) return;
    if (!source_) DatabaseError("The table has no source data set");
    CheckBrowseMode();
    if (!source_->Active()) source_->Open();
    const std::vector<TField*> keys = KeyFieldList();
    AnsiString keyNames;
    for (TField* k : keys) keyNames += (keyNames.empty() ? "" : ";") + k->FieldName();
    auto find = [&](const Variant& values) {
        if (source_->Locate(keyNames, values, TLocateOptions())) return true;
        if (exactApply_) DatabaseError("Record not found");
        return false;
    };
    auto keyOfRow = [&](uint32_t row) {
        if (keys.size() == 1) return StoreCellValue(keys[0], row);
        std::vector<Variant> values;
        for (TField* k : keys) values.push_back(StoreCellValue(k, row));
        return ArrayOf(values);
    };

    {
        TControlsDisabled<TDataSet> quiet(source_);
        if (applyMode_ == amMerge) {
            for (const Variant& key : deletedKeys_)
                if (find(key)) source_->Delete();
        }
        for (uint32_t row = 0; row < StoreRowCount(); ++row) {
            if (!StoreRowLive(row)) continue;
            const Variant status = StoreCellValue(statusField_, row);
            const int s = status.IsNull() ? rsUnchanged : status.AsInteger();
            if (s == rsInserted) {
                source_->Append();
            } else if (s == rsUpdated && applyMode_ == amMerge) {
                if (!find(keyOfRow(row))) continue;
                source_->Edit();
            } else {
                continue;
            }
            auto cancel = MakeScopeGuard([this] {
                if (Editing(source_)) source_->Cancel();
            });
            CopyRowTo(row, source_);
            source_->Post();
            cancel.Dismiss();
        }
    }

    for (uint32_t row = 0; row < StoreRowCount(); ++row)
        if (StoreRowLive(row)) SetRowStatus(row, rsUnchanged);
    deletedKeys_.clear();
    Resync(TResyncMode());
}

// ---------------------------------------------------------------------------
// Blobs

std::unique_ptr<TStMemBlobStream> TStMemoryData::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
    return std::make_unique<TStMemBlobStream>(Field, Mode);
}

TStMemBlobStream::TStMemBlobStream(TField* Field, TBlobStreamMode Mode) : field_(Field), mode_(Mode) {
    TDataSet* ds = Field->DataSet();
    if (!ds || !ds->Active() || (ds->IsEmpty() && ds->State() != dsInsert)) DatabaseError("No data found");
    if (Mode != bmRead) {
        if (!Editing(ds)) DatabaseError("Dataset not in edit or insert mode");
        if (Field->ReadOnly()) DatabaseError("Field '" + Field->DisplayName() + "' cannot be modified");
    }
    if (Mode != bmWrite && !Field->IsNull()) {
        const AnsiString bytes = Field->AsString();
        TMemoryStream::Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        SetPosition(0);
    }
    if (Mode == bmWrite) Store();  // writing starts from an empty value
}

void TStMemBlobStream::Store() {
    field_->SetAsString(AnsiString(static_cast<const char*>(Memory()), static_cast<size_t>(Size())));
}

int64_t TStMemBlobStream::Write(const void* Buffer, int64_t Count) {
    if (mode_ == bmRead) DatabaseError("Cannot modify a read-only dataset");
    int64_t written = TMemoryStream::Write(Buffer, Count);
    Store();
    return written;
}

void TStMemBlobStream::SetSize(int64_t NewSize) {
    if (mode_ == bmRead) DatabaseError("Cannot modify a read-only dataset");
    TMemoryStream::SetSize(NewSize);
    Store();
}

// ---------------------------------------------------------------------------
// Records

TStMemoryRecord::TStMemoryRecord(TStMemoryData* Owner) : owner_(Owner) { Add(-1); }

TStMemoryRecord::TStMemoryRecord(TStMemoryData* Owner, int Index) : owner_(Owner) { Add(Index); }

void TStMemoryRecord::Add(int Index) {
    if (!owner_->Active()) owner_->Open();
    owner_->CheckBrowseMode();
    if (Index < 0 || Index >= owner_->RecordCount()) {
        owner_->Append();
    } else {
        owner_->SetRecNo(Index + 1);
        owner_->Insert();
    }
    owner_->Post();
    id_ = static_cast<int>(TStMemoryData::kFirstRecordId + owner_->CurrentRow());
    owner_->records_.push_back(this);
}

TStMemoryRecord::~TStMemoryRecord() {
    if (!owner_) return;
    auto& list = owner_->records_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    const TBookmarkStr b = TStMemoryData::RowBookmark(Row());
    try {
        if (owner_->Active() && owner_->BookmarkValid(b)) {
            owner_->CheckBrowseMode();
            owner_->GotoBookmark(b);
            owner_->Delete();
        }
    } catch (const Exception&) {
        // A cancelled delete (BeforeDelete aborting) keeps the row.
    }
}

int TStMemoryRecord::Index() const {
    if (!owner_ || !owner_->Active()) return -1;
    const uint32_t mine = Row();
    if (!owner_->StoreRowLive(mine)) return -1;
    const TBookmarkStr me = TStMemoryData::RowBookmark(mine);
    int before = 0;
    for (uint32_t row = 0; row < owner_->StoreRowCount(); ++row) {
        if (row == mine || !owner_->StoreRowLive(row)) continue;
        if (owner_->CompareBookmarks(TStMemoryData::RowBookmark(row), me) < 0) ++before;
    }
    return before;
}

void TStMemoryRecord::SetIndex(int Value) {
    if (!owner_ || Value == Index()) return;
    const uint32_t mine = Row();
    std::vector<std::pair<TField*, Variant>> values;
    for (int c = 0; c < owner_->StoreColumnCount(); ++c) {
        TField* f = owner_->StoreField(c);
        if (!f) continue;
        values.emplace_back(f, owner_->StoreCellValue(f, mine));
        if (f->ReadOnly() && f->DataType() != ftAutoInc && !values.back().second.IsNull())
            DatabaseError("Field '" + f->DisplayName() + "' cannot be modified");
    }
    owner_->CheckBrowseMode();
    owner_->GotoBookmark(TStMemoryData::RowBookmark(Row()));
    {
        TValueRestorer<bool> loading(owner_->loading_, true);  // a move is no change to track
        auto cancel = MakeScopeGuard([this] {
            if (Editing(owner_)) owner_->Cancel();
        });
        owner_->Delete();
        if (Value < 0 || Value >= owner_->RecordCount()) {
            owner_->Append();
        } else {
            owner_->SetRecNo(Value + 1);
            owner_->Insert();
        }
        for (const auto& [f, v] : values) {
            if (v.IsNull()) continue;
            if (f->DataType() == ftAutoInc)
                owner_->SetGeneratedValue(f, v.AsInt64());
            else
                f->SetValue(v);
        }
        owner_->Post();
        cancel.Dismiss();
    }
    id_ = static_cast<int>(TStMemoryData::kFirstRecordId + owner_->CurrentRow());
}

Variant TStMemoryRecord::Values(const AnsiString& FieldName) const {
    if (!owner_ || Index() < 0) DatabaseError("No data found");
    TField* f = owner_->FieldByName(FieldName);
    if (f->FieldKind() != fkData) DatabaseError("Field '" + FieldName + "' not found");
    return owner_->StoreCellValue(f, Row());
}
