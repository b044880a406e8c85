#include "grid/DBCtrlsGxCombo.h"

#include <algorithm>

#include "grid/GxLibVCL.h"
#include "platform/db/DbClassInfo.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Clipboard.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"

// ---------------------------------------------------------------------------
// TDropDownBoxGx

void TDropDownBoxGx::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TDropDownBoxGx*>(Source)) {
        align_ = s->align_;
        autoDrop_ = s->autoDrop_;
        rows_ = s->rows_;
        sizable_ = s->sizable_;
        width_ = s->width_;
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// TCustomDBComboBoxGx

TCustomDBComboBoxGx::TCustomDBComboBoxGx(TComponent* AOwner)
    : TCustomDBEditGx(AOwner),
      dropDownBox_(new TDropDownBoxGx()),
      items_(new TStringList()),
      keyItems_(new TStringList()) {
    items_->OnChange = MakeEvent(this, &TCustomDBComboBoxGx::ItemsChanged);
    keyItems_->OnChange = MakeEvent(this, &TCustomDBComboBoxGx::KeyItemsChanged);
    // The drop-down button is shown, with Alt+Down.
    RecreateEditButton();
}

TCustomDBComboBoxGx::~TCustomDBComboBoxGx() {
    items_->OnChange = TNotifyEvent();
    keyItems_->OnChange = TNotifyEvent();
}

TEditButtonGx* TCustomDBComboBoxGx::CreateEditButton() { return new TVisibleEditButtonGx(this); }

bool TCustomDBComboBoxGx::MayChange() { return !ReadOnly() && DataLink()->CanModify(); }

// ---- items

void TCustomDBComboBoxGx::ItemsChanged(TObject*) {
    itemsCount_ = items_->Count();
    keyBased_ = keyItems_->Count() > 0;
    if (keyBased_) {
        itemsCount_ = std::min(itemsCount_, keyItems_->Count());
        ShowText(AnsiString());
    }
    int index = IndexOfText(TCustomMaskEdit::Text());
    itemIndex_ = -2;  // so that the index is applied (and the list and image follow)
    if (index < 0) {
        itemIndex_ = -1;
        if (popupList_) popupList_->SetItemIndex(-1);
        UpdateImageIndex();
    } else {
        InternalSetItemIndex(index);
    }
    // An unbound text holds its own value: typing is not lost to a refresh.
    if (keyBased_ || !DataLink()->DataIndependent()) DataChanged();
}

void TCustomDBComboBoxGx::KeyItemsChanged(TObject* Sender) {
    ItemsChanged(Sender);
    UpdateReadOnlyState();
}

int TCustomDBComboBoxGx::IndexOfText(const AnsiString& AText) const {
    int i = items_->IndexOf(AText);
    return i < itemsCount_ ? i : -1;
}

int TCustomDBComboBoxGx::GetItemsCount() {
    if (items_->Count() == 0 && OnGetItemsCount) return OnGetItemsCount(this);
    return items_->Count();
}

bool TCustomDBComboBoxGx::LocateText(const AnsiString& AText, bool Partial) {
    const int old = itemIndex_;
    for (int i = 0; i < itemsCount_; ++i) {
        const AnsiString& item = items_->Strings(i);
        AnsiString head = Partial ? item.substr(0, AText.size()) : item;
        if (AnsiCompareTextGx(head, AText) != 0) continue;
        if (i != itemIndex_) InternalSetItemIndex(i);
        else if (TCustomMaskEdit::Text() != item) ChangeText(item);  // typed over the completion
        SetSelStart(static_cast<int>(AText.size()));
        SetSelLength(static_cast<int>(item.size()) - static_cast<int>(AText.size()));
        return itemIndex_ != old;
    }
    if (!keyBased_) itemIndex_ = -1;
    return itemIndex_ != old;
}

void TCustomDBComboBoxGx::InternalSetItemIndex(int Index) {
    if (Index == itemIndex_) return;
    if (Index < 0 || Index >= itemsCount_) {
        Index = -1;
        value_ = Null();
    }
    itemIndex_ = Index;
    if (keyBased_ && Index >= 0) value_ = Variant(keyItems_->Strings(Index));
    UpdateImageIndex();
    if (popupList_ && ListDroppedDown()) popupList_->SetItemIndex(Index);
    ChangeText(Index >= 0 ? items_->Strings(Index) : AnsiString());
}

void TCustomDBComboBoxGx::SetItemIndex(int Value) {
    if (!DataLink()->PrepareValueChange()) return;
    InternalSetItemIndex(Value);
    if (!InUpdate()) UpdateData(this);
}

void TCustomDBComboBoxGx::Clear() {
    if (keyBased_) SetVariantValue(Null());
    else SetText(AnsiString());
}

// ---- value and text

void TCustomDBComboBoxGx::InternalSetValue(const Variant& AValue) {
    if (!keyBased_) {
        TCustomDBEditGx::InternalSetValue(AValue);
        itemIndex_ = IndexOfText(TCustomMaskEdit::Text());
        UpdateImageIndex();
        return;
    }
    value_ = AValue;
    if (VarIsNull(AValue) || VarIsEmpty(AValue)) {
        value_ = Null();
        itemIndex_ = -1;
        ChangeText(AnsiString());
    } else {
        int i = keyItems_->IndexOf(VarToStr(AValue));
        itemIndex_ = i < itemsCount_ ? i : -1;
        ChangeText(itemIndex_ >= 0 ? items_->Strings(itemIndex_) : AnsiString());
    }
    if (popupList_ && ListDroppedDown()) popupList_->SetItemIndex(itemIndex_);
    UpdateImageIndex();
}

void TCustomDBComboBoxGx::InternalSetText(const AnsiString& AText) {
    if (!keyBased_) {
        TCustomDBEditGx::InternalSetText(AText);
        itemIndex_ = IndexOfText(AText);
        UpdateImageIndex();
        return;
    }
    // A pick list takes only its own texts.
    int i = IndexOfText(AText);
    if (i >= 0) InternalSetItemIndex(i);
}

Variant TCustomDBComboBoxGx::GetVariantValue() {
    if (keyBased_) return value_;
    return Variant(TCustomMaskEdit::Text());
}

void TCustomDBComboBoxGx::DataChanged() {
    TField* f = Field();
    // A pick list takes no length limit from the field.
    const int limit = MaxLength();
    TCustomDBEditGx::DataChanged();
    if (keyBased_) SetMaxLength(limit);
    bool wasModified = DataLink()->Modified();
    if (f) {
        if (keyBased_ || (Focused_() && DataLink()->CanModify())) InternalSetValue(Variant(f->Text()));
        else ShowText(f->DisplayText());
    } else if (DataLink()->DataIndependent() && keyBased_) {
        InternalSetValue(DataLink()->Value());
    } else if (DataLink()->DataIndependent()) {
        itemIndex_ = IndexOfText(TCustomMaskEdit::Text());
    }
    DataLink()->Modified(wasModified);
    SetModified(false);
}

AnsiString TCustomDBComboBoxGx::GetDisplayText() {
    TField* f = Field();
    if (!f || Focused_()) return TCustomDBEditGx::GetDisplayText();
    AnsiString s;
    if (keyBased_) {
        int i = keyItems_->IndexOf(f->Text());
        if (i >= 0 && i < itemsCount_) s = items_->Strings(i);
    } else {
        s = f->DisplayText();
    }
    if (CharCase() == ecUpperCase) return AnsiUpperCaseGx(s);
    if (CharCase() == ecLowerCase) return AnsiLowerCaseGx(s);
    return s;
}

void TCustomDBComboBoxGx::UpdateDataLinkValue() {
    if (keyBased_) {
        if (VarIsNull(value_)) DataLink()->SetValue(Null());
        else if (DataLink()->DataIndependent()) DataLink()->SetValue(Variant(VarToStr(value_)));
        else DataLink()->SetText(VarToStr(value_));
        return;
    }
    TCustomDBEditGx::UpdateDataLinkValue();
}

void TCustomDBComboBoxGx::UpdateData(TObject* Sender) {
    if (OnNotInList && itemIndex_ == -1) {
        bool recheck = false;
        OnNotInList(this, TCustomMaskEdit::Text(), recheck);
        if (recheck) itemIndex_ = IndexOfText(TCustomMaskEdit::Text());
    }
    TCustomDBEditGx::UpdateData(Sender);
}

TAlignment TCustomDBComboBoxGx::GetFieldAlignment() {
    return keyBased_ ? taLeftJustify : TCustomDBEditGx::GetFieldAlignment();
}

void TCustomDBComboBoxGx::UpdateMaxLengthFromField(TField* F) {
    if (keyBased_) return;
    TCustomDBEditGx::UpdateMaxLengthFromField(F);
}

bool TCustomDBComboBoxGx::IsValidChar(char Key) { return keyBased_ || TCustomDBEditGx::IsValidChar(Key); }

void TCustomDBComboBoxGx::UpdateReadOnlyState() {
    TCustomDBEditGx::UpdateReadOnlyState();
    if (keyBased_) TCustomMaskEdit::SetReadOnly(true);
    if (keyBased_) SetMaxLength(0);
}

int TCustomDBComboBoxGx::GetCurrentImageIndex() { return imageIndex_; }

void TCustomDBComboBoxGx::UpdateImageIndex() {
    int index = itemIndex_;
    if (OnGetItemImageIndex) OnGetItemImageIndex(this, itemIndex_, index);
    imageIndex_ = index;
    TCustomDBEditGx::UpdateImageIndex();
}

// ---- keys

bool TCustomDBComboBoxGx::StepItem(int Delta) {
    if (ReadOnly() || !MayChange() || ListDroppedDown()) return false;
    int index = itemIndex_;
    if (Delta < 0) index = index == -1 ? itemsCount_ - 1 : std::max(0, index - 1);
    else index = std::min(itemsCount_ - 1, index + 1);
    if (index != itemIndex_ && index >= 0) {
        if (!DataLink()->Edit()) return true;
        InternalSetItemIndex(index);
        SelectAll();
    }
    return true;
}

void TCustomDBComboBoxGx::KeyDown(WORD& Key, TShiftState Shift) {
    if ((Key == VK_UP || Key == VK_DOWN) && !(Shift & ssAlt) && !ListDroppedDown()) {
        bool atEnd = !WordWrap() || SelStart() >= static_cast<int>(TCustomMaskEdit::Text().size());
        if (atEnd && StepItem(Key == VK_UP ? -1 : 1)) {
            Key = 0;
            return;
        }
    }
    if (Key == VK_DELETE && keyBased_ && Shift == 0) {
        TField* f = Field();
        if ((!f || !f->Required()) && MayChange()) {
            SetVariantValue(Null());
            Key = 0;
            return;
        }
    }
    TCustomDBEditGx::KeyDown(Key, Shift);
}

void TCustomDBComboBoxGx::KeyPress(char& Key) {
    if (ListDroppedDown() && (Key == 13 || Key == 27)) {
        CloseUp(Key == 13);
        Key = 0;
        return;
    }
    TCustomDBEditGx::KeyPress(Key);
    if (Key == 0) return;
    auto c = static_cast<unsigned char>(Key);
    if (c == 8 && keyBased_) {
        ProcessSearchKey(Key);
        Key = 0;
        return;
    }
    if (c >= 32) {
        if (dropDownBox_->AutoDrop() && !ListDroppedDown()) DropDown();
        if (keyBased_) {
            ProcessSearchKey(Key);
            Key = 0;
        }
    }
}

void TCustomDBComboBoxGx::ProcessSearchKey(char Key) {
    if (!MayChange()) return;
    AnsiString text = TCustomMaskEdit::Text();
    int selStart = SelStart();
    if (Key != 8) {
        AnsiString search = text.substr(0, static_cast<size_t>(std::max(0, selStart)));
        if (Key) search += Key;
        if (DataLink()->Edit() || DataLink()->DataIndependent()) LocateText(search, true);
        return;
    }
    if (selStart >= static_cast<int>(text.size())) {
        SetSelLength(0);
        SetSelStart(std::max(0, selStart - 1));
    } else {
        int start = std::max(0, selStart - 1);
        SetSelStart(start);
        SetSelLength(static_cast<int>(text.size()) - start);
    }
}

// Completion of typed text from the items, after the character went in.
void TCustomDBComboBoxGx::CompleteText(char Key) {
    if (keyBased_ || Key == '.' || Key == 8 || GetKeyState(VK_CONTROL) < 0) return;
    auto c = static_cast<unsigned char>(Key);
    if (c < 32) return;
    AnsiString text = TCustomMaskEdit::Text();
    if (SelStart() == static_cast<int>(text.size()) && SelLength() == 0) {
        ProcessSearchKey(0);
        return;
    }
    int i = -1;
    for (int k = 0; k < itemsCount_; ++k)
        if (AnsiCompareTextGx(items_->Strings(k), text) == 0) {
            i = k;
            break;
        }
    itemIndex_ = i;
    UpdateImageIndex();
}

void TCustomDBComboBoxGx::WndProc(TMessage& Message) {
    if (ListDroppedDown() && popupList_ && Message.Msg == WM_KEYDOWN) {
        WPARAM key = Message.WParam;
        bool moving = IsListMoveKey(key);
        TShiftState shift = KeyDataToShiftState(Message.LParam);
        bool shortcut = EditButton()->ShortCut() == ShortCut(static_cast<WORD>(key), shift);
        if (moving && !shortcut) {
            popupList_->Perform(Message.Msg, Message.WParam, Message.LParam);
            return;
        }
    }
    if (keyBased_) {
        switch (Message.Msg) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK: {
                if (CanFocus() && !Focused()) SetFocus();
                if (ListDroppedDown()) {
                    if (!JustDropped()) CloseUp(false);
                } else if (Message.Msg == WM_LBUTTONDOWN && MayChange()) {
                    DropDown();
                    SetJustDropped(true);
                }
                return;
            }
            case WM_LBUTTONUP:
                SetJustDropped(false);
                return;
            case WM_MOUSEMOVE:
            case WM_RBUTTONDOWN:
                return;
            case WM_RBUTTONUP: {
                TPoint p = ClientToScreen(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
                Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(p.X, p.Y));
                return;
            }
            case WM_PASTE: {
                AnsiString pasted = Clipboard()->AsText();
                if (MayChange()) LocateText(pasted, true);
                return;
            }
            default: break;
        }
    }
    char typed = Message.Msg == WM_CHAR ? static_cast<char>(Message.WParam & 0xFF) : 0;
    TCustomDBEditGx::WndProc(Message);
    if (typed) CompleteText(typed);
}

