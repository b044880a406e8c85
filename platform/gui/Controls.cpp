#include "platform/gui/Controls.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gui/Forms.h"
#include "platform/rtl/SysUtils.h"

TMouse* Mouse = nullptr;

namespace {

TPopupMenuHooks& Hooks() {
    static TPopupMenuHooks hooks;
    return hooks;
}

TControl*& CaptureControlRef() {
    static TControl* control = nullptr;
    return control;
}

std::vector<TControlCanvas*>& CanvasList() {
    static std::vector<TControlCanvas*> list;
    return list;
}

// Handle -> control, for FindControl.
std::vector<std::pair<HWND, TWinControl*>>& HandleControls() {
    static std::vector<std::pair<HWND, TWinControl*>> list;
    return list;
}

void ReleaseCanvasesOf(HWND wnd) {
    auto list = CanvasList();
    for (TControlCanvas* c : list)
        if (c->WindowHandle() == wnd) c->FreeHandle();
}

TPoint MessagePoint(const TMessage& m) { return TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)); }

// ---- in-process dragging ----

struct TDragInfo {
    TControl* Source = nullptr;
    HWND CaptureWnd = nullptr;
    bool Started = false;
    TPoint StartPos;
    int Threshold = 5;
    TControl* Target = nullptr;
    bool Accepted = false;
};

TDragInfo& Drag() {
    static TDragInfo info;
    return info;
}

void DragTo(TPoint screen);
void DragDone(bool drop);

class TDragReceiver {
public:
    void WndProc(TMessage& m) {
        TDragInfo& d = Drag();
        switch (m.Msg) {
            case WM_MOUSEMOVE: {
                TPoint p = MessagePoint(m);
                if (!d.Started && (std::abs(p.X - d.StartPos.X) > d.Threshold || std::abs(p.Y - d.StartPos.Y) > d.Threshold))
                    d.Started = true;
                if (d.Started) DragTo(p);
                break;
            }
            case WM_LBUTTONUP:
            case WM_RBUTTONUP: DragDone(d.Started && d.Accepted); break;
            case WM_CANCELMODE:
            case WM_CAPTURECHANGED:
                if (d.Source && m.Msg == WM_CANCELMODE) DragDone(false);
                else if (d.Source && reinterpret_cast<HWND>(m.LParam) != d.CaptureWnd) DragDone(false);
                break;
            case WM_KEYDOWN:
                if (m.WParam == VK_ESCAPE) DragDone(false);
                break;
            default: m.Result = DefWindowProc(d.CaptureWnd, m.Msg, m.WParam, m.LParam); break;
        }
    }
};

TDragReceiver& DragReceiver() {
    static TDragReceiver receiver;
    return receiver;
}

void DragTo(TPoint screen) {
    TDragInfo& d = Drag();
    TControl* target = FindDragTarget(screen, false);
    if (target != d.Target) {
        if (d.Target) {
            bool accept = false;
            TPoint p = d.Target->ScreenToClient(screen);
            d.Target->DragOver(d.Source, p.X, p.Y, dsDragLeave, accept);
        }
        d.Target = target;
        d.Accepted = false;
        if (target) {
            TPoint p = target->ScreenToClient(screen);
            bool accept = false;
            target->DragOver(d.Source, p.X, p.Y, dsDragEnter, accept);
            d.Accepted = accept;
        }
    } else if (target) {
        TPoint p = target->ScreenToClient(screen);
        bool accept = false;
        target->DragOver(d.Source, p.X, p.Y, dsDragMove, accept);
        d.Accepted = accept;
    }
    if (Screen && d.Source) SetCursor(Screen->Cursors(d.Accepted ? d.Source->DragCursor() : crNoDrop));
}

void DragDone(bool drop) {
    TDragInfo d = Drag();
    if (!d.Source) return;
    Drag() = TDragInfo();
    if (d.CaptureWnd) {
        if (GetCapture() == d.CaptureWnd) ReleaseCapture();
        DeallocateHWnd(d.CaptureWnd);
    }
    TPoint pos;
    DWORD mp = GetMessagePos();
    pos = TPoint(GET_X_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))),
                 GET_Y_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))));
    TControl* target = d.Target;
    if (target) {
        TPoint p = target->ScreenToClient(pos);
        bool accept = false;
        target->DragOver(d.Source, p.X, p.Y, dsDragLeave, accept);
        if (drop && d.Accepted) {
            target->DragDrop(d.Source, p.X, p.Y);
            d.Source->DoEndDrag(target, p.X, p.Y);
            return;
        }
    }
    TPoint sp = d.Source->ScreenToClient(pos);
    d.Source->DoEndDrag(nullptr, sp.X, sp.Y);
}

}  // namespace

// ---------------------------------------------------------------- free functions

TShiftState KeysToShiftState(WORD Keys) {
    TShiftState s = 0;
    if (Keys & MK_SHIFT) s |= ssShift;
    if (Keys & MK_CONTROL) s |= ssCtrl;
    if (Keys & MK_LBUTTON) s |= ssLeft;
    if (Keys & MK_RBUTTON) s |= ssRight;
    if (Keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (KeyData & (1 << 29)) s |= ssAlt;
    return s;
}

TShiftState KeyboardStateToShiftState() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    if (GetKeyState(VK_LBUTTON) < 0) s |= ssLeft;
    if (GetKeyState(VK_RBUTTON) < 0) s |= ssRight;
    if (GetKeyState(VK_MBUTTON) < 0) s |= ssMiddle;
    return s;
}

TCustomForm* GetParentForm(TControl* Control) {
    if (!Control) return nullptr;
    while (Control->Parent()) Control = Control->Parent();
    return dynamic_cast<TCustomForm*>(Control);
}

TCustomForm* ValidParentForm(TControl* Control) {
    TCustomForm* form = GetParentForm(Control);
    if (!form) throw EInvalidOperation("Control '" + (Control ? Control->Name() : AnsiString()) + "' has no parent window");
    return form;
}

TWinControl* FindControl(HWND Handle) {
    if (!Handle) return nullptr;
    for (auto& [h, c] : HandleControls())
        if (h == Handle) return c;
    return nullptr;
}

TControl* GetCaptureControl() {
    TControl* c = CaptureControlRef();
    HWND cap = GetCapture();
    if (c) {
        // A graphic control keeps the capture through its parent's window.
        TWinControl* owner = dynamic_cast<TWinControl*>(c) ? static_cast<TWinControl*>(c) : c->Parent();
        if (owner && owner->HandleAllocated() && owner->Handle() == cap) return c;
        CaptureControlRef() = nullptr;
    }
    return FindControl(cap);
}

void SetCaptureControl(TControl* Control) {
    ReleaseCapture();
    CaptureControlRef() = nullptr;
    if (!Control) return;
    TWinControl* win = dynamic_cast<TWinControl*>(Control);
    if (!win) {
        if (!Control->Parent()) return;
        CaptureControlRef() = Control;
        win = Control->Parent();
    }
    SetCapture(win->Handle());
}

TControl* FindDragTarget(TPoint Pos, bool AllowDisabled) {
    HWND wnd = WindowFromPoint(Pos);
    TWinControl* control = FindControl(wnd);
    if (!control) return nullptr;
    TControl* inner = control->ControlAtPos(control->ScreenToClient(Pos), AllowDisabled);
    return inner ? inner : control;
}

void FreeDeviceContexts() {
    auto list = CanvasList();
    for (TControlCanvas* c : list)
        if (c->LockCount() == 0) c->FreeHandle();
}

void SetPopupMenuHooks(const TPopupMenuHooks& H) { Hooks() = H; }
const TPopupMenuHooks& PopupMenuHooks() { return Hooks(); }

// ---------------------------------------------------------------- TMouse

