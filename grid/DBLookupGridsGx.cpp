#include "grid/DBLookupGridsGx.h"

#include <algorithm>

#include "grid/GxLibVCL.h"
#include "platform/classes/Lists.h"
#include "platform/db/DbClassInfo.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"

DWORD TDBLookupGridGx::LastSearchKeyTime = 0;

namespace {

constexpr DWORD kSearchTimeOut = 2000;
constexpr size_t kSearchLimit = 32;

// The values of fields as one key: a plain value for one field, an array for several.
Variant ValuesOf(const std::vector<TField*>& Fields) {
    if (Fields.empty()) return Null();
    if (Fields.size() == 1) return Fields[0]->Value();
    Variant v = VarArrayCreate({0, static_cast<int>(Fields.size()) - 1}, varVariant);
    for (size_t i = 0; i < Fields.size(); ++i) VarArrayPut(v, Fields[i]->Value(), {static_cast<int>(i)});
    return v;
}

AnsiString JoinNames(const std::vector<TField*>& Fields) {
    AnsiString names;
    for (TField* f : Fields) names += (names.empty() ? "" : ";") + f->FieldName();
    return names;
}

}  // namespace

// ---------------------------------------------------------------------------
// TGridColumnSpecCellGx, TDBLookupGridColumnGx

TGridColumnSpecCellGx::TGridColumnSpecCellGx(TColumnGx* Column)
    : column_(Column), font_(std::make_unique<TFont>()) {
    font_->OnChange = MakeEvent(this, &TGridColumnSpecCellGx::FontChanged);
}

TGridColumnSpecCellGx::~TGridColumnSpecCellGx() = default;

TPersistent* TGridColumnSpecCellGx::GetOwner() { return column_; }

void TGridColumnSpecCellGx::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TGridColumnSpecCellGx*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    text_ = s->text_;
    textAssigned_ = s->textAssigned_;
    color_ = s->color_;
    colorAssigned_ = s->colorAssigned_;
    if (s->fontAssigned_) {
        syncingFont_ = true;
        font_->Assign(s->font_.get());
        syncingFont_ = false;
    }
    fontAssigned_ = s->fontAssigned_;
    Changed();
}

TSpecRowGx* TGridColumnSpecCellGx::GridSpecRow() const {
    auto* grid = dynamic_cast<TDBLookupGridGx*>(column_ ? column_->GetGrid() : nullptr);
    return grid ? grid->SpecRow() : nullptr;
}

AnsiString TGridColumnSpecCellGx::Text() const {
    if (textAssigned_) return text_;
    TSpecRowGx* row = GridSpecRow();
    return row && column_ ? row->GetCellText(column_->Index()) : AnsiString();
}

void TGridColumnSpecCellGx::SetText(const AnsiString& Value) {
    if (textAssigned_ && Value == text_) return;
    text_ = Value;
    textAssigned_ = true;
    Changed();
}

TColor TGridColumnSpecCellGx::Color() const {
    if (colorAssigned_) return color_;
    TSpecRowGx* row = GridSpecRow();
    return row ? row->Color() : clWindow;
}

void TGridColumnSpecCellGx::SetColor(TColor Value) {
    if (colorAssigned_ && Value == color_) return;
    color_ = Value;
    colorAssigned_ = true;
    Changed();
}

TFont* TGridColumnSpecCellGx::Font() const {
    if (!fontAssigned_) {
        // Follow the special row's font until one is set here.
        auto* self = const_cast<TGridColumnSpecCellGx*>(this);
        self->syncingFont_ = true;
        if (TSpecRowGx* row = GridSpecRow()) {
            font_->Assign(row->Font());
        } else {
            TFont defaults;
            font_->Assign(&defaults);
        }
        self->syncingFont_ = false;
    }
    return font_.get();
}

void TGridColumnSpecCellGx::SetFont(TFont* Value) {
    syncingFont_ = true;
    font_->Assign(Value);
    syncingFont_ = false;
    fontAssigned_ = true;
    Changed();
}

void TGridColumnSpecCellGx::FontChanged(TObject*) {
    if (syncingFont_) return;
    fontAssigned_ = true;
    Changed();
}

void TGridColumnSpecCellGx::Changed() {
    if (column_ && column_->GetGrid()) column_->GetGrid()->Invalidate();
}

TDBLookupGridColumnGx::TDBLookupGridColumnGx(TCollection* Collection)
    : TDBGridColumnGx(Collection), specCell_(new TGridColumnSpecCellGx(this)) {}

TDBLookupGridColumnGx::~TDBLookupGridColumnGx() { delete specCell_; }

