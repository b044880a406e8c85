#include "grid/DBCtrlsGx.h"

#include <algorithm>

#include "grid/GxLibVCL.h"
#include "platform/db/DbClassInfo.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Services.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"

namespace {

int FontHeightOf(TFont* Font) {
    HDC dc = CreateScreenDC();
    HGDIOBJ old = SelectObject(dc, Font->Handle());
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    return tm.tmHeight;
}

}  // namespace

// ---------------------------------------------------------------------------
// TFieldDataLinkGx

TFieldDataLinkGx::TFieldDataLinkGx() { SetVisualControl(true); }

void TFieldDataLinkGx::SetFieldName(const AnsiString& Value) {
    if (Value == fieldName_) return;
    fieldName_ = Value;
    multiFields_ = Value.find(';') != AnsiString::npos;
    UpdateDataIndependent();
    UpdateField();
}

void TFieldDataLinkGx::SetDataSource(TDataSource* Value) {
    if (Value == DataSource()) return;
    TDataLink::SetDataSource(Value);
    UpdateDataIndependent();
    UpdateField();
}

void TFieldDataLinkGx::UpdateDataIndependent() {
    bool independent = DataSource() == nullptr && fieldName_.empty();
    if (independent == dataIndependent_) return;
    dataIndependent_ = independent;
    value_ = Null();
    independentEditing_ = false;
    if (dataIndependent_) RecordChanged(nullptr);
}

bool TFieldDataLinkGx::IsBoundField(TField* Field) const {
    return std::find(fields_.begin(), fields_.end(), Field) != fields_.end();
}

void TFieldDataLinkGx::UpdateField() {
    fields_.clear();
    if (Active() && !fieldName_.empty()) {
        TDataSet* ds = DataSet();
        if (multiFields_) {
            ds->GetFieldList(fields_, fieldName_);
        } else if (TField* f = ds->FindField(fieldName_)) {
            fields_.push_back(f);
        } else {
            // The data framework's error, naming the control that asked.
            AnsiString prefix = control_ && !control_->Name().empty() ? control_->Name() + ": " : AnsiString();
            throw EDatabaseError(prefix + "Field '" + fieldName_ + "' not found");
        }
    }
    RecordChanged(nullptr);
}