bool TCustomDBComboBoxGx::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomDBEditGx::DoMouseWheelDown(Shift, MousePos)) return true;
    if (ListDroppedDown() && popupList_) {
        popupList_->SetItemIndex(std::min(popupList_->Count() - 1, popupList_->ItemIndex() + 1));
        return true;
    }
    return StepItem(1);
}

bool TCustomDBComboBoxGx::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomDBEditGx::DoMouseWheelUp(Shift, MousePos)) return true;
    if (ListDroppedDown() && popupList_) {
        popupList_->SetItemIndex(std::max(0, popupList_->ItemIndex() - 1));
        return true;
    }
    return StepItem(-1);
}

void TCustomDBComboBoxGx::CMExit(TMessage& Message) {
    if (ListDroppedDown()) CloseUp(false);
    TCustomDBEditGx::CMExit(Message);
}

// ---- the list

void TCustomDBComboBoxGx::ButtonDown(bool IsDown) {
    if (EditButton()->Style() == ebsUpDownGx) {
        TEditButtonControlGx* b = ButtonControl(0);
        if (MayChange()) StepItem(b->ButtonNum() == 1 ? -1 : 1);
        return;
    }
    TCustomDBEditGx::ButtonDown(IsDown);
}

void TCustomDBComboBoxGx::DropDown() {
    if (ListDroppedDown()) return;
    TCustomDBEditGx::DropDown();
    if (OnDropDown) OnDropDown(this);
    if (!popupList_) {
        popupList_ = popupListCreate_ ? popupListCreate_(this) : new TPopupListboxGx(this);
        popupList_->OnMouseUp = MakeEvent(this, &TCustomDBComboBoxGx::ListMouseUp);
        popupList_->OnGetImageIndex = MakeEvent(this, &TCustomDBComboBoxGx::ListGetImageIndex);
    }
    TPopupListboxGx* list = popupList_;
    list->SetColor(Color());
    list->Font()->Assign(Font());
    list->SetImageList(EditImage()->Visible() ? EditImage()->Images() : nullptr);
    int itemHeight = list->GetTextHeight();
    if (list->ImageList()) itemHeight = std::max(itemHeight, list->ImageList()->Height() + 1);
    list->SetItemHeight(itemHeight);
    const int count = items_->Count() == 0 ? GetItemsCount() : itemsCount_;
    {
        TUpdateLock lock(list->Items());
        list->Items()->Clear();
        for (int i = 0; i < count && i < items_->Count(); ++i) list->Items()->Add(items_->Strings(i));
    }
    list->SetItemIndex(itemIndex_);
    int rows = std::max(1, std::min(dropDownBox_->Rows(), std::max(1, count)));
    int width = dropDownBox_->Width();
    if (width == -1) {
        HDC dc = CreateScreenDC();
        TCanvas canvas;
        canvas.SetHandle(dc);
        canvas.Font()->Assign(Font());
        int widest = 0;
        for (int i = 0; i < count && i < items_->Count(); ++i)
            widest = std::max(widest, canvas.TextWidth(items_->Strings(i)));
        canvas.SetHandle(nullptr);
        DeleteDC(dc);
        width = widest + 5 + (list->ImageList() ? list->ImageList()->Width() + 4 : 0);
    } else if (width <= 0) {
        width = Width();
    }
    width = std::max(width, Width());
    list->SetWidth(width);
    list->SetRowCount(rows);
    list->SizeGrip()->SetVisible(dropDownBox_->Sizable());
    widthBeforeSizing_ = list->Width();
    rowsBeforeSizing_ = list->RowCount();
    TRect r = BoundsRect();
    TPoint topLeft = Parent() ? Parent()->ClientToScreen(r.TopLeft()) : r.TopLeft();
    AlignDropDownWindowRect(TRect(topLeft.X, topLeft.Y, topLeft.X + r.Width(), topLeft.Y + r.Height()), list,
                            dropDownBox_->Align());
    SetWindowPos(list->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    list->SetVisible(true);
    SetDroppedDown(true);
}

void TCustomDBComboBoxGx::CloseUp(bool Accept) {
    if (!ListDroppedDown()) return;
    if (GetCapture()) ReleaseCapture();
    TPopupListboxGx* list = popupList_;
    bool listFocused = list->Focused();
    SetWindowPos(list->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    list->SetVisible(false);
    if (list->Width() != widthBeforeSizing_ || list->RowCount() != rowsBeforeSizing_) {
        dropDownBox_->SetWidth(list->Width());
        dropDownBox_->SetRows(list->RowCount());
    }
    if (listFocused && CanFocus()) SetFocus();
    SetDroppedDown(false);
    TCustomDBEditGx::CloseUp(Accept);
    if (OnClosingUp) OnClosingUp(this, Accept);
    if (Accept && !ReadOnly() && DataLink()->Edit()) {
        SetItemIndex(list->ItemIndex());
        if (Focused()) SelectAll();
    }
    if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBComboBoxGx::EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
    TCustomDBEditGx::EditButtonMouseMove(Sender, Shift, X, Y);
    // A drag from the drop-down button into the list hands the mouse to the list.
    if (!ListDroppedDown() || !popupList_ || !(Shift & ssLeft)) return;
    auto* b = dynamic_cast<TControl*>(static_cast<TObject*>(Sender));
    if (!b) return;
    TPoint screen = b->ClientToScreen(TPoint(X, Y));
    TPoint inList = popupList_->ScreenToClient(screen);
    if (PtInRect(popupList_->ClientRect(), inList)) {
        if (GetCapture()) ReleaseCapture();
        popupList_->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inList.X, inList.Y));
    }
}

