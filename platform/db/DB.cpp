// TDataSet: rows, order, filter, the record window, editing and searching.
#include "platform/db/DB.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/classes/Strings.h"
#include "platform/db/DBFilter.h"
#include "platform/db/DBSort.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Gaps between position keys leave room for records inserted between neighbours.
constexpr int64_t kKeyGap = int64_t(1) << 32;

bool IsEditState(TDataSetState s) { return s == dsEdit || s == dsInsert; }

std::vector<AnsiString> SplitNames(const AnsiString& names) {
    std::vector<AnsiString> out;
    size_t start = 0;
    while (start <= names.size()) {
        size_t semi = names.find(';', start);
        if (semi == AnsiString::npos) semi = names.size();
        AnsiString name = Trim(names.substr(start, semi - start));
        if (!name.empty()) out.push_back(name);
        start = semi + 1;
    }
    return out;
}

Variant CellToVariant(const TField* field, const TDbCell& c) {
    if (c.null) return Null();
    switch (field->Kind()) {
    case TDbKind::Integer:
        if (field->DataType() == ftLargeint || c.i < INT32_MIN || c.i > INT32_MAX) return Variant(static_cast<long long>(c.i));
        return Variant(static_cast<int>(c.i));
    case TDbKind::Boolean: return Variant(c.i != 0);
    case TDbKind::Float: return Variant(c.d);
    case TDbKind::DateTime: return VarFromDateTime(c.d);
    case TDbKind::Text: return Variant(AnsiString(c.s));
    }
    return Null();
}

void ValueToCell(const TDbValue& v, TDbKind kind, TDbCell& cell) {
    cell = TDbCell();
    if (v.null) return;
    cell.null = false;
    switch (kind) {
    case TDbKind::Integer:
    case TDbKind::Boolean: cell.i = v.i; break;
    case TDbKind::Float:
    case TDbKind::DateTime: cell.d = v.d; break;
    case TDbKind::Text: cell.s = v.s; break;
    }
}

TDbSearchKey MakeSearchKey(const Variant& v, TDbKind kind) {
    TDbSearchKey k;
    if (v.IsNull() || v.IsEmpty()) {
        k.null = true;
        return k;
    }
    try {
        switch (kind) {
        case TDbKind::Text: k.text = VarToStr(v); break;
        case TDbKind::Integer:
        case TDbKind::Boolean:
        case TDbKind::Float:
            if (VarIsStr(v))
                k.valid = TryStrToFloat(Trim(v.AsString()), k.number);
            else
                k.number = v.AsDouble();
            break;
        case TDbKind::DateTime:
            if (VarIsStr(v)) {
                AnsiString s = Trim(v.AsString());
                k.valid = TryStrToDateTime(s, k.number) || TrySqlTextToDateTime(s, k.number) ||
                          ParseFilterDate(s, k.number);
            } else {
                k.number = v.AsDateTime();
            }
            break;
        }
    } catch (const EVariantError&) {
        k.valid = false;
    } catch (const EConvertError&) {
        k.valid = false;
    }
    return k;
}

bool CellMatches(const TDbCell& cell, TDbKind kind, const TDbSearchKey& key, TLocateOptions options) {
    if (key.null) return cell.null;
    if (cell.null || !key.valid) return false;
    switch (kind) {
    case TDbKind::Text: {
        std::string_view s = cell.s;
        if (options.Contains(loPartialKey)) {
            if (s.size() < key.text.size()) return false;
            s = s.substr(0, key.text.size());
        } else if (s.size() != key.text.size()) {
            return false;
        }
        if (options.Contains(loCaseInsensitive)) return AnsiCompareText(s, key.text) == 0;
        return s == std::string_view(key.text);
    }
    case TDbKind::Integer:
    case TDbKind::Boolean: return static_cast<double>(cell.i) == key.number;
    default: return cell.d == key.number;
    }
}

// The values of several keys: one key is the value itself, several come as an array.
std::vector<Variant> KeyList(const Variant& values, size_t count) {
    std::vector<Variant> keys;
    if (VarIsArray(values)) {
        int low = VarArrayLowBound(values, 1), high = VarArrayHighBound(values, 1);
        if (static_cast<size_t>(high - low + 1) < count) DatabaseError("Too few key values");
        for (size_t i = 0; i < count; ++i) keys.push_back(values[low + static_cast<int>(i)]);
    } else {
        if (count != 1) DatabaseError("Too few key values");
        keys.push_back(values);
    }
    return keys;
}

void AppendKeyBytes(std::string& out, const TDbCell& c, TDbKind kind) {
    switch (kind) {
    case TDbKind::Text: {
        uint32_t n = static_cast<uint32_t>(c.s.size());
        out.append(reinterpret_cast<const char*>(&n), sizeof n);
        const unsigned char* up = CodePage::Active().UpperTable();
        for (char ch : c.s) out += static_cast<char>(up[static_cast<unsigned char>(ch)]);
        break;
    }
    case TDbKind::Integer:
    case TDbKind::Boolean: out.append(reinterpret_cast<const char*>(&c.i), sizeof c.i); break;
    default: {
        double d = c.d == 0 ? 0.0 : c.d;  // one zero
        out.append(reinterpret_cast<const char*>(&d), sizeof d);
        break;
    }
    }
}

}  // namespace

struct TDataSet::LookupIndex {
    std::unordered_map<std::string, uint32_t> rows;
};

// ---------------------------------------------------------------------------
// Life cycle

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner), fields_(std::make_unique<TFields>(this)) {}

void TDataSet::BeforeDestruction() {
    TComponent::BeforeDestruction();
    CloseInternal(false);
}

TDataSet::~TDataSet() {
    CloseInternal(false);
    for (TDataSource* s : std::vector<TDataSource*>(dataSources_)) {
        RemoveFreeNotification(s);
        s->dataSet_ = nullptr;
        s->UpdateState();
    }
    dataSources_.clear();
    for (TField* f : std::vector<TField*>(fields_->list_)) {
        if (f->defaultField_) {
            fields_->Remove(f);
            f->dataSet_ = nullptr;
            FreeObject(f);
        } else {
            f->dataSet_ = nullptr;
        }
    }
    fields_->list_.clear();
}

void TDataSet::SetActive(bool Value) {
    if (Value == Active()) return;
    if (Value)
        OpenInternal();
    else
        CloseInternal(!InState(csDestroying));
}