void TFieldDataLinkGx::ActiveChanged() {
    UpdateField();
    if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLinkGx::LayoutChanged() { UpdateField(); }

void TFieldDataLinkGx::DataEvent(TDataEvent Event, intptr_t Info) {
    if (Event == deDisabledStateChange) {
        if (Info != 0) UpdateField();
        else fields_.clear();
        return;
    }
    TDataLink::DataEvent(Event, Info);
}

void TFieldDataLinkGx::EditingChanged() {
    if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLinkGx::RecordChanged(TField* Field) {
    if (Field && !IsBoundField(Field)) return;
    if (OnDataChange) OnDataChange(this);
    modified_ = false;
}

bool TFieldDataLinkGx::Edit() {
    if (!dataIndependent_) {
        if (CanModify()) TDataLink::Edit();
        return Editing();
    }
    if (!independentEditing_ && !ReadOnly()) {
        independentEditing_ = true;
        modified_ = false;
        if (OnEditingChange) OnEditingChange(this);
    }
    return independentEditing_;
}

bool TFieldDataLinkGx::PrepareValueChange() {
    if (dataIndependent_) return true;
    if (control_ && control_->InState(csDesigning)) return false;
    Edit();
    return true;
}

bool TFieldDataLinkGx::CanModify() const {
    if (dataIndependent_) return true;
    return !ReadOnly() && Field() && Field()->CanModify();
}

void TFieldDataLinkGx::UpdateData() {
    if (modified_ && (dataIndependent_ || Field())) {
        if (OnUpdateData) OnUpdateData(this);
    }
    modified_ = false;
    if (dataIndependent_ && independentEditing_) {
        independentEditing_ = false;
        if (OnEditingChange) OnEditingChange(this);
    }
}

void TFieldDataLinkGx::SetText(const AnsiString& Text) {
    if (dataIndependent_) {
        value_ = Variant(Text);
        RecordChanged(nullptr);
    } else if (TField* f = Field()) {
        if (f->DataType() == ftMemo) f->SetAsString(Text);
        else f->SetText(Text);
    }
}

void TFieldDataLinkGx::SetValue(const Variant& Value) {
    if (dataIndependent_) {
        value_ = Value;
        RecordChanged(nullptr);
        return;
    }
    if (fields_.size() >= 2) {
        if (VarIsNull(Value)) {
            for (TField* f : fields_) f->Clear();
            return;
        }
        for (size_t i = 0; i < fields_.size(); ++i) fields_[i]->SetValue(Value[static_cast<int>(i)]);
    } else if (TField* f = Field()) {
        f->SetValue(Value);
    }
}

void TFieldDataLinkGx::FocusControl(TField** Field) {
    if (!Field || !*Field || !IsBoundField(*Field)) return;
    auto* control = dynamic_cast<TWinControl*>(control_);
    if (control && control->CanFocus()) {
        *Field = nullptr;
        control->SetFocus();
    }
}

// ---------------------------------------------------------------------------
// TEditImageGx

TEditImageGx::TEditImageGx(TWinControl* EditControl) : edit_(EditControl) {}

void TEditImageGx::Changed() {
    if (edit_) edit_->Perform(WM_EDITIMAGECHANGEDGX, 0, reinterpret_cast<LPARAM>(this));
}

void TEditImageGx::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TEditImageGx*>(Source)) {
        images_ = s->images_;
        imageIndex_ = s->imageIndex_;
        visible_ = s->visible_;
        width_ = s->width_;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TEditImageGx::SetImageIndex(int Value) {
    if (Value == imageIndex_) return;
    imageIndex_ = Value;
    Changed();
}

void TEditImageGx::SetImages(TCustomImageList* Value) {
    if (Value == images_) return;
    images_ = Value;
    if (images_ && edit_) images_->FreeNotification(edit_);
    Changed();
}

void TEditImageGx::SetUseImageHeight(bool Value) {
    if (Value == useImageHeight_) return;
    useImageHeight_ = Value;
    Changed();
}

void TEditImageGx::SetVisible(bool Value) {
    if (Value == visible_) return;
    visible_ = Value;
    Changed();
}

void TEditImageGx::SetWidth(int Value) {
    if (Value == width_) return;
    width_ = Value;
    Changed();
}

// ---------------------------------------------------------------------------
// TToolTipsWindow

TRect TToolTipsWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) {
    if (auto* control = static_cast<TControl*>(AData)) Canvas()->Font()->Assign(control->Font());
    return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
}

// ---------------------------------------------------------------------------
// TCustomDBEditGx: creation

TCustomDBEditGx::TCustomDBEditGx(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
    controlStyle_ |= csFixedHeight;
    dataLink_.reset(CreateDataLink());
    dataLink_->SetControl(this);
    dataLink_->OnDataChange = MakeEvent(this, &TCustomDBEditGx::DataChangedEvent);
    dataLink_->OnEditingChange = MakeEvent(this, &TCustomDBEditGx::EditingChange);
    dataLink_->OnUpdateData = MakeEvent(this, &TCustomDBEditGx::UpdateData);
    dataLink_->OnActiveChange = MakeEvent(this, &TCustomDBEditGx::ActiveChange);
    editButton_.reset(CreateEditButton());
    editButton_->OnChanged = MakeEvent(this, &TCustomDBEditGx::ButtonsChanged);
    editButtons_.reset(CreateEditButtons());
    editButtons_->OnChange = MakeEvent(this, &TCustomDBEditGx::ButtonsChanged);
    editImage_.reset(CreateEditImage());
    mruList_.reset(new TMRUListGx(this));
    mruList_->OnDropDown = MakeEvent(this, &TCustomDBEditGx::MRUDropDown);
    mruList_->OnCloseUp = MakeEvent(this, &TCustomDBEditGx::MRUCloseUp);
    UpdateEditButtonControls();
    UpdateReadOnlyState();
    UpdateImageIndex();
}

TCustomDBEditGx::~TCustomDBEditGx() {
    // The link's events point here; it must not call back while the edit goes.
    dataLink_->OnDataChange = TNotifyEvent();
    dataLink_->OnEditingChange = TNotifyEvent();
    dataLink_->OnUpdateData = TNotifyEvent();
    dataLink_->OnActiveChange = TNotifyEvent();
    dataLink_->SetDataSource(nullptr);
}

void TCustomDBEditGx::DataChangedEvent(TObject*) { DataChanged(); }

void TCustomDBEditGx::RecreateEditButton() {
    editButton_.reset(CreateEditButton());
    editButton_->OnChanged = MakeEvent(this, &TCustomDBEditGx::ButtonsChanged);
    UpdateEditButtonControls();
}

TEditButtonControlGx* TCustomDBEditGx::CreateEditButtonControl() {
    auto* b = new TEditButtonControlGx(this);
    b->SetBounds(0, 0, 10, 17);
    b->SetControlStyle(b->ControlStyle() | csOpaque);
    return b;
}

TMRUListboxGx* TCustomDBEditGx::CreateMRUListbox() {
    auto* list = new TMRUListboxGx(this);
    list->SetVisible(false);
    list->SetSorted(true);
    return list;
}

void TCustomDBEditGx::Loaded() {
    TCustomMaskEdit::Loaded();
    UpdateReadOnlyState();
    UpdateEditButtonControls();
}

void TCustomDBEditGx::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomMaskEdit::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (dataLink_ && AComponent == dataLink_->DataSource()) SetDataSource(nullptr);
    if (editImage_ && AComponent == editImage_->Images()) editImage_->SetImages(nullptr);
    if (editButton_ && AComponent == editButton_->DropdownMenu()) editButton_->SetDropdownMenu(nullptr);
    if (editButtons_)
        for (int i = 0; i < editButtons_->Count(); ++i)
            if (editButtons_->Items(i)->DropdownMenu() == AComponent) editButtons_->Items(i)->SetDropdownMenu(nullptr);
}

// ---------------------------------------------------------------------------
// Binding

void TCustomDBEditGx::SetDataSource(TDataSource* Value) {
    if (!(InState(csLoading) && dataLink_->DataSourceFixed())) dataLink_->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    UpdateReadOnlyState();
    UpdateEditButtonControls();
    Invalidate();
}

void TCustomDBEditGx::SetDataField(const AnsiString& Value) {
    UpdateMaxLengthFromField(Field());
    dataLink_->SetFieldName(Value);
    UpdateReadOnlyState();
    UpdateEditButtonControls();
    Invalidate();
}

void TCustomDBEditGx::UpdateMaxLengthFromField(TField* AField) {
    if (MaxLength() <= 0 || !AField) return;
    if (AField->DataType() != ftString && AField->DataType() != ftWideString) return;
    TDataSet* ds = dataLink_->DataSet();
    if (ds && ds->FindField(AField->FieldName()) == AField && MaxLength() == AField->Size()) SetMaxLength(0);
}