void TDBLookupGridColumnGx::Assign(TPersistent* Source) {
    TDBGridColumnGx::Assign(Source);
    if (auto* s = dynamic_cast<TDBLookupGridColumnGx*>(Source)) specCell_->Assign(s->specCell_);
}

// ---------------------------------------------------------------------------
// TLookupGridDataLinkGx

void TLookupGridDataLinkGx::ActiveChanged() { grid_->UpdateDataFields(); }
void TLookupGridDataLinkGx::LayoutChanged() { grid_->UpdateDataFields(); }
void TLookupGridDataLinkGx::RecordChanged(TField* Field) { grid_->DataLinkRecordChanged(Field); }

// ---------------------------------------------------------------------------
// TDBLookupGridGx

TDBLookupGridGx::TDBLookupGridGx(TComponent* AOwner) : TCustomDBGridGx(AOwner) {
    dataLink_ = new TLookupGridDataLinkGx(this);
    specRow_ = new TSpecRowGx(this);
    specRow_->OnChange = MakeEvent(this, &TDBLookupGridGx::SpecRowChanged);
    SetParentColor(false);
    SetFlat(true);
    SetDrawMemoText(true);
    SetTabStop(false);
    SetVTitleMargin(5);
    SetOptions(TDBGridOptions{dgColLines, dgRowSelect});
    VertScrollBar()->SetTracking(true);
    HorzScrollBar()->SetTracking(true);
    RecreateColumns();
}

TDBGridColumnsGx* TDBLookupGridGx::CreateColumns() {
    return new TDBGridColumnsGx(this, ItemClassOf<TDBLookupGridColumnGx>);
}

TColumnDefValuesGx* TDBLookupGridGx::CreateColumnDefValues() { return new TDBLookupGridColumnDefValuesGx(this); }

TDBLookupGridGx::~TDBLookupGridGx() {
    dataLink_->SetDataSource(nullptr);
    delete dataLink_;
    delete specRow_;
}

void TDBLookupGridGx::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomDBGridGx::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (dataLink_ && AComponent == dataLink_->DataSource()) dataLink_->SetDataSource(nullptr);
    if (AComponent == userListSource_) userListSource_ = nullptr;
}

void TDBLookupGridGx::CheckNotLookup() {
    if (lookupMode_) throw EDatabaseError("Property already defined by lookup field");
    if (dataLink_->DataSourceFixed()) throw EDatabaseError("Operation not allowed in a DBCtrlGrid");
}

// ---- the edited record

void TDBLookupGridGx::SetDataSource(TDataSource* Value) {
    if (Value) Value->FreeNotification(this);
    dataLink_->SetDataSource(Value);
    UpdateDataFields();
}

void TDBLookupGridGx::SetDataField(const AnsiString& Value) {
    if (Value == dataFieldName_) return;
    dataFieldName_ = Value;
    UpdateDataFields();
}

void TDBLookupGridGx::UpdateDataFields() {
    dataFields_.clear();
    dataKeyFields_.clear();
    if (dataLink_->Active() && !dataFieldName_.empty())
        dataLink_->DataSet()->GetFieldList(dataFields_, dataFieldName_);
    if (dataFields_.size() == 1 && dataFields_[0]->Lookup()) {
        TField* f = dataFields_[0];
        dataLink_->DataSet()->GetFieldList(dataKeyFields_, f->KeyFields());
        if (!lookupSource_) lookupSource_ = new TDataSource(this);
        lookupSource_->SetDataSet(f->LookupDataSet());
        keyFieldName_ = f->LookupKeyFields();
        lookupMode_ = true;
        TCustomDBGridGx::SetDataSource(lookupSource_);
    } else {
        if (lookupMode_) {
            lookupMode_ = false;
            keyFieldName_.clear();
            TCustomDBGridGx::SetDataSource(userListSource_);
        }
        dataKeyFields_ = dataFields_;
    }
    dataKeyFieldNames_ = JoinNames(dataKeyFields_);
    DataLinkRecordChanged(nullptr);
    UpdateListFields();
}

void TDBLookupGridGx::DataLinkRecordChanged(TField* Field) {
    if (Field && std::find(dataKeyFields_.begin(), dataKeyFields_.end(), Field) == dataKeyFields_.end()) return;
    if (dataKeyFields_.empty()) {
        if (dataLink_->Active()) SetKeyValue(Null());
        return;
    }
    SetKeyValue(ValuesOf(dataKeyFields_));
}

// ---- the list

TDataSource* TDBLookupGridGx::ListSource() const { return TCustomDBGridGx::DataSource(); }

void TDBLookupGridGx::SetListSource(TDataSource* Value) {
    CheckNotLookup();
    userListSource_ = Value;
    if (Value) Value->FreeNotification(this);
    TCustomDBGridGx::SetDataSource(Value);
    UpdateListFields();
}