void TDataSet::OpenInternal() {
    DoEvent(BeforeOpen);
    state_ = dsOpening;
    try {
        InternalOpen();
        if (filtered_ && filter_) filter_->Bind(*this);
        ApplyOrder();
        RebuildView();
        int count = 1;
        for (TDataSource* s : dataSources_)
            for (TDataLink* l : s->links_) count = std::max(count, l->bufferCount_);
        bufferCount_ = count;
        PlaceAt(0, 0);
        RecomputeCalc(true);
        bof_ = true;
        eof_ = view_.empty();
    } catch (...) {
        state_ = dsBrowse;  // lets CloseInternal clean up without events
        CloseInternal(false);
        throw;
    }
    SetState(dsBrowse);
    DoEvent(AfterOpen);
    if (!IsEmpty()) DoEvent(AfterScroll);
}

void TDataSet::CloseInternal(bool events) {
    if (!Active()) return;
    if (events) DoEvent(BeforeClose);
    insertSlot_ = -1;
    editSlot_ = -1;
    SetState(dsInactive);
    InternalClose();
    ClearRows();
    columns_.clear();
    storeFields_.clear();
    calcFields_.clear();
    slots_.clear();
    slotCalc_.clear();
    slotCalcRow_.clear();
    editBuffer_.clear();
    editModified_.clear();
    editCalc_.clear();
    for (TField* f : fields_->list_) {
        f->store_ = -1;
        f->calcSlot_ = -1;
    }
    DestroyDefaultFields();
    lookupIndexes_.clear();
    activeRecord_ = 0;
    winStart_ = 0;
    bof_ = eof_ = true;
    if (events) DoEvent(AfterClose);
}

void TDataSet::DestroyDefaultFields() {
    for (TField* f : std::vector<TField*>(fields_->list_)) {
        if (!f->defaultField_) continue;
        fields_->Remove(f);
        f->dataSet_ = nullptr;
        FreeObject(f);
    }
    defaultFields_ = false;
}