TAlignment TCustomDBEditGx::GetFieldAlignment() {
    TField* f = Field();
    return f ? f->Alignment() : taLeftJustify;
}

AnsiString TCustomDBEditGx::GetFieldEditMask() {
    TField* f = Field();
    return f ? f->EditMask() : AnsiString();
}

TAlignment TCustomDBEditGx::Alignment() { return alignmentSet_ ? alignment_ : GetFieldAlignment(); }

void TCustomDBEditGx::SetAlignment(TAlignment Value) {
    alignmentSet_ = true;
    if (Value == alignment_) return;
    alignment_ = Value;
    Invalidate();
}

void TCustomDBEditGx::SetEditMask(const AnsiString& Value) {
    editMaskSet_ = true;
    TCustomMaskEdit::SetEditMask(Value);
}

// ---------------------------------------------------------------------------
// Text and value

void TCustomDBEditGx::ShowText(const AnsiString& AText) {
    TValueRestorer<bool> setting(settingText_, true);
    TCustomMaskEdit::SetText(AText);
}

void TCustomDBEditGx::DataChanged() {
    pendingValue_.reset();
    TField* f = Field();
    if (f) {
        if (!alignmentSet_ && f->Alignment() != alignment_) {
            alignment_ = f->Alignment();
            Invalidate();
        }
        if (!editMaskSet_) TCustomMaskEdit::SetEditMask(f->EditMask());
        if (!InState(csDesigning) && (f->DataType() == ftString || f->DataType() == ftWideString) &&
            MaxLength() == 0)
            SetMaxLength(f->Size());
        if (focused_ && dataLink_->CanModify()) ShowText(f->DataType() == ftMemo ? f->AsString() : f->Text());
        else ShowText(f->DisplayText());
    } else {
        if (!editMaskSet_) TCustomMaskEdit::SetEditMask(AnsiString());
        if (dataLink_->DataIndependent()) ShowText(VarToStrDef(dataLink_->Value(), ""));
        else ShowText(InState(csDesigning) ? Name() : AnsiString());
    }
    UpdateImageIndex();
    SetModified(false);
}

AnsiString TCustomDBEditGx::GetDisplayText() {
    if (InState(csDesigning) && !dataLink_->DataSource()) return Name();
    TField* f = Field();
    if (!focused_ && f) {
        AnsiString s = f->DisplayText();
        if (CharCase() == ecUpperCase) return AnsiUpperCaseGx(s);
        if (CharCase() == ecLowerCase) return AnsiLowerCaseGx(s);
        return s;
    }
    return TCustomMaskEdit::Text();
}

Variant TCustomDBEditGx::GetVariantValue() {
    if (dataLink_->DataIndependent()) return dataLink_->Value();
    return Variant(TCustomMaskEdit::Text());
}

void TCustomDBEditGx::ChangeText(const AnsiString& AText) {
    TCustomMaskEdit::SetText(AText);
    dataLink_->SetModified();
}

void TCustomDBEditGx::InternalSetText(const AnsiString& AText) { ChangeText(AText); }

void TCustomDBEditGx::InternalSetValue(const Variant& AValue) {
    ChangeText(VarToStrDef(AValue, ""));
    pendingValue_ = AValue;
}

void TCustomDBEditGx::SetText(const AnsiString& Value) {
    if (!dataLink_->PrepareValueChange()) return;
    InternalSetText(Value);
    if (!inUpdate_) UpdateData(this);
}

void TCustomDBEditGx::SetVariantValue(const Variant& Value) {
    if (!dataLink_->PrepareValueChange()) return;
    InternalSetValue(Value);
    if (!inUpdate_) UpdateData(this);
}

void TCustomDBEditGx::UpdateDataLinkValue() {
    if (pendingValue_) {
        const Variant value = std::move(*pendingValue_);
        pendingValue_.reset();
        dataLink_->SetValue(value);
    } else if (dataLink_->DataIndependent()) {
        dataLink_->SetValue(Variant(TCustomMaskEdit::Text()));
    } else {
        dataLink_->SetText(TCustomMaskEdit::Text());
    }
}

void TCustomDBEditGx::UpdateData(TObject*) {
    if (focused_) ValidateEdit();
    bool handled = false;
    {
        TValueRestorer<bool> updating(inUpdate_, true);
        if (OnUpdateData) OnUpdateData(this, handled);
        if (!handled) UpdateDataLinkValue();
    }
    SetModified(false);
    if (mruList_->Active() && focused_) mruList_->Add(TCustomMaskEdit::Text());
}

void TCustomDBEditGx::Change() {
    if (!settingText_) {
        dataLink_->SetModified();
        pendingValue_.reset();
    }
    TCustomMaskEdit::Change();
    UpdateImageIndex();
    UpdateMRUList();
}

bool TCustomDBEditGx::EditCanModify() { return dataLink_->Edit(); }

void TCustomDBEditGx::Reset() {
    dataLink_->Reset();
    SelectAll();
}

void TCustomDBEditGx::EditingChange(TObject*) { UpdateReadOnlyState(); }

void TCustomDBEditGx::ActiveChange(TObject*) {
    UpdateReadOnlyState();
    UpdateEditButtonControls();
}

void TCustomDBEditGx::SetReadOnly(bool Value) {
    readOnly_ = Value;
    dataLink_->SetReadOnly(Value);
    UpdateReadOnlyState();
}