void TDBLookupGridGx::SetKeyField(const AnsiString& Value) {
    CheckNotLookup();
    if (Value == keyFieldName_) return;
    keyFieldName_ = Value;
    UpdateListFields();
    LayoutChanged();
}

void TDBLookupGridGx::SetListField(const AnsiString& Value) {
    CheckNotLookup();
    if (Value == listFieldName_) return;
    listFieldName_ = Value;
    UpdateListFields();
    LayoutChanged();
}

void TDBLookupGridGx::SetListFieldIndex(int Value) {
    if (Value == listFieldIndex_) return;
    listFieldIndex_ = Value;
    UpdateListFields();
}

void TDBLookupGridGx::UpdateListFields() {
    listActive_ = false;
    listFields_.clear();
    keyFields_.clear();
    listField_ = nullptr;
    TDataSet* list = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (list && !keyFieldName_.empty()) {
        if (dataLink_->DataSet() == list) throw EDatabaseError("Circular datalinks are not allowed");
        list->GetFieldList(keyFields_, keyFieldName_);
        if (!listFieldName_.empty()) list->GetFieldList(listFields_, listFieldName_);
        if (lookupMode_) {
            listField_ = list->FieldByName(dataFields_[0]->LookupResultField());
            if (std::find(listFields_.begin(), listFields_.end(), listField_) == listFields_.end())
                listFields_.insert(listFields_.begin(), listField_);
        } else {
            if (listFields_.empty()) listFields_ = keyFields_;
            const int n = static_cast<int>(listFields_.size());
            listField_ = listFieldIndex_ >= 0 && listFieldIndex_ < n ? listFields_[static_cast<size_t>(listFieldIndex_)]
                                                                     : listFields_[0];
        }
        listActive_ = true;
    }
    if (listActive_) KeyValueChanged();
    else UpdateListPosition();
    if (listActive_) LayoutChanged();  // the columns follow the list fields
}

void TDBLookupGridGx::GetDatasetFieldList(TList* List) {
    if (!listActive_) {
        TCustomDBGridGx::GetDatasetFieldList(List);
        return;
    }
    for (TField* f : listFields_) List->Add(f);
}

// Without columns of its own the grid shows the list fields.
void TDBLookupGridGx::DefineFieldMap() {
    if (Columns()->State() == csCustomized || !listActive_) {
        TCustomDBGridGx::DefineFieldMap();
        return;
    }
    DataLink()->SetSparseMap(false);
    for (TField* f : listFields_) DataLink()->AddMapping(f->FieldName());
}

void TDBLookupGridGx::LinkActive(bool Value) {
    TCustomDBGridGx::LinkActive(Value);
    UpdateListFields();
    LayoutChanged();
}

// ---- key value

Variant TDBLookupGridGx::ListKeyValue() { return ValuesOf(keyFields_); }

bool TDBLookupGridGx::KeyValueMatchesKeyFields(const Variant& Value) {
    if (keyFields_.size() == 1) return !VarIsArray(Value);
    return VarIsArray(Value) && VarArrayDimCount(Value) == 1 &&
           VarArrayHighBound(Value, 1) - VarArrayLowBound(Value, 1) + 1 == static_cast<int>(keyFields_.size());
}

void TDBLookupGridGx::SetKeyValue(const Variant& Value) {
    if (VarEquals(Value, keyValue_)) return;
    keyValue_ = Value;
    KeyValueChanged();
}

bool TDBLookupGridGx::LocateKey() {
    TDataSet* list = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (VarIsNull(keyValue_) || VarIsEmpty(keyValue_) || !list || !KeyValueMatchesKeyFields(keyValue_)) return false;
    if (!list->Locate(keyFieldName_, keyValue_, TLocateOptions())) return false;
    // The found record goes towards the middle of the view.
    // The found record goes towards the middle of the view: a move past the
    // edge of the view and back scrolls the view by the overshoot.
    const int middle = std::max(1, VisibleDataRowCount()) / 2;
    const int row = DataLink()->ActiveRecord();
    int moved = 0;
    if (row > middle) moved = list->MoveBy(std::max(1, VisibleDataRowCount()) - 1 - middle);
    else if (row < middle) moved = list->MoveBy(-middle);
    if (moved != 0) list->MoveBy(-moved);
    return true;
}

