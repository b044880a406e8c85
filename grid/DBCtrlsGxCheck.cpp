#include "grid/DBCtrlsGxCheck.h"

#include "grid/GxLibVCL.h"
#include "platform/db/DbClassInfo.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Services.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"

namespace {

constexpr int kCheckSize = 13;

WPARAM CheckOf(TCheckBoxState State) {
    return State == cbChecked ? BST_CHECKED : State == cbGrayed ? BST_INDETERMINATE : BST_UNCHECKED;
}

// The first of "a;b;c".
AnsiString FirstAlternative(const AnsiString& Alternatives) {
    size_t semi = Alternatives.find(';');
    return semi == AnsiString::npos ? Alternatives : Alternatives.substr(0, semi);
}

}  // namespace

TCustomDBCheckBoxGx::TCustomDBCheckBoxGx(TComponent* AOwner) : TCustomControl(AOwner) {
    controlStyle_ = (controlStyle_ | csSetCaption | csClickEvents) & ~csDoubleClicks;
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
    SetParentColor(true);
    dataLink_.reset(new TFieldDataLinkGx());
    dataLink_->SetControl(this);
    dataLink_->OnDataChange = MakeEvent(this, &TCustomDBCheckBoxGx::DataChange);
    dataLink_->OnUpdateData = MakeEvent(this, &TCustomDBCheckBoxGx::UpdateData);
    dataLink_->SetValue(Variant(false));
}

TCustomDBCheckBoxGx::~TCustomDBCheckBoxGx() {
    dataLink_->OnDataChange = TNotifyEvent();
    dataLink_->OnUpdateData = TNotifyEvent();
    dataLink_->SetDataSource(nullptr);
}

void TCustomDBCheckBoxGx::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && dataLink_ && AComponent == dataLink_->DataSource()) SetDataSource(nullptr);
}

void TCustomDBCheckBoxGx::SetDataSource(TDataSource* Value) {
    dataLink_->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

void TCustomDBCheckBoxGx::SetDataField(const AnsiString& Value) {
    dataLink_->SetFieldName(Value);
    Invalidate();
}

void TCustomDBCheckBoxGx::CreateWnd() {
    TCustomControl::CreateWnd();
    Perform(BM_SETCHECK, CheckOf(state_), 0);
}

// ---- field and state

bool TCustomDBCheckBoxGx::MatchesAlternative(const AnsiString& Text, const AnsiString& Alternatives) {
    size_t start = 0;
    while (true) {
        size_t semi = Alternatives.find(';', start);
        AnsiString item = Alternatives.substr(start, semi == AnsiString::npos ? AnsiString::npos : semi - start);
        if (AnsiCompareTextGx(Text, item) == 0) return true;
        if (semi == AnsiString::npos) return false;
        start = semi + 1;
    }
}

TCheckBoxState TCustomDBCheckBoxGx::FieldState() {
    if (dataLink_->DataIndependent()) {
        const Variant& v = dataLink_->Value();
        if (VarType(v) == varBoolean) return v.AsBoolean() ? cbChecked : cbUnchecked;
        return cbGrayed;
    }
    TField* f = Field();
    if (!f) return cbUnchecked;
    if (f->IsNull()) return cbGrayed;
    if (f->DataType() == ftBoolean) return f->AsBoolean() ? cbChecked : cbUnchecked;
    AnsiString text = f->Text();
    if (MatchesAlternative(text, valueChecked_)) return cbChecked;
    if (MatchesAlternative(text, valueUnchecked_)) return cbUnchecked;
    return cbGrayed;
}

void TCustomDBCheckBoxGx::DataChange(TObject*) {
    SetState(FieldState());
    modified_ = false;
}

void TCustomDBCheckBoxGx::SetValueChecked(const AnsiString& Value) {
    valueChecked_ = Value;
    DataChange(this);
}

void TCustomDBCheckBoxGx::SetValueUnchecked(const AnsiString& Value) {
    valueUnchecked_ = Value;
    DataChange(this);
}

void TCustomDBCheckBoxGx::SetState(TCheckBoxState Value) {
    if (Value == state_) return;
    state_ = Value;
    if (HandleAllocated()) Perform(BM_SETCHECK, CheckOf(state_), 0);
    if (!clicksDisabled_) Click();
    Invalidate();
    modified_ = true;
}

void TCustomDBCheckBoxGx::SetStateProp(TCheckBoxState Value) {
    if (!dataLink_->PrepareValueChange()) return;
    SetState(Value);
    dataLink_->SetModified();
    if (!inUpdate_) dataLink_->UpdateRecord();
}

void TCustomDBCheckBoxGx::Toggle() {
    if (!dataLink_->Edit()) return;
    switch (state_) {
        case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
        case cbChecked: SetState(cbUnchecked); break;
        case cbGrayed: SetState(cbChecked); break;
    }
    dataLink_->SetModified();
    Invalidate();
}

void TCustomDBCheckBoxGx::UpdateData(TObject*) {
    TValueRestorer<bool> updating(inUpdate_, true);
    bool handled = false;
    if (OnUpdateData) OnUpdateData(this, handled);
    if (!handled) UpdateDataLinkValue();
    modified_ = false;
}

void TCustomDBCheckBoxGx::UpdateDataLinkValue() {
    if (dataLink_->DataIndependent()) {
        dataLink_->SetValue(state_ == cbGrayed ? Null() : Variant(state_ == cbChecked));
        return;
    }
    TField* f = Field();
    if (!f) return;
    if (state_ == cbGrayed) f->Clear();
    else if (f->DataType() == ftBoolean) f->SetAsBoolean(state_ == cbChecked);
    else f->SetAsString(FirstAlternative(state_ == cbChecked ? valueChecked_ : valueUnchecked_));
}

// ---- keys and mouse

void TCustomDBCheckBoxGx::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == VK_SPACE || Key == VK_BACK) dataLink_->Edit();
    if (Key == VK_SPACE && !pressed_) {
        pressed_ = true;
        Invalidate();
    }
}