void TCustomDBEditGx::UpdateReadOnlyState() {
    bool ro = readOnly_ || (!dataLink_->Editing() && !OnUpdateData);
    if (holderIntf_ && !holderIntf_->InplaceEditCanModify(this)) ro = true;
    TCustomMaskEdit::SetReadOnly(ro);
}

bool TCustomDBEditGx::IsValidChar(char Key) {
    TField* f = Field();
    return !f || f->IsValidChar(Key);
}

void TCustomDBEditGx::SetFocused(bool Value) {
    if (Value == focused_) return;
    focused_ = Value;
    if (Alignment() != taLeftJustify && !IsMasked()) Invalidate();
    dataLink_->Reset();
}

// A field that refuses the text: its message reaches the user, the text and
// the record's edit state stay, so nothing typed is lost.
void TCustomDBEditGx::ReportFieldError(const Exception& E) {
    if (reportingError_) return;
    TValueRestorer<bool> reporting(reportingError_, true);
    MessageDlg(E.Message(), mtError, MsgDlgButtons({mbOK}), 0);
}

// ---------------------------------------------------------------------------
// Focus

void TCustomDBEditGx::CMEnter(TMessage& Message) {
    SetFocused(true);
    TCustomMaskEdit::CMEnter(Message);
    UpdateBorderShown();
}

void TCustomDBEditGx::CMExit(TMessage& Message) {
    try {
        if (IsMasked() && !InState(csDesigning)) ValidateEdit();
        dataLink_->UpdateRecord();
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        SelectAll();
        ReportFieldError(e);
        // Back into the edit with the text as typed.
        if (CanFocus()) SetFocus();
        return;
    }
    TCustomMaskEdit::CMExit(Message);
    SetFocused(false);
    if (SelLength() == 0) SetSelStart(static_cast<int>(TCustomMaskEdit::Text().size()));
    if (mruListbox_ && mruListbox_->Visible()) mruList_->CloseUp(false);
    UpdateBorderShown();
}

void TCustomDBEditGx::SetFocus() {
    if (holder_ && HandleAllocated()) {
        ::SetFocus(Handle());
        return;
    }
    TCustomMaskEdit::SetFocus();
}

// ---------------------------------------------------------------------------
// Keys

bool TCustomDBEditGx::IsButtonShortCut(WORD Key, TShiftState Shift) {
    TShortCut sc = ShortCut(Key, Shift);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        TEditButtonGx* item = ButtonItem(static_cast<int>(i));
        if (!item || !item->Visible() || item->ShortCut() == 0 || item->ShortCut() != sc) continue;
        if (i == 0 && !IsValueAvailable()) continue;
        // Pressed and clicked as if by the mouse.
        TEditButtonControlGx* b = buttons_[i].Button;
        TPoint centre(b->Width() / 2, b->Height() / 4);
        EditButtonMouseDown(b, mbLeft, ssLeft, centre.X, centre.Y);
        EditButtonMouseUp(b, mbLeft, 0, centre.X, centre.Y);
        EditButtonClick(b);
        return true;
    }
    return false;
}

void TCustomDBEditGx::KeyDown(WORD& Key, TShiftState Shift) {
    if (holderIntf_) {
        holderIntf_->InplaceEditKeyDown(this, Key, Shift);
        if (Key == 0) return;
    }
    TCustomMaskEdit::KeyDown(Key, Shift);
    if (Key == 0) return;
    if (IsButtonShortCut(Key, Shift)) {
        Key = 0;
        return;
    }
    if (Key == 'A' && Shift == ssCtrl) {
        SelectAll();
        Key = 0;
        return;
    }
    if ((Key == VK_DELETE || (Key == VK_INSERT && (Shift & ssShift))) && !readOnly_) dataLink_->Edit();
}

void TCustomDBEditGx::KeyUp(WORD& Key, TShiftState Shift) {
    if (holderIntf_) {
        holderIntf_->InplaceEditKeyUp(this, Key, Shift);
        if (Key == 0) return;
    }
    TCustomMaskEdit::KeyUp(Key, Shift);
}

void TCustomDBEditGx::KeyPress(char& Key) {
    if (holderIntf_) {
        holderIntf_->InplaceEditKeyPress(this, Key);
        if (Key == 0) return;
    }
    TCustomMaskEdit::KeyPress(Key);
    if (Key == 0) return;
    auto c = static_cast<unsigned char>(Key);
    if (c >= 32 && !IsValidChar(Key)) {
        MessageBeep(0);
        Key = 0;
        return;
    }
    if (Key == 27) {
        dataLink_->Reset();
        SelectAll();
        Key = 0;
        return;
    }
    if ((c >= 32 || c == 8 || c == 22 || c == 24 || c == 25 || c == 26) && !readOnly_) dataLink_->Edit();
    if (c == 8 && TCustomMaskEdit::Text().empty() && mruList_->Active() && Showing() && !droppedDown_) {
        mruList_->DropDown();
    }
    if ((c == 13 && !AllowEnter) || (c == 9 && !AllowTab) || c == 10) Key = 0;
}