void TDBLookupGridGx::KeyValueChanged() {
    bool located = false;
    if (specRow_->Visible()) {
        specRowSelected_ = VarEquals(keyValue_, specRow_->Value());
        if (!specRowSelected_ && !lockPosition_ && specRow_->ShowIfNotInKeyList()) {
            located = LocateKey();
            if (located) UpdateListPosition();
            else specRowSelected_ = true;
        }
    } else {
        specRowSelected_ = false;
    }
    if (listActive_ && !lockPosition_) {
        located = LocateKey();
        if (!located && !specRowSelected_) DataLink()->DataSet()->First();
        UpdateListPosition();
    } else if (lockPosition_) {
        located = true;  // the list stands on the value being chosen
    }
    if (specRow_->Visible() && specRowSelected_) text_ = specRow_->GetCellText(listFieldIndex_);
    else if (listField_ && (located || listActive_)) text_ = listField_->DisplayText();  // the list's first record when not found
    else text_.clear();
    UpdateActive();
    Invalidate();
}

void TDBLookupGridGx::UpdateListPosition() {
    if (listActive_) {
        // No list of ours offers direct record access: the buffer tells.
        recordIndex_ = DataLink()->ActiveRecord();
        recordCount_ = DataLink()->RecordCount();
    } else {
        recordIndex_ = 0;
        recordCount_ = 0;
    }
    UpdateScrollBar();
    Invalidate();
}

// The grid's current row follows the chosen key's record when it is among the
// rows shown, without scrolling the list.
void TDBLookupGridGx::UpdateActive() {
    keyRowVisible_ = false;
    TGridDataLinkGx* link = DataLink();
    if (!link || !link->Active() || !HandleAllocated() || IsDestroying() || DirectRecordAccess()) return;
    if (specRowSelected_ || VarIsNull(keyValue_) || VarIsEmpty(keyValue_) || keyFields_.empty()) return;
    int found = -1;
    {
        const int saved = link->ActiveRecord();
        TScopeGuard restore([link, saved] { link->SetActiveRecord(saved); });
        for (int i = 0; i < link->RecordCount() && found < 0; ++i) {
            link->SetActiveRecord(i);
            if (VarEquals(ListKeyValue(), keyValue_)) found = i;
        }
    }
    if (found < 0) return;
    const int row = TitleOffset() + found;
    if (row != Row() && row < RowCount()) MoveColRow(Col(), row, false, false);
    keyRowVisible_ = true;
}

void TDBLookupGridGx::SelectKeyValue(const Variant& Value) {
    if (dataKeyFields_.empty()) {
        SetKeyValue(Value);
    } else if (dataLink_->Edit()) {
        DataSetSetFieldValues(dataLink_->DataSet(), dataKeyFieldNames_, Value);
    }
    Invalidate();
    Click();
}

void TDBLookupGridGx::SetSpecRowSelected(bool Value) {
    if (Value == specRowSelected_) return;
    specRowSelected_ = Value;
    Invalidate();
}

void TDBLookupGridGx::SelectCurrent() {
    if (!listActive_) return;
    TValueRestorer<bool> lock(lockPosition_, true);
    Variant v = ListKeyValue();
    if (!VarEquals(v, keyValue_) || specRowSelected_) {
        specRowSelected_ = false;
        SelectKeyValue(v);
        if (!VarEquals(v, keyValue_)) return;
    }
    text_ = listField_ ? listField_->DisplayText() : AnsiString();
    UpdateActive();
    Invalidate();
}

void TDBLookupGridGx::SelectSpecRow() {
    if (!VarEquals(keyValue_, specRow_->Value())) SelectKeyValue(specRow_->Value());
    SetSpecRowSelected(true);
    keyRowVisible_ = false;
    text_ = specRow_->GetCellText(listFieldIndex_);
}

void TDBLookupGridGx::SpecRowChanged(TObject*) {
    LayoutChanged();
    if (HandleAllocated() && !sizing_) SetRowCount(rowCount_);
    if (listActive_) KeyValueChanged();
}

int TDBLookupGridGx::ExtraTitleRows() { return TCustomDBGridGx::ExtraTitleRows() + (specRow_ && specRow_->Visible() ? 1 : 0); }

bool TDBLookupGridGx::CanModify() {
    if (!listActive_ || dataLink_->ReadOnly()) return false;
    if (!dataLink_->DataSource()) return true;
    if (dataFields_.empty()) return false;
    for (TField* f : dataFields_)
        if (!f->CanModify()) return false;
    return true;
}

// ---- drawing

bool TDBLookupGridGx::CanDrawRowFocusRect() { return keyRowVisible_; }

bool TDBLookupGridGx::GetDataCellColors(int DataCol, int DataRow, TFont* AFont, TColor& AColor, TGridDrawState State,
                                        const AnsiString& CellText) {
    bool result = TCustomDBGridGx::GetDataCellColors(DataCol, DataRow, AFont, AColor, State, CellText);
    // The chosen record's row in the highlight colours.
    if (keyRowVisible_ && listActive_ && DataLink()->ActiveRecord() >= 0 && VarEquals(ListKeyValue(), keyValue_)) {
        AColor = clHighlight;
        AFont->SetColor(clHighlightText);
        return true;
    }
    return result;
}