void TDataSet::CheckActive() const {
    if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::SetState(TDataSetState Value) {
    if (state_ == Value) return;
    state_ = Value;
    modified_ = false;
    DataEvent(deUpdateState, 0);
}

bool TDataSet::IsEmpty() const { return slots_.empty(); }

bool TDataSet::CanModify() const { return !SourceReadOnly(); }

// ---------------------------------------------------------------------------
// Fields

void TDataSet::AddField(TField* Field) {
    fields_->Add(Field);
    Field->dataSet_ = this;
}

void TDataSet::RemoveField(TField* Field) {
    if (Field->store_ >= 0 && static_cast<size_t>(Field->store_) < storeFields_.size())
        storeFields_[static_cast<size_t>(Field->store_)] = nullptr;
    if (Field->calcSlot_ >= 0 && static_cast<size_t>(Field->calcSlot_) < calcFields_.size())
        calcFields_[static_cast<size_t>(Field->calcSlot_)] = nullptr;
    Field->store_ = Field->calcSlot_ = -1;
    fields_->Remove(Field);
    Field->dataSet_ = nullptr;
    if (Active()) FieldListChanged();
}

void TDataSet::FieldListChanged() {
    if (!Active() || InState(csDestroying)) return;
    DataEvent(deFieldListChange, 0);
    DataEvent(deLayoutChange, 0);
}

std::vector<int> TDataSet::BindFields() {
    if (fields_->Count() == 0) {
        for (int i = 0; i < fieldDefs_.Count(); ++i) {
            const TFieldDef& def = fieldDefs_.Items(i);
            TField* f = CreateFieldOfType(def.DataType, this);
            f->fieldName_ = def.Name;
            if (FieldTypeKind(def.DataType) == TDbKind::Text && def.Size > 0) f->size_ = def.Size;
            f->required_ = def.Required;
            f->defaultField_ = true;
            AddField(f);
        }
        defaultFields_ = true;
    }
    columns_.clear();
    storeFields_.clear();
    calcFields_.clear();
    std::vector<int> defIndex;
    for (TField* f : fields_->list_) {
        f->store_ = f->calcSlot_ = -1;
        if (f->fieldKind_ == fkData) {
            int idx = fieldDefs_.IndexOf(f->fieldName_);
            if (idx < 0) DatabaseError("Field '" + f->fieldName_ + "' not found");
            f->store_ = static_cast<int>(columns_.size());
            f->fieldNo_ = idx + 1;
            TDbColumn c;
            c.kind = f->Kind();
            columns_.push_back(std::move(c));
            storeFields_.push_back(f);
            defIndex.push_back(idx);
        } else if (f->fieldKind_ == fkCalculated || f->fieldKind_ == fkInternalCalc) {
            f->calcSlot_ = static_cast<int>(calcFields_.size());
            calcFields_.push_back(f);
        }
    }
    return defIndex;
}

TField* TDataSet::FieldByName(const AnsiString& FieldName) const { return fields_->FieldByName(FieldName); }

void TDataSet::GetFieldList(std::vector<TField*>& List, const AnsiString& FieldNames) const {
    List.clear();
    for (const AnsiString& name : SplitNames(FieldNames)) List.push_back(FieldByName(name));
}

void TDataSet::GetFieldList(TList* List, const AnsiString& FieldNames) const {
    std::vector<TField*> fields;
    GetFieldList(fields, FieldNames);
    for (TField* f : fields) List->Add(f);
}

void TDataSet::GetFieldNames(TStrings* List) const {
    List->BeginUpdate();
    List->Clear();
    for (TField* f : fields_->list_) List->Add(f->FieldName());
    List->EndUpdate();
}

// ---------------------------------------------------------------------------
// Rows

void TDataSet::ClearRows() {
    for (TDbColumn& c : columns_) c.Clear();
    rowCount_ = 0;
    deleted_.clear();
    key_.clear();
    naturalKey_.clear();
    maxNaturalKey_ = 0;
    all_.clear();
    view_.clear();
    ++storeVersion_;
}

void TDataSet::ReserveRows(size_t Count) {
    for (TDbColumn& c : columns_) {
        if (c.Integral()) {
            c.ints.reserve(Count);
        } else if (c.Numeric()) {
            c.reals.reserve(Count);
        } else {
            c.texts.reserve(Count);
            c.textNulls.reserve(Count);
        }
    }
}

void TDataSet::RowsAppended(uint32_t Count) {
    for (uint32_t i = 0; i < Count; ++i) {
        int64_t key = static_cast<int64_t>(rowCount_ + 1) * kKeyGap;
        ++rowCount_;
        deleted_.push_back(0);
        key_.push_back(key);
        naturalKey_.push_back(key);
        maxNaturalKey_ = key;
    }
}

uint32_t TDataSet::AddRow() {
    for (TDbColumn& c : columns_) c.PushNull();
    RowsAppended(1);
    return rowCount_ - 1;
}

void TDataSet::SetCellNull(int Column, uint32_t Row) { columns_[static_cast<size_t>(Column)].SetNull(Row); }

void TDataSet::SetCellInt(int Column, uint32_t Row, int64_t Value) {
    TDbValue v;
    v.null = false;
    v.i = Value;
    v.d = static_cast<double>(Value);
    v.s = IntToStr(static_cast<long long>(Value));
    StoreValue(Column, Row, v);
}

void TDataSet::SetCellFloat(int Column, uint32_t Row, double Value) {
    TDbValue v;
    v.null = false;
    v.i = std::llround(Value);
    v.d = Value;
    v.s = FloatToStr(Value);
    StoreValue(Column, Row, v);
}

void TDataSet::SetCellText(int Column, uint32_t Row, std::string&& Value) {
    TDbColumn& c = columns_[static_cast<size_t>(Column)];
    if (c.kind != TDbKind::Text) {
        TDbValue v;
        v.s = std::move(Value);
        v.null = false;
        StoreValue(Column, Row, v);
        return;
    }
    c.textNulls[Row] = 0;
    c.texts[Row] = std::move(Value);
}

// Writes a value of the column's own kind (text is converted when needed).
void TDataSet::StoreValue(int Column, uint32_t Row, const TDbValue& v) {
    TDbColumn& c = columns_[static_cast<size_t>(Column)];
    if (v.null) {
        c.SetNull(Row);
        return;
    }
    switch (c.kind) {
    case TDbKind::Integer: c.ints[Row] = v.i; break;
    case TDbKind::Boolean: c.ints[Row] = v.i != 0; break;
    case TDbKind::Float:
    case TDbKind::DateTime: c.reals[Row] = v.d; break;
    case TDbKind::Text:
        c.texts[Row] = v.s;
        c.textNulls[Row] = 0;
        break;
    }
}

void TDataSet::LoadValue(int Column, uint32_t Row, TDbValue& v) const {
    const TDbColumn& c = columns_[static_cast<size_t>(Column)];
    v = TDbValue();
    if (c.IsNull(Row)) return;
    v.null = false;
    switch (c.kind) {
    case TDbKind::Integer:
    case TDbKind::Boolean: v.i = c.ints[Row]; break;
    case TDbKind::Float:
    case TDbKind::DateTime: v.d = c.reals[Row]; break;
    case TDbKind::Text: v.s = c.texts[Row]; break;
    }
}

Variant TDataSet::StoreCellValue(const TField* Field, uint32_t Row) const {
    TDbCell cell;
    ReadStoreCell(Field, Row, cell);
    return CellToVariant(Field, cell);
}

void TDataSet::ReadStoreCell(const TField* Field, uint32_t Row, TDbCell& Cell) const {
    Cell = TDbCell();
    if (!Field || Field->store_ < 0 || Row >= rowCount_) return;
    const TDbColumn& c = columns_[static_cast<size_t>(Field->store_)];
    if (c.IsNull(Row)) return;
    Cell.null = false;
    switch (c.kind) {
    case TDbKind::Integer:
    case TDbKind::Boolean: Cell.i = c.ints[Row]; break;
    case TDbKind::Float:
    case TDbKind::DateTime: Cell.d = c.reals[Row]; break;
    case TDbKind::Text: Cell.s = c.texts[Row]; break;
    }
}

int64_t TDataSet::CurrentRow() const {
    if (slots_.empty() || static_cast<size_t>(activeRecord_) >= slots_.size()) return -1;
    uint32_t row = slots_[static_cast<size_t>(activeRecord_)];
    return row == kNewRow ? int64_t(-1) : int64_t(row);  // int64 on both sides: -1 must not wrap
}

bool TDataSet::FieldModified(const TField* Field) const {
    return Field && Field->store_ >= 0 && static_cast<size_t>(Field->store_) < editModified_.size() &&
           editModified_[static_cast<size_t>(Field->store_)] != 0;
}

void TDataSet::SetGeneratedValue(TField* Field, int64_t Value) {
    if (!Field || Field->store_ < 0 || static_cast<size_t>(Field->store_) >= editBuffer_.size()) return;
    TDbValue& v = editBuffer_[static_cast<size_t>(Field->store_)];
    v = TDbValue();
    v.null = false;
    if (Field->Kind() == TDbKind::Text)
        v.s = IntToStr(static_cast<long long>(Value));
    else if (Field->Kind() == TDbKind::Float || Field->Kind() == TDbKind::DateTime)
        v.d = static_cast<double>(Value);
    else
        v.i = Value;
}

// ---------------------------------------------------------------------------
// Order and filter

void TDataSet::ApplyOrder() {
    std::vector<uint32_t> rows;
    rows.reserve(rowCount_);
    for (uint32_t r = 0; r < rowCount_; ++r)
        if (!deleted_[r]) rows.push_back(r);
    // Rows seldom leave their natural order (only inserts between others do), so it is checked before sorting.
    auto natural = [&](uint32_t a, uint32_t b) { return naturalKey_[a] < naturalKey_[b]; };
    if (!std::is_sorted(rows.begin(), rows.end(), natural)) std::stable_sort(rows.begin(), rows.end(), natural);
    std::vector<TDbSortKey> keys = ParseSortText(sort_);
    if (keys.empty()) {
        key_ = naturalKey_;
    } else {
        SortRows(rows, keys, *this);
        for (size_t i = 0; i < rows.size(); ++i) key_[rows[i]] = static_cast<int64_t>(i + 1) * kKeyGap;
    }
    all_.swap(rows);
}

void TDataSet::RenumberKeys() {
    std::vector<uint32_t> ids(rowCount_);
    for (uint32_t r = 0; r < rowCount_; ++r) ids[r] = r;
    std::stable_sort(ids.begin(), ids.end(), [&](uint32_t a, uint32_t b) { return key_[a] < key_[b]; });
    bool natural = Trim(sort_).empty();
    for (size_t i = 0; i < ids.size(); ++i) {
        key_[ids[i]] = static_cast<int64_t>(i + 1) * kKeyGap;
        if (natural) naturalKey_[ids[i]] = key_[ids[i]];
    }
    if (natural && !ids.empty()) maxNaturalKey_ = key_[ids.back()];
}

bool TDataSet::RowPassesFilter(uint32_t row) {
    if (filter_ && !filter_->Matches(row)) return false;
    if (!OnFilterRecord) return true;
    RecordRef ref;
    ref.row = row;
    std::vector<TDbValue> calc;
    if (!calcFields_.empty()) {
        CalculateFields(ref, calc);
        ref.calc = &calc;
    }
    TValueRestorer refScope(tempRef_, &ref);
    TValueRestorer stateScope(state_, dsFilter);
    bool accept = true;
    OnFilterRecord(this, accept);
    return accept;
}

void TDataSet::RebuildView() {
    if (!filtered_ || (!filter_ && !OnFilterRecord)) {
        view_ = all_;
        return;
    }
    std::vector<uint32_t> view;
    view.reserve(all_.size());
    for (uint32_t r : all_)
        if (RowPassesFilter(r)) view.push_back(r);
    view_.swap(view);
}

int64_t TDataSet::ViewIndexOf(uint32_t row) const {
    if (row >= rowCount_ || deleted_[row]) return -1;
    int64_t k = key_[row];
    auto it = std::lower_bound(view_.begin(), view_.end(), k, [&](uint32_t r, int64_t key) { return key_[r] < key; });
    if (it == view_.end() || *it != row) return -1;
    return it - view_.begin();
}

uint32_t TDataSet::NewRowAt(size_t viewPos) {
    // Its place in the order of all rows: before the record now at viewPos.
    size_t allPos = all_.size();
    if (viewPos < view_.size()) {
        int64_t k = key_[view_[viewPos]];
        allPos = static_cast<size_t>(
            std::lower_bound(all_.begin(), all_.end(), k, [&](uint32_t r, int64_t key) { return key_[r] < key; }) -
            all_.begin());
    }
    for (int attempt = 0;; ++attempt) {
        bool hasPrev = allPos > 0, hasNext = allPos < all_.size();
        int64_t prev = hasPrev ? key_[all_[allPos - 1]] : 0, next = hasNext ? key_[all_[allPos]] : 0;
        int64_t key;
        if (hasPrev && hasNext) {
            if (next - prev < 2) {
                if (attempt > 0) DatabaseError("Cannot order the new record");
                RenumberKeys();
                continue;
            }
            key = prev + (next - prev) / 2;
        } else if (hasPrev) {
            key = prev + kKeyGap;
        } else if (hasNext) {
            key = next - kKeyGap;
        } else {
            key = kKeyGap;
        }
        uint32_t row = AddRow();  // appends natural keys we replace below
        key_[row] = key;
        if (Trim(sort_).empty()) {
            naturalKey_[row] = key;
            maxNaturalKey_ = std::max(maxNaturalKey_, key);
        } else {
            maxNaturalKey_ += kKeyGap;
            naturalKey_[row] = maxNaturalKey_;
        }
        all_.insert(all_.begin() + static_cast<std::ptrdiff_t>(allPos), row);
        view_.insert(view_.begin() + static_cast<std::ptrdiff_t>(std::min(viewPos, view_.size())), row);
        return row;
    }
}

void TDataSet::SetSort(const AnsiString& Value) {
    std::vector<TDbSortKey> keys = ParseSortText(Value);
    if (!Active()) {
        sort_ = Value;
        return;
    }
    CheckBrowseMode();
    for (const TDbSortKey& k : keys)
        if (!FindField(k.name)) DatabaseError("Field '" + k.name + "' not found");
    int64_t cur = CurrentRow();
    int slot = activeRecord_;
    sort_ = Value;
    ApplyOrder();
    RebuildView();
    lookupIndexes_.clear();
    int64_t idx = cur >= 0 ? ViewIndexOf(static_cast<uint32_t>(cur)) : 0;
    PlaceAt(idx < 0 ? 0 : idx, slot);
    RecomputeCalc(false);
    DataEvent(deDataSetChange, 0);
}

void TDataSet::SetFilter(const AnsiString& Value) {
    std::unique_ptr<TDbFilter> f;
    if (!Trim(Value).empty()) f = std::make_unique<TDbFilter>(Value);
    ApplyFilterChange(std::move(f), Value, filtered_);
}

void TDataSet::SetFiltered(bool Value) {
    if (Value == filtered_) return;
    // The text was parsed when it was set; its fields are looked up again
    // (before anything changes) and the rows taken anew.
    if (!Active()) {
        filtered_ = Value;
        return;
    }
    CheckBrowseMode();
    if (Value && filter_) filter_->Bind(*this);
    filtered_ = Value;
    RebuildView();
    lookupIndexes_.clear();
    First();
}

void TDataSet::ApplyFilterChange(std::unique_ptr<TDbFilter> filter, const AnsiString& text, bool filtered) {
    if (!Active()) {
        filter_ = std::move(filter);
        filterText_ = text;
        filtered_ = filtered;
        return;
    }
    CheckBrowseMode();
    if (filtered && filter) filter->Bind(*this);
    filter_ = std::move(filter);
    filterText_ = text;
    filtered_ = filtered;
    RebuildView();
    lookupIndexes_.clear();
    First();
}

int TDataSet::ResolveField(const AnsiString& name, TDbKind& kind) {
    TField* f = FindField(name);
    if (!f) return -1;
    kind = f->Kind();
    return fields_->IndexOf(f);
}

void TDataSet::ReadCell(int field, uint32_t row, TDbCell& cell, std::string& scratch) {
    const TField* f = fields_->list_[static_cast<size_t>(field)];
    RecordRef ref;
    ref.row = row;
    if (f->calcSlot_ >= 0) {
        CalculateFields(ref, scratchCalc_);
        ref.calc = &scratchCalc_;
    }
    ReadRef(f, ref, cell, scratch);
}

const int64_t* TDataSet::StoredIntegers(int field) {
    const TField* f = fields_->list_[static_cast<size_t>(field)];
    if (f->fieldKind_ != fkData || f->store_ < 0) return nullptr;
    const TDbColumn& c = columns_[static_cast<size_t>(f->store_)];
    return c.Integral() && c.ints.size() >= rowCount_ ? c.ints.data() : nullptr;
}

// ---------------------------------------------------------------------------
// The window

void TDataSet::FillSlots() {
    slots_.clear();
    int64_t n = static_cast<int64_t>(view_.size());
    if (insertSlot_ < 0) {
        int64_t count = std::min<int64_t>(bufferCount_, n - winStart_);
        for (int64_t i = 0; i < count; ++i) slots_.push_back(view_[static_cast<size_t>(winStart_ + i)]);
    } else {
        int64_t count = std::max<int64_t>(0, std::min<int64_t>(bufferCount_ - 1, n - winStart_));
        for (int64_t i = 0; i < count; ++i) slots_.push_back(view_[static_cast<size_t>(winStart_ + i)]);
        slots_.insert(slots_.begin() + std::min<int64_t>(insertSlot_, count), kNewRow);
    }
    slotCalc_.resize(slots_.size());
    slotCalcRow_.resize(slots_.size(), kNewRow);
}

void TDataSet::PlaceAt(int64_t viewIndex, int slot) {
    insertSlot_ = -1;
    int64_t n = static_cast<int64_t>(view_.size());
    if (n == 0) {
        winStart_ = 0;
        activeRecord_ = 0;
        FillSlots();
        return;
    }
    viewIndex = std::clamp<int64_t>(viewIndex, 0, n - 1);
    int64_t count = std::min<int64_t>(bufferCount_, n);
    int64_t s = std::clamp<int64_t>(slot, 0, count - 1);
    int64_t start = std::clamp<int64_t>(viewIndex - s, 0, n - count);
    winStart_ = start;
    activeRecord_ = static_cast<int>(viewIndex - start);
    FillSlots();
}

void TDataSet::RecomputeCalc(bool all) {
    if (calcFields_.empty()) return;
    for (size_t i = 0; i < slots_.size(); ++i) {
        uint32_t row = slots_[i];
        if (row == kNewRow) {
            slotCalcRow_[i] = kNewRow;
            continue;
        }
        if (!all && slotCalcRow_[i] == row) continue;
        RecordRef ref;
        ref.row = row;
        CalculateFields(ref, slotCalc_[i]);
        slotCalcRow_[i] = row;
    }
}

void TDataSet::RecalcEditRecord() {
    if (calcFields_.empty() || !autoCalcFields_) return;
    RecordRef ref;
    ref.row = CurrentRow();
    ref.data = &editBuffer_;
    CalculateFields(ref, editCalc_);
}

void TDataSet::UpdateBufferCount() {
    if (!Active()) return;
    int count = 1;
    for (TDataSource* s : dataSources_)
        for (TDataLink* l : s->links_) count = std::max(count, l->bufferCount_);
    if (count != bufferCount_) {
        bufferCount_ = count;
        if (state_ == dsInsert) {
            int slot = std::min(insertSlot_, count - 1);
            winStart_ = std::max<int64_t>(0, static_cast<int64_t>(insertPos_) - slot);
            insertSlot_ = static_cast<int>(static_cast<int64_t>(insertPos_) - winStart_);
            activeRecord_ = editSlot_ = insertSlot_;
            FillSlots();
        } else if (!slots_.empty()) {
            bool editing = state_ == dsEdit;
            PlaceAt(CurrentViewIndex(), std::min(activeRecord_, count - 1));
            if (editing) editSlot_ = activeRecord_;
        }
        RecomputeCalc(false);
    }
    for (TDataSource* s : dataSources_)
        for (TDataLink* l : s->links_)
            if (l->active_) l->UpdateRange(l->firstRecord_);
}

// ---------------------------------------------------------------------------
// Navigation

void TDataSet::First() {
    CheckBrowseMode();
    DoEvent(BeforeScroll);
    PlaceAt(0, 0);
    RecomputeCalc(false);
    bof_ = true;
    eof_ = view_.empty();
    DataEvent(deDataSetChange, 0);
    DoEvent(AfterScroll);
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoEvent(BeforeScroll);
    PlaceAt(static_cast<int64_t>(view_.size()) - 1, bufferCount_ - 1);
    RecomputeCalc(false);
    eof_ = true;
    bof_ = view_.empty();
    DataEvent(deDataSetChange, 0);
    DoEvent(AfterScroll);
}

int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    DoEvent(BeforeScroll);
    int moved = 0;
    if ((Distance > 0 && !eof_) || (Distance < 0 && !bof_)) {
        bof_ = eof_ = false;
        int64_t n = static_cast<int64_t>(view_.size());
        int64_t cur = CurrentViewIndex();
        int64_t target = cur + Distance;
        if (target >= n) {
            target = n - 1;
            eof_ = true;
        }
        if (target < 0) {
            target = 0;
            bof_ = true;
        }
        moved = static_cast<int>(target - cur);
        int64_t count = static_cast<int64_t>(slots_.size());
        int64_t start = winStart_;
        if (target < start)
            start = target;
        else if (target >= start + count)
            start = target - count + 1;
        int scroll = static_cast<int>(start - winStart_);
        winStart_ = start;
        activeRecord_ = static_cast<int>(target - start);
        if (scroll != 0) {
            FillSlots();
            RecomputeCalc(false);
        }
        DataEvent(deDataSetScroll, scroll);
    }
    DoEvent(AfterScroll);
    return moved;
}

