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
    SetTabStop(false);
    SetVTitleMargin(5);
    SetOptions(TDBGridOptions{dgColLines, dgRowSelect});
}

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
    return list->Locate(keyFieldName_, keyValue_, TLocateOptions());
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
    else if (listField_ && located) text_ = listField_->DisplayText();
    else text_.clear();  // a key the list does not hold has no text
    keyRowVisible_ = located && !specRowSelected_;
    Invalidate();
}

void TDBLookupGridGx::UpdateListPosition() {
    UpdateScrollBar();
    Invalidate();
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
    keyRowVisible_ = true;
    Invalidate();
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
    // The special row: each column's cell of the row's text.
    const int column = ACol - IndicatorOffset();
    TCanvas* c = Canvas();
    c->Font()->Assign(specRow_->Font());
    c->Brush()->SetColor(specRowSelected_ ? clHighlight : specRow_->Color());
    if (specRowSelected_) c->Font()->SetColor(clHighlightText);
    c->FillRect(ARect);
    TRect text = ARect;
    InflateRect(&text, -2, 0);
    TAlignment align = column < Columns()->Count() ? Columns()->Items(column)->Alignment() : taLeftJustify;
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                 (align == taRightJustify ? DT_RIGHT : align == taCenter ? DT_CENTER : DT_LEFT);
    SetBkMode(c->Handle(), TRANSPARENT);
    DrawTextGx(c->Handle(), specRow_->GetCellText(column), -1, text, flags);
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
        keyRowVisible_ = true;
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
        case VK_UP:
        case VK_LEFT: delta = -1; break;
        case VK_DOWN:
        case VK_RIGHT: delta = 1; break;
        case VK_HOME: home = true; break;
        case VK_END: end = true; break;
        default: TCustomDBGridGx::KeyDown(Key, Shift); return;
    }
    Key = 0;
    searchText_.clear();
    TDataSet* list = DataLink()->DataSet();
    const bool special = specRow_->Visible();
    if (special && delta < 0 && (specRowSelected_ || list->RecNo() <= 1)) {
        // Up from the first record: the special row.
        if (!VarEquals(keyValue_, specRow_->Value())) SelectKeyValue(specRow_->Value());
        SetSpecRowSelected(true);
        keyRowVisible_ = false;
        text_ = specRow_->GetCellText(listFieldIndex_);
        return;
    }
    if (special && specRowSelected_) {
        list->First();  // down from the special row starts at the first record
        if (delta > 1) list->MoveBy(delta - 1);
        if (end) list->Last();
    } else {
        if (!VarIsNull(keyValue_) && !VarEquals(ListKeyValue(), keyValue_)) LocateKey();
        if (home) list->First();
        else if (end) list->Last();
        else list->MoveBy(delta);
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
    int offset = RecordOffsetAt(Y);
    if (offset == -2) {
        if (!VarEquals(keyValue_, specRow_->Value())) SelectKeyValue(specRow_->Value());
        SetSpecRowSelected(true);
        keyRowVisible_ = false;
        text_ = specRow_->GetCellText(listFieldIndex_);
        return;
    }
    if (offset < 0 || offset >= DataLink()->RecordCount()) return;
    DataLink()->DataSet()->MoveBy(offset - DataLink()->ActiveRecord());
    SelectCurrent();
}

void TDBLookupGridGx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (tracking_ && Button == mbLeft) {
        MouseMove(Shift, X, Y);
        tracking_ = false;
        return;
    }
    TCustomDBGridGx::MouseUp(Button, Shift, X, Y);
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

TESK_PUBLISHED(TDBLookupGridGx) {}
TESK_PUBLISHED(TPopupDataGridGx) {}