TPoint TMouse::CursorPos() {
    TPoint p;
    GetCursorPos(&p);
    return p;
}

void TMouse::SetCursorPos(TPoint Value) { ::SetCursorPos(Value.X, Value.Y); }

void TMouse::SetCapture(HWND Value) {
    if (Value) ::SetCapture(Value);
    else ReleaseCapture();
}

// ---------------------------------------------------------------- TSizeConstraints

void TSizeConstraints::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
        minHeight_ = s->minHeight_;
        maxHeight_ = s->maxHeight_;
        minWidth_ = s->minWidth_;
        maxWidth_ = s->maxWidth_;
        Change();
        return;
    }
    TPersistent::Assign(Source);
}

void TSizeConstraints::SetMaxHeight(int Value) {
    if (Value == maxHeight_) return;
    maxHeight_ = std::max(0, Value);
    if (maxHeight_ > 0 && maxHeight_ < minHeight_) minHeight_ = maxHeight_;
    Change();
}

void TSizeConstraints::SetMaxWidth(int Value) {
    if (Value == maxWidth_) return;
    maxWidth_ = std::max(0, Value);
    if (maxWidth_ > 0 && maxWidth_ < minWidth_) minWidth_ = maxWidth_;
    Change();
}

void TSizeConstraints::SetMinHeight(int Value) {
    if (Value == minHeight_) return;
    minHeight_ = std::max(0, Value);
    if (maxHeight_ > 0 && minHeight_ > maxHeight_) maxHeight_ = minHeight_;
    Change();
}

void TSizeConstraints::SetMinWidth(int Value) {
    if (Value == minWidth_) return;
    minWidth_ = std::max(0, Value);
    if (maxWidth_ > 0 && minWidth_ > maxWidth_) maxWidth_ = minWidth_;
    Change();
}

void TSizeConstraints::Apply(int& W, int& H) const {
    if (minWidth_ > 0 && W < minWidth_) W = minWidth_;
    if (maxWidth_ > 0 && W > maxWidth_) W = maxWidth_;
    if (minHeight_ > 0 && H < minHeight_) H = minHeight_;
    if (maxHeight_ > 0 && H > maxHeight_) H = maxHeight_;
}

void TSizeConstraints::Change() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- TControlCanvas

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* Value) {
    if (control_ == Value) return;
    FreeHandle();
    control_ = Value;
}

void TControlCanvas::FreeHandle() {
    if (!deviceContext_) return;
    auto& list = CanvasList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    HDC dc = deviceContext_;
    deviceContext_ = nullptr;
    if (HandleAllocated() && Handle() == dc) SetHandle(nullptr);
    ReleaseDC(windowHandle_, dc);
    windowHandle_ = nullptr;
}

void TControlCanvas::UpdateTextFlags() {}

void TControlCanvas::CreateHandle() {
    if (!control_) {
        TCanvas::CreateHandle();
        return;
    }
    if (!deviceContext_) {
        TWinControl* win = dynamic_cast<TWinControl*>(control_);
        TPoint origin;
        if (!win) {
            win = control_->Parent();
            if (!win)
                throw EInvalidOperation("Control '" + control_->Name() + "' has no parent window");
            origin = TPoint(control_->Left(), control_->Top());
        }
        windowHandle_ = win->Handle();
        deviceContext_ = GetDC(windowHandle_);
        if (!deviceContext_) throw EOutOfResources("Error creating window device context");
        if (origin.X || origin.Y) {
            SetViewportOrgEx(deviceContext_, origin.X, origin.Y, nullptr);
            IntersectClipRect(deviceContext_, 0, 0, control_->Width(), control_->Height());
        }
        CanvasList().push_back(this);
    }
    SetHandle(deviceContext_);
    UpdateTextFlags();
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
    WindowProc = TWndMethod(this, &TControl::WndProc);
    font_ = new TFont();
    font_->OnChange = MakeEvent(this, &TControl::FontChanged);
    constraints_ = new TSizeConstraints(this);
    constraints_->OnChange = MakeEvent(this, &TControl::ConstraintsChanged);
}

TControl::~TControl() {
    if (CaptureControlRef() == this) CaptureControlRef() = nullptr;
    if (Drag().Source == this) Drag() = TDragInfo();
    if (Drag().Target == this) Drag().Target = nullptr;
    if (parent_) parent_->RemoveControl(this);
    delete constraints_;
    delete font_;
}

void TControl::BeforeDestruction() {
    TComponent::BeforeDestruction();
    if (Application) Application->ControlDestroyed(this);
    if (CaptureControlRef() == this) SetCaptureControl(nullptr);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m;
    m.Msg = Msg;
    m.WParam = WParam;
    m.LParam = LParam;
    if (WindowProc) WindowProc(m);
    else WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message) {
    if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
        if (!(controlStyle_ & csDoubleClicks)) {
            switch (Message.Msg) {
                case WM_LBUTTONDBLCLK:
                case WM_RBUTTONDBLCLK:
                case WM_MBUTTONDBLCLK: Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN; break;
                default: break;
            }
        }
        switch (Message.Msg) {
            case WM_MOUSEMOVE:
                if (Application) Application->HintMouseMessage(this, Message);
                break;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
                if (dragMode_ == dmAutomatic && !InState(csDesigning)) {
                    BeginDrag(false);
                    return;
                }
                controlState_ |= csLButtonDown;
                break;
            case WM_LBUTTONUP: controlState_ &= ~csLButtonDown; break;
            default: break;
        }
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
        case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); break;
        case WM_LBUTTONUP: WMLButtonUp(Message); break;
        case WM_RBUTTONDOWN: WMRButtonDown(Message); break;
        case WM_RBUTTONDBLCLK: WMRButtonDblClk(Message); break;
        case WM_RBUTTONUP: WMRButtonUp(Message); break;
        case WM_MBUTTONDOWN: WMMButtonDown(Message); break;
        case WM_MBUTTONDBLCLK: WMMButtonDblClk(Message); break;
        case WM_MBUTTONUP: WMMButtonUp(Message); break;
        case WM_MOUSEMOVE: WMMouseMove(Message); break;
        case WM_MOUSEWHEEL: WMMouseWheel(Message); break;
        case WM_CANCELMODE: WMCancelMode(Message); break;
        case WM_CONTEXTMENU: WMContextMenu(Message); break;
        case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
        case CM_MOUSEWHEEL: CMMouseWheel(Message); break;
        case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
        case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
        case CM_FONTCHANGED: CMFontChanged(Message); break;
        case CM_COLORCHANGED: CMColorChanged(Message); break;
        case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
        case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
        case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
        case CM_HITTEST: CMHitTest(Message); break;
        case CM_MOUSEENTER: CMMouseEnter(Message); break;
        case CM_MOUSELEAVE: CMMouseLeave(Message); break;
        case CM_HINTSHOW: CMHintShow(Message); break;
        case CM_SYSCOLORCHANGE: CMSysColorChange(Message); break;
        case CM_TEXTCHANGED: CMTextChanged(Message); break;
        default: DefaultHandler(Message); break;
    }
}

void TControl::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
        case WM_GETTEXT: {
            char* buffer = reinterpret_cast<char*>(Message.LParam);
            if (!buffer || Message.WParam == 0) {
                Message.Result = 0;
                return;
            }
            size_t n = std::min<size_t>(text_.size(), Message.WParam - 1);
            std::copy(text_.begin(), text_.begin() + static_cast<long>(n), buffer);
            buffer[n] = 0;
            Message.Result = static_cast<LRESULT>(n);
            return;
        }
        case WM_GETTEXTLENGTH: Message.Result = static_cast<LRESULT>(text_.size()); return;
        case WM_SETTEXT: {
            const char* text = reinterpret_cast<const char*>(Message.LParam);
            text_ = text ? text : "";
            Perform(CM_TEXTCHANGED, 0, 0);
            Message.Result = 1;
            return;
        }
        default: break;
    }
}