void TCustomDBEditGx::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case CM_GETDATALINK: Message.Result = reinterpret_cast<LRESULT>(dataLink_.get()); return;
        case CM_EXIT: CMExit(Message); return;
        case WM_EDITIMAGECHANGEDGX:
            UpdateImageIndex();
            UpdateHeight();
            UpdateEditRect();
            Invalidate();
            return;
        case WM_IGNORECLICKGX: return;
        case WM_CUT:
        case WM_PASTE:
        case WM_UNDO:
            if (!readOnly_) dataLink_->Edit();
            break;
        case WM_GETDLGCODE: {
            LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
            if (AllowTab) code |= DLGC_WANTTAB;
            if (AllowEnter) code |= DLGC_WANTALLKEYS;
            Message.Result = code;
            return;
        }
        case CM_WANTSPECIALKEY: {
            WPARAM key = Message.WParam;
            bool listOpen = mruListbox_ && mruListbox_->Visible();
            if ((key == VK_RETURN || key == VK_ESCAPE) && listOpen && mruListbox_->ItemIndex() >= 0) {
                Message.Result = 1;
                return;
            }
            if (key == VK_ESCAPE && Modified()) {
                Message.Result = 1;
                return;
            }
            break;
        }
        case WM_SETCURSOR: {
            TPoint p = ScreenToClient(Mouse->CursorPos());
            TRect text = GetEditRect();
            if (!PtInRect(text, p)) {
                ::SetCursor(Screen->Cursors(crArrow));
                Message.Result = 1;
                return;
            }
            break;
        }
        default: break;
    }
    TCustomMaskEdit::Dispatch(Message);
}

bool TCustomDBEditGx::IsListMoveKey(WPARAM Key) {
    if (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN) return true;
    return (Key == VK_HOME || Key == VK_END) && GetKeyState(VK_CONTROL) < 0;
}

void TCustomDBEditGx::WndProc(TMessage& Message) {
    if (holderIntf_) {
        holderIntf_->InplaceEditWndProc(this, Message);
        if (Message.Msg == WM_NULL) return;
        if (Message.Msg == WM_LBUTTONDOWN) {
            TPoint pos;
            DWORD time = 0;
            holderIntf_->GetMouseDownInfo(pos, time);
            TPoint here(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
            if (IsDoubleClick(pos, ClientToScreen(here), GetTickCount() - time)) Message.Msg = WM_LBUTTONDBLCLK;
        }
    }
    // The MRU list takes the moving keys while it is open.
    if (mruListbox_ && mruListbox_->Visible() && (Message.Msg == WM_KEYDOWN || Message.Msg == WM_CHAR)) {
        WPARAM key = Message.WParam;
        if (Message.Msg == WM_KEYDOWN && IsListMoveKey(key)) {
            mruListbox_->Perform(Message.Msg, Message.WParam, Message.LParam);
            return;
        }
        if (Message.Msg == WM_CHAR && (key == 13 || key == 27)) {
            mruList_->CloseUp(key == 13);
            return;
        }
    }
    TCustomMaskEdit::WndProc(Message);
}

// ---------------------------------------------------------------------------
// Edit buttons

TEditButtonGx* TCustomDBEditGx::ButtonItem(int Index) const {
    if (Index == 0) return editButton_.get();
    if (Index - 1 < editButtons_->Count()) return editButtons_->Items(Index - 1);
    return nullptr;
}

void TCustomDBEditGx::ButtonsChanged(TObject*) {
    UpdateEditButtonControls();
    Invalidate();
}

void TCustomDBEditGx::UpdateEditButtonControls() {
    if (!editButton_ || !editButtons_) return;
    size_t wanted = static_cast<size_t>(editButtons_->Count()) + 1;
    while (buttons_.size() > wanted) {
        TButtonPair pair = buttons_.back();
        buttons_.pop_back();
        FreeObject(pair.Button);
        FreeObject(pair.Separator);
    }
    while (buttons_.size() < wanted) {
        TButtonPair pair;
        pair.Separator = new TShape(this);
        pair.Separator->SetWidth(1);
        pair.Separator->SetParent(this);
        pair.Button = CreateEditButtonControl();
        pair.Button->SetParent(this);
        pair.Button->OnClick = MakeEvent(this, &TCustomDBEditGx::EditButtonClick);
        pair.Button->OnMouseDown = MakeEvent(this, &TCustomDBEditGx::EditButtonMouseDown);
        pair.Button->OnMouseMove = MakeEvent(this, &TCustomDBEditGx::EditButtonMouseMove);
        pair.Button->OnMouseUp = MakeEvent(this, &TCustomDBEditGx::EditButtonMouseUp);
        buttons_.push_back(pair);
    }
    const int clientWidth = ClientWidth();
    const int clientHeight = ClientHeight();
    int x = clientWidth;
    for (size_t i = 0; i < buttons_.size(); ++i) {
        TEditButtonGx* item = ButtonItem(static_cast<int>(i));
        TButtonPair& pair = buttons_[i];
        TEditButtonControlGx* b = pair.Button;
        b->SetTag(static_cast<intptr_t>(i));
        b->SetStyle(item->Style());
        b->SetGlyph(item->Glyph());
        b->SetNumGlyphs(item->NumGlyphs());
        b->SetHint(item->Hint());
        b->SetFlat(flat_);
        b->SetActive(borderShown_);
        int width = item->Width() >= 1 ? item->Width()
                    : flat_             ? GetDefaultFlatButtonWidth()
                                        : GetSystemMetrics(SM_CXVSCROLL);
        int height = clientHeight > (width * 3 + 1) / 2 ? GetDefaultEditButtonHeight(width, flat_) : clientHeight;
        bool visible = item->Visible();
        b->SetVisible(visible);
        pair.Separator->SetVisible(flat_ && visible);
        pair.Separator->Brush()->SetColor(borderShown_ ? clBtnFace : Color());
        pair.Separator->Pen()->SetColor(borderShown_ ? clBtnFace : Color());
        if (!visible) continue;
        x -= width;
        b->SetBounds(x, 0, width, height);
        if (flat_) {
            x -= 1;
            pair.Separator->SetBounds(x, 0, 1, clientHeight);
        }
    }
    buttonsWidth_ = clientWidth - x;
    UpdateEditRect();
}

TRect TCustomDBEditGx::GetEditRect() {
    TRect r = ClientRect();
    r.Right -= buttonsWidth_;
    imageWidth_ = 0;
    if (editImage_ && editImage_->Visible()) {
        if (editImage_->Width() >= 1) imageWidth_ = editImage_->Width() + 4;
        else if (editImage_->Images()) imageWidth_ = editImage_->Images()->Width() + 4;
    }
    r.Left += imageWidth_;
    if (r.Right < r.Left) r.Right = r.Left;
    return r;
}

void TCustomDBEditGx::UpdateEditRect() {
    if (!HandleAllocated()) return;
    TRect r = GetEditRect();
    Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
    Perform(EM_SCROLLCARET, 0, 0);
}

void TCustomDBEditGx::CreateWnd() {
    TCustomMaskEdit::CreateWnd();
    UpdateEditButtonControls();
    UpdateReadOnlyState();
}

void TCustomDBEditGx::Resize() {
    TCustomMaskEdit::Resize();
    UpdateEditButtonControls();
}

void TCustomDBEditGx::EditButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    (void)Shift;
    (void)X;
    if (Button != mbLeft) return;
    if (CanFocus() && !Focused()) SetFocus();
    auto* b = dynamic_cast<TEditButtonControlGx*>(static_cast<TObject*>(Sender));
    if (!b) return;
    // A drop-down menu just shown left a click behind that must not act.
    if (HandleAllocated()) {
        TMsg msg;
        if (PeekMessage(&msg, Handle(), WM_IGNORECLICKGX, WM_IGNORECLICKGX, PM_NOREMOVE) &&
            msg.wParam == reinterpret_cast<WPARAM>(b)) {
            PeekMessage(&msg, Handle(), WM_IGNORECLICKGX, WM_IGNORECLICKGX, PM_REMOVE);
            return;
        }
    }
    const int index = static_cast<int>(b->Tag());
    TEditButtonGx* item = ButtonItem(index);
    if (!item) return;
    bool autoRepeat = false, handled = false;
    bool top = Y < b->Height() / 2;
    if (index == 0) {
        if (OnButtonDown) OnButtonDown(this, top, autoRepeat, handled);
    } else if (item->OnDown) {
        item->OnDown(item, top, autoRepeat, handled);
    }
    if (handled) return;
    if (TComponent* menu = item->DropdownMenu()) {
        if (auto* popup = dynamic_cast<TPopupMenu*>(menu)) {
            TPoint p = ClientToScreen(TPoint(b->Left(), b->Top() + b->Height()));
            if (popup->Alignment() == paRight) p.X += b->Width();
            PostMessage(Handle(), WM_IGNORECLICKGX, reinterpret_cast<WPARAM>(b), 0);
            popup->Popup(p.X, p.Y);
            b->SetAlwaysDown(false);
        }
        return;
    }
    if (index == 0) ButtonDown(true);
}