void TCustomDBCheckBoxGx::KeyUp(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyUp(Key, Shift);
    if (Key == VK_SPACE && pressed_) {
        pressed_ = false;
        Toggle();
    }
}

void TCustomDBCheckBoxGx::KeyPress(char& Key) {
    TCustomControl::KeyPress(Key);
    if (Key == 27) {
        dataLink_->Reset();
        Key = 0;
    }
}

void TCustomDBCheckBoxGx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && !Focused()) {
        {
            TValueRestorer<bool> quiet(clicksDisabled_, true);
            if (CanFocus()) SetFocus();
        }
        if (!Focused()) return;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft) {
        mousePressed_ = true;
        pressed_ = true;
        Invalidate();
    }
}

void TCustomDBCheckBoxGx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !mousePressed_) return;
    mousePressed_ = false;
    pressed_ = false;
    if (X >= 0 && Y >= 0 && X < Width() && Y < Height()) Toggle();
    else Invalidate();
}

void TCustomDBCheckBoxGx::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case CM_GETDATALINK: Message.Result = reinterpret_cast<LRESULT>(dataLink_.get()); return;
        case BM_GETCHECK: Message.Result = static_cast<LRESULT>(CheckOf(state_)); return;
        case BM_SETCHECK: Invalidate(); return;
        case WM_GETDLGCODE: Message.Result = DLGC_WANTCHARS | DLGC_BUTTON; return;
        case CM_WANTSPECIALKEY:
            if (Message.WParam == VK_ESCAPE && modified_) {
                Message.Result = 1;
                return;
            }
            break;
        case CM_DIALOGCHAR:
            // The caption's accelerator toggles the box.
            if (IsAccel(Message.WParam, Caption()) && CanFocus()) {
                SetFocus();
                if (Focused()) Toggle();
                Message.Result = 1;
                return;
            }
            break;
        default: break;
    }
    TCustomControl::Dispatch(Message);
}

void TCustomDBCheckBoxGx::WndProc(TMessage& Message) {
    // The framework's command notifications are not clicks while clicks are off.
    if (Message.Msg == CN_COMMAND && clicksDisabled_) return;
    TCustomControl::WndProc(Message);
}