void TControl::SetParent(TWinControl* AParent) {
    if (parent_ == AParent) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (AParent) {
        AParent->InsertControl(this);
        UpdateAnchorRules();
    }
}

bool TControl::CanResize(int& NewWidth, int& NewHeight) {
    bool resize = true;
    if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, resize);
    return resize;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    constraints_->Apply(AWidth, AHeight);
    if (!CanResize(AWidth, AHeight)) {
        AWidth = width_;
        AHeight = height_;
    }
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    if (parent_ && visible_ && parent_->HandleAllocated()) {
        TRect old = BoundsRect();
        InvalidateRect(parent_->Handle(), &old, 1);
    }
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    UpdateAnchorRules();
    Invalidate();
    Perform(WM_WINDOWPOSCHANGED, 0, 0);
    RequestAlign();
    if (!InState(csLoading)) Resize();
}

void TControl::UpdateBoundsFields(int ALeft, int ATop, int AWidth, int AHeight) {
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
}

TRect TControl::GetClientRect() { return TRect(0, 0, width_, height_); }

void TControl::SetClientWidth(int Value) { SetBounds(left_, top_, width_ - ClientWidth() + Value, height_); }

void TControl::SetClientHeight(int Value) { SetBounds(left_, top_, width_, height_ - ClientHeight() + Value); }

TPoint TControl::ClientOrigin() {
    if (!parent_) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    TPoint p = parent_->ClientOrigin();
    return TPoint(p.X + left_, p.Y + top_);
}

TPoint TControl::ClientToScreen(TPoint Point) {
    TPoint o = ClientOrigin();
    return TPoint(Point.X + o.X, Point.Y + o.Y);
}

TPoint TControl::ScreenToClient(TPoint Point) {
    TPoint o = ClientOrigin();
    return TPoint(Point.X - o.X, Point.Y - o.Y);
}

void TControl::SetAlign(TAlign Value) {
    if (align_ == Value) return;
    align_ = Value;
    anchors_ = akDefault;
    switch (Value) {
        case alTop: anchors_ = AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akRight); break;
        case alBottom: anchors_ = AnchorBit(akLeft) | AnchorBit(akRight) | AnchorBit(akBottom); break;
        case alLeft: anchors_ = AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akBottom); break;
        case alRight: anchors_ = AnchorBit(akRight) | AnchorBit(akTop) | AnchorBit(akBottom); break;
        case alClient: anchors_ = AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akRight) | AnchorBit(akBottom); break;
        default: break;
    }
    RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
    if (anchors_ == Value) return;
    anchors_ = Value;
    if (!InState(csLoading)) UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
    if (InState(csLoading) || !parent_) return;
    TRect pc = parent_->HandleAllocated() ? parent_->ClientRect() : TRect(0, 0, parent_->width_, parent_->height_);
    anchorRight_ = pc.Right - (left_ + width_);
    anchorBottom_ = pc.Bottom - (top_ + height_);
    anchorsValid_ = true;
}

void TControl::RequestAlign() {
    if (parent_) {
        if (parent_->alignLevel_ > 0 || parent_->InState(csLoading)) {
            parent_->controlState_ |= csAlignmentNeeded;
            return;
        }
        TRect r = parent_->GetClientRect();
        parent_->DisableAlign();
        parent_->AlignControls(this, r);
        parent_->controlState_ &= ~csAlignmentNeeded;
        parent_->EnableAlign();
    }
}

void TControl::ConstraintsChanged(TObject*) {
    int w = width_, h = height_;
    constraints_->Apply(w, h);
    if (w != width_ || h != height_) SetBounds(left_, top_, w, h);
}

void TControl::SetVisible(bool Value) {
    if (visible_ == Value) return;
    VisibleChanging();
    visible_ = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    RequestAlign();
}

void TControl::Show() {
    if (parent_) parent_->ShowControl(this);
    SetVisible(true);
}

void TControl::Hide() { SetVisible(false); }

void TControl::SetEnabled(bool Value) {
    if (enabled_ == Value) return;
    enabled_ = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
    if (color_ == Value) return;
    color_ = Value;
    parentColor_ = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
    if (parentColor_ == Value) return;
    parentColor_ = Value;
    if (parent_ && !InState(csReading)) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
    if (parentFont_ == Value) return;
    parentFont_ = Value;
    if (parent_ && !InState(csReading)) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetCtl3D(bool Value) {
    if (ctl3D_ == Value) return;
    ctl3D_ = Value;
    parentCtl3D_ = false;
    Perform(CM_CTL3DCHANGED, 0, 0);
}

void TControl::SetParentCtl3D(bool Value) {
    if (parentCtl3D_ == Value) return;
    parentCtl3D_ = Value;
    if (Value && parent_) ctl3D_ = parent_->Ctl3D();
}

void TControl::FontChanged(TObject*) {
    if (!updatingParentFont_) parentFont_ = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetText(const AnsiString& Value) {
    if (GetText() != Value) SetTextBuf(Value);
}

AnsiString TControl::GetText() { return text_; }

void TControl::SetTextBuf(const AnsiString& Value) { Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str())); }

void TControl::SetShowHint(bool Value) {
    if (showHint_ == Value) return;
    showHint_ = Value;
    parentShowHint_ = false;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
    if (parentShowHint_ == Value) return;
    parentShowHint_ = Value;
    if (parent_ && !InState(csReading)) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
    popupMenu_ = Value;
    if (Value && Hooks().AsComponent)
        if (TComponent* c = Hooks().AsComponent(Value)) c->FreeNotification(this);
}

void TControl::SetCursor(TCursor Value) {
    if (cursor_ == Value) return;
    cursor_ = Value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && popupMenu_ && Hooks().AsComponent && Hooks().AsComponent(popupMenu_) == AComponent)
        popupMenu_ = nullptr;
}

void TControl::BeginDrag(bool Immediate, int Threshold) {
    TDragInfo& d = Drag();
    if (d.Source) return;
    if (!parent_ && !dynamic_cast<TWinControl*>(this)) return;
    if (Threshold < 0) Threshold = Mouse ? Mouse->DragThreshold() : 5;
    d.Source = this;
    d.Threshold = Threshold;
    d.Started = Immediate;
    DWORD mp = GetMessagePos();
    d.StartPos = TPoint(GET_X_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))),
                        GET_Y_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))));
    d.CaptureWnd = AllocateHWnd(TWndMethod(&DragReceiver(), &TDragReceiver::WndProc));
    SetCapture(d.CaptureWnd);
    if (Immediate) DragTo(d.StartPos);
}

void TControl::EndDrag(bool DropIt) {
    if (Drag().Source == this) DragDone(DropIt);
}

bool TControl::Dragging() const { return Drag().Source == this; }