void TDBLookupGridGx::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (!(specRow_->Visible() && ARow == TitleOffset() - 1 && ACol >= IndicatorOffset())) {
        TCustomDBGridGx::DrawCell(ACol, ARow, ARect, AState);
        return;
    }
    // The special row: each column's own cell of it.
    const int column = ACol - IndicatorOffset();
    TColumnGx* col = column < Columns()->Count() ? Columns()->Items(column) : nullptr;
    TGridColumnSpecCellGx* cell = dynamic_cast<TDBLookupGridColumnGx*>(col) ? static_cast<TDBLookupGridColumnGx*>(col)->SpecCell() : nullptr;
    TCanvas* c = Canvas();
    c->Font()->Assign(cell ? cell->Font() : specRow_->Font());
    c->Brush()->SetColor(specRowSelected_ ? clHighlight : cell ? cell->Color() : specRow_->Color());
    if (specRowSelected_) c->Font()->SetColor(clHighlightText);
    c->FillRect(ARect);
    TRect text = ARect;
    InflateRect(&text, -2, 0);
    TAlignment align = col ? col->Alignment() : taLeftJustify;
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                 (align == taRightJustify ? DT_RIGHT : align == taCenter ? DT_CENTER : DT_LEFT);
    SetBkMode(c->Handle(), TRANSPARENT);
    DrawTextGx(c->Handle(), cell ? cell->Text() : specRow_->GetCellText(column), -1, text, flags);
    if (specRowSelected_) c->DrawFocusRect(ARect);
}

// ---- changes of the list

void TDBLookupGridGx::DataChanged() {
    TCustomDBGridGx::DataChanged();
    UpdateListPosition();
}

void TDBLookupGridGx::Scroll(int Distance) {
    TCustomDBGridGx::Scroll(Distance);
    UpdateListPosition();
}

// ---- the vertical scroll bar

// A list that numbers its records gets a proportional bar over the records
// (the thumb is the rows shown); any other list a bar of start, middle and
// end, shown only while the rows do not all fit.
void TDBLookupGridGx::UpdateScrollBar() {
    if (!HandleAllocated() || IsDestroying()) return;
    if (DirectRecordAccess()) {
        TCustomDBGridGx::UpdateScrollBar();
        return;
    }
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = 2;
    si.nPage = 0;
    si.nPos = 0;
    TDataSet* list = listActive_ ? DataLink()->DataSet() : nullptr;
    if (list && list->IsSequenced()) {
        si.nPage = static_cast<UINT>(std::max(0, VisibleDataRowCount()));
        si.nMax = std::max(0, list->RecordCount() - 1);
        si.nPos = list->State() == dsInsert ? 0 : std::max(0, list->RecNo() - DataLink()->ActiveRecord() - 1);
    } else if (list) {
        const bool full = DataLink()->RecordCount() >= DataLink()->BufferCount();
        si.nMax = full ? 4 : 0;
        si.nPos = !full ? 0 : list->Bof() ? 0 : list->Eof() ? 4 : 2;
    }
    if (!VertScrollBar()->Visible()) si.nMax = si.nMin;
    SCROLLINFO shown;
    shown.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    ::GetScrollInfo(Handle(), SB_VERT, &shown);
    if (shown.nMin == si.nMin && shown.nMax == si.nMax && shown.nPage == si.nPage && shown.nPos == si.nPos) return;
    SetScrollInfo(Handle(), SB_VERT, &si, 1);
}

void TDBLookupGridGx::WMVScroll(TMessage& Message) {
    if (!listActive_ || DirectRecordAccess()) {
        TCustomDBGridGx::WMVScroll(Message);
        return;
    }
    TDataSet* list = DataLink()->DataSet();
    TGridDataLinkGx* link = DataLink();
    const int page = std::max(1, VisibleDataRowCount());
    const int code = LOWORD(Message.WParam);
    switch (code) {
        case SB_LINEUP: link->MoveBy(-link->ActiveRecord() - 1); break;
        case SB_LINEDOWN: link->MoveBy(link->RecordCount() - link->ActiveRecord()); break;
        case SB_PAGEUP: link->MoveBy(-page); break;
        case SB_PAGEDOWN: link->MoveBy(page); break;
        case SB_TOP: list->First(); break;
        case SB_BOTTOM: list->Last(); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            if (code == SB_THUMBTRACK && !VertScrollBar()->Tracking()) break;
            int pos = HIWORD(Message.WParam);
            if (list->IsSequenced()) {
                // The message holds 16 bits; the bar's track position has them all.
                SCROLLINFO si;
                si.fMask = SIF_TRACKPOS;
                ::GetScrollInfo(Handle(), SB_VERT, &si);
                if ((si.nTrackPos & 0xFFFF) == pos) pos = si.nTrackPos;
                list->SetRecNo(std::clamp(pos + 1, 1, std::max(1, list->RecordCount())));
            } else {
                switch (pos) {
                    case 0: list->First(); break;
                    case 1: link->MoveBy(-page); break;
                    case 3: link->MoveBy(page); break;
                    case 4: list->Last(); break;
                    default: break;
                }
            }
            break;
        }
        default: break;
    }
}