void TCustomDBEditGx::EditButtonMouseMove(TObject*, TShiftState, int, int) {}

void TCustomDBEditGx::EditButtonMouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
    auto* b = dynamic_cast<TControl*>(static_cast<TObject*>(Sender));
    if (b && (X < 0 || Y < 0 || X >= b->Width() || Y >= b->Height())) justDropped_ = false;
}

void TCustomDBEditGx::ButtonDown(bool) {
    if (editButton_->Style() == ebsUpDownGx || droppedDown_) return;
    DropDown();
    justDropped_ = true;
}

void TCustomDBEditGx::EditButtonClick(TObject* Sender) {
    auto* b = dynamic_cast<TControl*>(static_cast<TObject*>(Sender));
    const int index = b ? static_cast<int>(b->Tag()) : 0;
    bool handled = false;
    if (index == 0) {
        if (OnButtonClick) OnButtonClick(this, handled);
    } else if (TEditButtonGx* item = ButtonItem(index); item && item->OnClick) {
        item->OnClick(item);
    }
    if (!handled && index == 0 && droppedDown_ && !justDropped_) CloseUp(false);
    justDropped_ = false;
}

void TCustomDBEditGx::DropDown() {
    if (!buttons_.empty()) buttons_[0].Button->SetAlwaysDown(true);
    if (mruListbox_ && mruListbox_->Visible()) mruList_->CloseUp(false);
}

void TCustomDBEditGx::CloseUp(bool) {
    if (!buttons_.empty()) buttons_[0].Button->SetAlwaysDown(false);
}

// ---------------------------------------------------------------------------
// Border, look and painting

void TCustomDBEditGx::SetAlwaysShowBorder(bool Value) {
    if (Value == alwaysShowBorder_) return;
    alwaysShowBorder_ = Value;
    UpdateBorderShown();
}

void TCustomDBEditGx::UpdateBorderShown() {
    bool shown = InState(csDesigning) || focused_ || mouseOver_ || alwaysShowBorder_;
    if (shown == borderShown_) return;
    borderShown_ = shown;
    for (auto& pair : buttons_) pair.Button->SetActive(shown);
    // The frame is the native edit's; the flat look is the buttons' and separators'.
    UpdateEditButtonControls();
    Invalidate();
}