void TControl::DragDrop(TObject* Source, int X, int Y) {
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = false;
    if (OnDragOver) {
        Accept = true;
        OnDragOver(this, Source, X, Y, State, Accept);
    }
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

bool TControl::MouseCapture() { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
    if (MouseCapture() == Value) return;
    if (Value) SetCaptureControl(this);
    else SetCaptureControl(nullptr);
}

void TControl::Invalidate() {
    if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
    TRect r = BoundsRect();
    InvalidateRect(parent_->Handle(), &r, !(controlStyle_ & csOpaque));
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::SetZOrder(bool TopMost) {
    if (!parent_) return;
    auto& list = parent_->controls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (TopMost) list.push_back(this);
    else list.insert(list.begin(), this);
    Invalidate();
}

void TControl::BringToFront() { SetZOrder(true); }
void TControl::SendToBack() { SetZOrder(false); }

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::ChangeScale(int M, int D) {
    if (M == D) return;
    SetBounds(MulDiv(left_, M, D), MulDiv(top_, M, D), MulDiv(width_, M, D), MulDiv(height_, M, D));
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (parent_) {
        if (parentColor_) {
            parentColor_ = false;
            SetParentColor(true);
        }
        if (parentFont_) Perform(CM_PARENTFONTCHANGED, 0, 0);
        if (parentShowHint_) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    }
    UpdateAnchorRules();
    RequestAlign();
}

void TControl::SetParentComponent(TComponent* Value) {
    if (auto* parent = dynamic_cast<TWinControl*>(Value)) SetParent(parent);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

TWinControl* TControl::TopParent() {
    TControl* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<TWinControl*>(c);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (!handled) {
        // Each notch is one call.
        if (WheelDelta < 0) handled = DoMouseWheelDown(Shift, MousePos);
        else if (WheelDelta > 0) handled = DoMouseWheelUp(Shift, MousePos);
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
    return handled;
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::SendCancelMode(TControl* Sender) {
    TControl* c = this;
    while (c) {
        if (auto* form = dynamic_cast<TCustomForm*>(c)) {
            form->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
            return;
        }
        c = c->parent_;
    }
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
    if (controlStyle_ & csNoStdEvents) return;
    TPoint p = MessagePoint(Message);
    MouseDown(Button, KeysToShiftState(static_cast<WORD>(Message.WParam)) | Shift, p.X, p.Y);
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
    if (controlStyle_ & csNoStdEvents) return;
    TPoint p = MessagePoint(Message);
    MouseUp(Button, KeysToShiftState(static_cast<WORD>(Message.WParam)), p.X, p.Y);
}

void TControl::WMLButtonDown(TMessage& Message) {
    SendCancelMode(this);
    DefaultHandler(Message);
    if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
    if (controlStyle_ & csClickEvents) controlState_ |= csClicked;
    DoMouseDown(Message, mbLeft, 0);
}

void TControl::WMLButtonDblClk(TMessage& Message) {
    SendCancelMode(this);
    DefaultHandler(Message);
    if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
    if (controlStyle_ & csClickEvents) DblClick();
    DoMouseDown(Message, mbLeft, ssDouble);
}

void TControl::WMLButtonUp(TMessage& Message) {
    DefaultHandler(Message);
    if (controlStyle_ & csCaptureMouse) SetMouseCapture(false);
    if (controlState_ & csClicked) {
        controlState_ &= ~csClicked;
        if (PtInRect(ClientRect(), MessagePoint(Message))) Click();
    }
    DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonDown(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseDown(Message, mbRight, 0);
}

void TControl::WMRButtonDblClk(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseDown(Message, mbRight, ssDouble);
}

void TControl::WMRButtonUp(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseUp(Message, mbRight);
}

void TControl::WMMButtonDown(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseDown(Message, mbMiddle, 0);
}

void TControl::WMMButtonDblClk(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseDown(Message, mbMiddle, ssDouble);
}

void TControl::WMMButtonUp(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseUp(Message, mbMiddle);
}

void TControl::WMMouseMove(TMessage& Message) {
    DefaultHandler(Message);
    if (controlStyle_ & csNoStdEvents) return;
    TPoint p = MessagePoint(Message);
    MouseMove(KeysToShiftState(static_cast<WORD>(Message.WParam)), p.X, p.Y);
}

void TControl::WMMouseWheel(TMessage& Message) {
    MouseWheelHandler(Message);
    if (Message.Result == 0) DefaultHandler(Message);
}

void TControl::MouseWheelHandler(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != static_cast<TControl*>(this)) form->MouseWheelHandler(Message);
    else Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::CMMouseWheel(TMessage& Message) {
    Message.Result = 0;
    TShiftState shift = KeysToShiftState(static_cast<WORD>(Message.WParam & 0xFFFF));
    int delta = GET_WHEEL_DELTA_WPARAM(Message.WParam);
    TPoint pos = MessagePoint(Message);
    if (DoMouseWheel(shift, delta, pos)) Message.Result = 1;
    else if (parent_) Message.Result = parent_->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::WMCancelMode(TMessage& Message) {
    (void)Message;
    if (MouseCapture()) {
        SetMouseCapture(false);
        if (controlState_ & csLButtonDown) Perform(WM_LBUTTONUP, 0, MAKELPARAM(-1, -1));
    } else {
        controlState_ &= ~csLButtonDown;
    }
}

void TControl::WMContextMenu(TMessage& Message) {
    if (Message.Result != 0) return;
    TPoint pt = MessagePoint(Message);
    TPoint temp(-1, -1);
    bool invalid = pt.X == -1 && pt.Y == -1;
    if (!invalid) {
        temp = ScreenToClient(pt);
        if (!PtInRect(ClientRect(), temp)) {
            DefaultHandler(Message);
            return;
        }
    }
    bool handled = false;
    DoContextPopup(temp, handled);
    Message.Result = handled ? 1 : 0;
    if (handled) return;
    TPopupMenu* menu = GetPopupMenu();
    if (menu && Hooks().Popup && (!Hooks().AutoPopup || Hooks().AutoPopup(menu))) {
        SendCancelMode(nullptr);
        if (invalid) pt = ClientToScreen(TPoint(0, 0));
        Hooks().Popup(menu, this, pt.X, pt.Y);
        Message.Result = 1;
    }
    if (Message.Result == 0) DefaultHandler(Message);
}

void TControl::WMWindowPosChanged(TMessage& Message) { DefaultHandler(Message); }

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::CMVisibleChanged(TMessage&) {
    if (parent_ && parent_->HandleAllocated()) {
        TRect r = BoundsRect();
        InvalidateRect(parent_->Handle(), &r, 1);
    }
}

void TControl::CMFontChanged(TMessage&) { Invalidate(); }

void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentFontChanged(TMessage&) {
    if (!parentFont_ || !parent_) return;
    updatingParentFont_ = true;
    font_->Assign(parent_->Font());
    updatingParentFont_ = false;
}

void TControl::CMParentColorChanged(TMessage&) {
    if (!parentColor_ || !parent_) return;
    if (color_ != parent_->Color()) {
        color_ = parent_->Color();
        Perform(CM_COLORCHANGED, 0, 0);
    }
}

void TControl::CMParentShowHintChanged(TMessage&) {
    if (parentShowHint_ && parent_) {
        showHint_ = parent_->ShowHint();
    }
}

void TControl::CMHitTest(TMessage& Message) { Message.Result = HTCLIENT; }

void TControl::CMMouseEnter(TMessage& Message) {
    if (parent_) parent_->Perform(CM_MOUSEENTER, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
    if (Message.LParam == 0 && OnMouseEnter) OnMouseEnter(this);
}

void TControl::CMMouseLeave(TMessage& Message) {
    if (parent_) parent_->Perform(CM_MOUSELEAVE, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
    if (Message.LParam == 0 && OnMouseLeave) OnMouseLeave(this);
}

void TControl::CMHintShow(TMessage& Message) { Message.Result = 0; }

void TControl::CMSysColorChange(TMessage&) {}

void TControl::CMTextChanged(TMessage&) { Invalidate(); }

void TControl::ParentFontOrColorChanged() {
    Perform(CM_PARENTFONTCHANGED, 0, 0);
    Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
    brush_ = new TBrush();
    brush_->SetColor(Color());
    DefWndProc = TWndMethod(this, &TWinControl::MainWndProc);
    static bool hooked = false;
    if (!hooked) {
        hooked = true;
        SetWindowDCsReleaseHook(&ReleaseCanvasesOf);
    }
}

TWinControl::~TWinControl() {
    // Freed without FreeObject: do what BeforeDestruction would have done.
    while (!controls_.empty() || !winControls_.empty()) {
        TControl* c = !winControls_.empty() ? winControls_.back() : controls_.back();
        Remove(c);
        delete c;
    }
    if (handle_) {
        HWND h = handle_;
        handle_ = nullptr;
        auto& list = HandleControls();
        list.erase(std::remove_if(list.begin(), list.end(), [&](auto& e) { return e.first == h; }), list.end());
        SetWindowProc(h, TWndMethod());
        DestroyWindow(h);
    }
    delete brush_;
}

void TWinControl::BeforeDestruction() {
    TControl::BeforeDestruction();
    if (parent_) {
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, true);
    }
    // Children first, while this control is still whole.
    while (!winControls_.empty() || !controls_.empty()) {
        TControl* c = !winControls_.empty() ? winControls_.back() : controls_.back();
        FreeObject(c);
    }
    if (handle_) DestroyHandle();
}

void TWinControl::MainWndProc(TMessage& Message) {
    try {
        WindowProc ? WindowProc(Message) : WndProc(Message);
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}

void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_SETFOCUS: {
            TCustomForm* form = GetParentForm(this);
            if (form && !form->SetFocusedControl(this)) return;
            break;
        }
        case WM_KILLFOCUS:
            if (controlState_ & csFocusing) return;
            break;
        case WM_CANCELMODE: {
            TControl* cap = CaptureControlRef();
            if (handle_ && GetCapture() == handle_ && cap && cap->Parent() == this) cap->Perform(WM_CANCELMODE, 0, 0);
            break;
        }
        default:
            if (Message.Msg >= WM_KEYFIRST && Message.Msg <= WM_KEYLAST && Dragging()) return;
            if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL &&
                Message.Msg != WM_MOUSEHWHEEL) {
                if (IsControlMouseMsg(Message)) {
                    if (Message.Result == 0 && handle_) DefWindowProc(handle_, Message.Msg, Message.WParam, Message.LParam);
                    return;
                }
            }
            break;
    }
    TControl::WndProc(Message);
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
    TControl* control = nullptr;
    TPoint p = MessagePoint(Message);
    if (handle_ && GetCapture() == handle_) {
        TControl* cap = CaptureControlRef();
        if (cap && cap->Parent() == this) control = cap;
    } else {
        control = ControlAtPos(p, false);
    }
    if (!control) return false;
    if (Message.Msg == WM_MOUSEMOVE && Application) Application->MouseOver(control);
    Message.Result = control->Perform(Message.Msg, Message.WParam, MAKELPARAM(p.X - control->Left(), p.Y - control->Top()));
    return true;
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_PAINT: WMPaint(Message); break;
        case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
        case WM_SIZE: WMSize(Message); break;
        case WM_MOVE: WMMove(Message); break;
        case WM_SETFOCUS: WMSetFocus(Message); break;
        case WM_KILLFOCUS: WMKillFocus(Message); break;
        case WM_KEYDOWN: WMKeyDown(Message); break;
        case WM_SYSKEYDOWN: WMSysKeyDown(Message); break;
        case WM_KEYUP: WMKeyUp(Message); break;
        case WM_SYSKEYUP: WMSysKeyUp(Message); break;
        case WM_CHAR: WMChar(Message); break;
        case WM_SYSCHAR: WMSysChar(Message); break;
        case WM_SETCURSOR: WMSetCursor(Message); break;
        case WM_COMMAND: WMCommand(Message); break;
        case WM_HSCROLL: WMHScroll(Message); break;
        case WM_VSCROLL: WMVScroll(Message); break;
        case WM_NCHITTEST: WMNCHitTest(Message); break;
        case WM_MOUSELEAVE: WMMouseLeave(Message); break;
        case CN_KEYDOWN: CNKeyDown(Message); break;
        case CN_KEYUP: CNKeyUp(Message); break;
        case CN_CHAR: CNChar(Message); break;
        case CN_SYSKEYDOWN: CNSysKeyDown(Message); break;
        case CN_SYSCHAR: CNSysChar(Message); break;
        case CM_ENTER: CMEnter(Message); break;
        case CM_EXIT: CMExit(Message); break;
        case CM_DIALOGKEY: CMDialogKey(Message); break;
        case CM_DIALOGCHAR: CMDialogChar(Message); break;
        case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
        case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
        case CM_RECREATEWND: CMRecreateWnd(Message); break;
        case CM_CHILDKEY: CMChildKey(Message); break;
        case CM_CURSORCHANGED: CMCursorChanged(Message); break;
        default: TControl::Dispatch(Message); break;
    }
}

void TWinControl::DefaultHandler(TMessage& Message) {
    if (!handle_) {
        TControl::DefaultHandler(Message);
        return;
    }
    if (Message.Msg == WM_CONTEXTMENU && parent_) {
        Message.Result = parent_->Perform(Message.Msg, Message.WParam, Message.LParam);
        if (Message.Result) return;
    }
    Message.Result = DefWindowProc(handle_, Message.Msg, Message.WParam, Message.LParam);
}

HWND TWinControl::Handle() {
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded() {
    if (handle_) return;
    if (parent_) parent_->HandleNeeded();
    CreateHandle();
}

void TWinControl::SetParentWindow(HWND Value) {
    if (parent_ || parentWindow_ == Value) return;
    if (handle_ && parentWindow_ && Value) {
        parentWindow_ = Value;
        ::SetParent(handle_, Value);
    } else {
        DestroyHandle();
        parentWindow_ = Value;
    }
    UpdateControlState();
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params = TCreateParams();
    Params.Caption = text_.c_str();
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (controlStyle_ & csAcceptsControls) {
        Params.Style |= WS_CLIPCHILDREN;
        Params.ExStyle |= WS_EX_CONTROLPARENT;
    }
    if (!Enabled()) Params.Style |= WS_DISABLED;
    if (tabStop_) Params.Style |= WS_TABSTOP;
    Params.X = left_;
    Params.Y = top_;
    Params.Width = width_;
    Params.Height = height_;
    Params.WndParent = parent_ ? parent_->Handle() : parentWindow_;
    Params.ClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    if (!(controlStyle_ & csDoubleClicks)) Params.ClassStyle &= ~CS_DBLCLKS;
    AnsiString name = ClassName();
    name.copy(Params.WinClassName, sizeof(Params.WinClassName) - 1);
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    if (!params.WndParent && (params.Style & WS_CHILD)) {
        TWinControl* ownerControl = dynamic_cast<TWinControl*>(Owner());
        if (ownerControl && Owner()->InState(csReading)) params.WndParent = ownerControl->Handle();
        else throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    }
    CreateWindowHandle(params);
    if (!handle_) throw EOutOfResources("Error creating window");
    HandleControls().emplace_back(handle_, this);
    // The window procedure can answer now: let the frame and the client area settle.
    UpdateWindowFrame(handle_);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
    handle_ = ::CreateWindowHandle(Params, TWndMethod(this, &TWinControl::MainWndProc));
}

void TWinControl::CreateHandle() {
    if (handle_) return;
    controlState_ |= csCreating;
    try {
        CreateWnd();
    } catch (...) {
        controlState_ &= ~csCreating;
        throw;
    }
    controlState_ &= ~csCreating;
    UpdateBounds();
    // Children keep their place in the tab and z order.
    for (TControl* c : controls_) c->UpdateAnchorRules();
    for (TControl* c : winControls_) c->UpdateAnchorRules();
}

void TWinControl::DestroyWnd() {
    text_ = GetText();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
    controlState_ |= csDestroyingHandle;
    HWND h = handle_;
    try {
        if (h) DestroyWindow(h);
    } catch (...) {
        controlState_ &= ~csDestroyingHandle;
        throw;
    }
    auto& list = HandleControls();
    list.erase(std::remove_if(list.begin(), list.end(), [&](auto& e) { return e.first == h; }), list.end());
    handle_ = nullptr;
    showing_ = false;
    controlState_ &= ~csDestroyingHandle;
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    for (TControl* c : winControls_) static_cast<TWinControl*>(c)->DestroyHandle();
    DestroyWnd();
}

void TWinControl::RecreateWnd() {
    if (handle_) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::CMRecreateWnd(TMessage&) {
    bool wasFocused = Focused();
    DestroyHandle();
    UpdateControlState();
    if (wasFocused && handle_) ::SetFocus(handle_);
}

void TWinControl::UpdateShowing() {
    bool show = Visible() && !(controlState_ & csReadingState);
    if (show) {
        if (!handle_) CreateHandle();
        for (TControl* c : winControls_) static_cast<TWinControl*>(c)->UpdateShowing();
    }
    if (handle_ && showing_ != show) {
        showing_ = show;
        try {
            Perform(CM_SHOWINGCHANGED, 0, 0);
        } catch (...) {
            showing_ = !show;
            throw;
        }
        if (!show)
            for (TControl* c : winControls_) static_cast<TWinControl*>(c)->UpdateShowing();
    }
}

void TWinControl::UpdateControlState() {
    TWinControl* c = this;
    while (c->parent_) {
        c = c->parent_;
        if (!c->showing_) return;
    }
    if (dynamic_cast<TCustomForm*>(c) || c->parentWindow_) UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&) {
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage& Message) {
    if (!Visible() && parent_) {
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
    }
    (void)Message;
    UpdateControlState();
}

void TWinControl::SetEnabled(bool Value) { TControl::SetEnabled(Value); }

void TWinControl::CMEnabledChanged(TMessage&) {
    if (!Enabled() && parent_) {
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
    }
    if (handle_) EnableWindow(handle_, Enabled());
}

void TWinControl::CMColorChanged(TMessage& Message) {
    brush_->SetColor(Color());
    NotifyControls(CM_PARENTCOLORCHANGED);
    TControl::CMColorChanged(Message);
    if (handle_) InvalidateRect(handle_, nullptr, 1);
}

void TWinControl::CMFontChanged(TMessage& Message) {
    TControl::CMFontChanged(Message);
    NotifyControls(CM_PARENTFONTCHANGED);
    if (handle_) InvalidateRect(handle_, nullptr, 1);
}

void TWinControl::CMCursorChanged(TMessage&) {
    // The shape changes at the next mouse move (WM_SETCURSOR).
}

void TWinControl::SetParent(TWinControl* AParent) {
    if (parent_ != AParent && !AParent && handle_) DestroyHandle();
    TControl::SetParent(AParent);
}

void TWinControl::InsertControl(TControl* AControl) {
    Insert(AControl);
    if (!AControl->InState(csReading)) {
        AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
        AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
        AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
            if (win->parentCtl3D_) win->ctl3D_ = Ctl3D();
            win->UpdateControlState();
        } else if (handle_) {
            AControl->Invalidate();
        }
        AControl->RequestAlign();
    }
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(win, true);
        win->DestroyHandle();
    } else if (handle_ && AControl->Visible()) {
        TRect r = AControl->BoundsRect();
        InvalidateRect(handle_, &r, 1);
    }
    Remove(AControl);
    if (!InState(csDestroying)) Realign();
}

void TWinControl::Insert(TControl* AControl) {
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
        winControls_.push_back(win);
        tabList_.push_back(win);
    } else {
        controls_.push_back(AControl);
    }
    AControl->parent_ = this;
}

void TWinControl::Remove(TControl* AControl) {
    auto drop = [&](auto& list) { list.erase(std::remove(list.begin(), list.end(), AControl), list.end()); };
    drop(controls_);
    drop(winControls_);
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), AControl), tabList_.end());
    AControl->parent_ = nullptr;
}

bool TWinControl::ContainsControl(TControl* Control) {
    while (Control && Control != this) Control = Control->Parent();
    return Control != nullptr;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) {
    auto hit = [&](TControl* c) {
        TRect r = c->BoundsRect();
        if (!PtInRect(r, Pos)) return false;
        if (!c->Visible() || !(c->Enabled() || AllowDisabled)) return false;
        return c->Perform(CM_HITTEST, 0, MAKELPARAM(Pos.X - c->Left(), Pos.Y - c->Top())) != 0;
    };
    if (AllowWinControls)
        for (auto it = winControls_.rbegin(); it != winControls_.rend(); ++it)
            if (hit(*it)) return *it;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (hit(*it)) return *it;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
    std::vector<TControl*> all(controls_);
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    for (TControl* c : all) {
        if (c->WindowProc) c->WindowProc(Message);
        else c->WndProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(UINT Msg) {
    std::vector<TControl*> all(controls_);
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    for (TControl* c : all) c->Perform(Msg, 0, 0);
}

void TWinControl::ShowControl(TControl* AControl) {
    if (parent_) parent_->ShowControl(this);
    (void)AControl;
}

// ---- geometry and alignment

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    Constraints()->Apply(AWidth, AHeight);
    if (!CanResize(AWidth, AHeight)) {
        AWidth = width_;
        AHeight = height_;
    }
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    if (handle_ && !IsIconic(handle_)) {
        SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        left_ = ALeft;
        top_ = ATop;
        width_ = AWidth;
        height_ = AHeight;
        if (handle_) {
            WINDOWPLACEMENT wp;
            GetWindowPlacement(handle_, &wp);
            wp.rcNormalPosition = BoundsRect();
            SetWindowPlacement(handle_, &wp);
        }
    }
    UpdateAnchorRules();
    RequestAlign();
}

void TWinControl::UpdateBounds() {
    if (!handle_) return;
    TRect r;
    GetWindowRect(handle_, &r);
    if (GetParent(handle_)) {
        TPoint p = r.TopLeft();
        ::ScreenToClient(GetParent(handle_), &p);
        r = Bounds(p.X, p.Y, r.Width(), r.Height());
    }
    if (IsIconic(handle_)) return;
    if (r.Left != left_ || r.Top != top_ || r.Width() != width_ || r.Height() != height_) {
        left_ = r.Left;
        top_ = r.Top;
        width_ = r.Width();
        height_ = r.Height();
        UpdateAnchorRules();
    }
}

TRect TWinControl::GetClientRect() {
    if (handle_) {
        TRect r;
        ::GetClientRect(handle_, &r);
        return r;
    }
    return TControl::GetClientRect();
}

TPoint TWinControl::ClientOrigin() {
    TPoint p;
    ::ClientToScreen(Handle(), &p);
    return p;
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
    if (--alignLevel_ > 0) return;
    alignLevel_ = 0;
    if (controlState_ & csAlignmentNeeded) Realign();
}

void TWinControl::Realign() {
    if (InState(csDestroying)) return;
    if (alignLevel_ > 0 || InState(csLoading)) {
        controlState_ |= csAlignmentNeeded;
        return;
    }
    DisableAlign();
    TRect r = GetClientRect();
    AlignControls(nullptr, r);
    controlState_ &= ~csAlignmentNeeded;
    EnableAlign();
}

void TWinControl::DoAlign(TAlign AAlign, TControl* AControl, TRect& Rect) {
    std::vector<TControl*> list;
    auto insertBefore = [&](TControl* c1, TControl* c2) {
        switch (AAlign) {
            case alTop: return c1->Top() < c2->Top();
            case alBottom: return c1->Top() + c1->Height() >= c2->Top() + c2->Height();
            case alLeft: return c1->Left() < c2->Left();
            case alRight: return c1->Left() + c1->Width() >= c2->Left() + c2->Width();
            default: return false;
        }
    };
    if (AControl && AControl->Align() == AAlign && (AAlign == alNone || AControl->Visible())) list.push_back(AControl);
    std::vector<TControl*> all(controls_);
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    for (TControl* c : all) {
        if (c == AControl || c->Align() != AAlign) continue;
        if (AAlign != alNone && !c->Visible()) continue;
        size_t j = 0;
        while (j < list.size() && !insertBefore(c, list[j])) ++j;
        list.insert(list.begin() + static_cast<long>(j), c);
    }
    for (TControl* c : list) {
        if (AAlign == alNone) {
            // Anchored controls follow the parent's edges.
            if (c->anchors_ != akDefault && c->anchorsValid_) {
                TRect pc = GetClientRect();
                int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
                bool left = c->anchors_ & AnchorBit(akLeft), right = c->anchors_ & AnchorBit(akRight);
                bool top = c->anchors_ & AnchorBit(akTop), bottom = c->anchors_ & AnchorBit(akBottom);
                if (right) {
                    if (left) w = pc.Right - c->anchorRight_ - l;
                    else l = pc.Right - c->anchorRight_ - w;
                }
                if (bottom) {
                    if (top) h = pc.Bottom - c->anchorBottom_ - t;
                    else t = pc.Bottom - c->anchorBottom_ - h;
                }
                int keepR = c->anchorRight_, keepB = c->anchorBottom_;
                c->SetBounds(l, t, std::max(0, w), std::max(0, h));
                c->anchorRight_ = keepR;
                c->anchorBottom_ = keepB;
            }
            continue;
        }
        int newWidth = Rect.Right - Rect.Left;
        if (newWidth < 0 || AAlign == alLeft || AAlign == alRight || AAlign == alCustom) newWidth = c->Width();
        int newHeight = Rect.Bottom - Rect.Top;
        if (newHeight < 0 || AAlign == alTop || AAlign == alBottom || AAlign == alCustom) newHeight = c->Height();
        int newLeft = Rect.Left, newTop = Rect.Top;
        switch (AAlign) {
            case alTop: Rect.Top += newHeight; break;
            case alBottom:
                Rect.Bottom -= newHeight;
                newTop = Rect.Bottom;
                break;
            case alLeft: Rect.Left += newWidth; break;
            case alRight:
                Rect.Right -= newWidth;
                newLeft = Rect.Right;
                break;
            case alCustom:
                newLeft = c->Left();
                newTop = c->Top();
                break;
            default: break;
        }
        c->SetBounds(newLeft, newTop, newWidth, newHeight);
        // A control that did not take the size asked keeps the rest for the others.
        if (c->Width() != newWidth || c->Height() != newHeight) {
            switch (AAlign) {
                case alTop: Rect.Top -= newHeight - c->Height(); break;
                case alBottom: Rect.Bottom += newHeight - c->Height(); break;
                case alLeft: Rect.Left -= newWidth - c->Width(); break;
                case alRight: Rect.Right += newWidth - c->Width(); break;
                case alClient:
                    Rect.Right += newWidth - c->Width();
                    Rect.Bottom += newHeight - c->Height();
                    break;
                default: break;
            }
        }
    }
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    bool work = false;
    for (TControl* c : controls_) work = work || c->Align() != alNone || c->Anchors() != akDefault;
    for (TControl* c : winControls_) work = work || c->Align() != alNone || c->Anchors() != akDefault;
    if (!work) return;
    AdjustClientRect(Rect);
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient, alCustom, alNone}) DoAlign(a, AControl, Rect);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    for (TControl* c : controls_) c->UpdateAnchorRules();
    for (TControl* c : winControls_) c->UpdateAnchorRules();
    Realign();
    UpdateControlState();
}