// ---- size

int TDBLookupGridGx::GetBorderHeight() { return HandleAllocated() ? Height() - ClientHeight() : 0; }

int TDBLookupGridGx::GetDataRowHeight() {
    return DefaultRowHeight() + (Options().Contains(dgRowLines) ? GridLineWidth() : 0);
}

int TDBLookupGridGx::HeightForRows(int Rows) {
    int h = 0;
    if (ShowTitles()) h += RowHeights(0) + (Options().Contains(dgRowLines) ? GridLineWidth() : 0);
    h += Rows * GetDataRowHeight();
    h += GetBorderHeight();
    if (specRow_->Visible()) h += GetDataRowHeight();
    return h;
}

void TDBLookupGridGx::SetRowCount(int Value) {
    rowCount_ = std::clamp(Value, 1, 100);
    TValueRestorer<bool> sizing(sizing_, true);
    SetHeight(HeightForRows(rowCount_));
}

void TDBLookupGridGx::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!sizing_ && AHeight != Height() && GetDataRowHeight() > 0) {
        // Whole rows only: the rows that fit become the row count.
        const int fixed = HeightForRows(0);
        rowCount_ = std::clamp((AHeight - fixed) / GetDataRowHeight(), 1, 100);
        AHeight = HeightForRows(rowCount_);
    }
    TCustomDBGridGx::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TDBLookupGridGx::CreateWnd() {
    TCustomDBGridGx::CreateWnd();
    SetRowCount(rowCount_);
}

void TDBLookupGridGx::SetShowTitles(bool Value) {
    SetOptions(Value ? Options() + dgTitles : Options() - dgTitles);
    SetRowCount(rowCount_);
}

void TDBLookupGridGx::SetLookupOptions(TDBLookupGridGxOptions Value) {
    options_ = Value;
    TDBGridOptions o = Options();
    o = Value.Contains(dlgColumnResizeGx) ? o + dgColumnResize : o - dgColumnResize;
    o = Value.Contains(dlgColLinesGx) ? o + dgColLines : o - dgColLines;
    o = Value.Contains(dlgRowLinesGx) ? o + dgRowLines : o - dgRowLines;
    SetOptions(o);
    TDBGridGxOptions g = OptionsGx();
    g = Value.Contains(dlgAutoSortMarkingGx) ? g + dghAutoSortMarking : g - dghAutoSortMarking;
    g = Value.Contains(dlgMultiSortMarkingGx) ? g + dghMultiSortMarking : g - dghMultiSortMarking;
    SetOptionsGx(g);
}

// ---- keys and searching

void TDBLookupGridGx::ProcessSearchKey(char Key) {
    if (!listField_ || !(listField_->FieldKind() == fkData || listField_->FieldKind() == fkInternalCalc)) return;
    if (listField_->DataType() != ftString && listField_->DataType() != ftWideString) return;
    auto c = static_cast<unsigned char>(Key);
    if (c == 8 || c == 27) {
        searchText_.clear();
        return;
    }
    if (c < 32 || !CanModify()) return;
    const DWORD now = GetTickCount();
    if (now - LastSearchKeyTime > kSearchTimeOut) searchText_.clear();
    LastSearchKeyTime = now;
    if (searchText_.size() >= kSearchLimit) return;
    AnsiString candidate = searchText_ + Key;
    TDataSet* list = DataLink()->DataSet();
    if (list->Locate(listField_->FieldName(), Variant(candidate), {loCaseInsensitive, loPartialKey})) {
        searchText_ = candidate;
        TValueRestorer<bool> lock(lockPosition_, true);
        specRowSelected_ = false;
        SelectKeyValue(ListKeyValue());
        text_ = listField_->DisplayText();
        UpdateActive();
    }
}

void TDBLookupGridGx::KeyPress(char& Key) {
    if (Key == 8 || Key == 27) searchText_.clear();
    TCustomDBGridGx::KeyPress(Key);
    if (Key == 0) return;
    ProcessSearchKey(Key);
    Key = 0;
}