void TCustomDBEditGx::CMMouseEnter(TMessage& Message) {
    TCustomMaskEdit::CMMouseEnter(Message);
    mouseOver_ = true;
    UpdateBorderShown();
}

void TCustomDBEditGx::CMMouseLeave(TMessage& Message) {
    TCustomMaskEdit::CMMouseLeave(Message);
    mouseOver_ = false;
    UpdateBorderShown();
}

void TCustomDBEditGx::SetFlat(bool Value) {
    if (Value == flat_) return;
    flat_ = Value;
    UpdateEditButtonControls();
    UpdateHeight();
    Invalidate();
}

void TCustomDBEditGx::SetHighlightRequired(bool Value) {
    if (Value == highlightRequired_) return;
    highlightRequired_ = Value;
    Invalidate();
}

void TCustomDBEditGx::SetImages(TCustomImageList* Value) {
    editImage_->SetImages(Value);
    editImage_->SetVisible(Value != nullptr);
}

void TCustomDBEditGx::SetShowHint(bool Value) {
    showHintSet_ = Value;
    SetControlShowHint();
}

void TCustomDBEditGx::SetTooltips(bool Value) {
    tooltips_ = Value;
    SetControlShowHint();
}

void TCustomDBEditGx::SetControlShowHint() { TCustomMaskEdit::SetShowHint(showHintSet_ || tooltips_); }

void TCustomDBEditGx::SetWordWrap(bool Value) {
    if (Value == wordWrap_) return;
    wordWrap_ = Value;
    Invalidate();
}

void TCustomDBEditGx::UpdateFixedHeightStyle() {
    if (AutoSize()) controlStyle_ |= csFixedHeight;
    else controlStyle_ &= ~csFixedHeight;
}

void TCustomDBEditGx::UpdateHeight() {
    if (!AutoSize() || InState(csLoading)) return;
    int fontHeight = FontHeightOf(Font());
    if (editImage_->Images() && editImage_->UseImageHeight() && editImage_->Images()->Height() > fontHeight)
        fontHeight = editImage_->Images()->Height();
    int k = Ctl3D() ? 8 : 6;
    if (flat_) k -= 2;
    SetHeight(fontHeight + k * GetSystemMetrics(SM_CYBORDER));
}

void TCustomDBEditGx::CMFontChanged(TMessage& Message) {
    TCustomMaskEdit::CMFontChanged(Message);
    UpdateHeight();
}

void TCustomDBEditGx::UpdateImageIndex() {
    int index = GetCurrentImageIndex();
    if (OnGetImageIndex) OnGetImageIndex(this, index);
    if (index != editImage_->ImageIndex()) {
        editImage_->SetImageIndexQuietly(index);
        Invalidate();
    }
}

void TCustomDBEditGx::WMPaint(TMessage& Message) {
    TCustomMaskEdit::WMPaint(Message);
    const bool selfPainted = !focused_ && (Alignment() != taLeftJustify || wordWrap_);
    const bool image = editImage_->Visible() && editImage_->Images() && editImage_->ImageIndex() >= 0;
    // Drawing over the native edit only when there is something of ours to draw.
    if (!selfPainted && !image && !highlightRequired_ && !OnCheckDrawRequiredState) return;
    HDC dc = GetDC(Handle());
    if (!dc) return;
    TCanvas canvas;
    canvas.SetHandle(dc);
    if (selfPainted) PaintUnfocused(dc);
    if (image) {
        TRect r(0, 0, imageWidth_, ClientHeight());
        InflateRect(&r, -2, -1);
        DrawClippedImage(dc, r, editImage_->Images(), editImage_->ImageIndex(), false);
    }
    PaintRequiredState(&canvas);
    canvas.SetHandle(nullptr);
    ReleaseDC(Handle(), dc);
}

void TCustomDBEditGx::PaintUnfocused(HDC DC) {
    TCanvas canvas;
    canvas.SetHandle(DC);
    TRect r = GetEditRect();
    canvas.Brush()->SetColor(Color());
    canvas.FillRect(r);
    canvas.Font()->Assign(Font());
    if (!Enabled()) canvas.Font()->SetColor(clGrayText);
    AnsiString text = GetDisplayText();
    if (PasswordChar()) text = AnsiString(text.size(), PasswordChar());
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (wordWrap_) flags = DT_WORDBREAK | DT_NOPREFIX;
    TRect tr = r;
    InflateRect(&tr, -2, 0);
    switch (Alignment()) {
        case taRightJustify: flags |= DT_RIGHT; break;
        case taCenter: flags |= DT_CENTER; break;
        default: flags |= DT_LEFT; break;
    }
    SetBkMode(DC, TRANSPARENT);
    DrawTextGx(canvas.Handle(), text, -1, tr, flags);
    canvas.SetHandle(nullptr);
}

void TCustomDBEditGx::PaintRequiredState(TCanvas* ACanvas) {
    bool draw = false;
    if (highlightRequired_) {
        TField* f = Field();
        if (f) draw = f->Required() && f->IsNull() && TCustomMaskEdit::Text().empty();
        else draw = dataLink_->DataIndependent() && TCustomMaskEdit::Text().empty();
    }
    if (OnCheckDrawRequiredState) OnCheckDrawRequiredState(this, draw);
    if (!draw) return;
    TRect r = GetEditRect();
    ACanvas->Pen()->SetColor(clRed);
    ACanvas->Pen()->SetStyle(psDot);
    ACanvas->MoveTo(r.Left + 2, r.Bottom - 2);
    ACanvas->LineTo(r.Right - 3, r.Bottom - 2);
}