void TCustomDBCheckBoxGx::CMEnter(TMessage& Message) {
    TCustomControl::CMEnter(Message);
    Invalidate();
}

void TCustomDBCheckBoxGx::CMExit(TMessage& Message) {
    try {
        dataLink_->UpdateRecord();
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        MessageDlg(e.Message(), mtError, MsgDlgButtons({mbOK}), 0);
        if (CanFocus()) SetFocus();
        return;
    }
    TCustomControl::CMExit(Message);
    Invalidate();
}

void TCustomDBCheckBoxGx::CMMouseEnter(TMessage& Message) {
    TCustomControl::CMMouseEnter(Message);
    mouseOver_ = true;
    Invalidate();
}

void TCustomDBCheckBoxGx::CMMouseLeave(TMessage& Message) {
    TCustomControl::CMMouseLeave(Message);
    mouseOver_ = false;
    Invalidate();
}

void TCustomDBCheckBoxGx::CMTextChanged(TMessage& Message) {
    TCustomControl::CMTextChanged(Message);
    Invalidate();
}

void TCustomDBCheckBoxGx::CMEnabledChanged(TMessage& Message) {
    TCustomControl::CMEnabledChanged(Message);
    Invalidate();
}

// ---- look

void TCustomDBCheckBoxGx::SetAlignment(TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    Invalidate();
}

void TCustomDBCheckBoxGx::SetAlwaysShowBorder(bool Value) {
    if (Value == alwaysShowBorder_) return;
    alwaysShowBorder_ = Value;
    Invalidate();
}

void TCustomDBCheckBoxGx::SetFlat(bool Value) {
    if (Value == flat_) return;
    flat_ = Value;
    Invalidate();
}

TRect TCustomDBCheckBoxGx::CheckRect() {
    TRect client = ClientRect();
    TRect slot = alignment_ == taLeftJustify ? TRect(client.Right - kCheckSize, 0, client.Right, client.Bottom)
                                             : TRect(0, 0, kCheckSize, client.Bottom);
    return AdjustCheckBoxRect(slot, taLeftJustify, tlCenter);
}

TRect TCustomDBCheckBoxGx::CaptionRect() {
    TRect client = ClientRect();
    if (alignment_ == taLeftJustify) return TRect(0, 0, client.Right - kCheckSize - 5, client.Bottom);
    return TRect(kCheckSize + 5, 0, client.Right, client.Bottom);
}

void TCustomDBCheckBoxGx::DrawCheck(TCanvas* ACanvas, TRect Rect) {
    bool hot = Focused() || mouseOver_ || alwaysShowBorder_;
    PaintButtonControlGx(ACanvas->Handle(), Rect, Color(), bpkCheckBoxGx, pressed_ ? 1 : 0, flat_, hot, Enabled(),
                         static_cast<int>(CheckOf(state_)));
}

void TCustomDBCheckBoxGx::DrawCaption(TCanvas* ACanvas, TRect Rect) {
    ACanvas->Font()->Assign(Font());
    ACanvas->Brush()->SetStyle(bsClear);
    AnsiString text = Caption();
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    TRect measure = Rect;
    DrawTextGx(ACanvas->Handle(), text, -1, measure, flags | DT_CALCRECT);
    TRect textRect(Rect.Left, Rect.Top + (Rect.Height() - measure.Height()) / 2, Rect.Left + measure.Width(),
                   Rect.Top + (Rect.Height() - measure.Height()) / 2 + measure.Height());
    if (alignment_ == taLeftJustify) OffsetRect(&textRect, Rect.Width() - textRect.Width(), 0);
    if (Enabled()) {
        DrawTextGx(ACanvas->Handle(), text, -1, textRect, flags);
    } else {
        // Embossed: the highlight one pixel down and right, the shadow on top.
        TRect lifted = textRect;
        OffsetRect(&lifted, 1, 1);
        ACanvas->Font()->SetColor(clBtnHighlight);
        DrawTextGx(ACanvas->Handle(), text, -1, lifted, flags);
        ACanvas->Font()->SetColor(clBtnShadow);
        DrawTextGx(ACanvas->Handle(), text, -1, textRect, flags);
    }
    if (Focused()) {
        TRect focus = textRect;
        InflateRect(&focus, 1, 1);
        IntersectRect(&focus, focus, Rect);
        ACanvas->Brush()->SetStyle(bsSolid);
        ACanvas->DrawFocusRect(focus);
    }
}