void TDBLookupGridGx::KeyDown(WORD& Key, TShiftState Shift) {
    if (!CanModify() || (Shift & (ssCtrl | ssAlt))) {
        TCustomDBGridGx::KeyDown(Key, Shift);
        return;
    }
    const int page = std::max(1, VisibleRowCount());
    int delta = 0;
    bool home = false, end = false;
    switch (Key) {
        case VK_PRIOR: delta = 1 - page; break;
        case VK_NEXT: delta = page - 1; break;
        case VK_UP: delta = -1; break;
        case VK_DOWN: delta = 1; break;
        case VK_LEFT:
        case VK_RIGHT:
            // Left and Right scroll the columns while there are columns out of view.
            if (HorzScrollBar()->IsScrollBarShowing()) {
                TCustomDBGridGx::KeyDown(Key, Shift);
                return;
            }
            delta = Key == VK_LEFT ? -1 : 1;
            break;
        case VK_HOME: home = true; break;
        case VK_END: end = true; break;
        default: TCustomDBGridGx::KeyDown(Key, Shift); return;
    }
    Key = 0;
    searchText_.clear();
    MoveKey(delta, home, end);
}

void TDBLookupGridGx::MoveKey(int Delta, bool Home, bool End) {
    if (!listActive_) return;
    TDataSet* list = DataLink()->DataSet();
    const bool special = specRow_->Visible();
    if (special && Delta < 0 && (specRowSelected_ || list->RecNo() <= 1)) {
        SelectSpecRow();  // up from the first record: the special row
        return;
    }
    if (special && specRowSelected_) {
        list->First();  // down from the special row starts at the first record
        if (Delta > 1) list->MoveBy(Delta - 1);
        if (End) list->Last();
    } else {
        if (!VarIsNull(keyValue_) && !VarEquals(ListKeyValue(), keyValue_)) {
            // A key out of view is only brought back into it; one in view is where the move starts.
            const bool inView = keyRowVisible_;
            if (LocateKey() && !inView) {
                UpdateActive();
                return;
            }
        }
        if (Home) list->First();
        else if (End) list->Last();
        else list->MoveBy(Delta);
    }
    SelectCurrent();
}

// ---- mouse

int TDBLookupGridGx::RecordOffsetAt(int Y) {
    TGridCoord cell = MouseCoord(1, Y);
    if (cell.Y < 0) return -1;
    if (specRow_->Visible() && cell.Y == TitleOffset() - 1) return -2;
    if (cell.Y < TitleOffset()) return -1;
    return cell.Y - TitleOffset();
}

void TDBLookupGridGx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button != mbLeft) {
        TCustomDBGridGx::MouseDown(Button, Shift, X, Y);
        return;
    }
    searchText_.clear();
    if (!isPopup_ && CanFocus()) SetFocus();
    if (!CanModify()) return;
    int offset = RecordOffsetAt(Y);
    if ((Shift & ssDouble) && offset >= 0 && offset == DataLink()->ActiveRecord()) {
        DblClick();
        return;
    }
    tracking_ = true;
    MouseMove(Shift, X, Y);
}

void TDBLookupGridGx::MouseMove(TShiftState Shift, int X, int Y) {
    if (!tracking_) {
        TCustomDBGridGx::MouseMove(Shift, X, Y);
        return;
    }
    trackPos_ = TPoint(X, Y);
    // Above or below the window the drag timer moves the choice, the faster
    // the farther the pointer is.
    const int distance = Y < 0 ? -Y : Y >= ClientHeight() ? Y - ClientHeight() + 1 : 0;
    if (distance > 0) {
        StartTimer(std::max(0, 200 - 15 * distance));
        return;
    }
    StopTimer();
    int offset = RecordOffsetAt(Y);
    if (offset == -2) {
        SelectSpecRow();
        return;
    }
    if (offset < 0 || offset >= DataLink()->RecordCount()) return;
    DataLink()->DataSet()->MoveBy(offset - DataLink()->ActiveRecord());
    SelectCurrent();
}

void TDBLookupGridGx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (tracking_ && Button == mbLeft) {
        StopTimer();
        // The row under the pointer (none outside the window).
        if (Y >= 0 && Y < ClientHeight()) MouseMove(Shift, X, Y);
        tracking_ = false;
        return;
    }
    TCustomDBGridGx::MouseUp(Button, Shift, X, Y);
}

void TDBLookupGridGx::WMTimer(TMessage& Message) {
    if (Message.WParam == kMouseTimerId && tracking_) {
        AutoScrollSelect();
        return;
    }
    TCustomDBGridGx::WMTimer(Message);
}