void TWinControl::SetZOrder(bool TopMost) {
    if (parent_) {
        auto& list = parent_->winControls_;
        auto it = std::find(list.begin(), list.end(), this);
        if (it != list.end()) {
            list.erase(it);
            if (TopMost) list.push_back(this);
            else list.insert(list.begin(), this);
        }
    }
    if (handle_) SetWindowPos(handle_, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::Notification(TComponent* AComponent, TOperation Operation) { TControl::Notification(AComponent, Operation); }

// ---- messages

void TWinControl::WMPaint(TMessage& Message) {
    if (!(controlState_ & csCustomPaint) && controls_.empty() && Message.WParam == 0) DefaultHandler(Message);
    else PaintHandler(Message);
}

void TWinControl::PaintHandler(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    PAINTSTRUCT ps;
    if (!dc) dc = BeginPaint(Handle(), &ps);
    if (!dc) return;
    if (controls_.empty()) {
        PaintWindow(dc);
    } else {
        int saved = SaveDC(dc);
        // Opaque graphic children cover their part; the window need not paint it.
        for (TControl* c : controls_) {
            if (c->Visible() && (c->controlStyle_ & csOpaque))
                ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
        }
        PaintWindow(dc);
        RestoreDC(dc, saved);
        PaintControls(dc, nullptr);
    }
    if (!Message.WParam) EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC DC) {
    TMessage m;
    m.Msg = WM_PAINT;
    m.WParam = reinterpret_cast<WPARAM>(DC);
    DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
    auto it = controls_.begin();
    if (First) {
        it = std::find(controls_.begin(), controls_.end(), First);
        if (it == controls_.end()) it = controls_.begin();
    }
    std::vector<TControl*> list(it, controls_.end());
    for (TControl* c : list) {
        if (!c->Visible()) continue;
        TRect r = c->BoundsRect();
        if (!RectVisible(DC, &r)) continue;
        int saved = SaveDC(DC);
        TPoint org;
        GetWindowOrgEx(DC, &org);
        SetWindowOrgEx(DC, org.X - c->Left(), org.Y - c->Top(), nullptr);
        IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
        RestoreDC(DC, saved);
    }
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
    int saved = SaveDC(DC);
    SetWindowOrgEx(DC, -X, -Y, nullptr);
    IntersectClipRect(DC, 0, 0, width_, height_);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, saved);
    for (TControl* c : winControls_) {
        if (c->Visible()) static_cast<TWinControl*>(c)->PaintTo(DC, X + c->Left(), Y + c->Top());
    }
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    TRect r = ClientRect();
    FillRect(dc, &r, brush_->Handle());
    Message.Result = 1;
}

void TWinControl::WMSize(TMessage& Message) {
    UpdateBounds();
    DefaultHandler(Message);
    Realign();
    if (!InState(csLoading)) Resize();
}

void TWinControl::WMMove(TMessage& Message) {
    UpdateBounds();
    DefaultHandler(Message);
}

void TWinControl::WMSetFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

bool TWinControl::DoKeyDown(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != static_cast<TWinControl*>(this) && form->KeyPreview() && form->DoKeyDown(Message)) return true;
    WORD key = static_cast<WORD>(Message.WParam);
    TShiftState shift = KeyDataToShiftState(Message.LParam);
    if (!(controlStyle_ & csNoStdEvents)) {
        KeyDown(key, shift);
        Message.WParam = key;
        if (key == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != static_cast<TWinControl*>(this) && form->KeyPreview() && form->DoKeyUp(Message)) return true;
    WORD key = static_cast<WORD>(Message.WParam);
    TShiftState shift = KeyDataToShiftState(Message.LParam);
    if (!(controlStyle_ & csNoStdEvents)) {
        KeyUp(key, shift);
        Message.WParam = key;
        if (key == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != static_cast<TWinControl*>(this) && form->KeyPreview() && form->DoKeyPress(Message)) return true;
    char ch = static_cast<char>(Message.WParam & 0xFF);
    if (!(controlStyle_ & csNoStdEvents)) {
        KeyPress(ch);
        Message.WParam = static_cast<unsigned char>(ch);
        if (ch == 0) return true;
    }
    return false;
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::WMKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysChar(TMessage& Message) { DefaultHandler(Message); }

bool TWinControl::IsMenuKey(TMessage& Message) {
    if (InState(csDesigning)) return false;
    for (TControl* c = this; c; c = c->Parent()) {
        if (c->popupMenu_ && Hooks().IsShortCut && Hooks().IsShortCut(c->popupMenu_, Message)) return true;
    }
    TCustomForm* form = GetParentForm(this);
    if (form && form->IsShortCut(Message)) return true;
    return false;
}

void TWinControl::CNKeyDown(TMessage& Message) {
    Message.Result = 1;
    if (IsMenuKey(Message)) return;
    if (!InState(csDesigning)) {
        if (Perform(CM_CHILDKEY, Message.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
        LRESULT mask = 0;
        switch (Message.WParam) {
            case VK_TAB: mask = DLGC_WANTTAB; break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN: mask = DLGC_WANTARROWS; break;
            case VK_RETURN:
            case VK_EXECUTE:
            case VK_ESCAPE:
            case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
            default: break;
        }
        if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam) == 0 &&
            (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
            TCustomForm* form = GetParentForm(this);
            if (form && form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
        }
    }
    Message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& Message) {
    if (!InState(csDesigning)) {
        switch (Message.WParam) {
            case VK_TAB:
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
            case VK_RETURN:
            case VK_EXECUTE:
            case VK_ESCAPE:
            case VK_CANCEL: Message.Result = Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam); break;
            default: break;
        }
    }
}

void TWinControl::CNChar(TMessage& Message) {
    Message.Result = 0;
    if (InState(csDesigning)) return;
    if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
        TCustomForm* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) Message.Result = 1;
    }
}

void TWinControl::CNSysKeyDown(TMessage& Message) {
    Message.Result = 1;
    if (IsMenuKey(Message)) return;
    if (!InState(csDesigning)) {
        if (Perform(CM_CHILDKEY, Message.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
        TCustomForm* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
    }
    Message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& Message) {
    Message.Result = 0;
    if (InState(csDesigning) || Message.WParam == VK_SPACE) return;
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) Message.Result = 1;
}

void TWinControl::CMChildKey(TMessage& Message) {
    if (parent_) Message.Result = parent_->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMFocusChanged(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }

void TWinControl::CMExit(TMessage&) { DoExit(); }

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::WMSetCursor(TMessage& Message) {
    HWND cursorWnd = reinterpret_cast<HWND>(Message.WParam);
    if (cursorWnd == handle_ && static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(Message.LParam))) == HTCLIENT) {
        TCursor cursor = Screen ? Screen->Cursor() : crDefault;
        if (cursor == crDefault) {
            DWORD mp = GetMessagePos();
            TPoint p(GET_X_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))),
                     GET_Y_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))));
            TControl* control = ControlAtPos(ScreenToClient(p), false);
            if (control) cursor = control->Cursor();
            if (cursor == crDefault) cursor = Cursor();
        }
        if (cursor != crDefault && Screen) {
            ::SetCursor(Screen->Cursors(cursor));
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

void TWinControl::WMCommand(TMessage& Message) {
    if (TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
        Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMHScroll(TMessage& Message) {
    if (TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
        Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMVScroll(TMessage& Message) {
    if (TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
        Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMNCHitTest(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMMouseLeave(TMessage& Message) {
    if (Application && Application->MouseControl() && ContainsControl(Application->MouseControl()))
        Application->MouseOver(nullptr);
    DefaultHandler(Message);
}

void TWinControl::WMCancelMode(TMessage& Message) { TControl::WMCancelMode(Message); }

// ---- focus and tab order

bool TWinControl::Focused() { return handle_ && GetFocus() == handle_; }

bool TWinControl::CanFocus() {
    TCustomForm* form = GetParentForm(this);
    if (!form) return false;
    for (TControl* c = this; c != form; c = c->Parent())
        if (!(c->Visible() && c->Enabled())) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (TCustomForm* form = GetParentForm(this)) form->FocusControl(this);
    else if (parentWindow_) ::SetFocus(Handle());
    else ValidParentForm(this);
}

void TWinControl::SetTabStop(bool Value) {
    if (tabStop_ == Value) return;
    tabStop_ = Value;
    if (handle_) {
        LONG style = GetWindowLong(handle_, GWL_STYLE);
        style = Value ? (style | static_cast<LONG>(WS_TABSTOP)) : (style & ~static_cast<LONG>(WS_TABSTOP));
        SetWindowLong(handle_, GWL_STYLE, style);
    }
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() {
    if (!parent_) return -1;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
    if (!parent_) return;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (Value < 0) Value = 0;
    if (Value > static_cast<int>(list.size())) Value = static_cast<int>(list.size());
    list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
    for (TWinControl* c : tabList_) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int count = static_cast<int>(list.size());
    auto found = std::find(list.begin(), list.end(), CurControl);
    int start = found == list.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(found - list.begin());
    int i = start;
    do {
        if (GoForward) {
            if (++i == count) i = 0;
        } else {
            if (i == 0) i = count;
            --i;
        }
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this)) return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
    if (next) next->SetFocus();
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, !(controlStyle_ & csOpaque));
}

void TWinControl::Update() {
    if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

AnsiString TWinControl::GetText() {
    if (!handle_) return text_;
    LRESULT n = Perform(WM_GETTEXTLENGTH, 0, 0);
    if (n <= 0) return AnsiString();
    AnsiString s(static_cast<size_t>(n) + 1, '\0');
    LRESULT got = Perform(WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min(got, n))));
    return s;
}

void TWinControl::SetTextBuf(const AnsiString& Value) {
    if (!handle_) text_ = Value;
    TControl::SetTextBuf(Value);
}

// ---------------------------------------------------------------- TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
    auto* c = new TControlCanvas();
    c->SetControl(this);
    canvas_ = c;
}

TCustomControl::~TCustomControl() { delete canvas_; }

void TCustomControl::WMPaint(TMessage& Message) {
    controlState_ |= csCustomPaint;
    TWinControl::WMPaint(Message);
    controlState_ &= ~csCustomPaint;
}

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(HDC DC) {
    TCanvasPaintScope scope(canvas_, DC);
    static_cast<TControlCanvas*>(canvas_)->UpdateTextFlags();
    Paint();
}

// ---------------------------------------------------------------- TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
    auto* c = new TControlCanvas();
    c->SetControl(this);
    canvas_ = c;
}

TGraphicControl::~TGraphicControl() { delete canvas_; }

void TGraphicControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        WMPaint(Message);
        return;
    }
    TControl::Dispatch(Message);
}

void TGraphicControl::WMPaint(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    if (!dc) return;
    TCanvasPaintScope scope(canvas_, dc);
    Paint();
}

void TGraphicControl::Paint() {}

// ---------------------------------------------------------------- published properties

#include "platform/rtti/Published.h"

TESK_PUBLISHED(TSizeConstraints) {
    Property("MaxHeight", &T::MaxHeight, &T::SetMaxHeight).Default(0);
    Property("MaxWidth", &T::MaxWidth, &T::SetMaxWidth).Default(0);
    Property("MinHeight", &T::MinHeight, &T::SetMinHeight).Default(0);
    Property("MinWidth", &T::MinWidth, &T::SetMinWidth).Default(0);
}

TESK_PUBLISHED(TControl) {
    Property("Left", &T::Left, &T::SetLeft);
    Property("Top", &T::Top, &T::SetTop);
    Property("Width", &T::Width, &T::SetWidth);
    Property("Height", &T::Height, &T::SetHeight);
    Property("Cursor", TypeInfoTCursor(), &T::Cursor, &T::SetCursor).Default(crDefault);
    Property("Hint", &T::Hint, &T::SetHint);
}

TESK_PUBLISHED(TWinControl) {}
TESK_PUBLISHED(TCustomControl) {}
TESK_PUBLISHED(TGraphicControl) {}