int TDataSet::RecNo() const {
    if (!Active() || slots_.empty() || state_ == dsInsert) return 0;
    return static_cast<int>(CurrentViewIndex()) + 1;
}

void TDataSet::SetRecNo(int Value) {
    CheckBrowseMode();
    int64_t n = static_cast<int64_t>(view_.size());
    if (Value < 1 || Value > n || Value == RecNo()) return;
    int64_t target = Value - 1;
    if (target >= winStart_ && target < winStart_ + static_cast<int64_t>(slots_.size())) {
        MoveBy(static_cast<int>(target - CurrentViewIndex()));
        return;
    }
    DoEvent(BeforeScroll);
    PlaceAt(target, CenterSlot());
    RecomputeCalc(false);
    bof_ = eof_ = false;
    DataEvent(deDataSetChange, 0);
    DoEvent(AfterScroll);
}

int TDataSet::RecordCount() const { return Active() ? static_cast<int>(view_.size()) : 0; }

void TDataSet::GotoRow(uint32_t row, bool center) {
    int64_t idx = ViewIndexOf(row);
    PlaceAt(idx, center ? CenterSlot() : activeRecord_);
    RecomputeCalc(false);
    bof_ = eof_ = false;
    DataEvent(deDataSetChange, 0);
}

void TDataSet::Resync(TResyncMode Mode) {
    CheckActive();
    if (state_ == dsInsert) return;
    if (!slots_.empty()) PlaceAt(CurrentViewIndex(), (Mode & rmCenter) ? CenterSlot() : activeRecord_);
    RecomputeCalc(true);
    DataEvent(deDataSetChange, 0);
}