// One record per tick towards the pointer, while it stays above or below.
void TDBLookupGridGx::AutoScrollSelect() {
    if (!tracking_ || !listActive_ || !HandleAllocated() || !CanModify()) {
        StopTimer();
        return;
    }
    const int direction = trackPos_.Y < 0 ? -1 : trackPos_.Y >= ClientHeight() ? 1 : 0;
    if (direction == 0) {
        StopTimer();
        return;
    }
    MoveKey(direction, false, false);
}

void TDBLookupGridGx::WMSetFocus(TMessage& Message) {
    searchText_.clear();
    TCustomDBGridGx::WMSetFocus(Message);
    Invalidate();
}

// ---------------------------------------------------------------------------
// TPopupDataGridGx

TPopupDataGridGx::TPopupDataGridGx(TComponent* AOwner) : TDBLookupGridGx(AOwner) {
    isPopup_ = true;
    SetVisible(false);
    grip_ = new TSizeGripGx(this);
    grip_->SetParent(this);
    // Sized by its grip, it keeps room for at least one scroll bar's width and height.
    Constraints()->SetMinWidth(GetSystemMetrics(SM_CXVSCROLL));
    Constraints()->SetMinHeight(GetSystemMetrics(SM_CYHSCROLL));
}

void TPopupDataGridGx::CreateParams(TCreateParams& Params) {
    TDBLookupGridGx::CreateParams(Params);
    SetDropDownWindowParams(Params, Ctl3D());
}

void TPopupDataGridGx::CMVisibleChanged(TMessage& Message) {
    TDBLookupGridGx::CMVisibleChanged(Message);
    if (!Parent()) UpdateShowing();
}

void TPopupDataGridGx::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_MOUSEACTIVATE: Message.Result = MA_NOACTIVATE; return;
        case WM_GRIPSIDEGX:
            if (grip_) grip_->ChangePosition(static_cast<int>(Message.WParam));
            return;
        case WM_SIZE:
            TDBLookupGridGx::Dispatch(Message);
            if (grip_) grip_->UpdatePosition();
            return;
        default: break;
    }
    TDBLookupGridGx::Dispatch(Message);
}

void TPopupDataGridGx::DropDownAt(const TRect& Anchor, TDropDownAlign Align) {
    AlignDropDownWindowRect(Anchor, this, Align);
    SetVisible(true);
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (grip_) grip_->UpdatePosition();
}

void TPopupDataGridGx::CloseUp(bool Accept) {
    tracking_ = false;
    pressedInside_ = false;
    if (GetCapture() == Handle()) ReleaseCapture();
    SetVisible(false);
    if (OnUserCloseUp) OnUserCloseUp(this, Accept);
}

void TPopupDataGridGx::SelectKeyValue(const Variant& Value) {
    TDBLookupGridGx::SelectKeyValue(Value);
    if (OnUserKeyValueChange) OnUserKeyValueChange(this);
}

void TPopupDataGridGx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    pressedInside_ = Button == mbLeft;
    TDBLookupGridGx::MouseDown(Button, Shift, X, Y);
}

void TPopupDataGridGx::MouseMove(TShiftState Shift, int X, int Y) {
    // With no button held the row under the mouse is chosen as it passes.
    if (!(Shift & (ssLeft | ssRight | ssMiddle)) && !tracking_ && CanModify()) {
        TValueRestorer<bool> track(tracking_, true);
        TDBLookupGridGx::MouseMove(Shift, X, Y);
        return;
    }
    TDBLookupGridGx::MouseMove(Shift, X, Y);
}

void TPopupDataGridGx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool wasPressed = pressedInside_ && Button == mbLeft;
    TDBLookupGridGx::MouseUp(Button, Shift, X, Y);
    if (!wasPressed) return;
    pressedInside_ = false;
    TRect client = ClientRect();
    if (!PtInRect(client, TPoint(X, Y))) {
        CloseUp(false);
        return;
    }
    int offset = RecordOffsetAt(Y);
    if (offset == -2 || (offset >= 0 && offset < DataLink()->RecordCount())) CloseUp(true);
}

// ---------------------------------------------------------------------------

TESK_PUBLISHED(TGridColumnSpecCellGx) {
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Stored(&T::IsColorStored);
    Property("Font", &T::Font, &T::SetFont).Stored(&T::IsFontStored);
    Property("Text", &T::Text, &T::SetText).Stored(&T::IsTextStored);
}

TESK_PUBLISHED(TDBLookupGridColumnGx) { Property("SpecCell", &T::SpecCell, &T::SetSpecCell); }

TESK_PUBLISHED(TDBLookupGridColumnDefValuesGx) {}

TESK_PUBLISHED(TDBLookupGridGx) {}
TESK_PUBLISHED(TPopupDataGridGx) {}