void TCustomDBEditGx::CMHintShow(TMessage& Message) {
    auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
    if (tooltips_ && info) {
        TRect r = GetEditRect();
        HDC dc = CreateScreenDC();
        TCanvas canvas;
        canvas.SetHandle(dc);
        canvas.Font()->Assign(Font());
        AnsiString text = TCustomMaskEdit::Text();
        TSize size{canvas.TextWidth(text), canvas.TextHeight(text)};
        canvas.SetHandle(nullptr);
        DeleteDC(dc);
        if (size.cx > r.Width() - 4 || size.cy > r.Height()) {
            info->HintStr = text;
            info->HintPos = ClientToScreen(TPoint(r.Left, r.Top));
            info->HintData = this;
            info->HintWindowClass = [](TComponent* Owner) -> THintWindow* { return new TToolTipsWindow(Owner); };
            Message.Result = 0;
            return;
        }
        if (!showHintSet_) {
            Message.Result = 1;
            return;
        }
    }
    TCustomMaskEdit::CMHintShow(Message);
}

// ---------------------------------------------------------------------------
// MRU list

void TCustomDBEditGx::FilterMRUItem(const AnsiString& Item, bool& Accept) {
    Accept = mruList_->ItemBeginsWith(Item, TCustomMaskEdit::Text());
}

void TCustomDBEditGx::UpdateMRUList() {
    if (!mruList_->Active()) return;
    AnsiString text = TCustomMaskEdit::Text();
    if (mruListbox_ && mruListbox_->Visible() && text.empty()) {
        mruList_->CloseUp(false);
        return;
    }
    if (Showing() && !droppedDown_ && !text.empty() && Focused()) mruList_->DropDown();
}

void TCustomDBEditGx::MRUDropDown(TObject*) {
    if (!mruListbox_) mruListbox_ = CreateMRUListbox();
    mruListbox_->Items()->BeginUpdate();
    mruListbox_->Items()->Clear();
    for (int i = 0; i < mruList_->Items()->Count(); ++i) {
        const AnsiString& item = mruList_->Items()->Strings(i);
        bool accept = true;
        FilterMRUItem(item, accept);
        if (accept && mruList_->OnFilterItem) mruList_->OnFilterItem(this, accept);
        if (accept) mruListbox_->Items()->Add(item);
    }
    mruListbox_->Items()->EndUpdate();
    if (mruListbox_->Items()->Count() == 0) {
        if (mruListbox_->Visible()) mruList_->CloseUp(false);
        return;
    }
    mruListbox_->SetWidth(Width());
    mruListbox_->SetRowCount(std::min(mruList_->Rows(), mruListbox_->Items()->Count()));
    AlignDropDownWindow(this, mruListbox_, daLeft);
    SetWindowPos(mruListbox_->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    mruListbox_->SetVisible(true);
}

void TCustomDBEditGx::MRUCloseUp(TObject*, bool Accept) {
    if (!mruListbox_ || !mruListbox_->Visible()) return;
    StoreMRUListboxSize();
    mruListbox_->SetVisible(false);
    if (Accept && !readOnly_ && mruListbox_->ItemIndex() >= 0 && dataLink_->Edit()) {
        TCustomMaskEdit::SetText(mruListbox_->Items()->Strings(mruListbox_->ItemIndex()));
        SelectAll();
    }
}

void TCustomDBEditGx::StoreMRUListboxSize() {
    if (!mruListbox_) return;
    mruList_->SetRows(mruListbox_->RowCount());
}

// ---------------------------------------------------------------------------
// In-place mode

void TCustomDBEditGx::SetInplaceEditHolder(TWinControl* Value) {
    if (Value == holder_) return;
    IInplaceEditHolderGx* intf = nullptr;
    if (Value) {
        intf = dynamic_cast<IInplaceEditHolderGx*>(Value);
        if (!intf) throw Exception("InplaceEditHolder have to support IInplaceEditHolderGx interface");
    }
    holder_ = Value;
    holderIntf_ = intf;
    UpdateReadOnlyState();
}

void TCustomDBEditGx::MoveToRect(const TRect& Rect) {
    SetBoundsRect(Rect);
    if (!holder_) return;
    SetVisible(true);
    SetWindowPos(Handle(), HWND_TOP, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(),
                 SWP_SHOWWINDOW | SWP_NOREDRAW);
    if (holder_->Focused()) ::SetFocus(Handle());
}

bool TCustomDBEditGx::InplaceVisible() {
    if (!holder_) return Visible();
    return HandleAllocated() && IsWindowVisible(Handle());
}

void TCustomDBEditGx::SetInplaceVisible(bool Value) {
    if (!holder_ || Value) {
        SetVisible(Value);
        return;
    }
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW);
    if (Focused() && holder_->CanFocus()) holder_->SetFocus();
}

// ---------------------------------------------------------------------------

TESK_PUBLISHED(TEditImageGx) {
    Property("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
    Property("Images", &T::Images, &T::SetImages);
    Property("UseImageHeight", &T::UseImageHeight, &T::SetUseImageHeight).Default(true);
    Property("Visible", &T::Visible, &T::SetVisible).Default(false);
    Property("Width", &T::Width, &T::SetWidth).Default(0);
}

TESK_PUBLISHED(TToolTipsWindow) {}

// The edit's properties are published by the classes forms use.
TESK_PUBLISHED(TCustomDBEditGx) {}