// ---------------------------------------------------------------------------
// Controls

void TDataSet::DisableControls() {
    if (disableCount_ == 0) {
        disableState_ = state_;
        enableEvent_ = deDataSetChange;
    }
    ++disableCount_;
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ > 0) return;
    if (disableState_ != state_) DataEvent(deUpdateState, 0);
    if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_, 0);
}

void TDataSet::DataEvent(TDataEvent Event, intptr_t Info) {
    if (ControlsDisabled()) {
        if ((Event == deUpdateState && state_ == dsInactive) || Event == deLayoutChange) enableEvent_ = deLayoutChange;
        return;
    }
    for (TDataSource* s : std::vector<TDataSource*>(dataSources_)) s->DataEvent(Event, Info);
}

void TDataSet::RegisterDataSource(TDataSource* source) {
    if (std::find(dataSources_.begin(), dataSources_.end(), source) == dataSources_.end())
        dataSources_.push_back(source);
}

void TDataSet::UnregisterDataSource(TDataSource* source) {
    dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), source), dataSources_.end());
}

// ---------------------------------------------------------------------------
// Editing

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    if (IsEditState(state_)) {
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TDataSet::UpdateRecord() {
    if (!IsEditState(state_)) DatabaseError("Dataset not in edit or insert mode");
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::Edit() {
    if (IsEditState(state_)) return;
    CheckActive();
    if (slots_.empty()) {
        Insert();
        return;
    }
    if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
    CheckBrowseMode();
    DoEvent(BeforeEdit);
    uint32_t row = SlotRow(activeRecord_);
    editBuffer_.assign(columns_.size(), TDbValue());
    for (size_t c = 0; c < columns_.size(); ++c) LoadValue(static_cast<int>(c), row, editBuffer_[c]);
    editModified_.assign(columns_.size(), 0);
    editSlot_ = activeRecord_;
    editCalc_ = calcFields_.empty() ? std::vector<TDbValue>() : slotCalc_[static_cast<size_t>(activeRecord_)];
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    DoEvent(AfterEdit);
}

void TDataSet::Insert() { BeginInsert(false); }
void TDataSet::Append() { BeginInsert(true); }

void TDataSet::BeginInsert(bool append) {
    CheckBrowseMode();
    if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
    DoEvent(BeforeInsert);
    DoEvent(BeforeScroll);
    int64_t n = static_cast<int64_t>(view_.size());
    if (append || n == 0) {
        int64_t records = std::min<int64_t>(n, bufferCount_ - 1);
        winStart_ = n - records;
        insertSlot_ = static_cast<int>(records);
        insertPos_ = static_cast<size_t>(n);
    } else {
        int64_t cur = CurrentViewIndex();
        insertPos_ = static_cast<size_t>(cur);
        if (bufferCount_ == 1) {
            winStart_ = cur;
            insertSlot_ = 0;
        } else {
            insertSlot_ = activeRecord_;
        }
    }
    activeRecord_ = insertSlot_;
    FillSlots();
    editBuffer_.assign(columns_.size(), TDbValue());
    editModified_.assign(columns_.size(), 0);
    editCalc_.assign(calcFields_.size(), TDbValue());
    editSlot_ = insertSlot_;
    bof_ = eof_ = false;
    try {
        InternalInitRecord();
        SetState(dsInsert);
        DoEvent(OnNewRecord);
    } catch (...) {
        int slot = insertSlot_;
        PlaceAt(std::min<int64_t>(static_cast<int64_t>(insertPos_), n - 1), slot);
        editSlot_ = -1;
        bof_ = eof_ = view_.empty();
        RecomputeCalc(false);
        SetState(dsBrowse);
        DataEvent(deDataSetChange, 0);
        throw;
    }
    modified_ = false;
    RecalcEditRecord();
    DataEvent(deDataSetChange, 0);
    DoEvent(AfterInsert);
    DoEvent(AfterScroll);
}

void TDataSet::Post() {
    CheckActive();
    UpdateRecord();
    DataEvent(deCheckBrowseMode, 0);
    if (!IsEditState(state_)) return;  // a control left edit mode itself
    DoEvent(BeforePost);
    for (TField* f : storeFields_) {
        if (!f || !f->Required() || f->DataType() == ftAutoInc) continue;
        if (editBuffer_[static_cast<size_t>(f->store_)].null)
            DatabaseError("Field '" + f->DisplayName() + "' must have a value");
    }
    bool inserting = state_ == dsInsert;
    InternalPost(inserting);
    uint32_t row;
    if (inserting) {
        int slot = insertSlot_;
        row = NewRowAt(insertPos_);
        for (size_t c = 0; c < columns_.size(); ++c) StoreValue(static_cast<int>(c), row, editBuffer_[c]);
        PlaceAt(static_cast<int64_t>(insertPos_), slot);
    } else {
        row = SlotRow(editSlot_);
        for (size_t c = 0; c < columns_.size(); ++c)
            if (editModified_[c]) StoreValue(static_cast<int>(c), row, editBuffer_[c]);
        PlaceAt(ViewIndexOf(row), editSlot_);
    }
    editSlot_ = -1;
    ++storeVersion_;
    lookupIndexes_.clear();
    RecomputeCalc(true);
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    DoEvent(AfterPost);
}

void TDataSet::Cancel() {
    if (!IsEditState(state_)) return;
    DataEvent(deCheckBrowseMode, 0);
    DoEvent(BeforeCancel);
    if (state_ == dsInsert) {
        int slot = insertSlot_;
        int64_t n = static_cast<int64_t>(view_.size());
        PlaceAt(std::min<int64_t>(static_cast<int64_t>(insertPos_), n - 1), slot);
        if (view_.empty()) bof_ = eof_ = true;
    }
    editSlot_ = -1;
    RecomputeCalc(false);
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    DoEvent(AfterCancel);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (slots_.empty()) DatabaseError("Cannot perform this operation on an empty dataset");
    if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
    DataEvent(deCheckBrowseMode, 0);
    DoEvent(BeforeDelete);
    DoEvent(BeforeScroll);
    InternalDelete();
    uint32_t row = SlotRow(activeRecord_);
    int64_t cur = CurrentViewIndex();
    int slot = activeRecord_;
    int64_t k = key_[row];
    auto it = std::lower_bound(all_.begin(), all_.end(), k, [&](uint32_t r, int64_t key) { return key_[r] < key; });
    if (it != all_.end() && *it == row) all_.erase(it);
    view_.erase(view_.begin() + static_cast<std::ptrdiff_t>(cur));
    deleted_[row] = 1;
    editSlot_ = -1;
    ++storeVersion_;
    lookupIndexes_.clear();
    int64_t n = static_cast<int64_t>(view_.size());
    PlaceAt(std::min(cur, n - 1), slot);
    RecomputeCalc(false);
    if (n == 0)
        bof_ = eof_ = true;
    else
        bof_ = eof_ = false;
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    DoEvent(AfterDelete);
    DoEvent(AfterScroll);
}

void TDataSet::InternalRefresh() {}

void TDataSet::Refresh() {
    CheckBrowseMode();
    DoEvent(BeforeRefresh);
    // Stay on the record with the same key when the rows are read again.
    TField* keyField = nullptr;
    for (TField* f : storeFields_)
        if (f && f->DataType() == ftAutoInc) {
            keyField = f;
            break;
        }
    int64_t row = CurrentRow();
    TDbCell keyCell;
    int64_t keyValue = 0;
    bool haveKey = false;
    if (keyField && row >= 0) {
        ReadStoreCell(keyField, static_cast<uint32_t>(row), keyCell);
        haveKey = !keyCell.null;
        keyValue = keyCell.i;
    }
    int64_t cur = slots_.empty() ? 0 : CurrentViewIndex();
    int slot = activeRecord_;
    InternalRefresh();
    ApplyOrder();
    if (filtered_ && filter_) filter_->Bind(*this);
    RebuildView();
    ++storeVersion_;
    lookupIndexes_.clear();
    int64_t target = cur;
    if (haveKey) {
        for (size_t i = 0; i < view_.size(); ++i) {
            ReadStoreCell(keyField, view_[i], keyCell);
            if (!keyCell.null && keyCell.i == keyValue) {
                target = static_cast<int64_t>(i);
                break;
            }
        }
    }
    PlaceAt(target, slot);
    RecomputeCalc(true);
    bof_ = eof_ = view_.empty();
    DataEvent(deDataSetChange, 0);
    DoEvent(AfterRefresh);
}

// ---------------------------------------------------------------------------
// Field values

TDataSet::RecordRef TDataSet::ActiveRef() const {
    if (tempRef_) return *tempRef_;
    RecordRef ref;
    if (slots_.empty() || activeRecord_ < 0 || static_cast<size_t>(activeRecord_) >= slots_.size()) return ref;
    uint32_t row = slots_[static_cast<size_t>(activeRecord_)];
    if ((IsEditState(state_) && activeRecord_ == editSlot_) || row == kNewRow) {
        if (!IsEditState(state_)) return ref;
        ref.row = row == kNewRow ? -1 : row;
        ref.data = &editBuffer_;
        ref.calc = &editCalc_;
        return ref;
    }
    ref.row = row;
    if (!calcFields_.empty()) ref.calc = &slotCalc_[static_cast<size_t>(activeRecord_)];
    return ref;
}

void TDataSet::ReadRef(const TField* field, const RecordRef& ref, TDbCell& cell, std::string& scratch) const {
    cell = TDbCell();
    switch (field->fieldKind_) {
    case fkData:
        if (field->store_ < 0) return;
        if (ref.data) {
            if (static_cast<size_t>(field->store_) < ref.data->size())
                ValueToCell((*ref.data)[static_cast<size_t>(field->store_)], field->Kind(), cell);
        } else if (ref.row >= 0) {
            ReadStoreCell(field, static_cast<uint32_t>(ref.row), cell);
        }
        return;
    case fkCalculated:
    case fkInternalCalc:
        if (ref.calc && field->calcSlot_ >= 0 && static_cast<size_t>(field->calcSlot_) < ref.calc->size())
            ValueToCell((*ref.calc)[static_cast<size_t>(field->calcSlot_)], field->Kind(), cell);
        return;
    case fkLookup: {
        TDataSet* source = field->lookupDataSet_;
        if (!source || !source->Active() || (ref.row < 0 && !ref.data)) return;
        std::vector<AnsiString> names = SplitNames(field->keyFields_);
        if (names.empty()) return;
        Variant keys;
        if (names.size() == 1) {
            TField* k = FindField(names[0]);
            if (!k) return;
            keys = RefValue(k, ref);
        } else {
            keys = VarArrayCreate({0, static_cast<int>(names.size()) - 1}, varVariant);
            for (size_t i = 0; i < names.size(); ++i) {
                TField* k = FindField(names[i]);
                if (!k) return;
                keys.Put({static_cast<int>(i)}, RefValue(k, ref));
            }
        }
        Variant v = source->Lookup(field->lookupKeyFields_, keys, field->lookupResultField_);
        if (v.IsNull() || v.IsEmpty()) return;
        try {
            switch (field->Kind()) {
            case TDbKind::Text: scratch = VarToStr(v); cell.s = scratch; break;
            case TDbKind::Integer: cell.i = v.AsInt64(); break;
            case TDbKind::Boolean: cell.i = v.AsBoolean() ? 1 : 0; break;
            case TDbKind::Float: cell.d = v.AsDouble(); break;
            case TDbKind::DateTime: cell.d = v.AsDateTime(); break;
            }
            cell.null = false;
        } catch (const EVariantError&) {
            // A result this field cannot hold reads as no match: the cell is
            // read while painting and sorting, where raising would stop both.
        }
        return;
    }
    default: return;
    }
}

Variant TDataSet::RefValue(const TField* field, const RecordRef& ref) const {
    TDbCell c;
    std::string scratch;
    ReadRef(field, ref, c, scratch);
    return CellToVariant(field, c);
}

void TDataSet::ReadFieldCell(const TField* field, TDbCell& cell, std::string& scratch) const {
    ReadRef(field, ActiveRef(), cell, scratch);
}

void TDataSet::CalculateFields(const RecordRef& ref, std::vector<TDbValue>& buffer) {
    buffer.assign(calcFields_.size(), TDbValue());
    if (!OnCalcFields) return;
    RecordRef r = ref;
    r.calc = &buffer;
    TValueRestorer refScope(tempRef_, &r);
    TValueRestorer outScope(tempCalcOut_, &buffer);
    TValueRestorer stateScope(state_, dsCalcFields);
    OnCalcFields(this);
}

void TDataSet::WriteField(TField* field, const TDbValue& value) {
    CheckActive();
    if (tempRef_) {
        if (state_ == dsCalcFields && tempCalcOut_ && field->calcSlot_ >= 0 &&
            static_cast<size_t>(field->calcSlot_) < tempCalcOut_->size()) {
            (*tempCalcOut_)[static_cast<size_t>(field->calcSlot_)] = value;
            return;
        }
        DatabaseError("Dataset not in edit or insert mode");
    }
    if (!IsEditState(state_)) DatabaseError("Dataset not in edit or insert mode");
    switch (field->fieldKind_) {
    case fkData: {
        if (field->readOnly_) DatabaseError("Field '" + field->DisplayName() + "' cannot be modified");
        if (field->store_ < 0) DatabaseError("Field '" + field->DisplayName() + "' not found");
        TDbValue& target = editBuffer_[static_cast<size_t>(field->store_)];
        TDbValue old = target;
        target = value;
        if (field->OnValidate) {
            try {
                field->OnValidate(field);
            } catch (...) {
                editBuffer_[static_cast<size_t>(field->store_)] = old;
                throw;
            }
        }
        editModified_[static_cast<size_t>(field->store_)] = 1;
        modified_ = true;
        RecalcEditRecord();
        break;
    }
    case fkCalculated:
    case fkInternalCalc:
        if (field->calcSlot_ < 0) return;
        editCalc_[static_cast<size_t>(field->calcSlot_)] = value;
        break;
    default: DatabaseError("Field '" + field->DisplayName() + "' cannot be modified");
    }
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
    if (field->OnChange) field->OnChange(field);
}

// ---------------------------------------------------------------------------
// Bookmarks

TBookmarkStr TDataSet::RowBookmark(uint32_t Row) {
    int32_t id = static_cast<int32_t>(kFirstRecordId + Row);
    TBookmarkStr b(sizeof id, '\0');
    std::memcpy(b.data(), &id, sizeof id);
    return b;
}

TBookmarkStr TDataSet::Bookmark() const {
    int64_t row = CurrentRow();
    if (!Active() || row < 0) return TBookmarkStr();
    return RowBookmark(static_cast<uint32_t>(row));
}

uint32_t TDataSet::BookmarkRow(const TBookmarkStr& b, bool& ok) const {
    ok = false;
    if (b.size() != sizeof(int32_t)) return 0;
    int32_t id;
    std::memcpy(&id, b.data(), sizeof id);
    int64_t row = static_cast<int64_t>(id) - kFirstRecordId;
    if (row < 0 || row >= static_cast<int64_t>(rowCount_)) return 0;
    ok = true;
    return static_cast<uint32_t>(row);
}

bool TDataSet::BookmarkValid(const TBookmarkStr& Value) const {
    bool ok;
    uint32_t row = BookmarkRow(Value, ok);
    return ok && Active() && ViewIndexOf(row) >= 0;
}

void TDataSet::GotoBookmark(const TBookmarkStr& Value) {
    CheckBrowseMode();
    bool ok;
    uint32_t row = BookmarkRow(Value, ok);
    if (!ok || ViewIndexOf(row) < 0) DatabaseError("Record not found");
    DoEvent(BeforeScroll);
    GotoRow(row, true);
    DoEvent(AfterScroll);
}

int TDataSet::CompareBookmarks(const TBookmarkStr& Bookmark1, const TBookmarkStr& Bookmark2) const {
    if (Bookmark1.empty() || Bookmark2.empty()) {
        if (Bookmark1.empty() && Bookmark2.empty()) return 0;
        return Bookmark1.empty() ? -1 : 1;
    }
    bool ok1, ok2;
    uint32_t a = BookmarkRow(Bookmark1, ok1), b = BookmarkRow(Bookmark2, ok2);
    if (!ok1 || !ok2) DatabaseError("Invalid bookmark");
    int64_t ka = key_[a], kb = key_[b];
    return ka < kb ? -1 : (ka > kb ? 1 : 0);
}

// ---------------------------------------------------------------------------
// Searching

bool TDataSet::Locate(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    return LocateRecord(KeyFields, KeyValues, Options, false);
}

bool TDataSet::LocateRecord(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options,
                            bool CurrentFirst) {
    CheckBrowseMode();
    std::vector<TField*> fields;
    GetFieldList(fields, KeyFields);
    if (fields.empty()) return false;
    std::vector<Variant> values = KeyList(KeyValues, fields.size());
    std::vector<TDbSearchKey> keys;
    for (size_t i = 0; i < fields.size(); ++i) keys.push_back(MakeSearchKey(values[i], fields[i]->Kind()));
    DoEvent(BeforeScroll);
    int64_t found = FindRow(fields, keys, Options, CurrentFirst ? CurrentRow() : -1);
    if (found < 0) return false;
    GotoRow(static_cast<uint32_t>(found), true);
    DoEvent(AfterScroll);
    return true;
}

int64_t TDataSet::FindRow(const std::vector<TField*>& fields, const std::vector<TDbSearchKey>& keys,
                          TLocateOptions options, int64_t firstRow) {
    std::vector<int> handles;
    for (TField* f : fields) handles.push_back(fields_->IndexOf(f));
    TDbCell cell;
    std::string scratch;
    auto matches = [&](uint32_t row) {
        for (size_t i = 0; i < fields.size(); ++i) {
            ReadCell(handles[i], row, cell, scratch);
            if (!CellMatches(cell, fields[i]->Kind(), keys[i], options)) return false;
        }
        return true;
    };
    if (firstRow >= 0 && matches(static_cast<uint32_t>(firstRow))) return firstRow;
    for (uint32_t row : view_)
        if (matches(row)) return row;
    return -1;
}

Variant TDataSet::Lookup(const AnsiString& KeyFields, const Variant& KeyValues, const AnsiString& ResultFields) {
    if (!Active()) return Null();
    std::vector<TField*> fields;
    GetFieldList(fields, KeyFields);
    if (fields.empty()) return Null();
    std::vector<Variant> values = KeyList(KeyValues, fields.size());
    std::vector<int> handles;
    for (TField* f : fields) handles.push_back(fields_->IndexOf(f));

    // The probe, in the index's key form.
    std::string probe;
    for (size_t i = 0; i < fields.size(); ++i) {
        TDbSearchKey k = MakeSearchKey(values[i], fields[i]->Kind());
        if (k.null || !k.valid) return Null();
        TDbCell c;
        c.null = false;
        switch (fields[i]->Kind()) {
        case TDbKind::Text: c.s = k.text; break;
        case TDbKind::Integer:
        case TDbKind::Boolean:
            if (k.number != std::trunc(k.number)) return Null();
            c.i = static_cast<int64_t>(k.number);
            break;
        default: c.d = k.number; break;
        }
        AppendKeyBytes(probe, c, fields[i]->Kind());
    }

    std::string indexName = UpperCase(KeyFields);
    auto it = lookupIndexes_.find(indexName);
    if (it == lookupIndexes_.end()) {
        auto index = std::make_shared<LookupIndex>();
        index->rows.reserve(view_.size());
        TDbCell c;
        std::string scratch, key;
        for (uint32_t row : view_) {
            key.clear();
            bool null = false;
            for (size_t i = 0; i < fields.size() && !null; ++i) {
                ReadCell(handles[i], row, c, scratch);
                if (c.null)
                    null = true;
                else
                    AppendKeyBytes(key, c, fields[i]->Kind());
            }
            if (!null) index->rows.emplace(key, row);
        }
        it = lookupIndexes_.emplace(indexName, index).first;
    }
    auto hit = it->second->rows.find(probe);
    if (hit == it->second->rows.end()) return Null();

    std::vector<TField*> results;
    GetFieldList(results, ResultFields);
    RecordRef ref;
    ref.row = hit->second;
    std::vector<TDbValue> calc;
    if (!calcFields_.empty()) {
        CalculateFields(ref, calc);
        ref.calc = &calc;
    }
    if (results.size() == 1) return RefValue(results[0], ref);
    Variant out = VarArrayCreate({0, static_cast<int>(results.size()) - 1}, varVariant);
    for (size_t i = 0; i < results.size(); ++i) out.Put({static_cast<int>(i)}, RefValue(results[i], ref));
    return out;
}

Variant TDataSet::FieldValues(const AnsiString& FieldNames) const {
    std::vector<TField*> fields;
    GetFieldList(fields, FieldNames);
    if (fields.size() == 1) return fields[0]->Value();
    Variant out = VarArrayCreate({0, static_cast<int>(fields.size()) - 1}, varVariant);
    for (size_t i = 0; i < fields.size(); ++i) out.Put({static_cast<int>(i)}, fields[i]->Value());
    return out;
}

void TDataSet::SetFieldValues(const AnsiString& FieldNames, const Variant& Value) {
    std::vector<TField*> fields;
    GetFieldList(fields, FieldNames);
    std::vector<Variant> values = KeyList(Value, fields.size());
    for (size_t i = 0; i < fields.size(); ++i) fields[i]->SetValue(values[i]);
}