void TCustomDBCheckBoxGx::DrawCheckBoxAndCaption(TCanvas* ACanvas) {
    DrawCheck(ACanvas, CheckRect());
    DrawCaption(ACanvas, CaptionRect());
}

void TCustomDBCheckBoxGx::Paint() {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
    DrawCheckBoxAndCaption(c);
}

// ---------------------------------------------------------------------------

TESK_PUBLISHED(TCustomDBCheckBoxGx) {}

TESK_PUBLISHED(TDBCheckBoxGx) {
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taRightJustify);
    Property("AllowGrayed", &T::AllowGrayed, &T::SetAllowGrayed).Default(false);
    Property("AlwaysShowBorder", &T::AlwaysShowBorder, &T::SetAlwaysShowBorder).Default(false);
    Property("Anchors", &T::Anchors, &T::SetAnchors).Default(akDefault);
    Property("BiDiMode", &T::BiDiMode, &T::SetBiDiMode).Default(bdLeftToRight);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Checked", &T::Checked, &T::SetCheckedProp).Stored(false);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor);
    Property("Constraints", &T::Constraints, &T::SetConstraints);
    Property("Ctl3D", &T::Ctl3D, &T::SetCtl3D).Default(true);
    Property("DataField", &T::DataField, &T::SetDataField);
    Property("DataSource", &T::DataSource, &T::SetDataSource);
    Property("DragCursor", &T::DragCursor, &T::SetDragCursor);
    Property("DragKind", &T::DragKind, &T::SetDragKind).Default(dkDrag);
    Property("DragMode", &T::DragMode, &T::SetDragMode).Default(dmManual);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("Flat", &T::Flat, &T::SetFlat).Default(false);
    Property("Font", &T::Font, &T::SetFont);
    Property("ParentBiDiMode", &T::ParentBiDiMode, &T::SetParentBiDiMode).Default(true);
    Property("ParentColor", &T::ParentColor, &T::SetParentColor);
    Property("ParentCtl3D", &T::ParentCtl3D, &T::SetParentCtl3D).Default(true);
    Property("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
    Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    Property("State", &T::State, &T::SetStateProp).Stored(&T::IsStateStored);
    Property("TabOrder", &T::TabOrder, &T::SetTabOrder).Default(-1);
    Property("TabStop", &T::TabStop, &T::SetTabStop).Default(true);
    Property("ValueChecked", &T::ValueChecked, &T::SetValueChecked);
    Property("ValueUnchecked", &T::ValueUnchecked, &T::SetValueUnchecked);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("OnClick", &T::OnClick, &T::OnClick);
    Property("OnContextPopup", &T::OnContextPopup, &T::OnContextPopup);
    Property("OnDragDrop", &T::OnDragDrop, &T::OnDragDrop);
    Property("OnDragOver", &T::OnDragOver, &T::OnDragOver);
    Property("OnEndDock", &T::OnEndDock, &T::OnEndDock);
    Property("OnEndDrag", &T::OnEndDrag, &T::OnEndDrag);
    Property("OnEnter", &T::OnEnter, &T::OnEnter);
    Property("OnExit", &T::OnExit, &T::OnExit);
    Property("OnKeyDown", &T::OnKeyDown, &T::OnKeyDown);
    Property("OnKeyPress", &T::OnKeyPress, &T::OnKeyPress);
    Property("OnKeyUp", &T::OnKeyUp, &T::OnKeyUp);
    Property("OnMouseDown", &T::OnMouseDown, &T::OnMouseDown);
    Property("OnMouseMove", &T::OnMouseMove, &T::OnMouseMove);
    Property("OnMouseUp", &T::OnMouseUp, &T::OnMouseUp);
    Property("OnStartDock", &T::OnStartDock, &T::OnStartDock);
    Property("OnStartDrag", &T::OnStartDrag, &T::OnStartDrag);
}