void TCustomDBComboBoxGx::ListMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button != mbLeft || !popupList_) return;
    TRect client = popupList_->ClientRect();
    if (PtInRect(client, TPoint(X, Y))) CloseUp(true);
}

void TCustomDBComboBoxGx::ListGetImageIndex(TObject*, int Index, int& ImageIndex) {
    if (OnGetItemImageIndex) OnGetItemImageIndex(this, Index, ImageIndex);
}

// ---------------------------------------------------------------------------

TESK_PUBLISHED(TDropDownBoxGx) {
    Property("Align", &T::Align, &T::SetAlign).Default(daLeft);
    Property("AutoDrop", &T::AutoDrop, &T::SetAutoDrop).Default(false);
    Property("Rows", &T::Rows, &T::SetRows).Default(7);
    Property("Sizable", &T::Sizable, &T::SetSizable).Default(false);
    Property("Width", &T::Width, &T::SetWidth).Default(0);
}

TESK_PUBLISHED(TCustomDBComboBoxGx) {}

TESK_PUBLISHED(TDBComboBoxGx) {
    Property("Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
    Property("AlwaysShowBorder", &T::AlwaysShowBorder, &T::SetAlwaysShowBorder).Default(false);
    Property("Anchors", &T::Anchors, &T::SetAnchors).Default(akDefault);
    Property("AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);
    Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
    Property("BiDiMode", &T::BiDiMode, &T::SetBiDiMode).Default(bdLeftToRight);
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
    Property("CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor);
    Property("Constraints", &T::Constraints, &T::SetConstraints);
    Property("Ctl3D", &T::Ctl3D, &T::SetCtl3D).Default(true);
    Property("DataField", &T::DataField, &T::SetDataFieldProp);
    Property("DataSource", &T::DataSource, &T::SetDataSourceProp);
    Property("DragCursor", &T::DragCursor, &T::SetDragCursor);
    Property("DragKind", &T::DragKind, &T::SetDragKind).Default(dkDrag);
    Property("DragMode", &T::DragMode, &T::SetDragMode).Default(dmManual);
    Property("DropDownBox", &T::DropDownBox, &T::SetDropDownBox);
    Property("EditButton", &T::EditButton, &T::SetEditButton);
    Property("EditButtons", &T::EditButtons, &T::SetEditButtons);
    Property("EditMask", &T::EditMask, &T::SetEditMask).Stored(&T::IsEditMaskStored);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("Flat", &T::Flat, &T::SetFlat).Default(false);
    Property("Font", &T::Font, &T::SetFont);
    Property("HighlightRequired", &T::HighlightRequired, &T::SetHighlightRequired).Default(false);
    Property("Images", &T::Images, &T::SetImages);
    Property("ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
    Property("ImeName", &T::ImeName, &T::SetImeName);
    Property("Items", &T::Items, &T::SetItems);
    Property("KeyItems", &T::KeyItems, &T::SetKeyItems);
    Property("MaxLength", &T::MaxLength, &T::SetMaxLength).Default(0);
    Property("MRUList", &T::MRUList, &T::SetMRUList);
    Property("ParentBiDiMode", &T::ParentBiDiMode, &T::SetParentBiDiMode).Default(true);
    Property("ParentColor", &T::ParentColor, &T::SetParentColor).Default(false);
    Property("ParentCtl3D", &T::ParentCtl3D, &T::SetParentCtl3D).Default(true);
    Property("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
    Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint).Default(false);
    Property("TabOrder", &T::TabOrder, &T::SetTabOrder).Default(-1);
    Property("TabStop", &T::TabStop, &T::SetTabStop).Default(true);
    Property("Text", TypeInfoTCaption(), &T::Text, &T::SetText).Stored(&T::IsTextStored);
    Property("Tooltips", &T::Tooltips, &T::SetTooltips).Default(false);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
    Property("OnButtonClick", &T::OnButtonClick, &T::OnButtonClick);
    Property("OnButtonDown", &T::OnButtonDown, &T::OnButtonDown);
    Property("OnChange", &T::OnChange, &T::OnChange);
    Property("OnCheckDrawRequiredState", &T::OnCheckDrawRequiredState, &T::OnCheckDrawRequiredState);
    Property("OnClick", &T::OnClick, &T::OnClick);
    Property("OnCloseUp", &T::OnCloseUp, &T::OnCloseUp);
    Property("OnContextPopup", &T::OnContextPopup, &T::OnContextPopup);
    Property("OnDblClick", &T::OnDblClick, &T::OnDblClick);
    Property("OnDragDrop", &T::OnDragDrop, &T::OnDragDrop);
    Property("OnDragOver", &T::OnDragOver, &T::OnDragOver);
    Property("OnDropDown", &T::OnDropDown, &T::OnDropDown);
    Property("OnEndDock", &T::OnEndDock, &T::OnEndDock);
    Property("OnEndDrag", &T::OnEndDrag, &T::OnEndDrag);
    Property("OnEnter", &T::OnEnter, &T::OnEnter);
    Property("OnExit", &T::OnExit, &T::OnExit);
    Property("OnGetImageIndex", &T::OnGetImageIndex, &T::OnGetImageIndex);
    Property("OnGetItemImageIndex", &T::OnGetItemImageIndex, &T::OnGetItemImageIndex);
    Property("OnKeyDown", &T::OnKeyDown, &T::OnKeyDown);
    Property("OnKeyPress", &T::OnKeyPress, &T::OnKeyPress);
    Property("OnKeyUp", &T::OnKeyUp, &T::OnKeyUp);
    Property("OnMouseDown", &T::OnMouseDown, &T::OnMouseDown);
    Property("OnMouseMove", &T::OnMouseMove, &T::OnMouseMove);
    Property("OnMouseUp", &T::OnMouseUp, &T::OnMouseUp);
    Property("OnNotInList", &T::OnNotInList, &T::OnNotInList);
    Property("OnStartDock", &T::OnStartDock, &T::OnStartDock);
    Property("OnStartDrag", &T::OnStartDrag, &T::OnStartDrag);
    Property("OnUpdateData", &T::OnUpdateData, &T::OnUpdateData);
}
